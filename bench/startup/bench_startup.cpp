// SPDX-License-Identifier: MIT
// Glossa's start-up against the anchor program (startup_anchor: the least Qt Widgets program
// that reads the same source, shows the same kinds of controls and closes once shown), on a
// 1.2 MB source with 5,000 procedures and the caret in the middle. The two run in alternation,
// whole process from spawn to exit, after a warm-up pair; reported are the medians, the median
// of the per-pair ratios with its quartiles, and the peak resident memory of each. Offscreen
// and on the xcb platform: an X server from DISPLAY, else an Xvfb started here.
//
// Beside it, file mode's own part of start-up, on the 1.2 MB source and on a 10 MB one: opening
// and reading the source into the simulated editor, handing its bytes to the editing run,
// decoding them and finding the header.
#include "comment/procedureheader.h"
#include "ide/filemode.h"
#include "ide/ideeditor.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kPairs = 16;

QByteArray makeSource(int procedures, int targetBytes) {
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

// The sources, written once: 5,000 procedures in 1.2 MB (start-up) and 40,000 in 10 MB.
struct Sources {
    QTemporaryDir dir;
    QString small;
    QString large;
    qsizetype smallSize = 0;
    qsizetype largeSize = 0;

    Sources() {
        auto write = [this](const char* name, const QByteArray& bytes) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                std::abort();
            return path;
        };
        const QByteArray s = makeSource(5000, 1 << 20);
        small = write("big.pb", s);
        smallSize = s.size();
        const QByteArray l = makeSource(40000, 9 << 20);
        large = write("huge.pb", l);
        largeSize = l.size();
    }
};

Sources& theSources() {
    static Sources sources;
    return sources;
}

struct ChildResult {
    std::string output;
    double ms = 0;
    double maxRssMb = 0;
    bool ok = false;
};

ChildResult runChild(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    ChildResult result;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return result;
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
    const auto start = std::chrono::steady_clock::now();
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return result;
    }
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, std::size_t(n));
    close(pipeFds[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    result.ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    result.maxRssMb = double(usage.ru_maxrss) / 1024.0;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

double field(const std::string& output, const char* name) {
    const QRegularExpression re(QString::fromLatin1(name) + QStringLiteral("=(\\d+)"));
    const auto m = re.match(QString::fromStdString(output));
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

double quantile(std::vector<double> values, double q) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double at = q * double(values.size() - 1);
    const std::size_t below = std::size_t(at);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - double(below));
}

// An X server for the xcb runs: DISPLAY when set, else an Xvfb of our own on a free display
// (-displayfd picks it and says which once the server accepts connections).
class XServer {
public:
    XServer() {
        if (const char* display = std::getenv("DISPLAY"); display && *display) {
            display_ = display;
            return;
        }
        const std::string xvfb = findInPath("Xvfb");
        if (xvfb.empty()) {
            why_ = "Xvfb is not installed and DISPLAY is unset: the xcb platform is not measured";
            return;
        }
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The read end may well be descriptor 3: closed first, then the write end put there.
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        const int null = open("/dev/null", O_WRONLY);
        posix_spawn_file_actions_adddup2(&actions, null, 2);
        std::vector<std::string> args{xvfb,        "-displayfd",   "3",
                                      "-nolisten", "tcp",          "-screen",
                                      "0",         "1920x1080x24", "-noreset"};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const int spawned =
            posix_spawn(&pid_, xvfb.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(null);
        close(fds[1]);
        if (spawned != 0) {
            pid_ = 0;
            close(fds[0]);
            why_ = "Xvfb could not be started";
            return;
        }
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty())
            why_ = "Xvfb started but named no display";
        else
            display_ = ":" + number;
    }
    ~XServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }
    const std::string& whyNone() const { return why_; }

private:
    static std::string findInPath(const std::string& name) {
        const char* path = std::getenv("PATH");
        std::string dirs = path ? path : "/usr/bin:/bin";
        std::size_t from = 0;
        while (from <= dirs.size()) {
            std::size_t to = dirs.find(':', from);
            if (to == std::string::npos)
                to = dirs.size();
            const std::string candidate = dirs.substr(from, to - from) + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0)
                return candidate;
            from = to + 1;
        }
        return {};
    }

    pid_t pid_ = 0;
    std::string display_;
    std::string why_;
};

