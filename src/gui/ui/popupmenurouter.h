// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QMenu;

namespace glossa {

class EditorWindow;

// The right-click rule: a right mouse-button press in any window of the program opens the
// formatting menu at the pointer, after refreshing its item states, but only while the keyboard
// focus is on one of the four field editors. Watches the whole application once installed.
class PopupMenuRouter : public QObject {
    Q_OBJECT

public:
    // Opens the menu at a global position; the default pops it up without waiting.
    using Opener = std::function<void(QMenu* menu, const QPoint& globalPos)>;

    PopupMenuRouter(EditorWindow* window, QMenu* menu, std::function<void()> disableButtons,
                    QObject* parent = nullptr);

    void setOpener(Opener opener) { opener_ = std::move(opener); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EditorWindow* window_;
    QMenu* menu_;
    std::function<void()> disableButtons_;
    Opener opener_;
};

} // namespace glossa
