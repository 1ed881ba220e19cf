// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <QKeySequenceEdit>

namespace glossa {

// The shortcut field: holds one key combination, like a hotkey control. Each key press (other
// than a bare modifier) replaces it; keypad keys keep their keypad flag. Without a modifier,
// Return and Escape go on to the window and Backspace and Delete clear the field; with one
// they are recorded like any other key.
class ShortcutEdit : public QKeySequenceEdit {
public:
    explicit ShortcutEdit(QWidget* parent = nullptr);

    // The field's combination as the IDE's shortcut value; 0 when empty.
    std::int32_t shortcut() const;
    // Shows a shortcut value; 0 or an unknown key code empties the field.
    void setShortcut(std::int32_t shortcut);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};

// Asks for another shortcut in a small tool window ("Select Shortcut:" when firstTime, else
// "Shortcut in use!") that runs its own event loop. Returns the chosen shortcut value, or 0
// when the window is closed or "Apply" is pressed with an empty field.
std::int32_t ShortcutPicker(std::int32_t shortcut, bool firstTime);

} // namespace glossa
