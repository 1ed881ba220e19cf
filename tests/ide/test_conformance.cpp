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
    virtual ScintillaTarget& Target() = 0;
    virtual void Setup(const std::string& document, int codePage, int eolMode, long long anchor,
                       long long caret) = 0;
    virtual std::string Document() = 0;
    virtual long long Caret() = 0;
    virtual long long Anchor() = 0;
    virtual std::size_t LiveBlocks() = 0;
    virtual int Faults() = 0;
};

// The same harness over either editor: the simulation, or a real Scintilla (QScintilla).
template <typename Editor> class EditorHarness : public Harness {
public:
    template <typename... Args>
    explicit EditorHarness(Args&&... args) : editor_(std::forward<Args>(args)...) {}
    ScintillaTarget& Target() override { return editor_; }
    void Setup(const std::string& document, int codePage, int eolMode, long long anchor,
               long long caret) override {
        editor_.SetCodePage(codePage);
        editor_.SetEolMode(eolMode);
        editor_.SetDocument(document);
        editor_.SetSelection(anchor, caret);
    }
    std::string Document() override { return editor_.Document(); }
    long long Caret() override { return editor_.Caret(); }
    long long Anchor() override { return editor_.Anchor(); }
    std::size_t LiveBlocks() override { return editor_.LiveBlocks(); }
    int Faults() override { return editor_.Faults(); }

private:
    Editor editor_;
};

std::unique_ptr<Harness> MakeHarness(const QString& kind) {
    const int width = kind.endsWith(u'4') ? 4 : 8;
#ifdef GLOSSA_HAVE_QSCINTILLA
    if (kind.startsWith(u"qsci"))
        return std::make_unique<EditorHarness<QsciTarget>>(width);
#endif
    return std::make_unique<EditorHarness<SimulatedScintilla>>(std::string(), 0, 0, width);
}

QStringList Kinds() {
    QStringList kinds{u"sim4"_s, u"sim8"_s};
#ifdef GLOSSA_HAVE_QSCINTILLA
    kinds << u"qsci4"_s << u"qsci8"_s;
#endif
    return kinds;
}

