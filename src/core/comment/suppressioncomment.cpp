// SPDX-License-Identifier: MIT
#include "comment/suppressioncomment.h"

#include "comment/sourcescan.h"

using namespace Qt::StringLiterals;

namespace glossa {

SuppressionComment readSuppressionComment(QStringView comment) {
    SuppressionComment suppression;
    if (!comment.startsWith(u';'))
        return suppression;
    QStringView rest = comment.sliced(skipBlanks(comment, 1));
    constexpr QStringView kWord = u"glossa-ignore";
    if (!rest.startsWith(kWord, Qt::CaseInsensitive))
        return suppression;
    rest = rest.sliced(kWord.size()).trimmed();
    if (rest.isEmpty()) {
        suppression.present = suppression.allRules = true;
        return suppression;
    }
    // "glossa-ignored" or "glossa-ignore this" is someone's prose.
    if (!rest.startsWith(u':'))
        return suppression;
    suppression.present = true;
    for (QStringView id : rest.sliced(1).split(u',', Qt::SkipEmptyParts)) {
        if (!id.trimmed().isEmpty())
            suppression.ids << id.trimmed().toString();
    }
    return suppression;
}

bool isSuppressionLine(QStringView line) {
    // Cheap refusal first: this runs on the lines above every header.
    const qsizetype first = skipBlanks(line, 0);
    if (first + 14 > line.size() || line[first] != u';')
        return false;
    return readSuppressionComment(line.sliced(first)).present;
}

qsizetype commentStartInCode(QStringView line) {
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u';')
            return i;
        if (c == u'"' || c == u'\'') {
            // "~" before a string lets "\" escape its quote.
            const bool escapes = c == u'"' && i > 0 && line[i - 1] == u'~';
            for (++i; i < line.size() && line[i] != c; ++i) {
                if (escapes && line[i] == u'\\')
                    ++i;
            }
        }
    }
    return -1;
}

} // namespace glossa
