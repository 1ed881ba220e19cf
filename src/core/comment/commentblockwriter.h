// SPDX-License-Identifier: MIT
#pragma once

#include "comment/commentblockreader.h"
#include "comment/commentcontext.h"
#include "comment/procedureheader.h"
#include "ide/idedocument.h"

#include <QString>
#include <QStringList>

namespace glossa {

// The new block text: opening line, summary, one line per description in order, return,
// example, closing line without a line end. Nothing is trimmed or escaped.
QString BuildCommentBlock(const QString& summaryTags, const QStringList& descriptions,
                          const QString& resultTags, const QString& exampleTags,
                          const QString& lineEnd);

// What Apply writes into each field: its tagged text, and whether the field was left as it
// was loaded (then the old block's text of it is written back exactly as it stood).
struct ApplyFields {
    QString summary;
    bool summaryUntouched = false;
    QStringList descriptions; // one per parameter, in order
    QList<bool> descriptionsUntouched;
    QString result;
    bool resultUntouched = false;
    QString example;
    bool exampleUntouched = false;
    // Per row, the old block's "<param>" field (from 0) whose content it shows, -1 for none;
    // empty: by position. An untouched row's content is that field's content as it stood, its
    // leading bold name replaced by the row's renamedTo when that is not empty.
    QList<int> descriptionFrom;
    QStringList renamedTo;
    // "<param>" fields that no row shows: kept as they stood (after the last parameter's line
    // when their place is another row's), or left out.
    bool keepExtraDescriptions = true;
    // Blanks and tabs before each line of a new block, and before a field added right after an
    // old block's opening line (other added fields are indented like the line above them).
    QString indentation;
};

// The new block in the document's encoding. Without a block it is BuildCommentBlock's text.
// With one, it is the old block's bytes with only these changes: an edited field's content,
// between its own tags, is the new text (a field over several lines then stands on one line,
// the text around its tags kept); extra descriptions go when not kept; a field the old block
// lacks is added, where the format puts it, only when it has content (descriptions up to the
// last one given, as they go by position). untouched fields, tag case, indentation, text after
// a closing tag, plain comments and the opening and closing lines stay as written.
QByteArray buildBlockBytes(const ApplyFields& fields, const ExistingBlock& block,
                           const CommentContext& context);

// The block with indentation (blanks and tabs) before each of its lines that starts with ";",
// the first line included only when indentFirstLine is set (a replaced block's first line
// keeps the indentation that stands before it in the document). Lines are split at lineEnd.
QString indentCommentBlock(const QString& block, const QString& indentation, const QString& lineEnd,
                           bool indentFirstLine);

// The blanks and tabs from the start of the line that holds index up to index; empty when
// anything else stands there.
QString indentationBefore(QStringView text, qsizetype index);

// The blanks and tabs that line starts with.
QString leadingIndentation(QStringView line);

// The line end new lines take: the one that ends the header's (first) line, so a source with
// mixed line ends gets the header's; when that line has none, the one before the header, or
// fallback.
QString lineEndOfHeaderLine(QStringView text, const ProcedureHeader& header,
                            const QString& fallback);

// How a write ended.
enum class WriteStatus {
    Written,       // the document took the block, the caret was placed
    Unchanged,     // the new block is the old one byte for byte; nothing was sent
    WriteFailed,   // the document refused the text; nothing more was sent
    SourceChanged, // the document no longer holds what was read at start-up; nothing was sent
    ReadOnly,      // the editor is read-only; nothing was sent
    NotAccepted,   // the editor took the messages but does not hold the new block afterwards
};

// What the user is told when a write ended other than Written: what happened, and that the
// typed text is still in the window.
QString writeStatusText(WriteStatus status);

struct WriteOutcome {
    WriteStatus status = WriteStatus::WriteFailed;
    // The caret after the write (the old CaretPos unless Written).
    int caretPos = 0;
};

// Writes the new block into the document: in place of the present block (the blank lines
// after it stay) or, without one, above the header line. A block that is the old one byte for
// byte is not written at all, and the caret stays. First checks that
// the document still holds the old block (or the header line) at the recorded positions and
// is not read-only; afterwards reads the written bytes back.
WriteOutcome WriteCommentBlock(IdeDocument& document, const QByteArray& newBlock,
                               const ProcedureHeader& header, const ExistingBlock& block,
                               const CommentContext& context);
// The same for a block text, encoded in the document's encoding.
WriteOutcome WriteCommentBlock(IdeDocument& document, const QString& newBlock,
                               const ProcedureHeader& header, const ExistingBlock& block,
                               const CommentContext& context);

} // namespace glossa
