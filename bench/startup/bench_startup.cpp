// Runs the glossa executable (offscreen, file mode) on a 1 MB source with 5,000 procedures and
// the caret in the middle, until its editor window is shown; it then closes itself. Reports the
// wall time from spawning to the shown window, its split, and the peak resident memory.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace {

QByteArray MakeSource(int procedures, int targetBytes) {
    QByteArray source = "EnableExplicit\r\n\r\n";
    const int perProcedure = targetBytes / procedures;
    for (int i = 0; i < procedures; ++i) {
        QByteArray p;
        if (i % 2 == 0) {
            p += ";<comment>\r\n;  <summary>Procedure number " + QByteArray::number(i) +
                 " does <b>something</b>.</summary>\r\n;  <param><b>a:</b> first</param>\r\n"
                 ";  <param><b>b:</b> second</param>\r\n;  <return>a sum</return>\r\n"
                 ";  <example></example>\r\n;</comment>\r\n";
        }
        p += "Procedure.i Proc" + QByteArray::number(i) + "(a.i, b.s, *c = 0)\r\n";
        while (p.size() < perProcedure - 16)
            p += "  a + 1 : Debug a\r\n";
        p += "EndProcedure\r\n\r\n";
        source += p;
    }
    return source;
}

struct ChildResult {
    std::string output;
    long maxRssKb = 0;
    int status = 0;
};

ChildResult RunChild(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    ChildResult result;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return result;
    }
    close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, std::size_t(n));
    close(pipeFds[0]);
    struct rusage usage {};
    wait4(pid, &result.status, 0, &usage);
    result.maxRssKb = usage.ru_maxrss;
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

double Field(const QString& line, const char* name) {
    const QRegularExpression re(QString::fromLatin1(name) + QStringLiteral("=(\\d+)"));
    const auto m = re.match(line);
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

void BM_StartupToShownWindow(benchmark::State& state) {
    QTemporaryDir dir;
    const QByteArray source = MakeSource(5000, 1 << 20);
    const QString path = dir.filePath(QStringLiteral("big.pb"));
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(source);
    }
    const std::vector<std::string> args{GLOSSA_EXE, path.toStdString(),
                                        "-caret:" + std::to_string(source.size() / 2)};
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("GLOSSA_STARTUP_REPORT=1");
    env.push_back("GLOSSA_LOCK_FILE=" + dir.filePath(QStringLiteral("lock")).toStdString());
    env.push_back("XDG_CONFIG_HOME=" + dir.path().toStdString());
    env.push_back("XDG_RUNTIME_DIR=" + dir.path().toStdString());

    double sumStart = 0, sumRead = 0, sumFind = 0, sumWindows = 0, sumShown = 0, maxRss = 0;
    int runs = 0;
    for (auto _ : state) {
        const qint64 spawned = QDateTime::currentMSecsSinceEpoch();
        const auto t0 = std::chrono::steady_clock::now();
        ChildResult child = RunChild(args, env);
        const QString out = QString::fromStdString(child.output);
        const double main = Field(out, "main_ms_epoch");
        const double shownEpoch = Field(out, "shown_ms_epoch");
        if (main < 0 || shownEpoch < 0) {
            state.SkipWithError("glossa did not report a shown window");
            break;
        }
        const double toShown = shownEpoch - double(spawned);
        state.SetIterationTime(toShown / 1000.0);
        (void)t0;
        sumStart += main - double(spawned);
        sumWindows += Field(out, "windows_ns") / 1e6;
        sumRead += (Field(out, "read_ns") - Field(out, "windows_ns")) / 1e6;
        sumFind += (Field(out, "find_ns") - Field(out, "read_ns")) / 1e6;
        sumShown += (Field(out, "shown_ns") - Field(out, "find_ns")) / 1e6;
        maxRss = std::max(maxRss, double(child.maxRssKb) / 1024.0);
        ++runs;
    }
    if (runs > 0) {
        state.counters["process_start_ms"] = sumStart / runs;
        state.counters["open_and_windows_ms"] = sumWindows / runs;
        state.counters["read_ms"] = sumRead / runs;
        state.counters["find_header_ms"] = sumFind / runs;
        state.counters["fill_and_show_ms"] = sumShown / runs;
        state.counters["peak_rss_MB"] = maxRss;
    }
}
BENCHMARK(BM_StartupToShownWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
