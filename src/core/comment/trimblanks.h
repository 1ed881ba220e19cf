// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

namespace glossa {

// The text without blanks (U+0020 only) at either end; tabs and other white space stay.
inline QString trimBlanks(QStringView text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == u' ')
        ++from;
    while (to > from && text[to - 1] == u' ')
        --to;
    return text.sliced(from, to - from).toString();
}

} // namespace glossa
