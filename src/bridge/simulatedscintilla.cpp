// SPDX-License-Identifier: MIT
#include "simulatedscintilla.h"

#include "bridgeoperations.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace glossa {

namespace {

constexpr RemoteAddress kFirstAddress = 0x10000;
constexpr RemoteAddress kPageSize = 0x1000;

} // namespace

SimulatedScintilla::SimulatedScintilla(std::string document, int codePage, int eolMode,
                                       int pointerWidth)
    : document_(std::move(document)), codePage_(codePage), eolMode_(eolMode),
      pointerWidth_(pointerWidth == 4 ? 4 : 8), nextAddress_(kFirstAddress) {}

void SimulatedScintilla::setDocument(std::string document) {
    document_ = std::move(document);
    borrowed_.reset();
    caret_ = anchor_ = 0;
}

void SimulatedScintilla::setDocumentView(std::string_view document) {
    document_.clear();
    document_.shrink_to_fit();
    borrowed_ = document;
    caret_ = anchor_ = 0;
}

std::string& SimulatedScintilla::ownDocument() const {
    if (borrowed_) {
        document_.assign(*borrowed_);
        borrowed_.reset();
    }
    return document_;
}

const std::string& SimulatedScintilla::document() const {
    return ownDocument();
}

long long SimulatedScintilla::clamp(long long position) const {
    return std::clamp<long long>(position, 0, length());
}

void SimulatedScintilla::setSelection(long long anchor, long long caret) {
    // As SCI_SETSEL: a negative caret means the document's end, a negative anchor means no
    // selection (anchor at the caret); then both are clamped into the document.
    if (caret < 0)
        caret = length();
    if (anchor < 0)
        anchor = caret;
    caret_ = clamp(caret);
    anchor_ = clamp(anchor);
}

void SimulatedScintilla::setEmptySelection(long long position) {
    caret_ = anchor_ = clamp(position);
}

void SimulatedScintilla::fault(std::string reason) {
    ++faults_;
    lastFault_ = std::move(reason);
}

RemoteAddress SimulatedScintilla::reserve(std::size_t size) {
    if (size == 0)
        return 0;
    if (reserveSuccessesLeft_ == 0)
        return 0;
    // Page-aligned, never reused, one unmapped page between blocks, so a stale or
    // overrunning address never lands in another block.
    const RemoteAddress pages = (RemoteAddress(size) + kPageSize - 1) / kPageSize;
    const RemoteAddress address = nextAddress_;
    const RemoteAddress limit = pointerWidth_ == 4 ? 0xFFFF0000ull : (1ull << 47);
    if (address + (pages + 1) * kPageSize > limit)
        return 0;
    Block block;
    try {
        block.bytes.assign(size, '\0');
    } catch (const std::bad_alloc&) {
        return 0;
    }
    blocks_.emplace(address, std::move(block));
    nextAddress_ = address + (pages + 1) * kPageSize;
    if (reserveSuccessesLeft_ > 0)
        --reserveSuccessesLeft_;
    return address;
}

void SimulatedScintilla::free(RemoteAddress address) {
    if (blocks_.erase(address) == 0)
        fault("free of an address that is no live block");
}

char* SimulatedScintilla::resolve(RemoteAddress address, std::size_t size, const char* what) {
    auto it = blocks_.upper_bound(address);
    if (it != blocks_.begin()) {
        --it;
        const RemoteAddress offset = address - it->first;
        if (offset <= it->second.bytes.size() && size <= it->second.bytes.size() - offset)
            return it->second.bytes.data() + offset;
    }
    fault(std::string(what) + ": address outside every live block");
    return nullptr;
}

bool SimulatedScintilla::resolveString(RemoteAddress address, std::string& out, const char* what) {
    auto it = blocks_.upper_bound(address);
    if (it != blocks_.begin()) {
        --it;
        const RemoteAddress offset = address - it->first;
        const auto& bytes = it->second.bytes;
        if (offset < bytes.size()) {
            const char* begin = bytes.data() + offset;
            const char* end = bytes.data() + bytes.size();
            const char* zero = std::find(begin, end, '\0');
            if (zero != end) {
                out.assign(begin, zero);
                return true;
            }
            fault(std::string(what) + ": text runs past the end of its block");
            return false;
        }
    }
    fault(std::string(what) + ": address outside every live block");
    return false;
}

bool SimulatedScintilla::write(RemoteAddress address, const void* data, std::size_t size) {
    if (writeFails_)
        return false;
    char* target = resolve(address, size, "Write");
    if (!target)
        return false;
    if (size > 0)
        std::memcpy(target, data, size);
    return true;
}

