// SPDX-License-Identifier: MIT
#include "richtext/formatcommands.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QTextCursor>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace glossa {

void ToggleEffect(QTextEdit* editor, Effects effectBit) {
    if (!editor || !(effectBit & kEffectMask))
        return;
    const bool on = !(GetEffects(editor) & effectBit);
    // Merging one property leaves the other effects of each character as they are; setting
    // sub- or superscript replaces the other, since both live in the vertical alignment.
    editor->mergeCurrentCharFormat(effectFormat(effectBit, on));
}

QTextEdit* focusedEditor() {
    auto* editor = qobject_cast<QTextEdit*>(QApplication::focusWidget());
    return editor && !editor->isReadOnly() ? editor : nullptr;
}

QString fileLink(const QString& path) {
    QString escaped = path;
    escaped.replace(u' ', u"%20"_s);
    if (escaped.startsWith(u'/'))
        return u"file://"_s + escaped;
    return u"file:///"_s + escaped;
}

QString pickFileToLink(QWidget* dialogParent) {
#ifdef Q_OS_WIN
    const QString filter = u"*.*"_s;
#else
    // "*.*" would hide files without an extension here.
    const QString filter = u"*.* (*)"_s;
#endif
    const QString path = QFileDialog::getOpenFileName(dialogParent, u"select file to be linked"_s,
                                                      QString(), filter);
    return path.isEmpty() ? QString() : QDir::toNativeSeparators(path);
}

void InsertLink(QTextEdit* editor, QWidget* dialogParent, const FilePicker& pick) {
    if (!editor || editor->isReadOnly())
        return;
    const QPointer<QTextEdit> target(editor); // the modal dialog runs the event loop
    const QString path = pick ? pick(dialogParent) : pickFileToLink(dialogParent);
    if (path.isEmpty() || !target)
        return;
    editor->insertPlainText(fileLink(path));
}

void InsertLink(QWidget* dialogParent, const FilePicker& pick) {
    InsertLink(focusedEditor(), dialogParent, pick);
}

} // namespace glossa
