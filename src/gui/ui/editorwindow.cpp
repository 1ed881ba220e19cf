// SPDX-License-Identifier: MIT
#include "ui/editorwindow.h"

#include "ui_editorwindow.h"

#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QShortcut>
#include <QStatusBar>

// The icon lives in a static library's resources, which the linker drops unless referenced.
static void initGlossaResources() {
    Q_INIT_RESOURCE(glossa);
}

namespace glossa {

using namespace Qt::StringLiterals;

namespace {

// System menu, maximize box, no minimize box, sizable.
constexpr Qt::WindowFlags kMainWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;

// The preview button's icon (resources/icons/preview.png) as its 32 x 32 RGBA pixels: read
// so, it loads none of the image format plugins a PNG would, at every start.
QIcon previewIcon() {
    constexpr int kSide = 32;
    QFile file(u":/glossa/icons/preview.rgba"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pixels = file.readAll();
    if (pixels.size() != qsizetype{kSide} * kSide * 4)
        return {};
    // Copied out of pixels, which go at the return.
    const QImage image = QImage(reinterpret_cast<const uchar*>(pixels.constData()), kSide, kSide,
                                qsizetype{kSide} * 4, QImage::Format_RGBA8888)
                             .copy();
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

EditorWindow::EditorWindow(QWidget* parent) : QWidget(parent), ui_(new Ui::EditorWindow) {
    initGlossaResources();
    ui_->setupUi(this);
    ui_->button_preview->setIcon(previewIcon());
    setWindowFlags(kMainWindowFlags);
    setWindowTitle(QString::fromLatin1(kTitle));

    // The splitter's first pane never gets narrower than 150 pixels; the editor takes the
    // surplus width.
    ui_->splitter_1->setStretchFactor(0, 0);
    ui_->splitter_1->setStretchFactor(1, 1);

    for (QTextEdit* editor : fieldEditors()) {
        // The formatting menu replaces the editors' own context menu.
        editor->setContextMenuPolicy(Qt::NoContextMenu);
    }
    ui_->editor_params->setEnabled(false);
    summaryNote_ = new QLabel(ui_->frame_1);
    summaryNote_->setObjectName(u"label_summarynote"_s);
    summaryNote_->hide();
    ui_->vbox_summary->addWidget(summaryNote_);

    // Tab and Shift+Tab go through the controls top to bottom (the field editors pass Tab on;
    // Ctrl+Tab types a tab in them).
    const QList<QWidget*> order{ui_->string_procedurename, ui_->button_preview, ui_->editor_summary,
                                ui_->combo_params,         ui_->editor_params,  ui_->editor_result,
                                ui_->editor_example,       ui_->button_apply};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);

    // The example is code: the system's fixed-width font, at the size of the other fields.
    QFont code = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFont fields = ui_->editor_summary->font();
    if (fields.pointSizeF() > 0)
        code.setPointSizeF(fields.pointSizeF());
    else if (fields.pixelSize() > 0)
        code.setPixelSize(fields.pixelSize());
    ui_->editor_example->setFont(code);

    connect(ui_->button_apply, &QPushButton::clicked, this, &EditorWindow::applyRequested);
    connect(ui_->button_preview, &QPushButton::clicked, this, &EditorWindow::previewRequested);
    connect(ui_->combo_params, &QListWidget::itemSelectionChanged, this,
            &EditorWindow::parameterListEvent);
    connect(ui_->combo_params, &QListWidget::itemClicked, this, &EditorWindow::parameterListEvent);

    // Return breaks lines in the fields, so applying from the keyboard takes Ctrl.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, &EditorWindow::applyRequested);
    }
    // Escape closes the window as its close box does, question included.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

EditorWindow::~EditorWindow() = default;

QLineEdit* EditorWindow::procedureName() const {
    return ui_->string_procedurename;
}
QPushButton* EditorWindow::previewButton() const {
    return ui_->button_preview;
}
QTextEdit* EditorWindow::summaryEditor() const {
    return ui_->editor_summary;
}
QListWidget* EditorWindow::parameterList() const {
    return ui_->combo_params;
}
QTextEdit* EditorWindow::parameterEditor() const {
    return ui_->editor_params;
}
QTextEdit* EditorWindow::resultEditor() const {
    return ui_->editor_result;
}
QTextEdit* EditorWindow::exampleEditor() const {
    return ui_->editor_example;
}
QSplitter* EditorWindow::splitter() const {
    return ui_->splitter_1;
}
QPushButton* EditorWindow::applyButton() const {
    return ui_->button_apply;
}

void EditorWindow::setSummaryNote(const QString& text) {
    summaryNote_->setText(text);
    summaryNote_->setVisible(!text.isEmpty());
}

std::array<QTextEdit*, 4> EditorWindow::fieldEditors() const {
    return {ui_->editor_summary, ui_->editor_params, ui_->editor_result, ui_->editor_example};
}

bool EditorWindow::isFieldEditor(const QWidget* widget) const {
    for (const QTextEdit* editor : fieldEditors()) {
        if (widget && (widget == editor || editor->isAncestorOf(widget)))
            return true;
    }
    return false;
}

void EditorWindow::showStatus(const QString& text) {
    if (!status_) {
        status_ = new QStatusBar(this);
        status_->setObjectName(u"status_bar"_s);
        status_->setSizeGripEnabled(false);
        ui_->vbox_main->addWidget(status_);
    }
    status_->showMessage(text);
}

void EditorWindow::placeAt(int x, int y, int width, int height) {
    const QSize least = minimumSizeHint().expandedTo(minimumSize());
    resize(qMax(width, least.width()), qMax(height, least.height()));
    move(x, y);
}

void EditorWindow::setSplitterPosition(int position) {
    splitterAsked_ = position;
    QList<int> sizes = ui_->splitter_1->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (total > 0)
        ui_->splitter_1->setSizes({position, qMax(0, total - position)});
    else
        ui_->splitter_1->setSizes({position, 1});
}

int EditorWindow::splitterPosition() const {
    if (!shown_)
        return splitterAsked_;
    return ui_->splitter_1->sizes().value(0);
}

void EditorWindow::setStayOnTop(bool stayOnTop) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, stayOnTop);
    if (visible)
        show(); // changing flags hides a shown window
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closeRequested();
}

void EditorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        ui_->editor_summary->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace glossa
