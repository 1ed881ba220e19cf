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
    bool Valid() const { return window_ != nullptr; }

    std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        return SendMessageW(window_, message, wParam, lParam);
    }
    RemoteAddress Reserve(std::size_t size) override {
        void* block = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (block) {
            blocks_[reinterpret_cast<std::uintptr_t>(block)] = size;
        }
        return reinterpret_cast<std::uintptr_t>(block);
    }
    void Free(RemoteAddress address) override {
        blocks_.erase(std::uintptr_t(address));
        VirtualFree(reinterpret_cast<void*>(std::uintptr_t(address)), 0, MEM_RELEASE);
    }
    bool Write(RemoteAddress address, const void* data, std::size_t size) override {
        std::memcpy(reinterpret_cast<void*>(std::uintptr_t(address)), data, size);
        return true;
    }
    bool Read(RemoteAddress address, void* data, std::size_t size) override {
        std::memcpy(data, reinterpret_cast<const void*>(std::uintptr_t(address)), size);
        return true;
    }
    int PointerWidth() const override { return int(sizeof(void*)); }

    void Setup(const std::string& document, int codePage, int eolMode, long long anchor,
               long long caret, bool readOnly) {
        Send(sci::kSetReadOnly, 0, 0);
        Send(SCI_SETCODEPAGE, std::uintptr_t(codePage), 0);
        Send(SCI_SETEOLMODE, std::uintptr_t(eolMode), 0);
        Send(SCI_CLEARALL, 0, 0);
        Send(SCI_ADDTEXT, document.size(), std::intptr_t(document.data()));
        Send(SCI_EMPTYUNDOBUFFER, 0, 0);
        Send(sci::kSetSel, std::uintptr_t(anchor), std::intptr_t(caret));
        Send(sci::kSetReadOnly, readOnly ? 1 : 0, 0);
    }
    long long Anchor() { return Send(SCI_GETANCHOR, 0, 0); }
    std::size_t LiveBlocks() const { return blocks_.size(); }

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

std::string State(ScintillaTarget& target, long long anchor) {
    const int length = glossa::QueryLength(target);
    return " | length=" + std::to_string(length) +
           " caret=" + std::to_string(glossa::QueryCaretPosition(target)) +
           " anchor=" + std::to_string(anchor) +
           " text=" + minitest::Show(glossa::ReadRange(target, 0, length));
}

// Runs the operation on a simulated and a real editor set up alike; both transcripts must match.
void Compare(const char* name, const Start& start, const Operation& operation) {
    SimulatedScintilla sim(start.document, start.codePage, start.eolMode, int(sizeof(void*)));
    sim.SetSelection(start.anchor, start.caret);
    sim.Send(sci::kSetReadOnly, start.readOnly ? 1 : 0, 0);
    RealScintilla real;
    if (!MT_CHECK(real.Valid())) {
        return;
    }
    real.Setup(start.document, start.codePage, start.eolMode, start.anchor, start.caret,
               start.readOnly);
    const std::string simulated = operation(sim) + State(sim, sim.Anchor());
    const std::string actual = operation(real) + State(real, real.Anchor());
    std::printf("  %s\n", name);
    MT_CHECK_EQ(simulated, actual);
    MT_CHECK_EQ(sim.Faults(), 0);
    MT_CHECK_EQ(sim.LiveBlocks(), std::size_t(0));
    MT_CHECK_EQ(real.LiveBlocks(), std::size_t(0));
}

std::string Number(long long value) {
    return std::to_string(value);
}

MT_TEST(Queries) {
    const Operation queries = [](ScintillaTarget& t) {
        return Number(glossa::QueryCodePage(t)) + " " + Number(glossa::QueryEolMode(t)) + " " +
               Number(glossa::QueryReadOnly(t));
    };
    Compare("utf-8, CR LF", {"Procedure A()\r\n", 65001, 0, 3, 3}, queries);
    Compare("ANSI, LF, read-only", {"x\ny", 0, 2, 0, 2, true}, queries);
    Compare("CR, selection", {"a\rb\rc", 65001, 1, 4, 1}, queries);
}

