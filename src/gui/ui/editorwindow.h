// SPDX-License-Identifier: MIT
#pragma once

#include "glossaversion.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTextEdit;

namespace Ui {
class EditorWindow;
}

namespace glossa {

// window_main: the procedure field, the preview button, the four field editors with the
// parameter list, and "Apply". Its controls keep their object names and are only shown here;
// the editing run decides what they hold. Closing it (close box or Escape) reports
// closeRequested and lets the window close; Ctrl+Return anywhere in it reports applyRequested
// like the button. Tab and Shift+Tab move between the controls in their order from top to
// bottom; the example field shows the system's fixed-width font.
class EditorWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Glossa V" GLOSSA_VERSION;

    explicit EditorWindow(QWidget* parent = nullptr);
    ~EditorWindow() override;

    QLineEdit* procedureName() const;
    QPushButton* previewButton() const;
    QTextEdit* summaryEditor() const;
    QListWidget* parameterList() const;
    QTextEdit* parameterEditor() const;
    QTextEdit* resultEditor() const;
    QTextEdit* exampleEditor() const;
    QSplitter* splitter() const;
    QPushButton* applyButton() const;
    // The line under the summary that says where its text came from; hidden while empty.
    QLabel* summaryNote() const { return summaryNote_; }
    void setSummaryNote(const QString& text);

    // The four rich-text field editors (summary, parameter, result, example).
    std::array<QTextEdit*, 4> fieldEditors() const;
    bool isFieldEditor(const QWidget* widget) const;

    // Opens the window at a frame position with a client size; a size below what the layout
    // needs (at least the least size 500 x 550) is raised to it.
    void placeAt(int x, int y, int width, int height);

    // Sets the divider of splitter_1: the width of the parameter list. Until the window is first
    // shown the splitter has no width of its own to place the divider in, so it reports the
    // position it was given.
    void setSplitterPosition(int position);
    int splitterPosition() const;

    // Asked before the close box closes the window; false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }

    // Keeps the window above all other windows ("-sticky").
    void setStayOnTop(bool stayOnTop);

    // Shows text in a status line at the window's bottom, which only a run that has something
    // to say there (-verbose) gets. statusBar() is null until then.
    void showStatus(const QString& text);
    QStatusBar* statusBar() const { return status_; }

signals:
    void previewRequested();
    void applyRequested();
    // The parameter list reported an event: a selection change or a click on a row.
    void parameterListEvent();
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::EditorWindow> ui_;
    bool shown_ = false; // shown at least once: the layout has given every control its size
    int splitterAsked_ = 150;
    std::function<bool()> closeGuard_;
    QStatusBar* status_ = nullptr;
    QLabel* summaryNote_ = nullptr;
};

} // namespace glossa
