// SPDX-License-Identifier: MIT
#pragma once

#include "install/ideplatform.h"

#include <cstdint>
#include <functional>
#include <QString>

namespace glossa {

// The IDE's preferences folder, ending in the platform's separator: %APPDATA%\PureBasic\ on
// Windows (just "\PureBasic\" when APPDATA is unset), ~/.purebasic/ elsewhere.
QString IdePrefsFolder(IdePlatform platform);

// The IDE's own preferences file in that folder: "PureBasic.prefs" on Windows,
// "purebasic.prefs" elsewhere.
QString idePrefsFileName(IdePlatform platform);

// The tools.prefs in folder (which ends in a separator): on Windows the file that is there
// under either spelling, else "Tools.prefs", the IDE's own name for it (NTFS ignores case);
// elsewhere "tools.prefs".
QString toolsPrefsPath(const QString& folder, IdePlatform platform);

// The shortcut the installer offers first: Alt+C in the platform's key codes.
std::int32_t defaultShortcut(IdePlatform platform);

// One tool of the IDE's tools menu, as tools.prefs stores it, and how to install it:
// checkShortcut looks for a free shortcut (asking the picker when it is taken), replaceExisting
// overwrites an entry of the same name instead of refusing.
struct ToolEntry {
    QString menuItemName;
    QString arguments;
    QString workingDir;
    QString configLine;
    std::int32_t trigger = 0;
    std::int32_t flags = 0;
    std::int32_t reloadSource = 0;
    std::int32_t hideEditor = 0;
    std::int32_t hideFromMenu = 0;
    std::int32_t shortcut = 0;
    std::int32_t sourceSpecific = 0;
    std::int32_t deactivate = 0;
    bool checkShortcut = true;
    bool replaceExisting = false;
};

// What InstallTool needs from its surroundings. Everything is replaceable so that the file
// logic runs without windows in tests.
struct InstallEnvironment {
    // Asks for the folder of tools.prefs, starting at the given one; returns a path ending in a
    // separator, or empty when cancelled.
    std::function<QString(const QString& startFolder)> pathPicker;
    // Asks for another shortcut (title "Select Shortcut:" when firstTime, else "Shortcut in
    // use!"); returns the shortcut value, or 0 when cancelled.
    std::function<std::int32_t(std::int32_t shortcut, bool firstTime)> shortcutPicker;
    // Reports a failure that the user must know about (title, text).
    std::function<void(const QString& title, const QString& text)> showError;
    // The IDE the entry is for: the name of a new tools.prefs and the key codes.
    IdePlatform platform = currentIdePlatform();
    // The folder offered first.
    QString startFolder;
    // The file name of the IDE's own preferences in the chosen folder (its shortcuts and its
    // language, whose menu titles take shortcuts too).
    QString idePrefsFileName = QStringLiteral("PureBasic.prefs");
    // The full path of Glossa's executable, written as the entry's Command.
    QString executablePath;
};

enum class InstallOutcome { Installed, Cancelled, Failed };

// How an installation ended.
struct InstallResult {
    InstallOutcome outcome = InstallOutcome::Cancelled;
    std::int32_t shortcut = 0; // Installed: the shortcut written into the entry
    QString reason;            // Failed: why, in the user's words
};

// Adds a tools-menu entry to the IDE's tools.prefs. Installed when the entry was written (or,
// with replaceExisting, overwritten) and verified on disk; Cancelled when the user cancelled a
// picker; Failed when an entry of the same menuItemName (exact case) exists and replaceExisting
// is off, tools.prefs holds a ToolCount that leaves no number, or the file could not be
// written. Only the last two are reported through env.showError (naming the file); an
// existing entry is the quiet end of a second installation. A confirmed folder that doesn't
// exist yet is created (with its missing parents) before a new tools.prefs is written into it.
InstallResult InstallTool(ToolEntry entry, const InstallEnvironment& env);

// Glossa's own entry for the platform: name "Glossa", its arguments, flags and reload mode,
// Alt+C in the platform's key codes, the shortcut checked, no replacing.
ToolEntry glossaEntryFor(IdePlatform platform);

// Installs Glossa with the platform's values (name "Glossa", shortcut Alt+C in the platform's
// key codes, shortcut check on, no replacing): the installation run's call. env.platform is
// taken from platform.
InstallResult installGlossa(IdePlatform platform, const InstallEnvironment& env);

// The text of the success message for the shortcut that was stored: the fixed three lines, the
// last naming ALT + C, or the stored shortcut (read with the platform's key codes) when it is
// another one.
QString installSuccessText(std::int32_t storedShortcut, IdePlatform platform);

// Shows a message to the user (title, text).
using MessageSink = std::function<void(const QString& title, const QString& text)>;

// The installation run: installs Glossa with the platform's values and, on success, passes the
// "Success!" title and text to showSuccess. Returns the process's exit code, 0.
int runInstallation(IdePlatform platform, const InstallEnvironment& env,
                    const MessageSink& showSuccess);

// The message when tools.prefs holds a ToolCount that leaves no number for a new entry.
QString installToolCountErrorText(const QString& filePath);

// The text of the message shown when tools.prefs could not be written.
QString installWriteErrorText(const QString& filePath);

} // namespace glossa
