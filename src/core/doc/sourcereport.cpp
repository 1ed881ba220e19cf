// SPDX-License-Identifier: MIT
#include "doc/sourcereport.h"

#include "comment/commentblockreader.h"
#include "comment/descriptionname.h"
#include "comment/plaincomment.h"
#include "comment/sourcescan.h"
#include "comment/trimblanks.h"
#include "doc/doclinks.h"
#include "preview/previewpage.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// Line ends (CR LF, CR or LF) in text[from, to).
int countLineEnds(const QString& text, qsizetype from, qsizetype to) {
    int lines = 0;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = text[i];
        if (c == u'\n' || (c == u'\r' && !(i + 1 < text.size() && text[i + 1] == u'\n')))
            ++lines;
    }
    return lines;
}

QString tags(QString field) {
    return field.replace(u'\n', u"<br>"_s);
}

// Column (from 1) of the first character of text that is no blank or tab.
int firstVisibleColumn(QStringView text) {
    int column = 1;
    while (column <= text.size() && (text[column - 1] == u' ' || text[column - 1] == u'\t'))
        ++column;
    return column;
}

// The place of a field's opening tag: its line starts with blanks, ";" and blanks before it.
SourcePlace fieldPlace(const QString& blockText, const BlockParts& parts, const BlockField& field,
                       const SourcePlace& block) {
    const BlockLine& line = parts.lines[field.firstLine];
    const qsizetype tag = blockText.indexOf(u'<', line.start);
    // The block's first line starts at its ";", not at the line's start.
    const int lineStartColumn = field.firstLine == 0 ? block.column : 1;
    return {block.line + field.firstLine, lineStartColumn + int(tag - line.start)};
}

// Consecutive suppression lines upwards from the line above the one starting at lineStart
// (whose number is line), into notes; passBlank also passes empty lines.
void collectSuppressionLines(QStringView text, qsizetype lineStart, int line, bool passBlank,
                             QList<SuppressionNote>& notes) {
    while (lineStart > 0) {
        const auto [start, end] = lineBefore(text, lineStart);
        const QStringView content = text.sliced(start, end - start);
        const qsizetype first = skipBlanks(content, 0);
        --line;
        if (first == content.size() && passBlank) {
            lineStart = start;
            continue;
        }
        if (!isSuppressionLine(content))
            return;
        notes.append({{line, int(first) + 1}, readSuppressionComment(content.sliced(first))});
        lineStart = start;
    }
}

// The suppressions of a procedure: see ProcedureReport::suppressions.
QList<SuppressionNote> findSuppressions(QStringView text, const ProcedureReport& report,
                                        const ExistingBlock& block) {
    QList<SuppressionNote> notes;
    const ProcedureHeader& header = report.header;
    // Each line of the header, through the end of its last line.
    const qsizetype headerEnd =
        header.startCharacter + header.linePrefix.size() + header.headerText.size();
    for (qsizetype start = header.startCharacter; start <= headerEnd && start < text.size();) {
        const qsizetype end = findLineEnd(text, start);
        const QStringView line = text.sliced(start, end - start);
        if (const qsizetype comment = commentStartInCode(line); comment >= 0) {
            if (SuppressionComment found = readSuppressionComment(line.sliced(comment));
                found.present)
                notes.append({{report.line, report.column}, found});
        }
        if (end >= text.size())
            break;
        start = afterLineEnd(text, end);
    }
    collectSuppressionLines(text, header.startCharacter, report.line, block.present, notes);
    if (block.present) {
        qsizetype opening = block.startCharacter;
        while (opening > 0 && isBlank(text[opening - 1]))
            --opening;
        collectSuppressionLines(text, opening, report.blockPlace.line, false, notes);
    }
    return notes;
}

} // namespace

QString procedureName(const QString& headerText) {
    return previewProcedureName(headerText);
}

