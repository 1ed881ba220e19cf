// SPDX-License-Identifier: MIT
// The program itself never links the web engine: the preview module brings it at the first
// preview, and without the module the plain view takes its place.
#include "preview/previewwindow.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

bool webEngineLoaded() {
    QFile maps(u"/proc/self/maps"_s);
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains("libQt6WebEngineCore");
}

const PreviewFields kFields{u"Procedure.s Foo(a.s)"_s, u"Sum <b>bold</b>"_s, {u"a"_s}, {}, {}};

} // namespace

class TestWebPreviewModule : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void moduleLoadedAtFirstRender() {
        QVERIFY(!webEngineLoaded());
        PreviewWindow w;
        w.setOpener([](const QString&) {});
        QVERIFY(!webEngineLoaded()); // not at construction either
        w.renderPage(kFields);
        QVERIFY(webEngineLoaded());
        QVERIFY(w.view() != nullptr);
        QCOMPARE(w.view()->objectName(), u"web_preview"_s);
        QVERIFY(w.view()->inherits("QWebEngineView"));
        QVERIFY(w.pageHtml().contains(u"Result = Foo(): Sum <b>bold</b>"_s));
        // The same view serves the next render.
        QWidget* view = w.view();
        w.renderPage(kFields);
        QCOMPARE(w.view(), view);
    }

    void fallbackWithoutModule() {
        PreviewWindow w;
        QStringList opened;
        w.setOpener([&](const QString& address) { opened << address; });
        w.renderPage({u"Procedure Foo()"_s, u"see http://example.com/x"_s, {}, {}, {}});
        QVERIFY(!webEngineLoaded());
        auto* browser = qobject_cast<QTextBrowser*>(w.view());
        QVERIFY(browser != nullptr);
        QCOMPARE(browser->objectName(), u"web_preview"_s);
        QVERIFY(browser->toPlainText().contains(u"Result = Foo(): see http://example.com/x"_s));
        // A followed link goes to the opener, and the page stays.
        emit browser->anchorClicked(QUrl(u"http://example.com/x"_s));
        QCOMPARE(opened, QStringList{u"http://example.com/x"_s});
        QVERIFY(browser->toPlainText().contains(u"Result = Foo()"_s));
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestWebPreviewModule test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_webpreviewmodule.moc"
