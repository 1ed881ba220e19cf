// SPDX-License-Identifier: MIT
#pragma once

#include "comment/commentcontext.h"
#include "files/result.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace glossa {

// One source to check or export.
struct SourceFile {
    QString path;         // to open
    QString displayPath;  // as the user named it: the argument, or folder argument + relative
    QString relativePath; // below the folder argument ("/" separators); the file name for a
                          // file argument
    bool named = false;   // named on the command line itself (not found in a folder)
};

// A command-line path that can't be read, and why.
struct UnreadablePath {
    QString displayPath;
    QString reason;
};

struct SourceList {
    QList<SourceFile> files;
    QList<UnreadablePath> unreadable;
    // Found in a folder but not a regular file (a FIFO, a device, a link to one): left out.
    QList<UnreadablePath> skipped;
};

// True for the names of PureBasic sources: "*.pb" and "*.pbi", letter case ignored.
bool isSourceFileName(const QString& name);

// The sources of the paths, in argument order, each once (the first path that reaches it
// names it): a file as it is named (anything but a source is unreadable); a folder searched
// recursively for sources (hidden entries and linked folders skipped), sorted by relative
// path. A path that doesn't exist or that names anything but a regular file is unreadable; so
// is a source in a folder whose name the file system doesn't give back. Anything else in a
// folder that is not a regular file is skipped.
// A source is left out entirely when its path relative to its argument ("/" separators; a
// file argument's name), or a folder on that way, matches one of the exclude patterns: "*"
// stands for any characters but "/", "**" for any characters, "?" for one character but "/";
// a pattern without "/" matches a file or folder name at any depth.
SourceList collectSources(const QStringList& paths, const QStringList& excludes = {});

// A source's text as file mode reads it: the byte-order mark decides UTF-8, and without one
// the bytes do (codePageFor); the line end is the first one of the file.
struct SourceText {
    QString text;
    CommentContext context;
    bool bom = false; // the file starts with a UTF-8 byte-order mark (not in context.read)
    // Why the bytes read are no text Glossa can read (UTF-16, which the IDE never writes);
    // empty when they are. The text is then empty.
    QString unreadable;
};

// Why bytes are no PureBasic source: UTF-16, by its byte-order mark or by the zero bytes of
// the characters below 256. Empty for anything else (a stray zero byte is a character).
QString whyNotSourceText(QByteArrayView bytes);

// Fails, with a reason, when the file can't be read.
Result readSourceText(const QString& path, SourceText& out);

} // namespace glossa
