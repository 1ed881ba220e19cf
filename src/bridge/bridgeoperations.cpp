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
        : target_(target), address_(size > 0 ? target.Reserve(size) : 0) {}
    ~RemoteBlock() {
        if (address_ != 0)
            target_.Free(address_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    RemoteAddress address() const { return address_; }
    explicit operator bool() const { return address_ != 0; }

private:
    ScintillaTarget& target_;
    RemoteAddress address_;
};

void PutLittleEndian(std::string& out, std::size_t offset, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        out[offset + std::size_t(i)] = char((value >> (8 * i)) & 0xFF);
}

int Query(ScintillaTarget& target, unsigned message) {
    return int(target.Send(message, 0, 0));
}

bool PositionInDocument(ScintillaTarget& target, int position) {
    return position >= 0 && position <= QueryLength(target);
}

// "from..to" for a log line.
std::string Span(long long from, long long to) {
    return std::to_string(from) + ".." + std::to_string(to);
}

// Why an operation gave up, for the log; false for the caller to return.
bool GiveUp(const std::string& why) {
    BridgeLog(why);
    return false;
}

// Copies text plus a terminator into a fresh remote block and sends message with it. Nothing
// is sent unless the block holds the whole text.
bool SendWithText(ScintillaTarget& target, unsigned message, std::uintptr_t wParam,
                  std::string_view encoded, int selStart, int selEnd) {
    // The editor would stop at the zero byte and write only part of it.
    if (encoded.find('\0') != std::string_view::npos)
        return GiveUp("text not sent: it holds a zero byte");
    std::string local;
    try {
        local.assign(encoded);
        local.push_back('\0');
    } catch (const std::bad_alloc&) {
        return GiveUp("text not sent: no memory for a copy of it");
    }
    RemoteBlock remote(target, local.size());
    if (!remote || !target.Write(remote.address(), local.data(), local.size()))
        return GiveUp("text not sent: no block of " + std::to_string(local.size()) +
                      " bytes could be reserved and written in the editor's process");
    if (selStart >= 0)
        target.Send(sci::kSetSel, std::uintptr_t(selStart), selEnd);
    target.Send(message, wParam, std::intptr_t(remote.address()));
    return true;
}

} // namespace

std::size_t TextRangeRecordSize(int pointerWidth) {
    return pointerWidth == 4 ? 12 : pointerWidth == 8 ? 16 : 0;
}

std::string MakeTextRangeRecord(int pointerWidth, std::int32_t first, std::int32_t last,
                                RemoteAddress text) {
    const std::size_t size = TextRangeRecordSize(pointerWidth);
    if (size == 0)
        return {};
    std::string record(size, '\0');
    PutLittleEndian(record, 0, std::uint32_t(first), 4);
    PutLittleEndian(record, 4, std::uint32_t(last), 4);
    PutLittleEndian(record, 8, text, pointerWidth);
    return record;
}

TextRangeFields ParseTextRangeRecord(const char* record, int pointerWidth) {
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
    BridgeLog("editor window " + std::to_string(editorHandle) +
              " not opened: another process's window handle is of no use outside Windows");
    return nullptr;
}
#endif

int QueryCodePage(ScintillaTarget& target) {
    return Query(target, sci::kGetCodePage);
}
int QueryCaretPosition(ScintillaTarget& target) {
    return Query(target, sci::kGetCurrentPos);
}
int QueryLength(ScintillaTarget& target) {
    return Query(target, sci::kGetLength);
}
int QueryEolMode(ScintillaTarget& target) {
    return Query(target, sci::kGetEolMode);
}
bool QueryReadOnly(ScintillaTarget& target) {
    return Query(target, sci::kGetReadOnly) != 0;
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
        ReadDocumentTextInto(target, local.data(), size, caretPos, searchRange, windowStart));
    return local;
}

