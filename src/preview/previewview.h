#pragma once

#include <functional>
#include <QString>
#include <QWidget>

#ifdef GLOSSA_HAVE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>
#else
#include <QTextBrowser>
#endif

namespace glossa {

// Receives the address to hand to the system for a link the user followed.
using PreviewOpener = std::function<void(const QString& address)>;

// Creates web_preview inside the parent: an HTML view that runs no scripts, loads nothing from
// outside the page and, instead of navigating, passes each link the user follows (mapped by
// PreviewNavigation) to the opener. The page it shows never changes by itself.
QWidget* CreatePreviewView(QWidget* parent, PreviewOpener opener);

// Loads the HTML text into a view made by CreatePreviewView as its content (not by address).
void SetPreviewContent(QWidget* view, const QString& html);

#ifdef GLOSSA_HAVE_WEBENGINE

// The base address of the loaded page; its host can't be reached, so relative references
// resolve to nothing.
QUrl PreviewBaseUrl();

// Lets only the page's own content through; every request it would make beyond that
// (images, frames, styles, fonts, icons) is blocked.
class PreviewRequestBlocker : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

// The page of web_preview: accepts only the load of the text given to SetContent, opens the
// links the user follows and refuses every other navigation.
class PreviewWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    PreviewWebPage(QWebEngineProfile* profile, PreviewOpener opener, QObject* parent);
    void SetContent(const QString& html);
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    PreviewOpener m_opener;
    bool m_contentPending = false;
};

#else

// Fallback view without WebEngine: loads no resources at all and reports followed links.
class PreviewTextBrowser : public QTextBrowser {
    Q_OBJECT
public:
    PreviewTextBrowser(QWidget* parent, PreviewOpener opener);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    PreviewOpener m_opener;
};

#endif

} // namespace glossa
