// SPDX-License-Identifier: MIT
#include "install/shortcutpicker.h"

#include "install/shortcutkeys.h"

#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace glossa {

ShortcutEdit::ShortcutEdit(QWidget* parent) : QKeySequenceEdit(parent) {
    setClearButtonEnabled(true);
}

std::int32_t ShortcutEdit::shortcut() const {
    const QKeySequence sequence = keySequence();
    if (sequence.isEmpty())
        return 0;
    return shortcutFromKeyCombination(sequence[0]);
}

void ShortcutEdit::setShortcut(std::int32_t shortcut) {
    const QKeyCombination combination = keyCombinationFromShortcut(shortcut);
    if (combination.key() == Qt::Key_unknown)
        clear();
    else
        setKeySequence(QKeySequence(combination));
}

void ShortcutEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    event->accept();
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_unknown:
    case 0:
        return; // a modifier alone is no shortcut yet
    default:
        break;
    }
    // Without a modifier these keys keep their usual roles, as in a hotkey field: Return
    // presses the default button, Escape closes the picker, Backspace and Delete clear.
    const Qt::KeyboardModifiers held =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (held == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->ignore(); // on to the window
            return;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            clear();
            return;
        default:
            break;
        }
    }
    // Only the modifiers the IDE knows; the keypad flag picks the keypad's key codes.
    const Qt::KeyboardModifiers mods =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier);
    setKeySequence(QKeySequence(QKeyCombination(mods, Qt::Key(key))));
}

void ShortcutEdit::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

std::int32_t ShortcutPicker(std::int32_t shortcut, bool firstTime) {
    QDialog window(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window.setObjectName(u"window_shortcut"_s);
    window.setWindowTitle(firstTime ? u"Select Shortcut:"_s : u"Shortcut in use!"_s);
    window.resize(300, 160);

    auto* text = new QLabel(u"Please select another shortcut for this tool:"_s, &window);
    text->setObjectName(u"text_shortcut"_s);
    text->setGeometry(5, 5, 290, 40);
    auto* field = new ShortcutEdit(&window);
    field->setObjectName(u"shortcut_field"_s);
    field->setGeometry(80, 50, 160, 25);
    field->setShortcut(shortcut);
    auto* apply = new QPushButton(u"Apply"_s, &window);
    apply->setObjectName(u"button_apply"_s);
    apply->setGeometry(80, 80, 80, 25);
    apply->setDefault(true);
    QObject::connect(apply, &QPushButton::clicked, &window, &QDialog::accept);

    // Fit the layout to the text, the field and the button centred under it.
    text->resize(text->sizeHint());
    const int w = text->width();
    const int h = text->height();
    field->move((w + 10) / 2 - 80, h + 10);
    apply->move((w + 10) / 2 - 40, field->y() + 30);
    window.setFixedSize(w + 10, apply->y() + 30);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());

    field->setFocus();
    if (window.exec() != QDialog::Accepted)
        return 0;
    return field->shortcut();
}

} // namespace glossa
