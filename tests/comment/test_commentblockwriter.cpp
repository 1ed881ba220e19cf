// SPDX-License-Identifier: MIT
#include "comment/commentblockwriter.h"
#include "comment/loadedfields.h"
#include "comment/trimblanks.h"
#include "common/blockroundtrip.h"
#include "fakedocument.h"

#include <QRandomGenerator>
#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(glossa::DocEncoding)

namespace {

struct Run {
    std::optional<ProcedureHeader> header;
    ExistingBlock block;
    CommentContext context;
};

// What the editing run knows at start-up: the header and the block found in the document.
Run read(const QString& text, DocEncoding encoding, const QString& lineEnd, int caret) {
    Run run;
    run.context.DocEncoding = encoding;
    run.context.LineEnd = lineEnd;
    run.context.CaretPos = caret;
    run.header = FindProcedure(text, run.context);
    if (run.header)
        run.block = FindCommentBlock(text, *run.header, run.context);
    return run;
}

} // namespace

class TestCommentBlockWriter : public QObject {
    Q_OBJECT
private slots:
    void buildsBlock() {
        QCOMPARE(BuildCommentBlock(u"Sum"_s, {u"<b>a:</b> x"_s, QString()}, QString(), u"R<br>2"_s,
                                   u"\r\n"_s),
                 u";<comment>\r\n;  <summary>Sum</summary>\r\n;  <param><b>a:</b> x</param>\r\n"
                 u";  <param></param>\r\n;  <return></return>\r\n;  <example>R<br>2</example>\r\n"
                 u";</comment>"_s);
        QCOMPARE(BuildCommentBlock(u" s "_s, {}, u"<tag>"_s, QString(), u"\r"_s),
                 u";<comment>\r;  <summary> s </summary>\r;  <return><tag></return>\r"
                 u";  <example></example>\r;</comment>"_s);
    }

