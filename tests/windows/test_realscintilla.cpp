// SPDX-License-Identifier: MIT
// The simulated editor against a real Scintilla 5 (Scintilla.dll, the family the PureBasic IDE
// bundles): the same operations on both must give the same answers, bytes and selections.
// The path of Scintilla.dll is the first argument or GLOSSA_SCINTILLA_DLL.
#include "bridgeoperations.h"
#include "minitest.h"
#include "simulatedscintilla.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>

using glossa::RemoteAddress;
using glossa::ScintillaTarget;
using glossa::SimulatedScintilla;
namespace sci = glossa::sci;

namespace {

constexpr UINT SCI_ADDTEXT = 2001;
constexpr UINT SCI_GETANCHOR = 2009;
constexpr UINT SCI_SETEOLMODE = 2031;
constexpr UINT SCI_SETCODEPAGE = 2037;
constexpr UINT SCI_CLEARALL = 2004;
constexpr UINT SCI_EMPTYUNDOBUFFER = 2175;

std::string dllPath;

// A Scintilla window of this process; its "remote" blocks are plain pages here.
class RealScintilla : public ScintillaTarget {
public:
    RealScintilla() {
        window_ = CreateWindowExW(0, L"Scintilla", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    }
    ~RealScintilla() override {
        for (auto& block : blocks_) {
            VirtualFree(reinterpret_cast<void*>(block.first), 0, MEM_RELEASE);
        }
        DestroyWindow(window_);
    }
    bool valid() const { return window_ != nullptr; }

    std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        return SendMessageW(window_, message, wParam, lParam);
    }
    RemoteAddress reserve(std::size_t size) override {
        void* block = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (block) {
            blocks_[reinterpret_cast<std::uintptr_t>(block)] = size;
        }
        return reinterpret_cast<std::uintptr_t>(block);
    }
    void free(RemoteAddress address) override {
        blocks_.erase(std::uintptr_t(address));
        VirtualFree(reinterpret_cast<void*>(std::uintptr_t(address)), 0, MEM_RELEASE);
    }
    bool write(RemoteAddress address, const void* data, std::size_t size) override {
        std::memcpy(reinterpret_cast<void*>(std::uintptr_t(address)), data, size);
        return true;
    }
    bool read(RemoteAddress address, void* data, std::size_t size) override {
        std::memcpy(data, reinterpret_cast<const void*>(std::uintptr_t(address)), size);
        return true;
    }
    int pointerWidth() const override { return int(sizeof(void*)); }

