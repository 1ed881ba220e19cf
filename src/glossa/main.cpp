// SPDX-License-Identifier: MIT
#include "app/automation.h"
#include "app/commandline.h"
#include "app/mainflow.h"
#include "consolerun.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QLoggingCategory>

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
void attachToCallersConsole() {
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
    const bool consoleRun = glossa::isConsoleRun(rawArguments);
#ifdef Q_OS_WIN
    // The IDE's editing run stays silent; a run by hand says why it ends.
    if (consoleRun || !qEnvironmentVariableIsSet("PB_TOOL_IDE"))
        attachToCallersConsole();
#endif
    if (consoleRun) {
        QCoreApplication app(argc, argv);
        return glossa::runConsole(QCoreApplication::arguments().mid(1), stdout, stderr);
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
        glossa::splitCommandLine(QString::fromWCharArray(GetCommandLineW()));
#else
    const QStringList arguments = QCoreApplication::arguments();
#endif
    glossa::RunEnvironment environment = glossa::RunEnvironment::fromProcess(arguments);
    environment.onShown = glossa::automationFromEnvironment(mainEntered);
    glossa::MainFlow flow(std::move(environment));
    return flow.run();
}
