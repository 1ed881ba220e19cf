#pragma once

#include <QChar>
#include <QStringView>

namespace glossa {

// The characters PureBasic source is scanned by, shared by the header search, the comment
// block's reading and the export's reading of modules.

// A blank inside a line: space or tab.
inline bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// The end of a line: CR or LF (a CR LF pair is two).
inline bool IsLineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}

// ASCII letters, digits and the underscore: what a PureBasic name is made of.
inline bool IsWordChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
           u == u'_';
}

// The index of the first character from i on that is not a blank.
inline qsizetype SkipBlanks(QStringView text, qsizetype i) {
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i;
}

// The index after the name characters that start at i.
inline qsizetype SkipWord(QStringView text, qsizetype i) {
    while (i < text.size() && IsWordChar(text[i]))
        ++i;
    return i;
}

} // namespace glossa
