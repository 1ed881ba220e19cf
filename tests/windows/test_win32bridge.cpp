// SPDX-License-Identifier: MIT
// The bridge across a real process boundary: the Windows transport opens a fake IDE (another
// process with a message-only Scintilla window) and the bridge operations read and change its
// document through SendMessageW, VirtualAllocEx and Read/WriteProcessMemory.

#include "fakeideprotocol.h"
#include "minitest.h"

#include "bridgeoperations.h"
#include "win32scintillatarget.h"

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using glossa::RemoteAddress;
using glossa::ScintillaTarget;
namespace sci = glossa::sci;
namespace fakeide = glossa::fakeide;

std::string programFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string newTempFile() {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "gls", 0, path);
    return path;
}

std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct FakeIdeOptions {
    int codePage = 0;
    int eolMode = 0;
    long long caret = 0;
    long long anchor = -2; // -2: no selection
    bool highMemory = true;
    bool denyAccess = false;
};

// One fake IDE process, stopped (and killed when it won't stop) when this goes away.
class FakeIde {
public:
    FakeIde() = default;
    FakeIde(const FakeIde&) = delete;
    FakeIde& operator=(const FakeIde&) = delete;
    ~FakeIde() {
        stop();
        DeleteFileA(documentPath_.c_str());
        DeleteFileA(savePath_.c_str());
    }

    bool start(const std::string& document, const FakeIdeOptions& options = {}) {
        documentPath_ = newTempFile();
        savePath_ = newTempFile();
        {
            std::ofstream out(documentPath_, std::ios::binary | std::ios::trunc);
            out.write(document.data(), static_cast<std::streamsize>(document.size()));
        }
        std::string command = "\"" + programFolder() + "fakeide.exe\" \"" + documentPath_ +
                              "\" -codepage:" + std::to_string(options.codePage) +
                              " -eol:" + std::to_string(options.eolMode) +
                              " -caret:" + std::to_string(options.caret) +
                              " -anchor:" + std::to_string(options.anchor) +
                              " \"-save:" + savePath_ + "\" -timeout:120";
        if (options.highMemory) {
            command += " -highmemory";
        }

        SECURITY_ATTRIBUTES pipeAttributes{sizeof pipeAttributes, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &pipeAttributes, 0)) {
            return false;
        }
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

        // An empty access list: nobody may open the process (its creator keeps its handle).
        SECURITY_DESCRIPTOR descriptor;
        ACL emptyList;
        SECURITY_ATTRIBUTES processAttributes{sizeof processAttributes, nullptr, FALSE};
        if (options.denyAccess) {
            InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
            InitializeAcl(&emptyList, sizeof emptyList, ACL_REVISION);
            SetSecurityDescriptorDacl(&descriptor, TRUE, &emptyList, FALSE);
            processAttributes.lpSecurityDescriptor = &descriptor;
        }

        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = writeEnd;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION info{};
        std::vector<char> commandLine(command.begin(), command.end());
        commandLine.push_back('\0');
        const BOOL started = CreateProcessA(nullptr, commandLine.data(), &processAttributes,
                                            nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
        CloseHandle(writeEnd);
        if (!started) {
            std::printf("  cannot start %s (%lu)\n", command.c_str(), GetLastError());
            CloseHandle(readEnd);
            return false;
        }
        CloseHandle(info.hThread);
        process_ = info.hProcess;

        // The first line is the window handle; the pipe breaks if the fake IDE ends first.
        std::string line;
        char c = 0;
        DWORD got = 0;
        while (ReadFile(readEnd, &c, 1, &got, nullptr) && got == 1 && c != '\n') {
            line += c;
        }
        CloseHandle(readEnd);
        window_ = static_cast<std::uintptr_t>(std::strtoull(line.c_str(), nullptr, 10));
        return window_ != 0;
    }

