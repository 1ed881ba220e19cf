// SPDX-License-Identifier: MIT
#include "comment/descriptionname.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace glossa {

QString bareParameterName(QStringView name) {
    name = name.trimmed();
    for (const QStringView keyword : {u"array", u"list", u"map"}) {
        if (name.size() > keyword.size() &&
            name.first(keyword.size()).compare(keyword, Qt::CaseInsensitive) == 0 &&
            name[keyword.size()].isSpace()) {
            name = name.sliced(keyword.size()).trimmed();
            break;
        }
    }
    if (name.startsWith(u'*'))
        name = name.sliced(1);
    qsizetype end = 0;
    while (end < name.size() && (name[end].isLetterOrNumber() || name[end] == u'_'))
        ++end;
    return name.first(end).toString().toLower();
}

namespace {

// The leading bold name form of a description. What a parameter can be called: an optional
// pointer star or an Array/List/Map keyword, the name, a type, dimensions.
const QRegularExpression& boldNameForm() {
    static const QRegularExpression form(
        uR"(^ *<b>((?:(?:array|list|map) +)?\*?\w+(?:\.\w+|\$)?(?:\([\w, ]*\))?):</b>)"_s,
        QRegularExpression::CaseInsensitiveOption);
    return form;
}

} // namespace

NameSpan boldNameSpan(const QString& text) {
    const QRegularExpressionMatch match = boldNameForm().match(text);
    if (!match.hasMatch())
        return {};
    return {match.capturedStart(1), match.capturedLength(1)};
}

QString withoutBoldName(const QString& description) {
    const QRegularExpressionMatch match = boldNameForm().match(description);
    return match.hasMatch() ? description.sliced(match.capturedEnd()) : description;
}

QString descriptionNamesOther(const QString& description, const QString& parameterName) {
    const QRegularExpressionMatch match = boldNameForm().match(description);
    if (!match.hasMatch())
        return {};
    QString named = match.captured(1);
    if (bareParameterName(named) == bareParameterName(parameterName))
        return {};
    return named;
}

} // namespace glossa
