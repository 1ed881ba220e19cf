// SPDX-License-Identifier: MIT
// The bridge operations over the simulated editor: failures of the transport, the messages
// sent, the record layouts.
#include "bridgelog.h"
#include "bridgeoperations.h"
#include "simulatedscintilla.h"

#include <QTest>

#include <functional>
#include <vector>

namespace glossa {

namespace {

// True when a message that changes the selection or the document was sent.
bool sentAnEdit(const SimulatedScintilla& sim) {
    for (const auto& m : sim.sent())
        if (m.message == sci::kSetSel || m.message == sci::kReplaceSel ||
            m.message == sci::kInsertText || m.message == sci::kSetEmptySelection)
            return true;
    return false;
}

} // namespace

class TestBridgeOperations : public QObject {
    Q_OBJECT

private slots:
    void recordLayouts() {
        const std::string r4 = makeTextRangeRecord(4, 3, -1, 0x12345678);
        QCOMPARE(r4, std::string("\x03\0\0\0\xff\xff\xff\xff\x78\x56\x34\x12", 12));
        const std::string r8 = makeTextRangeRecord(8, 0x0102, 7, 0x1122334455667788ull);
        QCOMPARE(r8, std::string("\x02\x01\0\0\x07\0\0\0\x88\x77\x66\x55\x44\x33\x22\x11", 16));
        QCOMPARE(makeTextRangeRecord(2, 0, 0, 0), std::string());
    }

    void recordsReadBack() {
        // The editor's side reads the fields from the golden bytes above.
        const TextRangeFields f4 =
            parseTextRangeRecord("\x03\0\0\0\xff\xff\xff\xff\x78\x56\x34\x12", 4);
        QCOMPARE(f4.first, 3);
        QCOMPARE(f4.last, -1);
        QCOMPARE(f4.text, RemoteAddress(0x12345678));
        const TextRangeFields f8 =
            parseTextRangeRecord("\x02\x01\0\0\x07\0\0\0\x88\x77\x66\x55\x44\x33\x22\x11", 8);
        QCOMPARE(f8.first, 0x0102);
        QCOMPARE(f8.last, 7);
        QCOMPARE(f8.text, RemoteAddress(0x1122334455667788ull));
    }

    void remotePagesAreNotExecutable() {
        QCOMPARE(kRemotePageProtection, std::uint32_t(0x04)); // PAGE_READWRITE
        QCOMPARE(kRemoteAllocationType, std::uint32_t(0x3000));
        QCOMPARE(kIdeProcessAccess, std::uint32_t(0x1F0FFF));
    }

    void noIdeProcessOutsideWindows() {
#ifndef _WIN32
        QVERIFY(OpenIdeProcess(0x1234) == nullptr);
#endif
    }

    // The whole-document read: one clearing copy of the full size, then SCI_GETTEXT with the
    // length (Scintilla 5 adds the terminator itself).
    void readSendsGetTextWithFullSize() {
        SimulatedScintilla sim("abcdef");
        int start = -1;
        QCOMPARE(ReadDocumentText(sim, 7, 3, 0, start), std::string("abcdef"));
        QCOMPARE(start, 0);
        QCOMPARE(sim.sent().size(), std::size_t(1));
        QCOMPARE(sim.sent()[0].message, sci::kGetText);
        QCOMPARE(sim.sent()[0].wParam, std::uintptr_t(6));
        QCOMPARE(sim.liveBlocks(), std::size_t(0));
    }

    // A window that reaches the document's end names that end: Scintilla reads -1 as its
    // length now, and a document grown since it was measured would overrun the buffer.
    void readRangeNamesTheEnd() {
        for (const int grownBy : {0, 4}) {
            SimulatedScintilla sim(std::string("0123456789").substr(0, 6 + grownBy));
            int start = -1;
            QCOMPARE(ReadDocumentText(sim, 7, 4, 5, start), std::string("012345"));
            QCOMPARE(start, 0);
            QCOMPARE(sim.faults(), 0);
        }
    }