    // Asks the fake IDE to end and waits for it; kills it when it doesn't end in time.
    void stop() {
        if (process_ == nullptr) {
            return;
        }
        if (window_ != 0) {
            PostMessageW(window(), WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
        process_ = nullptr;
    }

    std::uintptr_t handle() const { return window_; }
    HWND window() const { return reinterpret_cast<HWND>(window_); }
    HANDLE process() const { return process_; }

    LRESULT ask(unsigned message, WPARAM wParam = 0) const {
        return SendMessageW(window(), message, wParam, 0);
    }
    int faults() const { return static_cast<int>(ask(fakeide::kGetFaults)); }
    long long caret() const { return ask(fakeide::kGetCaret); }
    long long anchor() const { return ask(fakeide::kGetAnchor); }
    long received(unsigned message) const {
        return static_cast<long>(ask(fakeide::kCountReceived, message));
    }
    // The document as the fake IDE holds it now, written to a file by the fake IDE itself.
    std::string document() const {
        if (ask(fakeide::kSaveDocument) != 1) {
            return "<not saved>";
        }
        return readFileBytes(savePath_);
    }

private:
    HANDLE process_ = nullptr;
    std::uintptr_t window_ = 0;
    std::string documentPath_;
    std::string savePath_;
};

// Passes everything to the real transport and notes each block it reserves, with the state
// of that block in the IDE's process right after the reservation.
class RecordingTarget final : public ScintillaTarget {
public:
    struct Reservation {
        RemoteAddress address;
        std::size_t size;
        DWORD state;
        DWORD protection;
    };

    RecordingTarget(ScintillaTarget& inner, HANDLE process) : inner_(inner), process_(process) {}

    std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        return inner_.send(message, wParam, lParam);
    }
    RemoteAddress reserve(std::size_t size) override {
        const RemoteAddress address = inner_.reserve(size);
        if (address != 0) {
            MEMORY_BASIC_INFORMATION info{};
            VirtualQueryEx(process_, reinterpret_cast<LPCVOID>(address), &info, sizeof info);
            reservations_.push_back({address, size, info.State, info.Protect});
        }
        return address;
    }
    void free(RemoteAddress address) override { inner_.free(address); }
    bool write(RemoteAddress address, const void* data, std::size_t size) override {
        return inner_.write(address, data, size);
    }
    bool read(RemoteAddress address, void* data, std::size_t size) override {
        return inner_.read(address, data, size);
    }
    int pointerWidth() const override { return inner_.pointerWidth(); }

    const std::vector<Reservation>& reservations() const { return reservations_; }
    void clear() { reservations_.clear(); }

private:
    ScintillaTarget& inner_;
    HANDLE process_;
    std::vector<Reservation> reservations_;
};

// What ReadProcessMemory itself answers, as the yardstick for the transport's result.
bool rawRead(HANDLE process, RemoteAddress address, void* data, std::size_t size) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), data, size, &read) &&
           read == size;
}

DWORD stateOf(HANDLE process, RemoteAddress address) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQueryEx(process, reinterpret_cast<LPCVOID>(address), &info, sizeof info) == 0) {
        return 0;
    }
    return info.State;
}

// A fake IDE with the transport opened on it through OpenIdeProcess.
struct Session {
    FakeIde ide;
    std::unique_ptr<ScintillaTarget> transport;
    std::unique_ptr<RecordingTarget> target;

    bool open(const std::string& document, const FakeIdeOptions& options = {}) {
        if (!MT_CHECK(ide.start(document, options))) {
            return false;
        }
        transport = glossa::OpenIdeProcess(ide.handle());
        if (!MT_CHECK(transport != nullptr)) {
            return false;
        }
        target = std::make_unique<RecordingTarget>(*transport, ide.process());
        return true;
    }

    // Every block the operations reserved was read-write (never executable) while it lived,
    // and is released now; the fake IDE saw no protocol fault.
    void checkClean(std::size_t expectedReservations) {
        MT_CHECK_EQ(target->reservations().size(), expectedReservations);
        for (const RecordingTarget::Reservation& block : target->reservations()) {
            MT_CHECK_EQ(block.state, DWORD(MEM_COMMIT));
            MT_CHECK_EQ(block.protection, DWORD(PAGE_READWRITE));
            MT_CHECK_EQ(stateOf(ide.process(), block.address), DWORD(MEM_FREE));
        }
        target->clear();
        MT_CHECK_EQ(ide.faults(), 0);
    }
};

