// SPDX-License-Identifier: MIT
#include "comment/procedureheader.h"

#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(glossa::DocEncoding)

namespace {

// Two headers, the second at character index 16 (position 17).
const QString kTwoHeaders = u"Procedure A()\nx\nProcedure B()\n"_s;

CommentContext makeContext(int caret, int mode = 0, int windowStart = 0,
                           DocEncoding encoding = DocEncoding::Utf8) {
    CommentContext context;
    context.CaretPos = caret;
    context.SearchMode = mode;
    context.WindowStart = windowStart;
    context.DocEncoding = encoding;
    return context;
}

// Three procedures: one that looks nested, a long one, a short one.
const QString kThree = u"EnableExplicit\n"
                       ";<comment>\n"
                       ";  <summary>Looks nested</summary>\n"
                       ";</comment>\n"
                       "Procedure Outer()\n"
                       "  Debug \"Procedure Fake()\"\n"
                       "  ; Procedure Inner()\n"
                       "  ;EndProcedure\n"
                       "  g = 1 : EndProcedure\n"
                       "Global h\n"
                       "\n"
                       "Procedure.i Long(x,\n"
                       "                 y)\n"
                       "  Protected i\n"
                       "  For i = 1 To 10\n"
                       "    Debug \"EndProcedure\" ; EndProcedure\n"
                       "    x = Geo::EndProcedure(i)\n"
                       "  Next\n"
                       "  ProcedureReturn x + y\n"
                       "EndProcedure\n"
                       "\n"
                       "Procedure Short(a)\n"
                       "  ProcedureReturn a * 2\n"
                       "EndProcedure\n"_s;

// A procedure on one line, lists continued as the IDE reads them, a header after a ":" and one
// in a macro.
const QString kForms = u"Procedure One() : EndProcedure\n"
                       "Debug 1\n"
                       "Procedure Two(a, ; the first\n"
                       "              b = #A |\n"
                       "                  #B)\n"
                       "  Debug a\n"
                       "EndProcedure\n"
                       "  x = 1 : Procedure Three(p = 1 +\n"
                       "                          2, q = #X Or\n"
                       "                          #Y)\n"
                       "EndProcedure\n"
                       "Macro Make(name)\n"
                       "  Procedure Get#name(v = #F And\n"
                       "                     #G, w = 1 XOR\n"
                       "                     2) : ProcedureReturn v : EndProcedure\n"
                       "EndMacro\n"
                       "Procedure After()\n"
                       "EndProcedure\n"_s;

// The text with its line feeds replaced by ends: "\r\n", "\r", or "mixed" (CR LF, CR and LF
// in turn).
QString withLineEnds(const QString& text, const QString& ends) {
    const QStringList lines = text.split(u'\n');
    QString out;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        out += lines[k];
        if (k + 1 < lines.size())
            out += ends == u"mixed"_s ? QStringList{u"\r\n"_s, u"\r"_s, u"\n"_s}[k % 3] : ends;
    }
    return out;
}

// Byte position of a line and column (both from 1) of an ASCII text with any line ends.
int at(const QString& text, int line, int column) {
    qsizetype position = 0;
    for (int k = 1; k < line; ++k) {
        while (text[position] != u'\n' && text[position] != u'\r')
            ++position;
        position += text.mid(position, 2) == u"\r\n"_s ? 2 : 1;
    }
    return int(position) + column - 1;
}

