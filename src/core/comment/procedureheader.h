// SPDX-License-Identifier: MIT
#pragma once

#include "comment/commentcontext.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace glossa {

// The procedure header chosen in the text read.
struct ProcedureHeader {
    // The header as written: leading blanks and tabs, keyword, return type, name, parameter list
    // (with its line breaks and comments when it is continued over several lines).
    QString headerText;
    // What stands on the header's line before headerText: empty, or the statements before a
    // header that follows a ":" separator, with the line's indentation.
    QString linePrefix;
    // Index (from 0) of the header line's first character in the text read.
    int startCharacter = 0;
    // Byte position of the header line's start in the document.
    int startOffset = 0;
    // The line end that stands before the header in the text read ("\r\n" or "\n"); empty
    // when the header is the first thing of the text read.
    QString lineEndBefore;

    // Position counted from 1 in the text read.
    int position() const { return startCharacter + 1; }
};

// One parameter: its name as the header writes it (no default value) and its description as
// tagged text.
struct ParameterEntry {
    QString name;
    QString description;

    friend bool operator==(const ParameterEntry&, const ParameterEntry&) = default;
};

using ParameterList = QList<ParameterEntry>;

// Chooses the procedure the caret is meant for. With SearchMode 0: the procedure the caret is
// in (on its header lines, in its body or on its EndProcedure line; a procedure without
// EndProcedure ends at the next header), else the one whose comment block directly above its
// header holds the caret, else the nearest header. Otherwise the header nearest the caret
// among the headers that SearchMode accepts (1 starting before the caret, 2 starting at or
// after it, other values none); distances count characters of the text. Ties keep the earlier
// header. A header line is the line's leading
// blanks and tabs, an optional "Runtime", the keyword (Procedure, ProcedureC, ProcedureDLL,
// ProcedureCDLL in any case), an optional return type, the name and the parameter list through the
// ")" that matches its "("; the list may run over several lines after a line ending in ",", "|",
// "+", Or, And or Xor (a comment may follow). A header starts a line's statement or one after a
// ":" separator; inside a macro its name may hold "#". An EndProcedure statement on the header's
// last line ends the procedure there. A line that
// begins like a header but can't be read as one takes part in the choice too and gives nothing when
// chosen, and so does a caret on such a line or in its body up to its EndProcedure: another
// procedure is never taken in its place. Nothing when no header is accepted.
std::optional<ProcedureHeader> FindProcedure(const QString& text, const CommentContext& context);

// Whether the text read (a search window) may hold too little to choose as the whole document
// would: it begins after the document's start and the caret may be in a procedure whose
// header lies before it, or the chosen header's comment block may begin before it; or, with
// reachesEnd false (the document goes on after the text), the caret is in comment lines that
// run to the text's end, so a block of a header after it may hold the caret, or the header
// chosen can't be read and the text's end may have cut it; or, where the choice is the nearest
// header, one outside the text could be as near or nearer (or none was found in it).
bool searchWindowCutsChoice(const QString& text, const CommentContext& context, bool reachesEnd);

// Every header of the text, in order, as FindProcedure would record each (header text, start
// character, start offset, lineEndBefore).
QList<ProcedureHeader> findAllProcedures(const QString& text, const CommentContext& context);

// A header text as one line: each line break with the indentation after it becomes one blank;
// a comment after a continued line goes, with the blanks before it.
QString headerOnOneLine(const QString& headerText);

// The parameter names of a header text, in order: split at the commas outside parentheses and
// outside string literals up to the parenthesis that closes the list; each piece without its
// default value and without surrounding blanks. Empty pieces give no name; a piece of blanks
// gives an empty name. A list over several lines is read as its one-line form.
QStringList SplitParameters(const QString& headerText);
// The parameter list's pieces as written between the commas outside nested parentheses and
// literals (blanks, types and defaults included); empty when the header has no list.
QStringList parameterPieces(const QString& headerText);

// One entry per name of SplitParameters, with empty descriptions.
ParameterList makeParameterList(const QString& headerText);

} // namespace glossa
