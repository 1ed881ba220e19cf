// SPDX-License-Identifier: MIT
#include "doc/docmodel.h"

#include "comment/descriptionname.h"
#include "comment/procedureheader.h"
#include "comment/sourcescan.h"
#include "doc/doclinks.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// The keyword (lower case) as a whole word at i, in any letter case: the index after it, or -1.
qsizetype keywordEnd(QStringView text, qsizetype i, QLatin1StringView keyword) {
    if (text.size() - i < keyword.size() ||
        text.sliced(i, keyword.size()).compare(keyword, Qt::CaseInsensitive) != 0)
        return -1;
    const qsizetype end = i + keyword.size();
    return end < text.size() && isWordChar(text[end]) ? -1 : end;
}

// The name after a keyword that ends at i: blanks, then a word.
QString nameAfter(QStringView text, qsizetype i) {
    const qsizetype start = skipBlanks(text, i);
    return text.sliced(start, skipWord(text, start) - start).toString();
}

// The procedure a Declare line declares: an optional return type (".type", "$"), the name and
// its "(".
QString declaredName(QStringView text, qsizetype i) {
    const qsizetype start = skipBlanks(text, skipReturnType(text, i));
    const qsizetype end = skipWord(text, start);
    if (end == start || skipBlanks(text, end) >= text.size() || text[skipBlanks(text, end)] != u'(')
        return {};
    return text.sliced(start, end - start).toString();
}

} // namespace

QString SourceModules::moduleAt(qsizetype character) const {
    for (const Range& range : bodies) {
        if (range.start <= character && character < range.end)
            return range.name;
    }
    return {};
}

SourceModules scanModules(const QString& text) {
    SourceModules modules;
    const QStringView view(text);
    QString declaring;   // inside DeclareModule ... EndDeclareModule
    qsizetype open = -1; // index of the open body in modules.bodies
    qsizetype lineStart = 0;
    while (lineStart < view.size()) {
        const qsizetype first = skipBlanks(view, lineStart);
        const char16_t c = first < view.size() ? (view[first].unicode() | 0x20) : 0;
        qsizetype end = -1;
        if (c == u'd') {
            if ((end = keywordEnd(view, first, "declaremodule"_L1)) >= 0) {
                declaring = nameAfter(view, end);
            } else if (!declaring.isEmpty()) {
                for (const QLatin1StringView keyword :
                     {"declarecdll"_L1, "declaredll"_L1, "declarec"_L1, "declare"_L1}) {
                    if ((end = keywordEnd(view, first, keyword)) >= 0) {
                        if (const QString name = declaredName(view, end); !name.isEmpty())
                            modules.declared.append({declaring, name});
                        break;
                    }
                }
            }
        } else if (c == u'e') {
            if (keywordEnd(view, first, "enddeclaremodule"_L1) >= 0) {
                declaring.clear();
            } else if (keywordEnd(view, first, "endmodule"_L1) >= 0 && open >= 0) {
                modules.bodies[open].end = first;
                open = -1;
            }
        } else if (c == u'm') {
            if ((end = keywordEnd(view, first, "module"_L1)) >= 0) {
                if (const QString name = nameAfter(view, end); !name.isEmpty()) {
                    modules.bodies.append({first, view.size(), name});
                    open = modules.bodies.size() - 1;
                }
            }
        } else if (c == u'u') {
            if ((end = keywordEnd(view, first, "usemodule"_L1)) >= 0) {
                if (const QString name = nameAfter(view, end); !name.isEmpty())
                    modules.used.append(name.toLower());
            }
        }
        lineStart = nextLineStart(view, first);
        if (lineStart < 0)
            break;
    }
    return modules;
}

QList<StaleMark> staleMarks(const ProcedureReport& procedure) {
    QList<StaleMark> marks;
    if (!procedure.documented) {
        marks.append({u"missing-comment"_s, -1, u"no comment block above the procedure"_s});
        return marks;
    }
    if (procedure.plainComment) {
        marks.append({u"plain-comment"_s, -1, u"the summary is taken from a plain comment"_s});
        return marks;
    }
    const QString summary = plainText(procedure.summary).trimmed();
    if (summary.isEmpty())
        marks.append({u"empty-summary"_s, -1, u"the summary is empty"_s});
    else if (summary == headerOnOneLine(procedure.header.headerText).trimmed())
        marks.append({u"default-summary"_s, -1, u"the summary is still the header"_s});
    const int parameters = int(procedure.parameterNames.size());
    if (procedure.parameterLines != parameters)
        marks.append({u"param-count"_s, -1,
                      u"%1 <param> line%2 for %3 parameter%4"_s.arg(procedure.parameterLines)
                          .arg(procedure.parameterLines == 1 ? u""_s : u"s"_s)
                          .arg(parameters)
                          .arg(parameters == 1 ? u""_s : u"s"_s)});
    for (int i = 0; i < parameters; ++i) {
        const QString description = procedure.parameterDescriptions.value(i);
        const QString& name = procedure.parameterNames[i];
        if (const QString named = descriptionNamesOther(description, name); !named.isEmpty())
            marks.append({u"param-renamed"_s, i,
                          u"the description names \"%1\" but describes \"%2\""_s.arg(named, name)});
        if (description.contains(u"{description}"_s))
            marks.append({u"placeholder"_s, i, u"the placeholder {description} is left"_s});
    }
    return marks;
}

