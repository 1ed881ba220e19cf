#include "ide/filemode.h"

#include "ide/bridge/bridgeoperations.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A positive decimal number, or -1.
int ReadNumber(QStringView text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : -1;
}

} // namespace

bool FileMode::IsValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned min = 0;
        unsigned cp = 0;
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
            return false;
        }
        if (n - i <= extra)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

int FileMode::CodePageFor(QByteArrayView bytes, bool bom) {
    return bom || IsValidUtf8(bytes) ? sci::kCodePageUtf8 : 0;
}

int FileMode::EolModeFor(QByteArrayView bytes) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            return sci::kEolLf;
        if (bytes[i] == '\r')
            return i + 1 < bytes.size() && bytes[i + 1] == '\n' ? sci::kEolCrLf : sci::kEolCr;
    }
    return sci::kEolCrLf;
}

int FileMode::CaretFromText(QByteArrayView document, int codePage, QStringView text) {
    const bool utf8 = codePage == sci::kCodePageUtf8;
    const qsizetype length = document.size();
    const qsizetype x = text.indexOf(u'x', 0, Qt::CaseInsensitive);
    if (x < 0) {
        const int offset = ReadNumber(text);
        if (offset < 0)
            return 0;
        qsizetype position = std::min<qsizetype>(offset, length);
        while (utf8 && position > 0 && position < length && IsContinuation(document[position]))
            --position;
        return int(position);
    }
    int line = ReadNumber(text.first(x));
    int column = ReadNumber(text.sliced(x + 1));
    if (line == -1 && column == -1)
        return 0;
    line = std::max(line, 1);
    column = std::max(column, 1);
    // Find the start of the line.
    qsizetype position = 0;
    for (int current = 1; current < line; ++current) {
        while (position < length && document[position] != '\r' && document[position] != '\n')
            ++position;
        if (position >= length)
            return int(length); // past the last line
        if (document[position] == '\r' && position + 1 < length && document[position + 1] == '\n')
            ++position;
        ++position;
    }
    // Walk column - 1 characters, stopping at the line's end.
    for (int k = 1; k < column; ++k) {
        if (position >= length || document[position] == '\r' || document[position] == '\n')
            break;
        ++position;
        while (utf8 && position < length && IsContinuation(document[position]))
            ++position;
    }
    return int(position);
}

bool FileMode::TakeStamp(const QString& path, Stamp& stamp, QByteArray* content) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    const QFileInfo info(path);
    stamp.size = info.size();
    stamp.modified = info.lastModified();
    stamp.hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    if (stamp.size != bytes.size())
        return false; // changed while being read
    if (content)
        *content = bytes;
    return true;
}

bool FileMode::Load(const QString& path, QString* reason) {
    QByteArray bytes;
    Stamp stamp;
    if (!TakeStamp(path, stamp, &bytes)) {
        if (reason)
            *reason = u"The file \"%1\" can't be read."_s.arg(path);
        return false;
    }
    bom_ = bytes.startsWith(kBom);
    if (bom_)
        bytes.remove(0, 3);
    path_ = path;
    stamp_ = stamp;
    const int codePage = CodePageFor(bytes, bom_);
    const int eolMode = EolModeFor(bytes);
    editor_.SetDocument(std::string(bytes.constData(), std::size_t(bytes.size())));
    editor_.SetCodePage(codePage);
    editor_.SetEolMode(eolMode);
    return true;
}

void FileMode::PlaceCaretFromText(QStringView text) {
    const std::string& document = editor_.Document();
    const int position = CaretFromText(QByteArrayView(document.data(), qsizetype(document.size())),
                                       editor_.CodePage(), text);
    editor_.SetSelection(position, position);
}

bool FileMode::Save(QString* reason) {
    auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (path_.isEmpty())
        return fail(u"No file was loaded."_s);
    Stamp now;
    if (!TakeStamp(path_, now, nullptr))
        return fail(u"The file \"%1\" can't be read any more; nothing was written."_s.arg(path_));
    if (now.size != stamp_.size || now.modified != stamp_.modified || now.hash != stamp_.hash)
        return fail(
            u"The file \"%1\" changed on disk after it was read; nothing was written."_s.arg(
                path_));

    const QFileDevice::Permissions permissions = QFile::permissions(path_);
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return fail(u"The file \"%1\" can't be written: %2"_s.arg(path_, file.errorString()));
    const std::string& document = editor_.Document();
    QByteArray bytes;
    if (bom_)
        bytes.append(kBom, 3);
    bytes.append(document.data(), qsizetype(document.size()));
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return fail(u"The file \"%1\" can't be written: %2"_s.arg(path_, file.errorString()));
    }
    file.setPermissions(permissions);
    if (!file.commit())
        return fail(u"The file \"%1\" can't be written: %2"_s.arg(path_, file.errorString()));
    // Later saves compare against what this one wrote.
    TakeStamp(path_, stamp_, nullptr);
    return true;
}

} // namespace glossa
