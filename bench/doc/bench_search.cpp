// SPDX-License-Identifier: MIT
// The exported search at 100,000 procedures, in a real browser (Qt WebEngine; run with
// QT_QPA_PLATFORM=offscreen): the built glossa exports the large generated tree, a page of it
// loads, and the search runs for every key of a few typed texts. Prints the time the index
// takes to load at the first use and the milliseconds per key (goal: at most 50). A program of
// its own, not a Google Benchmark: the figures come from the page's clock.
#include "doctree.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>

namespace {

double evaluate(QWebEnginePage& page, const QString& script) {
    double result = -1;
    bool done = false;
    page.runJavaScript(script, [&](const QVariant& value) {
        result = value.toDouble();
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 60000))
        return -1;
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString tree = benchtree::makeTree(dir, benchtree::kLarge);
    const QString out = dir.filePath(QStringLiteral("out"));
    if (QProcess::execute(QStringLiteral(GLOSSA_EXE), {QStringLiteral("-export:") + out, tree}) !=
        0) {
        std::fprintf(stderr, "the export failed\n");
        return 1;
    }
    QWebEngineView view;
    view.resize(1200, 800);
    view.show();
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.load(QUrl::fromLocalFile(out + QStringLiteral("/index.html")));
    if (!loaded.wait(60000) || !loaded.first().first().toBool()) {
        std::fprintf(stderr, "the page didn't load\n");
        return 1;
    }
    QWebEnginePage& page = *view.page();
    // The first use loads the index: the search answers once it is there.
    QElapsedTimer first;
    first.start();
    if (evaluate(page, QStringLiteral("glossaSearch('a')")) >= 0 ||
        !QTest::qWaitFor([&] { return evaluate(page, QStringLiteral("glossaSearch('a')")) >= 0; },
                         60000)) {
        std::fprintf(stderr, "the search index didn't load\n");
        return 1;
    }
    std::printf("index loaded and prepared at the first use: %lld ms\n",
                static_cast<long long>(first.elapsed()));
    // A name's prefix, a part every name holds, a summary's words, nothing at all.
    const QStringList texts{QStringLiteral("QbProc_4321_1"), QStringLiteral("proc_77"),
                            QStringLiteral("computes the value"), QStringLiteral("nothing-at-all")};
    QList<double> times;
    for (const QString& text : texts) {
        double worst = 0;
        for (qsizetype length = 1; length <= text.size(); ++length) {
            const double ms = evaluate(
                page, QStringLiteral("(function(){var t=performance.now();glossaSearch('%1');"
                                     "return performance.now()-t;})()")
                          .arg(text.left(length)));
            times.append(ms);
            worst = std::max(worst, ms);
        }
        std::printf("%-20s %zd keys, slowest %.1f ms\n", qPrintable(text), size_t(text.size()),
                    worst);
    }
    std::sort(times.begin(), times.end());
    std::printf("per key: median %.1f ms, slowest %.1f ms (goal: 50 ms)\n", times[times.size() / 2],
                times.last());
    return 0;
}