std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('a' + i % 26);
    }
    return bytes;
}

MT_TEST(OpenIdeProcessOpensTheEditorsProcess) {
    Session s;
    FakeIdeOptions options;
    options.codePage = 65001;
    options.eolMode = 2;
    options.caret = 5;
    if (!s.open("Procedure A()\nEndProcedure\n", options)) {
        return;
    }
    // The fake IDE is a 64-bit process: the 16-byte text-range record.
    MT_CHECK_EQ(s.transport->pointerWidth(), 8);
    MT_CHECK_EQ(glossa::queryCodePage(*s.target), 65001);
    MT_CHECK_EQ(glossa::queryCaretPosition(*s.target), 5);
    MT_CHECK_EQ(glossa::queryLength(*s.target), 27);
    MT_CHECK_EQ(glossa::queryEolMode(*s.target), 2);
    s.checkClean(0);
}

MT_TEST(ReadsTheWholeDocument) {
    const std::string document = "Procedure Foo(a, b)\r\n  ProcedureReturn a\r\nEndProcedure\r\n";
    Session s;
    if (!s.open(document)) {
        return;
    }
    int windowStart = 7;
    const std::string text =
        glossa::ReadDocumentText(*s.target, int(document.size()) + 1, 0, 0, windowStart);
    MT_CHECK_EQ(text, document);
    MT_CHECK_EQ(windowStart, 0);
    MT_CHECK_EQ(s.ide.received(sci::kGetText), 1);
    MT_CHECK_EQ(s.ide.received(sci::kGetTextRange), 0);
    s.checkClean(1);
}

MT_TEST(ReadsARangeWithThe16ByteRecord) {
    const std::string document = pattern(100);
    struct Case {
        int caret;
        int range;
        int first;
        int last;
    };
    const Case cases[] = {
        {50, 10, 40, 60},  // inside the document
        {5, 10, 0, 15},    // start clamped to 0, window start stays 0
        {95, 10, 85, 100}, // end past the document: to its end
        {0, 200, 0, 100},  // larger than the document on both sides
        {50, 50, 0, 100},  // exactly the document
    };
    Session s;
    if (!s.open(document)) {
        return;
    }
    long rangeMessages = 0;
    for (const Case& c : cases) {
        int windowStart = 0;
        const std::string text = glossa::ReadDocumentText(*s.target, int(document.size()) + 1,
                                                          c.caret, c.range, windowStart);
        MT_CHECK_EQ(text, document.substr(std::size_t(c.first), std::size_t(c.last - c.first)));
        MT_CHECK_EQ(windowStart, c.first);
        MT_CHECK_EQ(s.ide.received(sci::kGetTextRange), ++rangeMessages);
        // The text buffer lies above 4 GB, so a text pointer cut to 32 bits can't reach it.
        for (const RecordingTarget::Reservation& block : s.target->reservations()) {
            MT_CHECK(block.address > 0xFFFFFFFFull);
        }
        s.checkClean(2);
    }
    MT_CHECK_EQ(glossa::readRange(*s.target, 3, 9), std::string("defghi"));
    s.checkClean(2);
    MT_CHECK_EQ(glossa::readRange(*s.target, 90, 101), std::string());
    MT_CHECK_EQ(s.ide.faults(), 0);
}

MT_TEST(ReadsARangeWithLowAddresses) {
    const std::string document = pattern(64);
    FakeIdeOptions options;
    options.highMemory = false;
    Session s;
    if (!s.open(document, options)) {
        return;
    }
    int windowStart = 0;
    const std::string text = glossa::ReadDocumentText(*s.target, 65, 30, 8, windowStart);
    MT_CHECK_EQ(text, document.substr(22, 16));
    MT_CHECK_EQ(windowStart, 22);
    s.checkClean(2);
}

