// SPDX-License-Identifier: MIT
#include "prefs/settingspaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace glossa {

using namespace Qt::StringLiterals;

QString applicationDataFolder() {
#ifdef Q_OS_WIN
    const QString appData = qEnvironmentVariable("APPDATA");
    if (!appData.isEmpty())
        return QDir::fromNativeSeparators(appData);
#endif
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString settingsFolder() {
    return applicationDataFolder() + u"/zanth/glossa"_s;
}

QString settingsFilePath() {
    return settingsFolder() + u"/glossa.prefs"_s;
}

void EnsureSettingsFolders() {
    // The application-data folder itself may be missing on a fresh account ($XDG_CONFIG_HOME
    // or ~/.config not yet made); without it neither folder below could be created.
    QDir().mkpath(applicationDataFolder());
    QDir base(applicationDataFolder());
    for (const QString& folder : {u"zanth"_s, u"zanth/glossa"_s}) {
        if (!QFileInfo(base.filePath(folder)).isDir())
            base.mkdir(folder); // one folder at a time; a failure is ignored
    }
}

} // namespace glossa
