// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QRect>
#include <QString>

namespace glossa {

// The editor window's stored geometry: frame position, client size, splitter divider.
struct WindowSettings {
    int winW = 500;
    int winH = 550;
    int winX = 0;
    int winY = 0;
    int splitterPos = 150;

    bool operator==(const WindowSettings&) const = default;
};

inline constexpr int kLeastWindowWidth = 500;
inline constexpr int kLeastWindowHeight = 550;

// Clamps a window (x, y, inner width and height) into the bounding box of the monitors, a box
// that always holds the point 0,0. Horizontally: a width below the least width is raised; an X
// left of the box moves to its left edge; a width larger than the box becomes the least width
// at the left edge, else a window reaching past the right edge moves left. Vertically alike.
void FitWindowToDesktops(int& x, int& y, int& width, int& height, int leastWidth, int leastHeight,
                         const QList<QRect>& monitors);

// The geometries of the desktop's screens (QScreen), for FitWindowToDesktops.
QList<QRect> desktopMonitors();

// Reads group "window" of the settings file (missing file or keys give the defaults) and
// validates the window with FitWindowToDesktops against the monitors.
WindowSettings LoadWindowSettings(const QString& path, const QList<QRect>& monitors);

// Writes the file, holding only group "window" with the five keys, when current differs from
// kept; otherwise leaves the file untouched. Returns true when it wrote the file.
bool SaveWindowSettings(const QString& path, const WindowSettings& kept,
                        const WindowSettings& current);

} // namespace glossa
