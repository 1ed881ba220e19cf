// SPDX-License-Identifier: MIT
// The least Qt Widgets program that does what Glossa's start-up must do at least: read the
// source, show the same kinds of controls, close once shown. The start-up benchmark compares
// Glossa's start-up with this program's, run by run on the same machine and file.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QFile file(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray source = file.readAll();

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLineEdit(QString::fromLatin1(source.first(qMin(40, source.size())))));
    layout->addWidget(new QPushButton(QStringLiteral("Apply")));
    layout->addWidget(new QPushButton(QStringLiteral("Preview")));
    auto* summary = new QTextEdit;
    summary->setHtml(QStringLiteral("<b>bold</b> text"));
    layout->addWidget(summary);
    auto* splitter = new QSplitter;
    splitter->addWidget(new QListWidget);
    splitter->addWidget(new QTextEdit);
    layout->addWidget(splitter);
    layout->addWidget(new QTextEdit);
    layout->addWidget(new QTextEdit);
    window.resize(500, 550);
    window.show();
    QTimer::singleShot(0, &window, &QWidget::close);
    return QApplication::exec();
}
