#pragma once

#include "comment/commentcontext.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>

namespace glossa {

// The procedure header chosen in the text read.
struct ProcedureHeader {
    // The whole match: leading blanks and tabs, keyword, suffix, name, parameter list.
    QString headerText;
    // Index (from 0) of the header's first character in the text read.
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

// The procedure header pattern, compiled once: case-insensitive, "^" at the text's start and
// after each line feed, "\w" ASCII only.
const QRegularExpression& ProcedurePattern();

// Chooses the header nearest the caret among the pattern's matches that SearchMode accepts
// (0 all, 1 starting before the caret, 2 starting at or after it, other values none); ties
// keep the earlier match. Nothing when no header is accepted.
std::optional<ProcedureHeader> FindProcedure(const QString& text, const CommentContext& context);

// Every header of the text, in order, as FindProcedure would record each (header text, start
// character, start offset, lineEndBefore).
QList<ProcedureHeader> FindAllProcedures(const QString& text, const CommentContext& context);

// The parameter names of a header text, in order: split at the commas outside parentheses up
// to the parenthesis that closes the list; each piece without its default value and without
// surrounding blanks. Empty pieces give no name; a piece of blanks gives an empty name.
QStringList SplitParameters(const QString& headerText);

// One entry per name of SplitParameters, with empty descriptions.
ParameterList MakeParameterList(const QString& headerText);

} // namespace glossa
