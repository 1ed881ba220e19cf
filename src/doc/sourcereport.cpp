#include "doc/sourcereport.h"

#include "comment/descriptionname.h"
#include "comment/existingblock.h"
#include "preview/previewpage.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// Line ends (CR LF, CR or LF) in text[from, to).
int CountLineEnds(const QString& text, qsizetype from, qsizetype to) {
    int lines = 0;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = text[i];
        if (c == u'\n')
            ++lines;
        else if (c == u'\r' && !(i + 1 < text.size() && text[i + 1] == u'\n'))
            ++lines;
    }
    return lines;
}

QString Tags(QString field) {
    return field.replace(u'\n', u"<br>"_s);
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
        }
        reports.append(report);
    }
    return reports;
}

QList<Finding> CheckProcedure(const ProcedureReport& procedure) {
    QList<Finding> findings;
    auto add = [&](const QString& message) {
        findings.append({procedure.line, procedure.name, message});
    };
    if (!procedure.documented) {
        add(u"no comment block above the procedure"_s);
        return findings;
    }
    if (procedure.summary.trimmed().isEmpty())
        add(u"empty summary"_s);
    const int parameters = int(procedure.parameterNames.size());
    if (procedure.parameterLines != parameters)
        add(u"%1 <param> line%2 for %3 parameter%4"_s.arg(procedure.parameterLines)
                .arg(procedure.parameterLines == 1 ? u""_s : u"s"_s)
                .arg(parameters)
                .arg(parameters == 1 ? u""_s : u"s"_s));
    for (int i = 0; i < parameters; ++i) {
        const QString& description = procedure.parameterDescriptions.value(i);
        const QString& name = procedure.parameterNames[i];
        const QString named = DescriptionNamesOther(description, name);
        if (!named.isEmpty())
            add(u"description %1 names \"%2\" but describes \"%3\" now"_s.arg(i + 1).arg(named,
                                                                                         name));
        if (description.contains(u"{description}"_s))
            add(u"description of \"%1\" still holds the placeholder {description}"_s.arg(name));
    }
    return findings;
}

} // namespace glossa
