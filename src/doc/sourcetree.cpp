#include "doc/sourcetree.h"

#include "ide/filemode.h"
#include "ide/ideeditor.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

bool IsSourceFileName(const QString& name) {
    return name.endsWith(u".pb"_s, Qt::CaseInsensitive) ||
           name.endsWith(u".pbi"_s, Qt::CaseInsensitive);
}

namespace {

QString Display(const QString& path) {
    return QDir::toNativeSeparators(path);
}

void CollectFolder(const QString& folder, SourceList& list) {
    const QDir root(folder);
    const QDir absoluteRoot(root.absolutePath());
    QList<SourceFile> found;
    // System lists links whose target is missing, so that they are reported, not skipped.
    QDirIterator it(folder, QDir::Files | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!IsSourceFileName(it.fileName()))
            continue;
        SourceFile file;
        file.path = path;
        file.relativePath = absoluteRoot.relativeFilePath(QFileInfo(path).absoluteFilePath());
        file.displayPath = Display(root.filePath(file.relativePath));
        found.append(file);
    }
    std::sort(found.begin(), found.end(), [](const SourceFile& a, const SourceFile& b) {
        return a.relativePath < b.relativePath;
    });
    list.files.append(found);
}

} // namespace

SourceList CollectSources(const QStringList& paths) {
    SourceList list;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            CollectFolder(path, list);
        } else if (info.exists()) {
            SourceFile file;
            file.path = path;
            file.displayPath = Display(path);
            file.relativePath = info.fileName();
            file.named = true;
            list.files.append(file);
        } else {
            list.unreadable.append({Display(path), info.isSymLink() ? u"it is a link to nothing"_s
                                                                    : u"no such file or folder"_s});
        }
    }
    return list;
}

bool ReadSourceText(const QString& path, SourceText& out, QString* reason) {
    QFile file(path);
    if (!QFileInfo::exists(path)) {
        if (reason)
            *reason = QFileInfo(path).isSymLink() ? u"it is a link to nothing"_s
                                                  : u"no such file or folder"_s;
        return false;
    }
    if (QFileInfo(path).isDir()) {
        if (reason)
            *reason = u"it is a folder"_s;
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    file.close();
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (bom)
        bytes.remove(0, 3);
    out.context = CommentContext();
    // Read as a file run by hand is, or as the IDE's own temp file when it is one.
    out.context.DocEncoding =
        EncodingForCodePage(FileMode::CodePageFor(bytes, bom, FileMode::IsIdeTempFile(path)));
    out.context.LineEnd = IdeEditor::LineEndForMode(FileMode::EolModeFor(bytes));
    out.context.Read = std::make_shared<const DecodedText>(bytes, out.context.DocEncoding);
    out.text = out.context.Read->Text();
    return true;
}

} // namespace glossa
