// SPDX-License-Identifier: MIT
#include "ide/docencoding.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include "files/prefault.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using namespace Qt::StringLiterals;

namespace glossa {

QByteArray encodeText(QStringView text, DocEncoding encoding) {
    if (encoding == DocEncoding::Utf8) {
        // Written here rather than by QString::toUtf8, so that a lone surrogate takes exactly
        // the bytes EncodedLength counts for it.
        QByteArray out;
        out.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            char32_t c = text[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                QChar::isLowSurrogate(text[i + 1].unicode())) {
                c = QChar::surrogateToUcs4(char16_t(c), text[i + 1].unicode());
                ++i;
            } else if (QChar::isSurrogate(c)) {
                c = 0xFFFD;
            }
            if (c < 0x80) {
                out.append(char(c));
            } else if (c < 0x800) {
                out.append(char(0xC0 | (c >> 6)));
                out.append(char(0x80 | (c & 0x3F)));
            } else if (c < 0x10000) {
                out.append(char(0xE0 | (c >> 12)));
                out.append(char(0x80 | ((c >> 6) & 0x3F)));
                out.append(char(0x80 | (c & 0x3F)));
            } else {
                out.append(char(0xF0 | (c >> 18)));
                out.append(char(0x80 | ((c >> 12) & 0x3F)));
                out.append(char(0x80 | ((c >> 6) & 0x3F)));
                out.append(char(0x80 | (c & 0x3F)));
            }
        }
        return out;
    }
#ifdef Q_OS_WIN
    if (text.isEmpty())
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray out(size, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
#else
    // ISO 8859-1: one byte a code point; a character outside it (a surrogate pair counts as
    // one character) becomes one "?".
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out.append('?');
            ++i;
        } else {
            out.append(c <= 0xFF ? char(c) : '?');
        }
    }
    return out;
#endif
}

QString decodeText(QByteArrayView bytes, DocEncoding encoding) {
    return DecodedText(bytes, encoding).text();
}

namespace {

// Length of the valid UTF-8 sequence at i, or 0 when the byte there starts none.
int utf8SequenceAt(const unsigned char* p, qsizetype n, qsizetype i, char32_t& cp) {
    const unsigned char c = p[i];
    int extra = 0;
    char32_t min = 0;
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        min = 0x80;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        min = 0x800;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        min = 0x10000;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (n - i <= extra)
        return 0;
    for (int k = 1; k <= extra; ++k) {
        if ((p[i + k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return extra + 1;
}

} // namespace

namespace {

// Each byte widened to the character of the same number (Latin-1, of which ASCII is a part),
// into a string whose memory is backed before it is written (see prefaultForWriting): the
// decoding of a large source is mostly that memory's first touch.
QString widenLatin1(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    prefaultForWriting(out, bytes.size() * qsizetype(sizeof(char16_t)));
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= bytes.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(chunk, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(chunk, zero));
    }
#endif
    for (; i < bytes.size(); ++i)
        out[i] = in[i];
    return text;
}

} // namespace

bool isValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    char32_t cp = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = utf8SequenceAt(p, bytes.size(), i, cp);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

DecodedText::DecodedText(QByteArrayView bytes, DocEncoding encoding) : bytes_(bytes.toByteArray()) {
    decode(encoding);
}

DecodedText::DecodedText(QByteArray&& bytes, DocEncoding encoding) : bytes_(std::move(bytes)) {
    decode(encoding);
}

void DecodedText::decode(DocEncoding encoding) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.constData());
    const qsizetype n = bytes_.size();
    if (encoding == DocEncoding::Utf8) {
        const bool ascii = QtPrivate::isAscii(QLatin1StringView(bytes_)); // Qt's, word by word
        if (ascii) {
            text_ = widenLatin1(bytes_);
            return;
        }
        text_.reserve(n);
        offsets_.reserve(std::size_t(n) + 1);
        prefaultForWriting(text_.data(), n * qsizetype(sizeof(QChar)));
        prefaultForWriting(offsets_.data(), (n + 1) * qsizetype(sizeof(qint32)));
        for (qsizetype i = 0; i < n;) {
            char32_t cp = 0;
            int length = utf8SequenceAt(p, n, i, cp);
            if (length == 0) {
                cp = 0xFFFD; // one replacement character per byte that starts no sequence
                length = 1;
            }
            if (QChar::requiresSurrogates(cp)) {
                text_.append(QChar(QChar::highSurrogate(cp)));
                text_.append(QChar(QChar::lowSurrogate(cp)));
                offsets_.push_back(qint32(i));
            } else {
                text_.append(QChar(char16_t(cp)));
            }
            offsets_.push_back(qint32(i));
            i += length;
        }
        offsets_.push_back(qint32(n));
        return;
    }
#ifdef Q_OS_WIN
    if (n == 0)
        return;
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes_.constData(), int(n), nullptr, 0);
    text_ = QString(size, Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, 0, bytes_.constData(), int(n),
                        reinterpret_cast<wchar_t*>(text_.data()), size);
    if (text_.size() == n)
        return; // a single-byte code page: one unit per byte
    // A double-byte code page: decode character by character to know where each one starts.
    text_.clear();
    offsets_.clear();
    for (qsizetype i = 0; i < n;) {
        const int length = IsDBCSLeadByte(p[i]) && i + 1 < n ? 2 : 1;
        wchar_t wide[2];
        const int units = MultiByteToWideChar(CP_ACP, 0, bytes_.constData() + i, length, wide, 2);
        for (int k = 0; k < units; ++k) {
            text_.append(QChar(char16_t(wide[k])));
            offsets_.push_back(qint32(i));
        }
        i += length;
    }
    offsets_.push_back(qint32(n));
#else
    text_ = widenLatin1(bytes_);
#endif
}

