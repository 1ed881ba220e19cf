// SPDX-License-Identifier: MIT
#include "app/messages.h"

#include <QMessageBox>
#include <QPushButton>

namespace glossa {

void Messages::information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool Messages::confirm(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

int Messages::choose(QWidget* parent, const QString& title, const QString& text,
                     const QStringList& buttons) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QList<QAbstractButton*> added;
    for (const QString& name : buttons)
        added << box.addButton(name, QMessageBox::AcceptRole);
    if (!added.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
    box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}

void Messages::warning(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

} // namespace glossa
