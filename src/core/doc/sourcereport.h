// SPDX-License-Identifier: MIT
#pragma once

#include "comment/commentblockreader.h"
#include "comment/commentcontext.h"
#include "comment/procedureheader.h"
#include "comment/suppressioncomment.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace glossa {

// A place in a source: line and column from 1. The column counts bytes; the places reported
// (a header's keyword, a block field's opening tag) only ever have blanks, tabs and ";" before
// them on their line, so it is also the column in characters and in UTF-16 code units.
struct SourcePlace {
    int line = 0;
    int column = 0;
};

// A "; glossa-ignore" comment that speaks for a procedure, and where it stands: the comment's
// ";" on a line of its own, the header's keyword for one after the header's code.
struct SuppressionNote {
    SourcePlace place;
    SuppressionComment comment;
};

// One procedure of a source and what its comment block says, as the editor window would
// load it. Fields are tagged text ("<br>" for line breaks).
struct ProcedureReport {
    ProcedureHeader header;
    QString name;   // the procedure's name, without keyword and type
    int line = 0;   // of the header, from 1
    int column = 0; // of the header's keyword, from 1
    bool documented = false;
    // Documented by a plain comment above the header (its text is the summary), not a block.
    bool plainComment = false;
    SourcePlace blockPlace;               // ";<comment>"
    SourcePlace summaryPlace;             // "<summary>"; the block's when it has none
    QList<SourcePlace> descriptionPlaces; // "<param>" of each description, by position
    SourcePlace resultPlace;              // "<return>"; line 0 when the block has none
    QString summary;
    QStringList parameterNames;        // from the header
    QStringList parameterDescriptions; // one per parameter, by position
    int parameterLines = 0;            // "<param>" lines in the block
    QString result;
    QString example;
    // Without a block: one above that isn't the header's, and the line (from 1) of its closing
    // line (detached) or opening line (unclosed).
    LooseBlock looseBlock;
    int looseLine = 0;
    // On the header's lines after the code, on the lines between its block and the header, and
    // directly above the block (or above the header when it has none).
    QList<SuppressionNote> suppressions;
};

// Every procedure of a source's text, in order, each with the block directly above it.
QList<ProcedureReport> reportSource(const QString& text, const CommentContext& context);

// What the check looks for. The ids are part of the command line and of the check's output:
// they never change.
enum class CheckRule {
    MissingComment,  // no block above the procedure
    ParamCount,      // a "<param>" count other than the parameter count
    ParamRenamed,    // a description whose leading bold name names another parameter
    Placeholder,     // a description still holding "{description}"
    EmptySummary,    // a block without summary text
    DefaultSummary,  // the summary is still the header text that a new block starts with
    DetachedComment, // a block above the procedure, cut off from it by other lines
    UnclosedComment, // a block above the procedure without its closing line
    EmptyParam,      // a "<param>" saying nothing but the parameter's bold name
    MissingReturn,   // a procedure that returns a value, without "<return>" text
    BrokenLink,      // a "name()" mention of no procedure the export can link, nor a built-in
    UnknownRule,     // a "; glossa-ignore:" comment naming no rule
    PlainComment,    // plain comment lines above the procedure instead of a block
    // The source's text can't be read (UTF-16): an error, which no option turns off.
    UnreadableSource,
};
inline constexpr int kCheckRuleCount = 14;

QString checkRuleId(CheckRule rule);          // "missing-comment", ...
QString checkRuleDescription(CheckRule rule); // one sentence
// Whether a finding of the rule is an error (the run exits 2), not a warning.
inline bool isErrorRule(CheckRule rule) {
    return rule == CheckRule::UnreadableSource;
}
// The rule of an id (letter case ignored); false when there is none.
bool checkRuleById(QStringView id, CheckRule* rule);
// The rules an id on the command line stands for: the rule, and for missing-comment also the
// rules that say why a block is missing (plain, detached or unclosed comments).
QList<CheckRule> rulesNamedBy(CheckRule rule);

// A problem of one procedure's comment.
struct Finding {
    Finding() = default;
    Finding(SourcePlace where, CheckRule which, QString procedure, QString text,
            QString parameterName = {})
        : place(where), rule(which), name(std::move(procedure)), message(std::move(text)),
          parameter(std::move(parameterName)) {}

    SourcePlace place;
    CheckRule rule = CheckRule::MissingComment;
    QString name; // the procedure's; empty for a finding about the whole source
    QString message;
    // What tells the finding apart when lines move (see FindingKey): the parameter whose
    // description it is about (its bare name), and the procedure's module, which only the
    // run that needs the key fills in.
    QString parameter;
    QString module;
};

// The problems of a procedure's comment, by every rule, in the order of their places, without
// those its suppressions silence.
QList<Finding> checkProcedure(const ProcedureReport& procedure);

// Whether the procedure's "; glossa-ignore" comments silence the rule. An error's rule is never
// silenced, nor unknown-rule (a mistyped id must not hide itself).
bool isSuppressed(const ProcedureReport& procedure, CheckRule rule);

// The procedure's name in a header text ("Procedure.s Foo(a)" gives "Foo").
QString procedureName(const QString& headerText);

} // namespace glossa