    void writes_data() {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("lineEnd");
        QTest::addColumn<DocEncoding>("encoding");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("newBlock");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("newCaret");
        QTest::addColumn<QStringList>("writes");
        const auto utf8 = DocEncoding::Utf8;
        const auto ansi = DocEncoding::Ansi;

        // Insert: the block goes in before the line end that precedes the header.
        QTest::newRow("insert LF, caret in body")
            << u"x\nProcedure Foo()\n  y\n"_s << u"\n"_s << utf8 << 20 << u"[B]"_s
            << u"x\n[B]\nProcedure Foo()\n  y\n"_s << 24
            << QStringList{u"insert 1"_s, u"caret 24"_s};
        QTest::newRow("insert CR LF, caret in body")
            << u"x\r\nProcedure Foo()\r\n  y\r\n"_s << u"\r\n"_s << utf8 << 22 << u"[B]"_s
            << u"x\r\n[B]\r\nProcedure Foo()\r\n  y\r\n"_s << 27
            << QStringList{u"insert 1"_s, u"caret 27"_s};
        QTest::newRow("insert caret before header stays")
            << u"x\nProcedure Foo()\n"_s << u"\n"_s << utf8 << 0 << u"[B]"_s
            << u"x\n[B]\nProcedure Foo()\n"_s << 0 << QStringList{u"insert 1"_s, u"caret 0"_s};
        // Mended: header on the first line goes in at 0, followed by the line end.
        QTest::newRow("insert CR only, header on first line")
            << u"Procedure Foo()\r  y\r"_s << u"\r"_s << utf8 << 18 << u"[B]"_s
            << u"[B]\rProcedure Foo()\r  y\r"_s << 22 << QStringList{u"insert 0"_s, u"caret 22"_s};
        QTest::newRow("insert CR LF, header on first line, caret on header")
            << u"Procedure Foo()\r\nEndProcedure\r\n"_s << u"\r\n"_s << utf8 << 0 << u"[B]"_s
            << u"[B]\r\nProcedure Foo()\r\nEndProcedure\r\n"_s << 5
            << QStringList{u"insert 0"_s, u"caret 5"_s};
        // Mended: the line end before the header is measured, not taken from LineEnd.
        QTest::newRow("insert mixed: LF before header in CR LF document")
            << u"x\r\ny\nProcedure Foo()\r\n"_s << u"\r\n"_s << utf8 << 0 << u"[B]"_s
            << u"x\r\ny\r\n[B]\nProcedure Foo()\r\n"_s << 0
            << QStringList{u"insert 4"_s, u"caret 0"_s};
        QTest::newRow("insert mixed: CR LF before header in LF document")
            << u"x\r\nProcedure Foo()\n"_s << u"\n"_s << utf8 << 0 << u"[B]"_s
            << u"x\n[B]\r\nProcedure Foo()\n"_s << 0 << QStringList{u"insert 1"_s, u"caret 0"_s};
        QTest::newRow("insert UTF-8 multi-byte")
            << u"\u00e4\nProcedure Foo()\n\u00fc"_s << u"\n"_s << utf8 << 19 << u"[\u00e9]"_s
            << u"\u00e4\n[\u00e9]\nProcedure Foo()\n\u00fc"_s << 24
            << QStringList{u"insert 2"_s, u"caret 24"_s};
        QTest::newRow("insert ANSI")
            << u"\u00e4\nProcedure Foo()\n\u00fc"_s << u"\n"_s << ansi << 18 << u"[\u00e9]"_s
            << u"\u00e4\n[\u00e9]\nProcedure Foo()\n\u00fc"_s << 22
            << QStringList{u"insert 1"_s, u"caret 22"_s};

        // Replace: from the block's start up to the line end before the header.
        const QString blockLf = u";<comment>\n;</comment>"_s; // 22 characters
        QTest::newRow("replace LF, caret in body")
            << u"x\n"_s + blockLf + u"\nProcedure Foo()\n  y\n"_s << u"\n"_s << utf8 << 43
            << u"[B]"_s << u"x\n[B]\nProcedure Foo()\n  y\n"_s << 24
            << QStringList{u"replace 2 24"_s, u"caret 24"_s};
        QTest::newRow("replace CR LF, caret in body")
            << u"x\r\n;<comment>\r\n;</comment>\r\nProcedure Foo()\r\n  y\r\n"_s << u"\r\n"_s
            << utf8 << 47 << u"[B]"_s << u"x\r\n[B]\r\nProcedure Foo()\r\n  y\r\n"_s << 27
            << QStringList{u"replace 3 26"_s, u"caret 27"_s};
        QTest::newRow("replace caret inside old block")
            << u"x\n"_s + blockLf + u"\nProcedure Foo()\n"_s << u"\n"_s << utf8 << 5 << u"[B]"_s
            << u"x\n[B]\nProcedure Foo()\n"_s << 2 << QStringList{u"replace 2 24"_s, u"caret 2"_s};
        QTest::newRow("replace caret before block stays")
            << u"x\n"_s + blockLf + u"\nProcedure Foo()\n"_s << u"\n"_s << utf8 << 1 << u"[B]"_s
            << u"x\n[B]\nProcedure Foo()\n"_s << 1 << QStringList{u"replace 2 24"_s, u"caret 1"_s};
        QTest::newRow("replace caret at header start")
            << u"x\n"_s + blockLf + u"\nProcedure Foo()\n"_s << u"\n"_s << utf8 << 25 << u"[B]"_s
            << u"x\n[B]\nProcedure Foo()\n"_s << 6 << QStringList{u"replace 2 24"_s, u"caret 6"_s};
        // Blank lines between the block and the header stay; the caret moves with the text.
        QTest::newRow("replace with blank line between")
            << u"x\n"_s + blockLf + u"\n\nProcedure Foo()\n  y\n"_s << u"\n"_s << utf8 << 44
            << u"[B]"_s << u"x\n[B]\n\nProcedure Foo()\n  y\n"_s << 25
            << QStringList{u"replace 2 24"_s, u"caret 25"_s};
        QTest::newRow("replace with blanks and blank lines, CR LF")
            << u";<comment>\r\n;</comment>  \r\n\t\r\nProcedure Foo()\r\n  y"_s << u"\r\n"_s << utf8
            << 49 << u"[B]"_s << u"[B]  \r\n\t\r\nProcedure Foo()\r\n  y"_s << 29
            << QStringList{u"replace 0 23"_s, u"caret 29"_s};
        // Mended: a block at the first character is replaced, not duplicated.
        QTest::newRow("replace block at first character")
            << blockLf + u"\nProcedure Foo()\n"_s << u"\n"_s << utf8 << 0 << u"[B]"_s
            << u"[B]\nProcedure Foo()\n"_s << 0 << QStringList{u"replace 0 22"_s, u"caret 0"_s};
        QTest::newRow("replace mixed: block closed by LF in CR LF document")
            << u"x\r\n;<comment>\r\n;</comment>\nProcedure Foo()\r\n"_s << u"\r\n"_s << utf8 << 0
            << u"[B]"_s << u"x\r\n[B]\nProcedure Foo()\r\n"_s << 0
            << QStringList{u"replace 3 26"_s, u"caret 0"_s};
        QTest::newRow("replace indented block keeps indentation")
            << u"  ;<comment>\n;</comment>\nProcedure Foo()\n"_s << u"\n"_s << utf8 << 0 << u"[B]"_s
            << u"  [B]\nProcedure Foo()\n"_s << 0 << QStringList{u"replace 2 24"_s, u"caret 0"_s};
        QTest::newRow("replace UTF-8 multi-byte")
            << u"\u00e4\n;<comment>\u20ac\n;</comment>\nProcedure Foo()\n\u00fc"_s << u"\n"_s
            << utf8 << 45 << u"[\u00e9]"_s << u"\u00e4\n[\u00e9]\nProcedure Foo()\n\u00fc"_s << 24
            << QStringList{u"replace 3 28"_s, u"caret 24"_s};
    }
    void writes() {
        QFETCH(QString, document);
        QFETCH(QString, lineEnd);
        QFETCH(DocEncoding, encoding);
        QFETCH(int, caret);
        QFETCH(QString, newBlock);
        QFETCH(QString, result);
        QFETCH(int, newCaret);
        QFETCH(QStringList, writes);
        const Run run = read(document, encoding, lineEnd, caret);
        QVERIFY(run.header);
        FakeDocument doc(document, encoding);
        const WriteOutcome outcome =
            WriteCommentBlock(doc, newBlock, *run.header, run.block, run.context);
        QCOMPARE(outcome.status, WriteStatus::Written);
        QCOMPARE(doc.text(), result);
        QCOMPARE(outcome.caretPos, newCaret);
        QCOMPARE(doc.caret, newCaret);
        QCOMPARE(doc.writes(), writes);
        QCOMPARE(doc.invalidCalls, 0);
    }

