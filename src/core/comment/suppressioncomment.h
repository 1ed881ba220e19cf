// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <QStringView>

namespace glossa {

// A comment that silences the check for one procedure: "; glossa-ignore" (every rule) or
// "; glossa-ignore: rule-a, rule-b". It is Glossa's own line, never a plain comment: between a
// block and its header it doesn't part them, and the editor window keeps it as it stands.
struct SuppressionComment {
    bool present = false;
    bool allRules = false;
    QStringList ids; // as written, blanks trimmed; empty with allRules
};

// The suppression a comment holds; comment starts at its ";".
SuppressionComment readSuppressionComment(QStringView comment);

// Whether the line (without its line end) holds nothing but blanks and a suppression comment.
bool isSuppressionLine(QStringView line);

// Where the comment of a code line starts: the first ";" outside string and character
// literals, or -1.
qsizetype commentStartInCode(QStringView line);

} // namespace glossa
