// SPDX-License-Identifier: MIT
#include "preview/previewview.h"

#include "preview/previewpage.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLibrary>
#include <QRegularExpression>
#include <QStringList>

#ifdef GLOSSA_HAVE_WEBENGINE
#include <QOpenGLContext>
#include <QSurfaceFormat>
#endif

#include <cstdio>

#ifdef GLOSSA_HAVE_WEBENGINE
// Exported by Qt GUI without a public declaration; the web engine declares them the same way.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
QT_END_NAMESPACE
#endif

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

#ifdef GLOSSA_HAVE_WEBENGINE
// The web view shares its OpenGL context with the application's, which the web engine expects
// to find when it loads. Qt would make that context while constructing the application when
// asked to, loading the whole OpenGL stack into every run; made here, only a run with a preview
// pays for it. As Qt makes it: the default format, kept even when it can't be created.
void shareOpenGLContexts() {
    // Qt warns that the attribute belongs before the application; its only effect there is the
    // context made below, so the warning is not passed on.
    const QtMessageHandler handler =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qInstallMessageHandler(handler);
    if (qt_gl_global_share_context())
        return;
    auto* context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
    // Post routines run last added first: the web engine has shut down by then.
    qAddPostRoutine([] {
        delete qt_gl_global_share_context();
        qt_gl_set_global_share_context(nullptr);
    });
}
#endif

// The view of the web engine, reached through the module that carries it. It is loaded at the
// first preview, so that a run without a preview never loads the web engine.
PreviewViewFactory loadWebPreviewModule() {
#ifdef GLOSSA_HAVE_WEBENGINE
    // Beside the executable in the build folder (and on Windows), in lib/glossa next to its
    // bin folder once installed; both found from the executable's own location.
    QStringList paths{qEnvironmentVariable("GLOSSA_WEBPREVIEW_MODULE")};
    if (paths.front().isEmpty()) {
        const QString dir = QCoreApplication::applicationDirPath();
        paths = {dir + u"/glossa_webpreview"_s, dir + u"/../lib/glossa/glossa_webpreview"_s};
    }
    shareOpenGLContexts();
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
            reinterpret_cast<WebPreviewCreateFunction>(module.resolve(kWebPreviewCreateSymbol));
        const auto setContent = reinterpret_cast<WebPreviewSetContentFunction>(
            module.resolve(kWebPreviewSetContentSymbol));
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

std::optional<PreviewViewFactory>& overriddenFactory() {
    static std::optional<PreviewViewFactory> factory;
    return factory;
}

const PreviewViewFactory& chosenFactory() {
    if (overriddenFactory())
        return *overriddenFactory();
    static const PreviewViewFactory loaded = loadWebPreviewModule();
    return loaded;
}

// The family a font really gets: a name the system resolves as an alias (Arial to Liberation
// Sans) gives the installed family behind it.
QString matchedFamily(const QFont& font) {
    return QFontInfo(font).family();
}

bool isGenericFamily(const QString& name) {
    static const QStringList generic{u"serif"_s,      u"sans-serif"_s,   u"cursive"_s,
                                     u"fantasy"_s,    u"system-ui"_s,    u"ui-serif"_s,
                                     u"ui-rounded"_s, u"ui-sans-serif"_s};
    return generic.contains(name, Qt::CaseInsensitive);
}

// The page with every font-family list replaced by its resolved family: the plain view would
// take the first name whether installed or not, and falls back to a serif face.
QString withResolvedFontFamilies(QString html) {
    static const QRegularExpression declaration(u"(font-family\\s*:\\s*)([^;}<>]*)"_s,
                                                QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& m : declaration.globalMatch(html)) {
        out += QStringView(html).sliced(from, m.capturedStart(2) - from);
        out += u'\'' + resolvePlainFontFamily(m.captured(2)) + u'\'';
        from = m.capturedEnd(2);
    }
    if (from == 0)
        return html;
    out += QStringView(html).sliced(from);
    return out;
}

} // namespace

QString resolvePlainFontFamily(const QString& cssList) {
    const QStringList installed = QFontDatabase::families();
    for (QString name : cssList.split(u',')) {
        name = name.trimmed();
        if (name.size() >= 2 && (name.front() == u'\'' || name.front() == u'"') &&
            name.back() == name.front())
            name = name.sliced(1, name.size() - 2).trimmed();
        if (name.compare(u"monospace"_s, Qt::CaseInsensitive) == 0 ||
            name.compare(u"ui-monospace"_s, Qt::CaseInsensitive) == 0)
            return matchedFamily(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        if (isGenericFamily(name))
            break;
        if (!name.isEmpty() &&
            (installed.contains(name, Qt::CaseInsensitive) || QFontDatabase::hasFamily(name)))
            return matchedFamily(QFont(name));
    }
    return matchedFamily(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

void setPreviewViewFactory(std::optional<PreviewViewFactory> factory) {
    overriddenFactory() = std::move(factory);
}

QWidget* createPreviewView(QWidget* parent, PreviewOpener opener) {
    const PreviewViewFactory& factory = chosenFactory();
    if (factory.create && factory.setContent)
        return factory.create(parent, std::move(opener));
    auto* view = new PreviewTextBrowser(parent, std::move(opener));
    view->setObjectName(QLatin1StringView(kPreviewViewName));
    return view;
}

void setPreviewContent(QWidget* view, const QString& html) {
    if (auto* browser = qobject_cast<PreviewTextBrowser*>(view)) {
        browser->setHtml(withResolvedFontFamilies(html));
        return;
    }
    const PreviewViewFactory& factory = chosenFactory();
    if (view && factory.setContent)
        factory.setContent(view, html);
}

PreviewTextBrowser::PreviewTextBrowser(QWidget* parent, PreviewOpener opener)
    : QTextBrowser(parent), opener_(std::move(opener)) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        const PreviewNavigationDecision decision = decidePreviewNavigation(
            PreviewNavigationKind::LinkClicked, true, url.toString(QUrl::FullyEncoded));
        if (decision.open && opener_)
            opener_(*decision.open);
    });
}

QVariant PreviewTextBrowser::loadResource(int, const QUrl&) {
    return {};
}

} // namespace glossa