std::size_t ReadDocumentTextInto(ScintillaTarget& target, char* buffer, int size, int caretPos,
                                 int searchRange, int& windowStart) {
    windowStart = 0;
    if (size <= 0)
        return 0;
    std::memset(buffer, 0, std::size_t(size));
    RemoteBlock remote(target, std::size_t(size));
    // The clearing copy of the whole size, so the buffer starts zeroed whatever the target.
    if (!remote || !target.Write(remote.address(), buffer, std::size_t(size))) {
        GiveUp("document not read: no block of " + std::to_string(size) +
               " bytes could be reserved and written in the editor's process");
        return 0;
    }

    long long n = 0;
    if (searchRange > 0) {
        const std::size_t recordSize = TextRangeRecordSize(target.PointerWidth());
        RemoteBlock record(target, recordSize);
        if (record) {
            // The document's end as the caller knows it; a caret outside it is clamped so
            // that no position outside the document is ever sent.
            const long long length = size - 1;
            const long long caret = std::clamp<long long>(caretPos, 0, length);
            const long long first = std::max<long long>(caret - searchRange, 0);
            // Scintilla reads -1 as its current length, which may have grown meanwhile.
            const long long last = std::min<long long>(caret + searchRange, length);
            const std::string bytes = MakeTextRangeRecord(
                target.PointerWidth(), std::int32_t(first), std::int32_t(last), remote.address());
            if (target.Write(record.address(), bytes.data(), bytes.size())) {
                windowStart = int(first);
                n = target.Send(sci::kGetTextRange, 0, std::intptr_t(record.address()));
            }
        }
    } else {
        // Scintilla 5 copies up to wParam bytes and then a terminator: the length, not the
        // buffer size, or a document grown meanwhile would overrun the buffer by one byte.
        n = target.Send(sci::kGetText, std::uintptr_t(size - 1), std::intptr_t(remote.address()));
    }
    // Never copy more than the buffer holds, whatever the editor answered.
    n = std::clamp<long long>(n, 0, size - 1);
    if (n > 0 && !target.Read(remote.address(), buffer, std::size_t(n)))
        n = 0;
    if (n == 0)
        windowStart = 0;
    if (BridgeLogging()) {
        BridgeLog("read bytes " + Span(windowStart, windowStart + n) + " of " +
                  std::to_string(size - 1) + " with " +
                  (searchRange > 0
                       ? "SCI_GETTEXTRANGE around the caret at " + std::to_string(caretPos) +
                             ", search range " + std::to_string(searchRange)
                       : std::string("SCI_GETTEXT")));
    }
    return std::size_t(n);
}

std::string ReadRange(ScintillaTarget& target, int start, int end) {
    const int length = QueryLength(target);
    if (start < 0 || start > end || end > length || start == end)
        return {};
    const std::size_t count = std::size_t(end - start);
    RemoteBlock text(target, count + 1);
    RemoteBlock record(target, TextRangeRecordSize(target.PointerWidth()));
    if (!text || !record)
        return {};
    const std::string bytes =
        MakeTextRangeRecord(target.PointerWidth(), start, end, text.address());
    if (!target.Write(record.address(), bytes.data(), bytes.size()))
        return {};
    const long long n = target.Send(sci::kGetTextRange, 0, std::intptr_t(record.address()));
    if (n != static_cast<long long>(count))
        return {};
    std::string out(count, '\0');
    if (!target.Read(text.address(), out.data(), count))
        return {};
    return out;
}

bool ReplaceRange(ScintillaTarget& target, int start, int end, std::string_view encoded) {
    const int length = QueryLength(target);
    if (start < 0 || start > end || end > length)
        return GiveUp("not replaced: bytes " + Span(start, end) + " lie outside the document of " +
                      std::to_string(length) + " bytes");
    if (!SendWithText(target, sci::kReplaceSel, 0, encoded, start, end))
        return false;
    if (BridgeLogging())
        BridgeLog("replaced bytes " + Span(start, end) + " by " + std::to_string(encoded.size()) +
                  " bytes");
    return true;
}

bool InsertAtPosition(ScintillaTarget& target, int position, std::string_view encoded) {
    if (!PositionInDocument(target, position))
        return GiveUp("not inserted: byte " + std::to_string(position) +
                      " lies outside the document");
    if (!SendWithText(target, sci::kInsertText, std::uintptr_t(position), encoded, -1, -1))
        return false;
    if (BridgeLogging())
        BridgeLog("inserted " + std::to_string(encoded.size()) + " bytes at " +
                  std::to_string(position));
    return true;
}

bool PlaceCaret(ScintillaTarget& target, int position) {
    if (!PositionInDocument(target, position))
        return false;
    target.Send(sci::kSetEmptySelection, std::uintptr_t(position), 0);
    return true;
}

} // namespace glossa
