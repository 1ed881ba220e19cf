#include "app/screenshot.h"

#include "app/mainflow.h"
#include "preview/previewwindow.h"
#include "ui/editorwindow.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace glossa {

namespace {

// The window as the screen shows it (a web view draws outside the widget tree), else the
// widget's own rendering.
QPixmap Picture(QWidget* widget) {
    if (QScreen* screen = widget->screen()) {
        QPixmap shot = screen->grabWindow(widget->winId());
        if (!shot.isNull() && QGuiApplication::platformName() != QLatin1String("offscreen"))
            return shot;
    }
    return widget->grab();
}

void Save(QWidget* widget, const QString& path) {
    if (Picture(widget).save(path))
        std::fprintf(stderr, "glossa: screenshot saved to %s\n", qPrintable(path));
    else
        std::fprintf(stderr, "glossa: cannot save a screenshot to %s\n", qPrintable(path));
}

} // namespace

void ScheduleScreenshots(MainFlow& flow, const QString& pngPath, const QString& previewPngPath) {
    EditorWindow* window = flow.Window();
    QTimer::singleShot(800, window, [&flow, window, pngPath, previewPngPath] {
        Save(window, pngPath);
        if (previewPngPath.isEmpty()) {
            window->close();
            return;
        }
        window->previewButton()->click();
        // The web engine loads its page asynchronously; give it time to paint.
        QTimer::singleShot(4000, window, [&flow, window, previewPngPath] {
            if (flow.Preview() && flow.Preview()->isVisible())
                Save(flow.Preview(), previewPngPath);
            window->close();
        });
    });
}

} // namespace glossa
