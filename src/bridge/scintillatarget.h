// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

namespace glossa {

// Address of a block of memory inside the IDE's process; 0 is no block.
using RemoteAddress = std::uint64_t;

// The transport to the IDE's Scintilla editor: one message at a time, and blocks of memory in
// the process that owns the editor. One implementation per platform (Win32), one simulated.
class ScintillaTarget {
public:
    virtual ~ScintillaTarget();

    // Sends one Scintilla message synchronously and returns its result.
    virtual std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

    // Reserves a zero-filled read-write block of size bytes; 0 when that fails.
    virtual RemoteAddress reserve(std::size_t size) = 0;

    // Releases a block that reserve() returned.
    virtual void free(RemoteAddress address) = 0;

    // Copies size bytes into / out of a block; false when the copy fails.
    virtual bool write(RemoteAddress address, const void* data, std::size_t size) = 0;
    virtual bool read(RemoteAddress address, void* data, std::size_t size) = 0;

    // Pointer width of the IDE's process in bytes (4 or 8): it fixes the layout of the
    // text-range record.
    virtual int pointerWidth() const = 0;
};

} // namespace glossa
