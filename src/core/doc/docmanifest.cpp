// SPDX-License-Identifier: MIT
#include "doc/docmanifest.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

const QByteArray kFirstLine = "glossa export manifest 1";

// Whether a file (not a link) stands at path whose first line is the manifest's.
bool isManifest(const QString& path) {
    QFile file(path);
    return !QFileInfo(path).isSymLink() && file.open(QIODevice::ReadOnly) &&
           file.readLine(kFirstLine.size() + 2) == kFirstLine + '\n';
}

} // namespace

QString manifestName() {
    return u".glossa-export"_s;
}

bool isOwnRelativeName(const QString& name) {
    if (name.isEmpty() || name.startsWith(u'/') || name.contains(u'\\') ||
        (name.size() > 1 && name[1] == u':') || name.contains(u'\n') || name.contains(u'\t') ||
        name == manifestName())
        return false;
    for (const QStringView segment : QStringView(name).split(u'/')) {
        if (segment.isEmpty() || segment == u"." || segment == u"..")
            return false;
    }
    return true;
}

QList<ManifestEntry> readManifest(const QDir& folder) {
    QList<ManifestEntry> entries;
    QFile file(folder.filePath(manifestName()));
    if (QFileInfo(file.fileName()).isSymLink() || !file.open(QIODevice::ReadOnly))
        return entries;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.isEmpty() || lines.first() != kFirstLine)
        return entries;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split('\t');
        if (fields.size() != 2)
            continue;
        ManifestEntry entry{QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1])};
        if (isOwnRelativeName(entry.file))
            entries.append(entry);
    }
    return entries;
}

QByteArray manifestBytes(const QList<ManifestEntry>& entries) {
    QByteArray bytes = kFirstLine + '\n';
    for (const ManifestEntry& entry : entries) {
        if (!isOwnRelativeName(entry.file) || entry.source.contains(u'\n') ||
            entry.source.contains(u'\t'))
            continue;
        bytes += entry.file.toUtf8() + '\t' + entry.source.toUtf8() + '\n';
    }
    return bytes;
}

bool isUnderRoots(const QString& source, const QStringList& roots, PathRules rules) {
    const bool windows = rules == PathRules::Windows;
    const Qt::CaseSensitivity cs = windows ? Qt::CaseInsensitive : Qt::CaseSensitive;
    auto clean = [&](QString path) {
        if (windows)
            path.replace(u'\\', u'/');
        return QDir::cleanPath(path);
    };
    const QString path = clean(source);
    for (const QString& given : roots) {
        const QString root = clean(given);
        if (root.isEmpty())
            continue;
        if (path.compare(root, cs) == 0 ||
            (path.startsWith(root, cs) && (root.endsWith(u'/') || path.at(root.size()) == u'/')))
            return true;
    }
    return false;
}

QStringList filesNotOurs(const QDir& folder, const QStringList& planned,
                         const QList<ManifestEntry>& manifest, PathRules rules) {
    // Names as the file system compares them.
    auto key = [rules](const QString& name) {
        return rules == PathRules::Windows ? name.toLower() : name;
    };
    QSet<QString> ours;
    for (const ManifestEntry& entry : manifest)
        ours.insert(key(entry.file));
    QStringList found;
    const QString manifestPath = folder.filePath(manifestName());
    const QFileInfo manifestInfo(manifestPath);
    if ((manifestInfo.exists() || manifestInfo.isSymLink()) && !isManifest(manifestPath))
        found << manifestName();
    for (const QString& name : planned) {
        const QFileInfo info(folder.filePath(name));
        if (ours.contains(key(name)) || (!info.exists() && !info.isSymLink()) ||
            (info.isDir() && !info.isSymLink()))
            continue;
        found << name;
    }
    return found;
}

Result removeOwnFile(const QDir& folder, const QString& relative) {
    if (!isOwnRelativeName(relative))
        return Result::failure(u"its name leads out of the folder"_s);
    const QStringList parts = relative.split(u'/');
    QString path = folder.path();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        path += u'/' + parts[i];
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            return Result::success();
        const bool last = i + 1 == parts.size();
        if (info.isSymLink() || info.isJunction())
            return Result::failure(last ? u"it is a link now, not a page Glossa wrote"_s
                                        : u"a folder on the way is a link"_s);
        if (last ? !info.isFile() : !info.isDir())
            return Result::failure(last ? u"it is no longer a file Glossa wrote"_s
                                        : u"a folder on the way is not a folder"_s);
    }
    if (!QFile::remove(path))
        return Result::failure(QFile(path).errorString());
    return Result::success();
}

void removeEmptyFoldersOf(const QDir& folder, const QString& relative) {
    if (!isOwnRelativeName(relative))
        return;
    QStringList parts = relative.split(u'/');
    parts.removeLast();
    for (; !parts.isEmpty(); parts.removeLast()) {
        const QString path = folder.path() + u'/' + parts.join(u'/');
        const QFileInfo info(path);
        // rmdir refuses a folder that holds anything, a user's file included.
        if (info.isSymLink() || info.isJunction() || !info.isDir() || !QDir().rmdir(path))
            return;
    }
}

} // namespace glossa
