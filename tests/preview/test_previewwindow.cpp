// SPDX-License-Identifier: MIT
#include "preview/previewview.h"
#include "preview/previewwindow.h"

#include <algorithm>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifdef GLOSSA_HAVE_WEBENGINE
#include "webpreviewview.h"

#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

// Stands for the outside world: records every request that reaches it.
class RecordingSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    QStringList requests;
    void requestStarted(QWebEngineUrlRequestJob* job) override {
        requests << job->requestUrl().toString();
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    }
};
#endif

using namespace glossa;
using namespace Qt::StringLiterals;

// Stands for the desktop's handlers of addresses: records what would have been opened there.
class DesktopRecorder : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toString(QUrl::FullyEncoded); }
};

class TestPreviewWindow : public QObject {
    Q_OBJECT
    QTemporaryDir config_;

    void writeSettings(const QByteArray& lines) {
        QDir().mkpath(config_.filePath(u"Tolmeck/Remarqua"_s));
        QFile file(config_.filePath(u"Tolmeck/Remarqua/Settings.ini"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Main]\r\n" + lines);
    }

#ifdef GLOSSA_HAVE_WEBENGINE
    static PreviewWebPage* pageOf(PreviewWindow& w) {
        auto* view = qobject_cast<QWebEngineView*>(w.view());
        return view ? qobject_cast<PreviewWebPage*>(view->page()) : nullptr;
    }
    static bool waitLoaded(PreviewWindow& w) {
        QSignalSpy loaded(pageOf(w), &QWebEnginePage::loadFinished);
        return loaded.wait(20000) && loaded.first().first().toBool();
    }
    static QString plainText(QWebEnginePage* page) {
        QString text;
        bool done = false;
        page->toPlainText([&](const QString& t) {
            text = t;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return u"(no text)"_s;
        return text;
    }
    // The centre of the page's n-th anchor, in the view's pixels (asked from the isolated world,
    // since the page's own scripts are off).
    static QPoint anchorCentre(QWebEnginePage* page, int n) {
        QPoint centre(-1, -1);
        bool done = false;
        page->runJavaScript(u"(function() { const r = document.getElementsByTagName('a')[%1]"
                            ".getBoundingClientRect(); return [r.left + r.width / 2, "
                            "r.top + r.height / 2]; })()"_s.arg(n),
                            QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
                                const QVariantList xy = v.toList();
                                if (xy.size() == 2)
                                    centre = QPoint(int(xy[0].toDouble()), int(xy[1].toDouble()));
                                done = true;
                            });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return {-1, -1};
        return centre;
    }
#endif

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(config_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
#ifdef GLOSSA_HAVE_WEBENGINE
        // The web view linked in, so that its page can be inspected here.
        setPreviewViewFactory(webPreviewViewFactory());
#endif
    }
    void cleanup() {
        QFile::remove(config_.filePath(u"Tolmeck/Remarqua/Settings.ini"_s));
    }

    void windowBeforeFirstRender() {
        PreviewWindow w;
        QCOMPARE(w.objectName(), u"window_preview"_s);
        QCOMPARE(w.windowTitle(), u"Preview"_s);
        QVERIFY(w.windowFlags().testFlag(Qt::Tool));
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(w.isHidden());
        QCOMPARE(w.view(), nullptr);
        QCOMPARE(w.findChild<QWidget*>(u"web_preview"_s), nullptr);
    }

    // The view where no web engine exists (the Windows build): the page as rich text, links
    // handed to the opener by the navigation rules, nothing loaded from anywhere.
    void plainViewShowsPageAndLoadsNothing() {
        setPreviewViewFactory(PreviewViewFactory{});
        PreviewWindow w;
        QStringList opened;
        w.setOpener([&](const QString& a) { opened << a; });
        w.renderPage(PreviewFields{u"Procedure Foo()"_s,
                                   u"<img src='file:///tmp/x.png'>see http://example.com/a"_s,
                                   {},
                                   {},
                                   {}});
        auto* view = qobject_cast<PreviewTextBrowser*>(w.view());
        QVERIFY(view);
        QVERIFY(view->toPlainText().startsWith(u"Result = Foo(): "_s));
        for (int type : {int(QTextDocument::ImageResource), int(QTextDocument::StyleSheetResource),
                         int(QTextDocument::HtmlResource)})
            QVERIFY(view->loadResource(type, QUrl(u"file:///tmp/x.png"_s)).isNull());
        emit view->anchorClicked(QUrl(u"http://example.com/a"_s));
        QCOMPARE(opened, QStringList{u"http://example.com/a"_s});
#ifdef GLOSSA_HAVE_WEBENGINE
        setPreviewViewFactory(webPreviewViewFactory());
#else
        setPreviewViewFactory(std::nullopt);
#endif
    }

    // The plain view shows each font-family list in its first installed family, else in the
    // system's UI font (not a serif default); "{}" stands for a family installed here.
    void plainViewResolvesFontFamilies_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("installedOneWins");
        QTest::newRow("page's list") << QString() << false;
        QTest::newRow("missing first") << u"NoSuchFamily9, '{}', serif"_s << true;
        QTest::newRow("generic before installed") << u"NoSuchFamily9, sans-serif, '{}'"_s << false;
        QTest::newRow("none installed") << u"NoSuchFamily9, \"Nor This\""_s << false;
    }
    void plainViewResolvesFontFamilies() {
        QFETCH(QString, list);
        QFETCH(bool, installedOneWins);
        const QStringList installed = QFontDatabase::families();
        // A family that is a face of its own, not an alias of another.
        const auto face = std::find_if(installed.rbegin(), installed.rend(), [](const QString& f) {
            return QFontInfo(QFont(f)).family() == f;
        });
        QVERIFY(face != installed.rend());
        const QString some = *face;
        setPreviewViewFactory(PreviewViewFactory{});
        const auto restore = qScopeGuard([] {
#ifdef GLOSSA_HAVE_WEBENGINE
            setPreviewViewFactory(webPreviewViewFactory());
#else
            setPreviewViewFactory(std::nullopt);
#endif
        });
        PreviewWindow w;
        w.renderPage(PreviewFields{u"Procedure Foo()"_s, u"Sum"_s, {}, {}, {}});
        auto* view = qobject_cast<PreviewTextBrowser*>(w.view());
        QVERIFY(view);
        if (!list.isEmpty()) {
            setPreviewContent(view, u"<html><head><style>body { font-family: %1; }</style></head>"
                                    u"<body>Sum</body></html>"_s.arg(list.replace(u"{}"_s, some)));
        }
        QTextCursor cursor(view->document());
        cursor.movePosition(QTextCursor::NextCharacter);
        const QStringList families = cursor.charFormat().fontFamilies().toStringList();
        QCOMPARE(families.size(), 1);
        QVERIFY2(installed.contains(families.first()), qPrintable(families.first()));
        const QString ui =
            QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
        if (installedOneWins)
            QCOMPARE(families.first(), some);
        else if (!list.isEmpty())
            QCOMPARE(families.first(), ui);
    }

    void measureMargins() {
        PreviewWindow w;
        // A size that can't be drawn leaves the margins only.
        QCOMPARE(MeasurePreviewText(&w, u"text<br>more"_s, 0), QSize(50, 25));
        const QSize one = MeasurePreviewText(&w, u"Result = Foo(): x"_s, 9);
        const QSize three = MeasurePreviewText(&w, u"Result = Foo(): x<br>    a<br>    b"_s, 9);
        const int lineHeight = one.height() - 25; // one line plus its 3 pixels
        QVERIFY(lineHeight > 3);
        QCOMPARE(three.height(), 25 + 3 * lineHeight);
        QCOMPARE(three.width(), one.width());
        // Format tags take no room; other tags do.
        QCOMPARE(MeasurePreviewText(&w, u"<b>Result</b> = <sup>Foo</sup>(): x"_s, 9), one);
        QVERIFY(MeasurePreviewText(&w, u"<B>Result</B> = Foo(): x"_s, 9).width() > one.width());
        QVERIFY(MeasurePreviewText(&w, u"Result = Foo(): x"_s, 18).width() > one.width());
    }

    void renderShowsAndSizes() {
        writeSettings("InfoWindow_BackColor = 255\r\nLanguage = German\r\n");
        PreviewWindow w;
        w.setOpener([](const QString&) {});
        w.move(40, 30);
        const PreviewFields fields{
            u"Procedure.s Foo(a.s)"_s, u"Sum"_s, {u"a<br>b<br>c"_s}, QString(), QString()};
        w.renderPage(fields);
        QVERIFY(w.isVisible());
        QVERIFY(w.view() != nullptr);
        QCOMPARE(w.view()->objectName(), u"web_preview"_s);
        QCOMPARE(w.findChild<QWidget*>(u"web_preview"_s), w.view());
        QVERIFY(w.pageHtml().contains(u"background-color:           #FF0000;"_s));
        QVERIFY(w.pageHtml().contains(
            u"<div class='info'>Ergebnis = Foo(): Sum<br>\r\n&nbsp;&nbsp;&nbsp;&nbsp;a<br>"_s));
        const QSize expected =
            MeasurePreviewText(&w, u"Ergebnis = Foo(): Sum<br>    a<br>    b<br>    c"_s, 9);
        QCOMPARE(w.size(), expected);
        QCOMPARE(w.pos(), QPoint(40, 30));

        // The user resizes it; the next render sizes it to the text again.
        w.resize(600, 500);
        w.renderPage(fields);
        QCOMPARE(w.size(), expected);

        // Settings are read once per run: a later change doesn't reach this window.
        writeSettings("InfoWindow_BackColor = 16711680\r\n");
        w.renderPage(fields);
        QVERIFY(w.pageHtml().contains(u"#FF0000;"_s));
        QVERIFY(!w.pageHtml().contains(u"#0000FF;"_s));
    }

    void escapeAndCloseHide() {
        PreviewWindow w;
        w.setOpener([](const QString&) {});
        w.renderPage(PreviewFields{u"Procedure Foo()"_s, {}, {}, {}, {}});
        QVERIFY(w.isVisible());
        QWidget* view = w.view();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isHidden());
        w.renderPage(PreviewFields{u"Procedure Foo()"_s, {}, {}, {}, {}});
        QVERIFY(w.isVisible());
        QCOMPARE(w.view(), view); // the same view, created once
        w.close();
        QVERIFY(w.isHidden());
        QCOMPARE(w.view(), view);
    }

#ifdef GLOSSA_HAVE_WEBENGINE
    void followedLinkOpensAndPageStays() {
        PreviewWindow w;
        QStringList opened;
        w.setOpener([&](const QString& a) { opened << a; });
        w.renderPage(PreviewFields{u"Procedure Foo()"_s,
                                   u"see file:///C:/d/e.txt"_s,
                                   {u"and http://example.com/x"_s},
                                   {},
                                   {}});
        QVERIFY(waitLoaded(w));
        QVERIFY(opened.isEmpty()); // loading the page itself opens nothing
        PreviewWebPage* page = pageOf(w);
        const QUrl pageUrl = page->url();
        const QString text = plainText(page);
        QVERIFY(text.contains(u"file:///C:/d/e.txt"_s));

        // Scripts of the page are off; the test clicks from the isolated world, as a user would.
        for (int i = 0; i < 2; ++i) {
            page->runJavaScript(u"document.getElementsByTagName('a')[%1].click();"_s.arg(i),
                                QWebEngineScript::ApplicationWorld);
            QVERIFY(QTest::qWaitFor([&] { return opened.size() == i + 1; }, 10000));
        }
        QCOMPARE(opened, (QStringList{u"file:///C:/d/e.txt"_s, u"http://example.com/x"_s}));
        QTest::qWait(200);
        QCOMPARE(page->url(), pageUrl);
        QCOMPARE(plainText(page), text);
    }

