// Cost of one whole tick of the main window (engine, text box selection, display band) on texts
// of growing size, on Qt's offscreen platform. Besides the mean, p50 and p99 of the single ticks
// are reported as counters (in microseconds).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

#include "bench/qt_benchmark_main.h"
#include "tests/support/sample_text.h"
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

enum class Mode { kHandlerOnly, kWithPainting, kFullScreenMirror };

// Runs `body` with the window ready to read a text of `units` code units, in the given mode. For
// the full-screen mode the body runs inside the modal view, as real ticks do.
void WithReadingWindow(std::size_t units, Mode mode,
                       const std::function<void(lexaro::frmMain&)>& body) {
    lexaro::frmMain window;
    window.findChild<lexaro::CrLfTextEdit*>(QStringLiteral("txtInputText"))
        ->setText(lexaro::test::TextOfSize(units));
    if (mode != Mode::kHandlerOnly) {
        window.show();
        QCoreApplication::processEvents();
    }
    window.cmdStart_Click();
    window.tmrMoveNext_Timer();  // the first tick after an edit rebuilds the cached text
    if (mode == Mode::kFullScreenMirror) {
        QTimer::singleShot(0, [&] {
            body(window);
            QApplication::activeModalWidget()->close();
        });
        window.cmdFullScreen_Click();
    } else {
        body(window);
    }
    window.cmdStop_Click();
}

template <Mode kMode>
void BM_Tick(benchmark::State& state) {
    WithReadingWindow(
        static_cast<std::size_t>(state.range(0)), kMode, [&](lexaro::frmMain& window) {
            std::vector<double> micros;
            micros.reserve(1 << 16);
            for (auto _ : state) {
                const auto begin = std::chrono::steady_clock::now();
                window.tmrMoveNext_Timer();
                if (kMode != Mode::kHandlerOnly) {
                    QCoreApplication::processEvents();  // paint what the tick changed
                }
                const auto end = std::chrono::steady_clock::now();
                micros.push_back(std::chrono::duration<double, std::micro>(end - begin).count());
                if (window.readPosition() == 0) {
                    window.cmdStart_Click();  // the text ended: read it again
                }
            }
            Report(state, micros);
        });
}

constexpr std::int64_t kKiB = 1 << 10;
constexpr std::int64_t kMiB = 1 << 20;

BENCHMARK(BM_Tick<Mode::kHandlerOnly>)
    ->Name("Tick")
    ->Arg(kKiB)
    ->Arg(kMiB)
    ->Arg(10 * kMiB)
    ->Arg(100 * kMiB);
BENCHMARK(BM_Tick<Mode::kWithPainting>)
    ->Name("TickAndPaint")
    ->Arg(kKiB)
    ->Arg(kMiB)
    ->Arg(10 * kMiB)
    ->Arg(100 * kMiB);
BENCHMARK(BM_Tick<Mode::kFullScreenMirror>)
    ->Name("TickAndPaintFullScreen")
    ->Arg(kKiB)
    ->Arg(10 * kMiB)
    ->Arg(100 * kMiB);

// One typed character in a large text while no reading runs: what the box and the window do for
// a keystroke, up to the repaint. Nothing proportional to the text may run here.
void BM_Keystroke(benchmark::State& state) {
    lexaro::frmMain window;
    auto* box = window.findChild<lexaro::CrLfTextEdit*>(QStringLiteral("txtInputText"));
    box->setText(lexaro::test::TextOfSize(static_cast<std::size_t>(state.range(0))));
    window.show();
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    std::vector<double> micros;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(box, &press);
        QCoreApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - begin).count());
    }
    Report(state, micros);
}

BENCHMARK(BM_Keystroke)->Name("Keystroke")->Arg(kKiB)->Arg(10 * kMiB)->Iterations(2000);

}  // namespace

int main(int argc, char** argv) {
    return lexaro::bench::RunQtBenchmarks(argc, argv);
}
