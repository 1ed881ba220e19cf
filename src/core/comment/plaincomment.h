// SPDX-License-Identifier: MIT
#pragma once

#include "comment/commentblockreader.h"
#include "comment/commentcontext.h"
#include "comment/procedureheader.h"

#include <QList>
#include <QString>

namespace glossa {

// The comment lines an author wrote directly above a header instead of a block: read as the
// procedure's summary, and replaced by the block on Apply.
struct PlainComment {
    bool present = false;
    // One line per comment line, without its indentation, its ";" and the one blank after it;
    // joined with line feeds.
    QString text;
    // The lines it covers as a block to be replaced (what WriteCommentBlock replaces): from the
    // first line's start, indentation included, to the end of the last line; the last line end
    // is textToHeader.
    ExistingBlock lines;
    // Lines inside that range that are not part of it (the check's suppression lines), each
    // with its line end: they stay, in their order, above the block that replaces the range.
    QList<qsizetype> keptLineStarts;
    QStringList keptLines;
};

// The run of comment lines directly above the header: no empty line between it and the
// header or inside it, and no comment block above the header (neither one that
// FindCommentBlock takes nor a detached or unclosed one). A marker line (";-"), a fold mark
// (";{", ";}"), a line of punctuation only ("; -----"), a block's opening or closing line and
// the IDE's settings block ("; IDE Options = ..." and its "; Key = Value" lines) end the run;
// suppression lines ("; glossa-ignore ...") are skipped. Empty comment lines at the run's top
// and bottom are not part of it. Nothing when no line is left.
PlainComment findPlainComment(const QString& text, const ProcedureHeader& header,
                              const CommentContext& context);

// The bytes that replace a plain comment's lines: its kept lines as they stood, then the new
// block (newBlock, indented as its first line is to stand).
QByteArray plainCommentReplacement(const PlainComment& comment, const QByteArray& newBlock,
                                   const CommentContext& context);

} // namespace glossa
