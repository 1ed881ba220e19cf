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
    bool Empty() const { return pos >= size; }
    std::uint8_t Byte() { return pos < size ? data[pos++] : 0; }
    std::int32_t Int() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(Byte()) << (8 * i);
        return std::int32_t(v);
    }
    // Small numbers most of the time, so positions land inside short documents.
    std::int32_t Position() {
        const std::uint8_t kind = Byte();
        return kind < 200 ? std::int32_t(kind % 64) - 4 : Int();
    }
    std::string Text() {
        const std::size_t n = Byte() % 24;
        std::string s;
        for (std::size_t i = 0; i < n && !Empty(); ++i)
            s.push_back(char(Byte()));
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

void CheckNoLeak(const SimulatedScintilla& sim, std::size_t before) {
    if (sim.LiveBlocks() != before)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    const int codePage = (in.Byte() & 1) ? sci::kCodePageUtf8 : 0;
    const int width = (in.Byte() & 1) ? 8 : 4;
    SimulatedScintilla sim(in.Text(), codePage, in.Byte() % 3, width);
    std::vector<RemoteAddress> blocks;

    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        const std::size_t live = sim.LiveBlocks();
        switch (in.Byte() % 12) {
        case 0: { // raw message with arbitrary arguments, sometimes a live block
            const unsigned msg = kMessages[in.Byte() % std::size(kMessages)];
            std::intptr_t lParam = in.Int();
            if (!blocks.empty() && (in.Byte() & 1))
                lParam = std::intptr_t(blocks[in.Byte() % blocks.size()] + in.Byte() % 8);
            sim.Send(msg, std::uintptr_t(std::uint32_t(in.Int())), lParam);
            break;
        }
        case 1: {
            const RemoteAddress a = sim.Reserve(in.Byte());
            if (a)
                blocks.push_back(a);
            break;
        }
        case 2:
            if (!blocks.empty()) {
                const std::size_t i = in.Byte() % blocks.size();
                sim.Free(blocks[i]);
                blocks.erase(blocks.begin() + std::ptrdiff_t(i));
            } else {
                sim.Free(RemoteAddress(std::uint32_t(in.Int()))); // a bad address is a fault
            }
            break;
        case 3: {
            const std::string bytes = in.Text();
            const RemoteAddress a = blocks.empty()
                                        ? RemoteAddress(in.Int())
                                        : blocks[in.Byte() % blocks.size()] + in.Byte() % 4;
            sim.Write(a, bytes.data(), bytes.size());
            break;
        }
        case 4: {
            char buffer[64];
            const RemoteAddress a =
                blocks.empty() ? RemoteAddress(in.Int()) : blocks[in.Byte() % blocks.size()];
            sim.Read(a, buffer, in.Byte() % sizeof buffer);
            break;
        }
        case 5: {
            int windowStart = 0;
            const int length = QueryLength(sim);
            const std::string text =
                ReadDocumentText(sim, length + 1, in.Position(), in.Position(), windowStart);
            CheckNoLeak(sim, live);
            if (windowStart < 0 || windowStart > length || int(text.size()) > length)
                std::abort();
            break;
        }
        case 6: {
            const int a = in.Position(), b = in.Position();
            const std::string before = sim.Document();
            const std::string text = in.Text();
            const bool ok = ReplaceRange(sim, a, b, text);
            CheckNoLeak(sim, live);
            const bool valid =
                a >= 0 && a <= b && b <= int(before.size()) && text.find('\0') == std::string::npos;
            if (!ok && sim.Document() != before)
                std::abort(); // a failed write leaves the document alone
            if (ok && !valid)
                std::abort(); // positions outside the document are never written
            // A read-only document takes the messages and changes nothing.
            if (ok && sim.Document() !=
                          (sim.ReadOnly() ? before : before.substr(0, a) + text + before.substr(b)))
                std::abort();
            break;
        }
        case 7: {
            const int p = in.Position();
            const std::string before = sim.Document();
            const std::string text = in.Text();
            const bool ok = InsertAtPosition(sim, p, text);
            CheckNoLeak(sim, live);
            if (!ok && sim.Document() != before)
                std::abort();
            if (ok && sim.Document() !=
                          (sim.ReadOnly() ? before : before.substr(0, p) + text + before.substr(p)))
                std::abort();
            break;
        }
        case 8:
            PlaceCaret(sim, in.Position());
            if (sim.Caret() < 0 || sim.Caret() > (long long)sim.Document().size())
                std::abort();
            break;
        case 9: {
            const int a = in.Position(), b = in.Position();
            const std::string r = ReadRange(sim, a, b);
            CheckNoLeak(sim, live);
            if (!r.empty() && r != sim.Document().substr(a, b - a))
                std::abort();
            break;
        }
        case 10:
            sim.FailReserveAfter(in.Byte() % 4);
            break;
        case 11:
            sim.SetWriteFails(in.Byte() & 1);
            sim.SetReadFails(in.Byte() & 1);
            break;
        }
    }
    for (RemoteAddress a : blocks)
        sim.Free(a);
    if (sim.LiveBlocks() != 0)
        std::abort();
    return 0;
}
