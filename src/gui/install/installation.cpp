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

InstallEnvironment SystemInstallEnvironment(IdePlatform platform) {
    InstallEnvironment env;
    env.pathPicker = PathPicker;
    env.shortcutPicker = ShortcutPicker;
    env.showError = [](const QString& title, const QString& text) {
        showBox(QMessageBox::Warning, title, text);
    };
    env.platform = platform;
    env.startFolder = IdePrefsFolder(platform);
    env.idePrefsFileName = IdePrefsFileName(platform);
    env.executablePath = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    return env;
}

int RunInstallation() {
    const IdePlatform platform = CurrentIdePlatform();
    return RunInstallation(platform, SystemInstallEnvironment(platform),
                           [](const QString& title, const QString& text) {
                               showBox(QMessageBox::NoIcon, title, text);
                           });
}

} // namespace glossa