bool SimulatedScintilla::read(RemoteAddress address, void* data, std::size_t size) {
    if (readFails_)
        return false;
    const char* source = resolve(address, size, "Read");
    if (!source)
        return false;
    if (size > 0)
        std::memcpy(data, source, size);
    return true;
}

bool SimulatedScintilla::insertBytes(long long position, const std::string& bytes) {
    if (position < 0 || position > length()) {
        fault("insertion outside the document");
        return false;
    }
    ownDocument().insert(std::size_t(position), bytes);
    return true;
}

std::intptr_t SimulatedScintilla::getTextRange(std::intptr_t lParam) {
    if (lParam == 0)
        return 0;
    const std::size_t recordSize = textRangeRecordSize(pointerWidth_);
    const char* record = resolve(RemoteAddress(lParam), recordSize, "SCI_GETTEXTRANGE record");
    if (!record)
        return 0;
    const TextRangeFields fields = parseTextRangeRecord(record, pointerWidth_);
    const long long first = fields.first;
    long long last = fields.last;
    const RemoteAddress text = fields.text;
    if (last == -1)
        last = length();
    // Scintilla copies nothing for a range outside the document yet still writes the
    // terminator at [last - first]; a reversed range writes before the buffer. Both are
    // faults of the sender here.
    if (first < 0 || last > length() || last < first) {
        fault("SCI_GETTEXTRANGE: range outside the document");
        return 0;
    }
    const auto count = std::size_t(last - first);
    char* out = resolve(text, count + 1, "SCI_GETTEXTRANGE text");
    if (!out)
        return 0;
    std::memcpy(out, documentView().data() + first, count);
    out[count] = '\0';
    return std::intptr_t(count);
}

std::intptr_t SimulatedScintilla::send(unsigned message, std::uintptr_t wParam,
                                       std::intptr_t lParam) {
    sent_.push_back({message, wParam, lParam});
    switch (message) {
    case sci::kGetCodePage:
        return codePage_;
    case sci::kGetCurrentPos:
        return std::intptr_t(caret_);
    case sci::kGetLength:
        return std::intptr_t(length());
    case sci::kGetEolMode:
        return eolMode_;
    case sci::kGetReadOnly:
        return readOnly_ ? 1 : 0;
    case sci::kSetReadOnly:
        readOnly_ = wParam != 0;
        return 0;
    case sci::kGetText: {
        // Scintilla 5: with no buffer, the length; else copies min(wParam, length) bytes, writes
        // a terminator after them and returns their count.
        if (lParam == 0)
            return std::intptr_t(length());
        const std::string_view document = documentView();
        const std::size_t count = std::min<std::size_t>(wParam, document.size());
        char* out = resolve(RemoteAddress(lParam), count + 1, "SCI_GETTEXT buffer");
        if (!out)
            return 0;
        std::memcpy(out, document.data(), count);
        out[count] = '\0';
        return std::intptr_t(count);
    }
    case sci::kGetTextRange:
        return getTextRange(lParam);
    case sci::kSetSel:
        setSelection(static_cast<std::intptr_t>(wParam), lParam);
        return 0;
    case sci::kReplaceSel: {
        if (lParam == 0 || readOnly_)
            return 0;
        std::string text;
        if (!resolveString(RemoteAddress(lParam), text, "SCI_REPLACESEL text"))
            return 0;
        const long long start = std::min(caret_, anchor_);
        const long long end = std::max(caret_, anchor_);
        ownDocument().erase(std::size_t(start), std::size_t(end - start));
        insertBytes(start, text);
        setEmptySelection(start + static_cast<long long>(text.size()));
        return 0;
    }
    case sci::kInsertText: {
        if (lParam == 0 || readOnly_)
            return 0;
        std::string text;
        if (!resolveString(RemoteAddress(lParam), text, "SCI_INSERTTEXT text"))
            return 0;
        long long position = static_cast<std::intptr_t>(wParam);
        if (position == -1)
            position = caret_;
        long long caret = caret_;
        if (!insertBytes(position, text))
            return 0;
        if (caret > position)
            caret += static_cast<long long>(text.size());
        setEmptySelection(caret);
        return 0;
    }
    case sci::kSetEmptySelection:
        setEmptySelection(static_cast<std::intptr_t>(wParam));
        return 0;
    default:
        fault("message the simulation doesn't know: " + std::to_string(message));
        return 0;
    }
}

} // namespace glossa
