// Cost of one whole tick of the main window (engine, text box selection, display band) on texts
// of growing size, on Qt's offscreen platform. Besides the mean, p50 and p99 of the single ticks
// are reported as counters (in microseconds).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/bench_text.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

namespace {

void Report(benchmark::State& state, std::vector<double>& micros) {
    if (micros.empty()) {
        return;
    }
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
        const auto index = static_cast<std::size_t>(q * static_cast<double>(micros.size()));
        return micros[std::min(micros.size() - 1, index)];
    };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = micros.back();
}

template <bool kPaint>
void BM_Tick(benchmark::State& state) {
    lexaro::frmMain window;
    auto* box = window.findChild<lexaro::CrLfTextEdit*>(QStringLiteral("txtInputText"));
    box->setText(lexaro::bench::TextOfSize(static_cast<std::size_t>(state.range(0))));
    if (kPaint) {
        window.show();
        QCoreApplication::processEvents();
    }
    window.cmdStart_Click();
    window.tmrMoveNext_Timer();  // the first tick after an edit rebuilds the cached text
    std::vector<double> micros;
    micros.reserve(1 << 16);
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        window.tmrMoveNext_Timer();
        if (kPaint) {
            QCoreApplication::processEvents();
        }
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - begin).count());
        if (window.readPosition() == 0) {
            window.cmdStart_Click();  // the text ended: read it again
        }
    }
    Report(state, micros);
}

BENCHMARK(BM_Tick<false>)->Name("Tick")->Arg(1 << 10)->Arg(1 << 20)->Arg(10 << 20)->MinTime(1.0);
BENCHMARK(BM_Tick<true>)
    ->Name("TickAndPaint")
    ->Arg(1 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
