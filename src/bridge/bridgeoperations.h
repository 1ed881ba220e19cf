// SPDX-License-Identifier: MIT
#pragma once

#include "scintillatarget.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace glossa {

// The Scintilla messages that the bridge sends, with Scintilla's own numbers.
namespace sci {
constexpr unsigned kInsertText = 2003;        // SCI_INSERTTEXT(position, text)
constexpr unsigned kGetLength = 2006;         // SCI_GETLENGTH
constexpr unsigned kGetCurrentPos = 2008;     // SCI_GETCURRENTPOS
constexpr unsigned kGetEolMode = 2030;        // SCI_GETEOLMODE
constexpr unsigned kGetCodePage = 2137;       // SCI_GETCODEPAGE
constexpr unsigned kGetReadOnly = 2140;       // SCI_GETREADONLY
constexpr unsigned kSetSel = 2160;            // SCI_SETSEL(anchor, caret)
constexpr unsigned kGetTextRange = 2162;      // SCI_GETTEXTRANGE(0, record)
constexpr unsigned kReplaceSel = 2170;        // SCI_REPLACESEL(0, text)
constexpr unsigned kSetReadOnly = 2171;       // SCI_SETREADONLY(readOnly)
constexpr unsigned kGetText = 2182;           // SCI_GETTEXT(length, buffer of length + 1)
constexpr unsigned kSetEmptySelection = 2556; // SCI_SETEMPTYSELECTION(position)

constexpr int kCodePageUtf8 = 65001; // SC_CP_UTF8
constexpr int kEolCrLf = 0;          // SC_EOL_CRLF
constexpr int kEolCr = 1;            // SC_EOL_CR
constexpr int kEolLf = 2;            // SC_EOL_LF
} // namespace sci

// How a Windows target reserves remote blocks: committed and reserved in one call
// (MEM_COMMIT | MEM_RESERVE) with read-write pages (PAGE_READWRITE), never executable.
constexpr std::uint32_t kRemoteAllocationType = 0x3000;
constexpr std::uint32_t kRemotePageProtection = 0x04;
// Access mask for the IDE's process (PROCESS_ALL_ACCESS as the IDE's tools expect it).
constexpr std::uint32_t kIdeProcessAccess = 0x1F0FFF;

// Size in bytes of the text-range record for a process of the given pointer width: 12 for a
// 32-bit process (three 32-bit fields), 16 for a 64-bit one (two 32-bit positions, the
// pointer at offset 8). 0 for any other width.
std::size_t textRangeRecordSize(int pointerWidth);

// Builds the text-range record in the layout of the given pointer width, little-endian.
// Empty when the width is neither 4 nor 8.
std::string makeTextRangeRecord(int pointerWidth, std::int32_t first, std::int32_t last,
                                RemoteAddress text);

// The three fields of a text-range record, as the editor reads them.
struct TextRangeFields {
    std::int32_t first = 0;
    std::int32_t last = 0;
    RemoteAddress text = 0;
};

// Reads a record in the layout that makeTextRangeRecord writes; record holds at least
// textRangeRecordSize(pointerWidth) bytes.
TextRangeFields parseTextRangeRecord(const char* record, int pointerWidth);

// Opens the process that owns the IDE's editor window. nullptr when the handle is no window,
// the process refuses access, or (outside Windows) always: there the IDE's handle is of no
// use to another process and file mode is used instead.
std::unique_ptr<ScintillaTarget> OpenIdeProcess(std::uintptr_t editorHandle);

// The four queries that start an editing run; each is one message, 0 when the editor is gone.
int queryCodePage(ScintillaTarget& target);
int queryCaretPosition(ScintillaTarget& target);
int queryLength(ScintillaTarget& target);
int queryEolMode(ScintillaTarget& target);
// SCI_GETREADONLY: true when the editor refuses changes (and ignores SCI_REPLACESEL and
// SCI_INSERTTEXT).
bool queryReadOnly(ScintillaTarget& target);

// Copies the document's bytes out of the editor. size is the document length plus 1 (room for
// the terminator). With searchRange > 0 only the bytes within searchRange of caretPos are
// read (SCI_GETTEXTRANGE with both ends given, never -1 for "to the end"), else the whole
// document (SCI_GETTEXT with the length, size - 1, as Scintilla 5 takes it: it writes a
// terminator after the bytes it copies). Either way at most the length is copied, so a
// document grown since it was measured can't overrun the buffer. Returns the n bytes that the
// editor reported copying (zero bytes among them are part of the document) and sets
// windowStart to the document position of the first of them. Empty when nothing could be
// read. A caret outside the document is clamped into it first, so no position outside
// 0..length is ever sent. Every remote block is released before return.
std::string ReadDocumentText(ScintillaTarget& target, int size, int caretPos, int searchRange,
                             int& windowStart);
// As ReadDocumentText, into the caller's buffer of size bytes (its content is overwritten);
// returns how many bytes were read, 0 when nothing could be.
std::size_t readDocumentTextInto(ScintillaTarget& target, char* buffer, int size, int caretPos,
                                 int searchRange, int& windowStart);

// The document's bytes from start to end (exclusive), read with SCI_GETTEXTRANGE. Empty when
// the range is not within 0 <= start <= end <= length or can't be read.
std::string readRange(ScintillaTarget& target, int start, int end);

// Selects start..end and replaces it by the encoded text (n bytes, sent zero-terminated in a
// remote block of n + 1 bytes). False, with no message that changes selection or document
// sent, when the range is not within 0 <= start <= end <= length, the text holds a zero
// byte, or the remote block can't be reserved or written.
bool ReplaceRange(ScintillaTarget& target, int start, int end, std::string_view encoded);

// Inserts the encoded text at a position (0..length). Fails like ReplaceRange.
bool InsertAtPosition(ScintillaTarget& target, int position, std::string_view encoded);

// Puts the caret at position with nothing selected. False, with nothing sent, when the
// position is outside 0..length.
bool PlaceCaret(ScintillaTarget& target, int position);

} // namespace glossa
