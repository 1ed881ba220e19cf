// SPDX-License-Identifier: MIT
#include "install/installtool.h"

#include "install/ideshortcuts.h"
#include "install/shortcutkeys.h"
#include "log/logging.h"
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

// A failure the user must know about: shown, and handed back.
InstallResult reportFailure(const InstallEnvironment& env, const QString& text) {
    qCDebug(lcInstall) << "failed:" << text;
    if (env.showError)
        env.showError(u"Installation failed"_s, text);
    return {InstallOutcome::Failed, 0, text};
}

InstallResult reportUnwritable(const InstallEnvironment& env, const QString& file,
                               const QString& reason = QString()) {
    return reportFailure(env, installWriteErrorText(file) +
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

QString idePrefsFileName(IdePlatform platform) {
    return platform == IdePlatform::Windows ? u"PureBasic.prefs"_s : u"purebasic.prefs"_s;
}

QString toolsPrefsPath(const QString& folder, IdePlatform platform) {
    if (platform != IdePlatform::Windows)
        return folder + u"tools.prefs"_s;
    QString named = folder + u"Tools.prefs"_s;
    QString lower = folder + u"tools.prefs"_s;
    // On NTFS both names are one file; elsewhere (tests) an existing file of either name is it.
    if (!QFileInfo::exists(named) && QFileInfo::exists(lower))
        return lower;
    return named;
}

std::int32_t defaultShortcut(IdePlatform platform) {
    return kShortcutAlt | keyCodeFromQtKey(Qt::Key_C, false, platform);
}

namespace {

// The numbers k below count for which the file has a group "Tool_k" (names match without regard
// to ASCII case, as the store matches them), ascending and each once.
std::vector<std::int32_t> existingToolNumbers(const PreferenceStore& store, std::int32_t count) {
    std::set<std::int32_t> numbers;
    for (const QString& name : store.prefGroupNames()) {
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

namespace {

// tools.prefs is the IDE's file: what Glossa doesn't change stays as the IDE or the user wrote it.
constexpr auto kKeepLayout = PreferenceStore::Layout::Keep;

// Opens tools.prefs, or creates it with its header. The picker promised a new file in the
// confirmed folder, so a folder that isn't there yet (a fresh account) is made first. False
// when it can be neither opened nor created.
bool openToolsPrefs(PreferenceStore& store, const QString& folder, const QString& file,
                    bool& isNew) {
    isNew = false;
    if (store.PrefFileOpen(file, kKeepLayout))
        return true;
    const QString folderPath = QDir::fromNativeSeparators(folder);
    if (!QFileInfo(folderPath).isDir())
        QDir().mkpath(folderPath);
    if (!store.PrefFileCreate(file))
        return false;
    store.PrefWriteComment(u" PureBasic IDE ToolsMenu Configuration"_s);
    store.PrefWriteComment(QString());
    isNew = true;
    return true;
}

// What the tools already hold: their shortcuts and whether one has the entry's name.
struct ExistingTools {
    std::vector<std::int32_t> shortcuts;
    bool matched = false;
    std::int32_t matchNumber = -1; // with replaceExisting: the entry to overwrite
    std::int32_t matchShortcut = 0;
};

ExistingTools readExistingTools(PreferenceStore& store, std::int32_t count,
                                const ToolEntry& entry) {
    ExistingTools tools;
    // Only groups that the file has can hold a shortcut or a name, so the walk visits those
    // numbers below the count in ascending order: a huge count can't make it run for ever.
    for (const std::int32_t k : existingToolNumbers(store, count)) {
        store.PrefSelectGroup(toolGroup(k));
        tools.shortcuts.push_back(store.PrefReadNumber(u"Shortcut"_s, 0));
        if (store.PrefReadString(u"MenuItemName"_s, QString()) != entry.menuItemName)
            continue;
        tools.matched = true;
        if (entry.replaceExisting) {
            tools.matchNumber = k;
            tools.matchShortcut = tools.shortcuts.back();
            tools.shortcuts.back() = 0; // its own shortcut isn't taken by another tool
        }
    }
    return tools;
}

// Every shortcut the IDE itself takes, from its preferences in the folder: the values of the
// group Shortcuts, the IDE's defaults for the menu items that group lacks (all of them on an
// account without the file), and what its language's menu titles and the platform take.
std::vector<std::int32_t> ideTakenShortcuts(const QString& folder, const InstallEnvironment& env) {
    std::vector<std::int32_t> taken;
    PreferenceStore ide;
    const bool opened = ide.PrefFileOpen(folder + env.idePrefsFileName) != 0;
    if (opened) {
        ide.PrefSelectGroup(u"Shortcuts"_s);
        if (ide.PrefRewindKeys()) {
            while (ide.PrefNextKey())
                taken.push_back(readNumber(ide.PrefCurrentValue()));
        }
    }
    // No value can hold a line feed, so it marks a missing key.
    for (const IdeMenuShortcut& item : ideMenuShortcuts()) {
        if (!opened || ide.PrefReadString(QString::fromLatin1(item.key), u"\n"_s) == u"\n"_s)
            taken.push_back(item.forPlatform(env.platform));
    }
    ide.PrefSelectGroup(u"Global"_s);
    const QString language = ide.PrefReadString(u"CurrentLanguage"_s, u"English"_s);
    ide.PrefFileClose();
    const std::vector<std::int32_t> always = ideAlwaysTakenShortcuts(env.platform, language);
    taken.insert(taken.end(), always.begin(), always.end());
    return taken;
}

// Asks for another shortcut while the entry's is taken. False when the user cancelled.
bool pickFreeShortcut(ToolEntry& entry, const std::vector<std::int32_t>& taken,
                      const InstallEnvironment& env) {
    bool firstTime = true;
    while (std::find(taken.begin(), taken.end(), entry.shortcut) != taken.end()) {
        entry.shortcut = env.shortcutPicker ? env.shortcutPicker(entry.shortcut, firstTime) : 0;
        firstTime = false;
        if (entry.shortcut == 0)
            return false;
    }
    return true;
}

void writeEntry(PreferenceStore& store, std::int32_t number, const ToolEntry& entry,
                const QString& command) {
    store.PrefSelectGroup(toolGroup(number));
    store.PrefWriteString(u"Command"_s, command);
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
}

} // namespace

InstallResult InstallTool(ToolEntry entry, const InstallEnvironment& env) {
    InstallResult cancelled{InstallOutcome::Cancelled, 0, {}};
    const QString folder = env.pathPicker ? env.pathPicker(env.startFolder) : env.startFolder;
    if (folder.isEmpty())
        return cancelled;
    const QString file = toolsPrefsPath(folder, env.platform);
    PreferenceStore store;
    bool isNew = false;
    if (!openToolsPrefs(store, folder, file, isNew))
        return reportUnwritable(env, file);
    qCDebug(lcInstall) << (isNew ? "created" : "opened") << file;

    // The number of tools.
    store.PrefSelectGroup(u"ToolsInfo"_s);
    std::int32_t count = store.PrefReadNumber(u"ToolCount"_s, 0);
    // A damaged count: negative means no tools; the largest number leaves no number for a new
    // entry (and count + 1 would overflow).
    if (count < 0)
        count = 0;
    if (count == std::numeric_limits<std::int32_t>::max()) {
        store.PrefFileClose();
        return reportFailure(env, installToolCountErrorText(file));
    }
    if (isNew) {
        store.PrefWriteNumber(u"ToolCount"_s, 0);
        store.PrefWriteComment(QString());
        store.PrefWriteComment(QString());
    }

    ExistingTools tools = readExistingTools(store, count, entry);
    qCDebug(lcInstall) << count << "tools; an entry named" << entry.menuItemName
                       << (tools.matched ? "is there" : "is not there");
    if (tools.matched && !entry.replaceExisting) {
        store.PrefFileClose(); // already installed: not an error to show
        return {InstallOutcome::Failed, 0,
                u"The tools menu already has an entry named \"%1\"."_s.arg(entry.menuItemName)};
    }

    if (entry.checkShortcut) {
        if (entry.shortcut == 0)
            entry.shortcut =
                (entry.replaceExisting && tools.matchShortcut != 0)
                    ? tools.matchShortcut
                    : kShortcutShift | keyCodeFromQtKey(Qt::Key_F1, false, env.platform);
        if (!store.PrefFileClose())
            return reportUnwritable(env, file);
        const std::vector<std::int32_t> ide = ideTakenShortcuts(folder, env);
        tools.shortcuts.insert(tools.shortcuts.end(), ide.begin(), ide.end());
        if (!store.PrefFileOpen(file, kKeepLayout)) {
            // It was there a moment ago; writing a fresh file would lose the other tools.
            return reportUnwritable(env, file);
        }
        if (!pickFreeShortcut(entry, tools.shortcuts, env)) {
            store.PrefFileClose();
            qCDebug(lcInstall) << "no free shortcut picked: cancelled";
            return cancelled;
        }
    }

    const bool overwrite = entry.replaceExisting && tools.matchNumber >= 0;
    const std::int32_t number = overwrite ? tools.matchNumber : count;
    writeEntry(store, number, entry, env.executablePath);
    if (!overwrite) {
        store.PrefSelectGroup(u"ToolsInfo"_s);
        store.PrefWriteNumber(u"ToolCount"_s, count + 1);
    }
    if (!store.PrefFileClose() ||
        !entryIsOnDisk(file, number, entry.menuItemName, env.executablePath, entry.shortcut,
                       overwrite ? -1 : count + 1))
        return reportUnwritable(env, file, store.prefLastWriteError());
    qCDebug(lcInstall) << "wrote and read back Tool_" << number << "with shortcut"
                       << entry.shortcut;
    return {InstallOutcome::Installed, entry.shortcut, {}};
}

ToolEntry glossaEntryFor(IdePlatform platform) {
    ToolEntry entry;
    entry.menuItemName = u"Glossa"_s;
    entry.shortcut = defaultShortcut(platform);
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

InstallResult installGlossa(IdePlatform platform, const InstallEnvironment& env) {
    InstallEnvironment forPlatform = env;
    forPlatform.platform = platform;
    return InstallTool(glossaEntryFor(platform), forPlatform);
}

QString installSuccessText(std::int32_t storedShortcut, IdePlatform platform) {
    const QString last = storedShortcut == defaultShortcut(platform)
                             ? u"(default shortcut for this tool is ALT + C)"_s
                             : u"(shortcut for this tool is "_s +
                                   shortcutDisplayText(storedShortcut, platform) + u')';
    return u"Glossa has been successfully installed into the PureBasic IDE!\n"_s +
           u"If your IDE is open, please restart it.\n"_s + last;
}

int runInstallation(IdePlatform platform, const InstallEnvironment& env,
                    const MessageSink& showSuccess) {
    const InstallResult installed = installGlossa(platform, env);
    if (installed.outcome == InstallOutcome::Installed && showSuccess)
        showSuccess(u"Success!"_s, installSuccessText(installed.shortcut, platform));
    return 0;
}

QString installToolCountErrorText(const QString& filePath) {
    return u"The tools menu configuration %1 holds an invalid ToolCount; no tool was added."_s.arg(
        QDir::toNativeSeparators(filePath));
}

QString installWriteErrorText(const QString& filePath) {
    return u"Glossa could not be installed into the PureBasic IDE.\n"_s + u"The file \""_s +
           QDir::toNativeSeparators(filePath) + u"\" could not be written."_s;
}

} // namespace glossa
