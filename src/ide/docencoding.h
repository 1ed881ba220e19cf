#pragma once

#include <QByteArray>
#include <QString>

namespace glossa {

// How the IDE document's bytes encode its text: UTF-8 (code page 65001) or the ANSI code page
// (CP_ACP on Windows, ISO 8859-1 elsewhere: one byte a character).
enum class DocEncoding { Ansi, Utf8 };

constexpr int kCodePageUtf8 = 65001;

// The encoding that a Scintilla code page selects.
inline DocEncoding EncodingForCodePage(int codePage) {
    return codePage == kCodePageUtf8 ? DocEncoding::Utf8 : DocEncoding::Ansi;
}

// Encodes text; characters that the ANSI code page can't hold become "?".
QByteArray EncodeText(QStringView text, DocEncoding encoding);

// Decodes bytes, stopping at the first zero byte. Invalid UTF-8 becomes U+FFFD.
QString DecodeText(QByteArrayView bytes, DocEncoding encoding);

// Number of bytes that text takes in the encoding, without a terminator.
qsizetype EncodedLength(QStringView text, DocEncoding encoding);

// The characters of text that the encoding can't store, each once, in the order of their first
// appearance (a surrogate pair is one character); empty when it stores them all. UTF-8 stores
// everything but a lone surrogate; the ANSI code page only what it maps to a byte sequence of
// its own (a "best fit" such as "a" for "ā" counts as not stored).
QString UnencodableCharacters(QStringView text, DocEncoding encoding);

} // namespace glossa
