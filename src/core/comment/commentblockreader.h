// SPDX-License-Identifier: MIT
#pragma once

#include "comment/commentcontext.h"
#include "comment/procedureheader.h"

#include <QList>
#include <QString>
#include <QStringList>

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
// closing line's own line end (suppression lines there are passed over and not counted, see
// isSuppressionLine); it starts at the nearest opening line (";<comment>") above, and every
// line between is a comment line or empty. Opening and closing lines start a
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
BlockReach blockAboveHeader(QStringView text, qsizetype headerStart, const CommentContext& context);

// A block above a header that FindCommentBlock doesn't take: one cut off from the header by
// plain comment lines (not suppression lines) or by more blank lines than it allows (detached),
// or one whose opening line has only comment and empty lines below it down to the header
// (unclosed).
struct LooseBlock {
    enum class Kind { None, Detached, Unclosed };
    Kind kind = Kind::None;
    qsizetype lineStart = -1; // of the closing line (detached) or the opening line (unclosed)
    int commentLines = 0;     // between a detached block and the header
    int blankLines = 0;
};
LooseBlock findLooseBlock(QStringView text, qsizetype headerStart);

// The fields the editor window shows.
enum class FieldTag { Summary, Param, Return, Example };

// One line of a block text: [start, end) without its line end, which runs to next.
struct BlockLine {
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype next = 0;
};

// One field of a block: the lines it covers and what it reads as.
struct BlockField {
    FieldTag tag = FieldTag::Summary;
    int firstLine = 0;
    int lastLine = 0;
    // Line feeds for line breaks (also "<br>"), blanks trimmed at both ends.
    QString text;
    // Where its content stands in the block text: from after its opening tag (on firstLine) up
    // to its closing tag (on lastLine).
    qsizetype contentStart = 0;
    qsizetype contentEnd = 0;
};

// A block text cut into lines and fields. A field line starts, after blanks or tabs, with ";",
// optional blanks or tabs and the field's opening tag; the field ends at its closing tag on the
// same line (the last one there) or on a later line before the next field line. tags later on
// a field line are text of that line. Every other line (the opening and closing lines, plain
// comments, tags without a field) is no field's.
struct BlockParts {
    QList<BlockLine> lines;
    QList<BlockField> fields; // in block order
    // The n-th (from 1) field with that tag, or nullptr.
    const BlockField* find(FieldTag tag, int n) const;
    // How many fields with that tag the block holds.
    int count(FieldTag tag) const;
};
BlockParts splitBlock(QStringView blockText);

// What a block says, field by field (line feeds for line breaks): the first summary, return
// and example fields, the first parameterCount "<param>" fields by position (empty where the
// block has fewer), and how many "<param>" fields it has in all.
struct BlockFields {
    QString summary;
    QStringList descriptions;
    QString result;
    QString example;
    int parameterLines = 0;
};
BlockFields readBlockFields(const QString& blockText, qsizetype parameterCount);

// The tag's name as the block writes it ("summary", "param", "return", "example").
QString fieldTagName(FieldTag tag);

// The n-th (from 1) field with that tag in the block text (see splitBlock), without its tags,
// without blanks at either end, line feeds for its line breaks and its "<br>"; empty when
// there are fewer than n such fields or the tag is none of the four.
QString ReadField(const QString& blockText, const QString& tagName, int n);

} // namespace glossa
