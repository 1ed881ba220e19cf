// SPDX-License-Identifier: MIT
#include "app/automation.h"

#include "app/mainflow.h"
#include "preview/previewwindow.h"
#include "ui/editorwindow.h"

#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace glossa {

namespace {

// The window as the screen shows it (a web view draws outside the widget tree), else the
// widget's own rendering.
QPixmap picture(QWidget* widget) {
    if (QScreen* screen = widget->screen()) {
        QPixmap shot = screen->grabWindow(widget->winId());
        if (!shot.isNull() && QGuiApplication::platformName() != QLatin1String("offscreen"))
            return shot;
    }
    return widget->grab();
}

void save(QWidget* widget, const QString& path) {
    if (picture(widget).save(path))
        std::fprintf(stderr, "glossa: screenshot saved to %s\n", qPrintable(path));
    else
        std::fprintf(stderr, "glossa: cannot save a screenshot to %s\n", qPrintable(path));
}

// Saves a picture of the window to pngPath and closes it without applying. With previewPngPath
// set, it first presses the preview button and saves a picture of the preview window there too.
void scheduleScreenshots(MainFlow& flow, const QString& pngPath, const QString& previewPngPath) {
    EditorWindow* window = flow.window();
    QTimer::singleShot(800, window, [&flow, window, pngPath, previewPngPath] {
        save(window, pngPath);
        if (previewPngPath.isEmpty()) {
            window->close();
            return;
        }
        window->previewButton()->click();
        // The web engine loads its page asynchronously; give it time to paint.
        QTimer::singleShot(4000, window, [&flow, window, previewPngPath] {
            if (flow.preview() && flow.preview()->isVisible())
                save(flow.preview(), previewPngPath);
            window->close();
        });
    });
}

// What the process has loaded, as the system sees it: the last column of /proc/self/maps.
void reportMappedFiles() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return;
    QSet<QByteArray> reported;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const qsizetype slash = line.indexOf(" /");
        if (slash < 0)
            continue;
        const QByteArray path = line.mid(slash + 1);
        if (!reported.contains(path)) {
            reported.insert(path);
            std::fprintf(stderr, "glossa-mapped %s\n", path.constData());
        }
    }
}

// Presses the preview button, writes the path of every file the process has mapped to standard
// error (lines "glossa-mapped PATH"; Linux only), then presses Apply.
void schedulePreviewAndApply(MainFlow& flow) {
    EditorWindow* window = flow.window();
    QTimer::singleShot(0, window, [window] {
        window->previewButton()->click();
        reportMappedFiles();
        window->applyButton()->click();
    });
}

// Reports where start-up spent its time, then closes without applying.
void reportStartup(MainFlow& flow, qint64 mainEnteredMsecs) {
    const StartupTimes& t = flow.times();
    std::fprintf(stderr,
                 "glossa-startup main_ms_epoch=%lld shown_ms_epoch=%lld "
                 "open_ns=%lld windows_ns=%lld read_ns=%lld find_ns=%lld "
                 "shown_ns=%lld\n",
                 static_cast<long long>(mainEnteredMsecs),
                 static_cast<long long>(QDateTime::currentMSecsSinceEpoch()),
                 static_cast<long long>(t.editorOpened), static_cast<long long>(t.windowsBuilt),
                 static_cast<long long>(t.textRead), static_cast<long long>(t.headerFound),
                 static_cast<long long>(t.shown));
    QTimer::singleShot(0, flow.window(), [&flow] { flow.window()->close(); });
}

} // namespace

std::function<void(MainFlow&)> automationFromEnvironment(qint64 mainEnteredMsecs) {
    const QString screenshot = qEnvironmentVariable("GLOSSA_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        const QString previewShot = qEnvironmentVariable("GLOSSA_SCREENSHOT_PREVIEW");
        return [screenshot, previewShot](MainFlow& flow) {
            scheduleScreenshots(flow, screenshot, previewShot);
        };
    }
    if (qEnvironmentVariableIsSet("GLOSSA_PREVIEW_AND_APPLY"))
        return schedulePreviewAndApply;
    if (qEnvironmentVariableIsSet("GLOSSA_STARTUP_REPORT"))
        return [mainEnteredMsecs](MainFlow& flow) { reportStartup(flow, mainEnteredMsecs); };
    return {};
}

} // namespace glossa
