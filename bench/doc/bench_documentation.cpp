// "glossa -check" and "glossa -export:" over a generated tree of 1,000 sources (20 MB, 50,000
// procedures, every other one documented), and the export of a tree of 10,000 sources (116 MB,
// 100,000 procedures, every other one documented). Each run spawns the built executable; the wall
// time is the benchmark's real time, peak_rss_mb the child's peak resident memory and child_cpu_s
// its user plus system time (wait4's rusage; on a shared machine this is the figure that
// doesn't depend on the other processes).
// Goals on the reference machine: check <= 1 s, the HTML export of the 1,000 sources <= 1.5 times
// the check, the export of the 10,000 sources <= 5 s (the sync included). The exports write into
// an empty folder each time; the re-export leaves the pages that didn't change. The check with a
// baseline of all its 25,000 findings, and the check with suppression comments and a glossa.ini
// (BM_CheckSuppressed), stay within 5% of the plain one (median of --benchmark_repetitions=5); a
// baseline of 2,000 entries loads in under 10 ms.
#include "doc/baseline.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

// A generated tree: files in folders of 100, each of procedures procedures of equal size.
struct TreeShape {
    int files;
    int procedures;
    qsizetype fileBytes;
};

constexpr TreeShape kSmall{1000, 50, 20 * 1024 * 1024 / 1000};
constexpr TreeShape kLarge{10000, 10, 116 * 1000 * 1000 / 10000};

// suppressed: every third procedure has a "; glossa-ignore" comment, on its header's line or
// above its block.
QByteArray Procedure(const TreeShape& shape, int file, int n, bool suppressed) {
    const QByteArray name = "Proc_" + QByteArray::number(file) + "_" + QByteArray::number(n);
    QByteArray text;
    if (suppressed && n % 3 == 0 && n % 2 == 0)
        text += "; glossa-ignore: missing-return, empty-param\r\n";
    if (n % 2 == 0)
        text += ";<comment>\r\n"
                ";  <summary>Computes the value of " +
                name + " from the <b>inputs</b>, after Proc_" + QByteArray::number(file) + "_" +
                QByteArray::number(n + 1) +
                "(), see "
                "https://example.org/" +
                name +
                ".</summary>\r\n"
                ";  <param><b>a:</b> the first value</param>\r\n"
                ";  <param><b>text.s:</b> the text<br>in <i>two</i> lines</param>\r\n"
                ";  <return>the result</return>\r\n"
                ";  <example>" +
                name +
                "(1, \"x\")</example>\r\n"
                ";</comment>\r\n";
    text += "Procedure.i " + name + "(a, text.s)" +
            (suppressed && n % 3 == 0 && n % 2 == 1 ? " ; glossa-ignore" : "") +
            "\r\n  Protected x = a * 2\r\n";
    const qsizetype target = shape.fileBytes / shape.procedures - 16;
    for (int step = 0; text.size() < target; ++step)
        text += "  x = x + a ; step " + QByteArray::number(step) + "\r\n";
    text += "  ProcedureReturn x\r\nEndProcedure\r\n\r\n";
    return text;
}

QString MakeTree(const QTemporaryDir& dir, const TreeShape& shape, bool suppressed = false) {
    const QString root = dir.filePath(QStringLiteral("tree"));
    if (suppressed) {
        QDir().mkpath(root);
        QFile ini(root + QStringLiteral("/glossa.ini"));
        if (!ini.open(QIODevice::WriteOnly))
            std::abort();
        ini.write("[check]\nignore = default-summary\nexclude =\n  **/Residents/**\n  *.pbf\n");
    }
    for (int f = 0; f < shape.files; ++f) {
        const QString folder = root + QStringLiteral("/part%1").arg(f / 100);
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/source%1.pb").arg(f));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        QByteArray text = "EnableExplicit\r\n\r\n";
        for (int n = 0; n < shape.procedures; ++n)
            text += Procedure(shape, f, n, suppressed);
        file.write(text);
    }
    return root;
}

// The generated trees, each made once for all runs.
const QString& Tree() {
    static QTemporaryDir dir;
    static const QString tree = MakeTree(dir, kSmall);
    return tree;
}

const QString& SuppressedTree() {
    static QTemporaryDir dir;
    static const QString tree = MakeTree(dir, kSmall, true);
    return tree;
}

const QString& LargeTree() {
    static QTemporaryDir dir;
    static const QString tree = MakeTree(dir, kLarge);
    return tree;
}

struct ChildUsage {
    long peakKb = -1; // -1 when it didn't end normally with code 0 or 1
    double cpuSeconds = 0;
};

