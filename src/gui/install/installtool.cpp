#include "install/installtool.h"

#include "install/ideshortcuts.h"
#include "install/shortcutkeys.h"
#include "prefs/numberreading.h"
#include "prefs/preferencestore.h"

#include <algorithm>
#include <limits>
#include <QDir>
#include <QFileInfo>
#include <set>
#include <vector>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

QString toolGroup(std::int32_t number) {
    return u"Tool_"_s + QString::number(number);
}

void reportUnwritable(const InstallEnvironment& env, const QString& file,
                      const QString& reason = QString()) {
    if (env.showError)
        env.showError(u"Installation failed"_s,
                      InstallWriteErrorText(file) +
                          (reason.isEmpty() ? QString() : u"\n("_s + reason + u')'));
}

// Reads the entry back: a store that dropped its changes (a file open for reading only)
// reports no failure, so success is only claimed for what is really on disk.
bool entryIsOnDisk(const QString& file, std::int32_t number, const QString& menuItemName,
                   const QString& command, std::int32_t shortcut, std::int32_t toolCount) {
    PreferenceStore store;
    if (!store.PrefFileOpen(file))
        return false;
    bool ok = store.PrefSelectGroup(toolGroup(number)) != 0 &&
              store.PrefReadString(u"MenuItemName"_s) == menuItemName.trimmed() &&
              store.PrefReadString(u"Command"_s) == command.trimmed() &&
              store.PrefReadNumber(u"Shortcut"_s, -1) == shortcut;
    if (ok && toolCount >= 0) {
        ok = store.PrefSelectGroup(u"ToolsInfo"_s) != 0 &&
             store.PrefReadNumber(u"ToolCount"_s, -1) == toolCount;
    }
    store.PrefFileClose();
    return ok;
}

} // namespace

QString IdePrefsFolder(IdePlatform platform) {
    if (platform == IdePlatform::Windows)
        return qEnvironmentVariable("APPDATA") + u"\\PureBasic\\"_s;
    return QDir::homePath() + u"/.purebasic/"_s;
}

QString IdePrefsFileName(IdePlatform platform) {
    return platform == IdePlatform::Windows ? u"PureBasic.prefs"_s : u"purebasic.prefs"_s;
}

QString ToolsPrefsPath(const QString& folder, IdePlatform platform) {
    if (platform != IdePlatform::Windows)
        return folder + u"tools.prefs"_s;
    QString named = folder + u"Tools.prefs"_s;
    QString lower = folder + u"tools.prefs"_s;
    // On NTFS both names are one file; elsewhere (tests) an existing file of either name is it.
    if (!QFileInfo::exists(named) && QFileInfo::exists(lower))
        return lower;
    return named;
}

std::int32_t DefaultShortcut(IdePlatform platform) {
    return ShortcutAlt | KeyCodeFromQtKey(Qt::Key_C, false, platform);
}

namespace {

// The numbers k below count for which the file has a group "Tool_k" (names match without regard
// to ASCII case, as the store matches them), ascending and each once.
std::vector<std::int32_t> ExistingToolNumbers(const PreferenceStore& store, std::int32_t count) {
    std::set<std::int32_t> numbers;
    for (const QString& name : store.PrefGroupNames()) {
        if (name.size() < 6 || !name.startsWith(u"tool_"_s, Qt::CaseInsensitive))
            continue;
        const QStringView digits = QStringView(name).sliced(5);
        if (digits.size() > 1 && digits.front() == u'0')
            continue; // "Tool_03" is not the group of entry 3
        bool ok = false;
        const int k = digits.toInt(&ok);
        if (ok && k >= 0 && k < count && digits.front() != u'+')
            numbers.insert(k);
    }
    return {numbers.begin(), numbers.end()};
}

} // namespace

