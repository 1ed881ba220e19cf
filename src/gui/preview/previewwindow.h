// SPDX-License-Identifier: MIT
#pragma once

#include "preview/previewpage.h"
#include "preview/previewview.h"

#include <optional>
#include <QSize>
#include <QWidget>

namespace glossa {

// Width and height for the preview window's inner size: the widest line and the sum of the
// line heights plus 3 pixels per line, measured in "Arial" at the font size (points) on the
// window, plus margins of 50 and 25 and the window's frame. Format tags don't count; a font
// size that can't be drawn (0 or less) leaves only the margins and the frame.
QSize MeasurePreviewText(const QWidget* window, const QString& measureText, int fontSize);

// window_preview: a tool window captioned "Preview" that holds web_preview. Hidden until the
// first Render; Escape and the close button hide it again. The web view is created at the
// first Render, so the web engine isn't loaded at start-up.
class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget* parent = nullptr);

    // Builds the page from the fields (reading Settings.ini at the first call of the run),
    // loads it into web_preview as content, sets the inner size to the measured text and
    // shows the window, keeping its position.
    void renderPage(const PreviewFields& fields);

    // Where followed links go; the default hands them to the system without waiting.
    void setOpener(PreviewOpener opener);

    // web_preview, or nullptr before the first Render.
    QWidget* view() const { return view_; }

    // The HTML text of the last Render (empty before it).
    QString pageHtml() const { return pageHtml_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void openAddress(const QString& opened);

    QWidget* view_ = nullptr;
    std::optional<PreparedPreviewPage> prepared_;
    PreviewOpener opener_;
    QString pageHtml_;
    QStringList addresses_; // the links of the page shown, as the fields hold them
};

} // namespace glossa
