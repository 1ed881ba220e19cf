// SPDX-License-Identifier: MIT
#pragma once

#include "files/result.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

namespace glossa {

// The list of files an export wrote into its output folder, kept there, so that the next
// export can take away the pages whose sources are gone, and nothing else.
struct ManifestEntry {
    QString file;   // relative to the output folder, "/" separators
    QString source; // the source's absolute path when the page was written; empty for the
                    // index pages
};

// The manifest's name in the output folder.
QString manifestName();

// A relative name that stays inside the folder: not empty, not absolute, no "\", no drive, no
// empty, "." or ".." segment, not the manifest itself.
bool isOwnRelativeName(const QString& name);

// The entries of the manifest in the folder; lines that are not one of ours are left out. No
// manifest: none.
QList<ManifestEntry> readManifest(const QDir& folder);

QByteArray manifestBytes(const QList<ManifestEntry>& entries);

// How paths are compared: Windows takes "\\" for "/" and ignores letter case ("C:\\src" and
// "c:/src/" are one folder there).
enum class PathRules { Posix, Windows };
#ifdef Q_OS_WIN
inline constexpr PathRules kHostPathRules = PathRules::Windows;
#else
inline constexpr PathRules kHostPathRules = PathRules::Posix;
#endif

// True when source lies at or below one of the roots (absolute paths, cleaned here first).
bool isUnderRoots(const QString& source, const QStringList& roots,
                  PathRules rules = kHostPathRules);

// The files of planned (relative names, "/" separators) that stand in folder although the
// manifest doesn't list them, in the order of planned, the manifest's own name first when a
// file of that name is no manifest: files of the user's own, which an export replaces only
// when told to. A folder in a page's place is not listed: it is never replaced (the page
// can't be written).
QStringList filesNotOurs(const QDir& folder, const QStringList& planned,
                         const QList<ManifestEntry>& manifest, PathRules rules = kHostPathRules);

// Removes a file an earlier export wrote: only a regular file, reached through no link. True
// when it is gone (or was already); a failure with a reason when it stays.
Result removeOwnFile(const QDir& folder, const QString& relative);

// After the file at relative (inside folder) is gone: removes the folders on its way that are
// empty now, the deepest first, up to but not including folder itself. Stops at the first that
// holds anything or is a link.
void removeEmptyFoldersOf(const QDir& folder, const QString& relative);

} // namespace glossa
