// SPDX-License-Identifier: MIT
#include "app/mainflow.h"

#include "bridgeoperations.h"
#include "comment/commentblockwriter.h"
#include "comment/descriptionname.h"
#include "comment/loadedfields.h"
#include "files/safewrite.h"
#include "ide/docencoding.h"
#include "ide/filemode.h"
#include "ide/ideeditor.h"
#include "install/installation.h"
#include "log/logging.h"
#include "prefs/numberreading.h"
#include "prefs/settingspaths.h"
#include "preview/previewwindow.h"
#include "richtext/formatmenu.h"
#include "richtext/tagconversion.h"
#include "ui/editorwindow.h"
#include "ui/popupmenurouter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFont>
#include <QLineEdit>
#include <QListWidget>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>
#include <future>
#include <system_error>

namespace glossa {

using namespace Qt::StringLiterals;

namespace {

// Marks the rows whose description names another parameter (renamed or reordered since the
// comment was written), so that the user sees it before Apply.
void markRowsNamingOthers(QListWidget* list, const ParameterList& entries) {
    for (int row = 0; row < list->count() && row < entries.size(); ++row) {
        QListWidgetItem* item = list->item(row);
        const QString named = descriptionNamesOther(entries[row].description, entries[row].name);
        if (named.isEmpty()) {
            item->setIcon(QIcon());
            item->setToolTip(QString());
        } else {
            item->setIcon(list->style()->standardIcon(QStyle::SP_MessageBoxWarning));
            item->setToolTip(
                u"The description names \"%1\", not \"%2\": the parameters were "
                "renamed or reordered since it was written."_s.arg(named, entries[row].name));
        }
    }
}

// Marks the rows whose description moved, was renamed or added when the block was read, so
// that the user sees what Apply will write.
void markChangedRows(QListWidget* list, const QList<RowChange>& changes) {
    for (int row = 0; row < list->count() && row < changes.size(); ++row) {
        if (const QString change = rowChangeText(changes[row]); !change.isEmpty()) {
            QListWidgetItem* item = list->item(row);
            item->setText(item->text() + u" ("_s + change + u')');
        }
    }
}

} // namespace

RunEnvironment RunEnvironment::fromProcess(const QStringList& argumentsWithProgram) {
    RunEnvironment env;
    env.arguments = argumentsWithProgram.mid(1);
    env.toolScintilla = qEnvironmentVariable("PB_TOOL_Scintilla");
    env.toolCursor = qEnvironmentVariable("PB_TOOL_Cursor");
    env.toolIde = qEnvironmentVariable("PB_TOOL_IDE");
    return env;
}

MainFlow::MainFlow(RunEnvironment environment, QObject* parent)
    : QObject(parent), env_(std::move(environment)) {
    messages_ = env_.messages ? env_.messages : &defaultMessages_;
    if (!env_.openIdeProcess)
        env_.openIdeProcess = [](std::uintptr_t handle) { return OpenIdeProcess(handle); };
    if (!env_.install) {
        env_.install = [](Messages& messages) {
            const IdePlatform platform = currentIdePlatform();
            runInstallation(platform, systemInstallEnvironment(platform),
                            [&messages](const QString& title, const QString& text) {
                                messages.information(nullptr, title, text);
                            });
        };
    }
    if (!env_.buildEditorWindow)
        env_.buildEditorWindow = [] { return std::make_unique<EditorWindow>(); };
    if (env_.settingsPath.isEmpty())
        env_.settingsPath = settingsFilePath();
}

MainFlow::~MainFlow() {
    dropWindows();
    if (logFileOpen_)
        stopLogFile();
}

void MainFlow::startLog() {
    if (options_.verbose)
        enableVerboseLogging();
    connectBridgeLog(); // also for QT_LOGGING_RULES alone
    if (!options_.verbose)
        return;
    // Started by the IDE there is no console to log to: the file is what a user can send.
    const QString path = logFilePathBeside(env_.settingsPath);
    const Result started = startLogFile(path);
    logFileOpen_ = started.ok;
    const QString shown = QDir::toNativeSeparators(path);
    logStatus_ = started ? u"Logging to %1"_s.arg(shown)
                         : u"No log: %1 can't be written (%2)"_s.arg(shown, started.reason);
    qCDebug(lcBridge) << "arguments" << env_.arguments << "PB_TOOL_IDE" << env_.toolIde
                      << "PB_TOOL_Scintilla" << env_.toolScintilla << "PB_TOOL_Cursor"
                      << env_.toolCursor;
}

void MainFlow::logChoice(const QString& text) const {
    if (!lcFile().isDebugEnabled())
        return;
    const auto lineOf = [&text](int character) { return text.left(character).count(u'\n') + 1; };
    qCDebug(lcFile) << "encoding" << (context_.DocEncoding == DocEncoding::Utf8 ? "UTF-8" : "ANSI")
                    << "caret at byte" << context_.CaretPos << "search mode" << options_.searchMode
                    << "search range" << options_.searchRange << "text read from byte"
                    << context_.WindowStart;
    qCDebug(lcFile) << "procedure header at line" << lineOf(header_->startCharacter)
                    << "of the text read, byte" << header_->startOffset << ":"
                    << header_->headerText.left(80);
    if (block_.present) {
        qCDebug(lcFile) << "comment block at lines" << lineOf(block_.startCharacter) << "to"
                        << lineOf(block_.startCharacter + int(block_.blockText.size()))
                        << "of the text read, byte" << block_.startOffset;
    } else {
        qCDebug(lcFile) << "no comment block directly above the header: a new one goes there";
    }
}

ScintillaTarget* MainFlow::target() const {
    return editor_ ? &editor_->target() : nullptr;
}

int MainFlow::run() {
    if (start()) {
        QEventLoop loop;
        loop_ = &loop;
        if (env_.onShown)
            env_.onShown(*this);
        if (!finished_)
            loop.exec();
        loop_ = nullptr;
    }
    finish();
    return exitCode_;
}

bool MainFlow::endWithoutWindow(const QString& why) {
    // The IDE waits for its tool, disabled: a run it started ends silently.
    if (env_.toolIde.isEmpty()) {
        std::fprintf(stderr, "glossa: %s\n", qPrintable(why));
        exitCode_ = 1;
    }
    return false;
}

QString MainFlow::noProcedureReason() const {
    const QString source = file_ ? QDir::toNativeSeparators(file_->path()) : u"the source"_s;
    QString why = context_.SearchMode == 1   ? u"No procedure header before the caret in %1."_s
                  : context_.SearchMode == 2 ? u"No procedure header after the caret in %1."_s
                                             : u"No procedure header in %1."_s;
    why = why.arg(source);
    if (!file_)
        return why;
    const std::string& bytes = file_->editor().document();
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return why + u" The file is UTF-16, which the IDE doesn't read: save it as UTF-8."_s;
    return why;
}

void MainFlow::fail(const QString& title, const QString& text) {
    std::fprintf(stderr, "glossa: %s\n", qPrintable(text));
    messages_->warning(window_ && window_->isVisible() ? window_.get() : nullptr, title, text);
}

void MainFlow::refuseFile(const QString& text) {
    // No window yet: the IDE shows no output of its tools, so its run gets a message box.
    exitCode_ = 1;
    if (env_.toolIde.isEmpty())
        std::fprintf(stderr, "glossa: %s\n", qPrintable(text));
    else
        messages_->warning(nullptr, u"Glossa"_s, text);
}

bool MainFlow::start() {
    finished_ = true; // every early ending skips the event loop
    QElapsedTimer clock;
    clock.start();

    if (instance_.AcquireSingleInstance())
        return endWithoutWindow(u"Another Glossa is already open; finish it first."_s);
    // Read first: a file argument decides between the IDE and file mode.
    options_ = parseCommandLine(env_.arguments);
    startLog();
    if (!hasSourceToEdit())
        return installOrEnd();
    // File mode reads and decodes the source on a second core while this one builds the
    // windows; they are dropped, and the font put back, when the file can't be read.
    std::future<SourceLoad> loading = startLoadingSourceFile();
    const bool builtWhileLoading = loading.valid(); // the future is spent once read
    const QFont defaultFont = QApplication::font();
    bool built = false;
    if (builtWhileLoading) {
        applyFont();
        built = BuildWindows();
    }
    if (!openSource(loading)) {
        if (builtWhileLoading) {
            dropWindows();
            QApplication::setFont(defaultFont);
        }
        return file_ || exitCode_ != 0
                   ? false
                   : endWithoutWindow(u"The IDE's editor (PB_TOOL_Scintilla %1) can't be "
                                      "reached."_s.arg(env_.toolScintilla));
    }
    times_.editorOpened = clock.nsecsElapsed();
    editor_->setEncoding(editor_->codePage());
    context_.DocEncoding = editor_->encoding();
    context_.SearchMode = options_.searchMode;
    loadSettings();
    if (!builtWhileLoading)
        applyFont();

    // From here on every ending releases the editor and stores the geometry (finish()).
    reachedRelease_ = true;
    if (!builtWhileLoading)
        built = BuildWindows();
    if (!built)
        return endWithoutWindow(u"The editor window can't be built."_s);
    window_->placeAt(settings_.winX, settings_.winY, settings_.winW, settings_.winH);
    if (!logStatus_.isEmpty())
        window_->showStatus(logStatus_);
    times_.windowsBuilt = clock.nsecsElapsed();
    window_->setSplitterPosition(settings_.splitterPos);

    QString text;
    if (!readDocument(text))
        return false;
    times_.textRead = clock.nsecsElapsed();
    header_ = FindProcedure(text, context_);
    if (!header_)
        return endWithoutWindow(noProcedureReason());
    times_.headerFound = clock.nsecsElapsed();
    block_ = FindCommentBlock(text, *header_, context_);
    if (!block_.present)
        plain_ = findPlainComment(text, *header_, context_);
    context_.LineEnd = lineEndOfHeaderLine(text, *header_, context_.LineEnd);
    logChoice(text);
    // A new block stands where the code is: at the old block's indentation, or the header's.
    blockIndentation_ =
        block_.present ? indentationBefore(text, block_.startCharacter)
                       : leadingIndentation(QString(header_->linePrefix + header_->headerText));
    LoadFields();
    times_.shown = clock.nsecsElapsed();
    finished_ = false;
    return true;
}

bool MainFlow::hasSourceToEdit() const {
    return inFileMode() || std::uint32_t(readNumber(env_.toolScintilla)) != 0;
}

bool MainFlow::installOrEnd() {
    // Started by the IDE with nothing to edit (its project tab was active): the IDE waits,
    // disabled, so no window may open; this ends like the other runs without a source.
    if (env_.toolIde.isEmpty())
        env_.install(*messages_);
    return false;
}

void MainFlow::loadSettings() {
    EnsureSettingsFolders();
    settings_ =
        LoadWindowSettings(env_.settingsPath, env_.monitors ? *env_.monitors : desktopMonitors());
}

void MainFlow::applyFont() {
    if (options_.fontFace.isEmpty())
        return;
    QFont font(options_.fontFace);
    if (options_.fontSize > 0)
        font.setPointSize(options_.fontSize);
    font.setBold(options_.fontFlags & kFontBold);
    font.setItalic(options_.fontFlags & kFontItalic);
    font.setUnderline(options_.fontFlags & kFontUnderline);
    font.setStrikeOut(options_.fontFlags & kFontStrikeOut);
    if (options_.fontFlags & kFontHighQuality)
        font.setStyleStrategy(QFont::PreferQuality);
    QApplication::setFont(font);
}

bool MainFlow::readDocument(QString& text) {
    context_.CaretPos = editor_->caretPosition();
    const int length = editor_->length();
    context_.LineEnd = IdeEditor::lineEndForMode(editor_->eolMode());
    if (length <= 0) {
        // Nothing to edit and nothing changed: no release, no settings stored.
        reachedRelease_ = false;
        editor_.reset();
        return endWithoutWindow(u"The source is empty."_s);
    }
    text = readSourceText(length);
    if (text.isEmpty())
        return endWithoutWindow(u"The source's text can't be read."_s);
    return true;
}

QString MainFlow::readSourceText(int length) {
    // A search window limits what is read, never what is chosen.
    return editor_->readTextForChoice(length, options_.searchRange, context_);
}

std::future<MainFlow::SourceLoad> MainFlow::startLoadingSourceFile() {
    if (!inFileMode())
        return {};
    // A file argument wins over PB_TOOL_Scintilla: the IDE sets it on every platform, but off
    // Windows its value is of no use to another process.
    file_ = std::make_unique<FileMode>();
    auto load = [file = file_.get(), path = options_.sourceFile,
                 caret = !options_.caret.isEmpty() ? options_.caret : env_.toolCursor,
                 startedByIde = !env_.toolIde.isEmpty(), decode = options_.searchRange <= 0] {
        SourceLoad result;
        // A write killed half-way is found before anything is shown: its temporary files go,
        // its safety copy (the only whole old content) blocks the file until the user decides.
        if (const QStringList copies = tidyInterruptedWrites(path); !copies.isEmpty()) {
            result.safetyCopy = copies.first();
            return result;
        }
        result.read = file->load(path, startedByIde);
        if (!result.read)
            return result;
        if (!caret.isEmpty())
            file->placeCaretFromText(caret);
        // The text the editor is about to be asked for (a search window is read as usual).
        if (decode) {
            result.encoding = encodingForCodePage(file->editor().codePage());
            result.decoded =
                std::make_shared<const DecodedText>(QByteArray(file->loaded()), result.encoding);
        }
        return result;
    };
    try {
        return std::async(std::launch::async, std::move(load));
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, std::move(load)); // no thread to spare
    }
}