std::string Bytes(const char* data, std::size_t size) {
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
    template <typename... Values> static void Row(const char* name, Values... values) {
        for (const QString& kind : Kinds())
            ((QTest::newRow(qPrintable(kind + u": "_s + QLatin1StringView(name))) << kind)
             << ... << values);
    }

    static void CheckClean(Harness& h) {
        QCOMPARE(h.LiveBlocks(), std::size_t(0));
        QCOMPARE(h.Faults(), 0);
    }

private slots:
    void queries_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::string>("document");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<int>("eolMode");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("length");
        Row("ansi crlf", std::string("ab\r\ncd"), 0, 0, 3, 6);
        Row("utf8 lf", std::string("\xc3\xa9\n"), 65001, 2, 2, 3);
        Row("cr, caret at end", std::string("x\ry"), 0, 1, 3, 3);
        Row("empty", std::string(), 65001, 0, 0, 0);
        Row("caret past end is clamped", std::string("abc"), 0, 0, 99, 3);
    }
    void queries() {
        QFETCH(QString, kind);
        QFETCH(std::string, document);
        QFETCH(int, codePage);
        QFETCH(int, eolMode);
        QFETCH(int, caret);
        QFETCH(int, length);
        auto h = MakeHarness(kind);
        h->Setup(document, codePage, eolMode, caret, caret);
        QCOMPARE(QueryCodePage(h->Target()), codePage);
        QCOMPARE(QueryEolMode(h->Target()), eolMode);
        QCOMPARE(QueryLength(h->Target()), length);
        QCOMPARE(QueryCaretPosition(h->Target()), std::min(caret, length));
        CheckClean(*h);
    }

    void readWhole_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::string>("document");
        Row("plain", std::string("Procedure A()\r\nEndProcedure\r\n"));
        Row("zero byte inside", Bytes("ab\0cd", 5));
        Row("zero byte first", Bytes("\0abc", 4));
        Row("utf8", std::string("\xc3\xa9\xe2\x82\xac"));
        Row("invalid utf8", std::string("a\xff\xc3(b"));
        Row("one byte", std::string("x"));
        Row("page size", std::string(4096, 'p'));
        Row("page size minus one", std::string(4095, 'q'));
        Row("two pages", std::string(8192, 'r'));
    }
    void readWhole() {
        QFETCH(QString, kind);
        QFETCH(std::string, document);
        auto h = MakeHarness(kind);
        h->Setup(document, 65001, 0, 0, 0);
        int windowStart = -7;
        const std::string bytes =
            ReadDocumentText(h->Target(), int(document.size()) + 1, 0, 0, windowStart);
        QCOMPARE(bytes, document);
        QCOMPARE(windowStart, 0);
        CheckClean(*h);
    }

    void getTextSizes_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("result");
        QTest::addColumn<std::string>("buffer");
        // Scintilla 5 copies up to wParam bytes, then one terminator; nothing past it changes.
        Row("exact", 3, 3, Bytes("abc\0", 4));
        Row("larger than the document", 6, 3, Bytes("abc\0###", 7));
        Row("smaller than the document", 1, 1, Bytes("a\0", 2));
        Row("terminator only", 0, 0, Bytes("\0", 1));
    }
    // SCI_GETTEXT as sent raw, buffer pre-filled so that every byte written shows.
    void getTextSizes() {
        QFETCH(QString, kind);
        QFETCH(int, length);
        QFETCH(int, result);
        QFETCH(std::string, buffer);
        auto h = MakeHarness(kind);
        h->Setup("abc", 0, 0, 0, 0);
        ScintillaTarget& t = h->Target();
        QCOMPARE(int(t.Send(sci::kGetText, 0, 0)), 3); // no buffer: the length
        const std::size_t size = std::size_t(length) + 1;
        const RemoteAddress block = t.Reserve(size);
        QVERIFY(block != 0);
        const std::string fill(size, '#');
        QVERIFY(t.Write(block, fill.data(), fill.size()));
        QCOMPARE(int(t.Send(sci::kGetText, std::uintptr_t(length), std::intptr_t(block))), result);
        std::string out(size, '?');
        QVERIFY(t.Read(block, out.data(), out.size()));
        t.Free(block);
        QCOMPARE(out, buffer);
        CheckClean(*h);
    }

    void readEmptyDocument_data() {
        QTest::addColumn<QString>("kind");
        Row("empty");
    }
    void readEmptyDocument() {
        QFETCH(QString, kind);
        auto h = MakeHarness(kind);
        h->Setup({}, 0, 0, 0, 0);
        int windowStart = 0;
        QCOMPARE(ReadDocumentText(h->Target(), 1, 0, 0, windowStart), std::string());
        QCOMPARE(ReadDocumentText(h->Target(), 1, 0, 5, windowStart), std::string());
        CheckClean(*h);
    }

    void readRange_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::string>("document");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("range");
        QTest::addColumn<std::string>("expected");
        QTest::addColumn<int>("windowStart");
        const std::string digits("0123456789");
        Row("middle", digits, 5, 2, std::string("3456"), 3);
        Row("start clamped to 0", digits, 1, 3, std::string("0123"), 0);
        Row("range starting exactly at 0", digits, 3, 3, std::string("012345"), 0);
        Row("end past length reads to the end", digits, 8, 5, std::string("3456789"), 3);
        Row("range larger than the document", digits, 5, 100, digits, 0);
        Row("last equal to length", digits, 9, 1, std::string("89"), 8);
        Row("last equal to size", digits, 10, 1, std::string("9"), 9);
        Row("caret past the end", digits, 50, 3, std::string("789"), 7);
        Row("caret below 0", digits, -4, 3, std::string("012"), 0);
        Row("zero byte inside the range", Bytes("ab\0cdef", 7), 3, 2, Bytes("b\0cd", 4), 1);
        Row("utf8 cut inside a character", std::string("a\xc3\xa9z"), 2, 1, std::string("\xc3\xa9"),
            1);
    }
    void readRange() {
        QFETCH(QString, kind);
        QFETCH(std::string, document);
        QFETCH(int, caret);
        QFETCH(int, range);
        QFETCH(std::string, expected);
        QFETCH(int, windowStart);
        auto h = MakeHarness(kind);
        h->Setup(document, 65001, 0, 0, 0);
        int start = -1;
        const std::string bytes =
            ReadDocumentText(h->Target(), int(document.size()) + 1, caret, range, start);
        QCOMPARE(bytes, expected);
        QCOMPARE(start, windowStart);
        CheckClean(*h);
    }

    void readRangeOperation_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<std::string>("expected");
        Row("inside", 2, 5, std::string("234"));
        Row("whole", 0, 10, std::string("0123456789"));
        Row("end past length", 5, 11, std::string());
        Row("start below 0", -1, 3, std::string());
        Row("reversed", 6, 3, std::string());
        Row("empty", 3, 3, std::string());
    }
    void readRangeOperation() {
        QFETCH(QString, kind);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(std::string, expected);
        auto h = MakeHarness(kind);
        h->Setup("0123456789", 0, 0, 0, 0);
        QCOMPARE(ReadRange(h->Target(), start, end), expected);
        CheckClean(*h);
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
        Row("replace a word", hello, 6, 11, std::string("there"), true, std::string("Hello there"),
            11);
        Row("empty range inserts", std::string("abc"), 1, 1, std::string("X"), true,
            std::string("aXbc"), 2);
        Row("replace all by nothing", std::string("abc"), 0, 3, std::string(), true, std::string(),
            0);
        Row("page-size text keeps its terminator", std::string("ab"), 1, 1, std::string(4096, 'x'),
            true, "a" + std::string(4096, 'x') + "b", 4097);
        Row("utf8 multi-byte", std::string("\xc3\xa9=1"), 2, 3, std::string("\xe2\x89\xa0"), true,
            std::string("\xc3\xa9\xe2\x89\xa0"
                        "1"),
            5);
        Row("end past length", std::string("abc"), 1, 4, std::string("X"), false,
            std::string("abc"), 1);
        Row("start below 0", std::string("abc"), -1, 2, std::string("X"), false, std::string("abc"),
            1);
        Row("reversed range", std::string("abc"), 2, 1, std::string("X"), false, std::string("abc"),
            1);
        Row("text with a zero byte", std::string("abc"), 0, 1, Bytes("x\0y", 3), false,
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
        auto h = MakeHarness(kind);
        h->Setup(document, 65001, 0, 1, 1);
        QCOMPARE(ReplaceRange(h->Target(), start, end, text), ok);
        QCOMPARE(h->Document(), after);
        QCOMPARE(h->Caret(), caretAfter);
        QCOMPARE(h->Anchor(), caretAfter);
        CheckClean(*h);
    }

    void insertAtPosition_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<std::string>("after");
        QTest::addColumn<int>("caretAfter");
        Row("before the caret moves it", 2, 0, true, std::string("XYabc"), 4);
        Row("at the caret leaves it", 1, 1, true, std::string("aXYbc"), 1);
        Row("after the caret", 1, 2, true, std::string("abXYc"), 1);
        Row("at the end", 1, 3, true, std::string("abcXY"), 1);
        Row("past the end", 1, 4, false, std::string("abc"), 1);
        Row("-1 is never sent", 1, -1, false, std::string("abc"), 1);
        Row("below 0", 1, -5, false, std::string("abc"), 1);
    }
    void insertAtPosition() {
        QFETCH(QString, kind);
        QFETCH(int, caret);
        QFETCH(int, position);
        QFETCH(bool, ok);
        QFETCH(std::string, after);
        QFETCH(int, caretAfter);
        auto h = MakeHarness(kind);
        h->Setup("abc", 0, 0, caret, caret);
        QCOMPARE(InsertAtPosition(h->Target(), position, "XY"), ok);
        QCOMPARE(h->Document(), after);
        QCOMPARE(h->Caret(), caretAfter);
        CheckClean(*h);
    }

    void insertWithSelection_data() {
        QTest::addColumn<QString>("kind");
        Row("selection");
    }
    // Scintilla drops a selection when text is inserted elsewhere.
    void insertWithSelection() {
        QFETCH(QString, kind);
        auto h = MakeHarness(kind);
        h->Setup("abcdef", 0, 0, 1, 3);
        QVERIFY(InsertAtPosition(h->Target(), 5, "X"));
        QCOMPARE(h->Document(), std::string("abcdeXf"));
        QCOMPARE(h->Caret(), 3);
        QCOMPARE(h->Anchor(), 3);
        CheckClean(*h);
    }

    void readOnlyIgnoresWrites_data() {
        QTest::addColumn<QString>("kind");
        Row("read-only");
    }
    // The IDE sets its editor read-only while the program runs in the debugger: the messages
    // are taken, the document doesn't change.
    void readOnlyIgnoresWrites() {
        QFETCH(QString, kind);
        auto h = MakeHarness(kind);
        h->Setup("abc", 0, 0, 1, 1);
        QVERIFY(!QueryReadOnly(h->Target()));
        h->Target().Send(sci::kSetReadOnly, 1, 0);
        QVERIFY(QueryReadOnly(h->Target()));
        QVERIFY(ReplaceRange(h->Target(), 0, 1, "X"));
        QVERIFY(InsertAtPosition(h->Target(), 3, "Y"));
        QCOMPARE(h->Document(), std::string("abc"));
        CheckClean(*h);
    }

    void placeCaret_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::string>("document");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("caretAfter");
        Row("inside", std::string("abc"), 0, 2, true, 2);
        Row("at the end", std::string("abc"), 0, 3, true, 3);
        Row("past the end", std::string("abc"), 0, 4, false, 1);
        Row("below 0", std::string("abc"), 0, -1, false, 1);
        Row("after a utf8 character", std::string("\xc3\xa9x"), 65001, 2, true, 2);
        Row("inside a utf8 character is kept", std::string("\xc3\xa9x"), 65001, 1, true, 1);
        Row("ansi byte", std::string("\xe9x"), 0, 1, true, 1);
    }
    void placeCaret() {
        QFETCH(QString, kind);
        QFETCH(std::string, document);
        QFETCH(int, codePage);
        QFETCH(int, position);
        QFETCH(bool, ok);
        QFETCH(int, caretAfter);
        auto h = MakeHarness(kind);
        h->Setup(document, codePage, 0, 0, 1);
        QCOMPARE(PlaceCaret(h->Target(), position), ok);
        QCOMPARE(h->Caret(), caretAfter);
        if (ok)
            QCOMPARE(h->Anchor(), caretAfter);
        CheckClean(*h);
    }

    void editorPositions_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<std::string>("document");
        // "é" before "X": one character in the text, two bytes in UTF-8, one in ANSI.
        Row("utf8", 65001, std::string("\xc3\xa9X"));
        Row("ansi", 0, std::string("\xe9X"));
    }
    // The position of a character is the encoded length of the text before it; a write at
    // that position lands right before the character in both encodings.
    void editorPositions() {
        QFETCH(QString, kind);
        QFETCH(int, codePage);
        QFETCH(std::string, document);
        auto h = MakeHarness(kind);
        h->Setup(document, codePage, 2, 0, 0);
        IdeEditor editor(h->Target());
        editor.SetEncoding(editor.CodePage());
        QCOMPARE(editor.Encoding() == DocEncoding::Utf8, codePage == 65001);
        const QString text = editor.ReadDocumentText(editor.Length() + 1, 0, 0);
        QCOMPARE(text, u"\u00e9X"_s);
        const int position = int(editor.EncodedLength(text.first(1)));
        QCOMPARE(position, codePage == 65001 ? 2 : 1);
        QVERIFY(editor.InsertAtPosition(position, u"\u00fc"_s));
        QCOMPARE(editor.ReadDocumentText(editor.Length() + 1, 0, 0), u"\u00e9\u00fcX"_s);
        QCOMPARE(editor.ReadRange(position, editor.Length()),
                 codePage == 65001 ? QByteArray("\xc3\xbcX") : QByteArray("\xfcX"));
        CheckClean(*h);
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
