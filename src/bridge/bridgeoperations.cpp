// SPDX-License-Identifier: MIT
#include "bridgeoperations.h"

#include "bridgelog.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace glossa {

namespace {

// A block in the IDE's process, released when the operation that reserved it returns.
class RemoteBlock {
public:
    RemoteBlock(ScintillaTarget& target, std::size_t size)
        : target_(target), address_(size > 0 ? target.reserve(size) : 0) {}
    ~RemoteBlock() {
        if (address_ != 0)
            target_.free(address_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    RemoteAddress address() const { return address_; }
    explicit operator bool() const { return address_ != 0; }

private:
    ScintillaTarget& target_;
    RemoteAddress address_;
};

void putLittleEndian(std::string& out, std::size_t offset, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        out[offset + std::size_t(i)] = char((value >> (8 * i)) & 0xFF);
}

int query(ScintillaTarget& target, unsigned message) {
    return int(target.send(message, 0, 0));
}

bool positionInDocument(ScintillaTarget& target, int position) {
    return position >= 0 && position <= queryLength(target);
}

// "from..to" for a log line.
std::string span(long long from, long long to) {
    return std::to_string(from) + ".." + std::to_string(to);
}

// Why an operation gave up, for the log; false for the caller to return.
bool giveUp(const std::string& why) {
    bridgeLog(why);
    return false;
}

// Copies text plus a terminator into a fresh remote block and sends message with it. Nothing
// is sent unless the block holds the whole text.
bool sendWithText(ScintillaTarget& target, unsigned message, std::uintptr_t wParam,
                  std::string_view encoded, int selStart, int selEnd) {
    // The editor would stop at the zero byte and write only part of it.
    if (encoded.find('\0') != std::string_view::npos)
        return giveUp("text not sent: it holds a zero byte");
    std::string local;
    try {
        local.assign(encoded);
        local.push_back('\0');
    } catch (const std::bad_alloc&) {
        return giveUp("text not sent: no memory for a copy of it");
    }
    RemoteBlock remote(target, local.size());
    if (!remote || !target.write(remote.address(), local.data(), local.size()))
        return giveUp("text not sent: no block of " + std::to_string(local.size()) +
                      " bytes could be reserved and written in the editor's process");
    if (selStart >= 0)
        target.send(sci::kSetSel, std::uintptr_t(selStart), selEnd);
    target.send(message, wParam, std::intptr_t(remote.address()));
    return true;
}

} // namespace

std::size_t textRangeRecordSize(int pointerWidth) {
    return pointerWidth == 4 ? 12 : pointerWidth == 8 ? 16 : 0;
}

std::string makeTextRangeRecord(int pointerWidth, std::int32_t first, std::int32_t last,
                                RemoteAddress text) {
    const std::size_t size = textRangeRecordSize(pointerWidth);
    if (size == 0)
        return {};
    std::string record(size, '\0');
    putLittleEndian(record, 0, std::uint32_t(first), 4);
    putLittleEndian(record, 4, std::uint32_t(last), 4);
    putLittleEndian(record, 8, text, pointerWidth);
    return record;
}

TextRangeFields parseTextRangeRecord(const char* record, int pointerWidth) {
    auto get = [record](int offset, int width) {
        std::uint64_t value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(record[offset + i]);
        return value;
    };
    return {std::int32_t(std::uint32_t(get(0, 4))), std::int32_t(std::uint32_t(get(4, 4))),
            get(8, pointerWidth)};
}

#ifndef _WIN32
std::unique_ptr<ScintillaTarget> OpenIdeProcess(std::uintptr_t editorHandle) {
    bridgeLog("editor window " + std::to_string(editorHandle) +
              " not opened: another process's window handle is of no use outside Windows");
    return nullptr;
}
#endif

int queryCodePage(ScintillaTarget& target) {
    return query(target, sci::kGetCodePage);
}
int queryCaretPosition(ScintillaTarget& target) {
    return query(target, sci::kGetCurrentPos);
}
int queryLength(ScintillaTarget& target) {
    return query(target, sci::kGetLength);
}
int queryEolMode(ScintillaTarget& target) {
    return query(target, sci::kGetEolMode);
}
bool queryReadOnly(ScintillaTarget& target) {
    return query(target, sci::kGetReadOnly) != 0;
}

std::string ReadDocumentText(ScintillaTarget& target, int size, int caretPos, int searchRange,
                             int& windowStart) {
    windowStart = 0;
    if (size <= 0)
        return {};
    std::string local;
    try {
        local.resize(std::size_t(size));
    } catch (const std::bad_alloc&) {
        return {};
    }
    local.resize(
        readDocumentTextInto(target, local.data(), size, caretPos, searchRange, windowStart));
    return local;
}

std::size_t readDocumentTextInto(ScintillaTarget& target, char* buffer, int size, int caretPos,
                                 int searchRange, int& windowStart) {
    windowStart = 0;
    if (size <= 0)
        return 0;
    std::memset(buffer, 0, std::size_t(size));
    RemoteBlock remote(target, std::size_t(size));
    // The clearing copy of the whole size, so the buffer starts zeroed whatever the target.
    if (!remote || !target.write(remote.address(), buffer, std::size_t(size))) {
        giveUp("document not read: no block of " + std::to_string(size) +
               " bytes could be reserved and written in the editor's process");
        return 0;
    }

    long long n = 0;
    if (searchRange > 0) {
        const std::size_t recordSize = textRangeRecordSize(target.pointerWidth());
        RemoteBlock record(target, recordSize);
        if (record) {
            // The document's end as the caller knows it; a caret outside it is clamped so
            // that no position outside the document is ever sent.
            const long long length = size - 1;
            const long long caret = std::clamp<long long>(caretPos, 0, length);
            const long long first = std::max<long long>(caret - searchRange, 0);
            // Scintilla reads -1 as its current length, which may have grown meanwhile.
            const long long last = std::min<long long>(caret + searchRange, length);
            const std::string bytes = makeTextRangeRecord(
                target.pointerWidth(), std::int32_t(first), std::int32_t(last), remote.address());
            if (target.write(record.address(), bytes.data(), bytes.size())) {
                windowStart = int(first);
                n = target.send(sci::kGetTextRange, 0, std::intptr_t(record.address()));
            }
        }
    } else {
        // Scintilla 5 copies up to wParam bytes and then a terminator: the length, not the
        // buffer size, or a document grown meanwhile would overrun the buffer by one byte.
        n = target.send(sci::kGetText, std::uintptr_t(size - 1), std::intptr_t(remote.address()));
    }
    // Never copy more than the buffer holds, whatever the editor answered.
    n = std::clamp<long long>(n, 0, size - 1);
    if (n > 0 && !target.read(remote.address(), buffer, std::size_t(n)))
        n = 0;
    if (n == 0)
        windowStart = 0;
    if (bridgeLogging()) {
        bridgeLog("read bytes " + span(windowStart, windowStart + n) + " of " +
                  std::to_string(size - 1) + " with " +
                  (searchRange > 0
                       ? "SCI_GETTEXTRANGE around the caret at " + std::to_string(caretPos) +
                             ", search range " + std::to_string(searchRange)
                       : std::string("SCI_GETTEXT")));
    }
    return std::size_t(n);
}

std::string readRange(ScintillaTarget& target, int start, int end) {
    const int length = queryLength(target);
    if (start < 0 || start > end || end > length || start == end)
        return {};
    const auto count = std::size_t(end - start);
    RemoteBlock text(target, count + 1);
    RemoteBlock record(target, textRangeRecordSize(target.pointerWidth()));
    if (!text || !record)
        return {};
    const std::string bytes =
        makeTextRangeRecord(target.pointerWidth(), start, end, text.address());
    if (!target.write(record.address(), bytes.data(), bytes.size()))
        return {};
    const long long n = target.send(sci::kGetTextRange, 0, std::intptr_t(record.address()));
    if (n != static_cast<long long>(count))
        return {};
    std::string out(count, '\0');
    if (!target.read(text.address(), out.data(), count))
        return {};
    return out;
}

bool ReplaceRange(ScintillaTarget& target, int start, int end, std::string_view encoded) {
    const int length = queryLength(target);
    if (start < 0 || start > end || end > length)
        return giveUp("not replaced: bytes " + span(start, end) + " lie outside the document of " +
                      std::to_string(length) + " bytes");
    if (!sendWithText(target, sci::kReplaceSel, 0, encoded, start, end))
        return false;
    if (bridgeLogging())
        bridgeLog("replaced bytes " + span(start, end) + " by " + std::to_string(encoded.size()) +
                  " bytes");
    return true;
}

bool InsertAtPosition(ScintillaTarget& target, int position, std::string_view encoded) {
    if (!positionInDocument(target, position))
        return giveUp("not inserted: byte " + std::to_string(position) +
                      " lies outside the document");
    if (!sendWithText(target, sci::kInsertText, std::uintptr_t(position), encoded, -1, -1))
        return false;
    if (bridgeLogging())
        bridgeLog("inserted " + std::to_string(encoded.size()) + " bytes at " +
                  std::to_string(position));
    return true;
}

bool PlaceCaret(ScintillaTarget& target, int position) {
    if (!positionInDocument(target, position))
        return false;
    target.send(sci::kSetEmptySelection, std::uintptr_t(position), 0);
    return true;
}

} // namespace glossa
