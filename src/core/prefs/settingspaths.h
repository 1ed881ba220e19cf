#pragma once

#include <QString>

namespace glossa {

// The application-data folder: %APPDATA% on Windows, else $XDG_CONFIG_HOME or ~/.config
// (the test location under QStandardPaths' test mode).
QString ApplicationDataFolder();

// "zanth/glossa" under the application-data folder.
QString SettingsFolder();

// "glossa.prefs" in the settings folder.
QString SettingsFilePath();

// Creates "zanth" and then "zanth/glossa" when they are missing; failures are ignored.
void EnsureSettingsFolders();

} // namespace glossa
