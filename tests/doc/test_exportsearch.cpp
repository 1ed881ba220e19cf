// SPDX-License-Identifier: MIT
// The exported pages' search box in a real browser (Qt WebEngine, offscreen), typed into with
// key events as a user types: ranking, the answer when nothing matches, "/" and Escape, Enter.
#include "doc/docrun.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace {

// Names that hold "area" in each way the search ranks (a shorter name of a lower rank comes
// after a longer one of a higher rank), and a summary that does, with characters a script's
// strings escape.
const QByteArray kAreas =
    ";<comment>\n;  <summary>Fills an \"area\" in C:\\x. Then more.</summary>\n;</comment>\n"
    "Procedure Fill()\nEndProcedure\n"
    "Procedure Subareas()\nEndProcedure\n"
    "Procedure ShapeArea()\nEndProcedure\n"
    "Procedure AreaOf()\nEndProcedure\n"
    "Procedure _Area()\nEndProcedure\n"
    "DeclareModule Geo\n  Declare Area()\nEndDeclareModule\n"
    "Module Geo\n"
    ";<comment>\n;  <summary>The area.</summary>\n;</comment>\n"
    "  Procedure Area()\n  EndProcedure\n"
    "EndModule\n";

} // namespace

class TestExportSearch : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString eval(QWebEnginePage& page, const QString& script) {
        QString result = u"(none)"_s;
        bool done = false;
        page.runJavaScript(script, [&](const QVariant& value) {
            result = value.toString();
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return u"(no answer)"_s;
        return result;
    }

private slots:
    void initTestCase() {
        QFile file(dir_.filePath(u"src/sub/areas.pb"_s));
        QVERIFY(QDir().mkpath(dir_.filePath(u"src/sub"_s)));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kAreas) == kAreas.size());
        file.close();
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        QCOMPARE(glossa::runDocumentation(
                     {u"-export:"_s + dir_.filePath(u"out"_s), dir_.filePath(u"src"_s)},
                     dir_.filePath(u"none.ini"_s), out, err),
                 0);
        std::fclose(out);
        std::fclose(err);
    }

    void searchesAsTheUserTypes() {
        QWebEngineView view;
        view.resize(1000, 700);
        view.show();
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.load(QUrl::fromLocalFile(dir_.filePath(u"out/a-z/S.html"_s)));
        QVERIFY(loaded.wait(30000));
        QVERIFY(loaded.first().first().toBool());
        QWebEnginePage& page = *view.page();
        // The letter page: its bar and its list.
        QCOMPARE(eval(page, u"document.querySelector('nav.letters strong').textContent + ' ' + "
                            "document.querySelector('ul.procs').textContent"_s),
                 u"S \nShapeArea() undocumented sub/areas.pb:8\nSubareas() undocumented "
                 "sub/areas.pb:6\n"_s);
        QTRY_COMPARE(eval(page, u"document.getElementById('q').hidden"_s), u"false"_s);

        QWidget* input = view.focusProxy();
        QTest::keyClick(input, Qt::Key_Slash);
        QTRY_COMPARE(eval(page, u"document.activeElement.id"_s), u"q"_s);
        QTest::keyClicks(input, u"area"_s);
        const QString results = u"Array.prototype.map.call(document.querySelectorAll('#results "
                                "li'), function (li) { return li.textContent; }).join(' | ')"_s;
        QTRY_COMPARE_WITH_TIMEOUT(
            eval(page, results),
            u"Area() Geo \u2014 The area. | AreaOf() | _Area() | ShapeArea() | "
            "Subareas() | Fill() \u2014 Fills an \"area\" in C:\\x."_s,
            10000);
        QTest::keyClicks(input, u"zz"_s);
        QTRY_COMPARE_WITH_TIMEOUT(eval(page, results), u"No procedure matches"_s, 10000);
        QTest::keyClick(input, Qt::Key_Escape);
        QTRY_COMPARE(eval(page, u"document.getElementById('q').value + "
                                "document.getElementById('results').hidden"_s),
                     u"true"_s);
        // Enter opens the first result, before the pause after typing is over.
        QTest::keyClicks(input, u"areaof"_s);
        QTest::keyClick(input, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(view.url().toString().endsWith(u"/sub/areas.pb.html#AreaOf"_s),
                                 10000);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestExportSearch test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_exportsearch.moc"