QList<ProcedureReport> reportSource(const QString& text, const CommentContext& context) {
    QList<ProcedureReport> reports;
    const QList<ProcedureHeader> headers = findAllProcedures(text, context);
    reports.reserve(headers.size());
    int line = 1;
    qsizetype counted = 0;
    for (const ProcedureHeader& header : headers) {
        ProcedureReport report;
        report.header = header;
        report.name = procedureName(header.headerText);
        line += countLineEnds(text, counted, header.startCharacter);
        counted = header.startCharacter;
        report.line = line;
        report.column = int(header.linePrefix.size()) + firstVisibleColumn(header.headerText);
        report.parameterNames = SplitParameters(header.headerText);

        // The search reads upwards from the header only, so the whole text costs one pass.
        const ExistingBlock block = FindCommentBlock(text, header, context);
        if (block.present) {
            report.documented = true;
            const BlockFields fields =
                readBlockFields(block.blockText, report.parameterNames.size());
            report.summary = tags(fields.summary);
            for (const QString& description : fields.descriptions)
                report.parameterDescriptions.append(tags(description));
            report.parameterLines = fields.parameterLines;
            report.result = tags(fields.result);
            report.example = tags(fields.example);

            // The opening line has only blanks and tabs before its ";".
            int blanks = 0;
            while (block.startCharacter - blanks > 0 &&
                   (text[block.startCharacter - blanks - 1] == u' ' ||
                    text[block.startCharacter - blanks - 1] == u'\t'))
                ++blanks;
            report.blockPlace = {
                line - countLineEnds(text, block.startCharacter, header.startCharacter),
                blanks + 1};
            const BlockParts parts = splitBlock(block.blockText);
            const BlockField* summary = parts.find(FieldTag::Summary, 1);
            report.summaryPlace =
                summary ? fieldPlace(block.blockText, parts, *summary, report.blockPlace)
                        : report.blockPlace;
            if (const BlockField* result = parts.find(FieldTag::Return, 1))
                report.resultPlace = fieldPlace(block.blockText, parts, *result, report.blockPlace);
            for (int i = 1; i <= int(report.parameterNames.size()); ++i) {
                const BlockField* param = parts.find(FieldTag::Param, i);
                report.descriptionPlaces.append(
                    param ? fieldPlace(block.blockText, parts, *param, report.blockPlace)
                          : report.blockPlace);
            }
        } else if (const LooseBlock loose = findLooseBlock(text, header.startCharacter);
                   loose.kind != LooseBlock::Kind::None) {
            report.looseBlock = loose;
            report.looseLine = line - countLineEnds(text, loose.lineStart, header.startCharacter);
        } else if (const PlainComment plain = findPlainComment(text, header, context);
                   plain.present) {
            report.documented = true;
            report.plainComment = true;
            report.summary = tags(plain.text);
        }
        report.suppressions = findSuppressions(text, report, block);
        reports.append(report);
    }
    return reports;
}

namespace {

struct RuleText {
    QStringView id;
    QStringView description;
};

// By CheckRule.
constexpr RuleText kRules[kCheckRuleCount] = {
    {u"missing-comment", u"No comment block above the procedure."},
    {u"param-count", u"More or fewer <param> lines than parameters."},
    {u"param-renamed", u"A description names another parameter."},
    {u"placeholder", u"A description still holds {description}."},
    {u"empty-summary", u"The summary is empty."},
    {u"default-summary", u"The summary is still the header a new block starts with."},
    {u"detached-comment", u"A comment block above the procedure is cut off from it."},
    {u"unclosed-comment", u"The comment block above the procedure has no ;</comment>."},
    {u"empty-param", u"A description says nothing but the parameter's name."},
    {u"missing-return", u"A procedure that returns a value has no <return> text."},
    {u"broken-link", u"A Name() mention names no procedure and no built-in function."},
    {u"unknown-rule", u"A ; glossa-ignore: comment names no rule."},
    {u"plain-comment", u"A plain comment above the procedure, not a comment block."},
    {u"unreadable-source", u"The source's text can't be read (an error)."},
};

} // namespace

QString checkRuleId(CheckRule rule) {
    return kRules[int(rule)].id.toString();
}

QString checkRuleDescription(CheckRule rule) {
    return kRules[int(rule)].description.toString();
}

bool checkRuleById(QStringView id, CheckRule* rule) {
    for (int i = 0; i < kCheckRuleCount; ++i) {
        if (id.compare(kRules[i].id, Qt::CaseInsensitive) == 0) {
            *rule = CheckRule(i);
            return true;
        }
    }
    return false;
}

QList<CheckRule> rulesNamedBy(CheckRule rule) {
    if (rule == CheckRule::MissingComment)
        return {rule, CheckRule::PlainComment, CheckRule::DetachedComment,
                CheckRule::UnclosedComment};
    return {rule};
}

namespace {

QString counted(int count, const QString& thing) {
    return u"%1 %2%3"_s.arg(count).arg(thing, count == 1 ? u""_s : u"s"_s);
}

// Why a procedure has no block: none at all, or one that the header doesn't reach.
Finding noBlockFinding(const ProcedureReport& procedure) {
    const SourcePlace header{procedure.line, procedure.column};
    const LooseBlock& loose = procedure.looseBlock;
    switch (loose.kind) {
    case LooseBlock::Kind::Detached:
        return {header, CheckRule::DetachedComment, procedure.name,
                u"a comment block %1 above, separated by %2"_s.arg(
                    counted(procedure.line - procedure.looseLine, u"line"_s),
                    loose.commentLines > 0 ? counted(loose.commentLines, u"comment line"_s)
                                           : counted(loose.blankLines, u"blank line"_s))};
    case LooseBlock::Kind::Unclosed:
        return {header, CheckRule::UnclosedComment, procedure.name,
                u"the block from line %1 has no ;</comment>"_s.arg(procedure.looseLine)};
    case LooseBlock::Kind::None:
        break;
    }
    return {header, CheckRule::MissingComment, procedure.name,
            u"no comment block above the procedure"_s};
}

// The type a header declares the procedure to return (".s", "$"), or empty.
QString returnType(QStringView header) {
    qsizetype i = skipWord(header, skipBlanks(header, 0)); // Procedure, ProcedureC, ...
    i = skipBlanks(header, i);
    if (i < header.size() && header[i] == u'$')
        return u"$"_s;
    if (i >= header.size() || header[i] != u'.')
        return {};
    const qsizetype type = skipBlanks(header, i + 1);
    return u'.' + header.sliced(type, skipWord(header, type) - type).toString();
}

// Whether a description holds nothing but blanks, line breaks and its bold name.
bool saysNothing(const QString& description) {
    if (!hasPlainText(description))
        return true;
    // The bold name's form is looked for only where nothing follows its end.
    const qsizetype boldEnd = description.indexOf(u"</b>"_s, 0, Qt::CaseInsensitive);
    return boldEnd >= 0 && !hasPlainText(description.sliced(boldEnd + 4)) &&
           !hasPlainText(withoutBoldName(description));
}

} // namespace

