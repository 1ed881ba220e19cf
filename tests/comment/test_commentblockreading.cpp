// SPDX-License-Identifier: MIT
#include "comment/commentblockreader.h"
#include "comment/loadedfields.h"

#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(glossa::DocEncoding)

namespace {

CommentContext makeContext(const QString& lineEnd, DocEncoding encoding = DocEncoding::Utf8,
                           int windowStart = 0) {
    CommentContext context;
    context.LineEnd = lineEnd;
    context.DocEncoding = encoding;
    context.WindowStart = windowStart;
    // The caret in the last line, so that the last header is the one chosen.
    context.CaretPos = 1'000'000;
    return context;
}

ExistingBlock find(const QString& text, const CommentContext& context) {
    const auto header = FindProcedure(text, context);
    if (!header)
        return {};
    return FindCommentBlock(text, *header, context);
}

const QString kBlockLf = u";<comment>\n;  <summary>S</summary>\n;</comment>"_s;

} // namespace

class TestCommentBlockReading : public QObject {
    Q_OBJECT
private slots:
    void finds_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lineEnd");
        QTest::addColumn<DocEncoding>("encoding");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("blockText");
        QTest::addColumn<int>("startCharacter");
        const auto utf8 = DocEncoding::Utf8;
        const auto ansi = DocEncoding::Ansi;
        const QString lf = u"\n"_s;
        const QString crlf = u"\r\n"_s;
        QTest::newRow("directly above") << u"x\n"_s + kBlockLf + u"\nProcedure Foo()\n"_s << lf
                                        << utf8 << true << kBlockLf << 2;
        // Mended: the first character of the text read is a real position.
        QTest::newRow("at the first character")
            << kBlockLf + u"\nProcedure Foo()"_s << lf << utf8 << true << kBlockLf << 0;
        QTest::newRow("one empty line between, CR LF")
            << u";<comment>\r\n;</comment>\r\n\r\nProcedure Foo()"_s << crlf << utf8 << true
            << u";<comment>\r\n;</comment>"_s << 0;
        QTest::newRow("code line between") << kBlockLf + u"\nDebug \"hello\"\nProcedure Foo()"_s
                                           << lf << utf8 << false << QString() << 0;
        QTest::newRow("exactly 10 bytes between")
            << kBlockLf + u"\n         \nProcedure Foo()"_s << lf << utf8 << true << kBlockLf << 0;
        QTest::newRow("11 bytes between") << kBlockLf + u"\n          \nProcedure Foo()"_s << lf
                                          << utf8 << false << QString() << 0;
        // Mended: only blanks and line ends may stand between; a short code line there would
        // be deleted by Apply.
        for (const QString& between : {u"Global a"_s, u"EndIf"_s, u"Next"_s, u"Wend"_s,
                                       u"Dim a(1)"_s, u"; ----"_s, u"\u00e9\u00e9"_s}) {
            QTest::addRow("between: %s", qPrintable(between))
                << kBlockLf + u"\r\n"_s + between + u"\r\nProcedure Foo()"_s << crlf << ansi
                << false << QString() << 0;
        }
        // A suppression line between doesn't part them and doesn't count in the 10 bytes;
        // prose that only begins like one does.
        QTest::newRow("suppression line between")
            << kBlockLf + u"\n         \n  ; Glossa-Ignore: missing-return\nProcedure Foo()"_s << lf
            << utf8 << true << kBlockLf << 0;
        QTest::newRow("prose line between") << kBlockLf + u"\n; glossa-ignored\nProcedure Foo()"_s
                                            << lf << utf8 << false << QString() << 0;
        QTest::newRow("code line inside the block")
            << u";<comment>\nx = 1\n;</comment>\nProcedure Foo()"_s << lf << utf8 << false
            << QString() << 0;
        // Mended: tag text inside a field neither opens nor closes a block.
        const QString tagsInFields = u";<comment>\n;  <summary>uses ;<comment> lines</summary>\n"
                                     u";  <param>a ;</comment> b</param>\n;</comment>"_s;
        QTest::newRow("tags inside fields") << u"x\n"_s + tagsInFields + u"\nProcedure Foo(a)"_s
                                            << lf << utf8 << true << tagsInFields << 2;
        QTest::newRow("closing tag after code on its line")
            << u";<comment>\nx = 1 ;</comment>\nProcedure Foo()"_s << lf << utf8 << false
            << QString() << 0;
        QTest::newRow("closing line without >")
            << u";<comment>\n;</comment\nProcedure Foo()"_s << lf << utf8 << true
            << u";<comment>\n;</comment"_s << 0;
        QTest::newRow("upper case tags") << u";<COMMENT>\n;</COMMENT>\nProcedure Foo()"_s << lf
                                         << utf8 << true << u";<COMMENT>\n;</COMMENT>"_s << 0;
        QTest::newRow("two blocks, nearer one read")
            << u";<comment>\n;A\n;</comment>\n;<comment>\n;B\n;</comment>\nProcedure Foo()"_s << lf
            << utf8 << true << u";<comment>\n;B\n;</comment>"_s << 26;
        QTest::newRow("nearer block too far, earlier not tried")
            << u";<comment>\n;</comment>\n;<comment>\n;</comment>\nDebug \"far away\"\n"
               u"Procedure Foo()"_s
            << lf << utf8 << false << QString() << 0;
        QTest::newRow("unterminated block")
            << u";<comment>\n;  <summary>x</summary>\nProcedure Foo()\nEndProcedure\n;</comment>"_s
            << lf << utf8 << false << QString() << 0;
        // Mended: a stray opening line far above doesn't pull the code in between into the
        // block (Apply would delete it).
        QTest::newRow("stray opening line above the block")
            << u";<comment>\nProcedure A()\nEndProcedure\n;<comment>\n;B\n;</comment>\n"
               u"Procedure Foo()"_s
            << lf << utf8 << true << u";<comment>\n;B\n;</comment>"_s << 38;
        QTest::newRow("block below header only") << u"Procedure Foo()\n;<comment>\n;</comment>\n"_s
                                                 << lf << utf8 << false << QString() << 0;
        QTest::newRow("blank between ; and <comment>")
            << u"; <comment>\n;</comment>\nProcedure Foo()"_s << lf << utf8 << false << QString()
            << 0;
        QTest::newRow("indented opening line")
            << u"  ;<comment>\n;</comment>\nProcedure Foo()"_s << lf << utf8 << true
            << u";<comment>\n;</comment>"_s << 2;
        // Mended with the measured line end: an LF-ended closing line in a CR LF document.
        QTest::newRow("closing line ends in LF, document CR LF")
            << u"x\r\n;<comment>\r\n;</comment>\nProcedure Foo()\r\n"_s << crlf << utf8 << true
            << u";<comment>\r\n;</comment>"_s << 3;
    }
    void finds() {
        QFETCH(QString, text);
        QFETCH(QString, lineEnd);
        QFETCH(DocEncoding, encoding);
        QFETCH(bool, present);
        QFETCH(QString, blockText);
        QFETCH(int, startCharacter);
        const ExistingBlock block = find(text, makeContext(lineEnd, encoding));
        QCOMPARE(block.present, present);
        // The search window's look at the lines alone comes to the same block.
        const auto header = FindProcedure(text, makeContext(lineEnd, encoding));
        QVERIFY(header);
        const qsizetype opening =
            blockAboveHeader(text, header->startCharacter, makeContext(lineEnd, encoding))
                .openingLine;
        QCOMPARE(opening >= 0, present);
        QCOMPARE(block.blockText, blockText);
        QCOMPARE(block.startCharacter, startCharacter);
        QCOMPARE(block.position(), present ? startCharacter + 1 : -1);
        if (!present)
            QCOMPARE(block.startOffset, 0);
    }

    void startOffsetCountsBytes_data() {
        QTest::addColumn<DocEncoding>("encoding");
        QTest::addColumn<int>("startOffset");
        QTest::addColumn<int>("headerOffset");
        // "\u00e4\u20ac\n" is 3 characters: 6 bytes in UTF-8, 3 in ANSI; window start 40.
        QTest::newRow("UTF-8") << DocEncoding::Utf8 << 46 << 46 + 23;
        QTest::newRow("ANSI") << DocEncoding::Ansi << 43 << 43 + 23;
    }
    void startOffsetCountsBytes() {
        QFETCH(DocEncoding, encoding);
        QFETCH(int, startOffset);
        QFETCH(int, headerOffset);
        const QString text = u"\u00e4\u20ac\n;<comment>\n;</comment>\nProcedure Foo()"_s;
        const CommentContext context = makeContext(u"\n"_s, encoding, 40);
        const auto header = FindProcedure(text, context);
        QVERIFY(header);
        QCOMPARE(header->startOffset, headerOffset);
        const ExistingBlock block = FindCommentBlock(text, *header, context);
        QVERIFY(block.present);
        QCOMPARE(block.startCharacter, 3);
        QCOMPARE(block.startOffset, startOffset);
        QCOMPARE(block.textToHeader, u"\n"_s);
    }

    void readsFields_data() {
        QTest::addColumn<QString>("blockText");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("content");
        QTest::newRow("plain") << u";  <summary>Adds two</summary>"_s << u"summary"_s << 1
                               << u"Adds two"_s;
        QTest::newRow("upper case tags")
            << u";  <SUMMARY>x</Summary>"_s << u"summary"_s << 1 << u"x"_s;
        QTest::newRow("no prefix needed") << u"<return>r</return>"_s << u"return"_s << 1 << u"r"_s;
        QTest::newRow("greedy within a line") << u";  <param>a</param> <param>b</param>"_s
                                              << u"param"_s << 1 << u"a</param> <param>b"_s;
        QTest::newRow("greedy: one match per line")
            << u";  <param>a</param> <param>b</param>"_s << u"param"_s << 2 << QString();
        QTest::newRow("blanks trimmed, tabs kept")
            << u"<summary>  \tx  y\t  </summary>"_s << u"summary"_s << 1 << u"\tx  y\t"_s;
        QTest::newRow("br becomes line feed")
            << u"<example>a<br>b<br></example>"_s << u"example"_s << 1 << u"a\nb\n"_s;
        QTest::newRow("only lower-case br")
            << u"<example>a<BR>b</example>"_s << u"example"_s << 1 << u"a<BR>b"_s;
        QTest::newRow("over two lines, prefix blanks dropped")
            << u";  <summary>a\n;  b</summary>"_s << u"summary"_s << 1 << u"a\nb"_s;
        QTest::newRow("over three lines, indentation kept")
            << u";  <example>If a\r\n  ;    Debug a\r\n;EndIf</example>"_s << u"example"_s << 1
            << u"If a\n  Debug a\nEndIf"_s;
        QTest::newRow("unclosed field before the next one")
            << u";  <summary>a\n;  <return>r</return>\n;  b</summary>"_s << u"summary"_s << 1
            << QString();
        QTest::newRow("CR LF not part of field")
            << u";  <summary>a</summary>\r\n;  <return>b</return>\r\n"_s << u"summary"_s << 1
            << u"a"_s;
        QTest::newRow("second param")
            << u";  <param>a</param>\n;  <param>b</param>\n"_s << u"param"_s << 2 << u"b"_s;
        QTest::newRow("param over two lines counted")
            << u";  <param>a\n;</param>\n;  <param>b</param>\n"_s << u"param"_s << 2 << u"b"_s;
        QTest::newRow("fewer fields than n")
            << u";  <param>a</param>"_s << u"param"_s << 3 << QString();
        QTest::newRow("missing") << u";  <summary>a</summary>"_s << u"return"_s << 1 << QString();
        QTest::newRow("empty field") << u";  <return></return>"_s << u"return"_s << 1 << QString();
        QTest::newRow("other order and extra lines")
            << u";<comment>\n; note\n  ;<return>R</return>\n;<summary>S</summary>\n;</comment>"_s
            << u"return"_s << 1 << u"R"_s;
    }
    void readsFields() {
        QFETCH(QString, blockText);
        QFETCH(QString, tag);
        QFETCH(int, n);
        QFETCH(QString, content);
        QCOMPARE(ReadField(blockText, tag, n), content);
    }

    void loadsDefaults() {
        const QString text = u"x\n  \tProcedure Foo(a, *b = 0)  \n"_s;
        const CommentContext context = makeContext(u"\n"_s);
        const auto header = FindProcedure(text, context);
        QVERIFY(header);
        const ExistingBlock block = FindCommentBlock(text, *header, context);
        QVERIFY(!block.present);
        const LoadedFields fields = LoadFields(*header, block);
        QVERIFY(fields.defaultsUsed);
        QCOMPARE(fields.summary, u"\tProcedure Foo(a, *b = 0)"_s);
        QCOMPARE(fields.parameters, (ParameterList{{u"a"_s, u"<b>a:</b> {description}"_s},
                                                   {u"*b"_s, u"<b>*b:</b> {description}"_s}}));
        QVERIFY(fields.result.isEmpty());
        QVERIFY(fields.example.isEmpty());
    }

    void loadsFromBlock_data() {
        QTest::addColumn<QString>("paramLines");
        QTest::addColumn<QStringList>("descriptions");
        QTest::newRow("one line each")
            << u";  <param>A</param>\n;  <param>B</param>\n"_s << QStringList{u"A"_s, u"B"_s};
        QTest::newRow("three lines, two parameters")
            << u";  <param>A</param>\n;  <param>B</param>\n;  <param>C</param>\n"_s
            << QStringList{u"A"_s, u"B"_s};
        QTest::newRow("one line, two parameters: second empty, not default")
            << u";  <param>A</param>\n"_s << QStringList{u"A"_s, QString()};
        QTest::newRow("line breaks stay tagged")
            << u";  <param>a<br>b</param>\n;  <param> <i>c</i> </param>\n"_s
            << QStringList{u"a<br>b"_s, u"<i>c</i>"_s};
    }
    void loadsFromBlock() {
        QFETCH(QString, paramLines);
        QFETCH(QStringList, descriptions);
        const QString text = u";<comment>\n;  <summary>Sum<br>two</summary>\n"_s + paramLines +
                             u";  <return>R</return>\n;  <example></example>\n;</comment>\n"
                             u"Procedure Foo(x, y)\n"_s;
        const CommentContext context = makeContext(u"\n"_s);
        const auto header = FindProcedure(text, context);
        QVERIFY(header);
        const ExistingBlock block = FindCommentBlock(text, *header, context);
        QVERIFY(block.present);
        const LoadedFields fields = LoadFields(*header, block);
        QVERIFY(!fields.defaultsUsed);
        QCOMPARE(fields.summary, u"Sum\ntwo"_s);
        QCOMPARE(fields.result, u"R"_s);
        QCOMPARE(fields.example, QString());
        QCOMPARE(fields.parameters.size(), 2);
        QCOMPARE(fields.parameters[0].name, u"x"_s);
        QCOMPARE(fields.parameters[1].name, u"y"_s);
        QCOMPARE(fields.parameters[0].description, descriptions[0]);
        QCOMPARE(fields.parameters[1].description, descriptions[1]);
    }
};

QTEST_GUILESS_MAIN(TestCommentBlockReading)
#include "test_commentblockreading.moc"
