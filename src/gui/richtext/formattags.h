// SPDX-License-Identifier: MIT
#pragma once

#include "richtext/effects.h"

#include <array>
#include <cstdint>
#include <QString>
#include <QStringView>

namespace glossa {

// One format tag: `Tag` is the tag's name followed by ">" without the leading "<" ("b>",
// "sub>"); `Effect` its effect bit; `OpenOrder` the sequence number given to the tag while it
// is open in a running conversion, else 0; `MenuItem` the id of its popup-menu item.
struct FormatTag {
    QStringView Tag;
    Effects Effect;
    std::int32_t OpenOrder;
    std::int32_t MenuItem;

    QString openingTag() const { return u'<' + Tag.toString(); }  // "<b>"
    QString closingTag() const { return u"</" + Tag.toString(); } // "</b>"
};

using FormatTagTable = std::array<FormatTag, 6>;

// The process-wide table of the six format tags, built once on first use, in this order:
// b, i, u, s, sub, sup (menu items 0, 1, 2, 3, 5, 4). It is never reordered, and its
// `OpenOrder` fields stay 0: a conversion keeps its open tags in a copy of its own.
// Users should still walk all six entries and take what they need from the entry's fields.
const FormatTagTable& FormatTags();

// The popup-menu id of the "link..." item.
inline constexpr int kLinkMenuItem = 6;

} // namespace glossa
