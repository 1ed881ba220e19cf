// SPDX-License-Identifier: MIT
#pragma once

// What the program and the web preview module share: declarations only, so that the module
// builds against them without seeing the program's widgets library.

#include <functional>
#include <QString>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace glossa {

// Receives the address to hand to the system for a link the user followed.
using PreviewOpener = std::function<void(const QString& address)>;

// The object name of the view inside the preview window.
inline constexpr char kPreviewViewName[] = "web_preview";

// Makes the view and loads HTML into it.
struct PreviewViewFactory {
    std::function<QWidget*(QWidget* parent, PreviewOpener opener)> create;
    std::function<void(QWidget* view, const QString& html)> setContent;
};

// The module's two entry points, exported unmangled, and their types.
inline constexpr char kWebPreviewCreateSymbol[] = "glossa_webpreview_create";
inline constexpr char kWebPreviewSetContentSymbol[] = "glossa_webpreview_set_content";
using WebPreviewCreateFunction = QWidget* (*)(QWidget* parent, const PreviewOpener* opener);
using WebPreviewSetContentFunction = void (*)(QWidget* view, const QString* html);

} // namespace glossa
