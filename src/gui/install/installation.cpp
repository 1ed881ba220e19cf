// SPDX-License-Identifier: MIT
#include "install/installation.h"

#include "install/pathpicker.h"
#include "install/shortcutpicker.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

void showBox(QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    box.exec();
}

} // namespace

InstallEnvironment systemInstallEnvironment(IdePlatform platform) {
    InstallEnvironment env;
    env.pathPicker = PathPicker;
    env.shortcutPicker = ShortcutPicker;
    env.showError = [](const QString& title, const QString& text) {
        showBox(QMessageBox::Warning, title, text);
    };
    env.platform = platform;
    env.startFolder = IdePrefsFolder(platform);
    env.idePrefsFileName = idePrefsFileName(platform);
    env.executablePath = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    return env;
}

int runInstallation() {
    const IdePlatform platform = currentIdePlatform();
    return runInstallation(platform, systemInstallEnvironment(platform),
                           [](const QString& title, const QString& text) {
                               showBox(QMessageBox::NoIcon, title, text);
                           });
}

} // namespace glossa
