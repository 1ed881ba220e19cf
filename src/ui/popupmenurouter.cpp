#include "ui/popupmenurouter.h"

#include "ui/editorwindow.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>

namespace glossa {

PopupMenuRouter::PopupMenuRouter(EditorWindow* window, QMenu* menu,
                                 std::function<void()> disableButtons, QObject* parent)
    : QObject(parent), window_(window), menu_(menu), disableButtons_(std::move(disableButtons)),
      opener_([](QMenu* m, const QPoint& pos) { m->popup(pos); }) {
    qApp->installEventFilter(this);
}

bool PopupMenuRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::RightButton)
        return false;
    // Presses inside the open menu itself belong to the menu.
    if (menu_->isAncestorOf(static_cast<QWidget*>(watched)) || watched == menu_)
        return false;
    if (!window_->isFieldEditor(QApplication::focusWidget()))
        return false;
    if (disableButtons_)
        disableButtons_();
    opener_(menu_, mouse->globalPosition().toPoint());
    return true;
}

} // namespace glossa
