#include "preview/previewview.h"

#include "preview/previewpage.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

using CreateFunction = QWidget* (*)(QWidget*, const PreviewOpener*);
using SetContentFunction = void (*)(QWidget*, const QString*);

// The view of the web engine, reached through the module that carries it. It is loaded at the
// first preview, so that a run without a preview never loads the web engine.
PreviewViewFactory LoadWebPreviewModule() {
#ifdef GLOSSA_HAVE_WEBENGINE
    // Beside the executable in the build folder (and on Windows), in lib/glossa next to its
    // bin folder once installed; both found from the executable's own location.
    QStringList paths{qEnvironmentVariable("GLOSSA_WEBPREVIEW_MODULE")};
    if (paths.front().isEmpty()) {
        const QString dir = QCoreApplication::applicationDirPath();
        paths = {dir + u"/glossa_webpreview"_s, dir + u"/../lib/glossa/glossa_webpreview"_s};
    }
    QLibrary module; // stays loaded after this object goes
    QStringList errors;
    for (const QString& path : paths) {
        module.setFileName(path);
        if (module.load())
            break;
        errors << module.errorString();
    }
    if (module.isLoaded()) {
        const auto create =
            reinterpret_cast<CreateFunction>(module.resolve("glossa_webpreview_create"));
        const auto setContent =
            reinterpret_cast<SetContentFunction>(module.resolve("glossa_webpreview_set_content"));
        if (create && setContent) {
            return {[create](QWidget* parent, const PreviewOpener& opener) {
                        return create(parent, &opener);
                    },
                    [setContent](QWidget* view, const QString& html) { setContent(view, &html); }};
        }
        errors << module.errorString();
    }
    std::fprintf(stderr, "glossa: the web preview is not available (%s); using the plain one\n",
                 qPrintable(errors.join(u"; "_s)));
#endif
    return {};
}

std::optional<PreviewViewFactory>& OverriddenFactory() {
    static std::optional<PreviewViewFactory> factory;
    return factory;
}

const PreviewViewFactory& ChosenFactory() {
    if (OverriddenFactory())
        return *OverriddenFactory();
    static const PreviewViewFactory loaded = LoadWebPreviewModule();
    return loaded;
}

} // namespace

void SetPreviewViewFactory(std::optional<PreviewViewFactory> factory) {
    OverriddenFactory() = std::move(factory);
}

QWidget* CreatePreviewView(QWidget* parent, PreviewOpener opener) {
    const PreviewViewFactory& factory = ChosenFactory();
    if (factory.create && factory.setContent)
        return factory.create(parent, std::move(opener));
    auto* view = new PreviewTextBrowser(parent, std::move(opener));
    view->setObjectName(QLatin1StringView(kPreviewViewName));
    return view;
}

void SetPreviewContent(QWidget* view, const QString& html) {
    if (auto* browser = qobject_cast<PreviewTextBrowser*>(view)) {
        browser->setHtml(html);
        return;
    }
    const PreviewViewFactory& factory = ChosenFactory();
    if (view && factory.setContent)
        factory.setContent(view, html);
}

PreviewTextBrowser::PreviewTextBrowser(QWidget* parent, PreviewOpener opener)
    : QTextBrowser(parent), opener_(std::move(opener)) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        const PreviewNavigationDecision decision = DecidePreviewNavigation(
            PreviewNavigationKind::LinkClicked, true, url.toString(QUrl::FullyEncoded));
        if (decision.open && opener_)
            opener_(*decision.open);
    });
}

QVariant PreviewTextBrowser::loadResource(int, const QUrl&) {
    return {};
}

} // namespace glossa
