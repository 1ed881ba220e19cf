// SPDX-License-Identifier: MIT
#include "win32scintillatarget.h"

#include "bridgelog.h"
#include "bridgeoperations.h"

#include <windows.h>

#include <string>

namespace glossa {

namespace {

// The bridge's constants are these Win32 flags.
static_assert(kRemoteAllocationType == (MEM_COMMIT | MEM_RESERVE));
static_assert(kRemotePageProtection == PAGE_READWRITE);

HWND toWindow(void* editor) {
    return static_cast<HWND>(editor);
}

LPVOID toPointer(RemoteAddress address) {
    return reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(address));
}

// Addresses past what our own pointers can hold can't be handed to the Win32 calls.
bool addressable(RemoteAddress address) {
    return address != 0 && address <= static_cast<RemoteAddress>(UINTPTR_MAX);
}

} // namespace

int processPointerWidth(void* process) {
    BOOL processIsWow64 = FALSE;
    if (IsWow64Process(static_cast<HANDLE>(process), &processIsWow64) && processIsWow64) {
        return 4;
    }
    // Not under WOW64: the process has the operating system's width. A 64-bit build runs on
    // 64-bit Windows only; a 32-bit build is under WOW64 exactly on 64-bit Windows.
    if constexpr (sizeof(void*) == 8) {
        return 8;
    } else {
        BOOL selfIsWow64 = FALSE;
        if (IsWow64Process(GetCurrentProcess(), &selfIsWow64) && selfIsWow64) {
            return 8;
        }
        return 4;
    }
}

std::unique_ptr<Win32ScintillaTarget> Win32ScintillaTarget::open(std::uintptr_t editorHandle) {
    HWND editor = reinterpret_cast<HWND>(editorHandle);
    const std::string window = "editor window " + std::to_string(editorHandle);
    DWORD processId = 0;
    if (editorHandle == 0 || GetWindowThreadProcessId(editor, &processId) == 0 || processId == 0) {
        bridgeLog(window + " not opened: no such window (error " + std::to_string(GetLastError()) +
                  ")");
        return nullptr;
    }
    HANDLE process = OpenProcess(kIdeProcessAccess, FALSE, processId);
    if (process == nullptr) {
        bridgeLog(window + ": process " + std::to_string(processId) + " refused access (error " +
                  std::to_string(GetLastError()) + ")");
        return nullptr;
    }
    const int width = processPointerWidth(process);
    bridgeLog(window + " belongs to process " + std::to_string(processId) + ", " +
              std::to_string(width * 8) + "-bit");
    return std::unique_ptr<Win32ScintillaTarget>(new Win32ScintillaTarget(editor, process, width));
}

Win32ScintillaTarget::Win32ScintillaTarget(void* editor, void* process, int pointerWidth)
    : editor_(editor), process_(process), pointerWidth_(pointerWidth) {}

Win32ScintillaTarget::~Win32ScintillaTarget() {
    CloseHandle(static_cast<HANDLE>(process_));
}

std::intptr_t Win32ScintillaTarget::send(unsigned message, std::uintptr_t wParam,
                                         std::intptr_t lParam) {
    return SendMessageW(toWindow(editor_), message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam));
}

RemoteAddress Win32ScintillaTarget::reserve(std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // Read-write only: nothing is ever executed in these blocks. Fresh pages are zero-filled.
    LPVOID block = VirtualAllocEx(static_cast<HANDLE>(process_), nullptr, size,
                                  kRemoteAllocationType, kRemotePageProtection);
    return static_cast<RemoteAddress>(reinterpret_cast<std::uintptr_t>(block));
}

void Win32ScintillaTarget::free(RemoteAddress address) {
    if (!addressable(address)) {
        return;
    }
    VirtualFreeEx(static_cast<HANDLE>(process_), toPointer(address), 0, MEM_RELEASE);
}

bool Win32ScintillaTarget::write(RemoteAddress address, const void* data, std::size_t size) {
    if (!addressable(address)) {
        return false;
    }
    if (size == 0) {
        return true;
    }
    SIZE_T written = 0;
    return WriteProcessMemory(static_cast<HANDLE>(process_), toPointer(address), data, size,
                              &written) &&
           written == size;
}

bool Win32ScintillaTarget::read(RemoteAddress address, void* data, std::size_t size) {
    if (!addressable(address)) {
        return false;
    }
    if (size == 0) {
        return true;
    }
    SIZE_T read = 0;
    return ReadProcessMemory(static_cast<HANDLE>(process_), toPointer(address), data, size,
                             &read) &&
           read == size;
}

std::unique_ptr<ScintillaTarget> OpenIdeProcess(std::uintptr_t editorHandle) {
    return Win32ScintillaTarget::open(editorHandle);
}

} // namespace glossa
