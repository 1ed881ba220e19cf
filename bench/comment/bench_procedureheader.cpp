// SPDX-License-Identifier: MIT
// The header search over a 10 MB source with 50,000 procedures whose headers take every form
// the search reads (string defaults, continued lists, module types, "$", ProcedureCDLL, ...),
// with the caret in the middle. FindProcedure should stay within 20 ms and within 1.5 times the
// earlier single regular expression, which is measured beside it on the same text.
#include "comment/procedureheader.h"

#include <benchmark/benchmark.h>
#include <QRegularExpression>
#include <QString>

#include <cstdlib>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

constexpr int kProcedures = 50'000;
constexpr qsizetype kSourceChars = 10 * 1024 * 1024;

const QString kHeaders[] = {
    u"Procedure Plain%1(a, b)"_s,
    u"Procedure.s Text%1(a.s, *b.Point = 0)"_s,
    u"ProcedureDLL.i Sum%1(x = 1, y=2)"_s,
    u"  ProcedureC Fill%1(n, Array a.i(1), Count)"_s,
    u"Procedure Greet%1(Name$ = \"World, (x); 'q'\", Flags = #A | #B)"_s,
    u"Procedure.Geo::Point Origin%1 (*p.Geo::Point, s.s{8})"_s,
    u"Procedure$ Name%1(a$, c.c = ')')"_s,
    u"ProcedureCDLL.q Big%1(x.q, y.d = 1.5 / 3)"_s,
    u"Runtime\tProcedure.s{20} Fixed%1(a,\r\n                          b = ~\"x\\\"y\",\r\n"
    "                          c)"_s,
    u"Procedure Long%1(a,\r\n\t\tList l.s(),\r\n\t\tMap m.i())"_s,
};

QString makeSource() {
    QString source;
    source.reserve(kSourceChars + 1024);
    source += u"EnableExplicit\r\n\r\n"_s;
    const qsizetype perProcedure = kSourceChars / kProcedures;
    for (int i = 0; i < kProcedures; ++i) {
        const qsizetype start = source.size();
        source += u";<comment>\r\n;  <summary>Does things</summary>\r\n;</comment>\r\n"_s;
        source += kHeaders[i % std::size(kHeaders)].arg(i) + u"\r\n"_s;
        while (source.size() - start < perProcedure - 40)
            source += u"  Protected x = 1 ; ProcedureReturn Foo(x)\r\n"_s;
        source += u"  ProcedureReturn x\r\nEndProcedure\r\n\r\n"_s;
    }
    return source;
}

const QString& source() {
    static const QString source = makeSource();
    return source;
}

CommentContext middleCaret() {
    CommentContext context;
    context.CaretPos = int(source().size() / 2);
    return context;
}

// The earlier search: one pattern, its matches chosen by distance.
qsizetype oldFindProcedure(const QString& text, const CommentContext& context) {
    static const QRegularExpression pattern(
        uR"re(^[\t ]*(runtime procedure|procedure|procedurec|proceduredll)[\.sSuUaAbBlLiIwWdDfF]{0,2}[ \t]+[\w_]+[\(][(\w_\., =#\$\*\-)(\(\))]*[\)])re"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    qsizetype chosen = -1;
    qint64 chosenDistance = 0;
    auto matches = pattern.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const qint64 distance = std::llabs(match.capturedStart() + 1 - context.CaretPos);
        if (chosen < 0 || distance < chosenDistance) {
            chosen = match.capturedStart();
            chosenDistance = distance;
        }
    }
    return chosen;
}

void bmFindProcedure(benchmark::State& state) {
    const CommentContext context = middleCaret();
    for (auto _ : state)
        benchmark::DoNotOptimize(FindProcedure(source(), context));
    state.counters["headers"] = double(findAllProcedures(source(), context).size());
    state.SetBytesProcessed(state.iterations() * source().size() * 2);
}
BENCHMARK(bmFindProcedure)->Unit(benchmark::kMillisecond);

void bmOldPattern(benchmark::State& state) {
    const CommentContext context = middleCaret();
    for (auto _ : state)
        benchmark::DoNotOptimize(oldFindProcedure(source(), context));
    state.SetBytesProcessed(state.iterations() * source().size() * 2);
}
BENCHMARK(bmOldPattern)->Unit(benchmark::kMillisecond);

void bmFindAllProcedures(benchmark::State& state) {
    const CommentContext context = middleCaret();
    for (auto _ : state)
        benchmark::DoNotOptimize(findAllProcedures(source(), context));
}
BENCHMARK(bmFindAllProcedures)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
