// SPDX-License-Identifier: MIT
#include "prefs/numberreading.h"

namespace glossa {

std::int64_t readNumber64(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    unsigned base = 10;
    if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i < n && text[i] == u'%') {
        base = 2;
        ++i;
    }
    // Unsigned arithmetic: an overlong number wraps instead of overflowing.
    std::uint64_t value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        unsigned digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        if (digit >= base)
            break;
        value = value * base + digit;
    }
    if (negative)
        value = ~value + 1;
    return static_cast<std::int64_t>(value);
}

std::int32_t readNumber(QStringView text) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(readNumber64(text)));
}

} // namespace glossa