void MainFlow::dropWindows() {
    // Windows go before the menu router that watches them.
    router_.reset();
    menu_.reset();
    preview_.reset();
    window_.reset();
}

bool MainFlow::BuildWindows() {
    window_ = env_.buildEditorWindow();
    if (!window_)
        return false;

    menu_ = std::make_unique<FormatMenu>(window_.get());
    router_ = std::make_unique<PopupMenuRouter>(window_.get(), menu_->menu(),
                                                [this] { DisableButtons(); });

    preview_ = std::make_unique<PreviewWindow>();
    preview_->move(0, 0);

    connect(window_.get(), &EditorWindow::applyRequested, this, &MainFlow::OnEvent_ApplySettings);
    connect(window_.get(), &EditorWindow::previewRequested, this, &MainFlow::OnEvent_Preview);
    connect(window_.get(), &EditorWindow::parameterListEvent, this,
            &MainFlow::OnEvent_ComboChanged);
    connect(window_.get(), &EditorWindow::closeRequested, this, &MainFlow::endLoop);
    window_->setCloseGuard([this] { return confirmClose(); });
    return true;
}

bool MainFlow::openSource(std::future<SourceLoad>& loading) {
    if (loading.valid()) {
        const SourceLoad loaded = loading.get();
        const QString source = QDir::toNativeSeparators(options_.sourceFile);
        if (!loaded.safetyCopy.isEmpty()) {
            refuseFile(u"Cannot edit the source file %1: %2"_s.arg(
                source, safetyCopyText(options_.sourceFile, loaded.safetyCopy)));
            file_.reset();
            return false;
        }
        if (!loaded.read) {
            exitCode_ = 1;
            fail(u"Glossa"_s,
                 u"Cannot read the source file %1: %2"_s.arg(source, loaded.read.reason));
            file_.reset();
            return false;
        }
        editor_ = std::make_unique<IdeEditor>(file_->editor());
        if (loaded.decoded)
            editor_->setKnownDocument(loaded.decoded, file_->loaded().size(), loaded.encoding);
        return true;
    }
    const std::uintptr_t editorHandle = std::uint32_t(readNumber(env_.toolScintilla));
    std::unique_ptr<ScintillaTarget> target = env_.openIdeProcess(editorHandle);
    if (!target)
        return false;
    editor_ = std::make_unique<IdeEditor>(std::move(target));
    return true;
}

