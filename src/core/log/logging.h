// SPDX-License-Identifier: MIT
#pragma once

#include "files/result.h"

#include <QLoggingCategory>
#include <QString>

namespace glossa {

// What Glossa decided in the field, for a bug report. Off by default; on with QT_LOGGING_RULES
// ("glossa.file.debug=true") or -verbose. Every line is a qCDebug in one of these.
Q_DECLARE_LOGGING_CATEGORY(lcBridge)  // glossa.bridge: the IDE's editor, its window and process
Q_DECLARE_LOGGING_CATEGORY(lcFile)    // glossa.file: files read and written, code pages, blocks
Q_DECLARE_LOGGING_CATEGORY(lcExport)  // glossa.export: the check's and the export's runs
Q_DECLARE_LOGGING_CATEGORY(lcInstall) // glossa.install: the tools-menu entry

// -verbose: every glossa category on, whatever the logging rules say of them.
void enableVerboseLogging();

// Passes the bridge's lines on to glossa.bridge. Without the category on, the bridge isn't
// asked to build them.
void connectBridgeLog();

// "glossa.log" beside the settings file at settingsPath.
QString logFilePathBeside(const QString& settingsPath);

// Appends every message from now on to the file at path as well (each run starts with a line
// naming the version and the time, so that runs one after another can be told apart);
// standard error still gets them. A log is no user file: it is written straight, never
// through the safe write. Fails, with a reason, when the file can't be opened.
Result startLogFile(const QString& path);

// Stops copying messages into the file and closes it.
void stopLogFile();

} // namespace glossa
