#include "comment/procedureheader.h"

#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(glossa::DocEncoding)

namespace {

// Two headers, the second at character index 16 (position 17).
const QString kTwoHeaders = u"Procedure A()\nx\nProcedure B()\n"_s;

CommentContext Context(int caret, int mode = 0, int windowStart = 0,
                       DocEncoding encoding = DocEncoding::Utf8) {
    CommentContext context;
    context.CaretPos = caret;
    context.SearchMode = mode;
    context.WindowStart = windowStart;
    context.DocEncoding = encoding;
    return context;
}

} // namespace

class TestProcedureHeader : public QObject {
    Q_OBJECT
private slots:
    void splits_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("no parameters") << u"Procedure Foo()"_s << QStringList();
        QTest::newRow("default pointer")
            << u"Procedure.s Foo(a.s, *b.Point = 0)"_s << QStringList{u"a.s"_s, u"*b.Point"_s};
        QTest::newRow("defaults with and without blanks")
            << u"ProcedureDLL Sum(x = 1, y=2)"_s << QStringList{u"x"_s, u"y"_s};
        // Mended: parentheses inside a parameter no longer end the list.
        QTest::newRow("array parameter keeps the rest")
            << u"Procedure Fill(n, Array a.i(1), Count)"_s
            << QStringList{u"n"_s, u"Array a.i(1)"_s, u"Count"_s};
        QTest::newRow("string, pointer, negative default")
            << u"Procedure Foo(a$, *p, n.l = -1)"_s << QStringList{u"a$"_s, u"*p"_s, u"n.l"_s};
        QTest::newRow("list and map parameters") << u"Procedure Foo(List l.s(), Map m.i())"_s
                                                 << QStringList{u"List l.s()"_s, u"Map m.i()"_s};
        QTest::newRow("default that calls something")
            << u"Procedure Foo(a = Bar(1, 2), b)"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("two commas in a row")
            << u"Procedure Foo(a,,b)"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("piece of blanks gives empty name")
            << u"Procedure Foo(a, , b)"_s << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("blank list") << u"Procedure Foo( )"_s << QStringList{QString()};
        QTest::newRow("tabs stay")
            << u"Procedure Foo(\ta\t , b)"_s << QStringList{u"\ta\t"_s, u"b"_s};
        QTest::newRow("stops at the list's closing parenthesis")
            << u"Procedure Foo(a) (b, c)"_s << QStringList{u"a"_s};
    }
    void splits() {
        QFETCH(QString, header);
        QFETCH(QStringList, names);
        QCOMPARE(SplitParameters(header), names);
        const ParameterList list = MakeParameterList(header);
        QCOMPARE(list.size(), names.size());
        for (int i = 0; i < list.size(); ++i) {
            QCOMPARE(list[i].name, names[i]);
            QVERIFY(list[i].description.isEmpty());
        }
    }

    void pattern_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("headerText"); // empty: no header found
        QTest::newRow("line comment after header")
            << u"Procedure Foo(a, b) ; does (x)"_s << u"Procedure Foo(a, b)"_s;
        QTest::newRow("leading blanks and tabs kept")
            << u"  \tProcedure.s Foo(a.s)\n"_s << u"  \tProcedure.s Foo(a.s)"_s;
        QTest::newRow("lower case") << u"procedure foo()"_s << u"procedure foo()"_s;
        QTest::newRow("ProcedureDLL") << u"PROCEDUREDLL Foo()"_s << u"PROCEDUREDLL Foo()"_s;
        QTest::newRow("ProcedureC with suffix")
            << u"ProcedureC.l Foo(x)"_s << u"ProcedureC.l Foo(x)"_s;
        QTest::newRow("runtime procedure")
            << u"Runtime Procedure Foo()"_s << u"Runtime Procedure Foo()"_s;
        QTest::newRow("runtime with two blanks") << u"Runtime  Procedure Foo()"_s << QString();
        QTest::newRow("ProcedureCDLL not found") << u"ProcedureCDLL Foo()"_s << QString();
        QTest::newRow("suffix at most two characters")
            << u"Procedure.ss Bar()\nProcedureDL Foo()"_s << u"ProcedureDL Foo()"_s;
        QTest::newRow("commented out") << u"; Procedure Foo()"_s << QString();
        QTest::newRow("EndProcedure") << u"EndProcedure Foo()"_s << QString();
        QTest::newRow("ProcedureReturn") << u"ProcedureReturn Foo(1)"_s << QString();
        QTest::newRow("tab in parentheses") << u"Procedure Foo(a,\tb)"_s << QString();
        QTest::newRow("quoted default") << u"Procedure Foo(a.s = \"x\")"_s << QString();
        QTest::newRow("name outside ASCII") << u"Procedure F\u00f6\u00f6()"_s << QString();
        QTest::newRow("nested parentheses") << u"Procedure.i Foo(List l.s(), Map m())"_s
                                            << u"Procedure.i Foo(List l.s(), Map m())"_s;
        QTest::newRow("CR only: second line not found") << u"x\rProcedure Foo()\r"_s << QString();
        QTest::newRow("CR only: first line found")
            << u"Procedure A()\rProcedure B()\r"_s << u"Procedure A()"_s;
    }
    void pattern() {
        QFETCH(QString, text);
        QFETCH(QString, headerText);
        // Caret far behind: mode 0 picks the nearest, i.e. the last match.
        const auto header = FindProcedure(text, Context(0));
        if (headerText.isEmpty()) {
            QVERIFY(!header);
        } else {
            QVERIFY(header);
            QCOMPARE(header->headerText, headerText);
        }
    }

    void searchModes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("windowStart");
        QTest::addColumn<int>("position"); // -1: none
        QTest::newRow("mode 0 nearest") << kTwoHeaders << 0 << 0 << 0 << 1;
        QTest::newRow("mode 0 tie keeps earlier") << kTwoHeaders << 0 << 9 << 0 << 1;
        QTest::newRow("mode 0 body nearer next header") << kTwoHeaders << 0 << 10 << 0 << 17;
        QTest::newRow("mode 1 header at position 1 after caret 0")
            << kTwoHeaders << 1 << 0 << 0 << -1;
        QTest::newRow("mode 1 caret 1") << kTwoHeaders << 1 << 1 << 0 << 1;
        QTest::newRow("mode 1 nearest before") << kTwoHeaders << 1 << 30 << 0 << 17;
        QTest::newRow("mode 1 header starting at caret is after it")
            << kTwoHeaders << 1 << 16 << 0 << 1;
        QTest::newRow("mode 2 header starting at caret") << kTwoHeaders << 2 << 16 << 0 << 17;
        QTest::newRow("mode 2 P equals caret") << kTwoHeaders << 2 << 17 << 0 << 17;
        QTest::newRow("mode 2 none after") << kTwoHeaders << 2 << 18 << 0 << -1;
        QTest::newRow("mode 3 never") << kTwoHeaders << 3 << 0 << 0 << -1;
        QTest::newRow("mode -1 never") << kTwoHeaders << -1 << 0 << 0 << -1;
        QTest::newRow("window start: mode 2 finds header after caret")
            << kTwoHeaders << 2 << 110 << 100 << 17;
        QTest::newRow("no window start: mode 2 finds none") << kTwoHeaders << 2 << 110 << 0 << -1;
        QTest::newRow("window start: distance") << kTwoHeaders << 0 << 110 << 100 << 17;
        QTest::newRow("window start: tie keeps earlier") << kTwoHeaders << 0 << 109 << 100 << 1;
        QTest::newRow("no text header") << u"Debug 1\n"_s << 0 << 0 << 0 << -1;
    }
    void searchModes() {
        QFETCH(QString, text);
        QFETCH(int, mode);
        QFETCH(int, caret);
        QFETCH(int, windowStart);
        QFETCH(int, position);
        const auto header = FindProcedure(text, Context(caret, mode, windowStart));
        QCOMPARE(header ? header->position() : -1, position);
    }

    void startOffset_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<DocEncoding>("encoding");
        QTest::addColumn<int>("windowStart");
        QTest::addColumn<int>("startCharacter");
        QTest::addColumn<int>("startOffset");
        QTest::addColumn<QString>("lineEndBefore");
        const QString umlauts = u"; Gr\u00fc\u00dfe \u20ac\nProcedure Foo(a)\n"_s;
        QTest::newRow("UTF-8 multi-byte before header")
            << umlauts << DocEncoding::Utf8 << 0 << 10 << 14 << u"\n"_s;
        QTest::newRow("UTF-8 with window start")
            << umlauts << DocEncoding::Utf8 << 5 << 10 << 19 << u"\n"_s;
        QTest::newRow("ANSI one byte a character")
            << umlauts << DocEncoding::Ansi << 0 << 10 << 10 << u"\n"_s;
        QTest::newRow("ANSI with window start")
            << umlauts << DocEncoding::Ansi << 5 << 10 << 15 << u"\n"_s;
        QTest::newRow("UTF-8 outside the BMP")
            << u"\U0001F600\r\nProcedure Foo()"_s << DocEncoding::Utf8 << 0 << 4 << 6 << u"\r\n"_s;
        QTest::newRow("header first")
            << u"Procedure Foo()\r\n"_s << DocEncoding::Utf8 << 7 << 0 << 7 << QString();
    }
    void startOffset() {
        QFETCH(QString, text);
        QFETCH(DocEncoding, encoding);
        QFETCH(int, windowStart);
        QFETCH(int, startCharacter);
        QFETCH(int, startOffset);
        QFETCH(QString, lineEndBefore);
        const auto header = FindProcedure(text, Context(windowStart, 0, windowStart, encoding));
        QVERIFY(header);
        QCOMPARE(header->startCharacter, startCharacter);
        QCOMPARE(header->startOffset, startOffset);
        QCOMPARE(header->lineEndBefore, lineEndBefore);
    }
};

QTEST_GUILESS_MAIN(TestProcedureHeader)
#include "test_procedureheader.moc"
