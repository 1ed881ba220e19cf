// SPDX-License-Identifier: MIT
#pragma once

#include "previewviewinterface.h"

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

namespace glossa {

// The base address of the loaded page; its host can't be reached, so relative references
// resolve to nothing.
QUrl previewBaseUrl();

// Lets only the page's own content through; every request it would make beyond that
// (images, frames, styles, fonts, icons) is blocked.
class PreviewRequestBlocker : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

// The page of web_preview: accepts only the load of the text given to setPreviewHtml, opens the
// links the user follows and refuses every other navigation.
class PreviewWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    PreviewWebPage(QWebEngineProfile* profile, PreviewOpener opener, QObject* parent);
    void setPreviewHtml(const QString& html);
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    PreviewOpener opener_;
    bool contentPending_ = false;
};

// web_preview on the web engine, and loading content into it.
QWidget* createWebPreviewView(QWidget* parent, PreviewOpener opener);
void setWebPreviewContent(QWidget* view, const QString& html);

// The two above as a factory.
PreviewViewFactory webPreviewViewFactory();

} // namespace glossa
