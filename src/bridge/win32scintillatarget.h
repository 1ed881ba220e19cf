// SPDX-License-Identifier: MIT
#pragma once

#include "scintillatarget.h"

#include <cstdint>
#include <memory>

namespace glossa {

// The transport to a Scintilla control in another Windows process: messages go through
// SendMessageW, blocks are reserved read-write in the IDE's process with VirtualAllocEx.
// Owns the process handle and closes it when destroyed. Built on Windows only.
class Win32ScintillaTarget final : public ScintillaTarget {
public:
    // Opens the process that created the editor window with all access rights (0x1F0FFF);
    // nullptr when the handle isn't a window or the system refuses the access.
    static std::unique_ptr<Win32ScintillaTarget> open(std::uintptr_t editorHandle);

    ~Win32ScintillaTarget() override;
    Win32ScintillaTarget(const Win32ScintillaTarget&) = delete;
    Win32ScintillaTarget& operator=(const Win32ScintillaTarget&) = delete;

    std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    RemoteAddress reserve(std::size_t size) override;
    void free(RemoteAddress address) override;
    bool write(RemoteAddress address, const void* data, std::size_t size) override;
    bool read(RemoteAddress address, void* data, std::size_t size) override;
    int pointerWidth() const override { return pointerWidth_; }

    // The process handle (a Windows HANDLE), valid while this target lives.
    void* processHandle() const { return process_; }

private:
    Win32ScintillaTarget(void* editor, void* process, int pointerWidth);

    void* editor_;  // HWND of the editor control
    void* process_; // HANDLE of the IDE's process
    int pointerWidth_;
};

// Pointer width in bytes (4 or 8) of the process behind a Windows process handle: a process
// under WOW64 is 32-bit; otherwise it has the width of the operating system.
int processPointerWidth(void* process);

} // namespace glossa
