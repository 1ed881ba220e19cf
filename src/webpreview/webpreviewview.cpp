// SPDX-License-Identifier: MIT
#include "webpreviewview.h"

#include "preview/previewpage.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace glossa {

QUrl previewBaseUrl() {
    return QUrl(u"http://glossa-page.invalid/"_s);
}

void PreviewRequestBlocker::interceptRequest(QWebEngineUrlRequestInfo& info) {
    // setHtml hands the page text over as a data: document in the main frame.
    const bool ownPage = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
                         info.requestUrl().scheme() == u"data";
    if (!ownPage)
        info.block(true);
}

PreviewWebPage::PreviewWebPage(QWebEngineProfile* profile, PreviewOpener opener, QObject* parent)
    : QWebEnginePage(profile, parent), opener_(std::move(opener)) {
    QWebEngineSettings* s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    // The engine would hand a link of an unknown scheme to the desktop by itself.
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
}

void PreviewWebPage::setPreviewHtml(const QString& html) {
    contentPending_ = true;
    setHtml(html, previewBaseUrl());
}

bool PreviewWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                             bool isMainFrame) {
    PreviewNavigationKind kind = PreviewNavigationKind::Other;
    switch (type) {
    case NavigationTypeLinkClicked:
        kind = PreviewNavigationKind::LinkClicked;
        break;
    case NavigationTypeTyped:
        kind = PreviewNavigationKind::Typed;
        break;
    case NavigationTypeFormSubmitted:
        kind = PreviewNavigationKind::FormSubmitted;
        break;
    case NavigationTypeBackForward:
        kind = PreviewNavigationKind::BackForward;
        break;
    case NavigationTypeReload:
        kind = PreviewNavigationKind::Reload;
        break;
    case NavigationTypeRedirect:
        kind = PreviewNavigationKind::Redirect;
        break;
    case NavigationTypeOther:
        break;
    }
    // Our own setHtml arrives once as a typed data: navigation of the main frame.
    if (contentPending_ && isMainFrame && type == NavigationTypeTyped && url.scheme() == u"data") {
        kind = PreviewNavigationKind::ContentLoad;
        contentPending_ = false;
    }
    // Fully encoded: the default form would decode escapes such as %20 in the address.
    const PreviewNavigationDecision decision =
        decidePreviewNavigation(kind, isMainFrame, url.toString(QUrl::FullyEncoded));
    if (decision.open && opener_)
        opener_(*decision.open);
    return decision.accept;
}

QWidget* createWebPreviewView(QWidget* parent, PreviewOpener opener) {
    // An off-the-record profile of our own: no cache, no cookies, and the request blocker.
    auto* profile = new QWebEngineProfile();
    profile->setUrlRequestInterceptor(new PreviewRequestBlocker(profile));
    auto* view = new QWebEngineView(parent);
    view->setObjectName(QLatin1StringView(kPreviewViewName));
    auto* page = new PreviewWebPage(profile, std::move(opener), view);
    // Owned by its page, so the page is always destroyed before its profile.
    profile->setParent(page);
    view->setPage(page);
    return view;
}

void setWebPreviewContent(QWidget* view, const QString& html) {
    auto* webView = qobject_cast<QWebEngineView*>(view);
    if (!webView)
        return;
    if (auto* page = qobject_cast<PreviewWebPage*>(webView->page()))
        page->setPreviewHtml(html);
}

PreviewViewFactory webPreviewViewFactory() {
    return {&createWebPreviewView, &setWebPreviewContent};
}

} // namespace glossa