    void readFailsCleanly_data() {
        QTest::addColumn<int>("reserveSuccesses");
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<bool>("readFails");
        QTest::addColumn<int>("range");
        QTest::newRow("no text block") << 0 << false << false << 0;
        QTest::newRow("no record block") << 1 << false << false << 3;
        QTest::newRow("clearing copy fails") << -1 << true << false << 0;
        QTest::newRow("copy back fails") << -1 << false << true << 0;
        QTest::newRow("copy back fails, range") << -1 << false << true << 3;
    }
    void readFailsCleanly() {
        QFETCH(int, reserveSuccesses);
        QFETCH(bool, writeFails);
        QFETCH(bool, readFails);
        QFETCH(int, range);
        SimulatedScintilla sim("Procedure A()");
        sim.failReserveAfter(reserveSuccesses);
        sim.setWriteFails(writeFails);
        sim.setReadFails(readFails);
        int start = -1;
        QCOMPARE(ReadDocumentText(sim, 14, 5, range, start), std::string());
        QCOMPARE(start, 0);
        QCOMPARE(sim.liveBlocks(), std::size_t(0));
        QCOMPARE(sim.faults(), 0);
    }

    // A write that did not happen is never reported as done, and nothing is sent that could
    // select, replace or insert without the text.
    void writeFailsCleanly_data() {
        QTest::addColumn<int>("reserveSuccesses");
        QTest::addColumn<bool>("writeFails");
        QTest::newRow("block can't be reserved") << 0 << false;
        QTest::newRow("copy into the block fails") << -1 << true;
    }
    void writeFailsCleanly() {
        QFETCH(int, reserveSuccesses);
        QFETCH(bool, writeFails);
        for (bool insert : {false, true}) {
            SimulatedScintilla sim("abcdef");
            sim.setSelection(2, 2);
            sim.failReserveAfter(reserveSuccesses);
            sim.setWriteFails(writeFails);
            const bool ok =
                insert ? InsertAtPosition(sim, 1, "XYZ") : ReplaceRange(sim, 1, 3, "XYZ");
            QVERIFY(!ok);
            QVERIFY(!sentAnEdit(sim));
            QCOMPARE(sim.document(), std::string("abcdef"));
            QCOMPARE(sim.caret(), 2);
            QCOMPARE(sim.liveBlocks(), std::size_t(0));
        }
    }

    // The text block is n + 1 bytes and ends with the zero byte: a block one byte short would
    // be a fault of the simulation, whose blocks are exactly as large as reserved.
    void writeBlockHoldsTerminator_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("page") << 4096;
        QTest::newRow("two pages") << 8192;
        QTest::newRow("page minus one") << 4095;
        QTest::newRow("empty") << 0;
    }
    void writeBlockHoldsTerminator() {
        QFETCH(int, size);
        SimulatedScintilla sim("ab");
        const std::string text(std::size_t(size), 'x');
        QVERIFY(ReplaceRange(sim, 1, 1, text));
        QCOMPARE(sim.document(), "a" + text + "b");
        QCOMPARE(sim.faults(), 0);
        QCOMPARE(sim.liveBlocks(), std::size_t(0));
    }

