// SPDX-License-Identifier: MIT
#include "qscitarget.h"

#include "bridgeoperations.h"

#include <Qsci/qsciscintillabase.h>

#include <algorithm>
#include <cstring>

namespace glossa {

QsciTarget::QsciTarget(int pointerWidth)
    : editor_(std::make_unique<QsciScintillaBase>()), pointerWidth_(pointerWidth) {
    editor_->SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0UL, 0L);
}

QsciTarget::~QsciTarget() = default;

void QsciTarget::setDocument(const std::string& bytes) {
    editor_->SendScintilla(QsciScintillaBase::SCI_CLEARALL, 0UL, 0L);
    editor_->SendScintilla(QsciScintillaBase::SCI_ADDTEXT, static_cast<unsigned long>(bytes.size()),
                           const_cast<char*>(bytes.data()));
    editor_->SendScintilla(QsciScintillaBase::SCI_SETEMPTYSELECTION, 0UL, 0L);
}

void QsciTarget::setCodePage(int codePage) {
    editor_->SendScintilla(QsciScintillaBase::SCI_SETCODEPAGE, static_cast<unsigned long>(codePage),
                           0L);
}

void QsciTarget::setEolMode(int eolMode) {
    editor_->SendScintilla(QsciScintillaBase::SCI_SETEOLMODE, static_cast<unsigned long>(eolMode),
                           0L);
}

void QsciTarget::setSelection(long long anchor, long long caret) {
    editor_->SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(anchor),
                           static_cast<long>(caret));
}

std::string QsciTarget::document() const {
    const long length = editor_->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const auto* data = static_cast<const char*>(
        editor_->SendScintillaPtrResult(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return std::string(data, std::size_t(length));
}

long long QsciTarget::caret() const {
    return editor_->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
}

long long QsciTarget::anchor() const {
    return editor_->SendScintilla(QsciScintillaBase::SCI_GETANCHOR);
}

RemoteAddress QsciTarget::reserve(std::size_t size) {
    if (size == 0)
        return 0;
    const RemoteAddress address = nextAddress_;
    blocks_.emplace(address, std::vector<char>(size, '\0'));
    nextAddress_ += ((size + 0xFFF) / 0x1000 + 1) * 0x1000;
    return address;
}

void QsciTarget::free(RemoteAddress address) {
    if (blocks_.erase(address) == 0)
        ++faults_;
}

char* QsciTarget::resolve(RemoteAddress address, std::size_t size) {
    auto it = blocks_.upper_bound(address);
    if (it != blocks_.begin()) {
        --it;
        const RemoteAddress offset = address - it->first;
        if (offset <= it->second.size() && size <= it->second.size() - offset)
            return it->second.data() + offset;
    }
    ++faults_;
    return nullptr;
}

bool QsciTarget::hasTerminator(RemoteAddress address) {
    auto it = blocks_.upper_bound(address);
    if (it == blocks_.begin())
        return false;
    --it;
    const RemoteAddress offset = address - it->first;
    return offset < it->second.size() && std::find(it->second.begin() + std::ptrdiff_t(offset),
                                                   it->second.end(), '\0') != it->second.end();
}

bool QsciTarget::write(RemoteAddress address, const void* data, std::size_t size) {
    char* out = resolve(address, size);
    if (!out)
        return false;
    std::memcpy(out, data, size);
    return true;
}

bool QsciTarget::read(RemoteAddress address, void* data, std::size_t size) {
    const char* in = resolve(address, size);
    if (!in)
        return false;
    std::memcpy(data, in, size);
    return true;
}

std::intptr_t QsciTarget::send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case sci::kGetText: {
        // QScintilla carries Scintilla 3, which takes the buffer size and pads it with zeros;
        // the IDE's Scintilla 5 takes the length and writes only the bytes and a terminator.
        // Asking Scintilla 3 for no more than the document gives Scintilla 5's answer.
        const long length = editor_->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        if (lParam == 0)
            return length;
        const unsigned long count =
            std::min<unsigned long>(wParam, static_cast<unsigned long>(length));
        char* out = resolve(RemoteAddress(lParam), count + 1);
        if (!out)
            return 0;
        return editor_->SendScintilla(message, count + 1, static_cast<void*>(out));
    }
    case sci::kGetTextRange: {
        const std::size_t recordSize = textRangeRecordSize(pointerWidth_);
        const char* record = resolve(RemoteAddress(lParam), recordSize);
        if (!record)
            return 0;
        const TextRangeFields fields = parseTextRangeRecord(record, pointerWidth_);
        const long first = fields.first;
        long last = fields.last;
        const RemoteAddress text = fields.text;
        const long length = editor_->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        const long end = last == -1 ? length : last;
        // Scintilla writes out of bounds for these; refuse to send them to a real one.
        if (first < 0 || end > length || end < first) {
            ++faults_;
            return 0;
        }
        char* out = resolve(text, std::size_t(end - first) + 1);
        if (!out)
            return 0;
        return editor_->SendScintilla(message, first, last, out);
    }
    case sci::kReplaceSel:
    case sci::kInsertText: {
        if (!hasTerminator(RemoteAddress(lParam))) {
            ++faults_;
            return 0;
        }
        char* text = resolve(RemoteAddress(lParam), 1);
        return editor_->SendScintilla(message, static_cast<unsigned long>(wParam),
                                      static_cast<void*>(text));
    }
    default:
        return editor_->SendScintilla(message, static_cast<unsigned long>(wParam),
                                      static_cast<long>(lParam));
    }
}

} // namespace glossa
