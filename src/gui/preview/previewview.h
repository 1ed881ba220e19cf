// SPDX-License-Identifier: MIT
#pragma once

#include "previewviewinterface.h"

#include <optional>
#include <QString>
#include <QTextBrowser>
#include <QWidget>

namespace glossa {

// Creates web_preview inside the parent: an HTML view that runs no scripts, loads nothing from
// outside the page and, instead of navigating, passes each link the user follows (mapped by
// PreviewNavigation) to the opener. The page it shows never changes by itself. The web engine's
// view comes from the module glossa_webpreview beside the executable or in lib/glossa beside
// its folder (or the path in GLOSSA_WEBPREVIEW_MODULE), loaded at the first call; without it a
// plain text view is used.
QWidget* createPreviewView(QWidget* parent, PreviewOpener opener);

// Loads the HTML text into a view made by createPreviewView as its content (not by address).
void setPreviewContent(QWidget* view, const QString& html);

// Replaces the module's view by another factory (tests link the web view directly); nullopt
// goes back to the module.
void setPreviewViewFactory(std::optional<PreviewViewFactory> factory);

// The family the plain view shows for a CSS font-family list: the first installed family of
// the list, else (also at a generic name such as sans-serif) the system's UI font; "monospace"
// gives the system's fixed-width font.
QString resolvePlainFontFamily(const QString& cssList);

// Fallback view without WebEngine: loads no resources at all and reports followed links.
class PreviewTextBrowser : public QTextBrowser {
    Q_OBJECT
public:
    PreviewTextBrowser(QWidget* parent, PreviewOpener opener);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    PreviewOpener opener_;
};

} // namespace glossa
