// SPDX-License-Identifier: MIT
#include "richtext/formattags.h"

namespace glossa {

const FormatTagTable& FormatTags() {
    static const FormatTagTable table{{
        {u"b>", EffectBold, 0, 0},
        {u"i>", EffectItalic, 0, 1},
        {u"u>", EffectUnderline, 0, 2},
        {u"s>", EffectStrikeOut, 0, 3},
        {u"sub>", EffectSubscript, 0, 5},
        {u"sup>", EffectSuperscript, 0, 4},
    }};
    return table;
}

} // namespace glossa
