// SPDX-License-Identifier: MIT
#include "comment/descriptionmatch.h"

#include "comment/descriptionname.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

DescriptionMatch matchDescriptions(const QStringList& parameterNames,
                                   const QStringList& descriptions) {
    const qsizetype count = parameterNames.size();
    DescriptionMatch match;
    match.from.fill(-1, count);
    match.changes.fill(RowChange::Added, count);
    QList<bool> used(descriptions.size(), false);
    auto take = [&](qsizetype row, qsizetype description, RowChange change) {
        match.from[row] = int(description);
        match.changes[row] = change;
        used[description] = true;
    };
    QStringList named; // the bare name each description gives, null without a bold name
    for (const QString& description : descriptions) {
        const NameSpan span = boldNameSpan(description);
        named << (span.length > 0
                      ? bareParameterName(QStringView(description).sliced(span.start, span.length))
                      : QString());
    }
    QList<bool> namesParameter(descriptions.size(), false);
    for (qsizetype row = 0; row < count; ++row) {
        const QString bare = bareParameterName(parameterNames[row]);
        for (qsizetype k = 0; k < descriptions.size(); ++k) {
            if (named[k].isNull() || named[k] != bare)
                continue;
            namesParameter[k] = true;
            if (!used[k] && match.from[row] < 0)
                take(row, k, k == row ? RowChange::None : RowChange::Moved);
        }
    }
    // What is left at its own position stays there: unnamed as it was, naming a parameter the
    // header no longer has renamed. A second description of a parameter is surplus.
    for (qsizetype k = 0; k < std::min(count, descriptions.size()); ++k) {
        if (!used[k] && match.from[k] < 0 && !namesParameter[k])
            take(k, k,
                 named[k].isNull() || parameterNames[k].isEmpty() ? RowChange::None
                                                                  : RowChange::Renamed);
    }
    for (qsizetype k = 0; k < descriptions.size(); ++k) {
        if (!used[k])
            match.surplus << int(k);
    }
    // Without a single bold name the descriptions go by position, as they always did: a
    // missing one stays empty rather than being guessed.
    if (std::all_of(named.begin(), named.end(), [](const QString& n) { return n.isNull(); })) {
        for (RowChange& change : match.changes)
            change = change == RowChange::Added ? RowChange::None : change;
    }
    return match;
}

QString renameDescription(const QString& description, const QString& name) {
    const NameSpan span = boldNameSpan(description);
    if (span.length == 0)
        return description;
    return QString(description).replace(span.start, span.length, name);
}

QString rowChangeText(RowChange change) {
    switch (change) {
    case RowChange::None:
        break;
    case RowChange::Moved:
        return u"moved"_s;
    case RowChange::Renamed:
        return u"renamed"_s;
    case RowChange::Added:
        return u"new"_s;
    }
    return {};
}

} // namespace glossa
