#include "doc/sourcereport.h"

#include "comment/commentblockreader.h"
#include "comment/descriptionname.h"
#include "comment/trimblanks.h"
#include "preview/previewpage.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// Line ends (CR LF, CR or LF) in text[from, to).
int CountLineEnds(const QString& text, qsizetype from, qsizetype to) {
    int lines = 0;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = text[i];
        if (c == u'\n' || (c == u'\r' && !(i + 1 < text.size() && text[i + 1] == u'\n')))
            ++lines;
    }
    return lines;
}

QString Tags(QString field) {
    return field.replace(u'\n', u"<br>"_s);
}

// Column (from 1) of the first character of text that is no blank or tab.
int FirstVisibleColumn(QStringView text) {
    int column = 1;
    while (column <= text.size() && (text[column - 1] == u' ' || text[column - 1] == u'\t'))
        ++column;
    return column;
}

// The place of a field's opening tag: its line starts with blanks, ";" and blanks before it.
SourcePlace FieldPlace(const QString& blockText, const BlockParts& parts, const BlockField& field,
                       const SourcePlace& block) {
    const BlockLine& line = parts.lines[field.firstLine];
    const qsizetype tag = blockText.indexOf(u'<', line.start);
    // The block's first line starts at its ";", not at the line's start.
    const int lineStartColumn = field.firstLine == 0 ? block.column : 1;
    return {block.line + field.firstLine, lineStartColumn + int(tag - line.start)};
}

} // namespace

QString ProcedureName(const QString& headerText) {
    return PreviewProcedureName(headerText);
}

QList<ProcedureReport> ReportSource(const QString& text, const CommentContext& context) {
    QList<ProcedureReport> reports;
    const QList<ProcedureHeader> headers = FindAllProcedures(text, context);
    reports.reserve(headers.size());
    int line = 1;
    qsizetype counted = 0;
    for (const ProcedureHeader& header : headers) {
        ProcedureReport report;
        report.header = header;
        report.name = ProcedureName(header.headerText);
        line += CountLineEnds(text, counted, header.startCharacter);
        counted = header.startCharacter;
        report.line = line;
        report.column = int(header.linePrefix.size()) + FirstVisibleColumn(header.headerText);
        report.parameterNames = SplitParameters(header.headerText);

        // The search reads upwards from the header only, so the whole text costs one pass.
        const ExistingBlock block = FindCommentBlock(text, header, context);
        if (block.present) {
            report.documented = true;
            const BlockFields fields =
                ReadBlockFields(block.blockText, report.parameterNames.size());
            report.summary = Tags(fields.summary);
            for (const QString& description : fields.descriptions)
                report.parameterDescriptions.append(Tags(description));
            report.parameterLines = fields.parameterLines;
            report.result = Tags(fields.result);
            report.example = Tags(fields.example);

            // The opening line has only blanks and tabs before its ";".
            int blanks = 0;
            while (block.startCharacter - blanks > 0 &&
                   (text[block.startCharacter - blanks - 1] == u' ' ||
                    text[block.startCharacter - blanks - 1] == u'\t'))
                ++blanks;
            report.blockPlace = {
                line - CountLineEnds(text, block.startCharacter, header.startCharacter),
                blanks + 1};
            const BlockParts parts = SplitBlock(block.blockText);
            const BlockField* summary = parts.Find(FieldTag::Summary, 1);
            report.summaryPlace =
                summary ? FieldPlace(block.blockText, parts, *summary, report.blockPlace)
                        : report.blockPlace;
            for (int i = 1; i <= int(report.parameterNames.size()); ++i) {
                const BlockField* param = parts.Find(FieldTag::Param, i);
                report.descriptionPlaces.append(
                    param ? FieldPlace(block.blockText, parts, *param, report.blockPlace)
                          : report.blockPlace);
            }
        }
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
};

} // namespace

QString CheckRuleId(CheckRule rule) {
    return kRules[int(rule)].id.toString();
}

QString CheckRuleDescription(CheckRule rule) {
    return kRules[int(rule)].description.toString();
}

bool CheckRuleById(QStringView id, CheckRule* rule) {
    for (int i = 0; i < kCheckRuleCount; ++i) {
        if (id.compare(kRules[i].id, Qt::CaseInsensitive) == 0) {
            *rule = CheckRule(i);
            return true;
        }
    }
    return false;
}

QList<Finding> CheckProcedure(const ProcedureReport& procedure) {
    QList<Finding> findings;
    auto add = [&](CheckRule rule, const SourcePlace& place, const QString& message) {
        findings.append({place, rule, procedure.name, message});
    };
    const SourcePlace header{procedure.line, procedure.column};
    if (!procedure.documented) {
        add(CheckRule::MissingComment, header, u"no comment block above the procedure"_s);
        return findings;
    }
    const QString summary = procedure.summary.trimmed();
    if (summary.isEmpty())
        add(CheckRule::EmptySummary, procedure.summaryPlace, u"empty summary"_s);
    else if (summary == TrimBlanks(HeaderOnOneLine(procedure.header.headerText)))
        add(CheckRule::DefaultSummary, procedure.summaryPlace,
            u"the summary is still the procedure's header"_s);
    const int parameters = int(procedure.parameterNames.size());
    if (procedure.parameterLines != parameters)
        add(CheckRule::ParamCount, header,
            u"%1 <param> line%2 for %3 parameter%4"_s.arg(procedure.parameterLines)
                .arg(procedure.parameterLines == 1 ? u""_s : u"s"_s)
                .arg(parameters)
                .arg(parameters == 1 ? u""_s : u"s"_s));
    for (int i = 0; i < parameters; ++i) {
        const QString& description = procedure.parameterDescriptions.value(i);
        const QString& name = procedure.parameterNames[i];
        const SourcePlace place = procedure.descriptionPlaces.value(i, procedure.blockPlace);
        const QString named = DescriptionNamesOther(description, name);
        if (!named.isEmpty())
            add(CheckRule::ParamRenamed, place,
                u"description %1 names \"%2\" but describes \"%3\" now"_s.arg(i + 1).arg(named,
                                                                                         name));
        if (description.contains(u"{description}"_s))
            add(CheckRule::Placeholder, place,
                u"description of \"%1\" still holds the placeholder {description}"_s.arg(name));
    }
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return std::pair(a.place.line, a.place.column) < std::pair(b.place.line, b.place.column);
    });
    return findings;
}

} // namespace glossa
