// SPDX-License-Identifier: MIT
// The same cases against the simulated editor and against a real Scintilla (QScintilla): the
// simulation must answer the bridge's messages as Scintilla does.
#include "bridgeoperations.h"
#include "ide/ideeditor.h"
#include "simulatedscintilla.h"

#ifdef GLOSSA_HAVE_QSCINTILLA
#include "qscitarget.h"
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace glossa {
namespace {

// One editor under test, set up directly and inspected directly.
class Harness {
public:
    virtual ~Harness() = default;
    virtual ScintillaTarget& target() = 0;
    virtual void setup(const std::string& document, int codePage, int eolMode, long long anchor,
                       long long caret) = 0;
    virtual std::string document() = 0;
    virtual long long caret() = 0;
    virtual long long anchor() = 0;
    virtual std::size_t liveBlocks() = 0;
    virtual int faults() = 0;
};

// The same harness over either editor: the simulation, or a real Scintilla (QScintilla).
template <typename Editor> class EditorHarness : public Harness {
public:
    template <typename... Args>
    explicit EditorHarness(Args&&... args) : editor_(std::forward<Args>(args)...) {}
    ScintillaTarget& target() override { return editor_; }
    void setup(const std::string& document, int codePage, int eolMode, long long anchor,
               long long caret) override {
        editor_.setCodePage(codePage);
        editor_.setEolMode(eolMode);
        editor_.setDocument(document);
        editor_.setSelection(anchor, caret);
    }
    std::string document() override { return editor_.document(); }
    long long caret() override { return editor_.caret(); }
    long long anchor() override { return editor_.anchor(); }
    std::size_t liveBlocks() override { return editor_.liveBlocks(); }
    int faults() override { return editor_.faults(); }

private:
    Editor editor_;
};

std::unique_ptr<Harness> makeHarness(const QString& kind) {
    const int width = kind.endsWith(u'4') ? 4 : 8;
#ifdef GLOSSA_HAVE_QSCINTILLA
    if (kind.startsWith(u"qsci"))
        return std::make_unique<EditorHarness<QsciTarget>>(width);
#endif
    return std::make_unique<EditorHarness<SimulatedScintilla>>(std::string(), 0, 0, width);
}

QStringList kinds() {
    QStringList kinds{u"sim4"_s, u"sim8"_s};
#ifdef GLOSSA_HAVE_QSCINTILLA
    kinds << u"qsci4"_s << u"qsci8"_s;
#endif
    return kinds;
}

std::string bytes(const char* data, std::size_t size) {
    return std::string(data, size);
}

} // namespace
} // namespace glossa

Q_DECLARE_METATYPE(std::string)

namespace glossa {

class TestConformance : public QObject {
    Q_OBJECT

private:
    // Adds one row per target for a case.
    template <typename... Values> static void row(const char* name, Values... values) {
        for (const QString& kind : kinds())
            ((QTest::newRow(qPrintable(kind + u": "_s + QLatin1StringView(name))) << kind)
             << ... << values);
    }

    static void checkClean(Harness& h) {
        QCOMPARE(h.liveBlocks(), std::size_t(0));
        QCOMPARE(h.faults(), 0);
    }

private slots:
    void queries_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::string>("document");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<int>("eolMode");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("length");
        row("ansi crlf", std::string("ab\r\ncd"), 0, 0, 3, 6);
        row("utf8 lf", std::string("\xc3\xa9\n"), 65001, 2, 2, 3);
        row("cr, caret at end", std::string("x\ry"), 0, 1, 3, 3);
        row("empty", std::string(), 65001, 0, 0, 0);
        row("caret past end is clamped", std::string("abc"), 0, 0, 99, 3);
    }
    void queries() {
        QFETCH(QString, kind);
        QFETCH(std::string, document);
        QFETCH(int, codePage);
        QFETCH(int, eolMode);
        QFETCH(int, caret);
        QFETCH(int, length);
        auto h = makeHarness(kind);
        h->setup(document, codePage, eolMode, caret, caret);
        QCOMPARE(queryCodePage(h->target()), codePage);
        QCOMPARE(queryEolMode(h->target()), eolMode);
        QCOMPARE(queryLength(h->target()), length);
        QCOMPARE(queryCaretPosition(h->target()), std::min(caret, length));
        checkClean(*h);
    }

