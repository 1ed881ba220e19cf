// SPDX-License-Identifier: MIT
#include "app/windowsettings.h"

#include "prefs/preferencestore.h"

#include <QGuiApplication>
#include <QScreen>

namespace glossa {

using namespace Qt::StringLiterals;

namespace {

void fitOneAxis(int& pos, int& size, int least, int low, int high) {
    if (size < least)
        size = least;
    if (pos < low)
        pos = low;
    if (size > high - low) {
        size = least;
        pos = low;
    } else if (pos + size > high) {
        pos = high - size;
    }
}

} // namespace

void FitWindowToDesktops(int& x, int& y, int& width, int& height, int leastWidth, int leastHeight,
                         const QList<QRect>& monitors) {
    int left = 0, top = 0, right = 0, bottom = 0;
    for (const QRect& m : monitors) {
        left = qMin(left, m.x());
        right = qMax(right, m.x() + m.width());
        top = qMin(top, m.y());
        bottom = qMax(bottom, m.y() + m.height());
    }
    fitOneAxis(x, width, leastWidth, left, right);
    fitOneAxis(y, height, leastHeight, top, bottom);
}

QList<QRect> desktopMonitors() {
    QList<QRect> monitors;
    for (const QScreen* screen : QGuiApplication::screens())
        monitors.append(screen->geometry());
    return monitors;
}

WindowSettings LoadWindowSettings(const QString& path, const QList<QRect>& monitors) {
    WindowSettings s;
    PreferenceStore store;
    store.PrefFileOpen(path);
    store.PrefSelectGroup(u"window"_s);
    s.winW = store.PrefReadNumber(u"WinW"_s, 500);
    s.winH = store.PrefReadNumber(u"WinH"_s, 550);
    s.winX = store.PrefReadNumber(u"WinX"_s, 0);
    s.winY = store.PrefReadNumber(u"WinY"_s, 0);
    s.splitterPos = store.PrefReadNumber(u"SplitterPos"_s, 150);
    store.PrefFileClose(); // nothing was written, so nothing is stored
    FitWindowToDesktops(s.winX, s.winY, s.winW, s.winH, kLeastWindowWidth, kLeastWindowHeight,
                        monitors);
    return s;
}

bool SaveWindowSettings(const QString& path, const WindowSettings& kept,
                        const WindowSettings& current) {
    if (current == kept)
        return false;
    PreferenceStore store;
    if (!store.PrefFileCreate(path))
        return false; // ignored: the next run uses the defaults
    store.PrefSelectGroup(u"window"_s);
    store.PrefWriteNumber(u"WinW"_s, current.winW);
    store.PrefWriteNumber(u"WinH"_s, current.winH);
    store.PrefWriteNumber(u"WinX"_s, current.winX);
    store.PrefWriteNumber(u"WinY"_s, current.winY);
    store.PrefWriteNumber(u"SplitterPos"_s, current.splitterPos);
    return store.PrefFileClose();
}

} // namespace glossa
