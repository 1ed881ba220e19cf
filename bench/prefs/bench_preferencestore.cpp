// SPDX-License-Identifier: MIT
#include "prefs/preferencestore.h"

#include <benchmark/benchmark.h>
#include <QFile>
#include <QTemporaryDir>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

// A file of the given size in MB: one group of short key lines, the last key read and rewritten.
QString makeFile(const QTemporaryDir& dir, qsizetype megabytes) {
    QByteArray bytes = "[Big]\r\n";
    const QByteArray line = "Key = some value of a line\r\n";
    while (bytes.size() < megabytes * 1024 * 1024)
        bytes.append(line);
    bytes.append("Last=42\r\n");
    const QString path = dir.filePath(u"big.prefs"_s);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

void openAndRead(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = makeFile(dir, state.range(0));
    for (auto _ : state) {
        PreferenceStore store;
        store.PrefFileOpen(path);
        store.PrefSelectGroup(u"Big"_s);
        benchmark::DoNotOptimize(store.PrefReadNumber(u"Last"_s));
        store.PrefFileClose();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 1024 * 1024);
}

void openWriteClose(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = makeFile(dir, state.range(0));
    int n = 0;
    for (auto _ : state) {
        PreferenceStore store;
        store.PrefFileOpen(path);
        store.PrefSelectGroup(u"Big"_s);
        store.PrefWriteNumber(u"Last"_s, ++n);
        benchmark::DoNotOptimize(store.PrefFileClose());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 1024 * 1024);
}

} // namespace

BENCHMARK(openAndRead)->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(openWriteClose)->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
