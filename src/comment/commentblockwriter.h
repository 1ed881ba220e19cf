#pragma once

#include "comment/commentcontext.h"
#include "comment/existingblock.h"
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

// The block with indentation (blanks and tabs) before each of its lines that starts with ";",
// the first line included only when indentFirstLine is set (a replaced block's first line
// keeps the indentation that stands before it in the document). Lines are split at lineEnd.
QString IndentCommentBlock(const QString& block, const QString& indentation, const QString& lineEnd,
                           bool indentFirstLine);

// The blanks and tabs from the start of the line that holds index up to index; empty when
// anything else stands there.
QString IndentationBefore(QStringView text, qsizetype index);

// The blanks and tabs that line starts with.
QString LeadingIndentation(QStringView line);

// How a write ended.
enum class WriteStatus {
    Written,       // the document took the block, the caret was placed
    WriteFailed,   // the document refused the text; nothing more was sent
    SourceChanged, // the document no longer holds what was read at start-up; nothing was sent
    ReadOnly,      // the editor is read-only; nothing was sent
    NotAccepted,   // the editor took the messages but does not hold the new block afterwards
};

struct WriteOutcome {
    WriteStatus status = WriteStatus::WriteFailed;
    // The caret after the write (the old CaretPos unless Written).
    int caretPos = 0;
};

// Writes the new block into the document: in place of the present block (from its start up to
// the line end before the header) or, without one, above the header line. First checks that
// the document still holds the old block (or the header line) at the recorded positions and
// is not read-only; afterwards reads the written bytes back.
WriteOutcome WriteCommentBlock(IdeDocument& document, const QString& newBlock,
                               const ProcedureHeader& header, const ExistingBlock& block,
                               const CommentContext& context);

} // namespace glossa
