// SPDX-License-Identifier: MIT
// The exported pages in a real browser (Qt WebEngine, offscreen): their style and script load
// from the files beside the index under the pages' policy, and on a phone no page is wider than
// the screen.
#include "doc/docrun.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

// A long name, a long address and a wide header, in a module; one procedure outside it.
const QByteArray kWide =
    "DeclareModule Shapes\n"
    "  Declare.d Area(w.d, h.d = 1.0)\n"
    "EndDeclareModule\n"
    "Module Shapes\n"
    "  ;<comment>\n"
    "  ;  <summary>The area, see https://example.org/a/very/long/address/without/any/blank/"
    "that/a/phone/has/to/wrap/somewhere/index.html and Helper().</summary>\n"
    "  ;  <param><b>w.d:</b> the width</param>\n"
    "  ;  <return>the area</return>\n"
    "  ;  <example>If Area(2, 3) > 5<br>  Debug \"a line of code far wider than a phone, which "
    "scrolls in its own box\"<br>EndIf</example>\n"
    "  ;</comment>\n"
    "  Procedure.d Area(w.d, h.d = 1.0)\n"
    "  EndProcedure\n"
    "  ;<comment>\n"
    "  ;  <summary>Scales a shape by a factor.</summary>\n"
    "  ;  <param><b>v:</b> the value</param>\n"
    "  ;  <param><b>factor:</b> how much</param>\n"
    "  ;</comment>\n"
    "  Procedure Helper(v, factor = 2)\n"
    "  EndProcedure\n"
    "EndModule\n"
    "Procedure ALongProcedureNameThatNoPhoneScreenCanHoldOnOneLineAtAll_NotEvenTurned("
    "aLongParameterName.s, anotherLongParameterName.SomeStructure = #Null)\n"
    "EndProcedure\n";

// Keeps what the page says on its console: a style or script the policy refuses says so there.
class RecordingPage : public QWebEnginePage {
public:
    QStringList messages;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override {
        messages << message;
    }
};

} // namespace

class TestExportBrowser : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // The page at the given width: what the script reads from it after it has loaded.
    QJsonArray lookOf(const QString& page, int width) {
        QWebEngineView view;
        auto* recorder = new RecordingPage;
        view.setPage(recorder);
        view.resize(width, 800);
        view.show();
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.load(QUrl::fromLocalFile(dir_.filePath(u"out/"_s + page)));
        if (!loaded.wait(30000) || !loaded.first().first().toBool())
            return {};
        QVariant result;
        bool done = false;
        recorder->runJavaScript(
            u"var q = document.getElementById('q'), d = document.querySelector('nav.toc details');"
            "JSON.stringify([document.documentElement.scrollWidth,"
            "getComputedStyle(document.body).overflowWrap, q ? !q.hidden : null,"
            "d ? d.open : null])"_s,
            [&](const QVariant& value) {
                result = value;
                done = true;
            });
        if (!QTest::qWaitFor([&] { return done; }, 30000))
            return {};
        QJsonArray look = QJsonDocument::fromJson(result.toString().toUtf8()).array();
        look.append(recorder->messages.join(u'\n'));
        return look;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QDir().mkpath(dir_.filePath(u"src"_s));
        QFile source(dir_.filePath(u"src/shapes.pb"_s));
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write(kWide);
        source.close();
        std::FILE* null = std::fopen("/dev/null", "w");
        QCOMPARE(
            runDocumentation({u"-export:"_s + dir_.filePath(u"out"_s), dir_.filePath(u"src"_s)},
                             dir_.filePath(u"none.ini"_s), null, stderr),
            0);
        std::fclose(null);
    }

    // Each page at a phone's and a desktop's width: no sideways scrolling, the style applied
    // (its wrapping of long words), the script run (the search box shown, the list of the
    // page's procedures open where there is room) and nothing refused.
    void pagesFitAndLoadTheirFiles_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("width");
        QTest::addColumn<QJsonValue>("searchShown");
        QTest::addColumn<QJsonValue>("contentsOpen");
        QTest::newRow("source, phone")
            << u"shapes.pb.html"_s << 390 << QJsonValue(true) << QJsonValue(false);
        QTest::newRow("source, narrow phone")
            << u"shapes.pb.html"_s << 360 << QJsonValue(true) << QJsonValue(false);
        QTest::newRow("source, desktop")
            << u"shapes.pb.html"_s << 1280 << QJsonValue(true) << QJsonValue(true);
        QTest::newRow("index, phone") << u"index.html"_s << 390 << QJsonValue(true) << QJsonValue();
        QTest::newRow("A-Z letter, phone")
            << u"a-z/A.html"_s << 390 << QJsonValue(true) << QJsonValue();
        QTest::newRow("module, narrow phone")
            << u"modules/Shapes.html"_s << 360 << QJsonValue(true) << QJsonValue();
    }
    void pagesFitAndLoadTheirFiles() {
        QFETCH(QString, page);
        QFETCH(int, width);
        QFETCH(QJsonValue, searchShown);
        QFETCH(QJsonValue, contentsOpen);
        const QJsonArray look = lookOf(page, width);
        QCOMPARE(look.size(), 5);
        QVERIFY2(look[0].toInt() <= width, qPrintable(u"%1 px wide"_s.arg(look[0].toInt())));
        QCOMPARE(look[1].toString(), u"anywhere"_s);
        QCOMPARE(look[2], searchShown.isUndefined() ? QJsonValue() : searchShown);
        QCOMPARE(look[3], contentsOpen.isUndefined() ? QJsonValue() : contentsOpen);
        QCOMPARE(look[4].toString(), QString());
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestExportBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_exportbrowser.moc"