// SCI_GETTEXT as the bridge sends it, raw: a buffer filled with '#' shows every byte written.
MT_TEST(GetTextWritesTheBytesAndOneTerminator) {
    for (int length : {0, 1, 3, 6}) {
        const Operation getText = [length](ScintillaTarget& t) {
            const std::size_t size = 8;
            const RemoteAddress block = t.Reserve(size);
            const std::string fill(size, '#');
            t.Write(block, fill.data(), size);
            const long long n = t.Send(sci::kGetText, std::uintptr_t(length), std::intptr_t(block));
            std::string out(size, '?');
            t.Read(block, out.data(), size);
            t.Free(block);
            return Number(t.Send(sci::kGetText, 0, 0)) + " " + Number(n) + " " +
                   minitest::Show(out);
        };
        Compare(("length " + Number(length)).c_str(), {"abc"}, getText);
    }
    // Scintilla 5's answer, written out: the length without a buffer, then the bytes copied.
    RealScintilla real;
    if (MT_CHECK(real.Valid())) {
        real.Setup("abc", 65001, 0, 0, 0, false);
        char buffer[8];
        std::memset(buffer, '#', sizeof buffer);
        MT_CHECK_EQ(real.Send(sci::kGetText, 0, 0), std::intptr_t(3));
        MT_CHECK_EQ(real.Send(sci::kGetText, 6, std::intptr_t(buffer)), std::intptr_t(3));
        MT_CHECK_EQ(std::string(buffer, sizeof buffer), std::string("abc\0####", 8));
    }
}

MT_TEST(ReadingTheDocument) {
    const auto read = [](int caret, int range) {
        return [caret, range](ScintillaTarget& t) {
            int windowStart = -1;
            const std::string text =
                glossa::ReadDocumentText(t, glossa::QueryLength(t) + 1, caret, range, windowStart);
            return minitest::Show(text) + " from " + Number(windowStart);
        };
    };
    const std::string digits = "0123456789";
    Compare("whole", {"Procedure A()\r\nEndProcedure\r\n"}, read(0, 0));
    Compare("zero byte inside", {std::string("ab\0cd", 5)}, read(0, 0));
    Compare("utf-8", {"\xC3\xA9\xE2\x82\xAC"}, read(0, 0));
    Compare("range in the middle", {digits}, read(5, 2));
    Compare("range from 0", {digits}, read(1, 3));
    Compare("range past the end", {digits}, read(8, 5));
    Compare("range larger than the document", {digits}, read(5, 100));
    Compare("ranges", {digits}, [](ScintillaTarget& t) {
        return minitest::Show(glossa::ReadRange(t, 2, 7)) +
               minitest::Show(glossa::ReadRange(t, 0, 10)) +
               minitest::Show(glossa::ReadRange(t, 4, 4)) +
               minitest::Show(glossa::ReadRange(t, 3, 11));
    });
}

MT_TEST(WritingAndTheCaret) {
    const auto replace = [](int start, int end, std::string text) {
        return [start, end, text](ScintillaTarget& t) {
            return Number(glossa::ReplaceRange(t, start, end, text));
        };
    };
    const auto insert = [](int position, std::string text) {
        return [position, text](ScintillaTarget& t) {
            return Number(glossa::InsertAtPosition(t, position, text));
        };
    };
    const std::string source = ";<comment>\r\n;old\r\n;</comment>\r\nProcedure A()\r\n";
    Compare("replace a block", {source, 65001, 0, 40, 40},
            replace(0, 32, ";<comment>\r\n;<summary>new \xC3\xA9</summary>\r\n;</comment>\r\n"));
    Compare("replace with the caret inside", {source, 65001, 0, 15, 15}, replace(0, 32, ";x\r\n"));
    Compare("insert above a header, caret after", {"Procedure A()\n", 65001, 2, 5, 5},
            insert(0, ";<comment>\n;</comment>\n"));
    Compare("insert at the caret", {"ab", 0, 2, 1, 1}, insert(1, "\xE9"));
    Compare("insert at the end", {"ab", 65001, 2, 0, 2}, insert(2, "cd"));
    Compare("read-only: replace", {source, 65001, 0, 3, 3, true}, replace(0, 5, "zz"));
    Compare("read-only: insert", {source, 65001, 0, 3, 3, true}, insert(0, "zz"));
    Compare("caret", {source, 65001, 0, 2, 9}, [](ScintillaTarget& t) {
        return Number(glossa::PlaceCaret(t, 20)) + Number(glossa::PlaceCaret(t, 0));
    });
    Compare("selection clamped", {"abcdef", 65001, 0, 0, 0}, [](ScintillaTarget& t) {
        t.Send(sci::kSetSel, 2, 100);
        return Number(glossa::QueryCaretPosition(t));
    });
    Compare("selection to the end", {"abcdef", 65001, 0, 0, 0}, [](ScintillaTarget& t) {
        t.Send(sci::kSetSel, 1, -1);
        return Number(glossa::QueryCaretPosition(t));
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
    return minitest::RunAll(filtered ? 2 : 1, forward);
}
