#pragma once

#include "comment/commentcontext.h"
#include "comment/procedureheader.h"

#include <QString>

namespace glossa {

// The comment block found directly above the header.
struct ExistingBlock {
    // From ";<comment>" through ";</comment" and its ">" when present; empty when absent.
    QString blockText;
    // Index (from 0) of the block's first character in the text read; 0 when absent.
    int startCharacter = 0;
    // Byte position of the block's first character in the document; 0 when absent.
    int startOffset = 0;
    // The text between the block's end and the header's start (blank lines and the line end
    // before the header).
    QString textToHeader;
    // True when a block was accepted, also one at the very first character of the text read.
    bool present = false;

    // Position counted from 1 in the text read, -1 when absent.
    int position() const { return present ? startCharacter + 1 : -1; }
};

// Finds the block directly above the header: its closing line (";</comment>", the ">" may be
// missing) is followed by nothing but blanks and line ends, at most 10 bytes after the
// closing line's own line end; it starts at the nearest opening line (";<comment>") above,
// and every line between is a comment line or empty. Opening and closing lines start a
// document line, after blanks or tabs. Anything else: no block.
ExistingBlock FindCommentBlock(const QString& text, const ProcedureHeader& header,
                               const CommentContext& context);

// The block above the header that starts at headerStart (a line start in the text read), found
// by the same rules from the lines alone: the start of its opening line, or -1. cutByTextStart
// is true when the text read begins after the document's start and the lines above the header
// reach its first line without deciding whether a block stands there.
struct BlockReach {
    qsizetype openingLine = -1;
    bool cutByTextStart = false;
};
BlockReach BlockAboveHeader(QStringView text, qsizetype headerStart, const CommentContext& context);

// The n-th (from 1) field with that tag in the block text, without its tags, without blanks at
// either end, "<br>" turned into line feeds; empty when there are fewer than n such fields.
QString ReadField(const QString& blockText, const QString& tagName, int n);

} // namespace glossa
