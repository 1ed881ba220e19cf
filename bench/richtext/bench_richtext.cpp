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

constexpr int Lines = 50;
constexpr int LineLength = 200;
constexpr int RunsPerLine = 6;

std::unique_ptr<EffectTextEdit> g_field;

void FillField(QTextEdit& editor) {
    const Effects choices[] = {EffectBold,      EffectItalic,    EffectUnderline,
                               EffectStrikeOut, EffectSubscript, EffectSuperscript};
    QRandomGenerator random(4711);
    QTextCursor cursor(editor.document());
    cursor.beginEditBlock();
    for (int line = 0; line < Lines; ++line) {
        if (line > 0)
            cursor.insertBlock();
        int left = LineLength;
        for (int run = 0; run < RunsPerLine; ++run) {
            const int length = run == RunsPerLine - 1 ? left : 1 + random.bounded(36);
            left -= length;
            QString text;
            for (int k = 0; k < length; ++k)
                text += QChar(u"abcdefghij <>&\u00e9"[random.bounded(15)]);
            Effects effects = 0;
            for (const Effects bit : choices)
                if (random.bounded(3) == 0)
                    effects |= bit;
            cursor.insertText(text, EffectsFormat(effects));
        }
    }
    cursor.endEditBlock();
}

void BM_EditorToTags(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(EditorToTags(g_field.get()));
    state.counters["characters"] = double(g_field->document()->characterCount() - 1);
}
BENCHMARK(BM_EditorToTags)->Unit(benchmark::kMillisecond);

void BM_TagsToEditor(benchmark::State& state) {
    const QString tagged = EditorToTags(g_field.get());
    EffectTextEdit target;
    for (auto _ : state)
        TagsToEditor(&target, tagged);
    state.counters["tagged_length"] = double(tagged.size());
}
BENCHMARK(BM_TagsToEditor)->Unit(benchmark::kMillisecond);

// The same without an editor: the conversion's own share, without Qt's text layout.
void BM_TagsToDocument(benchmark::State& state) {
    const QString tagged = EditorToTags(g_field.get());
    QTextDocument target;
    for (auto _ : state)
        TagsToDocument(&target, tagged);
}
BENCHMARK(BM_TagsToDocument)->Unit(benchmark::kMillisecond);

void BM_LiteralEditorToTags(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const auto literalStart = Clock::now();
    std::int64_t literalRuns = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(testing::LiteralEditorToTags(*g_field));
        ++literalRuns;
    }
    const double literal =
        std::chrono::duration<double>(Clock::now() - literalStart).count() / double(literalRuns);

    constexpr int FastRuns = 50;
    const auto fastStart = Clock::now();
    for (int k = 0; k < FastRuns; ++k)
        benchmark::DoNotOptimize(EditorToTags(g_field.get()));
    const double fast = std::chrono::duration<double>(Clock::now() - fastStart).count() / FastRuns;

    state.counters["ratio_to_EditorToTags"] = literal / fast;
    std::printf("character-by-character / EditorToTags: %.1f ms / %.3f ms = %.0fx\n", literal * 1e3,
                fast * 1e3, literal / fast);
}
BENCHMARK(BM_LiteralEditorToTags)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    g_field = std::make_unique<EffectTextEdit>();
    FillField(*g_field);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_field.reset();
    return 0;
}
