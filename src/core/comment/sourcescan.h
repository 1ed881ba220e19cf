// SPDX-License-Identifier: MIT
#pragma once

#include <QChar>
#include <QStringView>

#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace glossa {

// The characters PureBasic source is scanned by, shared by the header search, the comment
// block's reading and the export's reading of modules.

// A blank inside a line: space or tab.
inline bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// The end of a line: CR or LF (a CR LF pair is two).
inline bool isLineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}

// The index of the first line end (CR or LF) at or after i; the text's size when there is none.
// Sources with CR LF, LF, CR alone or a mix of them are read alike.
inline qsizetype findLineEnd(QStringView text, qsizetype i) {
    const char16_t* data = text.utf16();
    const qsizetype n = text.size();
#ifdef __SSE2__
    // Sixteen characters at a time: this runs over every line of every source read.
    const __m128i lineFeed = _mm_set1_epi16(u'\n');
    const __m128i carriageReturn = _mm_set1_epi16(u'\r');
    const auto ends = [&](qsizetype at) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        return _mm_or_si128(_mm_cmpeq_epi16(chunk, lineFeed),
                            _mm_cmpeq_epi16(chunk, carriageReturn));
    };
    for (; i + 16 <= n; i += 16) {
        const auto found = unsigned(_mm_movemask_epi8(_mm_packs_epi16(ends(i), ends(i + 8))));
        if (found != 0)
            return i + std::countr_zero(found);
    }
#endif
    for (; i < n; ++i) {
        if (isLineEnd(data[i]))
            return i;
    }
    return n;
}

// The index after the line end that starts at i (a CR LF pair is one line end).
inline qsizetype afterLineEnd(QStringView text, qsizetype i) {
    return text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? i + 2 : i + 1;
}

// A line's start and its end (where its line end starts).
struct LineSpan {
    qsizetype start = 0;
    qsizetype end = 0;
};

// The line before the one that starts at lineStart (which must be above 0): the walk up from a
// header to the comments above it.
inline LineSpan lineBefore(QStringView text, qsizetype lineStart) {
    qsizetype end = lineStart - 1;
    if (text[end] == u'\n' && end > 0 && text[end - 1] == u'\r')
        --end;
    qsizetype start = end;
    while (start > 0 && !isLineEnd(text[start - 1]))
        --start;
    return {start, end};
}

// The index where the next line starts after i, or -1 when no line end follows.
inline qsizetype nextLineStart(QStringView text, qsizetype i) {
    const qsizetype end = findLineEnd(text, i);
    return end < text.size() ? afterLineEnd(text, end) : -1;
}

// ASCII letters, digits and the underscore: what a PureBasic name is made of.
inline bool isWordChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
           u == u'_';
}

// The index of the first character from i on that is not a blank.
inline qsizetype skipBlanks(QStringView text, qsizetype i) {
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return i;
}

// The index after the name characters that start at i.
inline qsizetype skipWord(QStringView text, qsizetype i) {
    while (i < text.size() && isWordChar(text[i]))
        ++i;
    return i;
}

// After a Procedure or Declare keyword that ends at i: past the blanks and the return type
// (".type", ".Module::type" or "$"), where the name starts or the blanks before it.
inline qsizetype skipReturnType(QStringView text, qsizetype i) {
    i = skipBlanks(text, i);
    if (i < text.size() && text[i] == u'$') {
        ++i;
    } else if (i < text.size() && text[i] == u'.') {
        i = skipWord(text, skipBlanks(text, i + 1));
        if (i + 1 < text.size() && text[i] == u':' && text[i + 1] == u':')
            i = skipWord(text, i + 2);
    }
    return i;
}

} // namespace glossa