    void readWhole_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::string>("document");
        row("plain", std::string("Procedure A()\r\nEndProcedure\r\n"));
        row("zero byte inside", bytes("ab\0cd", 5));
        row("zero byte first", bytes("\0abc", 4));
        row("utf8", std::string("\xc3\xa9\xe2\x82\xac"));
        row("invalid utf8", std::string("a\xff\xc3(b"));
        row("one byte", std::string("x"));
        row("page size", std::string(4096, 'p'));
        row("page size minus one", std::string(4095, 'q'));
        row("two pages", std::string(8192, 'r'));
    }
    void readWhole() {
        QFETCH(QString, kind);
        QFETCH(std::string, document);
        auto h = makeHarness(kind);
        h->setup(document, 65001, 0, 0, 0);
        int windowStart = -7;
        const std::string bytes =
            ReadDocumentText(h->target(), int(document.size()) + 1, 0, 0, windowStart);
        QCOMPARE(bytes, document);
        QCOMPARE(windowStart, 0);
        checkClean(*h);
    }

    void getTextSizes_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("result");
        QTest::addColumn<std::string>("buffer");
        // Scintilla 5 copies up to wParam bytes, then one terminator; nothing past it changes.
        row("exact", 3, 3, bytes("abc\0", 4));
        row("larger than the document", 6, 3, bytes("abc\0###", 7));
        row("smaller than the document", 1, 1, bytes("a\0", 2));
        row("terminator only", 0, 0, bytes("\0", 1));
    }
    // SCI_GETTEXT as sent raw, buffer pre-filled so that every byte written shows.
    void getTextSizes() {
        QFETCH(QString, kind);
        QFETCH(int, length);
        QFETCH(int, result);
        QFETCH(std::string, buffer);
        auto h = makeHarness(kind);
        h->setup("abc", 0, 0, 0, 0);
        ScintillaTarget& t = h->target();
        QCOMPARE(int(t.send(sci::kGetText, 0, 0)), 3); // no buffer: the length
        const std::size_t size = std::size_t(length) + 1;
        const RemoteAddress block = t.reserve(size);
        QVERIFY(block != 0);
        const std::string fill(size, '#');
        QVERIFY(t.write(block, fill.data(), fill.size()));
        QCOMPARE(int(t.send(sci::kGetText, std::uintptr_t(length), std::intptr_t(block))), result);
        std::string out(size, '?');
        QVERIFY(t.read(block, out.data(), out.size()));
        t.free(block);
        QCOMPARE(out, buffer);
        checkClean(*h);
    }

    void readEmptyDocument_data() {
        QTest::addColumn<QString>("kind");
        row("empty");
    }
    void readEmptyDocument() {
        QFETCH(QString, kind);
        auto h = makeHarness(kind);
        h->setup({}, 0, 0, 0, 0);
        int windowStart = 0;
        QCOMPARE(ReadDocumentText(h->target(), 1, 0, 0, windowStart), std::string());
        QCOMPARE(ReadDocumentText(h->target(), 1, 0, 5, windowStart), std::string());
        checkClean(*h);
    }

    void readRange_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::string>("document");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("range");
        QTest::addColumn<std::string>("expected");
        QTest::addColumn<int>("windowStart");
        const std::string digits("0123456789");
        row("middle", digits, 5, 2, std::string("3456"), 3);
        row("start clamped to 0", digits, 1, 3, std::string("0123"), 0);
        row("range starting exactly at 0", digits, 3, 3, std::string("012345"), 0);
        row("end past length reads to the end", digits, 8, 5, std::string("3456789"), 3);
        row("range larger than the document", digits, 5, 100, digits, 0);
        row("last equal to length", digits, 9, 1, std::string("89"), 8);
        row("last equal to size", digits, 10, 1, std::string("9"), 9);
        row("caret past the end", digits, 50, 3, std::string("789"), 7);
        row("caret below 0", digits, -4, 3, std::string("012"), 0);
        row("zero byte inside the range", bytes("ab\0cdef", 7), 3, 2, bytes("b\0cd", 4), 1);
        row("utf8 cut inside a character", std::string("a\xc3\xa9z"), 2, 1, std::string("\xc3\xa9"),
            1);
    }
    void readRange() {
        QFETCH(QString, kind);
        QFETCH(std::string, document);
        QFETCH(int, caret);
        QFETCH(int, range);
        QFETCH(std::string, expected);
        QFETCH(int, windowStart);
        auto h = makeHarness(kind);
        h->setup(document, 65001, 0, 0, 0);
        int start = -1;
        const std::string bytes =
            ReadDocumentText(h->target(), int(document.size()) + 1, caret, range, start);
        QCOMPARE(bytes, expected);
        QCOMPARE(start, windowStart);
        checkClean(*h);
    }

    void readRangeOperation_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<std::string>("expected");
        row("inside", 2, 5, std::string("234"));
        row("whole", 0, 10, std::string("0123456789"));
        row("end past length", 5, 11, std::string());
        row("start below 0", -1, 3, std::string());
        row("reversed", 6, 3, std::string());
        row("empty", 3, 3, std::string());
    }
    void readRangeOperation() {
        QFETCH(QString, kind);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(std::string, expected);
        auto h = makeHarness(kind);
        h->setup("0123456789", 0, 0, 0, 0);
        QCOMPARE(glossa::readRange(h->target(), start, end), expected);
        checkClean(*h);
    }

    void replaceRange_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::string>("document");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<std::string>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<std::string>("after");
        QTest::addColumn<int>("caretAfter");
        const std::string hello("Hello world");
        row("replace a word", hello, 6, 11, std::string("there"), true, std::string("Hello there"),
            11);
        row("empty range inserts", std::string("abc"), 1, 1, std::string("X"), true,
            std::string("aXbc"), 2);
        row("replace all by nothing", std::string("abc"), 0, 3, std::string(), true, std::string(),
            0);
        row("page-size text keeps its terminator", std::string("ab"), 1, 1, std::string(4096, 'x'),
            true, "a" + std::string(4096, 'x') + "b", 4097);
        row("utf8 multi-byte", std::string("\xc3\xa9=1"), 2, 3, std::string("\xe2\x89\xa0"), true,
            std::string("\xc3\xa9\xe2\x89\xa0"
                        "1"),
            5);
        row("end past length", std::string("abc"), 1, 4, std::string("X"), false,
            std::string("abc"), 1);
        row("start below 0", std::string("abc"), -1, 2, std::string("X"), false, std::string("abc"),
            1);
        row("reversed range", std::string("abc"), 2, 1, std::string("X"), false, std::string("abc"),
            1);
        row("text with a zero byte", std::string("abc"), 0, 1, bytes("x\0y", 3), false,
            std::string("abc"), 1);
    }
    void replaceRange() {
        QFETCH(QString, kind);
        QFETCH(std::string, document);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(std::string, text);
        QFETCH(bool, ok);
        QFETCH(std::string, after);
        QFETCH(int, caretAfter);
        auto h = makeHarness(kind);
        h->setup(document, 65001, 0, 1, 1);
        QCOMPARE(ReplaceRange(h->target(), start, end, text), ok);
        QCOMPARE(h->document(), after);
        QCOMPARE(h->caret(), caretAfter);
        QCOMPARE(h->anchor(), caretAfter);
        checkClean(*h);
    }

    void insertAtPosition_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<std::string>("after");
        QTest::addColumn<int>("caretAfter");
        row("before the caret moves it", 2, 0, true, std::string("XYabc"), 4);
        row("at the caret leaves it", 1, 1, true, std::string("aXYbc"), 1);
        row("after the caret", 1, 2, true, std::string("abXYc"), 1);
        row("at the end", 1, 3, true, std::string("abcXY"), 1);
        row("past the end", 1, 4, false, std::string("abc"), 1);
        row("-1 is never sent", 1, -1, false, std::string("abc"), 1);
        row("below 0", 1, -5, false, std::string("abc"), 1);
    }
    void insertAtPosition() {
        QFETCH(QString, kind);
        QFETCH(int, caret);
        QFETCH(int, position);
        QFETCH(bool, ok);
        QFETCH(std::string, after);
        QFETCH(int, caretAfter);
        auto h = makeHarness(kind);
        h->setup("abc", 0, 0, caret, caret);
        QCOMPARE(InsertAtPosition(h->target(), position, "XY"), ok);
        QCOMPARE(h->document(), after);
        QCOMPARE(h->caret(), caretAfter);
        checkClean(*h);
    }

    void insertWithSelection_data() {
        QTest::addColumn<QString>("kind");
        row("selection");
    }
    // Scintilla drops a selection when text is inserted elsewhere.
    void insertWithSelection() {
        QFETCH(QString, kind);
        auto h = makeHarness(kind);
        h->setup("abcdef", 0, 0, 1, 3);
        QVERIFY(InsertAtPosition(h->target(), 5, "X"));
        QCOMPARE(h->document(), std::string("abcdeXf"));
        QCOMPARE(h->caret(), 3);
        QCOMPARE(h->anchor(), 3);
        checkClean(*h);
    }

    void readOnlyIgnoresWrites_data() {
        QTest::addColumn<QString>("kind");
        row("read-only");
    }
    // The IDE sets its editor read-only while the program runs in the debugger: the messages
    // are taken, the document doesn't change.
    void readOnlyIgnoresWrites() {
        QFETCH(QString, kind);
        auto h = makeHarness(kind);
        h->setup("abc", 0, 0, 1, 1);
        QVERIFY(!queryReadOnly(h->target()));
        h->target().send(sci::kSetReadOnly, 1, 0);
        QVERIFY(queryReadOnly(h->target()));
        QVERIFY(ReplaceRange(h->target(), 0, 1, "X"));
        QVERIFY(InsertAtPosition(h->target(), 3, "Y"));
        QCOMPARE(h->document(), std::string("abc"));
        checkClean(*h);
    }

    void placeCaret_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::string>("document");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("caretAfter");
        row("inside", std::string("abc"), 0, 2, true, 2);
        row("at the end", std::string("abc"), 0, 3, true, 3);
        row("past the end", std::string("abc"), 0, 4, false, 1);
        row("below 0", std::string("abc"), 0, -1, false, 1);
        row("after a utf8 character", std::string("\xc3\xa9x"), 65001, 2, true, 2);
        row("inside a utf8 character is kept", std::string("\xc3\xa9x"), 65001, 1, true, 1);
        row("ansi byte", std::string("\xe9x"), 0, 1, true, 1);
    }
    void placeCaret() {
        QFETCH(QString, kind);
        QFETCH(std::string, document);
        QFETCH(int, codePage);
        QFETCH(int, position);
        QFETCH(bool, ok);
        QFETCH(int, caretAfter);
        auto h = makeHarness(kind);
        h->setup(document, codePage, 0, 0, 1);
        QCOMPARE(PlaceCaret(h->target(), position), ok);
        QCOMPARE(h->caret(), caretAfter);
        if (ok)
            QCOMPARE(h->anchor(), caretAfter);
        checkClean(*h);
    }

    void editorPositions_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<std::string>("document");
        // "é" before "X": one character in the text, two bytes in UTF-8, one in ANSI.
        row("utf8", 65001, std::string("\xc3\xa9X"));
        row("ansi", 0, std::string("\xe9X"));
    }
    // The position of a character is the encoded length of the text before it; a write at
    // that position lands right before the character in both encodings.
    void editorPositions() {
        QFETCH(QString, kind);
        QFETCH(int, codePage);
        QFETCH(std::string, document);
        auto h = makeHarness(kind);
        h->setup(document, codePage, 2, 0, 0);
        IdeEditor editor(h->target());
        editor.setEncoding(editor.codePage());
        QCOMPARE(editor.encoding() == DocEncoding::Utf8, codePage == 65001);
        const QString text = editor.ReadDocumentText(editor.length() + 1, 0, 0);
        QCOMPARE(text, u"\u00e9X"_s);
        const int position = int(editor.EncodedLength(text.first(1)));
        QCOMPARE(position, codePage == 65001 ? 2 : 1);
        QVERIFY(editor.InsertAtPosition(position, u"\u00fc"_s));
        QCOMPARE(editor.ReadDocumentText(editor.length() + 1, 0, 0), u"\u00e9\u00fcX"_s);
        QCOMPARE(editor.readRange(position, editor.length()),
                 codePage == 65001 ? QByteArray("\xc3\xbcX") : QByteArray("\xfcX"));
        checkClean(*h);
    }
};

} // namespace glossa

int main(int argc, char** argv) {
#ifdef GLOSSA_HAVE_QSCINTILLA
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    glossa::TestConformance test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_conformance.moc"
