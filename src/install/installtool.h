#pragma once

#include <cstdint>
#include <functional>
#include <QString>

namespace glossa {

// Which IDE the entry is written for: the Windows IDE runs tools on its live editor; the Linux
// and macOS IDE runs them on a saved copy of the source (file mode).
enum class IdePlatform { Windows, Unix };

// The platform Glossa was built for.
IdePlatform CurrentIdePlatform();

// The IDE's preferences folder, ending in the platform's separator: %APPDATA%\PureBasic\ on
// Windows (just "\PureBasic\" when APPDATA is unset), ~/.purebasic/ elsewhere.
QString IdePrefsFolder(IdePlatform platform);

// The IDE's own preferences file in that folder: "PureBasic.prefs", "purebasic.prefs" on Unix.
QString IdePrefsFileName(IdePlatform platform);

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
    // The folder offered first.
    QString startFolder;
    // The file name of the IDE's own preferences in the chosen folder.
    QString idePrefsFileName = QStringLiteral("PureBasic.prefs");
    // The full path of Glossa's executable, written as the entry's Command.
    QString executablePath;
    // Set by InstallTool on success: the shortcut written into the entry.
    std::int32_t* storedShortcut = nullptr;
};

// Adds a tools-menu entry to the IDE's tools.prefs. Returns 1 when the entry was written (or,
// with replaceExisting, overwritten) and verified on disk; 0 when the user cancelled, an entry
// of the same menuItemName (exact case) exists and replaceExisting is off, or the file could
// not be written. Only an unwritable file is reported, through env.showError, naming the file.
int InstallTool(const QString& menuItemName, const QString& arguments, const QString& workingDir,
                std::int32_t trigger, std::int32_t flags, std::int32_t reloadSource,
                std::int32_t hideEditor, bool checkShortcut, std::int32_t hideFromMenu,
                bool replaceExisting, std::int32_t shortcut, std::int32_t sourceSpecific,
                std::int32_t deactivate, const QString& configLine, const InstallEnvironment& env);

// Glossa's own entry for the platform: its arguments, flags and reload mode.
struct GlossaToolEntry {
    QString arguments;
    std::int32_t flags = 0;
    std::int32_t reloadSource = 0;
};
GlossaToolEntry GlossaEntryFor(IdePlatform platform);

// Installs Glossa with the platform's values (name "Glossa", shortcut Alt+C, shortcut check on,
// no replacing): the installation run's call.
int InstallGlossa(IdePlatform platform, const InstallEnvironment& env);

// The text of the success message for the shortcut that was stored: the fixed three lines, the
// last naming ALT + C, or the stored shortcut when it is another one.
QString InstallSuccessText(std::int32_t storedShortcut);

// The text of the message shown when tools.prefs could not be written.
// The message when tools.prefs holds a ToolCount that leaves no number for a new entry.
QString InstallToolCountErrorText(const QString& filePath);

QString InstallWriteErrorText(const QString& filePath);

} // namespace glossa
