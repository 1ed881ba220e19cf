// SPDX-License-Identifier: MIT
// Arbitrary message and memory sequences against the simulated editor, mixed with the bridge's
// operations: no undefined behaviour (the sanitizers watch), every fault is counted instead of
// crashing, and the bridge's operations never leave a remote block behind.
#include "bridgeoperations.h"
#include "simulatedscintilla.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace glossa;

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
    bool empty() const { return pos >= size; }
    std::uint8_t byte() { return pos < size ? data[pos++] : 0; }
    std::int32_t int32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(byte()) << (8 * i);
        return std::int32_t(v);
    }
    // Small numbers most of the time, so positions land inside short documents.
    std::int32_t position() {
        const std::uint8_t kind = byte();
        return kind < 200 ? std::int32_t(kind % 64) - 4 : int32();
    }
    std::string text() {
        const std::size_t n = byte() % 24;
        std::string s;
        for (std::size_t i = 0; i < n && !empty(); ++i)
            s.push_back(char(byte()));
        return s;
    }
};

constexpr unsigned kMessages[] = {sci::kGetCodePage,
                                  sci::kGetCurrentPos,
                                  sci::kGetLength,
                                  sci::kGetEolMode,
                                  sci::kGetText,
                                  sci::kGetTextRange,
                                  sci::kSetSel,
                                  sci::kReplaceSel,
                                  sci::kInsertText,
                                  sci::kSetEmptySelection,
                                  sci::kGetReadOnly,
                                  sci::kSetReadOnly,
                                  1234};

void checkNoLeak(const SimulatedScintilla& sim, std::size_t before) {
    if (sim.liveBlocks() != before)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    const int codePage = (in.byte() & 1) ? sci::kCodePageUtf8 : 0;
    const int width = (in.byte() & 1) ? 8 : 4;
    SimulatedScintilla sim(in.text(), codePage, in.byte() % 3, width);
    std::vector<RemoteAddress> blocks;

    for (int step = 0; step < 64 && !in.empty(); ++step) {
        const std::size_t live = sim.liveBlocks();
        switch (in.byte() % 12) {
        case 0: { // raw message with arbitrary arguments, sometimes a live block
            const unsigned msg = kMessages[in.byte() % std::size(kMessages)];
            std::intptr_t lParam = in.int32();
            if (!blocks.empty() && (in.byte() & 1))
                lParam = std::intptr_t(blocks[in.byte() % blocks.size()] + in.byte() % 8);
            sim.send(msg, std::uintptr_t(std::uint32_t(in.int32())), lParam);
            break;
        }
        case 1: {
            const RemoteAddress a = sim.reserve(in.byte());
            if (a)
                blocks.push_back(a);
            break;
        }
        case 2:
            if (!blocks.empty()) {
                const std::size_t i = in.byte() % blocks.size();
                sim.free(blocks[i]);
                blocks.erase(blocks.begin() + std::ptrdiff_t(i));
            } else {
                sim.free(RemoteAddress(std::uint32_t(in.int32()))); // a bad address is a fault
            }
            break;
        case 3: {
            const std::string bytes = in.text();
            const RemoteAddress a = blocks.empty()
                                        ? RemoteAddress(in.int32())
                                        : blocks[in.byte() % blocks.size()] + in.byte() % 4;
            sim.write(a, bytes.data(), bytes.size());
            break;
        }
        case 4: {
            char buffer[64];
            const RemoteAddress a =
                blocks.empty() ? RemoteAddress(in.int32()) : blocks[in.byte() % blocks.size()];
            sim.read(a, buffer, in.byte() % sizeof buffer);
            break;
        }
        case 5: {
            int windowStart = 0;
            const int length = queryLength(sim);
            const std::string text =
                ReadDocumentText(sim, length + 1, in.position(), in.position(), windowStart);
            checkNoLeak(sim, live);
            if (windowStart < 0 || windowStart > length || int(text.size()) > length)
                std::abort();
            break;
        }
        case 6: {
            const int a = in.position(), b = in.position();
            const std::string before = sim.document();
            const std::string text = in.text();
            const bool ok = ReplaceRange(sim, a, b, text);
            checkNoLeak(sim, live);
            const bool valid =
                a >= 0 && a <= b && b <= int(before.size()) && text.find('\0') == std::string::npos;
            if (!ok && sim.document() != before)
                std::abort(); // a failed write leaves the document alone
            if (ok && !valid)
                std::abort(); // positions outside the document are never written
            // A read-only document takes the messages and changes nothing.
            if (ok && sim.document() !=
                          (sim.readOnly() ? before : before.substr(0, a) + text + before.substr(b)))
                std::abort();
            break;
        }
        case 7: {
            const int p = in.position();
            const std::string before = sim.document();
            const std::string text = in.text();
            const bool ok = InsertAtPosition(sim, p, text);
            checkNoLeak(sim, live);
            if (!ok && sim.document() != before)
                std::abort();
            if (ok && sim.document() !=
                          (sim.readOnly() ? before : before.substr(0, p) + text + before.substr(p)))
                std::abort();
            break;
        }
        case 8:
            PlaceCaret(sim, in.position());
            if (sim.caret() < 0 || sim.caret() > (long long)sim.document().size())
                std::abort();
            break;
        case 9: {
            const int a = in.position(), b = in.position();
            const std::string r = readRange(sim, a, b);
            checkNoLeak(sim, live);
            if (!r.empty() && r != sim.document().substr(a, b - a))
                std::abort();
            break;
        }
        case 10:
            sim.failReserveAfter(in.byte() % 4);
            break;
        case 11:
            sim.setWriteFails(in.byte() & 1);
            sim.setReadFails(in.byte() & 1);
            break;
        }
    }
    for (RemoteAddress a : blocks)
        sim.free(a);
    if (sim.liveBlocks() != 0)
        std::abort();
    return 0;
}