    // The first example of the block writing: CR LF, Foo(a, b), no block, caret in the body.
    void defaultsEndToEnd() {
        const QString source = u"x = 1\r\nProcedure Foo(a, b)\r\n  Debug a\r\nEndProcedure\r\n"_s;
        const int caret = 30; // the "D" of Debug
        const Run run = read(source, DocEncoding::Utf8, u"\r\n"_s, caret);
        QVERIFY(run.header);
        QVERIFY(!run.block.present);
        const LoadedFields fields = LoadFields(*run.header, run.block);
        QStringList descriptions;
        for (const ParameterEntry& entry : fields.parameters)
            descriptions.append(entry.description);
        const QString block = BuildCommentBlock(fields.summary, descriptions, fields.result,
                                                fields.example, u"\r\n"_s);
        FakeDocument doc(source, DocEncoding::Utf8);
        const WriteOutcome outcome =
            WriteCommentBlock(doc, block, *run.header, run.block, run.context);
        QCOMPARE(outcome.status, WriteStatus::Written);
        const QString expected =
            u"x = 1\r\n;<comment>\r\n;  <summary>Procedure Foo(a, b)</summary>\r\n"
            u";  <param><b>a:</b> {description}</param>\r\n"
            u";  <param><b>b:</b> {description}</param>\r\n"
            u";  <return></return>\r\n;  <example></example>\r\n;</comment>\r\n"
            u"Procedure Foo(a, b)\r\n  Debug a\r\nEndProcedure\r\n"_s;
        QCOMPARE(doc.text(), expected);
        QCOMPARE(doc.bytes.at(outcome.caretPos), 'D');
        QCOMPARE(doc.bytes.mid(outcome.caretPos, 7), QByteArray("Debug a"));
    }

