#include "app/mainflow.h"
#include "app/screenshot.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Hiding the preview or the editor window must not end the program: the main flow ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    glossa::RunEnvironment environment =
        glossa::RunEnvironment::FromProcess(QCoreApplication::arguments());
    const QString screenshot = qEnvironmentVariable("GLOSSA_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        const QString previewShot = qEnvironmentVariable("GLOSSA_SCREENSHOT_PREVIEW");
        environment.onShown = [screenshot, previewShot](glossa::MainFlow& flow) {
            glossa::ScheduleScreenshots(flow, screenshot, previewShot);
        };
    }
    glossa::MainFlow flow(std::move(environment));
    return flow.Run();
}
