#include "ide/ideeditor.h"

#include "bridgeoperations.h"

#include <string_view>

namespace glossa {

namespace {

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), std::size_t(bytes.size())};
}

} // namespace

IdeEditor::IdeEditor(ScintillaTarget& target) : target_(&target) {}

IdeEditor::IdeEditor(std::unique_ptr<ScintillaTarget> target)
    : owned_(std::move(target)), target_(owned_.get()) {}

IdeEditor::~IdeEditor() = default;

DocEncoding IdeEditor::CodePage() {
    return EncodingForCodePage(QueryCodePage(*target_));
}

int IdeEditor::CaretPosition() {
    return QueryCaretPosition(*target_);
}

int IdeEditor::EolMode() {
    return QueryEolMode(*target_);
}

QString IdeEditor::LineEndForMode(int eolMode) {
    switch (eolMode) {
    case sci::kEolCr:
        return QStringLiteral("\r");
    case sci::kEolLf:
        return QStringLiteral("\n");
    default:
        return QStringLiteral("\r\n");
    }
}

QString IdeEditor::ReadDocumentText(int size, int caretPos, int searchRange) {
    const std::string bytes =
        glossa::ReadDocumentText(*target_, size, caretPos, searchRange, windowStart_);
    QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    windowAtLineStart_ = true;
    if (windowStart_ > 0) {
        // A window that begins inside a character starts at the next one.
        qsizetype skip = 0;
        if (encoding_ == DocEncoding::Utf8) {
            while (skip < 3 && skip < view.size() &&
                   (static_cast<unsigned char>(view[skip]) & 0xC0) == 0x80)
                ++skip;
        }
        view = view.sliced(skip);
        windowStart_ += int(skip);
        const QByteArray previous = ReadRange(windowStart_ - 1, windowStart_);
        // "^" follows line feeds only, as for the lines inside the text.
        windowAtLineStart_ = previous == "\n";
    }
    decoded_ = std::make_shared<const DecodedText>(view, encoding_);
    return decoded_->Text();
}

int IdeEditor::Length() {
    return QueryLength(*target_);
}

bool IdeEditor::ReadOnly() {
    return QueryReadOnly(*target_);
}

QByteArray IdeEditor::ReadRange(int start, int end) {
    const std::string bytes = glossa::ReadRange(*target_, start, end);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

bool IdeEditor::ReplaceRange(int start, int end, const QByteArray& encoded) {
    return glossa::ReplaceRange(*target_, start, end, View(encoded));
}

bool IdeEditor::InsertAtPosition(int position, const QByteArray& encoded) {
    return glossa::InsertAtPosition(*target_, position, View(encoded));
}

void IdeEditor::PlaceCaret(int position) {
    glossa::PlaceCaret(*target_, position);
}

} // namespace glossa
