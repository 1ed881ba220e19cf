#include "app/messages.h"

#include <QMessageBox>

namespace glossa {

void Messages::Information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void Messages::Warning(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

} // namespace glossa
