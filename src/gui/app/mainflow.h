// SPDX-License-Identifier: MIT
#pragma once

#include "app/commandline.h"
#include "app/messages.h"
#include "app/singleinstance.h"
#include "app/windowsettings.h"
#include "comment/commentblockreader.h"
#include "comment/commentcontext.h"
#include "comment/descriptionmatch.h"
#include "comment/parameterlistmodel.h"
#include "comment/plaincomment.h"
#include "comment/procedureheader.h"
#include "files/result.h"

#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QRect>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>

namespace glossa {

class EditorWindow;
class MainFlow;
class FormatMenu;
class IdeEditor;
class PopupMenuRouter;
class PreviewWindow;
class ScintillaTarget;
class FileMode;

// Where start-up spent its time, in nanoseconds from the start of start() (for the start-up
// benchmark).
struct StartupTimes {
    qint64 editorOpened = 0;
    qint64 windowsBuilt = 0;
    qint64 textRead = 0;
    qint64 headerFound = 0;
    qint64 shown = 0;
};

// What an editing run takes from outside: the command line, the environment, and the pieces
// that tests replace (the IDE connection, the installation, message boxes, the monitors).
struct RunEnvironment {
    QStringList arguments; // after the program's own path
    QString toolScintilla; // PB_TOOL_Scintilla (null when unset)
    QString toolCursor;    // PB_TOOL_Cursor (file mode's caret when "-caret:" is missing)
    QString toolIde;       // PB_TOOL_IDE: set by the IDE for every tool it starts
    // Opens the IDE's editor for a handle; nullptr when there is no such process.
    std::function<std::unique_ptr<ScintillaTarget>(std::uintptr_t)> openIdeProcess;
    // The installation run, for a start by hand with nothing to edit; the default installs
    // into the IDE's tools menu.
    std::function<void(Messages&)> install;
    // Builds window_main; nullptr when it can't be built.
    std::function<std::unique_ptr<EditorWindow>()> buildEditorWindow;
    Messages* messages = nullptr;         // default: message boxes
    std::optional<QList<QRect>> monitors; // default: the screens' geometries
    QString settingsPath;                 // default: settingsFilePath()
    // Called by run() once window_main is shown, before the event loop runs.
    std::function<void(MainFlow&)> onShown;

    // The environment of this process (arguments, PB_TOOL_Scintilla, PB_TOOL_Cursor,
    // PB_TOOL_IDE).
    static RunEnvironment fromProcess(const QStringList& argumentsWithProgram);
};

// Glossa from the single-instance check to the end: the main flow, the windows of the editing
// run and its event handlers. start() runs up to the shown editor window, the caller runs the
// event loop until finished(), then finish() releases and saves. run() does all three.
class MainFlow : public QObject {
    Q_OBJECT

public:
    explicit MainFlow(RunEnvironment environment, QObject* parent = nullptr);
    ~MainFlow() override;

    // From the single-instance guard to the shown window. True when window_main is shown and
    // the event loop is to run.
    bool start();
    // True once the event loop is to end (Apply done, window_main closed) or was never needed.
    bool finished() const { return finished_; }
    // Releases the editor and the guard, and stores the window geometry when it changed. Runs
    // once; only on the paths that got as far as building the windows.
    void finish();
    // start(), the event loop, finish(). Returns the exit code.
    int run();

    // 0 on every path of the IDE run but a failed write; 1 when file mode can't read or store
    // the file (also when the user then discards the edit), and when a run started by hand
    // ends without a window.
    int exitCode() const { return exitCode_; }

