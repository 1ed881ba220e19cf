// SPDX-License-Identifier: MIT
// Conversions of a large field: 50 lines of 200 characters (10,000 characters) with 300 runs
// of effects. EditorToTags and TagsToEditor should each stay within 5 ms; the character-by-
// character reference shows what reading the formats through the fragments saves.

#include "literaleditortotags.h"
#include "richtext/effects.h"
#include "richtext/effecttextedit.h"
#include "richtext/tagconversion.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <QApplication>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>

using namespace glossa;

namespace {

constexpr int kLines = 50;
constexpr int kLineLength = 200;
constexpr int kRunsPerLine = 6;

std::unique_ptr<EffectTextEdit> gField;

void fillField(QTextEdit& editor) {
    const Effects choices[] = {EffectBold,      EffectItalic,    EffectUnderline,
                               EffectStrikeOut, EffectSubscript, EffectSuperscript};
    QRandomGenerator random(4711);
    QTextCursor cursor(editor.document());
    cursor.beginEditBlock();
    for (int line = 0; line < kLines; ++line) {
        if (line > 0)
            cursor.insertBlock();
        int left = kLineLength;
        for (int run = 0; run < kRunsPerLine; ++run) {
            const int length = run == kRunsPerLine - 1 ? left : 1 + random.bounded(36);
            left -= length;
            QString text;
            for (int k = 0; k < length; ++k)
                text += QChar(u"abcdefghij <>&\u00e9"[random.bounded(15)]);
            Effects effects = 0;
            for (const Effects bit : choices)
                if (random.bounded(3) == 0)
                    effects |= bit;
            cursor.insertText(text, effectsFormat(effects));
        }
    }
    cursor.endEditBlock();
}

void bmEditorToTags(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(EditorToTags(gField.get()));
    state.counters["characters"] = double(gField->document()->characterCount() - 1);
}
BENCHMARK(bmEditorToTags)->Unit(benchmark::kMillisecond);

void bmTagsToEditor(benchmark::State& state) {
    const QString tagged = EditorToTags(gField.get());
    EffectTextEdit target;
    for (auto _ : state)
        TagsToEditor(&target, tagged);
    state.counters["tagged_length"] = double(tagged.size());
}
BENCHMARK(bmTagsToEditor)->Unit(benchmark::kMillisecond);

// The same without an editor: the conversion's own share, without Qt's text layout.
void bmTagsToDocument(benchmark::State& state) {
    const QString tagged = EditorToTags(gField.get());
    QTextDocument target;
    for (auto _ : state)
        tagsToDocument(&target, tagged);
}
BENCHMARK(bmTagsToDocument)->Unit(benchmark::kMillisecond);

void bmLiteralEditorToTags(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const auto literalStart = Clock::now();
    std::int64_t literalRuns = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(testing::LiteralEditorToTags(*gField));
        ++literalRuns;
    }
    const double literal =
        std::chrono::duration<double>(Clock::now() - literalStart).count() / double(literalRuns);

    constexpr int kFastRuns = 50;
    const auto fastStart = Clock::now();
    for (int k = 0; k < kFastRuns; ++k)
        benchmark::DoNotOptimize(EditorToTags(gField.get()));
    const double fast = std::chrono::duration<double>(Clock::now() - fastStart).count() / kFastRuns;

    state.counters["ratio_to_EditorToTags"] = literal / fast;
    std::printf("character-by-character / EditorToTags: %.1f ms / %.3f ms = %.0fx\n", literal * 1e3,
                fast * 1e3, literal / fast);
}
BENCHMARK(bmLiteralEditorToTags)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    gField = std::make_unique<EffectTextEdit>();
    fillField(*gField);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gField.reset();
    return 0;
}
