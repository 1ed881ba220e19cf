// SPDX-License-Identifier: MIT
#include "doc/sourcetree.h"

#include "ide/docencoding.h"
#include "ide/filemode.h"
#include "ide/ideeditor.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#ifndef Q_OS_WIN
#include <dirent.h>
#endif

using namespace Qt::StringLiterals;

namespace glossa {

bool isSourceFileName(const QString& name) {
    return name.endsWith(u".pb"_s, Qt::CaseInsensitive) ||
           name.endsWith(u".pbi"_s, Qt::CaseInsensitive);
}

namespace {

QString display(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Why a path can't be read as a source, or empty when it can: only regular files are read (a
// FIFO would block the run, a link to a device never ends).
QString notReadable(const QString& path) {
#ifndef Q_OS_WIN
    const QByteArray native = QFile::encodeName(path);
    struct stat status {};
    if (::stat(native.constData(), &status) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode))
        return S_ISDIR(status.st_mode) ? u"it is a folder"_s : u"it is not a regular file"_s;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return u"no such file or folder"_s;
    if (!info.isFile())
        return info.isDir() ? u"it is a folder"_s : u"it is not a regular file"_s;
#endif
    return {};
}

// The exclude patterns, compiled once for the whole run.
class PathFilter {
public:
    explicit PathFilter(const QStringList& globs) {
        for (QString glob : globs) {
            while (glob.startsWith(u"./"_s))
                glob.remove(0, 2);
            while (glob.endsWith(u'/'))
                glob.chop(1);
            if (!glob.contains(u'/'))
                glob.prepend(u"**/"_s);
            QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption;
#ifdef Q_OS_WIN
            options |= QRegularExpression::CaseInsensitiveOption;
#endif
            patterns_.append(
                QRegularExpression(QRegularExpression::anchoredPattern(translate(glob)), options));
        }
    }

    bool excludes(const QString& relativePath) const {
        if (patterns_.isEmpty())
            return false;
        for (qsizetype end = relativePath.indexOf(u'/'); end != -1;
             end = relativePath.indexOf(u'/', end + 1)) {
            if (matches(relativePath.left(end)))
                return true;
        }
        return matches(relativePath);
    }

private:
    bool matches(const QString& path) const {
        for (const QRegularExpression& pattern : patterns_) {
            if (pattern.match(path).hasMatch())
                return true;
        }
        return false;
    }

    static QString translate(const QString& glob) {
        QString regex;
        for (qsizetype i = 0; i < glob.size(); ++i) {
            if (glob.sliced(i).startsWith(u"**/"_s)) {
                regex += u"(?:.*/)?"_s; // also no folder at all
                i += 2;
            } else if (glob.sliced(i).startsWith(u"**"_s)) {
                regex += u".*"_s;
                ++i;
            } else if (glob[i] == u'*') {
                regex += u"[^/]*"_s;
            } else if (glob[i] == u'?') {
                regex += u"[^/]"_s;
            } else {
                regex += QRegularExpression::escape(glob.sliced(i, 1));
            }
        }
        return regex;
    }

