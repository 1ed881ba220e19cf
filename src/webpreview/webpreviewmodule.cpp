// SPDX-License-Identifier: MIT
// The web engine's preview view as a module of its own, loaded at the first preview: the
// program starts without loading the web engine.
#include "webpreviewview.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT QWidget* glossa_webpreview_create(QWidget* parent,
                                                           const glossa::PreviewOpener* opener) {
    return glossa::createWebPreviewView(parent, opener ? *opener : glossa::PreviewOpener());
}

extern "C" Q_DECL_EXPORT void glossa_webpreview_set_content(QWidget* view, const QString* html) {
    if (html)
        glossa::setWebPreviewContent(view, *html);
}

// The program resolves these by the names and types it shares with this module.
static_assert(
    std::is_same_v<decltype(&glossa_webpreview_create), glossa::WebPreviewCreateFunction>);
static_assert(
    std::is_same_v<decltype(&glossa_webpreview_set_content), glossa::WebPreviewSetContentFunction>);
