#include "comment/descriptionname.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// A parameter's name alone: without the Array, List or Map keyword, the pointer star, the type
// and the dimensions, in lower case. "Array a.i(1)", "a()", "*A" and "a$" are all "a".
QString BareName(QStringView name) {
    static const QRegularExpression decoration(
        uR"(^\s*(?:(?:array|list|map)\s+)?\*?|(?:\s*(?:\.\s*\w+|\$))?\s*(?:\(.*)?$)"_s,
        QRegularExpression::CaseInsensitiveOption);
    return name.toString().remove(decoration).toLower();
}

} // namespace

QString DescriptionNamesOther(const QString& description, const QString& parameterName) {
    // What a parameter can be called: an optional pointer star or an Array/List/Map keyword,
    // the name, a type.
    static const QRegularExpression form(
        uR"(^ *<b>((?:(?:array|list|map) +)?\*?\w+(?:\.\w+|\$)?(?:\([\w, ]*\))?):</b>)"_s,
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
