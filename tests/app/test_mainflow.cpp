// SPDX-License-Identifier: MIT
// The editing run end to end, offscreen, against a simulated IDE editor: from a document and a
// caret through start-up to the shown window, edits through the widgets, and Apply.
#include "app/mainflow.h"
#include "app/singleinstance.h"
#include "common/testfiles.h"
#include "files/safewrite.h"
#include "prefs/settingspaths.h"
#include "preview/previewwindow.h"
#include "simulatedscintilla.h"
#include "ui/editorwindow.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QThread>
#include <QTimeZone>

using namespace glossa;
using namespace Qt::StringLiterals;
using namespace glossa::testing;

namespace {

// Hands the test's simulated editor to the run without giving it away.
class ForwardingTarget : public ScintillaTarget {
public:
    explicit ForwardingTarget(SimulatedScintilla& s, const bool* dropWrites = nullptr)
        : s_(s), dropWrites_(dropWrites) {}
    std::intptr_t send(unsigned m, std::uintptr_t w, std::intptr_t l) override {
        // An editor that takes the write messages and changes nothing, without saying so.
        if (dropWrites_ && *dropWrites_ && (m == 2170 || m == 2003))
            return 0;
        return s_.send(m, w, l);
    }
    RemoteAddress reserve(std::size_t size) override { return s_.reserve(size); }
    void free(RemoteAddress a) override { s_.free(a); }
    bool write(RemoteAddress a, const void* d, std::size_t n) override { return s_.write(a, d, n); }
    bool read(RemoteAddress a, void* d, std::size_t n) override { return s_.read(a, d, n); }
    int pointerWidth() const override { return s_.pointerWidth(); }

private:
    SimulatedScintilla& s_;
    const bool* dropWrites_;
};

class RecordingMessages : public Messages {
public:
    void information(QWidget*, const QString& title, const QString& text) override {
        informed << title + u": "_s + text;
    }
    void warning(QWidget*, const QString&, const QString& text) override { warnings << text; }
    bool confirm(QWidget*, const QString&, const QString& text) override {
        questions << text;
        return confirmAnswer;
    }
    int choose(QWidget*, const QString&, const QString& text, const QStringList&) override {
        questions << text;
        return chooseAnswer;
    }
    QStringList informed;
    QStringList warnings;
    QStringList questions;
    bool confirmAnswer = true;
    int chooseAnswer = 1;
};

const QList<QRect> kMonitors{QRect(0, 0, 1920, 1080)};

// One editing run on a simulated document.
struct Run {
    SimulatedScintilla sim;
    RecordingMessages messages;
    QString settingsPath;
    bool opened = false;
    bool installed = false;
    bool dropWrites = false;
    std::unique_ptr<MainFlow> flow;

    Run(const QByteArray& document, int caret, const QStringList& args = {}, int eolMode = 0,
        int codePage = 65001)
        : sim(document.toStdString(), codePage, eolMode) {
        sim.setSelection(caret, caret);
        RunEnvironment env;
        env.arguments = args;
        env.toolScintilla = u"4660"_s;
        env.toolIde = u"/opt/purebasic/compilers/purebasic"_s; // the IDE's run stays silent
        env.openIdeProcess = [this](std::uintptr_t handle) -> std::unique_ptr<ScintillaTarget> {
            opened = handle == 4660;
            return std::make_unique<ForwardingTarget>(sim, &dropWrites);
        };
        env.install = [this](Messages&) { installed = true; };
        env.messages = &messages;
        env.monitors = kMonitors;
        settingsPath = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                           .filePath(u"test-glossa.prefs"_s);
        env.settingsPath = settingsPath;
        flow = std::make_unique<MainFlow>(std::move(env));
    }
    ~Run() { flow->finish(); }

    QByteArray document() const { return QByteArray::fromStdString(sim.document()); }
    EditorWindow* w() const { return flow->window(); }

    void apply() { QTest::mouseClick(w()->applyButton(), Qt::LeftButton); }
    void clickRow(int row) {
        QListWidget* list = w()->parameterList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    static void retype(QTextEdit* editor, const QString& text) {
        editor->setFocus();
        editor->selectAll();
        QTest::keyClicks(editor, text);
    }
    // Like Retype, for any characters: one key event per character with its text, as a
    // keyboard layout or an input method delivers them.
    static void retypeAny(QTextEdit* editor, const QString& text) {
        editor->setFocus();
        editor->selectAll();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString character = text.mid(i, units);
            QTest::sendKeyEvent(QTest::Press, editor, Qt::Key_unknown, character, Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, editor, Qt::Key_unknown, character, Qt::NoModifier);
            i += units - 1;
        }
    }
};

const QByteArray kFooNoBlock =
    "EnableExplicit\r\n\r\nProcedure Foo(a, b)\r\n  ProcedureReturn a\r\n"
    "EndProcedure\r\n";

const QByteArray kFooWithDefaults =
    "EnableExplicit\r\n\r\n;<comment>\r\n"
    ";  <summary>Procedure Foo(a, b)</summary>\r\n"
    ";  <param><b>a:</b> {description}</param>\r\n"
    ";  <param><b>b:</b> {description}</param>\r\n"
    ";  <return></return>\r\n"
    ";  <example></example>\r\n"
    ";</comment>\r\n"
    "Procedure Foo(a, b)\r\n  ProcedureReturn a\r\nEndProcedure\r\n";

const QByteArray kBarBlock = "; x\n;<comment>\n;  <summary>Old</summary>\n;  <param>first</param>\n"
                             ";  <return>r</return>\n;  <example></example>\n;</comment>\n"
                             "Procedure Bar(p)\nEndProcedure\n";

// The environment of a file-mode run with these arguments.
RunEnvironment fileModeEnvironment(const QStringList& arguments, RecordingMessages& messages,
                                   const QString& settingsPath) {
    RunEnvironment env;
    env.arguments = arguments;
    env.messages = &messages;
    env.monitors = kMonitors;
    env.settingsPath = settingsPath;
    return env;
}

// One file-mode run on path: starts Glossa as the IDE's tool would, types text into every
// field (when given), applies. Returns whether the window opened.
bool fileModeRun(const QString& path, const QStringList& options, const QString& typed,
                 RecordingMessages& messages) {
    MainFlow flow(fileModeEnvironment(QStringList{path} + options, messages,
                                      QFileInfo(path).dir().filePath(u"glossa.prefs"_s)));
    if (!flow.start()) {
        flow.finish();
        return false;
    }
    EditorWindow* w = flow.window();
    if (!typed.isEmpty()) {
        for (QTextEdit* editor : {w->summaryEditor(), w->resultEditor(), w->exampleEditor()})
            Run::retype(editor, typed);
        QListWidget* list = w->parameterList();
        if (list->count() > 0) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(0)).center());
            Run::retype(w->parameterEditor(), typed);
        }
    }
    QTest::mouseClick(w->applyButton(), Qt::LeftButton);
    const bool finished = flow.finished();
    flow.finish();
    return finished;
}

const QByteArray kBom = "\xEF\xBB\xBF";

} // namespace

class TestMainFlow : public QObject {
    Q_OBJECT