    void setup(const std::string& document, int codePage, int eolMode, long long anchor,
               long long caret, bool readOnly) {
        send(sci::kSetReadOnly, 0, 0);
        send(SCI_SETCODEPAGE, std::uintptr_t(codePage), 0);
        send(SCI_SETEOLMODE, std::uintptr_t(eolMode), 0);
        send(SCI_CLEARALL, 0, 0);
        send(SCI_ADDTEXT, document.size(), std::intptr_t(document.data()));
        send(SCI_EMPTYUNDOBUFFER, 0, 0);
        send(sci::kSetSel, std::uintptr_t(anchor), std::intptr_t(caret));
        send(sci::kSetReadOnly, readOnly ? 1 : 0, 0);
    }
    long long anchor() { return send(SCI_GETANCHOR, 0, 0); }
    std::size_t liveBlocks() const { return blocks_.size(); }

private:
    HWND window_ = nullptr;
    std::map<std::uintptr_t, std::size_t> blocks_;
};

struct Start {
    std::string document;
    int codePage = sci::kCodePageUtf8;
    int eolMode = sci::kEolCrLf;
    long long anchor = 0;
    long long caret = 0;
    bool readOnly = false;
};

// What an operation answered and left behind, as one text to compare.
using Operation = std::function<std::string(ScintillaTarget&)>;

std::string state(ScintillaTarget& target, long long anchor) {
    const int length = glossa::queryLength(target);
    return " | length=" + std::to_string(length) +
           " caret=" + std::to_string(glossa::queryCaretPosition(target)) +
           " anchor=" + std::to_string(anchor) +
           " text=" + minitest::show(glossa::readRange(target, 0, length));
}

// Runs the operation on a simulated and a real editor set up alike; both transcripts must match.
void compare(const char* name, const Start& start, const Operation& operation) {
    SimulatedScintilla sim(start.document, start.codePage, start.eolMode, int(sizeof(void*)));
    sim.setSelection(start.anchor, start.caret);
    sim.send(sci::kSetReadOnly, start.readOnly ? 1 : 0, 0);
    RealScintilla real;
    if (!MT_CHECK(real.valid())) {
        return;
    }
    real.setup(start.document, start.codePage, start.eolMode, start.anchor, start.caret,
               start.readOnly);
    const std::string simulated = operation(sim) + state(sim, sim.anchor());
    const std::string actual = operation(real) + state(real, real.anchor());
    std::printf("  %s\n", name);
    MT_CHECK_EQ(simulated, actual);
    MT_CHECK_EQ(sim.faults(), 0);
    MT_CHECK_EQ(sim.liveBlocks(), std::size_t(0));
    MT_CHECK_EQ(real.liveBlocks(), std::size_t(0));
}

std::string number(long long value) {
    return std::to_string(value);
}

MT_TEST(Queries) {
    const Operation queries = [](ScintillaTarget& t) {
        return number(glossa::queryCodePage(t)) + " " + number(glossa::queryEolMode(t)) + " " +
               number(glossa::queryReadOnly(t));
    };
    compare("utf-8, CR LF", {"Procedure A()\r\n", 65001, 0, 3, 3}, queries);
    compare("ANSI, LF, read-only", {"x\ny", 0, 2, 0, 2, true}, queries);
    compare("CR, selection", {"a\rb\rc", 65001, 1, 4, 1}, queries);
}

// SCI_GETTEXT as the bridge sends it, raw: a buffer filled with '#' shows every byte written.
MT_TEST(GetTextWritesTheBytesAndOneTerminator) {
    for (int length : {0, 1, 3, 6}) {
        const Operation getText = [length](ScintillaTarget& t) {
            const std::size_t size = 8;
            const RemoteAddress block = t.reserve(size);
            const std::string fill(size, '#');
            t.write(block, fill.data(), size);
            const long long n = t.send(sci::kGetText, std::uintptr_t(length), std::intptr_t(block));
            std::string out(size, '?');
            t.read(block, out.data(), size);
            t.free(block);
            return number(t.send(sci::kGetText, 0, 0)) + " " + number(n) + " " +
                   minitest::show(out);
        };
        compare(("length " + number(length)).c_str(), {"abc"}, getText);
    }
    // Scintilla 5's answer, written out: the length without a buffer, then the bytes copied.
    RealScintilla real;
    if (MT_CHECK(real.valid())) {
        real.setup("abc", 65001, 0, 0, 0, false);
        char buffer[8];
        std::memset(buffer, '#', sizeof buffer);
        MT_CHECK_EQ(real.send(sci::kGetText, 0, 0), std::intptr_t(3));
        MT_CHECK_EQ(real.send(sci::kGetText, 6, std::intptr_t(buffer)), std::intptr_t(3));
        MT_CHECK_EQ(std::string(buffer, sizeof buffer), std::string("abc\0####", 8));
    }
}

MT_TEST(ReadingTheDocument) {
    const auto read = [](int caret, int range) {
        return [caret, range](ScintillaTarget& t) {
            int windowStart = -1;
            const std::string text =
                glossa::ReadDocumentText(t, glossa::queryLength(t) + 1, caret, range, windowStart);
            return minitest::show(text) + " from " + number(windowStart);
        };
    };
    const std::string digits = "0123456789";
    compare("whole", {"Procedure A()\r\nEndProcedure\r\n"}, read(0, 0));
    compare("zero byte inside", {std::string("ab\0cd", 5)}, read(0, 0));
    compare("utf-8", {"\xC3\xA9\xE2\x82\xAC"}, read(0, 0));
    compare("range in the middle", {digits}, read(5, 2));
    compare("range from 0", {digits}, read(1, 3));
    compare("range past the end", {digits}, read(8, 5));
    compare("range larger than the document", {digits}, read(5, 100));
    compare("ranges", {digits}, [](ScintillaTarget& t) {
        return minitest::show(glossa::readRange(t, 2, 7)) +
               minitest::show(glossa::readRange(t, 0, 10)) +
               minitest::show(glossa::readRange(t, 4, 4)) +
               minitest::show(glossa::readRange(t, 3, 11));
    });
}

MT_TEST(WritingAndTheCaret) {
    const auto replace = [](int start, int end, std::string text) {
        return [start, end, text](ScintillaTarget& t) {
            return number(glossa::ReplaceRange(t, start, end, text));
        };
    };
    const auto insert = [](int position, std::string text) {
        return [position, text](ScintillaTarget& t) {
            return number(glossa::InsertAtPosition(t, position, text));
        };
    };
    const std::string source = ";<comment>\r\n;old\r\n;</comment>\r\nProcedure A()\r\n";
    compare("replace a block", {source, 65001, 0, 40, 40},
            replace(0, 32, ";<comment>\r\n;<summary>new \xC3\xA9</summary>\r\n;</comment>\r\n"));
    compare("replace with the caret inside", {source, 65001, 0, 15, 15}, replace(0, 32, ";x\r\n"));
    compare("insert above a header, caret after", {"Procedure A()\n", 65001, 2, 5, 5},
            insert(0, ";<comment>\n;</comment>\n"));
    compare("insert at the caret", {"ab", 0, 2, 1, 1}, insert(1, "\xE9"));
    compare("insert at the end", {"ab", 65001, 2, 0, 2}, insert(2, "cd"));
    compare("read-only: replace", {source, 65001, 0, 3, 3, true}, replace(0, 5, "zz"));
    compare("read-only: insert", {source, 65001, 0, 3, 3, true}, insert(0, "zz"));
    compare("caret", {source, 65001, 0, 2, 9}, [](ScintillaTarget& t) {
        return number(glossa::PlaceCaret(t, 20)) + number(glossa::PlaceCaret(t, 0));
    });
    compare("selection clamped", {"abcdef", 65001, 0, 0, 0}, [](ScintillaTarget& t) {
        t.send(sci::kSetSel, 2, 100);
        return number(glossa::queryCaretPosition(t));
    });
    compare("selection to the end", {"abcdef", 65001, 0, 0, 0}, [](ScintillaTarget& t) {
        t.send(sci::kSetSel, 1, -1);
        return number(glossa::queryCaretPosition(t));
    });
}

} // namespace

int main(int argc, char** argv) {
    const char* path = std::getenv("GLOSSA_SCINTILLA_DLL");
    dllPath = argc > 1 && std::strstr(argv[1], ".dll") ? argv[1] : path ? path : "Scintilla.dll";
    if (!LoadLibraryA(dllPath.c_str())) {
        std::printf("FAIL %s can't be loaded\n", dllPath.c_str());
        return 1;
    }
    const bool filtered = argc > 2;
    char* forward[] = {argv[0], filtered ? argv[2] : nullptr};
    return minitest::runAll(filtered ? 2 : 1, forward);
}