    QList<QRegularExpression> patterns_;
};

// Sources whose names don't decode in the system's encoding: the folder iterator never
// lists them (it can't name them back), so they are found by their bytes and reported.
void reportUndecodableNames([[maybe_unused]] const QString& folder,
                            [[maybe_unused]] const PathFilter& filter,
                            [[maybe_unused]] SourceList& list) {
#ifndef Q_OS_WIN
    QStringList folders{folder};
    QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        folders << it.next();
    for (const QString& path : folders) {
        DIR* stream = ::opendir(QFile::encodeName(path).constData());
        if (!stream)
            continue;
        while (const dirent* entry = ::readdir(stream)) {
            const QByteArray name(entry->d_name);
            const QByteArray lower = name.toLower();
            if (name.startsWith('.') || !(lower.endsWith(".pb") || lower.endsWith(".pbi")) ||
                QFile::encodeName(QFile::decodeName(name)) == name)
                continue;
            const QString decoded = QDir(path).filePath(QFile::decodeName(name));
            if (filter.excludes(QDir(folder).relativeFilePath(decoded)))
                continue;
            list.unreadable.append(
                {display(decoded), u"its name is not valid in the system's encoding"_s});
        }
        ::closedir(stream);
    }
#endif
}

void collectFolder(const QString& folder, const PathFilter& filter, SourceList& list) {
    const QDir root(folder);
    const QDir absoluteRoot(root.absolutePath());
    QList<SourceFile> found;
    // System lists links whose target is missing, so that they are reported, not skipped.
    QDirIterator it(folder, QDir::Files | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!isSourceFileName(it.fileName()))
            continue;
        SourceFile file;
        file.path = path;
        file.relativePath = absoluteRoot.relativeFilePath(QFileInfo(path).absoluteFilePath());
        if (filter.excludes(file.relativePath))
            continue;
        file.displayPath = display(root.filePath(file.relativePath));
        const QString why = notReadable(path);
        const QFileInfo info(path);
        if (why.isEmpty() || (info.isSymLink() && !info.exists()))
            found.append(file); // a link to nothing is reported when it is read
        else if (why == u"it is not a regular file"_s)
            list.skipped.append({file.displayPath, why});
        else
            list.unreadable.append({file.displayPath, why});
    }
    std::sort(found.begin(), found.end(), [](const SourceFile& a, const SourceFile& b) {
        return a.relativePath < b.relativePath;
    });
    list.files.append(found);
    reportUndecodableNames(folder, filter, list);
    auto byPath = [](const UnreadablePath& a, const UnreadablePath& b) {
        return a.displayPath < b.displayPath;
    };
    std::sort(list.skipped.begin(), list.skipped.end(), byPath);
}

// Drops the sources found before under another path (a root given twice, a folder inside
// another root): each is read once.
void dropRepeated(QList<SourceFile>& files) {
    QSet<QString> seen;
    seen.reserve(files.size());
    files.removeIf([&](const SourceFile& file) {
        const QFileInfo info(file.path);
        QString key = info.canonicalFilePath();
        if (key.isEmpty())
            key = QDir::cleanPath(info.absoluteFilePath());
        if (seen.contains(key))
            return true;
        seen.insert(key);
        return false;
    });
}

} // namespace

SourceList collectSources(const QStringList& paths, const QStringList& excludes) {
    SourceList list;
    const PathFilter filter(excludes);
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            collectFolder(path, filter, list);
        } else if (filter.excludes(info.fileName())) {
            continue;
        } else if (info.exists() && !isSourceFileName(info.fileName())) {
            list.unreadable.append({display(path), u"it is no PureBasic source (*.pb, *.pbi)"_s});
        } else if (info.exists() && !notReadable(path).isEmpty()) {
            list.unreadable.append({display(path), notReadable(path)});
        } else if (info.exists()) {
            SourceFile file;
            file.path = path;
            file.displayPath = display(path);
            file.relativePath = info.fileName();
            file.named = true;
            list.files.append(file);
        } else {
            list.unreadable.append({display(path), info.isSymLink() ? u"it is a link to nothing"_s
                                                                    : u"no such file or folder"_s});
        }
    }
    if (paths.size() > 1)
        dropRepeated(list.files);
    return list;
}

QString whyNotSourceText(QByteArrayView bytes) {
    QString why = u"it is UTF-16 text, which the PureBasic IDE doesn't write; save it as "
                  "UTF-8"_s;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return why;
    // Without a mark: text of Latin letters has a zero in every second byte, at odd places
    // (little-endian) or at even ones (big-endian), and hardly any at the others.
    const qsizetype pairs = std::min<qsizetype>(bytes.size(), 4096) / 2;
    qsizetype zeros[2] = {0, 0};
    for (qsizetype i = 0; i < pairs * 2; ++i)
        zeros[i % 2] += bytes[i] == '\0' ? 1 : 0;
    for (int at = 0; at < 2; ++at) {
        if (pairs >= 2 && zeros[at] * 2 >= pairs && zeros[1 - at] * 8 <= pairs)
            return why;
    }
    return {};
}

Result readSourceText(const QString& path, SourceText& out) {
    QFile file(path);
    if (!QFileInfo::exists(path)) {
        return Result::failure(QFileInfo(path).isSymLink() ? u"it is a link to nothing"_s
                                                           : u"no such file or folder"_s);
    }
    if (const QString why = notReadable(path); !why.isEmpty())
        return Result::failure(why);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result::failure(file.errorString());
    file.close();
    out.unreadable = whyNotSourceText(bytes);
    if (!out.unreadable.isEmpty()) {
        out.text.clear();
        out.context = CommentContext();
        return Result::success();
    }
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (bom)
        bytes.remove(0, 3);
    out.context = CommentContext();
    out.bom = bom;
    // Read as a file run by hand is, or as the IDE's own temp file when it is one.
    out.context.DocEncoding = encodingForCodePage(codePageFor(bytes, bom, isIdeTempFile(path)));
    out.context.LineEnd = IdeEditor::lineEndForMode(FileMode::eolModeFor(bytes));
    out.context.read = std::make_shared<const DecodedText>(bytes, out.context.DocEncoding);
    out.text = out.context.read->text();
    return Result::success();
}

} // namespace glossa