MT_TEST(ReadsPastAZeroByte) {
    const std::string document("abc\0def\r\n", 9);
    Session s;
    if (!s.open(document)) {
        return;
    }
    // The bytes come back as the editor copied them; decoding stops at the zero byte later.
    int windowStart = 0;
    MT_CHECK_EQ(glossa::ReadDocumentText(*s.target, 10, 0, 0, windowStart), document);
    s.checkClean(1);
    MT_CHECK_EQ(glossa::ReadDocumentText(*s.target, 10, 4, 2, windowStart),
                std::string("c\0de", 4));
    MT_CHECK_EQ(windowStart, 2);
    s.checkClean(2);
}

MT_TEST(ReadsDocumentsOfPageSizeMultiples) {
    for (const std::size_t length : {4095u, 4096u, 4097u, 8192u, 65536u}) {
        const std::string document = pattern(length);
        Session s;
        if (!s.open(document)) {
            return;
        }
        int windowStart = 0;
        MT_CHECK_EQ(glossa::ReadDocumentText(*s.target, int(length) + 1, 0, 0, windowStart),
                    document);
        s.checkClean(1);
    }
}

MT_TEST(ReplacesARange) {
    Session s;
    if (!s.open("Hello world\n")) {
        return;
    }
    MT_CHECK(glossa::ReplaceRange(*s.target, 6, 11, "there"));
    MT_CHECK_EQ(s.ide.document(), std::string("Hello there\n"));
    // Scintilla leaves the caret after the replacement, with nothing selected.
    MT_CHECK_EQ(s.ide.caret(), 11);
    MT_CHECK_EQ(s.ide.anchor(), 11);
    s.checkClean(1);
}

MT_TEST(InsertsAtAPosition) {
    FakeIdeOptions options;
    options.caret = 10;
    Session s;
    if (!s.open("Procedure Foo()\n", options)) {
        return;
    }
    MT_CHECK(glossa::InsertAtPosition(*s.target, 0, ";<comment>\n"));
    MT_CHECK_EQ(s.ide.document(), std::string(";<comment>\nProcedure Foo()\n"));
    MT_CHECK_EQ(s.ide.caret(), 21); // moved with the text after it
    MT_CHECK_EQ(s.ide.received(sci::kSetSel), 0);
    s.checkClean(1);
    MT_CHECK(glossa::InsertAtPosition(*s.target, 27, "; end"));
    MT_CHECK_EQ(s.ide.document(), std::string(";<comment>\nProcedure Foo()\n; end"));
    s.checkClean(1);
}

MT_TEST(PlacesTheCaret) {
    FakeIdeOptions options;
    options.anchor = 2;
    options.caret = 9;
    Session s;
    if (!s.open("0123456789\n", options)) {
        return;
    }
    MT_CHECK_EQ(s.ide.anchor(), 2);
    MT_CHECK(glossa::PlaceCaret(*s.target, 7));
    MT_CHECK_EQ(s.ide.caret(), 7);
    MT_CHECK_EQ(s.ide.anchor(), 7);
    MT_CHECK_EQ(s.ide.document(), std::string("0123456789\n"));
    s.checkClean(0);
}

MT_TEST(WritesTextsOfPageSizeMultiplesWithTheirTerminator) {
    // A block of exactly n bytes would hold no zero byte: the fake IDE counts that as a fault.
    for (const std::size_t length : {4095u, 4096u, 8192u, 65536u}) {
        const std::string text = pattern(length);
        Session s;
        if (!s.open("<>")) {
            return;
        }
        MT_CHECK(glossa::InsertAtPosition(*s.target, 1, text));
        MT_CHECK_EQ(s.ide.document(), "<" + text + ">");
        s.checkClean(1);
        MT_CHECK(glossa::ReplaceRange(*s.target, 1, int(length) + 1, text.substr(1) + "!"));
        MT_CHECK_EQ(s.ide.document(), "<" + text.substr(1) + "!>");
        s.checkClean(1);
    }
}