    // The run's state, for the handlers and for tests.
    const CommandLine& options() const { return options_; }
    const CommentContext& context() const { return context_; }
    const WindowSettings& storedSettings() const { return settings_; }
    const std::optional<ProcedureHeader>& header() const { return header_; }
    const ExistingBlock& block() const { return block_; }
    const PlainComment& plain() const { return plain_; }
    const ParameterListModel& parameters() const { return parameters_; }
    bool inFileMode() const { return !options_.sourceFile.isEmpty(); }
    EditorWindow* window() const { return window_.get(); }
    PreviewWindow* preview() const { return preview_.get(); }
    FormatMenu* menu() const { return menu_.get(); }
    PopupMenuRouter* menuRouter() const { return router_.get(); }
    ScintillaTarget* target() const;
    SingleInstance& instance() { return instance_; }
    const StartupTimes& times() const { return times_; }
    // True when finish() wrote the settings file.
    bool settingsWritten() const { return settingsWritten_; }

    // The event handlers of the editor window.
    void OnEvent_ApplySettings();
    void OnEvent_ComboChanged();
    void OnEvent_Preview();
    void DisableButtons();

private:
    // File mode's source as read on another thread: whether it could be (else why not), and
    // its text when the whole of it is to be read. Not read at all while an interrupted write
    // left a safety copy of it.
    struct SourceLoad {
        Result read;
        QString safetyCopy;
        std::shared_ptr<const DecodedText> decoded;
        DocEncoding encoding = DocEncoding::Ansi;
    };
    bool hasSourceToEdit() const;
    bool installOrEnd();
    // The editor over file mode's source, once loading has read it, or the IDE's editor;
    // false when neither can be had.
    bool openSource(std::future<SourceLoad>& loading);
    void loadSettings();
    void applyFont();
    bool readDocument(QString& text);
    QString readSourceText(int length);
    bool saveSourceFile();
    bool checkEncodable(const QString& text);
    // In file mode, makes file_ and starts reading it into file_ on another thread; else
    // nothing.
    std::future<SourceLoad> startLoadingSourceFile();
    // The windows, as BuildWindows leaves them, gone again.
    void dropWindows();
    bool BuildWindows();
    void LoadFields();
    void FillParameterList(const ParameterList& entries);
    void endLoop();
    bool fieldsEdited() const;
    bool confirmClose();
    void fail(const QString& title, const QString& text);
    void refuseFile(const QString& text);
    bool endWithoutWindow(const QString& why);
    QString noProcedureReason() const;
    // -verbose: the log on, into glossa.log beside the settings file; what the status line
    // is to say of it.
    void startLog();
    // Which procedure and block the run chose in text, and why.
    void logChoice(const QString& text) const;
    bool untouchedDescription(qsizetype row, const QString& description) const;
    WindowSettings currentGeometry() const;

    RunEnvironment env_;
    Messages defaultMessages_;
    Messages* messages_;
    SingleInstance instance_;
    CommandLine options_;
    std::unique_ptr<FileMode> file_;
    QEventLoop* loop_ = nullptr;
    std::unique_ptr<IdeEditor> editor_;
    CommentContext context_;
    WindowSettings settings_;
    std::unique_ptr<EditorWindow> window_;
    std::unique_ptr<PreviewWindow> preview_;
    std::unique_ptr<FormatMenu> menu_;
    std::unique_ptr<PopupMenuRouter> router_;
    std::optional<ProcedureHeader> header_;
    ExistingBlock block_;
    PlainComment plain_; // the comment lines above a header without a block
    // Which of the block's descriptions each row shows, and those no row shows.
    DescriptionMatch match_;
    QStringList surplus_;
    QStringList renamedTo_;
    QString blockIndentation_; // blanks and tabs before each line of the new block
    ParameterListModel parameters_;
    bool finished_ = false;
    bool parameterEdited_ = false; // a description was edited in an earlier selection
    bool saveRefused_ = false;     // the last Apply could not store the file
    // The fields as the editors gave them back right after loading, and the descriptions as
    // read: a field that converts to the same text again is untouched.
    QString loadedSummary_;
    QString loadedResult_;
    QString loadedExample_;
    QStringList loadedDescriptions_;
    bool reachedRelease_ = false;
    bool released_ = false;
    bool settingsWritten_ = false;
    int exitCode_ = 0;
    bool logFileOpen_ = false;
    QString logStatus_; // for the window's status line; empty without -verbose
    StartupTimes times_;
};

} // namespace glossa