qsizetype DecodedText::byteIndex(qsizetype textIndex) const {
    textIndex = std::clamp<qsizetype>(textIndex, 0, text_.size());
    if (offsets_.empty())
        return textIndex;
    return offsets_[std::size_t(textIndex)];
}

qsizetype EncodedLength(QStringView text, DocEncoding encoding) {
    if (encoding == DocEncoding::Utf8) {
        // Counted without building the bytes: this runs for every position mapping.
        qsizetype n = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c < 0x80)
                n += 1;
            else if (c < 0x800)
                n += 2;
            else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                     QChar::isLowSurrogate(text[i + 1].unicode())) {
                n += 4;
                ++i;
            } else
                n += 3; // a lone surrogate is encoded as U+FFFD
        }
        return n;
    }
#ifdef Q_OS_WIN
    return encodeText(text, encoding).size();
#else
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (QChar::isHighSurrogate(text[i].unicode()) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
        ++n;
    }
    return n;
#endif
}

namespace {

// Whether the ANSI code page stores one character (a code point's UTF-16 units).
bool ansiStores(QStringView character) {
#ifdef Q_OS_WIN
    const auto* wide = reinterpret_cast<const wchar_t*>(character.utf16());
    const int length = int(character.size());
    if (GetACP() == CP_UTF8) // a system set to UTF-8: no "used default" report, nothing lost
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, length, nullptr, 0, nullptr,
                                   nullptr) > 0;
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0,
                                         nullptr, &usedDefault);
    return size > 0 && !usedDefault;
#else
    // ISO 8859-1: the first 256 code points.
    return character.size() == 1 && character[0].unicode() <= 0xFF;
#endif
}

} // namespace

QString unencodableCharacters(QStringView text, DocEncoding encoding) {
    QString found;
    for (qsizetype i = 0; i < text.size();) {
        const char16_t c = text[i].unicode();
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                          QChar::isLowSurrogate(text[i + 1].unicode());
        const QStringView character = text.sliced(i, pair ? 2 : 1);
        i += character.size();
        if (c < 0x80)
            continue;                                      // ASCII is stored by both
        const bool whole = pair || !QChar::isSurrogate(c); // a lone surrogate is no character
        const bool stored = whole && (encoding == DocEncoding::Utf8 || ansiStores(character));
        if (!stored && !found.contains(character))
            found += character;
    }
    return found;
}

QString nameCharacters(QStringView characters) {
    QStringList named;
    for (qsizetype i = 0; i < characters.size();) {
        const char32_t code = characters[i].isHighSurrogate() && i + 1 < characters.size()
                                  ? QChar::surrogateToUcs4(characters[i], characters[i + 1])
                                  : characters[i].unicode();
        const qsizetype units = code > 0xFFFF ? 2 : 1;
        const QString hex = QString::number(uint(code), 16).toUpper().rightJustified(4, u'0');
        if (QChar::isSurrogate(code))
            named << u"U+"_s + hex; // a lone surrogate has no shape of its own
        else
            named << characters.mid(i, units).toString() + u" (U+"_s + hex + u')';
        i += units;
    }
    return named.join(u", "_s);
}

int codePageFor(QByteArrayView bytes, bool bom, bool startedByIde) {
    if (bom)
        return kCodePageUtf8;
    // The IDE reloads a file without the mark as an 8-bit source, whatever its bytes.
    if (startedByIde)
        return 0;
    const bool ascii = QtPrivate::isAscii(QLatin1StringView(bytes)); // Qt's, word by word
    return !ascii && isValidUtf8(bytes) ? kCodePageUtf8 : 0;
}

bool isIdeTempFile(const QString& path) {
    static const QRegularExpression name(u"^PureBasic_TempFile\\d*\\.pb$"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    return name.match(QFileInfo(path).fileName()).hasMatch();
}

} // namespace glossa