void bmStartupAgainstAnchor(benchmark::State& state, bool xcb) {
    Sources& sources = theSources();
    static XServer* xserver = nullptr; // one server for the run, ended at exit
    std::string display;
    if (xcb) {
        if (!xserver) {
            xserver = new XServer;
            std::atexit([] { delete xserver; });
        }
        if (xserver->display().empty()) {
            state.SkipWithError(xserver->whyNone().c_str());
            for (auto _ : state) {
            }
            return;
        }
        display = xserver->display();
    }
    const QTemporaryDir home;
    const std::string path = sources.small.toStdString();
    const std::vector<std::string> glossaArgs{GLOSSA_EXE, path,
                                              "-caret:" + std::to_string(sources.smallSize / 2)};
    const std::vector<std::string> anchorArgs{ANCHOR_EXE, path};
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string_view entry(*e);
        if (!entry.starts_with("QT_QPA_PLATFORM=") && !entry.starts_with("DISPLAY="))
            env.emplace_back(entry);
    }
    env.push_back(xcb ? "QT_QPA_PLATFORM=xcb" : "QT_QPA_PLATFORM=offscreen");
    if (xcb)
        env.push_back("DISPLAY=" + display);
    env.push_back("GLOSSA_STARTUP_REPORT=1");
    env.push_back("GLOSSA_LOCK_FILE=" + home.filePath(QStringLiteral("lock")).toStdString());
    env.push_back("XDG_CONFIG_HOME=" + home.path().toStdString());
    env.push_back("XDG_RUNTIME_DIR=" + home.path().toStdString());

    // Warm-up: the page cache holds both programs, their libraries and the source.
    runChild(anchorArgs, env);
    runChild(glossaArgs, env);

    std::vector<double> anchorMs, glossaMs, ratios, anchorRss, glossaRss;
    std::vector<double> opened, built, read, found, shown;
    int pair = 0;
    for (auto _ : state) {
        // Alternating which goes first keeps any drift out of the ratios.
        ChildResult anchor, glossa;
        if (pair++ % 2 == 0) {
            anchor = runChild(anchorArgs, env);
            glossa = runChild(glossaArgs, env);
        } else {
            glossa = runChild(glossaArgs, env);
            anchor = runChild(anchorArgs, env);
        }
        if (!anchor.ok || !glossa.ok || field(glossa.output, "shown_ns") < 0) {
            state.SkipWithError(("a run failed: " + anchor.output + glossa.output).c_str());
            break;
        }
        state.SetIterationTime(glossa.ms / 1000.0);
        anchorMs.push_back(anchor.ms);
        glossaMs.push_back(glossa.ms);
        ratios.push_back(glossa.ms / anchor.ms);
        anchorRss.push_back(anchor.maxRssMb);
        glossaRss.push_back(glossa.maxRssMb);
        opened.push_back(field(glossa.output, "open_ns") / 1e6);
        built.push_back(field(glossa.output, "windows_ns") / 1e6);
        read.push_back(field(glossa.output, "read_ns") / 1e6);
        found.push_back(field(glossa.output, "find_ns") / 1e6);
        shown.push_back(field(glossa.output, "shown_ns") / 1e6);
    }
    if (ratios.empty())
        return;
    state.counters["anchor_ms"] = quantile(anchorMs, 0.5);
    state.counters["glossa_ms"] = quantile(glossaMs, 0.5);
    state.counters["ratio"] = quantile(ratios, 0.5);
    state.counters["ratio_q1"] = quantile(ratios, 0.25);
    state.counters["ratio_q3"] = quantile(ratios, 0.75);
    state.counters["anchor_MB"] = quantile(anchorRss, 0.5);
    state.counters["glossa_MB"] = quantile(glossaRss, 0.5);
    state.counters["mem_ratio"] = quantile(glossaRss, 0.5) / quantile(anchorRss, 0.5);
    // Where the main flow's time went (ms from its start, medians).
    state.counters["flow_opened"] = quantile(opened, 0.5);
    state.counters["flow_windows"] = quantile(built, 0.5);
    state.counters["flow_read"] = quantile(read, 0.5);
    state.counters["flow_found"] = quantile(found, 0.5);
    state.counters["flow_shown"] = quantile(shown, 0.5);
}
BENCHMARK_CAPTURE(bmStartupAgainstAnchor, offscreen, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kPairs);
BENCHMARK_CAPTURE(bmStartupAgainstAnchor, xcb, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kPairs);

// File mode's start-up steps as the main flow takes them: load the file into the simulated
// editor, place the caret, ask the editor's state, read and decode the text, find the header
// around the caret.
void bmOpenReadFindHeader(benchmark::State& state, bool large) {
    const Sources& sources = theSources();
    const QString& path = large ? sources.large : sources.small;
    const qsizetype size = large ? sources.largeSize : sources.smallSize;
    const QString caret = QString::number(size / 2);
    for (auto _ : state) {
        glossa::FileMode file;
        if (!file.load(path)) {
            state.SkipWithError("the source can't be read");
            break;
        }
        file.placeCaretFromText(caret);
        glossa::IdeEditor editor(file.editor());
        glossa::CommentContext context;
        editor.codePage();
        context.DocEncoding = editor.encoding();
        // Decoded here on this thread; the program decodes on another while it builds windows.
        editor.setKnownDocument(std::make_shared<const glossa::DecodedText>(
                                    QByteArray(file.loaded()), context.DocEncoding),
                                file.loaded().size(), context.DocEncoding);
        context.CaretPos = editor.caretPosition();
        const int length = editor.length();
        context.LineEnd = glossa::IdeEditor::lineEndForMode(editor.eolMode());
        const QString text = editor.ReadDocumentText(length + 1, context.CaretPos, 0);
        context.WindowStart = editor.WindowStart();
        context.windowAtLineStart = editor.windowAtLineStart();
        context.read = editor.decoded();
        const auto header = glossa::FindProcedure(text, context);
        if (!header) {
            state.SkipWithError("no header found");
            break;
        }
        benchmark::DoNotOptimize(header);
    }
    state.counters["MB"] = double(size) / (1024.0 * 1024.0);
}
BENCHMARK_CAPTURE(bmOpenReadFindHeader, source_1_2MB, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(bmOpenReadFindHeader, source_10MB, true)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
