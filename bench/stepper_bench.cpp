// Cost of one StepWord call on texts of growing size. A tick must cost the same on a 10 MB text
// as on a 1 KB one: the stepper looks only at the word it takes.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "engine/crlf_text.h"
#include "engine/word_stepper.h"
#include "tests/support/sample_text.h"

namespace {

template <bool kIndexed>
void BM_StepWord(benchmark::State& state) {
    const std::u16string text = lexaro::test::TextOfSize(static_cast<std::size_t>(state.range(0)));
    const std::int32_t lastSpace = lexaro::LastSpaceIndex(text);
    // Start in the middle so that a long rest of the text lies ahead of every step.
    std::int32_t pos = static_cast<std::int32_t>(text.size() / 2);
    std::int32_t hold = 0;
    for (auto _ : state) {
        lexaro::WordStep step = kIndexed ? lexaro::StepWord(text, pos, hold, lastSpace)
                                         : lexaro::StepWord(text, pos, hold);
        benchmark::DoNotOptimize(step);
        if (step.blnEndOfText) {
            pos = static_cast<std::int32_t>(text.size() / 2);
        }
    }
}

BENCHMARK(BM_StepWord<false>)->Name("StepWord")->Arg(1 << 10)->Arg(1 << 20)->Arg(10 << 20);
BENCHMARK(BM_StepWord<true>)->Name("StepWord/indexed")->Arg(1 << 10)->Arg(1 << 20)->Arg(10 << 20);

// A text of many space-free lines with one space at its very end: every line break has to ask
// whether a space follows. Indexed, the answer costs nothing; searching, it is bounded by the
// short tail.
void BM_StepWordManyLines(benchmark::State& state) {
    std::u16string text;
    while (text.size() < static_cast<std::size_t>(state.range(0))) {
        text += u"word\r\n";
    }
    text += u"x y";
    std::int32_t pos = 0;
    std::int32_t hold = 0;
    for (auto _ : state) {
        lexaro::WordStep step = lexaro::StepWord(text, pos, hold);
        benchmark::DoNotOptimize(step);
    }
}

BENCHMARK(BM_StepWordManyLines)->Arg(1 << 10)->Arg(10 << 20);

// Building the CR LF view of a text box document: paid once, on the first tick after an edit.
void BM_BuildCrLfText(benchmark::State& state) {
    std::u16string document = lexaro::test::TextOfSize(static_cast<std::size_t>(state.range(0)));
    std::erase(document, u'\r');
    std::replace(document.begin(), document.end(), u'\n', u'\u2029');
    for (auto _ : state) {
        lexaro::CrLfText text(document);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) * 2);
}

BENCHMARK(BM_BuildCrLfText)
    ->Arg(1 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