    // What the bridge decided reaches the program's sink, one line per operation.
    void logsThroughTheSink() {
        std::vector<std::string> lines;
        setBridgeLogSink([&lines](const char* line) { lines.emplace_back(line); });
        int start = 0;
        const std::pair<std::function<void(SimulatedScintilla&)>, std::string> cases[] = {
            {[&](auto& sim) { ReadDocumentText(sim, 7, 3, 0, start); },
             "read bytes 0..6 of 6 with SCI_GETTEXT"},
            {[&](auto& sim) { ReadDocumentText(sim, 7, 3, 1, start); },
             "read bytes 2..4 of 6 with SCI_GETTEXTRANGE around the caret at 3, search range 1"},
            {[](auto& sim) { ReplaceRange(sim, 1, 3, "XYZ"); }, "replaced bytes 1..3 by 3 bytes"},
            {[](auto& sim) { ReplaceRange(sim, 2, 9, "x"); },
             "not replaced: bytes 2..9 lie outside the document of 6 bytes"},
            {[](auto& sim) { InsertAtPosition(sim, 9, "x"); },
             "not inserted: byte 9 lies outside the document"},
            {[](auto& sim) { InsertAtPosition(sim, 0, std::string_view("a\0b", 3)); },
             "text not sent: it holds a zero byte"},
        };
        for (const auto& [operation, expected] : cases) {
            SimulatedScintilla sim("abcdef");
            lines.clear();
            operation(sim);
            QCOMPARE(lines, std::vector<std::string>{expected});
        }
        setBridgeLogSink(nullptr);
        QVERIFY(!bridgeLogging());
    }

    void placeCaretOutsideSendsNothing() {
        SimulatedScintilla sim("abc");
        QVERIFY(!PlaceCaret(sim, 4));
        QVERIFY(!PlaceCaret(sim, -1));
        QVERIFY(!sentAnEdit(sim));
        QVERIFY(PlaceCaret(sim, 3));
        QCOMPARE(sim.caret(), 3);
    }

    // The simulation itself: bad addresses are faults, never undefined behaviour.
    void simulatedAddressSpace() {
        SimulatedScintilla sim("abc");
        const RemoteAddress a = sim.reserve(8);
        QVERIFY(a != 0);
        char buffer[16] = {};
        QVERIFY(sim.write(a, "12345678", 8));
        QVERIFY(!sim.write(a + 1, "12345678", 8));
        QVERIFY(!sim.read(a + 8, buffer, 1));
        QVERIFY(sim.read(a + 4, buffer, 4));
        QCOMPARE(std::string(buffer, 4), std::string("5678"));
        QCOMPARE(sim.faults(), 2);
        sim.free(a);
        QVERIFY(!sim.read(a, buffer, 1));
        sim.free(a);
        QCOMPARE(sim.faults(), 4);
        // A text without terminator inside its block is refused.
        const RemoteAddress b = sim.reserve(3);
        QVERIFY(sim.write(b, "XYZ", 3));
        sim.send(sci::kReplaceSel, 0, std::intptr_t(b));
        QCOMPARE(sim.document(), std::string("abc"));
        QCOMPARE(sim.faults(), 5);
        // SCI_GETTEXTRANGE out of the document is refused too.
        const std::string record = makeTextRangeRecord(8, 2, 9, b);
        const RemoteAddress r = sim.reserve(record.size());
        QVERIFY(sim.write(r, record.data(), record.size()));
        QCOMPARE(int(sim.send(sci::kGetTextRange, 0, std::intptr_t(r))), 0);
        QCOMPARE(sim.faults(), 6);
        sim.free(b);
        sim.free(r);
        QCOMPARE(sim.liveBlocks(), std::size_t(0));
    }

    void largeDocument() {
        std::string document(50 * 1024 * 1024, 'a');
        document[20 * 1024 * 1024] = '\n';
        SimulatedScintilla sim(document, 65001);
        int start = -1;
        const int size = int(document.size()) + 1;
        QCOMPARE(ReadDocumentText(sim, size, 20 * 1024 * 1024, 2, start), std::string("aa\na"));
        QCOMPARE(start, 20 * 1024 * 1024 - 2);
        QCOMPARE(ReadDocumentText(sim, size, 0, 0, start).size(), document.size());
        QCOMPARE(sim.liveBlocks(), std::size_t(0));
    }
};

} // namespace glossa

QTEST_GUILESS_MAIN(glossa::TestBridgeOperations)
#include "test_bridgeoperations.moc"