// Runs glossa with the arguments, output to /dev/null.
ChildUsage RunGlossa(const std::vector<QByteArray>& arguments) {
    std::vector<char*> argv;
    QByteArray exe = GLOSSA_EXE;
    argv.push_back(exe.data());
    std::vector<QByteArray> copies = arguments;
    for (QByteArray& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, exe.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return {};
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {usage.ru_maxrss, seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

// Runs glossa once per iteration with the arguments for that run (counted from 0).
void Measure(benchmark::State& state,
             const std::function<std::vector<QByteArray>(int run)>& arguments) {
    long peak = 0;
    double cpu = 0;
    int run = 0;
    for (auto _ : state) {
        const ChildUsage usage = RunGlossa(arguments(run++));
        if (usage.peakKb < 0) {
            state.SkipWithError("glossa failed");
            return;
        }
        peak = std::max(peak, usage.peakKb);
        cpu += usage.cpuSeconds;
    }
    state.counters["peak_rss_mb"] = double(peak) / 1024.0;
    state.counters["child_cpu_s"] = cpu / double(state.iterations());
}

void Measure(benchmark::State& state, const std::vector<QByteArray>& arguments) {
    Measure(state, [&](int) { return arguments; });
}

// An export into a new, empty folder at each run. The earlier runs' folders stay until the end:
// removing thousands of files just before makes creating files slower on some file systems (ext4
// without a journal looks past recently freed inodes), which is no part of an export.
void MeasureFreshExport(benchmark::State& state, const QTemporaryDir& out, const QString& tree) {
    Measure(state, [&](int run) {
        return std::vector<QByteArray>{
            "-export:" + out.filePath(QStringLiteral("html%1").arg(run)).toLocal8Bit(),
            tree.toLocal8Bit()};
    });
}

void BM_Check(benchmark::State& state) {
    Measure(state, {"-check", Tree().toLocal8Bit()});
}

// Every finding in the baseline: each one's key is made and looked up, none is printed.
void BM_CheckWithBaseline(benchmark::State& state) {
    static QTemporaryDir dir;
    const QByteArray baseline = dir.filePath(QStringLiteral("baseline.txt")).toLocal8Bit();
    if (RunGlossa({"-check", "-write-baseline:" + baseline, Tree().toLocal8Bit()}).peakKb < 0) {
        state.SkipWithError("glossa failed");
        return;
    }
    Measure(state, {"-check", "-baseline:" + baseline, Tree().toLocal8Bit()});
}

// Reading a baseline of 2,000 entries (the size of the PureBasic IDE's findings), in process.
void BM_LoadBaseline(benchmark::State& state) {
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("baseline.txt"));
    QList<glossa::FindingKey> keys;
    for (int n = 0; n < 2000; ++n) {
        glossa::FindingKey& key = keys.emplace_back();
        key.path = QStringLiteral("part%1/source%2.pb").arg(n / 200).arg(n / 20);
        key.procedure = QStringLiteral("Module%1::Proc_%2").arg(n % 7).arg(n);
        key.rule = glossa::CheckRule(n % glossa::kCheckRuleCount);
        key.parameter = n % 3 ? QString() : QStringLiteral("value");
    }
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(glossa::BaselineBytes(keys)) < 0) {
        state.SkipWithError("can't write the baseline");
        return;
    }
    out.close();
    for (auto _ : state) {
        glossa::BaselineRun run;
        QString error;
        if (!run.Start(file, QString(), false, &error)) {
            state.SkipWithError("the baseline can't be read");
            return;
        }
        benchmark::DoNotOptimize(run);
    }
}

// The same check with suppression comments in the sources and a glossa.ini at the root.
void BM_CheckSuppressed(benchmark::State& state) {
    Measure(state, {"-check", SuppressedTree().toLocal8Bit()});
}

void BM_ExportHtml(benchmark::State& state) {
    static QTemporaryDir out;
    MeasureFreshExport(state, out, Tree());
}

void BM_ExportMarkdown(benchmark::State& state) {
    static QTemporaryDir out;
    Measure(state, {"-export:" + out.filePath(QStringLiteral("md")).toLocal8Bit(),
                    "-format:markdown", Tree().toLocal8Bit()});
}

// Memory must not grow with the number of files: a tenth of the tree for comparison.
void BM_CheckOneFolder(benchmark::State& state) {
    Measure(state, {"-check", (Tree() + QStringLiteral("/part0")).toLocal8Bit()});
}

void BM_ExportOneFolder(benchmark::State& state) {
    static QTemporaryDir out;
    Measure(state, {"-export:" + out.filePath(QStringLiteral("html")).toLocal8Bit(),
                    (Tree() + QStringLiteral("/part0")).toLocal8Bit()});
}

void BM_ExportLargeHtml(benchmark::State& state) {
    static QTemporaryDir out;
    MeasureFreshExport(state, out, LargeTree());
}

// The same export again over its own output, no source changed: the usual case of a team that
// exports after each change.
void BM_ReexportLargeHtml(benchmark::State& state) {
    static QTemporaryDir out;
    const std::vector<QByteArray> arguments{
        "-export:" + out.filePath(QStringLiteral("html")).toLocal8Bit(), LargeTree().toLocal8Bit()};
    if (RunGlossa(arguments).peakKb < 0) {
        state.SkipWithError("glossa failed");
        return;
    }
    Measure(state, arguments);
}

} // namespace

BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CheckWithBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LoadBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckSuppressed)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CheckOneFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ExportHtml)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ExportOneFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ExportMarkdown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ExportLargeHtml)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ReexportLargeHtml)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