    // A header at the start of a search window: nothing before it was read, so the block goes
    // in at the header's start, followed by the line end.
    void insertsAtWindowStart() {
        const QString document = u"abc\nProcedure Foo()\n"_s;
        CommentContext context;
        context.DocEncoding = DocEncoding::Utf8;
        context.LineEnd = u"\n"_s;
        context.WindowStart = 4;
        context.CaretPos = 4;
        const QString textRead = u"Procedure Foo()\n"_s;
        const auto header = FindProcedure(textRead, context);
        QVERIFY(header);
        QCOMPARE(header->startOffset, 4);
        const ExistingBlock block = FindCommentBlock(textRead, *header, context);
        QVERIFY(!block.present);
        FakeDocument doc(document, DocEncoding::Utf8);
        const WriteOutcome outcome = WriteCommentBlock(doc, u"[B]"_s, *header, block, context);
        QCOMPARE(outcome.status, WriteStatus::Written);
        QCOMPARE(doc.text(), u"abc\n[B]\nProcedure Foo()\n"_s);
        QCOMPARE(outcome.caretPos, 8);
        QCOMPARE(doc.writes(), (QStringList{u"insert 4"_s, u"caret 8"_s}));
    }

    void refusesChangedSource_data() {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("changed");
        const QString withBlock = u"x\n;<comment>\n;  <summary>S</summary>\n;</comment>\n"
                                  u"Procedure Foo()\n"_s;
        QTest::newRow("text inserted above the block")
            << withBlock
            << u"xx\n;<comment>\n;  <summary>S</summary>\n;</comment>\n"
               u"Procedure Foo()\n"_s;
        QTest::newRow("block edited") << withBlock
                                      << u"x\n;<comment>\n;  <summary>T</summary>\n;</comment>\n"
                                         u"Procedure Foo()\n"_s;
        QTest::newRow("header renamed") << withBlock
                                        << u"x\n;<comment>\n;  <summary>S</summary>\n;</comment>\n"
                                           u"Procedure Fob()\n"_s;
        QTest::newRow("document cut short") << withBlock << u"x\n;<comment>\n"_s;
        const QString noBlock = u"a\nProcedure Foo(x)\n"_s;
        QTest::newRow("no block: header moved") << noBlock << u"ab\nProcedure Foo(x)\n"_s;
        QTest::newRow("no block: line end before header changed")
            << noBlock << u"a\rProcedure Foo(x)\n"_s;
        QTest::newRow("no block: header edited") << noBlock << u"a\nProcedure Foo(y)\n"_s;
        QTest::newRow("first line: header edited")
            << u"Procedure Foo(x)\n"_s << u"Procedure Bar(x)\n"_s;
    }
    void refusesChangedSource() {
        QFETCH(QString, document);
        QFETCH(QString, changed);
        const Run run = read(document, DocEncoding::Utf8, u"\n"_s, 0);
        QVERIFY(run.header);
        FakeDocument doc(changed, DocEncoding::Utf8);
        const WriteOutcome outcome =
            WriteCommentBlock(doc, u"[B]"_s, *run.header, run.block, run.context);
        QCOMPARE(outcome.status, WriteStatus::SourceChanged);
        QCOMPARE(outcome.caretPos, 0);
        QCOMPARE(doc.writes(), QStringList());
        QCOMPARE(doc.text(), changed);
    }