int InstallTool(ToolEntry entry, const InstallEnvironment& env) {
    // The folder.
    const QString folder = env.pathPicker ? env.pathPicker(env.startFolder) : env.startFolder;
    if (folder.isEmpty())
        return 0;
    const QString file = ToolsPrefsPath(folder, env.platform);

    // Open, or create with the header. The picker promised a new file in the confirmed
    // folder, so a folder that isn't there yet (a fresh account) is made first.
    PreferenceStore store;
    bool isNew = false;
    if (!store.PrefFileOpen(file)) {
        const QString folderPath = QDir::fromNativeSeparators(folder);
        if (!QFileInfo(folderPath).isDir())
            QDir().mkpath(folderPath);
        if (!store.PrefFileCreate(file)) {
            reportUnwritable(env, file);
            return 0;
        }
        store.PrefWriteComment(u" PureBasic IDE ToolsMenu Configuration"_s);
        store.PrefWriteComment(QString());
        isNew = true;
    }

    // The number of tools.
    store.PrefSelectGroup(u"ToolsInfo"_s);
    std::int32_t count = store.PrefReadNumber(u"ToolCount"_s, 0);
    // A damaged count: negative means no tools; the largest number leaves no number for a new
    // entry (and count + 1 would overflow).
    if (count < 0)
        count = 0;
    if (count == std::numeric_limits<std::int32_t>::max()) {
        store.PrefFileClose();
        if (env.showError)
            env.showError(u"Installation failed"_s, InstallToolCountErrorText(file));
        return 0;
    }
    if (isNew) {
        store.PrefWriteNumber(u"ToolCount"_s, 0);
        store.PrefWriteComment(QString());
        store.PrefWriteComment(QString());
    }

    // The existing entries. The list grows as needed: any number of tools is checked.
    std::vector<std::int32_t> usedShortcuts;
    bool matched = false;
    std::int32_t matchNumber = -1;
    std::int32_t matchShortcut = 0;
    // Only groups that the file has can hold a shortcut or a name, so the walk visits those
    // numbers below the count in ascending order: a huge count can't make it run for ever.
    for (const std::int32_t k : ExistingToolNumbers(store, count)) {
        store.PrefSelectGroup(toolGroup(k));
        usedShortcuts.push_back(store.PrefReadNumber(u"Shortcut"_s, 0));
        if (store.PrefReadString(u"MenuItemName"_s, QString()) == entry.menuItemName) {
            matched = true;
            if (entry.replaceExisting) {
                matchNumber = k;
                matchShortcut = usedShortcuts.back();
                usedShortcuts.back() = 0; // its own shortcut isn't taken by another tool
            }
        }
    }

    // Already installed.
    if (matched && !entry.replaceExisting) {
        store.PrefFileClose();
        return 0;
    }

    // A free shortcut.
    if (entry.checkShortcut) {
        if (entry.shortcut == 0)
            entry.shortcut =
                (entry.replaceExisting && matchShortcut != 0)
                    ? matchShortcut
                    : ShortcutShift | KeyCodeFromQtKey(Qt::Key_F1, false, env.platform);
        if (!store.PrefFileClose()) {
            reportUnwritable(env, file);
            return 0;
        }
        {
            PreferenceStore ide;
            const bool opened = ide.PrefFileOpen(folder + env.idePrefsFileName) != 0;
            if (opened) {
                ide.PrefSelectGroup(u"Shortcuts"_s);
                if (ide.PrefRewindKeys()) {
                    while (ide.PrefNextKey())
                        usedShortcuts.push_back(ReadNumber(ide.PrefCurrentValue()));
                }
            }
            // A menu item whose key the file lacks (or an account without the file) has the
            // IDE's default shortcut; no value can hold a line feed, so it marks a missing key.
            for (const IdeMenuShortcut& item : IdeMenuShortcuts()) {
                if (!opened ||
                    ide.PrefReadString(QString::fromLatin1(item.key), u"\n"_s) == u"\n"_s)
                    usedShortcuts.push_back(item.For(env.platform));
            }
            ide.PrefFileClose();
        }
        const std::vector<std::int32_t> always = IdeAlwaysTakenShortcuts(env.platform);
        usedShortcuts.insert(usedShortcuts.end(), always.begin(), always.end());
        if (!store.PrefFileOpen(file)) {
            // It was there a moment ago; writing a fresh file would lose the other tools.
            reportUnwritable(env, file);
            return 0;
        }
        bool firstTime = true;
        auto taken = [&usedShortcuts](std::int32_t value) {
            return std::find(usedShortcuts.begin(), usedShortcuts.end(), value) !=
                   usedShortcuts.end();
        };
        while (taken(entry.shortcut)) {
            entry.shortcut = env.shortcutPicker ? env.shortcutPicker(entry.shortcut, firstTime) : 0;
            firstTime = false;
            if (entry.shortcut == 0) {
                store.PrefFileClose();
                return 0;
            }
        }
    }

    // The entry.
    const bool overwrite = entry.replaceExisting && matchNumber >= 0;
    const std::int32_t number = overwrite ? matchNumber : count;
    store.PrefSelectGroup(toolGroup(number));
    store.PrefWriteString(u"Command"_s, env.executablePath);
    store.PrefWriteString(u"Arguments"_s, entry.arguments);
    store.PrefWriteString(u"WorkingDir"_s, entry.workingDir);
    store.PrefWriteString(u"MenuItemName"_s, entry.menuItemName);
    store.PrefWriteNumber(u"Shortcut"_s, entry.shortcut);
    store.PrefWriteString(u"ConfigLine"_s, entry.configLine);
    store.PrefWriteNumber(u"Trigger"_s, entry.trigger);
    store.PrefWriteNumber(u"Flags"_s, entry.flags);
    store.PrefWriteNumber(u"ReloadSource"_s, entry.reloadSource);
    store.PrefWriteNumber(u"HideEditor"_s, entry.hideEditor);
    store.PrefWriteNumber(u"HideFromMenu"_s, entry.hideFromMenu);
    store.PrefWriteNumber(u"SourceSpecific"_s, entry.sourceSpecific);
    store.PrefWriteNumber(u"Deactivate"_s, entry.deactivate);
    store.PrefWriteComment(QString());
    store.PrefWriteComment(QString());

    // The count, when the entry is new.
    if (!overwrite) {
        store.PrefSelectGroup(u"ToolsInfo"_s);
        store.PrefWriteNumber(u"ToolCount"_s, count + 1);
    }
    if (!store.PrefFileClose() ||
        !entryIsOnDisk(file, number, entry.menuItemName, env.executablePath, entry.shortcut,
                       overwrite ? -1 : count + 1)) {
        reportUnwritable(env, file, store.PrefLastWriteError());
        return 0;
    }
    if (env.storedShortcut)
        *env.storedShortcut = entry.shortcut;
    return 1;
}