bool MainFlow::saveSourceFile() {
    if (!file_)
        return true;
    const Result saved = file_->save();
    saveRefused_ = !saved;
    if (!saveRefused_)
        return true;
    // The file is unchanged on disk and save() put the document back as it was read, so a
    // second Apply writes the same block again.
    fail(u"Glossa"_s, u"Cannot store the source file %1: %2\nYour text is still in the "
                      "window."_s.arg(QDir::toNativeSeparators(file_->path()), saved.reason));
    return false;
}

bool MainFlow::checkEncodable(const QString& text) {
    const QString missing = unencodableCharacters(text, context_.DocEncoding);
    if (missing.isEmpty())
        return true;
    fail(u"Glossa"_s,
         u"The source's encoding can't store these characters: %1\nRemove them from the "
         "comment, or convert the source to UTF-8 in the IDE. Nothing was written; your text "
         "is still in the window."_s.arg(nameCharacters(missing)));
    return false;
}

void MainFlow::DisableButtons() {
    if (menu_)
        glossa::DisableButtons(*menu_);
}

void MainFlow::FillParameterList(const ParameterList& entries) {
    parameters_ = ParameterListModel(entries);
    QListWidget* list = window_->parameterList();
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(parameters_.rows());
    markRowsNamingOthers(list, parameters_.entries());
    list->setEnabled(parameters_.hasRows());
    window_->parameterEditor()->setEnabled(false);
    window_->procedureName()->setText(headerOnOneLine(header_->headerText));
    window_->procedureName()->setCursorPosition(0);
}