    void reportsFailedWrite_data() {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("call");
        QTest::newRow("replace") << u";<comment>\n;</comment>\nProcedure Foo()\n x"_s
                                 << u"replace 0 22"_s;
        QTest::newRow("insert") << u"a\nProcedure Foo()\n x"_s << u"insert 1"_s;
    }
    void reportsFailedWrite() {
        QFETCH(QString, document);
        QFETCH(QString, call);
        const int caret = int(document.size()) - 1;
        const Run run = read(document, DocEncoding::Utf8, u"\n"_s, caret);
        QVERIFY(run.header);
        FakeDocument doc(document, DocEncoding::Utf8);
        doc.failWrites = true;
        const WriteOutcome outcome =
            WriteCommentBlock(doc, u"[B]"_s, *run.header, run.block, run.context);
        QCOMPARE(outcome.status, WriteStatus::WriteFailed);
        QCOMPARE(outcome.caretPos, caret);
        QCOMPARE(doc.writes(), QStringList{call}); // no caret placed
        QCOMPARE(doc.text(), document);
    }

    // Generated blocks in the forms people write: Apply without edits writes nothing, and with
    // one field edited only the bytes between that field's tags change.
    void applyChangesOnlyWhatWasEdited() {
        QRandomGenerator random(20250114);
        const testing::Pick pick = [&random](int n) { return n > 1 ? random.bounded(n) : 0; };
        for (int round = 0; round < 400; ++round) {
            const testing::GeneratedSource source = testing::generateSource(pick);
            QString error = testing::checkApply(source, -1, {});
            if (error.isEmpty() && !source.fields.isEmpty())
                error = testing::checkApply(source, pick(int(source.fields.size())),
                                            testing::pickText(pick, source.utf8, 6));
            QVERIFY2(error.isEmpty(),
                     qPrintable(u"round %1: %2\nsource: %3"_s.arg(round).arg(
                         error, QString::fromLatin1(source.bytes.toPercentEncoding(" <>;/")))));
        }
    }

