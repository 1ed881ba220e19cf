// SPDX-License-Identifier: MIT
#pragma once

#include "richtext/formatcommands.h"

#include <map>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>

class QAction;
class QTextEdit;
class QWidget;

namespace glossa {

// The formatting popup menu: "link..." (id 6), a separator, then "bold" (0), "italic" (1),
// "underline" (2), "strike through" (3), "superscript" (4), "subscript" (5). Each item runs its
// command on the focused editor: ids 0 to 5 ToggleEffect with the effect of the FormatTags()
// entry whose MenuItem is the id, id 6 InsertLink. The effect items are checkable so that
// DisableButtons can show the effects of the selection.
class FormatMenu : public QObject {
    Q_OBJECT
public:
    // The QMenu is a child of `parent` (also the parent of the file dialog).
    explicit FormatMenu(QWidget* parent = nullptr);
    ~FormatMenu() override;

    QMenu* menu() const { return menu_; }

    // The item with this id, or nullptr for an id the menu doesn't have.
    QAction* action(int id) const;

    // Replaces the file dialog of "link..." (tests, or another dialog).
    void setFilePicker(FilePicker pick) { pick_ = std::move(pick); }

    // Runs the command of item `id` on `editor` (nothing without an editor or for other ids).
    void runCommand(int id, QTextEdit* editor);

    // Updates the items (DisableButtons) for the focused editor, then opens the menu at
    // `globalPos`; nothing opens when no editor has the focus.
    void popup(const QPoint& globalPos);

private:
    QPointer<QMenu> menu_;
    std::map<int, QAction*> actions_;
    FilePicker pick_;
};

// Brings the items' state up to date for `focused`: when it is an editor (a writable QTextEdit),
// all seven items are enabled and each effect item is checked exactly when the editor's
// selection carries its effect (GetEffects); otherwise all seven are disabled and the check
// marks keep their last state. Returns 0.
int DisableButtons(FormatMenu& menu, QWidget* focused);

// DisableButtons for the widget with the keyboard focus.
int DisableButtons(FormatMenu& menu);

} // namespace glossa
