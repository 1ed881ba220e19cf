// SPDX-License-Identifier: MIT
#include "install/installtool.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(glossa::IdePlatform)

namespace {

// What the injected pickers and message boxes saw.
struct Recorder {
    QStringList startFolders;
    QList<QPair<int, bool>> pickerCalls;
    QList<int> pickerAnswers;
    QStringList errors;
    QStringList successes;
    std::function<void()> duringPicker;
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString exePath() {
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

// The lines of a file as the IDE's preference files are written: BOM, empty first line, CR LF.
QByteArray prefsFile(const QList<QByteArray>& lines) {
    QByteArray bytes("\xEF\xBB\xBF\r\n");
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// The head of a tools.prefs that the installation created, with one entry counted.
QList<QByteArray> newFileHead() {
    return {";  PureBasic IDE ToolsMenu Configuration",
            "; ",
            "[ToolsInfo]",
            "ToolCount = 1",
            "; ",
            "; "};
}

QList<QByteArray> entryLines(const QByteArray& group, const QByteArray& arguments, int shortcut,
                             int flags, int reload) {
    return {"[" + group + "]",
            "Command = " + exePath().toUtf8(),
            "Arguments = " + arguments,
            "WorkingDir = ",
            "MenuItemName = Glossa",
            "Shortcut = " + QByteArray::number(shortcut),
            "ConfigLine = ",
            "Trigger = 0",
            "Flags = " + QByteArray::number(flags),
            "ReloadSource = " + QByteArray::number(reload),
            "HideEditor = 0",
            "HideFromMenu = 0",
            "SourceSpecific = 0",
            "Deactivate = 0",
            "; ",
            "; "};
}

} // namespace

class TestInstallTool : public QObject {
    Q_OBJECT

private:
    QTemporaryDir* dir_ = nullptr;
    QString folder_; // ends in "/"
    Recorder rec_;

    InstallEnvironment environment(IdePlatform platform = IdePlatform::Windows) {
        InstallEnvironment env;
        env.platform = platform;
        env.startFolder = folder_;
        env.idePrefsFileName = idePrefsFileName(platform);
        env.executablePath = exePath();
        env.pathPicker = [this](const QString& start) {
            rec_.startFolders << start;
            return start;
        };
        env.shortcutPicker = [this](std::int32_t shortcut, bool firstTime) -> std::int32_t {
            rec_.pickerCalls.append({int(shortcut), firstTime});
            if (rec_.duringPicker)
                rec_.duringPicker();
            return rec_.pickerAnswers.isEmpty() ? 0 : rec_.pickerAnswers.takeFirst();
        };
        env.showError = [this](const QString&, const QString& text) { rec_.errors << text; };
        return env;
    }

    int runGlossa(IdePlatform platform = IdePlatform::Windows) {
        return runInstallation(platform, environment(platform),
                               [this](const QString& title, const QString& text) {
                                   rec_.successes << title + u'|' + text;
                               });
    }

    // The IDE on Windows names the file "Tools.prefs", on Linux and macOS "tools.prefs".
    QString toolsPrefs(IdePlatform platform = IdePlatform::Windows) const {
        return folder_ + (platform == IdePlatform::Windows ? u"Tools.prefs"_s : u"tools.prefs"_s);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        dir_ = new QTemporaryDir;
        QVERIFY(dir_->isValid());
        folder_ = dir_->path() + u'/';
        rec_ = Recorder();
    }
    void cleanup() {
        delete dir_;
        dir_ = nullptr;
    }

    void emptyFolderWindows() {
        const InstallResult installed = installGlossa(IdePlatform::Windows, environment());
        QCOMPARE(installed.outcome, InstallOutcome::Installed);
        QCOMPARE(installed.shortcut, 0x40043);
        QCOMPARE(rec_.startFolders, QStringList{folder_});
        QVERIFY(rec_.pickerCalls.isEmpty());
        QVERIFY(rec_.errors.isEmpty());
        const QByteArray expected =
            prefsFile(newFileHead() + entryLines("Tool_0", "", 262211, 1, 0));
        QCOMPARE(readAll(toolsPrefs()), expected);
        // Looking for the IDE's shortcuts must not create its file.
        QVERIFY(!QFile::exists(folder_ + u"PureBasic.prefs"_s));
    }

    void emptyFolderLinux() {
        QCOMPARE(installGlossa(IdePlatform::Linux, environment(IdePlatform::Linux)).outcome,
                 InstallOutcome::Installed);
        const QByteArray expected =
            prefsFile(newFileHead() + entryLines("Tool_0", "\"%TEMPFILE\"", 262211, 1, 2));
        QCOMPARE(readAll(toolsPrefs(IdePlatform::Linux)), expected);
        QCOMPARE(QDir(folder_).entryList(QDir::Files), QStringList{u"tools.prefs"_s});
    }

    void emptyFolderMacOS() {
        QCOMPARE(runGlossa(IdePlatform::MacOS), 0);
        const QByteArray expected =
            prefsFile(newFileHead() + entryLines("Tool_0", "\"%TEMPFILE\"", 262243, 1, 2));
        QCOMPARE(readAll(toolsPrefs(IdePlatform::MacOS)), expected);
        QCOMPARE(rec_.successes.size(), 1);
        QVERIFY(rec_.successes[0].endsWith(u"\n(default shortcut for this tool is ALT + C)"_s));
    }

    void windowsNewFileIsToolsPrefs() {
        QCOMPARE(installGlossa(IdePlatform::Windows, environment()).outcome,
                 InstallOutcome::Installed);
        QCOMPARE(QDir(folder_).entryList(QDir::Files), QStringList{u"Tools.prefs"_s});
    }

    void windowsKeepsLowerCaseFile() {
        // Another spelling of the same file on NTFS; on a case-sensitive disk it must not lead
        // to a second file.
        writeAll(folder_ + u"tools.prefs"_s, prefsFile({"[ToolsInfo]", "ToolCount = 0"}));
        QCOMPARE(installGlossa(IdePlatform::Windows, environment()).outcome,
                 InstallOutcome::Installed);
        QCOMPARE(QDir(folder_).entryList(QDir::Files), QStringList{u"tools.prefs"_s});
        QCOMPARE(readAll(folder_ + u"tools.prefs"_s),
                 prefsFile(QList<QByteArray>{"[ToolsInfo]", "ToolCount = 1"} +
                           entryLines("Tool_0", "", 262211, 1, 0)));
    }

    void missingFolderIsCreated() {
        // A fresh account: the IDE's folder doesn't exist yet, nor does its parent.
        InstallEnvironment env = environment(IdePlatform::Linux);
        const QString confirmed = folder_ + u"home/.purebasic/"_s;
        env.pathPicker = [confirmed](const QString&) { return confirmed; };
        QCOMPARE(installGlossa(IdePlatform::Linux, env).outcome, InstallOutcome::Installed);
        QVERIFY(rec_.errors.isEmpty());
        QCOMPARE(readAll(confirmed + u"tools.prefs"_s),
                 prefsFile(newFileHead() + entryLines("Tool_0", "\"%TEMPFILE\"", 262211, 1, 2)));
        QCOMPARE(QDir(folder_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u"home"_s});
        QCOMPARE(QDir(folder_ + u"home"_s)
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u".purebasic"_s});
    }

    void platformValues() {
        QCOMPARE(idePrefsFileName(IdePlatform::Windows), u"PureBasic.prefs"_s);
        QCOMPARE(idePrefsFileName(IdePlatform::Linux), u"purebasic.prefs"_s);
        QVERIFY(IdePrefsFolder(IdePlatform::Windows).endsWith(u"\\PureBasic\\"_s));
        QCOMPARE(IdePrefsFolder(IdePlatform::Linux), QDir::homePath() + u"/.purebasic/"_s);
        qputenv("APPDATA", "C:\\Users\\me\\AppData\\Roaming");
        QCOMPARE(IdePrefsFolder(IdePlatform::Windows),
                 u"C:\\Users\\me\\AppData\\Roaming\\PureBasic\\"_s);
        qunsetenv("APPDATA");
        QCOMPARE(IdePrefsFolder(IdePlatform::Windows), u"\\PureBasic\\"_s);
    }

    void successMessageDefault() {
        QCOMPARE(runGlossa(), 0);
        QCOMPARE(rec_.successes,
                 QStringList{u"Success!|Glossa has been successfully installed into the PureBasic "
                             u"IDE!\nIf your IDE is open, please restart it.\n(default shortcut "
                             u"for this tool is ALT + C)"_s});
    }

    void toolCountThreeAppends() {
        const QList<QByteArray> before{
            "[ToolsInfo]",  "ToolCount = 3",        "[Tool_0]",
            "Shortcut = 1", "MenuItemName = One",   "[Tool_1]",
            "Shortcut = 2", "MenuItemName = Two",   "[Tool_2]",
            "Shortcut = 3", "MenuItemName = Three",
        };
        writeAll(toolsPrefs(), prefsFile(before));
        QCOMPARE(installGlossa(IdePlatform::Windows, environment()).outcome,
                 InstallOutcome::Installed);
        QList<QByteArray> after = before;
        after[1] = "ToolCount = 4";
        after += entryLines("Tool_3", "", 262211, 1, 0);
        QCOMPARE(readAll(toolsPrefs()), prefsFile(after));
    }

    void sameNameChangesNothing() {
        // Not in the store's own form, so that any rewrite would show.
        const QByteArray before = "[ToolsInfo]\nToolCount=1\n\n[Tool_0]\nMenuItemName=Glossa\n"
                                  "Shortcut=262211\n";
        writeAll(toolsPrefs(), before);
        QCOMPARE(runGlossa(), 0);
        QCOMPARE(readAll(toolsPrefs()), before);
        QVERIFY(rec_.successes.isEmpty());
        QVERIFY(rec_.errors.isEmpty());
        QVERIFY(rec_.pickerCalls.isEmpty());
    }

    // Mended: a damaged ToolCount neither hangs the walk nor overflows.
    void hugeToolCountWalksOnlyExistingGroups() {
        const QByteArray before = "[ToolsInfo]\nToolCount=2000000000\n[tool_7]\n"
                                  "MenuItemName=Glossa\n[Tool_07]\nMenuItemName=Other\n";
        writeAll(toolsPrefs(), before);
        // Walking every number up to the count would not end within the test's time-out.
        QCOMPARE(runGlossa(), 0); // "tool_7" is entry 7 and already Glossa: nothing changes
        QCOMPARE(readAll(toolsPrefs()), before);
        QVERIFY(rec_.successes.isEmpty());
    }
    void hugeToolCountShortcutsStillChecked() {
        const QList<QByteArray> before{"[ToolsInfo]", "ToolCount = 1000000000", "[Tool_999999]",
                                       "Shortcut = 262211", "MenuItemName = Other"};
        writeAll(toolsPrefs(), prefsFile(before));
        rec_.pickerAnswers = {0x30074};
        QCOMPARE(installGlossa(IdePlatform::Windows, environment()).outcome,
                 InstallOutcome::Installed);
        QCOMPARE(rec_.pickerCalls.size(), 1); // Alt+C was taken by entry 999999
        QList<QByteArray> after = before;
        after[1] = "ToolCount = 1000000001";
        after += entryLines("Tool_1000000000", "", 0x30074, 1, 0);
        QCOMPARE(readAll(toolsPrefs()), prefsFile(after));
    }
    void largestToolCountRefused() {
        const QByteArray before = "[ToolsInfo]\nToolCount=2147483647\n";
        writeAll(toolsPrefs(), before);
        QCOMPARE(runGlossa(), 0);
        QCOMPARE(readAll(toolsPrefs()), before);
        QCOMPARE(rec_.errors.size(), 1);
        QVERIFY(rec_.errors.first().contains(u"ToolCount"_s));
        QVERIFY(rec_.successes.isEmpty());
    }
    void negativeToolCountCountsAsNone() {
        const QList<QByteArray> before{"[ToolsInfo]", "ToolCount = -3"};
        writeAll(toolsPrefs(), prefsFile(before));
        QCOMPARE(installGlossa(IdePlatform::Windows, environment()).outcome,
                 InstallOutcome::Installed);
        QList<QByteArray> after = before;
        after[1] = "ToolCount = 1";
        after += entryLines("Tool_0", "", 262211, 1, 0);
        QCOMPARE(readAll(toolsPrefs()), prefsFile(after));
    }

    void nameDifferingInCaseAddsEntry() {
        const QList<QByteArray> before{"[ToolsInfo]", "ToolCount = 1", "[Tool_0]",
                                       "MenuItemName = glossa", "Shortcut = 5"};
        writeAll(toolsPrefs(), prefsFile(before));
        QCOMPARE(installGlossa(IdePlatform::Windows, environment()).outcome,
                 InstallOutcome::Installed);
        QList<QByteArray> after = before;
        after[1] = "ToolCount = 2";
        after += entryLines("Tool_1", "", 262211, 1, 0);
        QCOMPARE(readAll(toolsPrefs()), prefsFile(after));
    }

    void shortcutTakenByTool() {
        writeAll(toolsPrefs(), prefsFile({"[ToolsInfo]", "ToolCount = 1", "[Tool_0]",
                                          "MenuItemName = Other", "Shortcut = 262211"}));
        rec_.pickerAnswers = {0x30074};
        QCOMPARE(runGlossa(), 0);
        QCOMPARE(rec_.pickerCalls, (QList<QPair<int, bool>>{{0x40043, true}}));
        const QByteArray written = readAll(toolsPrefs());
        QVERIFY(written.contains("[Tool_1]\r\nCommand = "));
        QVERIFY(written.contains("Shortcut = 196724\r\n"));
        QCOMPARE(rec_.successes.size(), 1);
        QVERIFY(rec_.successes[0].endsWith(u"\n(shortcut for this tool is CTRL + SHIFT + F5)"_s));
        QVERIFY(!rec_.successes[0].contains(u"ALT + C"_s));
    }

    void shortcutTakenByIdeTwice() {
        // Hexadecimal and decimal values; the key names don't matter.
        writeAll(folder_ + u"PureBasic.prefs"_s,
                 "[Shortcuts]\nCopy = $40043\nHelp = 65648\n[Other]\nX = 196724\n");
        rec_.pickerAnswers = {0x10070, 0x30074};
        const InstallResult installed = installGlossa(IdePlatform::Windows, environment());
        QCOMPARE(installed.outcome, InstallOutcome::Installed);
        QCOMPARE(rec_.pickerCalls, (QList<QPair<int, bool>>{{0x40043, true}, {0x10070, false}}));
        QCOMPARE(installed.shortcut, 0x30074);
        QVERIFY(readAll(toolsPrefs()).contains("Shortcut = 196724\r\n"));
    }

    // What the IDE itself counts as taken: its menu items' shortcuts (its defaults where its
    // preferences lack the key, a present key winning even with 0), Alt with the menu titles'
    // "&", Tab and Shift+Tab, and the platform's reserved combinations.
    void takenAsTheIdeSays_data() {
        QTest::addColumn<IdePlatform>("platform");
        QTest::addColumn<QByteArray>("idePrefs"); // empty: no file
        QTest::addColumn<int>("shortcut");
        QTest::addColumn<bool>("taken");
        const QByteArray none;
        const QByteArray saveMoved = "[Shortcuts]\nSave = 131156\n";
        const QByteArray saveOff = "[Shortcuts]\nSave = 0\n";
        const struct {
            IdePlatform platform;
            const char* what;
            QByteArray prefs;
            int shortcut;
            bool taken;
        } rows[] = {
            {IdePlatform::Windows, "Ctrl+S, no preferences", none, 131155, true},
            {IdePlatform::Windows, "Ctrl+S, Save moved", saveMoved, 131155, false},
            {IdePlatform::Windows, "Ctrl+T, Save moved there", saveMoved, 131156, true},
            {IdePlatform::Windows, "Ctrl+S, Save set to 0", saveOff, 131155, false},
            {IdePlatform::Windows, "F5 (Compile)", none, 116, true},
            {IdePlatform::Windows, "Alt+Up (menu titles)", none, 262182, true},
            {IdePlatform::Windows, "Tab", saveOff, 9, true},
            {IdePlatform::Windows, "Ctrl+Alt+Delete", none, 393262, true},
            {IdePlatform::Windows, "Alt+F4", none, 262259, true},
            {IdePlatform::Windows, "Ctrl+Alt+Backspace", none, 393224, false},
            {IdePlatform::Windows, "Alt+C", none, 262211, false},
            {IdePlatform::Linux, "Ctrl+S, no preferences", none, 131155, true},
            {IdePlatform::Linux, "F5 (Compile)", none, 65474, true},
            {IdePlatform::Linux, "Windows F5 value", none, 116, false},
            {IdePlatform::Linux, "Alt+& (menu titles)", none, 262182, true},
            {IdePlatform::Linux, "Shift+Tab", none, 130825, true},
            {IdePlatform::Linux, "Ctrl+Alt+F1", none, 458686, true},
            {IdePlatform::Linux, "Ctrl+Alt+F8", none, 458693, false},
            {IdePlatform::Linux, "Ctrl+Alt+Backspace", none, 458504, true},
            {IdePlatform::Linux, "Alt+C", none, 262211, false},
            {IdePlatform::MacOS, "Cmd+S, no preferences", none, 524403, true},
            {IdePlatform::MacOS, "Ctrl+S", none, 131155, false},
            {IdePlatform::MacOS, "Alt+F (menu titles)", none, 262214, true},
            {IdePlatform::MacOS, "Tab", none, 9, true},
            {IdePlatform::MacOS, "Ctrl+Alt+Delete", none, 393343, true},
            {IdePlatform::MacOS, "Ctrl+Alt+F7", none, 393570, true},
            {IdePlatform::MacOS, "Ctrl+Alt+Backspace", none, 393224, true},
            {IdePlatform::MacOS, "Alt+C", none, 262243, false},
        };
        for (const auto& row : rows) {
            const char* platform = row.platform == IdePlatform::Windows ? "Windows"
                                   : row.platform == IdePlatform::Linux ? "Linux"
                                                                        : "macOS";
            QTest::addRow("%s: %s", platform, row.what)
                << row.platform << row.prefs << row.shortcut << row.taken;
        }
    }
    void takenAsTheIdeSays() {
        QFETCH(IdePlatform, platform);
        QFETCH(QByteArray, idePrefs);
        QFETCH(int, shortcut);
        QFETCH(bool, taken);
        if (!idePrefs.isEmpty())
            writeAll(folder_ + idePrefsFileName(platform), idePrefs);
        ToolEntry entry;
        entry.menuItemName = u"Glossa"_s;
        entry.shortcut = shortcut;
        QCOMPARE(InstallTool(entry, environment(platform)).outcome,
                 taken ? InstallOutcome::Cancelled : InstallOutcome::Installed);
        QCOMPARE(rec_.pickerCalls.size(), taken ? 1 : 0);
    }

    // The menu titles of the IDE's language: Alt with each title's first character ("&" in all
    // but Spanish); a language Glossa doesn't know, or none set, has the English titles.
    void menuTitlesOfTheIdesLanguage_data() {
        QTest::addColumn<IdePlatform>("platform");
        QTest::addColumn<QByteArray>("language"); // empty: no CurrentLanguage
        QTest::addColumn<QList<int>>("taken");
        QTest::addColumn<QList<int>>("free");
        const QList<int> ampersand{262182};
        const QList<int> letters{262213, 262211, 262216}; // Alt+E, Alt+C, Alt+H
        QTest::newRow("none") << IdePlatform::Windows << QByteArray() << ampersand << letters;
        QTest::newRow("English") << IdePlatform::Windows << QByteArray("English") << ampersand
                                 << letters;
        QTest::newRow("Deutsch") << IdePlatform::Windows << QByteArray("Deutsch") << ampersand
                                 << letters;
        QTest::newRow("Francais") << IdePlatform::Linux << QByteArray("Francais") << ampersand
                                  << letters;
        QTest::newRow("Italiano") << IdePlatform::Windows << QByteArray("Italiano") << ampersand
                                  << letters;
        QTest::newRow("Spanish") << IdePlatform::Windows << QByteArray("Spanish") << letters
                                 << ampersand;
        QTest::newRow("spanish, Linux")
            << IdePlatform::Linux << QByteArray("spanish") << letters << ampersand;
        // Alt+a, Alt+e, Alt+c, Alt+h in the macOS codes; Alt+"&" there.
        QTest::newRow("Spanish, macOS")
            << IdePlatform::MacOS << QByteArray("Spanish")
            << QList<int>{262241, 262245, 262243, 262248} << QList<int>{262214};
        QTest::newRow("unknown") << IdePlatform::Windows << QByteArray("Klingon") << ampersand
                                 << letters;
    }
    void menuTitlesOfTheIdesLanguage() {
        QFETCH(IdePlatform, platform);
        QFETCH(QByteArray, language);
        QFETCH(QList<int>, taken);
        QFETCH(QList<int>, free);
        QByteArray prefs = "[Global]\r\nVersion = 6.21\r\n";
        if (!language.isEmpty())
            prefs += "CurrentLanguage = " + language + "\r\n";
        writeAll(folder_ + idePrefsFileName(platform), prefs + "[Shortcuts]\r\nNew = 0\r\n");
        for (const int shortcut : taken + free) {
            rec_ = Recorder();
            QFile::remove(toolsPrefs(platform));
            ToolEntry entry;
            entry.menuItemName = u"Glossa"_s;
            entry.shortcut = shortcut;
            const bool isTaken = taken.contains(shortcut);
            QCOMPARE(InstallTool(entry, environment(platform)).outcome,
                     isTaken ? InstallOutcome::Cancelled : InstallOutcome::Installed);
            QCOMPARE(rec_.pickerCalls.size(), isTaken ? 1 : 0);
        }
    }

    // An existing tools.prefs keeps its bytes: its line ends, byte-order mark (or none), blank
    // lines and "Key=Value" lines; ToolCount changes its value only, and the new group comes
    // last in the file's line ends.
    void existingLayoutKept_data() {
        QTest::addColumn<QByteArray>("bom");
        QTest::addColumn<QByteArray>("eol");
        QTest::addColumn<bool>("endsInEol");
        const QByteArray bom("\xEF\xBB\xBF");
        QTest::newRow("LF") << QByteArray() << QByteArray("\n") << true;
        QTest::newRow("CR LF") << QByteArray() << QByteArray("\r\n") << true;
        QTest::newRow("LF, mark") << bom << QByteArray("\n") << true;
        QTest::newRow("CR LF, mark") << bom << QByteArray("\r\n") << true;
        QTest::newRow("CR LF, no last line end") << QByteArray() << QByteArray("\r\n") << false;
    }
    void existingLayoutKept() {
        QFETCH(QByteArray, bom);
        QFETCH(QByteArray, eol);
        QFETCH(bool, endsInEol);
        auto lines = [&eol](const QList<QByteArray>& list) { return list.join(eol); };
        const QList<QByteArray> head{";  PureBasic IDE ToolsMenu Configuration", ";", "",
                                     "[ToolsInfo]"};
        const QList<QByteArray> rest{"",
                                     ";",
                                     ";",
                                     "[Tool_0]",
                                     "  Command=/opt/other",
                                     "  MenuItemName=Other",
                                     "  Shortcut=0"};
        const QByteArray before = bom + lines(head + QList<QByteArray>{"  ToolCount=1"} + rest) +
                                  (endsInEol ? eol : QByteArray());
        writeAll(toolsPrefs(), before);
        QCOMPARE(installGlossa(IdePlatform::Windows, environment()).outcome,
                 InstallOutcome::Installed);
        const QByteArray expected = bom +
                                    lines(head + QList<QByteArray>{"  ToolCount=2"} + rest +
                                          entryLines("Tool_1", "", 262211, 1, 0)) +
                                    eol;
        QCOMPARE(readAll(toolsPrefs()), expected);
    }

    void linuxReadsLowerCaseIdePrefs() {
        writeAll(folder_ + u"purebasic.prefs"_s, "[Shortcuts]\nA = 262211\n");
        rec_.pickerAnswers = {0x1FFC3}; // Shift+F6 in GTK key values
        QCOMPARE(runGlossa(IdePlatform::Linux), 0);
        QCOMPARE(rec_.pickerCalls.size(), 1);
        QVERIFY(readAll(toolsPrefs(IdePlatform::Linux)).contains("Shortcut = 131011\r\n"));
        QCOMPARE(rec_.successes.size(), 1);
        QVERIFY(rec_.successes[0].endsWith(u"\n(shortcut for this tool is SHIFT + F6)"_s));
    }

    void pickerCancelledKeepsNewFile() {
        writeAll(folder_ + u"PureBasic.prefs"_s, "[Shortcuts]\nA = 262211\n");
        QCOMPARE(runGlossa(), 0);
        QCOMPARE(rec_.pickerCalls.size(), 1);
        QVERIFY(rec_.successes.isEmpty());
        QVERIFY(rec_.errors.isEmpty());
        QCOMPARE(readAll(toolsPrefs()), prefsFile({";  PureBasic IDE ToolsMenu Configuration", "; ",
                                                   "[ToolsInfo]", "ToolCount = 0", "; ", "; "}));
    }

    void pathPickerCancelled() {
        InstallEnvironment env = environment();
        env.pathPicker = [](const QString&) { return QString(); };
        QCOMPARE(installGlossa(IdePlatform::Windows, env).outcome, InstallOutcome::Cancelled);
        QVERIFY(!QFile::exists(toolsPrefs()));
        QVERIFY(rec_.errors.isEmpty());
    }

    void smallerToolCountThanGroups() {
        // Tool_1 lies beyond ToolCount: neither its name nor its shortcut counts, and the new
        // entry takes its number, overwriting its keys where they stand.
        writeAll(toolsPrefs(),
                 prefsFile({"[ToolsInfo]", "ToolCount = 1", "[Tool_0]", "MenuItemName = One",
                            "Shortcut = 1", "[Tool_1]", "Command = old.exe",
                            "MenuItemName = Glossa", "Shortcut = 262211", "Extra = x"}));
        QCOMPARE(installGlossa(IdePlatform::Windows, environment()).outcome,
                 InstallOutcome::Installed);
        QVERIFY(rec_.pickerCalls.isEmpty());
        const QByteArray exe = exePath().toUtf8();
        QCOMPARE(readAll(toolsPrefs()), prefsFile({"[ToolsInfo]",
                                                   "ToolCount = 2",
                                                   "[Tool_0]",
                                                   "MenuItemName = One",
                                                   "Shortcut = 1",
                                                   "[Tool_1]",
                                                   "Command = " + exe,
                                                   "MenuItemName = Glossa",
                                                   "Shortcut = 262211",
                                                   "Extra = x",
                                                   "Arguments = ",
                                                   "WorkingDir = ",
                                                   "ConfigLine = ",
                                                   "Trigger = 0",
                                                   "Flags = 1",
                                                   "ReloadSource = 0",
                                                   "HideEditor = 0",
                                                   "HideFromMenu = 0",
                                                   "SourceSpecific = 0",
                                                   "Deactivate = 0",
                                                   "; ",
                                                   "; "}));
    }

    void manyShortcutsAllChecked() {
        // More tools and IDE shortcuts than any fixed list would hold; the taken one is last.
        QByteArray tools = "[ToolsInfo]\nToolCount = 600\n";
        for (int k = 0; k < 600; ++k) {
            tools += "[Tool_" + QByteArray::number(k) + "]\nMenuItemName = T" +
                     QByteArray::number(k) + "\nShortcut = " + QByteArray::number(0x20000 + k) +
                     "\n";
        }
        writeAll(toolsPrefs(), tools);
        QByteArray ide = "[Shortcuts]\n";
        for (int i = 0; i < 600; ++i)
            ide += "K" + QByteArray::number(i) + " = " + QByteArray::number(0x30000 + i) + "\n";
        ide += "Last = 262211\n";
        writeAll(folder_ + u"PureBasic.prefs"_s, ide);
        rec_.pickerAnswers = {0x20000 + 599, 0x30000 + 599, 0x50041};
        QCOMPARE(installGlossa(IdePlatform::Windows, environment()).outcome,
                 InstallOutcome::Installed);
        QCOMPARE(rec_.pickerCalls,
                 (QList<QPair<int, bool>>{
                     {0x40043, true}, {0x20000 + 599, false}, {0x30000 + 599, false}}));
        // In the file's own line ends and layout.
        QVERIFY(readAll(toolsPrefs()).contains("[Tool_600]\n"));
        QVERIFY(readAll(toolsPrefs()).startsWith("[ToolsInfo]\nToolCount = 601\n[Tool_0]\n"));
    }

    void replaceExistingOverwritesInPlace() {
        writeAll(toolsPrefs(),
                 prefsFile({"[ToolsInfo]", "ToolCount = 2", "[Tool_0]", "MenuItemName = Glossa",
                            "Shortcut = 262211", "[Tool_1]", "MenuItemName = B", "Shortcut = 7"}));
        InstallEnvironment env = environment();
        ToolEntry entry;
        entry.menuItemName = u"Glossa"_s;
        entry.arguments = u"a"_s;
        entry.replaceExisting = true;
        QCOMPARE(InstallTool(entry, env).outcome, InstallOutcome::Installed);
        QVERIFY(rec_.pickerCalls.isEmpty()); // its own shortcut is not taken
        const QByteArray written = readAll(toolsPrefs());
        QVERIFY(written.contains("ToolCount = 2\r\n"));
        QVERIFY(!written.contains("[Tool_2]"));
        QVERIFY(written.contains("[Tool_0]\r\nMenuItemName = Glossa\r\nShortcut = 262211\r\n"
                                 "Command = "));
    }

    void unwritableFolderReported() {
        // A "folder" that is a regular file: tools.prefs can be neither opened nor created.
        writeAll(folder_ + u"plain"_s, "x");
        InstallEnvironment env = environment();
        const QString bad = folder_ + u"plain/"_s;
        env.pathPicker = [bad](const QString&) { return bad; };
        QCOMPARE(runInstallation(IdePlatform::Windows, env,
                                 [this](const QString& t, const QString&) { rec_.successes << t; }),
                 0);
        QVERIFY(rec_.successes.isEmpty());
        QCOMPARE(rec_.errors.size(), 1);
        QVERIFY(rec_.errors[0].contains(QDir::toNativeSeparators(bad + u"Tools.prefs"_s)));
        QVERIFY(rec_.errors[0].contains(u"could not be written"_s));
    }

    void failedFinalWriteReported() {
        // The folder turns into a file while the shortcut picker is open: the final write fails.
        QTemporaryDir outer;
        const QString sub = outer.path() + u"/ide"_s;
        QVERIFY(QDir().mkpath(sub));
        folder_ = sub + u'/';
        writeAll(toolsPrefs(), prefsFile({"[ToolsInfo]", "ToolCount = 1", "[Tool_0]",
                                          "MenuItemName = X", "Shortcut = 262211"}));
        rec_.pickerAnswers = {0x30074};
        rec_.duringPicker = [sub]() {
            QVERIFY(QDir(sub).removeRecursively());
            QFile file(sub);
            QVERIFY(file.open(QIODevice::WriteOnly));
        };
        const InstallResult installed = installGlossa(IdePlatform::Windows, environment());
        QCOMPARE(installed.outcome, InstallOutcome::Failed);
        QCOMPARE(installed.shortcut, 0);
        QCOMPARE(rec_.errors.size(), 1);
        QVERIFY(rec_.errors[0].contains(QDir::toNativeSeparators(toolsPrefs())));
    }
};

QTEST_GUILESS_MAIN(TestInstallTool)
#include "test_installtool.moc"
