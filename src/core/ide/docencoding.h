// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace glossa {

// How the IDE document's bytes encode its text: UTF-8 (code page 65001) or the ANSI code page
// (CP_ACP on Windows, ISO 8859-1 elsewhere: one byte a character).
enum class DocEncoding { Ansi, Utf8 };

constexpr int kCodePageUtf8 = 65001;

// The encoding that a Scintilla code page selects.
inline DocEncoding encodingForCodePage(int codePage) {
    return codePage == kCodePageUtf8 ? DocEncoding::Utf8 : DocEncoding::Ansi;
}

// Encodes text; characters that the ANSI code page can't hold become "?". In UTF-8 a lone
// surrogate becomes U+FFFD.
QByteArray encodeText(QStringView text, DocEncoding encoding);

// Decodes bytes, all of them: a zero byte is U+0000, a character like any other. Each byte of
// an invalid UTF-8 sequence becomes one U+FFFD.
QString decodeText(QByteArrayView bytes, DocEncoding encoding);

// Strict UTF-8: no overlong forms, surrogates or code points above U+10FFFF.
bool isValidUtf8(QByteArrayView bytes);

// Number of bytes that text takes in the encoding, without a terminator; always the size of
// encodeText's result.
qsizetype EncodedLength(QStringView text, DocEncoding encoding);

// Text decoded from document bytes together with those bytes, so that a position in the text
// maps back to the bytes it came from, also where re-encoding would differ (invalid UTF-8).
class DecodedText {
public:
    DecodedText() = default;
    // Decodes bytes as decodeText does.
    DecodedText(QByteArrayView bytes, DocEncoding encoding);
    // The same, keeping bytes themselves (no copy).
    DecodedText(QByteArray&& bytes, DocEncoding encoding);

    const QString& text() const { return text_; }
    // The bytes the text came from.
    const QByteArray& bytes() const { return bytes_; }
    // Byte index, in bytes(), of the character at a text index (0..size; size gives the
    // number of bytes).
    qsizetype byteIndex(qsizetype textIndex) const;

private:
    void decode(DocEncoding encoding);

    QString text_;
    QByteArray bytes_;
    // The byte index of each UTF-16 unit and one past the end; empty when every unit is one
    // byte at the same index.
    std::vector<qint32> offsets_;
};

// The characters of text that the encoding can't store, each once, in the order of their first
// appearance (a surrogate pair is one character); empty when it stores them all. UTF-8 stores
// everything but a lone surrogate; the ANSI code page only what it maps to a byte sequence of
// its own (a "best fit" such as "a" for "ā" counts as not stored).
QString unencodableCharacters(QStringView text, DocEncoding encoding);

// The characters named for a message: each as itself with its code point ("€ (U+20AC)"), a
// lone surrogate by its code point alone, separated by ", ".
QString nameCharacters(QStringView characters);

// Code page of file bytes (without the mark), as the IDE will read the file back: 65001 with a
// byte-order mark; without one 0 (the 8-bit code page) when the IDE started Glossa, and by hand
// 65001 only for bytes that hold non-ASCII text and are valid UTF-8 (a file written by another
// editor), else 0.
int codePageFor(QByteArrayView bytes, bool bom, bool startedByIde);

// Whether path names one of the IDE's temporary copies of a source ("PureBasic_TempFile<N>.pb").
bool isIdeTempFile(const QString& path);

} // namespace glossa