    // Random fields survive building, inserting, replacing and reading back; each write
    // changes only the old block (with the blank lines after it) or the place above the
    // header. Field text may look like block lines, and a short code line may stand between
    // the old block and the header.
    void roundTrip() {
        QRandomGenerator random(20240611);
        const QStringList pool{u"a"_s,      u"Z"_s,          u"0"_s,           u" "_s,
                               u"."_s,      u";"_s,          u"<"_s,           u">"_s,
                               u"="_s,      u"\t"_s,         u"\""_s,          u"\u00e4"_s,
                               u"\u00df"_s, u";<comment>"_s, u";</comment>"_s, u"<comment>"_s};
        const QStringList wide{u"\u20ac"_s, u"\u4e2d"_s}; // UTF-8 only
        const QStringList codeLines{u"Global a"_s, u"EndIf"_s, u"Next"_s, u"Dim a(1)"_s,
                                    u"; ----"_s};
        auto randomText = [&](bool utf8) {
            QString text;
            for (int i = random.bounded(0, 12); i > 0; --i) {
                if (utf8 && random.bounded(10) == 0)
                    text += wide[random.bounded(int(wide.size()))];
                else
                    text += pool[random.bounded(int(pool.size()))];
            }
            return text;
        };
        const QStringList lineEnds{u"\r\n"_s, u"\n"_s};
        for (int round = 0; round < 300; ++round) {
            const bool utf8 = random.bounded(2) == 0;
            const DocEncoding encoding = utf8 ? DocEncoding::Utf8 : DocEncoding::Ansi;
            const QString le = lineEnds[random.bounded(int(lineEnds.size()))];
            const int parameterCount = random.bounded(0, 5);
            QStringList names;
            for (int i = 0; i < parameterCount; ++i)
                names.append(u"p"_s + QString::number(i));
            const QString header = u"Procedure.s Foo("_s + names.join(u", "_s) + u")"_s;
            const QString above = u"; "_s + randomText(utf8) + le + u"x = 1"_s + le;
            const QString source = above + header + le + u"  Debug 1"_s + le + u"EndProcedure"_s;
            FakeDocument doc(source, encoding);
            const int caret = int(doc.bytes.indexOf("Debug"));

            int currentCaret = caret;
            QByteArray oldBlock;
            for (int pass = 0; pass < 2; ++pass) { // insert, then replace or insert again
                bool expectBlock = pass == 1;
                if (pass == 1 && random.bounded(3) == 0) {
                    const QByteArray code = FakeDocument::encode(
                        codeLines[random.bounded(int(codeLines.size()))] + le, encoding);
                    doc.bytes.insert(int(doc.bytes.indexOf("Procedure.s")), code);
                    currentCaret += int(code.size());
                    expectBlock = false;
                }
                const QByteArray before = doc.bytes;
                const Run run = read(doc.text(), encoding, le, currentCaret);
                QVERIFY(run.header);
                QCOMPARE(run.header->headerText, header);
                QCOMPARE(run.block.present, expectBlock);

                const QString summary = randomText(utf8);
                const QString result = randomText(utf8);
                const QString example = randomText(utf8);
                QStringList descriptions;
                for (int i = 0; i < parameterCount; ++i)
                    descriptions.append(randomText(utf8));
                const QString block = BuildCommentBlock(summary, descriptions, result, example, le);
                const WriteOutcome outcome =
                    WriteCommentBlock(doc, block, *run.header, run.block, run.context);
                QCOMPARE(outcome.status, WriteStatus::Written);
                QCOMPARE(doc.invalidCalls, 0);
                // The caret stays on the same character of the body.
                QCOMPARE(doc.bytes.mid(outcome.caretPos, 7), QByteArray("Debug 1"));
                currentCaret = outcome.caretPos;

                // Only the replaced range changed, and it held the old block and line ends.
                const QByteArray headerOn = before.mid(before.indexOf("Procedure.s"));
                QVERIFY(doc.bytes.endsWith(headerOn));
                const qsizetype headerLineEnd = before.size() - headerOn.size() - le.size();
                const qsizetype kept = expectBlock ? before.indexOf(oldBlock) : headerLineEnd;
                QVERIFY(kept >= 0);
                QVERIFY(doc.bytes.startsWith(before.first(kept)));
                if (expectBlock) {
                    const QByteArray replaced = before.sliced(kept, headerLineEnd - kept);
                    QVERIFY(replaced.startsWith(oldBlock));
                    QCOMPARE(replaced.sliced(oldBlock.size()).trimmed(), QByteArray());
                }
                oldBlock = FakeDocument::encode(block, encoding);

                const Run again = read(doc.text(), encoding, le, currentCaret);
                QVERIFY(again.header);
                QVERIFY(again.block.present);
                QCOMPARE(again.block.blockText, block);
                const LoadedFields fields = LoadFields(*again.header, again.block);
                QCOMPARE(fields.summary, trimBlanks(summary));
                QCOMPARE(fields.result, trimBlanks(result));
                QCOMPARE(fields.example, trimBlanks(example));
                QCOMPARE(fields.parameters.size(), parameterCount);
                for (int i = 0; i < parameterCount; ++i) {
                    QCOMPARE(fields.parameters[i].name, names[i]);
                    QCOMPARE(fields.parameters[i].description, trimBlanks(descriptions[i]));
                }
            }
            // The text above the first block is untouched.
            QVERIFY(doc.text().startsWith(above + u";<comment>"_s));
        }
    }
};

QTEST_GUILESS_MAIN(TestCommentBlockWriter)
#include "test_commentblockwriter.moc"