void MainFlow::LoadFields() {
    window_->parameterEditor()->clear();
    const LoadedFields fields = glossa::LoadFields(*header_, block_, plain_);
    FillParameterList(fields.parameters);
    match_ = fields.match;
    surplus_ = fields.surplus;
    renamedTo_ = fields.renamedTo;
    markChangedRows(window_->parameterList(), match_.changes);
    window_->setSummaryNote(fields.fromPlainComment
                                ? u"Summary from the comment above; Apply puts the block in its "
                                  "place."_s
                                : QString());
    // ReadField gives line feeds for line breaks; the editors read "<br>".
    auto tags = [](QString text) { return text.replace(u'\n', u"<br>"_s); };
    TagsToEditor(window_->summaryEditor(), tags(fields.summary));
    TagsToEditor(window_->resultEditor(), tags(fields.result));
    TagsToEditor(window_->exampleEditor(), tags(fields.example));
    loadedSummary_ = EditorToTags(window_->summaryEditor());
    loadedResult_ = EditorToTags(window_->resultEditor());
    loadedExample_ = EditorToTags(window_->exampleEditor());
    loadedDescriptions_ = parameters_.descriptions();
    // What was loaded is the starting point: only the user's edits count as changes.
    for (QTextEdit* editor : window_->fieldEditors())
        editor->document()->setModified(false);
    if (options_.stayOnTop)
        window_->setStayOnTop(true);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void MainFlow::OnEvent_ComboChanged() {
    QListWidget* list = window_->parameterList();
    const QList<QListWidgetItem*> selected = list->selectedItems();
    const int row = selected.isEmpty() ? -1 : list->row(selected.first());
    QTextEdit* editor = window_->parameterEditor();
    const SelectionUpdate update = parameters_.selectRow(row, EditorToTags(editor));
    if (!update.changed)
        return; // a second event on the same row keeps what was typed
    markRowsNamingOthers(list, parameters_.entries());
    parameterEdited_ = parameterEdited_ || editor->document()->isModified();
    editor->clear();
    editor->setEnabled(update.editorEnabled);
    if (!update.description.isEmpty())
        TagsToEditor(editor, update.description);
    editor->document()->setModified(false);
}

void MainFlow::OnEvent_Preview() {
    parameters_.StoreSelectedDescription(EditorToTags(window_->parameterEditor()));
    PreviewFields fields;
    fields.procedureText = window_->procedureName()->text();
    fields.summary = EditorToTags(window_->summaryEditor());
    fields.parameterDescriptions = parameters_.descriptions();
    fields.result = EditorToTags(window_->resultEditor());
    fields.example = EditorToTags(window_->exampleEditor());
    preview_->renderPage(fields);
}

bool MainFlow::untouchedDescription(qsizetype row, const QString& description) const {
    const QString loaded = loadedDescriptions_.value(row);
    if (description == loaded)
        return true;
    // Selected once, the description went through an editor and back: compare with what
    // that makes of the loaded text.
    QTextEdit scratch;
    TagsToEditor(&scratch, loaded);
    return description == EditorToTags(&scratch);
}

void MainFlow::OnEvent_ApplySettings() {
    if (finished_)
        return;
    parameters_.StoreSelectedDescription(EditorToTags(window_->parameterEditor()));
    ApplyFields fields;
    fields.summary = EditorToTags(window_->summaryEditor());
    fields.summaryUntouched = fields.summary == loadedSummary_;
    fields.descriptions = parameters_.descriptions();
    for (qsizetype row = 0; row < fields.descriptions.size(); ++row)
        fields.descriptionsUntouched << untouchedDescription(row, fields.descriptions[row]);
    fields.result = EditorToTags(window_->resultEditor());
    fields.resultUntouched = fields.result == loadedResult_;
    fields.example = EditorToTags(window_->exampleEditor());
    fields.exampleUntouched = fields.example == loadedExample_;
    fields.indentation = blockIndentation_;
    fields.descriptionFrom = match_.from;
    fields.renamedTo = renamedTo_;

    // Only what the user wrote needs the encoding check; kept text goes back as its bytes.
    QString typed = (fields.summaryUntouched ? QString() : fields.summary) +
                    (fields.resultUntouched ? QString() : fields.result) +
                    (fields.exampleUntouched ? QString() : fields.example);
    for (qsizetype row = 0; row < fields.descriptions.size(); ++row) {
        if (!fields.descriptionsUntouched[row])
            typed += fields.descriptions[row];
    }
    if (!checkEncodable(typed))
        return;

    if (!surplus_.isEmpty()) {
        QStringList listed;
        for (const QString& description : surplus_)
            listed << u"\u2022 "_s + QString(description).replace(u'\n', u' ');
        const int choice = messages_->choose(
            window_.get(), u"Glossa"_s,
            u"The comment describes more parameters than the procedure has; these descriptions "
            "belong to none of them:\n\n%1\n\nKeep them in the comment (after the last "
            "parameter's line), or remove them?"_s.arg(listed.join(u'\n')),
            {u"Keep"_s, u"Remove"_s});
        if (choice < 0)
            return; // Escape: nothing is written, the window stays
        fields.keepExtraDescriptions = choice == 0;
    }
    QByteArray newBlock = buildBlockBytes(fields, block_, context_);
    // A plain comment's lines give way to the block, which takes their place.
    if (plain_.present)
        newBlock = plainCommentReplacement(plain_, newBlock, context_);
    const WriteOutcome outcome = WriteCommentBlock(
        *editor_, newBlock, *header_, plain_.present ? plain_.lines : block_, context_);
    if (outcome.status != WriteStatus::Written && outcome.status != WriteStatus::Unchanged) {
        fail(u"Glossa"_s, writeStatusText(outcome.status));
        return;
    }
    // Nothing changed: the file isn't written either, so it keeps even its settings block.
    if (outcome.status == WriteStatus::Written && !saveSourceFile())
        return;
    context_.CaretPos = outcome.caretPos;
    window_->hide();
    endLoop();
}

bool MainFlow::fieldsEdited() const {
    if (parameterEdited_)
        return true;
    for (QTextEdit* editor : window_->fieldEditors()) {
        if (editor->document()->isModified())
            return true;
    }
    return false;
}

bool MainFlow::confirmClose() {
    // The close box writes nothing; typed text is only dropped when the user says so.
    if (finished_)
        return true;
    const bool discard =
        !fieldsEdited() || messages_->confirm(window_.get(), u"Glossa"_s,
                                              u"Discard your changes to the comment? They have "
                                              "not been written into the source."_s);
    if (discard && saveRefused_)
        exitCode_ = 1; // what the user applied never reached the file
    return discard;
}

void MainFlow::endLoop() {
    finished_ = true;
    if (loop_)
        loop_->quit();
    if (preview_)
        preview_->hide();
}

WindowSettings MainFlow::currentGeometry() const {
    WindowSettings s;
    s.winW = window_->width();
    s.winH = window_->height();
    s.winX = window_->x();
    s.winY = window_->y();
    s.splitterPos = window_->splitterPosition();
    return s;
}

void MainFlow::finish() {
    if (released_)
        return;
    released_ = true;
    finished_ = true;
    if (!reachedRelease_)
        return;
    editor_.reset();
    file_.reset();
    instance_.release();
    // The geometry is stored only when it changed.
    if (window_)
        settingsWritten_ = SaveWindowSettings(env_.settingsPath, settings_, currentGeometry());
}

} // namespace glossa