ToolEntry GlossaEntryFor(IdePlatform platform) {
    ToolEntry entry;
    entry.menuItemName = u"Glossa"_s;
    entry.shortcut = DefaultShortcut(platform);
    // The IDE waits for Glossa (Flags 1). On Windows Glossa edits the IDE's editor directly: a
    // usable IDE would book a change written after a tab switch to the wrong source.
    entry.flags = 1;
    if (platform != IdePlatform::Windows) {
        // File mode: the IDE saves the source to a temporary file and loads the file back into
        // the current source afterwards (ReloadSource 2).
        entry.arguments = u"\"%TEMPFILE\""_s;
        entry.reloadSource = 2;
    }
    return entry;
}

int InstallGlossa(IdePlatform platform, const InstallEnvironment& env) {
    InstallEnvironment forPlatform = env;
    forPlatform.platform = platform;
    return InstallTool(GlossaEntryFor(platform), forPlatform);
}

QString InstallSuccessText(std::int32_t storedShortcut, IdePlatform platform) {
    const QString last = storedShortcut == DefaultShortcut(platform)
                             ? u"(default shortcut for this tool is ALT + C)"_s
                             : u"(shortcut for this tool is "_s +
                                   ShortcutDisplayText(storedShortcut, platform) + u')';
    return u"Glossa has been successfully installed into the PureBasic IDE!\n"_s +
           u"If your IDE is open, please restart it.\n"_s + last;
}

QString InstallToolCountErrorText(const QString& filePath) {
    return u"The tools menu configuration %1 holds an invalid ToolCount; no tool was added."_s.arg(
        QDir::toNativeSeparators(filePath));
}

QString InstallWriteErrorText(const QString& filePath) {
    return u"Glossa could not be installed into the PureBasic IDE.\n"_s + u"The file \""_s +
           QDir::toNativeSeparators(filePath) + u"\" could not be written."_s;
}

} // namespace glossa
