// SPDX-License-Identifier: MIT
// A stand-in for the PureBasic IDE on Windows: a message-only window that answers the ten
// Scintilla messages from a SimulatedScintilla, with the buffers that a client reserved in
// this process's address space (VirtualAllocEx). The simulation's logic runs unchanged: each
// buffer is copied into a simulated block, the message is answered there, and the block is
// copied back. Buffers that real Scintilla would overrun or misread are counted as faults.
//
// fakeide DOCUMENT-FILE [-codepage:N] [-eol:N] [-caret:N] [-anchor:N] [-save:PATH]
//         [-timeout:SECONDS] [-highmemory]
// Prints the window handle in decimal on one line, then runs until WM_CLOSE or the time limit.

#include "bridgeoperations.h"
#include "fakeideprotocol.h"
#include "simulatedscintilla.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

using glossa::RemoteAddress;
using glossa::SimulatedScintilla;
namespace sci = glossa::sci;
namespace fakeide = glossa::fakeide;

struct FakeIde {
    SimulatedScintilla editor;
    std::string savePath;
    int faults = 0;
    int simulationFaultsSeen = 0;
    std::map<unsigned, long> received;
};

FakeIde* ide = nullptr;

void fault(const std::string& reason) {
    ++ide->faults;
    std::fprintf(stderr, "fakeide: fault: %s\n", reason.c_str());
    std::fflush(stderr);
}

// Bytes from p to the end of its committed region when that region can be read (and written,
// when asked); 0 otherwise. Executable pages count as a fault: the client's blocks must be
// read-write only.
std::size_t usableSpan(std::uintptr_t p, bool writable, const char* what) {
    MEMORY_BASIC_INFORMATION info{};
    if (p == 0 || VirtualQuery(reinterpret_cast<LPCVOID>(p), &info, sizeof info) == 0 ||
        info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) {
        fault(std::string(what) + ": not committed memory");
        return 0;
    }
    const DWORD executable =
        PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (info.Protect & executable) {
        fault(std::string(what) + ": executable page");
        return 0;
    }
    const DWORD canWrite = PAGE_READWRITE | PAGE_WRITECOPY;
    if (writable && (info.Protect & canWrite) == 0) {
        fault(std::string(what) + ": page not writable");
        return 0;
    }
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
    return end - p;
}

// Runs one message on a simulated block that holds a copy of size bytes at p, then copies the
// block back, so the simulation sees exactly the client's buffer.
template <typename Call> std::intptr_t withBlock(std::uintptr_t p, std::size_t size, Call call) {
    SimulatedScintilla& sim = ide->editor;
    const RemoteAddress block = sim.reserve(std::max<std::size_t>(size, 1));
    if (block == 0) {
        fault("simulated block can't be reserved");
        return 0;
    }
    sim.write(block, reinterpret_cast<const void*>(p), size);
    const std::intptr_t result = call(block);
    sim.read(block, reinterpret_cast<void*>(p), size);
    sim.free(block);
    return result;
}

std::intptr_t getText(std::uintptr_t length, std::intptr_t lParam) {
    SimulatedScintilla& sim = ide->editor;
    if (lParam == 0) {
        return sim.send(sci::kGetText, length, lParam);
    }
    const auto p = static_cast<std::uintptr_t>(lParam);
    // Scintilla 5 writes the bytes it copies and a terminator after them.
    const std::size_t size = std::min<std::size_t>(length, sim.document().size()) + 1;
    const std::size_t span = usableSpan(p, true, "SCI_GETTEXT buffer");
    if (span == 0) {
        return 0;
    }
    if (span < size) {
        fault("SCI_GETTEXT: buffer smaller than the bytes and their terminator");
        return 0;
    }
    return withBlock(p, size, [&](RemoteAddress block) {
        return sim.send(sci::kGetText, length, static_cast<std::intptr_t>(block));
    });
}

