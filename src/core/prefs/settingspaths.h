// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace glossa {

// The application-data folder: %APPDATA% on Windows, else $XDG_CONFIG_HOME or ~/.config
// (the test location under QStandardPaths' test mode).
QString applicationDataFolder();

// "zanth/glossa" under the application-data folder.
QString settingsFolder();

// "glossa.prefs" in the settings folder.
QString settingsFilePath();

// Creates "zanth" and then "zanth/glossa" when they are missing; failures are ignored.
void EnsureSettingsFolders();

} // namespace glossa