// The name in a header text: the word before its "(".
QString splitName(const QString& headerText) {
    const QString head = headerText.left(headerText.indexOf(u'('));
    return head.mid(head.lastIndexOf(u' ') + 1);
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
        QTest::newRow("commas and parentheses in strings")
            << u"Procedure Foo(a$ = \"x, (y\", b = ')', c)"_s
            << QStringList{u"a$"_s, u"b"_s, u"c"_s};
        QTest::newRow("over several lines")
            << u"Procedure Foo(a,\r\n\t\tb = 2,\n  c)"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("stops at the list's closing parenthesis")
            << u"Procedure Foo(a) (b, c)"_s << QStringList{u"a"_s};
    }
    void splits() {
        QFETCH(QString, header);
        QFETCH(QStringList, names);
        QCOMPARE(SplitParameters(header), names);
        const ParameterList list = makeParameterList(header);
        QCOMPARE(list.size(), names.size());
        for (int i = 0; i < list.size(); ++i) {
            QCOMPARE(list[i].name, names[i]);
            QVERIFY(list[i].description.isEmpty());
        }
    }

    void headerLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("headerText"); // empty: nothing found
        QTest::addColumn<QStringList>("names");
        // Forms found before, unchanged.
        QTest::newRow("line comment after header")
            << u"Procedure Foo(a, b) ; does (x)"_s << u"Procedure Foo(a, b)"_s
            << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("leading blanks and tabs kept")
            << u"  \tProcedure.s Foo(a.s)\n"_s << u"  \tProcedure.s Foo(a.s)"_s
            << QStringList{u"a.s"_s};
        QTest::newRow("lower case")
            << u"procedure foo()"_s << u"procedure foo()"_s << QStringList();
        QTest::newRow("ProcedureDLL")
            << u"PROCEDUREDLL Foo()"_s << u"PROCEDUREDLL Foo()"_s << QStringList();
        QTest::newRow("ProcedureC with suffix")
            << u"ProcedureC.l Foo(x)"_s << u"ProcedureC.l Foo(x)"_s << QStringList{u"x"_s};
        QTest::newRow("runtime procedure")
            << u"Runtime Procedure Foo()"_s << u"Runtime Procedure Foo()"_s << QStringList();
        QTest::newRow("two-letter suffix")
            << u"ProcedureDL Foo(a)"_s << u"ProcedureDL Foo(a)"_s << QStringList{u"a"_s};
        QTest::newRow("nested parentheses") << u"Procedure.i Foo(List l.s(), Map m())"_s
                                            << u"Procedure.i Foo(List l.s(), Map m())"_s
                                            << QStringList{u"List l.s()"_s, u"Map m()"_s};
        // Keywords.
        QTest::newRow("ProcedureCDLL")
            << u"ProcedureCDLL Foo(a)"_s << u"ProcedureCDLL Foo(a)"_s << QStringList{u"a"_s};
        QTest::newRow("procedurecdll with type")
            << u"procedurecdll.l foo()"_s << u"procedurecdll.l foo()"_s << QStringList();
        QTest::newRow("runtime, blanks and tabs")
            << u"Runtime \t Procedure Foo()"_s << u"Runtime \t Procedure Foo()"_s << QStringList();
        QTest::newRow("runtime ProcedureC")
            << u"RUNTIME ProcedureC.i Foo(x)"_s << u"RUNTIME ProcedureC.i Foo(x)"_s
            << QStringList{u"x"_s};
        // Return types.
        QTest::newRow(".q") << u"Procedure.q Big(x.q)"_s << u"Procedure.q Big(x.q)"_s
                            << QStringList{u"x.q"_s};
        QTest::newRow(".c") << u"Procedure.c Ch()"_s << u"Procedure.c Ch()"_s << QStringList();
        QTest::newRow("structure")
            << u"Procedure.Point Origin()"_s << u"Procedure.Point Origin()"_s << QStringList();
        QTest::newRow("any type name")
            << u"Procedure.ss Bar()"_s << u"Procedure.ss Bar()"_s << QStringList();
        QTest::newRow("fixed string") << u"Procedure.s{20} Fixed(a)"_s
                                      << u"Procedure.s{20} Fixed(a)"_s << QStringList{u"a"_s};
        QTest::newRow("module type")
            << u"Procedure.Geo::Point Origin(*p.Geo::Point)"_s
            << u"Procedure.Geo::Point Origin(*p.Geo::Point)"_s << QStringList{u"*p.Geo::Point"_s};
        QTest::newRow("blanks around the dot")
            << u"Procedure . s\tFoo(a)"_s << u"Procedure . s\tFoo(a)"_s << QStringList{u"a"_s};
        QTest::newRow("dollar") << u"Procedure$ Name(a$)"_s << u"Procedure$ Name(a$)"_s
                                << QStringList{u"a$"_s};
        QTest::newRow("ProcedureC dollar")
            << u"ProcedureC$ Name()"_s << u"ProcedureC$ Name()"_s << QStringList();
        // The parameter list.
        QTest::newRow("blanks before the parenthesis")
            << u"Procedure Foo \t(a, b)"_s << u"Procedure Foo \t(a, b)"_s
            << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("string default") << u"Procedure Greet(Name$ = \"World, (x); 'q'\", b)"_s
                                        << u"Procedure Greet(Name$ = \"World, (x); 'q'\", b)"_s
                                        << QStringList{u"Name$"_s, u"b"_s};
        QTest::newRow("character defaults") << u"Procedure Sep(c.c = '\"', d = ',', e = ')')"_s
                                            << u"Procedure Sep(c.c = '\"', d = ',', e = ')')"_s
                                            << QStringList{u"c.c"_s, u"d"_s, u"e"_s};
        QTest::newRow("escaped string")
            << u"Procedure Esc(a$ = ~\"say \\\"hi)\\\"\", b)"_s
            << u"Procedure Esc(a$ = ~\"say \\\"hi)\\\"\", b)"_s << QStringList{u"a$"_s, u"b"_s};
        QTest::newRow("operators")
            << u"Procedure Ops(a = #A | #B, b = 1 + 2 / 3, c = ~#C, *d = @Other(), e = 1<2>0)"_s
            << u"Procedure Ops(a = #A | #B, b = 1 + 2 / 3, c = ~#C, *d = @Other(), e = 1<2>0)"_s
            << QStringList{u"a"_s, u"b"_s, u"c"_s, u"*d"_s, u"e"_s};
        QTest::newRow("colons and braces") << u"Procedure Mods(*p.Geo::Point, s.s{8}, t = x:y)"_s
                                           << u"Procedure Mods(*p.Geo::Point, s.s{8}, t = x:y)"_s
                                           << QStringList{u"*p.Geo::Point"_s, u"s.s{8}"_s, u"t"_s};
        QTest::newRow("tab in parentheses")
            << u"Procedure Foo(a,\tb)"_s << u"Procedure Foo(a,\tb)"_s
            << QStringList{u"a"_s, u"\tb"_s};
        QTest::newRow("ends at the matching parenthesis")
            << u"Procedure Foo(a = (1), b)) (c)"_s << u"Procedure Foo(a = (1), b)"_s
            << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("continued lines")
            << u"Procedure Long(a,\r\n         b = \"x\", \r\n\t\tc)\r\n  Debug 1"_s
            << u"Procedure Long(a,\r\n         b = \"x\", \r\n\t\tc)"_s
            << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("continued after an empty line")
            << u"Procedure L(a,\n\nb)\n"_s << u"Procedure L(a,\n\nb)"_s
            << QStringList{u"a"_s, u"b"_s};
        const QString operators = u"Procedure Ops(a = #A |\n #B, b = 1 +\n 2, c = x Or\n y, "
                                  "d = x AND\n y, e = x xor\t\n y)"_s;
        QTest::newRow("continued after | + Or And Xor")
            << operators + u"\n"_s << operators
            << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s};
        QTest::newRow("comments after continued lines")
            << u"Procedure C(a, ; the first (x), \"y\"\r\n ; more\r\n b = 1 | ; ) 'q\r\n 2)"_s
            << u"Procedure C(a, ; the first (x), \"y\"\r\n ; more\r\n b = 1 | ; ) 'q\r\n 2)"_s
            << QStringList{u"a"_s, u"b"_s};
        // Not headers: the header on the next line is found in their place.
        const QString next = u"\nProcedure Z()"_s;
        for (const QString& line :
             {u"EndProcedure Foo()"_s, u"ProcedureReturn Foo(1)"_s, u"; Procedure Foo("_s,
              u"Declare Foo(a"_s, u"DeclareC.i Foo()"_s, u"Prototype Foo(a"_s,
              u"PrototypeC Foo()"_s, u"Debug \"Procedure Foo(\""_s, u"x = 1 ; Procedure Foo("_s,
              u"ProcedureX Foo("_s, u"Runtime Foo("_s, u"Runtime  Procedurex Foo("_s})
            QTest::newRow(qPrintable(u"not a header: "_s + line))
                << line + next << u"Procedure Z()"_s << QStringList();
    }
    void headerLines() {
        QFETCH(QString, text);
        QFETCH(QString, headerText);
        QFETCH(QStringList, names);
        // Caret 0: the first header is the nearest.
        const auto header = FindProcedure(text, makeContext(0));
        QVERIFY(header);
        QCOMPARE(header->headerText, headerText);
        QCOMPARE(header->startCharacter, text.indexOf(headerText));
        QCOMPARE(SplitParameters(header->headerText), names);
    }

    void oneLine() {
        QCOMPARE(headerOnOneLine(u"Procedure Long(a,\r\n         b = \"x\", \r\n\t\tc)"_s),
                 u"Procedure Long(a, b = \"x\",  c)"_s);
        QCOMPARE(headerOnOneLine(u"Procedure L(a,\n\nb)"_s), u"Procedure L(a,  b)"_s);
        QCOMPARE(headerOnOneLine(u"Procedure C(a = \";\", ; (x) \"y\"\n  b)"_s),
                 u"Procedure C(a = \";\", b)"_s);
    }

    // Lines the IDE reads as headers but that can't be read here: never a neighbour instead.
    void neverNeighbour_data() {
        QTest::addColumn<QString>("badLine");
        QTest::newRow("unterminated string") << u"Procedure Bad(a = \"x)"_s;
        QTest::newRow("unbalanced parentheses") << u"Procedure Bad((a)"_s;
        QTest::newRow("line break without comma") << u"Procedure Bad(a\n  , b)"_s;
        QTest::newRow("comment without continuation") << u"Procedure Bad(a ; first,\n  , b)"_s;
        QTest::newRow("a name ending in or") << u"Procedure Bad(a = #Color\n  , b)"_s;
        QTest::newRow("no name") << u"ProcedureC.i (a)"_s;
        QTest::newRow("no list") << u"Procedure Bad"_s;
        QTest::newRow("bad type") << u"Procedure.Geo:: Bad(a)"_s;
        QTest::newRow("name outside ASCII") << u"Procedure Gr\u00fc\u00df(a)"_s;
        QTest::newRow("keyword alone") << u"  procedurecdll"_s;
    }
    void neverNeighbour() {
        QFETCH(QString, badLine);
        const QString text = u"Procedure Good(a)\n  Debug a\nEndProcedure\n; about Bad\n"_s +
                             badLine +
                             u"\n  x = 1\n  Debug x\nEndProcedure\nProcedure After(b)\n"
                             "  Debug b\nEndProcedure\n"_s;
        // Carets are byte positions: count the UTF-8 bytes before the marked character.
        const auto at = [&](const QString& marker, int extra = 0) {
            const qsizetype index = text.indexOf(marker);
            Q_ASSERT(index >= 0);
            return int(text.first(index + extra).toUtf8().size());
        };
        const int badEnd = at(u"EndProcedure\nProcedure After"_s, 12);
        for (const int caret : {at(badLine), at(badLine, 5), at(u"x = 1"_s), at(u"Debug x"_s),
                                badEnd, at(u"; about"_s, 3)})
            QVERIFY2(!FindProcedure(text, makeContext(caret)), qPrintable(QString::number(caret)));
        QVERIFY(!FindProcedure(text, makeContext(at(u"Debug x"_s), 1)));
        QVERIFY(!FindProcedure(text, makeContext(at(u"x = 1"_s), 2)));
        QCOMPARE(FindProcedure(text, makeContext(at(u"Debug a"_s)))->headerText,
                 u"Procedure Good(a)"_s);
        QCOMPARE(FindProcedure(text, makeContext(at(u"Debug b"_s)))->headerText,
                 u"Procedure After(b)"_s);
        QCOMPARE(FindProcedure(text, makeContext(at(u"Procedure After"_s)))->headerText,
                 u"Procedure After(b)"_s);
    }

    void allHeaders() {
        const QString text = u"; \u00e9\u00e9\r\nProcedure A(x,\r\n  y)\r\nEndProcedure\r\n"
                             "Procedure Bad(\r\nEndProcedure\r\nProcedure B()"_s;
        const QList<ProcedureHeader> headers = findAllProcedures(text, makeContext(999, 3, 10));
        QCOMPARE(headers.size(), 2);
        QCOMPARE(headers[0].headerText, u"Procedure A(x,\r\n  y)"_s);
        QCOMPARE(headers[0].startCharacter, 6);
        QCOMPARE(headers[0].startOffset, 18); // 10 + "; " + two 2-byte characters + CR LF
        QCOMPARE(headers[0].lineEndBefore, u"\r\n"_s);
        QCOMPARE(headers[1].headerText, u"Procedure B()"_s);
        QCOMPARE(headers[1].startCharacter, 72);
        QCOMPARE(headers[1].startOffset, 84);
        QCOMPARE(headers[1].lineEndBefore, u"\r\n"_s);
    }
    void continuedLinesOfAnUnreadableHeader() {
        // After its trailing comma the next line belongs to the list, header or not.
        const QString text = u"Procedure A(x,\nProcedure B(y)\nEndProcedure\nProcedure C()"_s;
        const QList<ProcedureHeader> headers = findAllProcedures(text, makeContext(0));
        QCOMPARE(headers.size(), 1);
        QCOMPARE(headers[0].headerText, u"Procedure C()"_s);
        QVERIFY(!FindProcedure(text, makeContext(int(text.indexOf(u"B(y)"_s)))));
    }

    void searchModes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("windowStart");
        QTest::addColumn<int>("position"); // -1: none
        QTest::newRow("mode 0 nearest") << kTwoHeaders << 0 << 0 << 0 << 1;
        QTest::newRow("mode 0 tie keeps earlier") << kTwoHeaders << 0 << 9 << 0 << 1;
        QTest::newRow("mode 0 on a header line nearer the next")
            << kTwoHeaders << 0 << 10 << 0 << 1;
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
        QTest::newRow("window start: on a header line") << kTwoHeaders << 0 << 110 << 100 << 1;
        QTest::newRow("window start: tie keeps earlier") << kTwoHeaders << 0 << 109 << 100 << 1;
        QTest::newRow("no text header") << u"Debug 1\n"_s << 0 << 0 << 0 << -1;
    }
    void searchModes() {
        QFETCH(QString, text);
        QFETCH(int, mode);
        QFETCH(int, caret);
        QFETCH(int, windowStart);
        QFETCH(int, position);
        const auto header = FindProcedure(text, makeContext(caret, mode, windowStart));
        QCOMPARE(header ? header->position() : -1, position);
    }

    // The procedure the caret is in, whatever header is nearer; between procedures the
    // nearest. Carets are given as line and column (from 1) of kThree, whose lines end alike
    // in LF, CR LF, CR or a mix of them.
    void caretProcedure_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name"); // empty: none
        const struct {
            int line;
            int column;
            const char* modes[3];
        } rows[] = {
            {1, 3, {"Outer", "", "Outer"}},      // before the first procedure
            {3, 3, {"Outer", "", "Outer"}},      // in the block above Outer
            {6, 1, {"Outer", "Outer", "Long"}},  // on "Procedure Fake()" in a string
            {8, 3, {"Outer", "Outer", "Long"}},  // on ";EndProcedure", a comment
            {9, 20, {"Outer", "Outer", "Long"}}, // on "g = 1 : EndProcedure"
            {10, 3, {"Long", "Outer", "Long"}},  // after it, nearer Long
            {13, 3, {"Long", "Long", "Short"}},  // on the header's second line
            {17, 3, {"Long", "Long", "Short"}},  // on Geo::EndProcedure, nearer Short
            {19, 3, {"Long", "Long", "Short"}},  // deep in Long, nearer Short
            {20, 13, {"Long", "Long", "Short"}}, // at the end of Long's EndProcedure line
            {21, 1, {"Short", "Long", "Short"}}, // between Long and Short
            {23, 3, {"Short", "Short", ""}},
        };
        for (const QString& ends : {u"\n"_s, u"\r\n"_s, u"\r"_s, u"mixed"_s}) {
            const QString text = withLineEnds(kThree, ends);
            const QByteArray endsName = QByteArray(ends == u"mixed"_s ? "mixed" : "")
                                            .append(ends.contains(u'\r') ? "CR" : "")
                                            .append(ends.contains(u'\n') ? "LF" : "");
            for (const auto& row : rows) {
                for (int mode = 0; mode < 3; ++mode)
                    QTest::addRow("%s line %d column %d mode %d", endsName.constData(), row.line,
                                  row.column, mode)
                        << text << row.line << row.column << mode
                        << QString::fromLatin1(row.modes[mode]);
            }
        }
    }
    void caretProcedure() {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(int, mode);
        QFETCH(QString, name);
        const auto header = FindProcedure(text, makeContext(at(text, line, column), mode));
        QCOMPARE(header ? splitName(header->headerText) : QString(), name);
    }

    // Caret and headers are compared in characters: a hundred two-byte characters above A don't
    // bring B nearer, nor put B before a caret that stands before it.
    void distanceInCharacters_data() {
        QTest::addColumn<QChar>("letter");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name");
        for (const QChar letter : {QChar(u'e'), QChar(u'\u00e9')}) {
            const char* shown = letter == u'e' ? "e" : "e acute";
            QTest::addRow("%s mode 0", shown) << letter << 0 << u"A"_s;
            QTest::addRow("%s mode 1", shown) << letter << 1 << u"A"_s;
            QTest::addRow("%s mode 2", shown) << letter << 2 << u"B"_s;
        }
    }
    void distanceInCharacters() {
        QFETCH(QChar, letter);
        QFETCH(int, mode);
        QFETCH(QString, name);
        // The caret on the empty line after A's EndProcedure: A's header starts 27 characters
        // before it, B's 41 after it.
        const QString text = u"; "_s + QString(100, letter) + u"\nProcedure A()\nEndProcedure\n"_s +
                             QString(41, u'\n') + u"Procedure B()\nEndProcedure\n"_s;
        const int caret = int(text.first(130).toUtf8().size());
        const auto header = FindProcedure(text, makeContext(caret, mode));
        QVERIFY(header);
        QCOMPARE(splitName(header->headerText), name);
        if (name == u"A"_s)
            QCOMPARE(header->startOffset, int(text.first(103).toUtf8().size()));
    }

    // Carets (line and column of kForms, from 1) in the forms the IDE reads, mode 0.
    void caretForms_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("name");
        QTest::newRow("on a procedure on one line") << 1 << 20 << u"One"_s;
        QTest::newRow("after it, directly above the next header") << 2 << 1 << u"Two"_s;
        QTest::newRow("in the comment after a continuation") << 3 << 24 << u"Two"_s;
        QTest::newRow("on a line continued after |") << 5 << 19 << u"Two"_s;
        QTest::newRow("on the statement before a header") << 8 << 3 << u"Three"_s;
        QTest::newRow("continued after + and Or") << 10 << 27 << u"Three"_s;
        QTest::newRow("macro header") << 13 << 20 << u"Get#name"_s;
        QTest::newRow("continued after And and Xor, ended on its line")
            << 15 << 30 << u"Get#name"_s;
        QTest::newRow("after a procedure ended on its header's line") << 16 << 1 << u"After"_s;
    }
    void caretForms() {
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, name);
        for (const QString& ends : {u"\n"_s, u"\r\n"_s, u"\r"_s, u"mixed"_s}) {
            const QString text = withLineEnds(kForms, ends);
            const auto header = FindProcedure(text, makeContext(at(text, line, column)));
            QCOMPARE(header ? splitName(header->headerText) : QString(), name);
        }
    }

    // Headers after a ":" and in a macro: the header itself, what stands before it on its line
    // and where its line starts.
    void statementHeaders() {
        const QString text = u"Procedure One() : EndProcedure : Procedure Two(a)\n"
                             "  Debug 1 : procedure.s Three(b) ; x : Procedure No()\n"
                             "Define s.s = \"a : Procedure No()\" : Mod::Procedure No()\n"
                             "Macro M(name) : Procedure Get#name(c) : EndMacro\n"
                             "Procedure Get#name(d)\n"
                             "Procedure Last()"_s;
        const QList<ProcedureHeader> headers = findAllProcedures(text, makeContext(0));
        const QStringList expected[] = {
            {u""_s, u"Procedure One()"_s},
            {u"Procedure One() : EndProcedure : "_s, u"Procedure Two(a)"_s},
            {u"  Debug 1 : "_s, u"procedure.s Three(b)"_s},
            {u"Macro M(name) : "_s, u"Procedure Get#name(c)"_s},
            {u""_s, u"Procedure Last()"_s},
        };
        QCOMPARE(headers.size(), qsizetype(std::size(expected)));
        for (qsizetype i = 0; i < headers.size(); ++i) {
            QCOMPARE(headers[i].linePrefix, expected[i][0]);
            QCOMPARE(headers[i].headerText, expected[i][1]);
            QCOMPARE(headers[i].startCharacter, text.indexOf(expected[i].join(QString())));
        }
    }

    // A procedure without EndProcedure runs up to the next header, but the block above that
    // header belongs to it.
    void procedureWithoutEnd() {
        const QString text = u"Procedure A()\n  a = 1\n  b = 2\n  c = 3\n  d = 4\n"
                             ";<comment>\n;</comment>\nProcedure B()\nEndProcedure\n"_s;
        QCOMPARE(FindProcedure(text, makeContext(at(text, 5, 3)))->headerText, u"Procedure A()"_s);
        QCOMPARE(FindProcedure(text, makeContext(at(text, 6, 3)))->headerText, u"Procedure B()"_s);
    }

    // A search window (lines firstLine to lastLine of kThree) that may hold too little for
    // the choice the whole text gives.
    void searchWindow_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("firstLine");
        QTest::addColumn<int>("lastLine");
        QTest::addColumn<bool>("cut");
        QTest::newRow("caret deep in Long, window from inside it") << 19 << 3 << 15 << 24 << true;
        QTest::newRow("caret on Outer's header, window from inside its block")
            << 5 << 3 << 3 << 24 << true;
        QTest::newRow("blank line above Long's header starts the window")
            << 13 << 3 << 11 << 24 << true;
        QTest::newRow("caret in a block, window ends inside it") << 2 << 3 << 1 << 3 << true;
        QTest::newRow("caret deep in Long, window from the code above it")
            << 19 << 3 << 10 << 24 << false;
        QTest::newRow("caret between procedures, window after Outer's end")
            << 21 << 1 << 10 << 24 << false;
        // Between procedures a header outside the window may be the nearest.
        QTest::newRow("caret on code, window ends before the nearer next header")
            << 10 << 3 << 1 << 10 << true;
        QTest::newRow("caret on code, no header in the window") << 10 << 3 << 9 << 11 << true;
        QTest::newRow("caret on code, the nearest header in the window")
            << 10 << 3 << 9 << 13 << false;
    }
    void searchWindow() {
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(int, firstLine);
        QFETCH(int, lastLine);
        QFETCH(bool, cut);
        const int start = at(kThree, firstLine, 1);
        const int end = at(kThree, lastLine + 1, 1);
        const CommentContext context = makeContext(at(kThree, line, column), 0, start);
        QCOMPARE(
            searchWindowCutsChoice(kThree.mid(start, end - start), context, end == kThree.size()),
            cut);
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
        const auto header = FindProcedure(text, makeContext(windowStart, 0, windowStart, encoding));
        QVERIFY(header);
        QCOMPARE(header->startCharacter, startCharacter);
        QCOMPARE(header->startOffset, startOffset);
        QCOMPARE(header->lineEndBefore, lineEndBefore);
    }
};

QTEST_GUILESS_MAIN(TestProcedureHeader)
#include "test_procedureheader.moc"
