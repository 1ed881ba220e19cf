// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace glossa {

// The files Glossa puts beside a file while it replaces it: a temporary file with the new
// bytes, or a safety copy of the old ones. Each is named
// ".<name cut to fit>-<hash of the full name>.glossa-new-XXXXXX" (or "...glossa-copy-XXXXXX"),
// short enough for the file system whatever the file's own name; the hash tells apart long
// names that are cut to the same start.
enum class SideKind { Temporary, SafetyCopy };

// A new name (not checked against the folder) for a side file of target, in target's folder.
QString sideFileName(const QString& target, SideKind kind);

// The side files of target that exist now, by kind. The names earlier versions of Glossa gave
// them (".<name>.glossa-new-XXXXXXXX") count too.
struct SideFiles {
    QStringList temporaries;
    QStringList safetyCopies;
};
SideFiles findSideFiles(const QString& target);

} // namespace glossa
