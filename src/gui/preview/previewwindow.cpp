// SPDX-License-Identifier: MIT
#include "preview/previewwindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFont>
#include <QFontMetrics>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#include <string>
#endif

using namespace Qt::StringLiterals;

namespace glossa {

QSize MeasurePreviewText(const QWidget* window, const QString& measureText, int fontSize) {
    int widest = 0;
    int total = 0;
    if (fontSize > 0) {
        QFont font(u"Arial"_s);
        font.setPointSize(fontSize);
        const QFontMetrics metrics(font, window);
        for (const QString& line : previewMeasureLines(measureText)) {
            widest = qMax(widest, metrics.horizontalAdvance(line));
            total += metrics.height() + 3;
        }
    }
    const QSize frame = window->frameGeometry().size() - window->size();
    return {widest + 50 + frame.width(), total + 25 + frame.height()};
}

PreviewWindow::PreviewWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(u"window_preview"_s);
    setWindowTitle(u"Preview"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    move(0, 0);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::hide);
}

void PreviewWindow::setOpener(PreviewOpener opener) {
    opener_ = std::move(opener);
}

void PreviewWindow::openAddress(const QString& opened) {
    // The view may have respelled the address; the system gets it as the comment holds it.
    const QString address = commentAddress(opened, addresses_);
    if (opener_) {
        opener_(address);
        return;
    }
#ifdef Q_OS_WIN
    // First as a program without arguments or working folder; a web address or a file URL
    // fails there and gets the shell's default action. Neither is waited for.
    const std::wstring target = address.toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(target.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return;
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpFile = target.c_str();
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&info);
#else
    // Starts the handler detached; what it does with the address is not waited for.
    QDesktopServices::openUrl(QUrl(address));
#endif
}

void PreviewWindow::renderPage(const PreviewFields& fields) {
    if (!prepared_)
        prepared_ = preparePreviewPage(previewSettingsPath());
    const PreviewBody body =
        buildPreviewBody(fields, prepared_->resultLabel, prepared_->exampleLabel);
    pageHtml_ = fillPreviewPage(*prepared_, body.body);
    addresses_ = body.addresses;

    if (!view_) {
        view_ = createPreviewView(this, [this](const QString& address) { openAddress(address); });
        layout()->addWidget(view_);
    }
    setPreviewContent(view_, pageHtml_);

    // Shown before it is measured, so that the frame (part of the size) is known.
    show();
    resize(MeasurePreviewText(this, body.measureText, prepared_->fontSize));
    raise();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    // Closing only hides; the window and its view stay for the next preview.
    event->ignore();
    hide();
}

} // namespace glossa
