// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

namespace glossa {

// The name that a parameter description gives in its leading bold name form ("<b>name:</b>",
// as the default description writes it), when that is not the parameter it now describes;
// empty when the description doesn't start with that form or names this parameter. Names
// compare as PureBasic compares them: letter case ignored, and neither the type (".s", "$"),
// the pointer star, the Array, List or Map keyword nor the dimensions ("()", "(1)") make
// another name.
QString descriptionNamesOther(const QString& description, const QString& parameterName);

// A parameter's name alone, in lower case: without the Array, List or Map keyword, the pointer
// star, the type and the dimensions. "Array a.i(1)", "a()", "*A" and "a$" are all "a".
QString bareParameterName(QStringView name);

// Where the name of the leading bold name form stands in text (a description, or a field's
// content as written): index and length; length 0 when text doesn't start with that form.
struct NameSpan {
    qsizetype start = 0;
    qsizetype length = 0;
};
NameSpan boldNameSpan(const QString& text);

// The description without its leading bold name form, if it has one.
QString withoutBoldName(const QString& description);

} // namespace glossa
