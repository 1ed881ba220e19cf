// SPDX-License-Identifier: MIT
#include "richtext/formatmenu.h"

#include "richtext/formattags.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

Effects effectOfItem(int id) {
    for (const FormatTag& tag : FormatTags())
        if (tag.MenuItem == id)
            return tag.Effect;
    return 0;
}

QTextEdit* writableEditor(QWidget* widget) {
    auto* editor = qobject_cast<QTextEdit*>(widget);
    return editor && !editor->isReadOnly() ? editor : nullptr;
}

} // namespace

FormatMenu::FormatMenu(QWidget* parent) : QObject(parent), menu_(new QMenu(parent)) {
    struct Item {
        int id;
        QString text;
    };
    const Item items[] = {
        {kLinkMenuItem, u"link..."_s},
        {-1, QString()},
        {0, u"bold"_s},
        {1, u"italic"_s},
        {2, u"underline"_s},
        {3, u"strike through"_s},
        {4, u"superscript"_s},
        {5, u"subscript"_s},
    };
    for (const Item& item : items) {
        if (item.id < 0) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(item.text);
        action->setData(item.id);
        action->setCheckable(item.id != kLinkMenuItem);
        actions_[item.id] = action;
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] {
            runCommand(id, focusedEditor());
            // Triggering a checkable item flips its mark; show the editor's state again.
            DisableButtons(*this);
        });
    }
}

FormatMenu::~FormatMenu() {
    // The menu belongs to the parent widget when there is one.
    if (menu_ && !menu_->parent())
        delete menu_;
}

QAction* FormatMenu::action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void FormatMenu::runCommand(int id, QTextEdit* editor) {
    if (!editor)
        return;
    if (id == kLinkMenuItem) {
        InsertLink(editor, menu_ ? menu_->parentWidget() : nullptr, pick_);
        return;
    }
    if (const Effects effect = effectOfItem(id))
        ToggleEffect(editor, effect);
}

void FormatMenu::popup(const QPoint& globalPos) {
    if (!focusedEditor() || !menu_)
        return;
    DisableButtons(*this);
    menu_->popup(globalPos);
}

int DisableButtons(FormatMenu& menu, QWidget* focused) {
    QTextEdit* editor = writableEditor(focused);
    const bool enabled = editor != nullptr;
    if (editor) {
        const Effects effects = GetEffects(editor);
        for (const FormatTag& tag : FormatTags())
            if (QAction* action = menu.action(tag.MenuItem))
                action->setChecked(effects & tag.Effect);
    }
    for (const FormatTag& tag : FormatTags())
        if (QAction* action = menu.action(tag.MenuItem))
            action->setEnabled(enabled);
    if (QAction* link = menu.action(kLinkMenuItem))
        link->setEnabled(enabled);
    return 0;
}

int DisableButtons(FormatMenu& menu) {
    return DisableButtons(menu, QApplication::focusWidget());
}

} // namespace glossa