bool isSuppressed(const ProcedureReport& procedure, CheckRule rule) {
    if (isErrorRule(rule) || rule == CheckRule::UnknownRule)
        return false;
    for (const SuppressionNote& note : procedure.suppressions) {
        if (note.comment.allRules)
            return true;
        for (const QString& id : note.comment.ids) {
            CheckRule named;
            if (checkRuleById(id, &named) && named == rule)
                return true;
        }
    }
    return false;
}

namespace {

// A finding for each id of the procedure's suppressions that names no rule, or one that no
// comment silences.
void addUnknownRules(const ProcedureReport& procedure, QList<Finding>& findings) {
    for (const SuppressionNote& note : procedure.suppressions) {
        for (const QString& id : note.comment.ids) {
            CheckRule rule;
            if (!checkRuleById(id, &rule))
                findings.append({note.place, CheckRule::UnknownRule, procedure.name,
                                 u"glossa-ignore names no rule \"%1\""_s.arg(id)});
            else if (isErrorRule(rule))
                findings.append({note.place, CheckRule::UnknownRule, procedure.name,
                                 u"glossa-ignore can't silence %1"_s.arg(checkRuleId(rule))});
        }
    }
}

// The checks of a documented procedure's block.
QList<Finding> checkBlock(const ProcedureReport& procedure) {
    QList<Finding> findings;
    auto add = [&](CheckRule rule, const SourcePlace& place, const QString& message,
                   const QString& parameter = QString()) {
        findings.append({place, rule, procedure.name, message, parameter});
    };
    const SourcePlace header{procedure.line, procedure.column};
    if (procedure.plainComment) {
        add(CheckRule::PlainComment, header, u"a plain comment, not a comment block"_s);
        return findings;
    }
    const QString summary = procedure.summary.trimmed();
    if (summary.isEmpty())
        add(CheckRule::EmptySummary, procedure.summaryPlace, u"empty summary"_s);
    else if (summary == trimBlanks(headerOnOneLine(procedure.header.headerText)))
        add(CheckRule::DefaultSummary, procedure.summaryPlace,
            u"the summary is still the procedure's header"_s);
    const int parameters = int(procedure.parameterNames.size());
    if (procedure.parameterLines != parameters)
        add(CheckRule::ParamCount, header,
            u"%1 for %2"_s.arg(counted(procedure.parameterLines, u"<param> line"_s),
                               counted(parameters, u"parameter"_s)));
    for (int i = 0; i < parameters; ++i) {
        const QString& description = procedure.parameterDescriptions.value(i);
        const QString& name = procedure.parameterNames[i];
        const SourcePlace place = procedure.descriptionPlaces.value(i, procedure.blockPlace);
        const QString bare = bareParameterName(name);
        const QString named = descriptionNamesOther(description, name);
        if (!named.isEmpty())
            add(CheckRule::ParamRenamed, place,
                u"description %1 names \"%2\" but describes \"%3\" now"_s.arg(i + 1).arg(named,
                                                                                         name),
                bare);
        if (description.contains(u"{description}"_s))
            add(CheckRule::Placeholder, place,
                u"description of \"%1\" still holds the placeholder {description}"_s.arg(name),
                bare);
        else if (i < procedure.parameterLines && saysNothing(description))
            add(CheckRule::EmptyParam, place,
                u"description of \"%1\" says nothing but its name"_s.arg(name), bare);
    }
    if (const QString type = returnType(procedure.header.headerText);
        !type.isEmpty() && !hasPlainText(procedure.result))
        add(CheckRule::MissingReturn, procedure.resultPlace.line ? procedure.resultPlace : header,
            u"%1 <return> for a procedure that returns %2"_s.arg(
                procedure.resultPlace.line ? u"empty"_s : u"no"_s, type));
    return findings;
}

} // namespace

QList<Finding> checkProcedure(const ProcedureReport& procedure) {
    QList<Finding> findings =
        procedure.documented ? checkBlock(procedure) : QList<Finding>{noBlockFinding(procedure)};
    if (!procedure.suppressions.isEmpty()) {
        findings.removeIf([&](const Finding& f) { return isSuppressed(procedure, f.rule); });
        addUnknownRules(procedure, findings);
    }
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return std::pair(a.place.line, a.place.column) < std::pair(b.place.line, b.place.column);
    });
    return findings;
}

} // namespace glossa
