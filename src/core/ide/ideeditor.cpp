// SPDX-License-Identifier: MIT
#include "ide/ideeditor.h"

#include "bridgeoperations.h"
#include "comment/procedureheader.h"
#include "log/logging.h"

#include <algorithm>

#include <new>
#include <string_view>
#include <utility>

namespace glossa {

namespace {

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), std::size_t(bytes.size())};
}

} // namespace

IdeEditor::IdeEditor(ScintillaTarget& target) : target_(&target) {}

IdeEditor::IdeEditor(std::unique_ptr<ScintillaTarget> target)
    : owned_(std::move(target)), target_(owned_.get()) {}

IdeEditor::~IdeEditor() = default;

DocEncoding IdeEditor::codePage() {
    const int codePage = queryCodePage(*target_);
    qCDebug(lcBridge) << "the editor's code page:" << codePage;
    return encodingForCodePage(codePage);
}

int IdeEditor::caretPosition() {
    return queryCaretPosition(*target_);
}

int IdeEditor::eolMode() {
    return queryEolMode(*target_);
}

QString IdeEditor::lineEndForMode(int eolMode) {
    switch (eolMode) {
    case sci::kEolCr:
        return QStringLiteral("\r");
    case sci::kEolLf:
        return QStringLiteral("\n");
    default:
        return QStringLiteral("\r\n");
    }
}

void IdeEditor::setKnownDocument(std::shared_ptr<const DecodedText> decoded, qsizetype documentSize,
                                 DocEncoding encoding) {
    known_ = {std::move(decoded), documentSize, encoding};
}

QString IdeEditor::ReadDocumentText(int size, int caretPos, int searchRange) {
    const Known known = std::exchange(known_, {});
    if (known.decoded && searchRange <= 0 && size > 1 && known.size == qsizetype(size) - 1 &&
        known.encoding == encoding_) {
        windowStart_ = 0;
        windowAtLineStart_ = true;
        decoded_ = known.decoded;
        return decoded_->text();
    }
    // Read into the buffer the decoded text keeps, so the document is copied out only once.
    QByteArray bytes;
    try {
        bytes = QByteArray(qMax(size, 0), Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        bytes.clear();
    }
    const std::size_t n = bytes.isEmpty()
                              ? 0
                              : glossa::readDocumentTextInto(*target_, bytes.data(), size, caretPos,
                                                             searchRange, windowStart_);
    if (bytes.isEmpty())
        windowStart_ = 0;
    bytes.truncate(qsizetype(n));
    windowAtLineStart_ = true;
    if (windowStart_ > 0) {
        // A window that begins inside a character starts at the next one.
        qsizetype skip = 0;
        if (encoding_ == DocEncoding::Utf8) {
            while (skip < 3 && skip < bytes.size() &&
                   (static_cast<unsigned char>(bytes[skip]) & 0xC0) == 0x80)
                ++skip;
        }
        bytes.remove(0, skip);
        windowStart_ += int(skip);
        // A line starts after LF, CR LF or CR; the LF of a pair starts none.
        const QByteArray previous = readRange(windowStart_ - 1, windowStart_);
        windowAtLineStart_ =
            previous == "\n" || (previous == "\r" && !(bytes.size() > 0 && bytes[0] == '\n'));
    }
    decoded_ = std::make_shared<const DecodedText>(std::move(bytes), encoding_);
    return decoded_->text();
}

QString IdeEditor::readTextForChoice(int length, int searchRange, CommentContext& context) {
    qint64 range = searchRange;
    for (;;) {
        QString text = ReadDocumentText(length + 1, context.CaretPos, int(range));
        context.WindowStart = windowStart_;
        context.windowAtLineStart = windowAtLineStart_;
        context.read = decoded_;
        if (range <= 0 || range >= length)
            return text;
        const bool reachesEnd = windowStart_ + decoded_->bytes().size() >= length;
        if (!searchWindowCutsChoice(text, context, reachesEnd))
            return text;
        range = std::min<qint64>(range * 2, length);
        qCDebug(lcFile) << "the search window cuts the procedure or its block: read again" << range
                        << "bytes on each side of the caret";
    }
}

int IdeEditor::length() {
    return queryLength(*target_);
}

bool IdeEditor::readOnly() {
    return queryReadOnly(*target_);
}

QByteArray IdeEditor::readRange(int start, int end) {
    const std::string bytes = glossa::readRange(*target_, start, end);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

bool IdeEditor::ReplaceRange(int start, int end, const QByteArray& encoded) {
    known_ = {};
    return glossa::ReplaceRange(*target_, start, end, view(encoded));
}

bool IdeEditor::InsertAtPosition(int position, const QByteArray& encoded) {
    known_ = {};
    return glossa::InsertAtPosition(*target_, position, view(encoded));
}

void IdeEditor::PlaceCaret(int position) {
    glossa::PlaceCaret(*target_, position);
}

} // namespace glossa
