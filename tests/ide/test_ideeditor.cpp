// SPDX-License-Identifier: MIT
// The editor as the editing run sees it, over the simulated editor: decoding of what was
// read, encoding of what is written, and bad input.
#include "bridgeoperations.h"
#include "comment/commentblockreader.h"
#include "comment/procedureheader.h"
#include "ide/ideeditor.h"
#include "simulatedscintilla.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace glossa {

class TestIdeEditor : public QObject {
    Q_OBJECT

private slots:
    void codePageIsTheEncoding_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("65001") << 65001 << true;
        QTest::newRow("0") << 0 << false;
        QTest::newRow("1252") << 1252 << false;
        QTest::newRow("932") << 932 << false;
    }
    void codePageIsTheEncoding() {
        QFETCH(int, codePage);
        QFETCH(bool, utf8);
        SimulatedScintilla sim("x", codePage);
        IdeEditor editor(sim);
        QCOMPARE(editor.codePage() == DocEncoding::Utf8, utf8);
        QCOMPARE(editor.encoding(), DocEncoding::Ansi); // only setEncoding sets it
    }

    void lineEnds_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("lineEnd");
        QTest::newRow("crlf") << 0 << u"\r\n"_s;
        QTest::newRow("cr") << 1 << u"\r"_s;
        QTest::newRow("lf") << 2 << u"\n"_s;
        QTest::newRow("unknown") << 7 << u"\r\n"_s;
    }
    void lineEnds() {
        QFETCH(int, mode);
        QFETCH(QString, lineEnd);
        SimulatedScintilla sim("x", 0, mode);
        IdeEditor editor(sim);
        QCOMPARE(editor.eolMode(), mode);
        QCOMPARE(IdeEditor::lineEndForMode(mode), lineEnd);
    }

    void readDecodes_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf8") << QByteArray("a\xc3\xa9\xe2\x82\xac") << 65001 << u"a\u00e9\u20ac"_s;
        QTest::newRow("ansi") << QByteArray("a\xe9") << 0 << u"a\u00e9"_s;
        // A zero byte (in a string of a Data statement, say) is a character like any other.
        QTest::newRow("zero byte inside")
            << QByteArray("Procedure\0A()", 13) << 65001 << u"Procedure\u0000A()"_s;
        QTest::newRow("zero byte first") << QByteArray("\0abc", 4) << 0 << u"\u0000abc"_s;
        QTest::newRow("invalid utf8 becomes U+FFFD") << QByteArray("a\xff"
                                                                   "b")
                                                     << 65001 << u"a\ufffdb"_s;
    }
    void readDecodes() {
        QFETCH(QByteArray, document);
        QFETCH(int, codePage);
        QFETCH(QString, text);
        SimulatedScintilla sim(document.toStdString(), codePage);
        IdeEditor editor(sim);
        editor.setEncoding(editor.codePage());
        QCOMPARE(editor.ReadDocumentText(editor.length() + 1, 0, 0), text);
        QCOMPARE(editor.WindowStart(), 0);
    }

    void writesEncode() {
        SimulatedScintilla sim("x=1", 0);
        IdeEditor editor(sim);
        editor.setEncoding(editor.codePage());
        // ANSI: a character the code page can't hold becomes "?".
        QVERIFY(editor.ReplaceRange(1, 2, u"\u00e9\u20ac"_s));
        QCOMPARE(sim.document(), std::string("x\xe9?1"));
        sim.setCodePage(65001);
        editor.setEncoding(editor.codePage());
        QVERIFY(editor.InsertAtPosition(0, u"\u20ac"_s));
        QCOMPARE(sim.document(), std::string("\xe2\x82\xacx\xe9?1"));
        QCOMPARE(editor.readRange(0, 3), QByteArray("\xe2\x82\xac"));
        editor.PlaceCaret(3);
        QCOMPARE(sim.caret(), 3);
        // Text holding U+0000 would be cut short by the editor: refused.
        QVERIFY(!editor.InsertAtPosition(0, u"a\u0000b"_s));
        QCOMPARE(sim.document(), std::string("\xe2\x82\xacx\xe9?1"));
        QCOMPARE(sim.liveBlocks(), std::size_t(0));
    }

    // The positions that block writing's arithmetic can produce for a header on the first line.
    void outOfRangeWrites() {
        SimulatedScintilla sim("abc");
        IdeEditor editor(sim);
        QVERIFY(!editor.ReplaceRange(-2, 1, u"X"_s));
        QVERIFY(!editor.InsertAtPosition(-2, u"X"_s));
        QVERIFY(!editor.InsertAtPosition(4, u"X"_s));
        editor.PlaceCaret(-1);
        editor.PlaceCaret(99);
        QCOMPARE(sim.document(), std::string("abc"));
        QCOMPARE(sim.caret(), 0);
        QCOMPARE(sim.faults(), 0);
        QCOMPARE(editor.readRange(2, 9), QByteArray());
    }

    void searchRangeWindow() {
        SimulatedScintilla sim("\xc3\xa9\xc3\xa9\xc3\xa9", 65001);
        IdeEditor editor(sim);
        editor.setEncoding(editor.codePage());
        // Bytes 2..6 are the second and third characters.
        QCOMPARE(editor.ReadDocumentText(7, 4, 2), u"\u00e9\u00e9"_s);
        QCOMPARE(editor.WindowStart(), 2);
        // A window that begins inside a character starts at the next one; one cut at its end
        // decodes as U+FFFD.
        QCOMPARE(editor.ReadDocumentText(7, 2, 1), u"\ufffd"_s);
        QCOMPARE(editor.WindowStart(), 2);
        QVERIFY(!editor.windowAtLineStart());
        // A window starts a line after LF, CR LF or CR, not after the CR of a pair.
        sim.setDocument("a\rb\r\nc\nd");
        for (const auto& [caret, atLineStart] :
             {std::pair(3, true), std::pair(5, false), std::pair(6, true), std::pair(8, true),
              std::pair(4, false)}) {
            editor.ReadDocumentText(9, caret, 1);
            QCOMPARE(editor.windowAtLineStart(), atLineStart);
        }
    }

    // The search window limits what is read, never which procedure is chosen: the window
    // grows until nothing outside it could change the choice.
    void searchWindowKeepsTheChoice_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("caretBefore"); // the caret stands before it
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name"); // empty: none
        const QString notes = u"; a note\n"_s.repeated(6);
        const QString twoProcedures =
            u"Procedure A()\nEndProcedure\n; x\n"_s + notes + u"Procedure B()\nEndProcedure\n"_s;
        QTest::newRow("between procedures, the nearest before the window")
            << twoProcedures << u"; x"_s << 3 << 0 << u"A"_s;
        QTest::newRow("between procedures, the nearest after the window")
            << twoProcedures << u"; a note\nProcedure B"_s << 3 << 0 << u"B"_s;
        QTest::newRow("mode 1, the header before far outside the window")
            << twoProcedures << u"; a note\nProcedure B"_s << 2 << 1 << u"A"_s;
        QTest::newRow("mode 2, the header after far outside the window")
            << twoProcedures << u"; x"_s << 3 << 2 << u"B"_s;
        QTest::newRow("CR only, between procedures")
            << QString(twoProcedures).replace(u'\n', u'\r') << u"; x"_s << 3 << 0 << u"A"_s;
        // A is 59 characters (89 bytes) before the caret, B 62 after it: B is in the window.
        QTest::newRow("two-byte characters between caret and header")
            << u"Procedure A()\nEndProcedure\n; "_s + QString(30, QChar(0xe9)) + u"\n; y\n"_s +
                   QString(57, u'\n') + u"Procedure B()\n"_s
            << u"; y"_s << 80 << 0 << u"A"_s;
    }
    void searchWindowKeepsTheChoice() {
        QFETCH(QString, source);
        QFETCH(QString, caretBefore);
        QFETCH(int, range);
        QFETCH(int, mode);
        QFETCH(QString, name);
        SimulatedScintilla sim(source.toStdString(), kCodePageUtf8);
        IdeEditor editor(sim);
        editor.setEncoding(DocEncoding::Utf8);
        CommentContext context;
        context.CaretPos = int(source.first(source.indexOf(caretBefore)).toUtf8().size());
        context.SearchMode = mode;
        const QString text = editor.readTextForChoice(editor.length(), range, context);
        const auto header = FindProcedure(text, context);
        QCOMPARE(header ? header->headerText.mid(10, 1) : QString(), name);
    }

    // Over generated sources (procedures with and without blocks and EndProcedure, lists over
    // two lines, one after a ":" on one line, code,
    // comments with characters of two and three bytes, empty lines; LF, CR LF, CR or mixed line
    // ends), every caret, window and search mode gives the header and block that the whole
    // document gives.
    void searchWindowNeverChangesTheChoice() {
        QRandomGenerator random(3433);
        const char* const ends[] = {"\r\n", "\n", "\r"};
        int differ = 0;
        for (int round = 0; round < 400; ++round) {
            const int style = random.bounded(4); // 3: mixed
            QString source;
            const auto line = [&](const QString& text) {
                source += text + QString::fromLatin1(ends[style == 3 ? random.bounded(3) : style]);
            };
            for (int piece = 3 + random.bounded(8), names = 0; piece > 0; --piece) {
                switch (random.bounded(6)) {
                case 0:
                    line(u"Global g"_s);
                    break;
                case 1:
                    line(u"; caf\u00e9 \u20ac "_s.repeated(random.bounded(4)));
                    break;
                case 2:
                    line(QString());
                    break;
                case 3:
                    line(u"g = 1 : Procedure P%1(a) : EndProcedure"_s.arg(names++));
                    break;
                default:
                    if (random.bounded(2) != 0) {
                        line(u";<comment>"_s);
                        line(u";  <summary>\u00e9</summary>"_s);
                        line(u";</comment>"_s);
                    }
                    if (random.bounded(3) == 0) {
                        line(u"Procedure P%1(a, ; first"_s.arg(names++));
                        line(u"  b)"_s);
                    } else {
                        line(u"Procedure P%1(a)"_s.arg(names++));
                    }
                    for (int k = random.bounded(4); k > 0; --k)
                        line(u"  x = 1"_s);
                    if (random.bounded(4) != 0)
                        line(u"EndProcedure"_s);
                }
            }
            const std::string bytes = source.toStdString();
            SimulatedScintilla sim(bytes, kCodePageUtf8);
            IdeEditor editor(sim);
            editor.setEncoding(DocEncoding::Utf8);
            for (int k = 0; k < 8; ++k) {
                CommentContext whole;
                whole.SearchMode = random.bounded(3);
                whole.CaretPos = random.bounded(int(bytes.size()) + 1);
                while (whole.CaretPos < int(bytes.size()) && (bytes[whole.CaretPos] & 0xC0) == 0x80)
                    ++whole.CaretPos; // a caret stands between characters
                CommentContext windowed = whole;
                const int range = 1 + random.bounded(80);
                const QString all = editor.readTextForChoice(editor.length(), 0, whole);
                const QString part = editor.readTextForChoice(editor.length(), range, windowed);
                const auto expected = FindProcedure(all, whole);
                const auto header = FindProcedure(part, windowed);
                const bool same =
                    bool(expected) == bool(header) &&
                    (!expected || (expected->startOffset == header->startOffset &&
                                   expected->headerText == header->headerText &&
                                   FindCommentBlock(all, *expected, whole).startOffset ==
                                       FindCommentBlock(part, *header, windowed).startOffset));
                if (!same && ++differ <= 3)
                    qWarning(
                        "differs: caret %d, range %d, mode %d in %s", whole.CaretPos, range,
                        whole.SearchMode,
                        QByteArray::fromStdString(bytes).toPercentEncoding(" ;<>/()").constData());
            }
        }
        QCOMPARE(differ, 0);
    }

    // Positions in the text read map to the bytes they came from, also where invalid bytes
    // decode to U+FFFD (which would re-encode as three bytes).
    void decodedTextMapsToBytes() {
        const QByteArray bytes("\xff\xc3\xa9\xf0\x9f\x98\x80"
                               "a\xe2\x82",
                               10);
        const DecodedText decoded(bytes, DocEncoding::Utf8);
        QCOMPARE(decoded.text(), u"\ufffd\u00e9\U0001F600a\ufffd\ufffd"_s);
        const QList<qsizetype> expected{0, 1, 3, 3, 7, 8, 9, 10};
        QCOMPARE(decoded.text().size() + 1, expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(decoded.byteIndex(i), expected[i]);
        // Off Windows the ANSI code page reads as Latin-1, each byte its own character, also
        // past the first 16 bytes (widened 16 at a time); so does UTF-8 that is all ASCII.
        QCOMPARE(
            DecodedText(QByteArray("x\xe9\xff\x80 \x7f").repeated(4), DocEncoding::Ansi).text(),
            u"x\u00e9\u00ff\u0080 \u007f"_s.repeated(4));
        QCOMPARE(DecodedText(QByteArray("0123456789abcdefXYZ"), DocEncoding::Utf8).text(),
                 u"0123456789abcdefXYZ"_s);
    }

    // Whatever the text, the length counted is the length written.
    void encodedLengthMatchesEncoding() {
        QCOMPARE(encodeText(QString(u"a"_s + QChar(0xd800) + u"b"_s), DocEncoding::Utf8),
                 QByteArray("a\xef\xbf\xbd"
                            "b"));
        QCOMPARE(encodeText(QString(QChar(0xdc00) + u"\U0001F600"_s), DocEncoding::Ansi),
                 QByteArray("??"));
        const char16_t pool[] = {u'a',   u'\n',  0xe9,   0xff,   0x100, 0x20ac,
                                 0xfffd, 0xd83d, 0xde00, 0xd800, 0xdfff};
        QRandomGenerator random(1312);
        for (int round = 0; round < 2000; ++round) {
            QString text;
            for (int i = random.bounded(12); i > 0; --i)
                text += QChar(pool[random.bounded(int(std::size(pool)))]);
            for (const DocEncoding encoding : {DocEncoding::Utf8, DocEncoding::Ansi})
                QCOMPARE(EncodedLength(text, encoding), encodeText(text, encoding).size());
        }
    }

    void editorGoneReadsAsNothing() {
        // An editor that answers 0 to everything: the code page reads as ANSI, nothing read.
        SimulatedScintilla sim;
        IdeEditor editor(sim);
        QCOMPARE(editor.codePage(), DocEncoding::Ansi);
        QCOMPARE(editor.length(), 0);
        QCOMPARE(editor.ReadDocumentText(1, 0, 0), QString());
    }
};

} // namespace glossa

QTEST_GUILESS_MAIN(glossa::TestIdeEditor)
#include "test_ideeditor.moc"