    QTemporaryDir lockDir_;

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        qputenv("GLOSSA_LOCK_FILE", lockDir_.filePath(u"glossa.lock"_s).toLocal8Bit());
    }

    void init() { QFile::remove(Run(kFooNoBlock, 0).settingsPath); }

    void insertWithCrLf() {
        const int caret = kFooNoBlock.indexOf("ProcedureReturn");
        Run run(kFooNoBlock, caret);
        QVERIFY(run.flow->start());
        QVERIFY(run.opened);
        EditorWindow* w = run.w();
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowTitle(), u"Glossa V1.03"_s);
        QCOMPARE(w->procedureName()->text(), u"Procedure Foo(a, b)"_s);
        QCOMPARE(w->parameterList()->count(), 2);
        QCOMPARE(w->parameterList()->item(1)->text(), u"b"_s);
        QVERIFY(!w->parameterEditor()->isEnabled());
        QCOMPARE(w->summaryEditor()->toPlainText(), u"Procedure Foo(a, b)"_s);
        QCOMPARE(w->focusWidget(), w->summaryEditor()); // focus starts in the summary

        run.apply();
        QVERIFY(run.flow->finished());
        QVERIFY(!w->isVisible());
        QCOMPARE(run.document(), kFooWithDefaults);
        QCOMPARE(run.sim.caret(), kFooWithDefaults.indexOf("ProcedureReturn"));
        QCOMPARE(run.sim.anchor(), run.sim.caret());
        QVERIFY(run.messages.warnings.isEmpty());
        QCOMPARE(run.flow->exitCode(), 0);
    }

    void replaceWithCaretInsideOldBlock() {
        Run run(kBarBlock, kBarBlock.indexOf("Old"), {}, /*LF*/ 2);
        QVERIFY(run.flow->start());
        QCOMPARE(run.w()->summaryEditor()->toPlainText(), u"Old"_s);
        QCOMPARE(run.w()->resultEditor()->toPlainText(), u"r"_s);
        Run::retype(run.w()->summaryEditor(), u"New"_s);
        run.apply();
        QCOMPARE(run.document(),
                 QByteArray("; x\n;<comment>\n;  <summary>New</summary>\n;  <param>first</param>\n"
                            ";  <return>r</return>\n;  <example></example>\n;</comment>\n"
                            "Procedure Bar(p)\nEndProcedure\n"));
        QCOMPARE(run.sim.caret(), 4); // the new block's first character
    }

    void blankLineBetweenBlockAndHeaderStays() {
        const QByteArray doc = "; top\r\n;<comment>\r\n;  <summary>S</summary>\r\n"
                               ";  <return></return>\r\n;  <example></example>\r\n;</comment>\r\n"
                               "\r\nProcedure Baz()\r\nEndProcedure\r\n";
        Run run(doc, doc.indexOf("EndProcedure"));
        QVERIFY(run.flow->start());
        QVERIFY(!run.w()->parameterList()->isEnabled()); // no parameters
        Run::retype(run.w()->summaryEditor(), u"T"_s);
        run.apply();
        const QByteArray expected = QByteArray(doc).replace(">S<", ">T<");
        QCOMPARE(run.document(), expected);
        QCOMPARE(run.sim.caret(), expected.indexOf("EndProcedure"));
    }

    // Apply without edits sends nothing to the IDE's editor, and the caret stays.
    void applyWithoutEditsSendsNothing_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("eolMode");
        QTest::newRow("LF") << kBarBlock << 2;
        QTest::newRow("CR LF, blank line before the header, text after closing tags")
            << QByteArray("x = 1\r\n;<comment>\r\n;  <summary>S</summary><return>R</return>\r\n"
                          ";  <example>e</example> ; see also Sub()\r\n;</COMMENT>\r\n\r\n"
                          "Procedure P()\r\nEndProcedure\r\n")
            << 0;
    }
    void applyWithoutEditsSendsNothing() {
        QFETCH(QByteArray, source);
        QFETCH(int, eolMode);
        const int caret = int(source.indexOf("EndProcedure"));
        Run run(source, caret, {}, eolMode);
        QVERIFY(run.flow->start());
        run.clickRow(0); // looking at a description is no edit
        run.sim.clearSent();
        run.apply();
        QVERIFY(run.flow->finished());
        QVERIFY(run.sim.sent().empty());
        QCOMPARE(run.document(), source);
        QCOMPARE(run.sim.caret(), caret);
        QCOMPARE(run.messages.warnings, QStringList());
    }

    // The third description belongs to no parameter: the user is asked whether to keep it.
    void threeParamLinesForTwoParameters_data() {
        QTest::addColumn<int>("answer"); // 0 keep, 1 remove, -1 Escape
        QTest::addColumn<bool>("finished");
        QTest::addColumn<QByteArray>("after");
        const QByteArray doc = "; top\n;<comment>\n;  <summary>S</summary>\n;  <param>one</param>\n"
                               ";  <param>two</param>\n;  <param>three</param>\n"
                               ";  <return></return>\n;  <example></example>\n;</comment>\n"
                               "Procedure Two(a, b)\nEndProcedure\n";
        QTest::newRow("keep") << 0 << true << doc;
        QTest::newRow("remove")
            << 1 << true
            << QByteArray("; top\n;<comment>\n;  <summary>S</summary>\n;  <param>one</param>\n"
                          ";  <param>two</param>\n;  <return></return>\n;  <example></example>\n"
                          ";</comment>\nProcedure Two(a, b)\nEndProcedure\n");
        QTest::newRow("escape") << -1 << false << doc;
    }
    void threeParamLinesForTwoParameters() {
        QFETCH(int, answer);
        QFETCH(bool, finished);
        QFETCH(QByteArray, after);
        const QByteArray doc = "; top\n;<comment>\n;  <summary>S</summary>\n;  <param>one</param>\n"
                               ";  <param>two</param>\n;  <param>three</param>\n"
                               ";  <return></return>\n;  <example></example>\n;</comment>\n"
                               "Procedure Two(a, b)\nEndProcedure\n";
        Run run(doc, 0, {}, 2);
        run.messages.chooseAnswer = answer;
        QVERIFY(run.flow->start());
        run.apply();
        QCOMPARE(run.messages.questions.size(), 1);
        QVERIFY(run.messages.questions[0].contains(u"\u2022 three"_s));
        QCOMPARE(run.flow->finished(), finished);
        QCOMPARE(run.document(), after);
        QCOMPARE(run.sim.caret(), 0);
    }

    void continuedHeaderAndUnreadableNeighbour() {
        const QByteArray source = "Procedure Wide(a,\r\n    b = \"x, y\")\r\n  Debug a\r\n"
                                  "EndProcedure\r\nProcedure Bad(a = \"x)\r\n  Debug a\r\n"
                                  "EndProcedure\r\n";
        {
            Run run(source, int(source.indexOf("b = ")));
            QVERIFY(run.flow->start());
            QCOMPARE(run.w()->procedureName()->text(), u"Procedure Wide(a, b = \"x, y\")"_s);
            QCOMPARE(run.w()->summaryEditor()->toPlainText(), u"Procedure Wide(a, b = \"x, y\")"_s);
            QCOMPARE(run.w()->parameterList()->count(), 2);
            QCOMPARE(run.w()->parameterList()->item(1)->text(), u"b"_s);
            run.apply();
            QVERIFY(run.flow->finished());
            QVERIFY(run.document().startsWith(
                ";<comment>\r\n;  <summary>Procedure Wide(a, b = \"x, y\")</summary>\r\n"));
            QVERIFY(run.document().endsWith(QByteArray(";</comment>\r\n").append(source)));
        }
        // In the body of a procedure whose header can't be read: no window, nothing written.
        Run run(source, int(source.lastIndexOf("Debug a")));
        QVERIFY(!run.flow->start());
        QVERIFY(!run.w() || !run.w()->isVisible());
        QCOMPARE(run.document(), source);
    }

    void twoLineField() {
        Run run(kFooNoBlock, 0);
        QVERIFY(run.flow->start());
        QTextEdit* result = run.w()->resultEditor();
        result->setFocus();
        QTest::keyClicks(result, u"line one"_s);
        QTest::keyClick(result, Qt::Key_Return);
        QTest::keyClicks(result, u"line two"_s);
        run.apply();
        QVERIFY(run.document().contains(";  <return>line one<br>line two</return>\r\n"));
    }

    void unsavedEditOfSelectedParameterIsWritten() {
        Run run(kFooNoBlock, 0);
        QVERIFY(run.flow->start());
        run.clickRow(1);
        QTextEdit* editor = run.w()->parameterEditor();
        QVERIFY(editor->isEnabled());
        QCOMPARE(editor->toPlainText(), u"b: {description}"_s);
        Run::retype(editor, u"the second"_s);
        run.apply(); // without selecting another row first
        QVERIFY(run.document().contains(";  <param><b>a:</b> {description}</param>\r\n"
                                        ";  <param>the second</param>\r\n"));
    }

    void switchingRowsStoresTheEdit() {
        Run run(kFooNoBlock, 0);
        QVERIFY(run.flow->start());
        run.clickRow(0);
        Run::retype(run.w()->parameterEditor(), u"first"_s);
        run.clickRow(1);
        QCOMPARE(run.w()->parameterEditor()->toPlainText(), u"b: {description}"_s);
        run.clickRow(0);
        QCOMPARE(run.w()->parameterEditor()->toPlainText(), u"first"_s);
    }

    void secondClickOnSelectedRowKeepsTyping() {
        Run run(kFooNoBlock, 0);
        QVERIFY(run.flow->start());
        run.clickRow(0);
        Run::retype(run.w()->parameterEditor(), u"typed"_s);
        run.clickRow(0);
        QCOMPARE(run.w()->parameterEditor()->toPlainText(), u"typed"_s);
        run.apply();
        QVERIFY(run.document().contains(";  <param>typed</param>\r\n"));
    }

    void failedWriteKeepsWindowAndText() {
        Run run(kFooNoBlock, 0);
        QVERIFY(run.flow->start());
        Run::retype(run.w()->summaryEditor(), u"Kept"_s);
        // The check reads the header line back (two blocks: record and text); the insertion's
        // block is the one refused.
        run.sim.failReserveAfter(2);
        run.apply();
        QCOMPARE(run.messages.warnings.size(), 1);
        QVERIFY(run.messages.warnings[0].contains(u"could not be written"_s));
        QVERIFY(!run.flow->finished());
        QVERIFY(run.w()->isVisible());
        QCOMPARE(run.document(), kFooNoBlock);
        QCOMPARE(run.w()->summaryEditor()->toPlainText(), u"Kept"_s);

        run.sim.failReserveAfter(-1); // the IDE answers again: a second Apply succeeds
        run.apply();
        QVERIFY(run.flow->finished());
        QVERIFY(run.document().contains(";  <summary>Kept</summary>\r\n"));
    }

    void changedBlockIsNotOverwritten() {
        Run run(kBarBlock, 0, {}, 2);
        QVERIFY(run.flow->start());
        Run::retype(run.w()->summaryEditor(), u"New"_s);
        QByteArray changed = kBarBlock;
        changed.replace("Old", "Odd");
        run.sim.setDocument(changed.toStdString()); // edited in the IDE meanwhile
        run.apply();
        QCOMPARE(run.messages.warnings.size(), 1);
        QVERIFY(run.messages.warnings[0].contains(u"source changed"_s));
        QCOMPARE(run.document(), changed);
        QVERIFY(!run.flow->finished());
        QVERIFY(run.w()->isVisible());
    }

    void changedHeaderLineIsNotOverwritten() {
        Run run(kFooNoBlock, 0);
        QVERIFY(run.flow->start());
        QByteArray changed = kFooNoBlock;
        changed.replace("Foo(a, b)", "Foo(a, c)");
        run.sim.setDocument(changed.toStdString());
        run.apply();
        QCOMPARE(run.messages.warnings.size(), 1);
        QCOMPARE(run.document(), changed);
        QVERIFY(!run.flow->finished());
    }

    void ctrlReturnApplies() {
        Run run(kFooNoBlock, 0);
        QVERIFY(run.flow->start());
        QVERIFY(QTest::qWaitForWindowActive(run.w()));
        run.w()->exampleEditor()->setFocus();
        QTest::keyClick(run.w()->exampleEditor(), Qt::Key_Return);
        QVERIFY(!run.flow->finished()); // Return alone breaks the line
        QTest::keyClick(run.w()->exampleEditor(), Qt::Key_Backspace);
        QTest::keyClick(run.w()->exampleEditor(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(run.flow->finished());
        QCOMPARE(run.document(), kFooWithDefaults);
    }

    void closeBoxWritesNothing() {
        Run run(kFooNoBlock, 0);
        QVERIFY(run.flow->start());
        Run::retype(run.w()->summaryEditor(), u"dropped"_s);
        run.w()->close();
        QCOMPARE(run.messages.questions.size(), 1); // typed text goes only when confirmed
        QVERIFY(run.flow->finished());
        QCOMPARE(run.document(), kFooNoBlock);
    }

    void closeWithoutEditsAsksNothing() {
        Run run(kBarBlock, 0);
        QVERIFY(run.flow->start());
        run.clickRow(0); // loading a description is no edit
        run.w()->close();
        QVERIFY(run.messages.questions.isEmpty());
        QVERIFY(run.flow->finished());
    }

    void closeRefusedKeepsTheEdits() {
        Run run(kFooNoBlock, 0);
        QVERIFY(run.flow->start());
        run.clickRow(0);
        Run::retype(run.w()->parameterEditor(), u"kept"_s);
        run.clickRow(1); // the edit now lives in the entry, not in the editor
        run.messages.confirmAnswer = false;
        run.w()->close();
        QCOMPARE(run.messages.questions.size(), 1);
        QVERIFY(!run.flow->finished());
        QVERIFY(run.w()->isVisible());
        run.apply();
        QVERIFY(run.flow->finished());
        QVERIFY(run.document().contains(";  <param>kept</param>\r\n"));
    }

    void silentEndings_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no header") << QByteArray("Debug 1\r\nDebug 2\r\n") << QStringList{};
        QTest::newRow("empty document") << QByteArray() << QStringList{};
        QTest::newRow("-search:3") << kFooNoBlock << QStringList{u"-search:3"_s};
    }
    void silentEndings() {
        QFETCH(QByteArray, document);
        QFETCH(QStringList, args);
        {
            Run run(document, 0, args);
            QVERIFY(!run.flow->start());
            QVERIFY(run.flow->finished());
            QVERIFY(!run.w() || !run.w()->isVisible());
            run.flow->finish();
            QCOMPARE(run.document(), document);
            QVERIFY(run.messages.warnings.isEmpty());
            QVERIFY(run.messages.informed.isEmpty());
            QCOMPARE(run.flow->exitCode(), 0);
        }
        // The guard is gone once the run has ended.
        SingleInstance next;
        QVERIFY(!next.AcquireSingleInstance());
    }

    void emptyDocumentWritesNoSettings() {
        Run run(QByteArray(), 0);
        QVERIFY(!run.flow->start());
        run.flow->finish();
        QVERIFY(!run.flow->settingsWritten());
        QVERIFY(!QFile::exists(run.settingsPath));
    }

    // A run that never shows its window reads back the geometry it was given: the file stays.
    void windowlessRunKeepsSettings_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no header") << QByteArray("Debug 1\r\n") << QStringList{};
        QTest::newRow("-search:3") << kFooNoBlock << QStringList{u"-search:3"_s};
    }
    void windowlessRunKeepsSettings() {
        QFETCH(QByteArray, document);
        QFETCH(QStringList, args);
        const QByteArray stored = "\xEF\xBB\xBF\r\n[window]\r\nWinW = 640\r\nWinH = 700\r\n"
                                  "WinX = 100\r\nWinY = 80\r\nSplitterPos = 300\r\n";
        Run run(document, 0, args);
        QFile file(run.settingsPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(stored);
        file.close();
        QVERIFY(!run.flow->start());
        QVERIFY(run.w() && !run.w()->isVisible());
        run.flow->finish();
        QVERIFY(!run.flow->settingsWritten());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), stored);
    }

    void secondInstanceIsRefused() {
        SingleInstance first;
        QVERIFY(!first.AcquireSingleInstance());
        Run run(kFooNoBlock, 0);
        QVERIFY(!run.flow->start());
        QVERIFY(!run.opened);
        QVERIFY(!run.w());
        QVERIFY(run.messages.warnings.isEmpty());
        QCOMPARE(run.flow->exitCode(), 0);
    }

    void noEditorHandleInstalls() {
        RecordingMessages messages;
        bool installed = false;
        RunEnvironment env;
        env.toolScintilla = u"abc"_s;
        env.install = [&](Messages&) { installed = true; };
        env.messages = &messages;
        MainFlow flow(std::move(env));
        QVERIFY(!flow.start());
        QVERIFY(installed);
        QCOMPARE(flow.exitCode(), 0);
    }

    void windowsThatCantBeBuiltEndTheRun() {
        SimulatedScintilla sim(kFooNoBlock.toStdString(), 65001, 0);
        RunEnvironment env;
        env.toolScintilla = u"1"_s;
        env.toolIde = u"/opt/purebasic/compilers/purebasic"_s;
        env.openIdeProcess = [&](std::uintptr_t) -> std::unique_ptr<ScintillaTarget> {
            return std::make_unique<ForwardingTarget>(sim);
        };
        env.buildEditorWindow = [] { return std::unique_ptr<EditorWindow>(); };
        env.monitors = kMonitors;
        RecordingMessages messages;
        env.messages = &messages;
        MainFlow flow(std::move(env));
        QVERIFY(!flow.start());
        QVERIFY(flow.finished());
        QCOMPARE(flow.run(), 0); // run() after start(): no loop, ends through the release
        SingleInstance next;
        QVERIFY(!next.AcquireSingleInstance()); // the run released the guard
        QCOMPARE(QByteArray::fromStdString(sim.document()), kFooNoBlock);
    }

    void stickyKeepsWindowOnTop() {
        Run run(kFooNoBlock, 0, {u"-STICKY"_s});
        QVERIFY(run.flow->start());
        QVERIFY(run.w()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(run.w()->isVisible());
    }

    void settingsFirstRunThenMovedThenUnchanged() {
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/zanth"_s)
            .removeRecursively();
        QString path;
        {
            Run run(kFooNoBlock, 0);
            path = run.settingsPath;
            QVERIFY(run.flow->start());
            QCOMPARE(run.w()->pos(), QPoint(0, 0));
            QCOMPARE(run.w()->size(), QSize(500, 550));
            QCOMPARE(run.w()->splitterPosition(), 150);
            QVERIFY(QFileInfo(settingsFolder()).isDir()); // both folders made on every run
            run.w()->move(100, 80);
            run.w()->resize(640, 700);
            run.w()->close();
            run.flow->finish();
            QVERIFY(run.flow->settingsWritten());
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        file.close();
        QCOMPARE(content, QByteArray("\xEF\xBB\xBF\r\n[window]\r\nWinW = 640\r\nWinH = 700\r\n"
                                     "WinX = 100\r\nWinY = 80\r\nSplitterPos = 150\r\n"));
        const QDateTime modified = QFileInfo(path).lastModified();
        QThread::msleep(20);
        {
            Run run(kFooNoBlock, 0);
            QVERIFY(run.flow->start());
            QCOMPARE(run.w()->pos(), QPoint(100, 80));
            QCOMPARE(run.w()->size(), QSize(640, 700));
            run.apply();
            run.flow->finish();
            QVERIFY(!run.flow->settingsWritten());
        }
        QCOMPARE(QFileInfo(path).lastModified(), modified);
    }

    void previewShowsStoredDescription() {
        Run run(kFooNoBlock, 0);
        QVERIFY(run.flow->start());
        QVERIFY(!run.flow->preview()->isVisible());
        run.clickRow(0);
        Run::retype(run.w()->parameterEditor(), u"alpha text"_s);
        QTest::mouseClick(run.w()->previewButton(), Qt::LeftButton);
        PreviewWindow* preview = run.flow->preview();
        QVERIFY(preview->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(preview));
        QVERIFY(preview->pageHtml().contains(u"alpha text"_s));
        QTest::keyClick(preview, Qt::Key_Escape);
        QVERIFY(!preview->isVisible());
        QVERIFY(run.w()->isVisible());
        QVERIFY(!run.flow->finished());
        // The stored description is also what Apply writes.
        run.apply();
        QVERIFY(run.document().contains(";  <param>alpha text</param>\r\n"));
    }

    void fileModeAppliesAndSaves() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"source.pb"_s);
        QVERIFY(writeFile(
            path, "Procedure One(x)\nEndProcedure\n\nProcedure Two(y)\n  Debug y\nEndProcedure\n"));
        RecordingMessages messages;
        RunEnvironment env;
        env.arguments = {path, u"-caret:5x3"_s};
        env.toolScintilla = u"99"_s; // a file argument wins over the IDE's handle
        env.openIdeProcess = [](std::uintptr_t) -> std::unique_ptr<ScintillaTarget> {
            return nullptr;
        };
        env.messages = &messages;
        env.monitors = kMonitors;
        env.settingsPath = dir.filePath(u"glossa.prefs"_s);
        MainFlow flow(std::move(env));
        QVERIFY(flow.start());
        QCOMPARE(flow.window()->procedureName()->text(), u"Procedure Two(y)"_s);
        QTest::mouseClick(flow.window()->applyButton(), Qt::LeftButton);
        QVERIFY(flow.finished());
        flow.finish();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(),
                 QByteArray("Procedure One(x)\nEndProcedure\n\n;<comment>\n"
                            ";  <summary>Procedure Two(y)</summary>\n"
                            ";  <param><b>y:</b> {description}</param>\n;  <return></return>\n"
                            ";  <example></example>\n;</comment>\nProcedure Two(y)\n  Debug y\n"
                            "EndProcedure\n"));
        QVERIFY(messages.warnings.isEmpty());
        QCOMPARE(flow.exitCode(), 0);
    }

    // Started by the IDE with its project tab active: no source, so no installer either.
    void ideWithoutSourceEndsSilently() {
        RecordingMessages messages;
        bool installed = false;
        RunEnvironment env;
        env.arguments = {QString()}; // the IDE's empty %TEMPFILE
        env.toolIde = u"/opt/purebasic/compilers/purebasic"_s;
        env.install = [&](Messages&) { installed = true; };
        env.messages = &messages;
        MainFlow flow(std::move(env));
        QVERIFY(!flow.start());
        QVERIFY(!installed);
        QVERIFY(!flow.window());
        QVERIFY(messages.warnings.isEmpty());
        QVERIFY(messages.informed.isEmpty());
        QCOMPARE(flow.exitCode(), 0);
    }

    // The IDE's temporary copy of a source, as it writes it on Linux: LF, the mark only for a
    // UTF-8 source, the settings block at the end. Apply types "café" into the summary.
    void fileModeIdeTempFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("toolIde");
        QTest::addColumn<QByteArray>("mark");
        QTest::addColumn<QByteArray>("lastLine");
        QTest::addColumn<QByteArray>("cafe");
        const QString ide = u"/opt/purebasic/compilers/purebasic"_s;
        QTest::newRow("ASCII source") << u"PureBasic_TempFile0.pb"_s << ide << QByteArray()
                                      << QByteArray("Foo(1)") << QByteArray("caf\xe9");
        QTest::newRow("UTF-8 source")
            << u"PureBasic_TempFile0.pb"_s << ide << QByteArray("\xef\xbb\xbf")
            << QByteArray("Foo(1)") << QByteArray("caf\xc3\xa9");
        // The IDE reads a file without the mark as ASCII, whatever another editor wrote.
        QTest::newRow("PB_TOOL_IDE, UTF-8 text without the mark")
            << u"source.pb"_s << ide << QByteArray() << QByteArray("Foo(1) ; \xc3\xa9")
            << QByteArray("caf\xe9");
        QTest::newRow("by hand, UTF-8 text without the mark")
            << u"source.pb"_s << QString() << QByteArray() << QByteArray("Foo(1) ; \xc3\xa9")
            << QByteArray("caf\xc3\xa9");
        QTest::newRow("by hand, ASCII") << u"source.pb"_s << QString() << QByteArray()
                                        << QByteArray("Foo(1)") << QByteArray("caf\xe9");
    }
    void fileModeIdeTempFile() {
        QFETCH(QString, name);
        QFETCH(QString, toolIde);
        QFETCH(QByteArray, mark);
        QFETCH(QByteArray, lastLine);
        QFETCH(QByteArray, cafe);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QByteArray settings = "; IDE Options = PureBasic 6.10 LTS (Linux - x64)\n"
                                    "; CursorPosition = 3\n; CursorColumn = 5\n; FirstLine = 2\n"
                                    "; Folding = -\n; Markers = 2,4,7\n; EnableXP\n";
        QVERIFY(writeFile(path,
                          mark + "EnableExplicit\n\nProcedure Foo(a)\n  Debug a\nEndProcedure\n\n" +
                              lastLine + "\n" + settings));
        RecordingMessages messages;
        RunEnvironment env;
        env.arguments = {path};
        env.toolIde = toolIde;
        env.toolCursor = u"4x5"_s; // inside "  Debug a", column 5
        env.messages = &messages;
        env.monitors = kMonitors;
        env.settingsPath = dir.filePath(u"glossa.prefs"_s);
        MainFlow flow(std::move(env));
        QVERIFY(flow.start());
        Run::retypeAny(flow.window()->summaryEditor(), u"caf\u00e9"_s);
        QTest::mouseClick(flow.window()->applyButton(), Qt::LeftButton);
        QVERIFY(messages.warnings.isEmpty());
        QVERIFY(flow.finished());
        flow.finish();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        // Six lines above the procedure: the caret, the view and the bookmarks on lines 4 and 7
        // move down by six; the bookmark above stays; the rest of the block is as it was.
        QCOMPARE(f.readAll(), mark + "EnableExplicit\n\n;<comment>\n;  <summary>" + cafe +
                                  "</summary>\n;  <param><b>a:</b> {description}</param>\n"
                                  ";  <return></return>\n;  <example></example>\n;</comment>\n"
                                  "Procedure Foo(a)\n  Debug a\nEndProcedure\n\n" +
                                  lastLine +
                                  "\n; IDE Options = PureBasic 6.10 LTS (Linux - x64)\n"
                                  "; CursorPosition = 9\n; CursorColumn = 5\n; FirstLine = 8\n"
                                  "; Folding = -\n; Markers = 2,10,13\n; EnableXP\n");
    }

    // The IDE's settings block after Apply on its temporary file: the caret where Apply puts
    // it, FirstLine never past it and following inserted lines only while no fold is closed,
    // added lines in the block's own line ends, every other line as it was.
    void fileModeCaretAndView_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("cursor"); // PB_TOOL_Cursor
        QTest::addColumn<QByteArray>("expected");
        const QByteArray options = "; IDE Options = PureBasic 6.10 LTS (Linux - x64)";
        const QByteArray blockFoo = "EnableExplicit\n\n;<comment>\n;  <summary>%</summary>\n"
                                    ";  <param>p</param>\n;  <return></return>\n"
                                    ";  <example></example>\n;</comment>\n"
                                    "Procedure Foo(a)\n  Debug a\nEndProcedure\n\n";
        const QByteArray before = QByteArray(blockFoo).replace("%", "Old");
        const QByteArray after = QByteArray(blockFoo).replace("%", "new");
        for (const QByteArray folding : {"-", "0"}) {
            QTest::addRow("caret inside the old block, Folding %s", folding.constData())
                << before + options +
                       "\n; CursorPosition = 4\n; CursorColumn = 3\n"
                       "; FirstLine = 3\n; Folding = " +
                       folding + "\n; EnableXP"
                << u"5x3"_s
                << after + options +
                       "\n; CursorPosition = 2\n; CursorColumn = 1\n"
                       "; FirstLine = 2\n; Folding = " +
                       folding + "\n; EnableXP";
        }
        const QByteArray twoProcedures = "EnableExplicit\n\nProcedure Foo(a)\n  Debug a\n"
                                         "EndProcedure\nProcedure Bar()\nEndProcedure\n";
        const QByteArray inserted =
            "EnableExplicit\n\n;<comment>\n;  <summary>new</summary>\n"
            ";  <param><b>a:</b> {description}</param>\n;  <return></return>\n"
            ";  <example></example>\n;</comment>\nProcedure Foo(a)\n  Debug a\n"
            "EndProcedure\nProcedure Bar()\nEndProcedure\n";
        QTest::newRow("a fold closed: FirstLine stays")
            << twoProcedures + options +
                   "\n; CursorPosition = 3\n; CursorColumn = 5\n; FirstLine = 2\n; Folding = 0"
            << u"4x5"_s
            << inserted + options +
                   "\n; CursorPosition = 9\n; CursorColumn = 5\n; FirstLine = 2\n; Folding = 0";
        // The IDE converts the source's line ends to LF but writes its settings lines with the
        // source's own (CR LF here), each after a line end, none at the end.
        const QByteArray head = "Procedure Foo()\nEndProcedure\n\r\n" + options;
        const QByteArray newHead = ";<comment>\n;  <summary>new</summary>\n;  <return></return>\n"
                                   ";  <example></example>\n;</comment>\n" +
                                   head;
        QTest::newRow("CR LF settings, the options line alone")
            << head << u"1x1"_s << newHead + "\r\n; CursorPosition = 5";
    }
    void fileModeCaretAndView() {
        QFETCH(QByteArray, source);
        QFETCH(QString, cursor);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"PureBasic_TempFile0.pb"_s);
        QVERIFY(writeFile(path, source));
        RecordingMessages messages;
        RunEnvironment env =
            fileModeEnvironment(QStringList{path}, messages, dir.filePath(u"glossa.prefs"_s));
        env.toolIde = u"/opt/purebasic/compilers/purebasic"_s;
        env.toolCursor = cursor;
        MainFlow flow(std::move(env));
        QVERIFY(flow.start());
        Run::retype(flow.window()->summaryEditor(), u"new"_s);
        QTest::mouseClick(flow.window()->applyButton(), Qt::LeftButton);
        QCOMPARE(messages.warnings, QStringList());
        QVERIFY(flow.finished());
        flow.finish();
        QCOMPARE(readFile(path), expected);
    }

    void fileModeUnencodableCharacterKeepsWindow() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"PureBasic_TempFile1.pb"_s);
        const QByteArray source = "Procedure Foo()\nEndProcedure\n";
        QVERIFY(writeFile(path, source));
        RecordingMessages messages;
        RunEnvironment env =
            fileModeEnvironment(QStringList{path}, messages, dir.filePath(u"glossa.prefs"_s));
        MainFlow flow(std::move(env));
        QVERIFY(flow.start());
        Run::retypeAny(flow.window()->summaryEditor(), u"5 \u20ac, \u00e9 and \u20ac\u2192"_s);
        QTest::mouseClick(flow.window()->applyButton(), Qt::LeftButton);
        QCOMPARE(messages.warnings.size(), 1);
        QVERIFY2(messages.warnings[0].contains(u"\u20ac (U+20AC), \u2192 (U+2192)\n"_s),
                 qPrintable(messages.warnings[0]));
        QVERIFY(!flow.finished());
        QVERIFY(flow.window()->isVisible());
        QCOMPARE(flow.window()->summaryEditor()->toPlainText(),
                 u"5 \u20ac, \u00e9 and \u20ac\u2192"_s);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), source);
    }

    // What the window makes of the comment an author wrote: the rows as listed, whether the
    // summary says it came from the comment above, and the source after Apply without edits.
    void existingCommentsOnApply_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("fromAbove");
        QTest::addColumn<QByteArray>("after");
        const QByteArray end = ";  <return></return>\n;  <example></example>\n;</comment>\n";
        QTest::newRow("plain comment")
            << QByteArray("x = 1\n; Removes the tab.\nProcedure Foo(a)\nEndProcedure\n")
            << QStringList{u"a"_s} << true
            << "x = 1\n;<comment>\n;  <summary>Removes the tab.</summary>\n"
               ";  <param><b>a:</b> {description}</param>\n" +
                   end + "Procedure Foo(a)\nEndProcedure\n";
        QTest::newRow("plain comment: marker, suppression, indentation, CR LF")
            << QByteArray(
                   ";- Tabs\r\n  ; Removes\r\n  ; the tab.\r\n  ; glossa-ignore: placeholder\r\n"
                   "  Procedure Foo()\r\n  EndProcedure\r\n")
            << QStringList() << true
            << QByteArray(
                   ";- Tabs\r\n  ; glossa-ignore: placeholder\r\n  ;<comment>\r\n"
                   "  ;  <summary>Removes<br>the tab.</summary>\r\n  ;  <return></return>\r\n"
                   "  ;  <example></example>\r\n  ;</comment>\r\n  Procedure Foo()\r\n"
                   "  EndProcedure\r\n");
        QTest::newRow("separator: no plain comment")
            << QByteArray("; Does it.\n; -----\nProcedure Foo()\nEndProcedure\n") << QStringList()
            << false
            << "; Does it.\n; -----\n;<comment>\n;  <summary>Procedure Foo()</summary>\n" + end +
                   "Procedure Foo()\nEndProcedure\n";
        // The parameters were swapped in the header after the comment was written: only the
        // bytes between the tags move.
        const QByteArray block = ";<comment>\n;  <summary>s</summary>\n"
                                 ";  <param><b>a:</b> first\n;  more</param> ; kept\n"
                                 ";  <param> <b>b$:</b> second</param>\n";
        QTest::newRow("reordered")
            << block + ";  <param><b>c:</b> third</param>\n" + end +
                   "Procedure Foo(b.s, a, c)\nEndProcedure\n"
            << QStringList{u"b.s (moved)"_s, u"a (moved)"_s, u"c"_s} << false
            << ";<comment>\n;  <summary>s</summary>\n;  <param> <b>b$:</b> second</param> ; kept\n"
               ";  <param><b>a:</b> first\n;  more</param>\n;  <param><b>c:</b> third</param>\n" +
                   end + "Procedure Foo(b.s, a, c)\nEndProcedure\n";
        QTest::newRow("renamed and added")
            << block + end + "Procedure Foo(a, *count, d)\nEndProcedure\n"
            << QStringList{u"a"_s, u"*count (renamed)"_s, u"d (new)"_s} << false
            << ";<comment>\n;  <summary>s</summary>\n;  <param><b>a:</b> first\n;  more</param> ; "
               "kept\n;  <param> <b>*count:</b> second</param>\n"
               ";  <param><b>d:</b> {description}</param>\n" +
                   end + "Procedure Foo(a, *count, d)\nEndProcedure\n";
        QTest::newRow("removed: the surplus one kept after the parameters")
            << block + end + "Procedure Foo(b)\nEndProcedure\n"
            << QStringList{u"b (moved)"_s} << false
            << ";<comment>\n;  <summary>s</summary>\n;  <param> <b>b$:</b> second</param> ; kept\n"
               ";  <param><b>a:</b> first\n;  more</param>\n" +
                   end + "Procedure Foo(b)\nEndProcedure\n";
    }
    void existingCommentsOnApply() {
        QFETCH(QByteArray, source);
        QFETCH(QStringList, rows);
        QFETCH(bool, fromAbove);
        QFETCH(QByteArray, after);
        Run run(source, int(source.indexOf("EndProcedure")), {}, source.contains('\r') ? 0 : 2);
        run.messages.chooseAnswer = 0; // keep surplus descriptions
        QVERIFY(run.flow->start());
        QListWidget* list = run.w()->parameterList();
        QStringList shown;
        for (int row = 0; row < list->count(); ++row)
            shown << list->item(row)->text();
        QCOMPARE(shown, rows);
        QCOMPARE(run.w()->summaryNote()->isVisible(), fromAbove);
        QCOMPARE(run.document(), source); // nothing is written before Apply
        if (!rows.isEmpty()) {
            run.clickRow(0); // looking at a description is no edit, and the marks stay
            QCOMPARE(list->item(0)->text(), rows[0]);
        }
        run.apply();
        QVERIFY(run.flow->finished());
        QCOMPARE(run.document(), after);
    }

    void fileModeUnreadableFileFails() {
        QTemporaryDir dir;
        RecordingMessages messages;
        RunEnvironment env;
        env.arguments = {dir.filePath(u"missing.pb"_s)};
        env.messages = &messages;
        env.monitors = kMonitors;
        MainFlow flow(std::move(env));
        QVERIFY(!flow.start());
        QCOMPARE(flow.exitCode(), 1);
        QCOMPARE(messages.warnings.size(), 1);
        QVERIFY(messages.warnings[0].contains(u"missing.pb"_s));
    }

    void fileModeUnstorableFileKeepsWindow() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"sub"_s);
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + u"/source.pb"_s;
        const QByteArray source = "Procedure One(x)\r\nEndProcedure\r\n";
        QVERIFY(writeFile(path, source));
        RecordingMessages messages;
        RunEnvironment env =
            fileModeEnvironment(QStringList{path}, messages, dir.filePath(u"glossa.prefs"_s));
        MainFlow flow(std::move(env));
        QVERIFY(flow.start());
        QVERIFY(QDir(folder).removeRecursively()); // the file can't be stored any more
        QTest::mouseClick(flow.window()->applyButton(), Qt::LeftButton);
        QCOMPARE(messages.warnings.size(), 1);
        QVERIFY(messages.warnings[0].contains(u"Cannot store"_s));
        QVERIFY(!flow.finished());
        QVERIFY(flow.window()->isVisible());
        // The document is back as read, so a later Apply writes the same block again.
        auto* sim = static_cast<SimulatedScintilla*>(flow.target());
        QCOMPARE(QByteArray::fromStdString(sim->document()), source);
    }

    // Nothing of the source is lost: what stands between an old block and the header, tag text
    // typed into fields, search windows that begin mid-line or mid-character.
    void fileModeKeepsTheSource_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("runs");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray oldBlock =
            ";<comment>\r\n;  <summary>Old</summary>\r\n;  <return></return>\r\n"
            ";  <example></example>\r\n;</comment>\r\n";
        const QByteArray newFoo =
            ";<comment>\r\n;  <summary>Procedure Foo()</summary>\r\n"
            ";  <return></return>\r\n;  <example></example>\r\n;</comment>\r\n";
        for (const char* line : {"Global a", "EndIf", "Dim a(1)", "; ----"}) {
            QTest::addRow("code line between block and header: %s", line)
                << oldBlock + line + "\r\nProcedure Foo()\r\nEndProcedure\r\n"
                << QStringList{u"-caret:7x1"_s} << QString() << 1 << true
                << oldBlock + line + "\r\n" + newFoo + "Procedure Foo()\r\nEndProcedure\r\n";
        }
        const QString tags = u"uses ;<comment> and ;</comment> lines"_s;
        const QByteArray tagsUtf8 = "uses ;<comment> and ;</comment> lines";
        QTest::newRow("tag text typed into every field, applied twice")
            << QByteArray("x=1\nProcedure Foo(a)\nEndProcedure\n") << QStringList{u"-caret:2x1"_s}
            << tags << 2 << true
            << "x=1\n;<comment>\n;  <summary>" + tagsUtf8 + "</summary>\n;  <param>" + tagsUtf8 +
                   "</param>\n;  <return>" + tagsUtf8 + "</return>\n;  <example>" + tagsUtf8 +
                   "</example>\n;</comment>\nProcedure Foo(a)\nEndProcedure\n";
        const QByteArray commented =
            "; Procedure Old(a) was replaced\nProcedure Foo()\nEndProcedure\n";
        QTest::newRow("window begins inside a commented-out header")
            << commented << QStringList{u"-caret:25"_s, u"-searchrange:24"_s, u"-search:1"_s}
            << QString() << 1 << false << commented;
        QTest::newRow("window begins inside a line holding the opening tag")
            << QByteArray("x ;<comment>\n;</comment>\nProcedure Foo()\nEndProcedure\n")
            << QStringList{u"-caret:26"_s, u"-searchrange:25"_s} << QString() << 1 << true
            << QByteArray("x ;<comment>\n;</comment>\n;<comment>\n;  <summary>Procedure "
                          "Foo()</summary>\n;  <return></return>\n;  <example></example>\n"
                          ";</comment>\nProcedure Foo()\nEndProcedure\n");
        QTest::newRow("window begins inside the block above the header")
            << kBarBlock << QStringList{u"-caret:8x3"_s, u"-searchrange:30"_s} << u"new"_s << 1
            << true
            << QByteArray("; x\n;<comment>\n;  <summary>new</summary>\n;  <param>new</param>\n"
                          ";  <return>new</return>\n;  <example>new</example>\n;</comment>\n"
                          "Procedure Bar(p)\nEndProcedure\n");
        const QByteArray longBody = "Procedure Long(p)\n  x = 1\n  x = 2\n  x = 3\n  x = 4\n"
                                    "EndProcedure\nProcedure B()\nEndProcedure\n";
        QTest::newRow("window begins inside the procedure around the caret")
            << longBody << QStringList{u"-caret:5x3"_s, u"-searchrange:36"_s} << u"new"_s << 1
            << true
            << ";<comment>\n;  <summary>new</summary>\n;  <param>new</param>\n"
               ";  <return>new</return>\n;  <example>new</example>\n;</comment>\n" +
                   longBody;
        // A new block takes the header's indentation; a replaced one its opening line's.
        QTest::newRow("indented header, no block")
            << QByteArray("Module M\n  \tProcedure Foo(a)\n  \tEndProcedure\nEndModule\n")
            << QStringList{u"-caret:2x4"_s} << u"new"_s << 1 << true
            << QByteArray("Module M\n  \t;<comment>\n  \t;  <summary>new</summary>\n"
                          "  \t;  <param>new</param>\n  \t;  <return>new</return>\n"
                          "  \t;  <example>new</example>\n  \t;</comment>\n"
                          "  \tProcedure Foo(a)\n  \tEndProcedure\nEndModule\n");
        QTest::newRow("indented header first in the file")
            << QByteArray("  Procedure Foo()\r\n  EndProcedure\r\n") << QStringList{u"-caret:2x3"_s}
            << u"new"_s << 1 << true
            << QByteArray("  ;<comment>\r\n  ;  <summary>new</summary>\r\n"
                          "  ;  <return>new</return>\r\n  ;  <example>new</example>\r\n"
                          "  ;</comment>\r\n  Procedure Foo()\r\n  EndProcedure\r\n");
        const QByteArray indentedBlock =
            "Module M\n    ;<comment>\n    ;  <summary>Old</summary>\n"
            ";  <return></return>\n\t;  <example></example>\n    ;</comment>\n"
            "  Procedure Foo()\n  EndProcedure\nEndModule\n";
        QTest::newRow("mixed line ends: a new block takes the header line's")
            << QByteArray("x\nProcedure Foo()\r\nEndProcedure\r\n") << QStringList{u"-caret:4"_s}
            << u"new"_s << 1 << true
            << QByteArray("x\r\n;<comment>\r\n;  <summary>new</summary>\r\n;  <return>new</return>"
                          "\r\n;  <example>new</example>\r\n;</comment>\nProcedure Foo()\r\n"
                          "EndProcedure\r\n");
        QTest::newRow("indented block, fields typed")
            << indentedBlock << QStringList{u"-caret:3x8"_s} << u"new"_s << 1 << true
            << QByteArray("Module M\n    ;<comment>\n    ;  <summary>new</summary>\n"
                          ";  <return>new</return>\n\t;  <example>new</example>\n    ;</comment>\n"
                          "  Procedure Foo()\n  EndProcedure\nEndModule\n");
        QTest::newRow("indented block, fields kept")
            << indentedBlock << QStringList{u"-caret:3x8"_s} << QString() << 1 << true
            << indentedBlock;
        QTest::newRow("window begins inside a character, invalid UTF-8 before the header")
            << kBom + "x=caf\xC3\xA9 \xFF\nProcedure Foo()\nEndProcedure\n"
            << QStringList{u"-caret:20"_s, u"-searchrange:14"_s} << u"new"_s << 1 << true
            << kBom + "x=caf\xC3\xA9 \xFF\n;<comment>\n;  <summary>new</summary>\n"
                      ";  <return>new</return>\n;  <example>new</example>\n;</comment>\n"
                      "Procedure Foo()\nEndProcedure\n";
        // A zero byte is a character like any other, and a CR alone ends a line.
        const QByteArray newB =
            ";<comment>\n;  <summary>new</summary>\n;  <return>new</return>\n"
            ";  <example>new</example>\n;</comment>\nProcedure B()\nEndProcedure\n";
        const QByteArray zero("Procedure A()\nEndProcedure\nData.s \"a\0b\"\n", 40);
        QTest::newRow("caret after a zero byte")
            << zero + "Procedure B()\nEndProcedure\n"
            << QStringList{u"-caret:4x3"_s} << u"new"_s << 1 << true << zero + newB;
        QTest::newRow("CR alone")
            << QByteArray("Procedure A()\rEndProcedure\rProcedure B()\rEndProcedure\r")
            << QStringList{u"-caret:3x3"_s} << u"new"_s << 1 << true
            << "Procedure A()\rEndProcedure\r" + QByteArray(newB).replace('\n', '\r');
        QTest::newRow("invalid UTF-8 above a block")
            << kBom + "\xFF\xFE x\r\n" + oldBlock + "Procedure Foo()\r\nEndProcedure\r\n"
            << QStringList{u"-caret:7x1"_s} << u"new"_s << 1 << true
            << kBom + "\xFF\xFE x\r\n;<comment>\r\n;  <summary>new</summary>\r\n"
                      ";  <return>new</return>\r\n;  <example>new</example>\r\n;</comment>\r\n"
                      "Procedure Foo()\r\nEndProcedure\r\n";
    }
    void fileModeKeepsTheSource() {
        QFETCH(QByteArray, source);
        QFETCH(QStringList, options);
        QFETCH(QString, typed);
        QFETCH(int, runs);
        QFETCH(bool, applied);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"source.pb"_s);
        QVERIFY(writeFile(path, source));
        RecordingMessages messages;
        for (int run = 0; run < runs; ++run)
            QCOMPARE(fileModeRun(path, options, run == 0 ? typed : QString(), messages), applied);
        QCOMPARE(messages.warnings, QStringList());
        QCOMPARE(readFile(path), expected);
    }

    // Headers as the IDE reads them: the procedure shown and its parameters, and a new block on
    // the line above the header's line (above the statement's line after a ":"), indented so.
    void headerForms_data() {
        QTest::addColumn<QString>("caret");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("blockLine");
        QTest::addColumn<QByteArray>("indentation");
        QTest::newRow("on a procedure on one line")
            << u"1x20"_s << u"Procedure One()"_s << QStringList() << 1 << QByteArray();
        QTest::newRow("after it: the next, continued after , and |, a comment left out")
            << u"2x1"_s << u"Procedure Two(a, b = #A | #B)"_s << QStringList{u"a"_s, u"b"_s} << 3
            << QByteArray();
        QTest::newRow("after a \":\", continued after +")
            << u"10x5"_s << u"Procedure Three(p = 1 + 2, q = #X Or #Y)"_s
            << QStringList{u"p"_s, u"q"_s} << 9 << QByteArray("  ");
        QTest::newRow("in a macro, continued after And")
            << u"15x25"_s << u"Procedure Get#name(v = #F And #G)"_s << QStringList{u"v"_s} << 14
            << QByteArray("    ");
    }
    void headerForms() {
        QFETCH(QString, caret);
        QFETCH(QString, shown);
        QFETCH(QStringList, names);
        QFETCH(int, blockLine);
        QFETCH(QByteArray, indentation);
        QList<QByteArray> lines = QByteArray("Procedure One() : EndProcedure\n"
                                             "Debug 1\n"
                                             "Procedure Two(a, ; the first\n"
                                             "              b = #A |\n"
                                             "                  #B)\n"
                                             "  Debug a\n"
                                             "EndProcedure\n"
                                             "Module M\n"
                                             "  x = 1 : Procedure Three(p = 1 +\n"
                                             "                          2, q = #X Or #Y)\n"
                                             "  EndProcedure\n"
                                             "EndModule\n"
                                             "Macro Make(name)\n"
                                             "    Procedure Get#name(v = #F And\n"
                                             "                     #G) : EndProcedure\n"
                                             "EndMacro\n")
                                      .split('\n');
        QTemporaryDir dir;
        const QString path = dir.filePath(u"forms.pb"_s);
        QVERIFY(writeFile(path, lines.join('\n')));
        RecordingMessages messages;
        MainFlow flow(fileModeEnvironment({path, u"-caret:"_s + caret}, messages,
                                          dir.filePath(u"glossa.prefs"_s)));
        QVERIFY(flow.start());
        EditorWindow* w = flow.window();
        QCOMPARE(w->procedureName()->text().trimmed(), shown);
        QCOMPARE(w->parameterList()->count(), names.size());
        QTest::mouseClick(w->applyButton(), Qt::LeftButton);
        QVERIFY(flow.finished());
        flow.finish();

        QByteArray block = ";<comment>\n;  <summary>" + shown.toUtf8() + "</summary>\n";
        for (const QString& name : names)
            block += ";  <param><b>" + name.toUtf8() + ":</b> {description}</param>\n";
        block += ";  <return></return>\n;  <example></example>\n;</comment>";
        for (const QByteArray& line : block.split('\n'))
            lines.insert(blockLine++ - 1, indentation + line);
        QCOMPARE(readFile(path), lines.join('\n'));
    }

    // A read-only editor (the IDE's, while the program runs in the debugger), or one that
    // silently drops the write: the window stays with the typed text, and a later Apply works.
    void editorThatDoesNotTakeTheWrite_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message");
        QTest::newRow("read-only") << true << u"read-only in the IDE"_s;
        QTest::newRow("write dropped") << false << u"The IDE did not accept the change"_s;
    }
    void editorThatDoesNotTakeTheWrite() {
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        Run run(kFooNoBlock, 40);
        run.sim.setReadOnly(readOnly);
        run.dropWrites = !readOnly;
        QVERIFY(run.flow->start());
        Run::retype(run.w()->summaryEditor(), u"kept"_s);
        run.apply();
        QCOMPARE(run.messages.warnings.size(), 1);
        QVERIFY2(run.messages.warnings[0].contains(message), qPrintable(run.messages.warnings[0]));
        QVERIFY(!run.flow->finished());
        QVERIFY(run.w()->isVisible());
        QCOMPARE(run.document(), kFooNoBlock);
        run.sim.setReadOnly(false);
        run.dropWrites = false;
        run.apply();
        QVERIFY(run.flow->finished());
        QVERIFY(run.document().contains(";  <summary>kept</summary>\r\n"));
    }

    // What the window never showed, and fields the user didn't touch, survive Apply byte for
    // byte; only the edited field is written anew.
    void applyKeepsWhatWasNotEdited_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray tail = "Procedure P(a)\nEndProcedure\n";
        QTest::newRow("plain comment, other tags, text after the opening tag")
            << ";<comment> v2\n;  <summary>Old</summary>\n; NOTE: keep this line\n"
               ";  <param>A</param>\n;  <remarks>keep</remarks>\n;  <seealso>Q()</seealso>\n"
               ";  <return>R</return>\n;  <example>E</example>\n;</comment>\n" +
                   tail
            << u"summary"_s
            << ";<comment> v2\n;  <summary>New</summary>\n; NOTE: keep this line\n"
               ";  <param>A</param>\n;  <remarks>keep</remarks>\n;  <seealso>Q()</seealso>\n"
               ";  <return>R</return>\n;  <example>E</example>\n;</comment>\n" +
                   tail;
        const QByteArray multi =
            ";<comment>\r\n;  <summary>First line\r\n;  second line</summary>\r\n"
            ";  <return>R</return>\r\n;  <example>If a\r\n;    Debug a\r\n"
            ";  EndIf</example>\r\n;</comment>\r\nProcedure P()\r\n";
        QTest::newRow("fields over several lines, untouched")
            << multi << u"result"_s << QByteArray(multi).replace("<return>R<", "<return>New<");
        QTest::newRow("a field over several lines, edited")
            << multi << u"append"_s
            << QByteArray(multi).replace("First line\r\n;  second line</summary>",
                                         "First line<br>second line!</summary>");
        QTest::newRow("tag-like text in an untouched example")
            << ";<comment>\n;  <summary>S</summary>\n;  <param>A</param>\n;  <return></return>\n"
               ";  <example>Debug \"</u>\" + \"<s>\"</example>\n;</comment>\n" +
                   tail
            << u"summary"_s
            << ";<comment>\n;  <summary>New</summary>\n;  <param>A</param>\n;  <return></return>\n"
               ";  <example>Debug \"</u>\" + \"<s>\"</example>\n;</comment>\n" +
                   tail;
        const QByteArray selected = ";<comment>\n;  <summary>S</summary>\n"
                                    ";  <param>html </b> text and <sup>open</param>\n"
                                    ";  <param>b</param>\n;  <return></return>\n"
                                    ";  <example></example>\n;</comment>\n"
                                    "Procedure P(a, b)\nEndProcedure\n";
        QTest::newRow("descriptions only selected") << selected << u"rows"_s << selected;
        QTest::newRow("invalid byte in an untouched field")
            << kBom +
                   ";<comment>\n;  <summary>S</summary>\n;  <param>A</param>\n"
                   ";  <return>bad \xFF byte</return>\n;  <example></example>\n;</comment>\n" +
                   tail
            << u"summary"_s
            << kBom +
                   ";<comment>\n;  <summary>New</summary>\n;  <param>A</param>\n"
                   ";  <return>bad \xFF byte</return>\n;  <example></example>\n;</comment>\n" +
                   tail;
        // Only a field given content is added; lines the user wrote keep their form.
        const QByteArray lacking = ";<comment>\n; note\n;  <summary>S</summary>\n;</comment\n\n";
        QTest::newRow("a lacking field stays out")
            << lacking + tail << u"summary"_s << QByteArray(lacking).replace(">S<", ">New<") + tail;
        QTest::newRow("a lacking field given content")
            << lacking + tail << u"example"_s
            << ";<comment>\n; note\n;  <summary>S</summary>\n;  <example>New</example>\n"
               ";</comment\n\n" +
                   tail;
        // Mixed line ends: a new line takes the header line's.
        QTest::newRow("a lacking field in mixed line ends")
            << "x\n;<comment>\n;  <summary>S</summary>\n;</comment>\r\nProcedure P(a)\r\n"_ba
            << u"result"_s
            << "x\n;<comment>\n;  <summary>S</summary>\n;  <return>New</return>\r\n;</comment>\r\n"
               "Procedure P(a)\r\n"_ba;
        // Text after a field's closing tag, tag case, indentation and the closing line's form.
        const QByteArray sums =
            ";<comment>\n;  <summary>Sums.</summary><return>The total.</return>\n"
            ";  <param>A</param>\n;</comment>\n" +
            tail;
        QTest::newRow("tags after a summary, untouched") << sums << u"none"_s << sums;
        QTest::newRow("tags after a summary, summary edited")
            << sums << u"summary"_s << QByteArray(sums).replace("Sums.", "New");
        const QByteArray notes =
            "x = 1\r\n;<comment>\r\n;  <summary>S</summary>\r\n"
            ";  <example>e</example> ; see also Sub()\r\n;  <return>r</return> trailing note\r\n"
            ";</comment>\r\n\r\n\r\nProcedure P(a)\r\nEndProcedure\r\n";
        QTest::newRow("notes after closing tags, untouched") << notes << u"none"_s << notes;
        QTest::newRow("notes after closing tags, example edited")
            << notes << u"example"_s << QByteArray(notes).replace(">e<", ">New<");
        QTest::newRow("notes after closing tags, result edited")
            << notes << u"result"_s << QByteArray(notes).replace(">r<", ">New<");
        const QByteArray forms = "Module M\n\t\t;<comment>\n\t\t;  <Summary>S</Summary>\n"
                                 "\t\t;  <Param>A</Param>\n\t\t;<return>r</return>\n"
                                 "\t\t;  <Example>E</Example>\n\t\t;</COMMENT>\n"
                                 "\t\tProcedure P(a)\n\t\tEndProcedure\nEndModule\n";
        QTest::newRow("tag case and indentation, untouched") << forms << u"none"_s << forms;
        QTest::newRow("tag case and indentation, description edited")
            << forms << u"param"_s << QByteArray(forms).replace(">A<", ">New<");
        QTest::newRow("tag case and indentation, result edited")
            << forms << u"result"_s << QByteArray(forms).replace(">r<", ">New<");
    }
    void applyKeepsWhatWasNotEdited() {
        QFETCH(QByteArray, source);
        QFETCH(QString, action);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"source.pb"_s);
        QVERIFY(writeFile(path, source));
        const QDateTime written(QDate(2001, 2, 3), QTime(4, 5, 6), QTimeZone::utc());
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
        }
        RecordingMessages messages;
        MainFlow flow(
            fileModeEnvironment({path, u"-caret:1"_s}, messages, dir.filePath(u"glossa.prefs"_s)));
        QVERIFY(flow.start());
        EditorWindow* w = flow.window();
        if (action == u"summary"_s) {
            Run::retype(w->summaryEditor(), u"New"_s);
        } else if (action == u"result"_s) {
            Run::retype(w->resultEditor(), u"New"_s);
        } else if (action == u"example"_s) {
            Run::retype(w->exampleEditor(), u"New"_s);
        } else if (action == u"param"_s) {
            QListWidget* list = w->parameterList();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(0)).center());
            Run::retype(w->parameterEditor(), u"New"_s);
        } else if (action == u"append"_s) {
            w->summaryEditor()->setFocus();
            QTest::keyClick(w->summaryEditor(), Qt::Key_End, Qt::ControlModifier);
            QTest::keyClicks(w->summaryEditor(), u"!"_s);
        } else if (action == u"rows"_s) {
            for (int row : {0, 1, 0}) {
                QListWidget* list = w->parameterList();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualItemRect(list->item(row)).center());
            }
        }
        QTest::mouseClick(w->applyButton(), Qt::LeftButton);
        QVERIFY(flow.finished());
        flow.finish();
        QCOMPARE(messages.warnings, QStringList());
        QCOMPARE(readFile(path), expected);
        if (expected == source) // not written at all
            QCOMPARE(QFileInfo(path).lastModified(), written);
    }

    // Started by hand, a run that can't open its window says why and exits 1; the file stays.
    void byHandEndingsSayWhy_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        // CR alone and a NUL byte are read as any other source: the header is still missing.
        QTest::newRow("CR line ends and a NUL byte, no header")
            << QByteArray("; top\r; a\0b\rGlobal g\r", 21) << QStringList{}
            << u"No procedure header in "_s;
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFEP\0r\0o\0c\0e\0d\0u\0r\0e\0 \0P\0(\0)\0\n\0",
                                              30)
                                << QStringList{} << u"The file is UTF-16"_s;
        QTest::newRow("-search:2 with no header after the caret")
            << QByteArray("Procedure P()\nEndProcedure\n; end\n")
            << QStringList{u"-search:2"_s, u"-caret:3x1"_s}
            << u"No procedure header after the caret in "_s;
        QTest::newRow("a second instance") << QByteArray("Procedure P()\n") << QStringList{}
                                           << u"Another Glossa is already open"_s;
    }
    void byHandEndingsSayWhy() {
        QFETCH(QByteArray, source);
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"source.pb"_s);
        QVERIFY(writeFile(path, source));
        SingleInstance other;
        if (message.startsWith(u"Another"_s))
            QVERIFY(!other.AcquireSingleInstance());
        QProcess glossa;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"PB_TOOL_IDE"_s);
        env.insert(u"XDG_CONFIG_HOME"_s, dir.path());
        glossa.setProcessEnvironment(env);
        glossa.start(QStringLiteral(GLOSSA_EXE), QStringList{path} + options);
        QVERIFY(glossa.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(glossa.readAllStandardError());
        QVERIFY2(err.contains(message), qPrintable(err));
        QCOMPARE(glossa.exitCode(), 1);
        QCOMPARE(readFile(path), source);
    }

    // A save the disk refuses: the file keeps its old bytes, the user is told why, and
    // discarding the edit afterwards ends the run with 1.
    void refusedSaveThenDiscard() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"source.pb"_s);
        QVERIFY(writeFile(path, kFooNoBlock));
        RecordingMessages messages;
        MainFlow flow(fileModeEnvironment({path}, messages, dir.filePath(u"glossa.prefs"_s)));
        QVERIFY(flow.start());
        Run::retype(flow.window()->summaryEditor(), u"typed"_s);
        setWriteFaultForTesting(WriteStep::Write, 10, ENOSPC);
        QTest::mouseClick(flow.window()->applyButton(), Qt::LeftButton);
        clearWriteFaultForTesting();
        QCOMPARE(messages.warnings.size(), 1);
        QVERIFY2(messages.warnings[0].contains(u"No space left on device"_s),
                 qPrintable(messages.warnings[0]));
        QCOMPARE(readFile(path), kFooNoBlock);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"source.pb"_s});
        flow.window()->close(); // "Discard": the question is answered yes
        QVERIFY(flow.finished());
        flow.finish();
        QCOMPARE(flow.exitCode(), 1);
    }

    // A safety copy left by a write that was killed: the next run on the file names both files
    // and refuses the file (exit 1) before any window opens, in a message box when the IDE
    // started it, on standard error by hand. Both files stay; a leftover temporary file goes.
    void safetyCopyBlocksTheFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"source.pb"_s);
        QVERIFY(writeFile(path, kFooNoBlock));
        // ".<name>-<first 8 hex digits of the name's SHA-1>.glossa-<kind>-<6 characters>"
        const QString side = u"%1/.source.pb-%2.glossa-"_s.arg(
            QFileInfo(dir.path()).canonicalFilePath(),
            QString::fromLatin1(
                QCryptographicHash::hash("source.pb", QCryptographicHash::Sha1).toHex().left(8)));
        const QString copy = side + u"copy-Ab12Cd"_s;
        QVERIFY(writeFile(copy, "the old content"));
        QVERIFY(writeFile(side + u"new-Xy34Zw"_s, "half of the new"));
        const QString message =
            u"Cannot edit the source file %1: a write of \"%1\" was interrupted, and \"%2\" "
            "holds its old content (the file itself may be incomplete). Glossa doesn't write the "
            "file while that copy is there: compare the two, then remove or rename the copy."_s.arg(
                path, copy);

        {
            RecordingMessages messages;
            RunEnvironment env = fileModeEnvironment({path}, messages, dir.filePath(u"g.prefs"_s));
            env.toolIde = u"/opt/purebasic/compilers/purebasic"_s;
            MainFlow flow(std::move(env));
            QVERIFY(!flow.start());
            QVERIFY(!flow.window());
            flow.finish();
            QCOMPARE(flow.exitCode(), 1);
            QCOMPARE(messages.warnings, QStringList{message});
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                     (QStringList{QFileInfo(copy).fileName(), u"source.pb"_s}));
        }

        QProcess glossa;
        QProcessEnvironment byHand = QProcessEnvironment::systemEnvironment();
        byHand.remove(u"PB_TOOL_IDE"_s);
        byHand.insert(u"XDG_CONFIG_HOME"_s, dir.path());
        glossa.setProcessEnvironment(byHand);
        glossa.start(QStringLiteral(GLOSSA_EXE), {path});
        QVERIFY(glossa.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(glossa.readAllStandardError());
        QVERIFY2(err.contains(u"glossa: "_s + message + u'\n'), qPrintable(err));
        QCOMPARE(glossa.exitCode(), 1);
        QCOMPARE(readFile(path), kFooNoBlock);
        QCOMPARE(readFile(copy), QByteArray("the old content"));
    }

    // The real thing where mounting is allowed: a source on a full file system.
    void applyOnAFullTmpfs() {
        QTemporaryDir dir;
        const QString mount = dir.filePath(u"small"_s);
        QVERIFY(QDir().mkpath(mount));
        if (QProcess::execute(
                u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=64k"_s, u"tmpfs"_s, mount}) != 0)
            QSKIP("mounting a tmpfs is not allowed here");
        struct Unmount {
            QString path;
            ~Unmount() { QProcess::execute(u"umount"_s, {path}); }
        } unmount{mount};
        const QString path = mount + u"/source.pb"_s;
        QVERIFY(writeFile(path, kFooNoBlock));
        QFile filler(mount + u"/filler"_s);
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'x')) > 0) {
        }
        filler.close();
        RecordingMessages messages;
        QVERIFY(!fileModeRun(path, {}, u"typed"_s, messages));
        QCOMPARE(messages.warnings.size(), 1);
        QVERIFY2(messages.warnings[0].contains(u"No space left on device"_s),
                 qPrintable(messages.warnings[0]));
        QCOMPARE(readFile(path), kFooNoBlock);
        QCOMPARE(QDir(mount).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{u"filler"_s, u"source.pb"_s}));
    }

    // -verbose without a console: the log goes to glossa.log beside the settings file (kept
    // from run to run), the status line says where; a log that can't be written is said there
    // and the run goes on. Last: the logging stays on for the rest of the process.
    void verboseWritesTheLogBesideTheSettings_data() {
        QTest::addColumn<QString>("settingsFolder");
        QTest::addColumn<bool>("writable");
        QTest::newRow("writable") << u"settings"_s << true;
        QTest::newRow("folder is a file") << u"plain"_s << false;
    }
    void verboseWritesTheLogBesideTheSettings() {
        QFETCH(QString, settingsFolder);
        QFETCH(bool, writable);
        QTemporaryDir dir;
        const QString source = dir.filePath(u"source.pb"_s);
        QVERIFY(writeFile(source, kFooNoBlock));
        QVERIFY(writeFile(dir.filePath(u"plain"_s), "a file, no folder"));
        QVERIFY(QDir(dir.path()).mkdir(u"settings"_s));
        QVERIFY(writeFile(dir.filePath(u"settings/glossa.log"_s), "an earlier run\n"));
        const QString log = dir.filePath(settingsFolder + u"/glossa.log"_s);
        RecordingMessages messages;
        {
            MainFlow flow(fileModeEnvironment({source, u"-Verbose"_s}, messages,
                                              dir.filePath(settingsFolder + u"/glossa.prefs"_s)));
            QVERIFY(flow.start());
            QStatusBar* status = flow.window()->statusBar();
            QVERIFY(status && status->isVisible());
            const QString expected =
                (writable ? u"Logging to %1"_s : u"No log: %1 can't be written ("_s)
                    .arg(QDir::toNativeSeparators(log));
            QVERIFY2(status->currentMessage().startsWith(expected),
                     qPrintable(status->currentMessage()));
            flow.finish();
        }
        if (!writable)
            return;
        const QByteArray written = readFile(log);
        QVERIFY2(written.startsWith("an earlier run\n--- Glossa "), written.constData());
        for (const char* line : {"glossa.file: loaded", "glossa.file: procedure header at line 3"})
            QVERIFY2(written.contains(line), line);
    }
};

QTEST_MAIN(TestMainFlow)
#include "test_mainflow.moc"
