#include "app/commandline.h"
#include "app/consolerun.h"
#include "app/mainflow.h"
#include "app/previewapply.h"
#include "app/screenshot.h"
#include "ui/editorwindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

int main(int argc, char* argv[]) {
    const qint64 mainEntered = QDateTime::currentMSecsSinceEpoch();
    // Help, version, checking and exporting need no window, no instance guard and no display.
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    if (glossa::IsConsoleRun(rawArguments)) {
        QCoreApplication app(argc, argv);
        return glossa::RunConsole(QCoreApplication::arguments().mid(1), stdout, stderr);
    }
#ifdef GLOSSA_HAVE_WEBENGINE
    // The preview's web view shares its context with the application's.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
#ifdef Q_OS_UNIX
    // The web engine refuses to start its sandbox as root and would end the program at the
    // first preview. The page runs no scripts and loads nothing from outside.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    QApplication app(argc, argv);
    // The web engine reports its set-up at info level; a tool started by the IDE stays quiet.
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    // Hiding the preview or the editor window must not end the program: the main flow ends it.
    QApplication::setQuitOnLastWindowClosed(false);

#ifdef Q_OS_WIN
    // Qt splits the Windows command line by the platform's backslash-and-quote rules, which
    // read "C:\Temp\" -sticky as the one argument C:\Temp" -sticky; the tool's own rule is
    // blanks and double quotes only. The first field is the program's path.
    const QStringList arguments =
        glossa::SplitCommandLine(QString::fromWCharArray(GetCommandLineW()));
#else
    const QStringList arguments = QCoreApplication::arguments();
#endif
    glossa::RunEnvironment environment = glossa::RunEnvironment::FromProcess(arguments);
    const QString screenshot = qEnvironmentVariable("GLOSSA_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        const QString previewShot = qEnvironmentVariable("GLOSSA_SCREENSHOT_PREVIEW");
        environment.onShown = [screenshot, previewShot](glossa::MainFlow& flow) {
            glossa::ScheduleScreenshots(flow, screenshot, previewShot);
        };
    } else if (qEnvironmentVariableIsSet("GLOSSA_PREVIEW_AND_APPLY")) {
        environment.onShown = [](glossa::MainFlow& flow) { glossa::SchedulePreviewAndApply(flow); };
    } else if (qEnvironmentVariableIsSet("GLOSSA_STARTUP_REPORT")) {
        // The start-up benchmark: report where the time went, then close without applying.
        environment.onShown = [mainEntered](glossa::MainFlow& flow) {
            const glossa::StartupTimes& t = flow.Times();
            std::fprintf(stderr,
                         "glossa-startup main_ms_epoch=%lld shown_ms_epoch=%lld "
                         "open_ns=%lld windows_ns=%lld read_ns=%lld find_ns=%lld "
                         "shown_ns=%lld\n",
                         static_cast<long long>(mainEntered),
                         static_cast<long long>(QDateTime::currentMSecsSinceEpoch()),
                         static_cast<long long>(t.editorOpened),
                         static_cast<long long>(t.windowsBuilt), static_cast<long long>(t.textRead),
                         static_cast<long long>(t.headerFound), static_cast<long long>(t.shown));
            QTimer::singleShot(0, flow.Window(), [&flow] { flow.Window()->close(); });
        };
    }
    glossa::MainFlow flow(std::move(environment));
    return flow.Run();
}
