// SPDX-License-Identifier: MIT
#pragma once

#include "ide/docencoding.h"

#include <QString>

#include <memory>

namespace glossa {

// The run's values that the comment model reads: where the text read starts in the document,
// the caret, the header filter, the document's encoding and its line-end sequence. All
// positions are byte positions in the IDE's document.
struct CommentContext {
    int WindowStart = 0;
    int CaretPos = 0;
    int SearchMode = 0;
    glossa::DocEncoding DocEncoding = glossa::DocEncoding::Utf8;
    QString LineEnd = QStringLiteral("\r\n");
    // False when the text read begins in the middle of a document line (a search window), so
    // its first characters start no header and no block line.
    bool windowAtLineStart = true;
    // The bytes the text read was decoded from. When set, text positions map to document
    // bytes through them; when not, through the text's encoded length (exact for text that
    // decodes without replacement characters).
    std::shared_ptr<const DecodedText> read;
};

// Document byte position of the character at index in the text read.
inline qint64 documentPosition(const CommentContext& context, QStringView text, qsizetype index) {
    if (context.read)
        return context.WindowStart + context.read->byteIndex(index);
    return context.WindowStart + EncodedLength(text.first(index), context.DocEncoding);
}

// The document bytes of piece, the part of the text read that starts at index from; without
// Read, the encoding of piece.
inline QByteArray documentBytes(const CommentContext& context, qsizetype from, QStringView piece) {
    if (context.read) {
        const qsizetype start = context.read->byteIndex(from);
        return context.read->bytes().mid(start,
                                         context.read->byteIndex(from + piece.size()) - start);
    }
    return encodeText(piece, context.DocEncoding);
}

} // namespace glossa
