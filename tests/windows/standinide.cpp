// SPDX-License-Identifier: MIT
// Plays the PureBasic IDE on Windows for end-to-end runs of glossa.exe: a real Scintilla window
// (Scintilla.dll) holding a document read from a file, and a tool started the way the IDE starts
// one with "wait until the tool quits": PB_TOOL_Scintilla (the editor's handle in decimal),
// PB_TOOL_IDE and PB_TOOL_Cursor in its environment, the IDE's window disabled, messages pumped
// until the tool ends. Afterwards it writes what the editor holds, so a test can compare bytes.
//
// standinide SCINTILLA_DLL DOCUMENT CODEPAGE EOLMODE CARET READONLY OUT PROGRAM [ARGUMENTS...]
//   CODEPAGE 65001 or 0; EOLMODE 0 CR LF, 1 CR, 2 LF; CARET a byte position; READONLY 0 or 1.
//   Writes OUT.doc (the document's bytes when the tool ended), OUT.undo (the bytes after one
//   SCI_UNDO) and OUT.txt ("exit=", "caret=", "canundo=" lines). Exit code 0 when all that was
//   done, 2 on a usage or set-up error.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Scintilla's message numbers (Scintilla.iface).
constexpr UINT SCI_ADDTEXT = 2001;
constexpr UINT SCI_GETLENGTH = 2006;
constexpr UINT SCI_GETCURRENTPOS = 2008;
constexpr UINT SCI_GOTOPOS = 2025;
constexpr UINT SCI_SETEOLMODE = 2031;
constexpr UINT SCI_SETCODEPAGE = 2037;
constexpr UINT SCI_LINEFROMPOSITION = 2166;
constexpr UINT SCI_POSITIONFROMLINE = 2167;
constexpr UINT SCI_SETREADONLY = 2171;
constexpr UINT SCI_CANUNDO = 2174;
constexpr UINT SCI_EMPTYUNDOBUFFER = 2175;
constexpr UINT SCI_UNDO = 2176;
constexpr UINT SCI_GETTEXT = 2182;
constexpr UINT SCI_COUNTCHARACTERS = 2633;

HWND editor = nullptr;

LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && editor) {
        MoveWindow(editor, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT sci(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(editor, message, wParam, lParam);
}

bool readFileBytes(const wchar_t* path, std::string& out) {
    FILE* f = _wfopen(path, L"rb");
    if (!f) {
        return false;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
        out.append(buffer, n);
    }
    fclose(f);
    return true;
}

bool writeFileBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) {
        return false;
    }
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string documentText() {
    const LRESULT length = sci(SCI_GETLENGTH);
    std::string bytes(size_t(length) + 1, '\0');
    sci(SCI_GETTEXT, WPARAM(length), LPARAM(bytes.data()));
    bytes.resize(size_t(length));
    return bytes;
}

// A command-line argument quoted the way CommandLineToArgvW reads it back.
std::wstring quote(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

int usage(const char* why) {
    std::fprintf(stderr, "standinide: %s\n", why);
    return 2;
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 9) {
        return usage("usage: standinide SCINTILLA_DLL DOCUMENT CODEPAGE EOLMODE CARET READONLY "
                     "OUT PROGRAM [ARGUMENTS...]");
    }
    if (!LoadLibraryW(argv[1])) {
        return usage("Scintilla.dll can't be loaded");
    }
    std::string document;
    if (!readFileBytes(argv[2], document)) {
        return usage("the document can't be read");
    }
    const int codePage = _wtoi(argv[3]);
    const int eolMode = _wtoi(argv[4]);
    const int caret = _wtoi(argv[5]);
    const bool readOnly = _wtoi(argv[6]) != 0;
    const std::wstring out = argv[7];

    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = frameProc;
    frameClass.hInstance = instance;
    frameClass.lpszClassName = L"StandInIde";
    frameClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    RegisterClassW(&frameClass);
    HWND frame = CreateWindowExW(0, L"StandInIde", L"PureBasic stand-in", WS_OVERLAPPEDWINDOW, 0, 0,
                                 640, 480, nullptr, nullptr, instance, nullptr);
    editor = CreateWindowExW(0, L"Scintilla", L"", WS_CHILD | WS_VISIBLE, 0, 0, 640, 480, frame,
                             nullptr, instance, nullptr);
    if (!frame || !editor) {
        return usage("the editor window can't be created");
    }
    sci(SCI_SETCODEPAGE, WPARAM(codePage));
    sci(SCI_SETEOLMODE, WPARAM(eolMode));
    sci(SCI_ADDTEXT, WPARAM(document.size()), LPARAM(document.data()));
    sci(SCI_EMPTYUNDOBUFFER);
    sci(SCI_GOTOPOS, WPARAM(caret));
    sci(SCI_SETREADONLY, readOnly ? 1 : 0);
    ShowWindow(frame, SW_SHOWNOACTIVATE);

    // The IDE's tool variables: the caret as LINExCOLUMN, both from 1, the column in characters.
    const LRESULT position = sci(SCI_GETCURRENTPOS);
    const LRESULT line = sci(SCI_LINEFROMPOSITION, WPARAM(position));
    const LRESULT column =
        sci(SCI_COUNTCHARACTERS, WPARAM(sci(SCI_POSITIONFROMLINE, line)), position);
    wchar_t value[64];
    swprintf(value, 64, L"%llu",
             static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(editor)));
    SetEnvironmentVariableW(L"PB_TOOL_Scintilla", value);
    swprintf(value, 64, L"%ldx%ld", long(line + 1), long(column + 1));
    SetEnvironmentVariableW(L"PB_TOOL_Cursor", value);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetEnvironmentVariableW(L"PB_TOOL_IDE", self);

    std::wstring commandLine;
    for (int i = 8; i < argc; ++i) {
        commandLine += (i > 8 ? L" " : L"") + quote(argv[i]);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[8], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return usage("the tool can't be started");
    }
    CloseHandle(process.hThread);

    // As the IDE waits for a tool: its window disabled, its messages still answered.
    EnableWindow(frame, FALSE);
    for (;;) {
        const DWORD woken =
            MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) {
            break;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    EnableWindow(frame, TRUE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);

    const std::string after = documentText();
    const LRESULT caretAfter = sci(SCI_GETCURRENTPOS);
    const LRESULT canUndo = sci(SCI_CANUNDO);
    sci(SCI_SETREADONLY, 0);
    sci(SCI_UNDO);
    char report[128];
    std::snprintf(report, sizeof report, "exit=%lu\ncaret=%ld\ncanundo=%ld\n", exitCode,
                  long(caretAfter), long(canUndo));
    const bool written = writeFileBytes(out + L".doc", after) &&
                         writeFileBytes(out + L".undo", documentText()) &&
                         writeFileBytes(out + L".txt", report);
    DestroyWindow(frame);
    return written ? 0 : usage("the results can't be written");
}
