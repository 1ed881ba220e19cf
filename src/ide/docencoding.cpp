#include "ide/docencoding.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace glossa {

QByteArray EncodeText(QStringView text, DocEncoding encoding) {
    if (encoding == DocEncoding::Utf8)
        return text.toUtf8();
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

QString DecodeText(QByteArrayView bytes, DocEncoding encoding) {
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes = bytes.first(zero);
    if (encoding == DocEncoding::Utf8)
        return QString::fromUtf8(bytes);
#ifdef Q_OS_WIN
    if (bytes.isEmpty())
        return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    QString out(size, Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), size);
    return out;
#else
    return QString::fromLatin1(bytes);
#endif
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
    return EncodeText(text, encoding).size();
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
bool AnsiStores(QStringView character) {
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

QString UnencodableCharacters(QStringView text, DocEncoding encoding) {
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
        const bool stored = whole && (encoding == DocEncoding::Utf8 || AnsiStores(character));
        if (!stored && !found.contains(character))
            found += character;
    }
    return found;
}

} // namespace glossa
