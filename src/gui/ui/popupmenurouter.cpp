// SPDX-License-Identifier: MIT
#include "ui/popupmenurouter.h"

#include "ui/editorwindow.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

namespace glossa {

PopupMenuRouter::PopupMenuRouter(EditorWindow* window, QMenu* menu,
                                 std::function<void()> disableButtons, QObject* parent)
    : QObject(parent), window_(window), menu_(menu), disableButtons_(std::move(disableButtons)),
      opener_([](QMenu* m, const QPoint& pos) { m->popup(pos); }) {
    qApp->installEventFilter(this);
}

bool PopupMenuRouter::eventFilter(QObject* watched, QEvent* event) {
    // Presses are taken where they reach a window of the program, before any widget sees
    // them, so the focus is still where the user left it (a press would move it).
    if (event->type() != QEvent::MouseButtonPress || !watched->isWindowType())
        return QObject::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::RightButton)
        return false;
    // Presses inside the open menu itself belong to the menu.
    if (watched == static_cast<QObject*>(menu_->windowHandle()))
        return false;
    if (!window_->isFieldEditor(QApplication::focusWidget()))
        return false;
    if (disableButtons_)
        disableButtons_();
    opener_(menu_, mouse->globalPosition().toPoint());
    return true;
}

} // namespace glossa