QList<ParameterDetail> parameterDetails(const QString& headerText) {
    QList<ParameterDetail> details;
    const QStringList pieces = parameterPieces(headerText);
    static const QRegularExpression declaration(
        uR"(^(?:(array|list|map)\s+)?(\*?\w+\$?)\s*(.*)$)"_s,
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& piece : std::as_const(pieces)) {
        if (piece.trimmed().isEmpty())
            continue;
        ParameterDetail detail;
        QString declared = piece;
        if (const qsizetype equals = piece.indexOf(u'='); equals >= 0) {
            declared = piece.left(equals);
            detail.defaultValue = piece.mid(equals + 1).trimmed();
        }
        declared = declared.trimmed();
        const QRegularExpressionMatch m = declaration.match(declared);
        if (!m.hasMatch()) {
            detail.name = declared;
        } else {
            detail.name = m.captured(2);
            QString type = m.captured(3).trimmed();
            type.remove(u' ');
            if (!m.captured(1).isEmpty())
                type = m.captured(1) + (type.isEmpty() ? QString() : u" "_s + type);
            detail.type = type;
        }
        details.append(detail);
    }
    return details;
}

QString summaryLine(const QString& summary) {
    const qsizetype br = summary.indexOf(u"<br>"_s, 0, Qt::CaseInsensitive);
    return br < 0 ? summary : summary.left(br);
}

int Catalog::addFile(const QString& page, const QString& source,
                     const QList<ProcedureReport>& reports, const SourceModules& modules,
                     bool pages) {
    const int file = int(files_.size());
    File entry;
    entry.page = page;
    entry.source = source;
    entry.first = int(procedures_.size());
    entry.count = int(reports.size());
    entry.shown = entry.count;
    for (const QString& used : modules.used)
        entry.usedModules.append(used);
    for (const auto& [module, name] : modules.declared)
        declared_.insert(module.toLower() + u"::"_s + name.toLower());

    QHash<QString, int> anchors;
    for (const ProcedureReport& report : reports) {
        Procedure procedure;
        procedure.name = report.name;
        const QString module = modules.moduleAt(report.header.startCharacter);
        if (!module.isEmpty()) {
            // One copy of each module's name for all its procedures.
            auto known = moduleNames_.find(module.toLower());
            if (known == moduleNames_.end())
                known = moduleNames_.insert(module.toLower(), module);
            procedure.module = *known;
        }
        if (pages) {
            const QString key =
                procedure.module.isEmpty() ? report.name : procedure.module + u"::"_s + report.name;
            const int seen = anchors[key.toLower()]++;
            procedure.anchor = seen == 0 ? key : key + u'-' + QString::number(seen);
            procedure.summary = summaryLine(report.summary);
        }
        procedure.file = file;
        procedure.line = report.line;
        procedure.documented = report.documented;
        procedure.stale = pages && report.documented && !staleMarks(report).isEmpty();
        entry.documented += procedure.documented ? 1 : 0;
        entry.stale += procedure.stale ? 1 : 0;
        byName_[report.name.toLower()].append(int(procedures_.size()));
        procedures_.append(std::move(procedure));
    }
    files_.append(entry);
    return file;
}

void Catalog::finish() {
    for (Procedure& procedure : procedures_) {
        procedure.isPublic =
            !procedure.module.isEmpty() &&
            declared_.contains(procedure.module.toLower() + u"::"_s + procedure.name.toLower());
    }
}

void Catalog::leaveOutPrivate() {
    for (File& file : files_) {
        file.shown = file.documented = file.stale = 0;
        for (int i = file.first; i < file.first + file.count; ++i) {
            Procedure& p = procedures_[i];
            p.leftOut = !p.module.isEmpty() && !p.isPublic;
            if (p.leftOut)
                continue;
            ++file.shown;
            file.documented += p.documented ? 1 : 0;
            file.stale += p.stale ? 1 : 0;
        }
    }
}

std::optional<int> Catalog::resolve(int file, const QString& module, QStringView qualifier,
                                    QStringView name) const {
    const Match found = find(file, module, qualifier, name);
    if (found.count != Matches::One)
        return std::nullopt;
    return found.procedure;
}

Catalog::Match Catalog::find(int file, const QString& module, QStringView qualifier,
                             QStringView name) const {
    const auto found = byName_.constFind(name.toString().toLower());
    if (found == byName_.constEnd())
        return {};
    const QList<int>& candidates = *found;
    // The only candidate that passes, or several, or none (try the next rule).
    auto only = [&](auto&& passes) {
        Match chosen;
        for (const int c : candidates) {
            if (!passes(procedures_[c]))
                continue;
            if (chosen.count != Matches::None)
                return Match{Matches::Several, 0};
            chosen = {Matches::One, c};
        }
        return chosen;
    };
    if (!qualifier.isEmpty()) {
        return only([&](const Procedure& p) {
            return QStringView(p.module).compare(qualifier, Qt::CaseInsensitive) == 0;
        });
    }
    if (!module.isEmpty()) {
        const Match chosen = only(
            [&](const Procedure& p) { return p.module.compare(module, Qt::CaseInsensitive) == 0; });
        if (chosen.count != Matches::None)
            return chosen;
    }
    if (const Match chosen = only([&](const Procedure& p) { return p.file == file; });
        chosen.count != Matches::None)
        return chosen;
    const QStringList& used = files_[file].usedModules;
    return only([&](const Procedure& p) {
        return p.module.isEmpty() || (p.isPublic && used.contains(p.module.toLower()));
    });
}

} // namespace glossa