    // Clicks with the mouse on a link and then on a web link after it, whose arrival shows that
    // the clicks went through. A typed anchor stands for markup that reaches the page by any way
    // (the page shows a typed one as text).
    void clickedLinksOpen_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("typedAnchor");
        QTest::addColumn<QString>("opened"); // empty: nothing
        QTest::newRow("http, encoded")
            << u"http://x.com/a%20b"_s << false << u"http://x.com/a%20b"_s;
        QTest::newRow("https") << u"https://example.com/p?q=1"_s << false
                               << u"https://example.com/p?q=1"_s;
        QTest::newRow("file link with backslashes, encoded")
            << u"file:///C:\\My%20Files\\a%20b.txt"_s << false
            << u"file:///C:\\My%20Files\\a%20b.txt"_s;
        QTest::newRow("typed smb") << u"smb://host/share/x"_s << true << QString();
        QTest::newRow("typed custom scheme") << u"x-custom:payload"_s << true << QString();
        QTest::newRow("typed file URL") << u"file:///usr/bin/xterm"_s << true << QString();
        QTest::newRow("typed drive path") << u"C:/Windows/System32/calc.exe"_s << true << QString();
        QTest::newRow("typed web link") << u"http://y.com/z"_s << true << u"http://y.com/z"_s;
    }
    void clickedLinksOpen() {
        QFETCH(QString, link);
        QFETCH(bool, typedAnchor);
        QFETCH(QString, opened);
        const QString last = u"http://last.example/"_s;
        // Nothing may reach the desktop past the opener, not even from the engine itself.
        DesktopRecorder desktop;
        const QStringList schemes{u"http"_s, u"https"_s,    u"file"_s,
                                  u"smb"_s,  u"x-custom"_s, u"c"_s};
        for (const QString& scheme : schemes)
            QDesktopServices::setUrlHandler(scheme, &desktop, "open");
        const auto unset = qScopeGuard([&] {
            for (const QString& scheme : schemes)
                QDesktopServices::unsetUrlHandler(scheme);
        });
        PreviewWindow w;
        QStringList got;
        w.setOpener([&](const QString& a) { got << a; });
        w.renderPage(PreviewFields{u"Procedure Foo()"_s, link + u" "_s + last, {}, {}, {}});
        QVERIFY(waitLoaded(w));
        if (typedAnchor) {
            setPreviewContent(w.view(), u"<a href='"_s + link + u"'>first</a> <a href='"_s + last +
                                            u"'>last</a>"_s);
            QVERIFY(waitLoaded(w));
        }
        QWidget* target = w.view()->focusProxy();
        QVERIFY(target);
        for (int n = 0; n < 2; ++n) {
            const QPoint at = anchorCentre(pageOf(w), n);
            QVERIFY(at.x() > 0);
            QTest::mouseClick(target, Qt::LeftButton, {}, at);
        }
        QVERIFY(QTest::qWaitFor([&] { return got.contains(last); }, 10000));
        // The engine hands a link of a scheme it doesn't know on by a later task, which may come
        // after the second link: give it the time to come.
        if (opened.isEmpty())
            QTest::qWait(300);
        QStringList expected{last};
        if (!opened.isEmpty())
            expected.prepend(opened);
        QCOMPARE(got, expected);
        QCOMPARE(desktop.opened, QStringList());
        QCOMPARE(pageOf(w)->url(), previewBaseUrl()); // the page stayed
    }

    void textLikeTagsShowAsText() {
        PreviewWindow w;
        w.setOpener([](const QString&){});
        w.renderPage(
            PreviewFields{u"Procedure Foo()"_s, u"if a<c then<br>use <script> tags"_s, {}, {}, {}});
        QVERIFY(waitLoaded(w));
        QCOMPARE(plainText(pageOf(w)), u"Result = Foo(): if a<c then\nuse <script> tags\n"_s);
    }

    void pageNavigationsRefused() {
        PreviewWindow w;
        QStringList opened;
        w.setOpener([&](const QString& a) { opened << a; });
        w.renderPage(PreviewFields{u"Procedure Foo()"_s, {}, {}, {}, {}});
        QVERIFY(waitLoaded(w));
        PreviewWebPage* page = pageOf(w);
        const QUrl target(u"http://example.com/"_s);
        QVERIFY(
            !page->acceptNavigationRequest(target, QWebEnginePage::NavigationTypeRedirect, true));
        QVERIFY(!page->acceptNavigationRequest(target, QWebEnginePage::NavigationTypeTyped, true));
        QVERIFY(!page->acceptNavigationRequest(target, QWebEnginePage::NavigationTypeFormSubmitted,
                                               true));
        QVERIFY(!page->acceptNavigationRequest(target, QWebEnginePage::NavigationTypeOther, false));
        QVERIFY(!page->acceptNavigationRequest(target, QWebEnginePage::NavigationTypeLinkClicked,
                                               false));
        // A data: document typed in after the page's own load is not the page's own load.
        QVERIFY(!page->acceptNavigationRequest(QUrl(u"data:text/html,x"_s),
                                               QWebEnginePage::NavigationTypeTyped, true));
        QVERIFY(opened.isEmpty());
        // A followed link is opened, and still the page doesn't navigate.
        QVERIFY(!page->acceptNavigationRequest(target, QWebEnginePage::NavigationTypeLinkClicked,
                                               true));
        QCOMPARE(opened, QStringList{u"http://example.com/"_s});
    }

    void nothingLoadedFromOutside() {
        PreviewWindow w;
        QStringList opened;
        w.setOpener([&](const QString& a) { opened << a; });
        const QString hostile = u"<img src='glossatest://h/img.png'>"
                                "<iframe src='glossatest://h/frame'></iframe>"
                                "<link rel='stylesheet' href='glossatest://h/s.css'>"
                                "<div style='background:url(glossatest://h/bg.png)'>x</div>"
                                "<meta http-equiv='refresh' content='0;url=refreshed'>"_s;
        w.renderPage(PreviewFields{u"Procedure Foo()"_s, hostile, {}, {}, {}});
        RecordingSchemeHandler handler;
        pageOf(w)->profile()->installUrlSchemeHandler("glossatest", &handler);
        QVERIFY(waitLoaded(w));
        QTest::qWait(1000);
        QCOMPARE(handler.requests, QStringList());
        QVERIFY(opened.isEmpty());
        // The refresh was refused: the page and its text stayed.
        QCOMPARE(pageOf(w)->url(), previewBaseUrl());
        QVERIFY(plainText(pageOf(w)).startsWith(u"Result = Foo(): "_s));
        pageOf(w)->profile()->removeUrlSchemeHandler(&handler);
    }
#endif
};

int main(int argc, char* argv[]) {
    // The web engine shares GL contexts with the widgets; this must precede the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#ifdef GLOSSA_HAVE_WEBENGINE
    QWebEngineUrlScheme scheme("glossatest");
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
#endif
    QApplication app(argc, argv);
    TestPreviewWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_previewwindow.moc"
