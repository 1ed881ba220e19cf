// SPDX-License-Identifier: MIT
#pragma once

#include "doc/docoptions.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace glossa {

// Runs the check and/or the export. findings and the closing count go to out (the count to err
// when out holds a SARIF log, which is written after an error too), errors (an unusable option,
// a path or source that can't be read, no source at all, a page that can't be written, out
// that can't be written) and the progress line to err.
// Exit code: 2 on any such error, else 1 with findings of the check, else 0. The sources are only
// read; in the output folder only files an earlier export wrote (its manifest says which) are
// replaced or removed, others only with "-force". settingsPath: the other tool's settings, for
// "-theme:ide".
int runDocumentation(const QStringList& arguments, const QString& settingsPath, std::FILE* out,
                     std::FILE* err);

} // namespace glossa
