// SPDX-License-Identifier: MIT
#include "doc/linkcheck.h"

#include "comment/descriptionname.h"
#include "comment/procedureheader.h"
#include "comment/sourcescan.h"
#include "doc/doclinks.h"

#include <QFile>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

// The list of built-in functions lives in a static library, so its resource is registered by
// name.
static void initBuiltInsResource() {
    Q_INIT_RESOURCE(builtins);
}

namespace glossa {

namespace {

QSet<QString> loadBuiltIns() {
    initBuiltInsResource();
    // The compiler's own functions, which the library reference doesn't list.
    QSet<QString> names{u"bool"_s,
                        u"clearstructure"_s,
                        u"copystructure"_s,
                        u"defined"_s,
                        u"dim"_s,
                        u"initializestructure"_s,
                        u"newlist"_s,
                        u"newmap"_s,
                        u"offsetof"_s,
                        u"redim"_s,
                        u"resetstructure"_s,
                        u"sizeof"_s,
                        u"subsystem"_s,
                        u"typeof"_s};
    QFile file(u":/doc/purebasic-functions.txt"_s);
    if (!file.open(QIODevice::ReadOnly))
        return names;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray name = line.trimmed();
        if (!name.isEmpty() && !name.startsWith('#'))
            names.insert(QString::fromLatin1(name).toLower());
    }
    return names;
}

bool keywordIs(QStringView word, QStringView keyword) {
    return word.compare(keyword, Qt::CaseInsensitive) == 0;
}

bool definesProcedure(QStringView word) {
    // Most words are short and start otherwise: those are passed over at once.
    if (word.size() < 9 || (word[0] != u'p' && word[0] != u'P'))
        return false;
    return keywordIs(word, u"procedure") || keywordIs(word, u"procedurec") ||
           keywordIs(word, u"proceduredll") || keywordIs(word, u"procedurecdll");
}

// After a Procedure keyword that ends at i: past its return type and the name it defines.
qsizetype afterDefinedName(QStringView text, qsizetype i) {
    return skipWord(text, skipBlanks(text, skipReturnType(text, i)));
}

// The index after a string or character constant whose quote stands at i: at its closing
// quote's next character, or at the line's end. escaped strings (~"...") may hold \".
qsizetype afterQuoted(QStringView text, qsizetype i) {
    const QChar quote = text[i];
    const bool escaped = quote == u'"' && i > 0 && text[i - 1] == u'~';
    for (++i; i < text.size() && !isLineEnd(text[i]); ++i) {
        if (escaped && text[i] == u'\\')
            ++i;
        else if (text[i] == quote)
            return i + 1;
    }
    return std::min(i, text.size());
}

} // namespace

bool isBuiltInFunction(QStringView name) {
    static const QSet<QString> names = loadBuiltIns();
    return names.contains(name.toString().toLower());
}

void collectCodeNames(QStringView text, QSet<QString>& names) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == u';') {
            i = findLineEnd(text, i);
        } else if (c == u'"' || c == u'\'') {
            i = afterQuoted(text, i);
        } else if (isWordChar(c)) {
            const qsizetype start = i;
            i = skipWord(text, i);
            const QStringView word = text.sliced(start, i - start);
            if (word.front() <= u'9')
                continue; // a number
            if (definesProcedure(word)) {
                i = afterDefinedName(text, i);
            } else if (word.size() == 5 && keywordIs(word, u"macro")) {
                const qsizetype nameStart = skipBlanks(text, i);
                i = skipWord(text, nameStart);
                names.insert(text.sliced(nameStart, i - nameStart).toString().toLower());
            } else if (const qsizetype next = skipBlanks(text, i); next < n && text[next] == u'(') {
                names.insert(word.toString().toLower());
            }
        } else {
            ++i;
        }
    }
}

int LinkCheck::addSource(const QString& text, const QList<ProcedureReport>& reports,
                         const SourceModules& modules) {
    const int source = catalog_.addFile(QString(), QString(), reports, modules, false);
    collectCodeNames(text, codeNames_);
    QList<Mention>& mentions = mentions_.emplace_back();
    for (const ProcedureReport& report : reports) {
        if (!report.documented || report.plainComment || // a plain comment is reported as such
            isSuppressed(report, CheckRule::BrokenLink))
            continue;
        QString module;
        bool moduleKnown = false;
        auto scan = [&](const QString& field, const SourcePlace& place, int which) {
            forEachMention(field, [&](QStringView qualifier, QStringView name) {
                if (name.endsWith(u'_') || isBuiltInFunction(name))
                    return;
                if (!moduleKnown)
                    module = modules.moduleAt(report.header.startCharacter);
                moduleKnown = true;
                mentions.append({place, report.name, module, qualifier.toString(), name.toString(),
                                 report.header.headerText, which});
            });
        };
        scan(report.summary, report.summaryPlace, kSummary);
        for (int i = 0; i < int(report.parameterDescriptions.size()); ++i)
            scan(report.parameterDescriptions[i], report.descriptionPlaces.value(i), i);
        scan(report.result, report.resultPlace, kResult);
    }
    return source;
}

QList<Finding> LinkCheck::findings(int source) {
    if (!finished_) {
        catalog_.finish();
        finished_ = true;
    }
    QList<Finding> findings;
    for (const Mention& m : std::as_const(mentions_[source])) {
        if (codeNames_.contains(m.name.toLower()) ||
            catalog_.reaches(source, m.module, m.qualifier, m.name))
            continue;
        const QStringList parameters = SplitParameters(m.header);
        // "<b>a():</b>" names the procedure's array, list or map a.
        if (m.qualifier.isEmpty() &&
            std::any_of(parameters.begin(), parameters.end(), [&](const QString& parameter) {
                return bareParameterName(parameter) == m.name.toLower();
            }))
            continue;
        const QString mention =
            (m.qualifier.isEmpty() ? QString() : m.qualifier + u"::"_s) + m.name + u"()"_s;
        const QString field = m.field == kSummary ? u"the summary"_s
                              : m.field == kResult
                                  ? u"the result"_s
                                  : u"the description of \"%1\""_s.arg(parameters.value(m.field));
        Finding& finding = findings.emplace_back(
            m.place, CheckRule::BrokenLink, m.procedure,
            u"%1 in %2 names no procedure"_s.arg(mention, field),
            m.field >= 0 ? bareParameterName(parameters.value(m.field)) : QString());
        finding.module = m.module;
    }
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return std::pair(a.place.line, a.place.column) < std::pair(b.place.line, b.place.column);
    });
    return findings;
}

} // namespace glossa
