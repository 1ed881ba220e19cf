#include "comment/descriptionname.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// A parameter name without its type: "a.s", "a$" and "A" are all "a"; "*p" stays a pointer.
QString BareName(QStringView name) {
    QString bare = name.trimmed().toString().toLower();
    const qsizetype dot = bare.indexOf(u'.');
    if (dot >= 0)
        bare.truncate(dot);
    if (bare.endsWith(u'$'))
        bare.chop(1);
    return bare.trimmed();
}

} // namespace

QString DescriptionNamesOther(const QString& description, const QString& parameterName) {
    // What a parameter can be called: an optional pointer star or an Array/List/Map keyword,
    // the name, a type.
    static const QRegularExpression form(
        uR"(^ *<b>((?:(?:array|list|map) +)?\*?\w+(?:\.\w+|\$)?(?:\(\w*\))?):</b>)"_s,
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(description);
    if (!match.hasMatch())
        return {};
    QString named = match.captured(1);
    if (BareName(named) == BareName(parameterName))
        return {};
    return named;
}

} // namespace glossa