std::intptr_t getTextRange(std::intptr_t lParam) {
    SimulatedScintilla& sim = ide->editor;
    if (lParam == 0) {
        return sim.send(sci::kGetTextRange, 0, 0);
    }
    // This is a 64-bit Scintilla: two 32-bit positions, then the text pointer at offset 8.
    const auto recordAddress = static_cast<std::uintptr_t>(lParam);
    constexpr std::size_t kRecordSize = 16;
    const std::size_t recordSpan = usableSpan(recordAddress, false, "SCI_GETTEXTRANGE record");
    if (recordSpan == 0) {
        return 0;
    }
    if (recordSpan < kRecordSize) {
        fault("SCI_GETTEXTRANGE: record shorter than 16 bytes");
        return 0;
    }
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::uint64_t text = 0;
    std::memcpy(&first, reinterpret_cast<const char*>(recordAddress), 4);
    std::memcpy(&last, reinterpret_cast<const char*>(recordAddress) + 4, 4);
    std::memcpy(&text, reinterpret_cast<const char*>(recordAddress) + 8, 8);
    const std::size_t span =
        usableSpan(static_cast<std::uintptr_t>(text), true, "SCI_GETTEXTRANGE text");
    if (span == 0) {
        return 0;
    }
    // Scintilla writes at most the whole document and its terminator.
    const std::size_t size = std::min(span, sim.document().size() + 1);
    return withBlock(static_cast<std::uintptr_t>(text), size, [&](RemoteAddress block) {
        const std::string record = glossa::makeTextRangeRecord(8, first, last, block);
        const RemoteAddress simRecord = sim.reserve(record.size());
        sim.write(simRecord, record.data(), record.size());
        const std::intptr_t n =
            sim.send(sci::kGetTextRange, 0, static_cast<std::intptr_t>(simRecord));
        sim.free(simRecord);
        return n;
    });
}

// SCI_REPLACESEL and SCI_INSERTTEXT: the text runs to its zero byte, which must lie inside the
// client's block (a block one byte too short has none there).
std::intptr_t sendText(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    SimulatedScintilla& sim = ide->editor;
    if (lParam == 0) {
        return sim.send(message, wParam, 0);
    }
    const auto p = static_cast<std::uintptr_t>(lParam);
    const std::size_t span = usableSpan(p, false, "text buffer");
    if (span == 0) {
        return 0;
    }
    const void* zero = std::memchr(reinterpret_cast<const void*>(p), 0, span);
    if (zero == nullptr) {
        fault("text without a zero byte inside its block");
        return 0;
    }
    const std::size_t size = static_cast<const char*>(zero) - reinterpret_cast<const char*>(p) + 1;
    return withBlock(p, size, [&](RemoteAddress block) {
        return sim.send(message, wParam, static_cast<std::intptr_t>(block));
    });
}

std::intptr_t answerScintilla(unsigned message, WPARAM wParam, LPARAM lParam) {
    ++ide->received[message];
    std::intptr_t result = 0;
    switch (message) {
    case sci::kGetText:
        result = getText(wParam, lParam);
        break;
    case sci::kGetTextRange:
        result = getTextRange(lParam);
        break;
    case sci::kReplaceSel:
    case sci::kInsertText:
        result = sendText(message, wParam, lParam);
        break;
    default:
        result = ide->editor.send(message, wParam, lParam);
        break;
    }
    SimulatedScintilla& sim = ide->editor;
    sim.clearSent();
    if (sim.faults() != ide->simulationFaultsSeen) {
        ide->simulationFaultsSeen = sim.faults();
        fault("simulated document: " + sim.lastFault());
    }
    if (sim.liveBlocks() != 0) {
        fault("simulated block left behind");
    }
    return result;
}

