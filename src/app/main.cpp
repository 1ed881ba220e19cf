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

#ifdef Q_OS_WIN
namespace {

// glossa.exe is a GUI program: Windows gives it no console, so what it prints would be lost.
// Attached to the console it was started from (cmd, PowerShell, a CI shell), its output shows
// there; output redirected to a file or pipe is kept as it is. Started from the Explorer or by
// the IDE there is no console to attach to, and nothing changes.
void AttachToCallersConsole() {
    const auto redirected = [](DWORD which) {
        const HANDLE handle = GetStdHandle(which);
        return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
               GetFileType(handle) != FILE_TYPE_UNKNOWN;
    };
    const bool outRedirected = redirected(STD_OUTPUT_HANDLE);
    const bool errRedirected = redirected(STD_ERROR_HANDLE);
    if ((outRedirected && errRedirected) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!outRedirected && std::freopen("CONOUT$", "w", stdout))
        std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (!errRedirected && std::freopen("CONOUT$", "w", stderr))
        std::setvbuf(stderr, nullptr, _IONBF, 0);
}

} // namespace
#endif

int main(int argc, char* argv[]) {
    const qint64 mainEntered = QDateTime::currentMSecsSinceEpoch();
    // Help, version, checking and exporting need no window, no instance guard and no display.
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const bool consoleRun = glossa::IsConsoleRun(rawArguments);
#ifdef Q_OS_WIN
    // The IDE's editing run stays silent; a run by hand says why it ends.
    if (consoleRun || !qEnvironmentVariableIsSet("PB_TOOL_IDE"))
        AttachToCallersConsole();
#endif
    if (consoleRun) {
        QCoreApplication app(argc, argv);
        return glossa::RunConsole(QCoreApplication::arguments().mid(1), stdout, stderr);
    }
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