// The page-size cases above rely on the fake IDE noticing a text block without its zero byte.
MT_TEST(FakeIdeNoticesATextBlockWithoutTerminator) {
    Session s;
    if (!s.open("<>")) {
        return;
    }
    ScintillaTarget& transport = *s.transport;
    const std::string text = pattern(4096);
    std::printf("  (the fake IDE reports one fault here, as it should)\n");
    std::fflush(stdout);
    const RemoteAddress block = transport.reserve(text.size());
    MT_CHECK(transport.write(block, text.data(), text.size()));
    transport.send(sci::kInsertText, 1, static_cast<std::intptr_t>(block));
    transport.free(block);
    MT_CHECK_EQ(s.ide.faults(), 1);
    MT_CHECK_EQ(s.ide.document(), std::string("<>"));
}

MT_TEST(KeepsUtf8BytesAndBytePositions) {
    const std::string document = "Gr\xC3\xB6\xC3\x9F"
                                 "e \xE2\x82\xAC 1\n"; // "Größe € 1"
    FakeIdeOptions options;
    options.codePage = 65001;
    Session s;
    if (!s.open(document, options)) {
        return;
    }
    int windowStart = 0;
    MT_CHECK_EQ(glossa::ReadDocumentText(*s.target, int(document.size()) + 1, 0, 0, windowStart),
                document);
    s.checkClean(1);
    // The euro sign takes bytes 8..10.
    MT_CHECK(glossa::ReplaceRange(*s.target, 8, 11, "EUR"));
    MT_CHECK_EQ(s.ide.document(), std::string("Gr\xC3\xB6\xC3\x9F"
                                              "e EUR 1\n"));
    s.checkClean(1);
}

MT_TEST(SendsNoPositionOutsideTheDocument) {
    Session s;
    if (!s.open("abc\n")) {
        return;
    }
    MT_CHECK(!glossa::ReplaceRange(*s.target, -1, 2, "x"));
    MT_CHECK(!glossa::ReplaceRange(*s.target, 0, 5, "x"));
    MT_CHECK(!glossa::InsertAtPosition(*s.target, 5, "x"));
    MT_CHECK(!glossa::InsertAtPosition(*s.target, -1, "x"));
    MT_CHECK(!glossa::PlaceCaret(*s.target, 5));
    MT_CHECK_EQ(s.ide.document(), std::string("abc\n"));
    for (const unsigned message :
         {sci::kSetSel, sci::kReplaceSel, sci::kInsertText, sci::kSetEmptySelection}) {
        MT_CHECK_EQ(s.ide.received(message), 0);
    }
    s.checkClean(0);
}

MT_TEST(ReadsALargeDocument) {
    const std::string document = pattern(3 * 1024 * 1024 + 17);
    Session s;
    if (!s.open(document)) {
        return;
    }
    int windowStart = 0;
    MT_CHECK(glossa::ReadDocumentText(*s.target, int(document.size()) + 1, 0, 0, windowStart) ==
             document);
    s.checkClean(1);
    MT_CHECK_EQ(
        glossa::ReadDocumentText(*s.target, int(document.size()) + 1, 2000000, 5, windowStart),
        document.substr(1999995, 10));
    MT_CHECK_EQ(windowStart, 1999995);
    s.checkClean(2);
}