bool saveDocument() {
    if (ide->savePath.empty()) {
        return false;
    }
    std::ofstream out(ide->savePath, std::ios::binary | std::ios::trunc);
    const std::string& document = ide->editor.document();
    out.write(document.data(), static_cast<std::streamsize>(document.size()));
    return static_cast<bool>(out);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= 2000 && message < 3000) {
        return answerScintilla(message, wParam, lParam);
    }
    switch (message) {
    case fakeide::kSaveDocument:
        return saveDocument() ? 1 : 0;
    case fakeide::kGetFaults:
        return ide->faults;
    case fakeide::kGetCaret:
        return static_cast<LRESULT>(ide->editor.caret());
    case fakeide::kGetAnchor:
        return static_cast<LRESULT>(ide->editor.anchor());
    case fakeide::kCountReceived: {
        const auto found = ide->received.find(static_cast<unsigned>(wParam));
        return found == ide->received.end() ? 0 : found->second;
    }
    case WM_TIMER:
        std::fprintf(stderr, "fakeide: time limit reached\n");
        DestroyWindow(window);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Reserves every free range below 4 GB, so that blocks the client reserves here lie above it
// and a text pointer cut to 32 bits can't reach them.
void reserveLowMemory() {
    constexpr std::uintptr_t kLimit = 0x100000000ull;
    constexpr std::uintptr_t kGranularity = 0x10000;
    std::uintptr_t address = kGranularity;
    MEMORY_BASIC_INFORMATION info{};
    while (address < kLimit &&
           VirtualQuery(reinterpret_cast<LPCVOID>(address), &info, sizeof info) != 0) {
        const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(info.BaseAddress);
        const std::uintptr_t end = std::min(base + info.RegionSize, kLimit);
        if (info.State == MEM_FREE) {
            const std::uintptr_t start = (base + kGranularity - 1) & ~(kGranularity - 1);
            if (end > start) {
                VirtualAlloc(reinterpret_cast<LPVOID>(start), end - start, MEM_RESERVE,
                             PAGE_NOACCESS);
            }
        }
        if (end <= address) {
            break;
        }
        address = end;
    }
}

bool option(const std::string& argument, const char* name, std::string& value) {
    const std::size_t length = std::strlen(name);
    if (argument.compare(0, length, name) != 0) {
        return false;
    }
    value = argument.substr(length);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string documentPath;
    int codePage = 0;
    int eolMode = 0;
    long long caret = 0;
    long long anchor = -2;
    int timeoutSeconds = 60;
    bool highMemory = false;
    std::string savePath;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string value;
        if (option(argument, "-codepage:", value)) {
            codePage = std::atoi(value.c_str());
        } else if (option(argument, "-eol:", value)) {
            eolMode = std::atoi(value.c_str());
        } else if (option(argument, "-caret:", value)) {
            caret = std::atoll(value.c_str());
        } else if (option(argument, "-anchor:", value)) {
            anchor = std::atoll(value.c_str());
        } else if (option(argument, "-save:", value)) {
            savePath = value;
        } else if (option(argument, "-timeout:", value)) {
            timeoutSeconds = std::atoi(value.c_str());
        } else if (argument == "-highmemory") {
            highMemory = true;
        } else {
            documentPath = argument;
        }
    }

    std::string document;
    if (!documentPath.empty()) {
        std::ifstream in(documentPath, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "fakeide: can't read %s\n", documentPath.c_str());
            return 2;
        }
        document.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    FakeIde state{
        SimulatedScintilla(std::move(document), codePage, eolMode, 8), savePath, 0, 0, {}};
    ide = &state;
    state.editor.setSelection(anchor == -2 ? caret : anchor, caret);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"GlossaFakeScintilla";
    if (RegisterClassW(&windowClass) == 0) {
        std::fprintf(stderr, "fakeide: RegisterClassW failed (%lu)\n", GetLastError());
        return 3;
    }
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Scintilla", 0, 0, 0, 0, 0,
                                  HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "fakeide: CreateWindowExW failed (%lu)\n", GetLastError());
        return 3;
    }
    SetTimer(window, 1, static_cast<UINT>(timeoutSeconds) * 1000u, nullptr);
    if (highMemory) {
        reserveLowMemory();
    }

    std::printf("%llu\n",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    std::fflush(stdout);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