MT_TEST(TransportBlocksAreReadWriteAndReleased) {
    Session s;
    if (!s.open("x")) {
        return;
    }
    ScintillaTarget& transport = *s.transport;
    MT_CHECK_EQ(transport.reserve(0), RemoteAddress(0));
    const RemoteAddress block = transport.reserve(100);
    MT_CHECK(block != 0);
    MEMORY_BASIC_INFORMATION info{};
    VirtualQueryEx(s.ide.process(), reinterpret_cast<LPCVOID>(block), &info, sizeof info);
    MT_CHECK_EQ(info.State, DWORD(MEM_COMMIT));
    MT_CHECK_EQ(info.Protect, DWORD(PAGE_READWRITE));

    std::string bytes(100, '\x55');
    MT_CHECK(transport.read(block, bytes.data(), bytes.size()));
    MT_CHECK_EQ(bytes, std::string(100, '\0')); // fresh blocks are zero-filled
    MT_CHECK(transport.write(block, "remote\0bytes", 12));
    std::string back(12, '\0');
    MT_CHECK(transport.read(block, back.data(), back.size()));
    MT_CHECK_EQ(back, std::string("remote\0bytes", 12));
    // Copies the system refuses are reported as failed. Wine lets a copy into pages that are
    // reserved but not committed (or already released) succeed, so those cases are checked
    // against what the system itself answers; an address past the user address space is
    // refused everywhere.
    HANDLE process = s.ide.process();
    std::string tooLong(2 * 1024 * 1024, '\0');
    const bool systemReadsTooLong = rawRead(process, block, tooLong.data(), tooLong.size());
    MT_CHECK_EQ(transport.read(block, tooLong.data(), tooLong.size()), systemReadsTooLong);
    const RemoteAddress beyond = 0x800000000000ull; // past the 47-bit user address space
    MT_CHECK(!rawRead(process, beyond, back.data(), back.size()));
    MT_CHECK(!transport.read(beyond, back.data(), back.size()));
    MT_CHECK(!transport.write(beyond, back.data(), back.size()));
    MT_CHECK(!transport.read(beyond - 4, back.data(), back.size())); // runs off the end

    transport.free(block);
    MT_CHECK_EQ(stateOf(process, block), DWORD(MEM_FREE));
    const bool systemReadsFreed = rawRead(process, block, back.data(), back.size());
    MT_CHECK_EQ(transport.read(block, back.data(), back.size()), systemReadsFreed);
    if (systemReadsTooLong || systemReadsFreed) {
        std::printf("  note: this system copies from pages that aren't committed\n");
    }
    MT_CHECK(!transport.read(0, back.data(), back.size()));
    MT_CHECK(!transport.write(0, back.data(), back.size()));
    MT_CHECK_EQ(s.ide.faults(), 0);
}

MT_TEST(NoProcessForAHandleThatIsNoWindow) {
    MT_CHECK(glossa::OpenIdeProcess(0) == nullptr);
    MT_CHECK(glossa::OpenIdeProcess(0x7FFF1234) == nullptr);
    // The handle of a window that has been destroyed.
    FakeIde ide;
    MT_CHECK(ide.start("x"));
    const std::uintptr_t handle = ide.handle();
    ide.stop();
    MT_CHECK(handle != 0);
    MT_CHECK(glossa::OpenIdeProcess(handle) == nullptr);
}

MT_TEST(NoProcessWhenTheSystemRefusesAccess) {
    FakeIdeOptions options;
    options.denyAccess = true;
    FakeIde ide;
    if (!MT_CHECK(ide.start("x", options))) {
        return;
    }
    // Check that the system enforces the process's empty access list at all; Wine may not.
    DWORD processId = 0;
    MT_CHECK(GetWindowThreadProcessId(ide.window(), &processId) != 0);
    MT_CHECK(processId != 0);
    HANDLE probe = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (probe == nullptr) {
        MT_CHECK_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    } else {
        CloseHandle(probe);
        std::printf("  note: this system grants access to a process whose access list is "
                    "empty; the refusal can't be shown here\n");
    }
    MT_CHECK_EQ(glossa::OpenIdeProcess(ide.handle()) == nullptr, probe == nullptr);
}

MT_TEST(EveryMessageAnswersZeroAfterTheEditorIsGone) {
    Session s;
    FakeIdeOptions options;
    options.codePage = 65001;
    if (!s.open("Procedure A()\n", options)) {
        return;
    }
    MT_CHECK_EQ(glossa::queryCodePage(*s.target), 65001);
    s.ide.stop();
    MT_CHECK_EQ(glossa::queryCodePage(*s.target), 0);
    MT_CHECK_EQ(glossa::queryLength(*s.target), 0);
    int windowStart = 0;
    MT_CHECK_EQ(glossa::ReadDocumentText(*s.target, 15, 0, 0, windowStart), std::string());
}

} // namespace

int main(int argc, char** argv) {
    return minitest::runAll(argc, argv);
}
