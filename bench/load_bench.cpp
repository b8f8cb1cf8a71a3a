// Loading a text file end to end: reading, decoding, shaping, and writing the text box, on files
// of 1, 10 and 100 MB (ASCII text with line breaks, like a long book).
//
//   ReadOnly          the worker's part alone (read, decode, shape), no window
//   LoadOnWindowThread  that work and the text box write, all on the window thread, as loads once
//   ran LoadIntoTextBox   the program's load: the work on a worker thread, the window thread free
//                     until the text box is written; reports the longest gap of a 10 ms heartbeat
//                     on the window thread, and the p99 of reading ticks handled meanwhile.
//   LoadedTextHandedOver  a 256 MiB file's text passed from the load session through its signal
//                     to a receiver that keeps it, as the window does: same_data is 1 when the
//                     receiver keeps the very string the session handed (no copy was made), and
//                     peak memory can be set against the text's size.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <string>
#include <vector>

#include "bench/qt_benchmark_main.h"
#include "tests/support/proc_status.h"
#include "tests/support/sample_text.h"
#include "ui/load/LoadFile.h"
#include "ui/load/LoadSession.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

namespace {

QString WriteFile(const QTemporaryDir& dir, std::size_t bytes) {
    const std::u16string text = lexaro::test::TextOfSize(bytes);
    std::string ascii(text.begin(), text.end());
    const QString path = dir.filePath(QStringLiteral("book-%1.txt").arg(bytes));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(ascii.data(), static_cast<qint64>(ascii.size()));
    }
    return path;
}

void ReportPeakMemory(benchmark::State& state) {
    state.counters["peak_rss_MB"] =
        static_cast<double>(lexaro::test::ProcStatusKb("VmHWM")) / 1024.0;
}

void BM_ReadOnly(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, static_cast<std::size_t>(state.range(0)));
    const std::atomic<bool> cancel{false};
    for (auto _ : state) {
        auto result = lexaro::LoadFile(path, cancel);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_LoadOnWindowThread(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, static_cast<std::size_t>(state.range(0)));
    lexaro::frmMain window;
    auto* box = window.findChild<lexaro::CrLfTextEdit*>(QStringLiteral("txtInputText"));
    const std::atomic<bool> cancel{false};
    for (auto _ : state) {
        box->setText(lexaro::LoadFile(path, cancel).text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    ReportPeakMemory(state);
}

void WaitForLoad(const lexaro::frmMain& window) {
    while (window.isLoading()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void BM_LoadIntoTextBox(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, static_cast<std::size_t>(state.range(0)));
    lexaro::frmMain window;
    for (auto _ : state) {
        window.openFile(path);
        WaitForLoad(window);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    ReportPeakMemory(state);
}

void BM_LoadWhileReading(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, static_cast<std::size_t>(state.range(0)));
    lexaro::frmMain window;
    // A reading at 1800 words per minute runs throughout; its ticks are timed one by one.
    window.cmdStart_Click();
    auto* reading = window.findChild<QTimer*>(QStringLiteral("tmrMoveNext"));
    reading->stop();
    std::vector<double> tickMs;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(33);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        QElapsedTimer clock;
        clock.start();
        window.tmrMoveNext_Timer();
        tickMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    });
    QElapsedTimer sinceBeat;
    qint64 longestGapMs = 0;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(10);
    QObject::connect(&heartbeat, &QTimer::timeout,
                     [&] { longestGapMs = std::max(longestGapMs, sinceBeat.restart()); });
    for (auto _ : state) {
        ticker.start();
        sinceBeat.start();
        heartbeat.start();
        window.openFile(path);
        WaitForLoad(window);
        // The first tick on the new text, too.
        QElapsedTimer after;
        after.start();
        while (after.elapsed() < 100) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        heartbeat.stop();
        ticker.stop();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    std::sort(tickMs.begin(), tickMs.end());
    state.counters["tick_p99_ms"] =
        tickMs.empty() ? 0.0 : tickMs[std::min(tickMs.size() - 1, tickMs.size() * 99 / 100)];
    state.counters["ticks"] = static_cast<double>(tickMs.size());
    state.counters["longest_stall_ms"] = static_cast<double>(longestGapMs);
    ReportPeakMemory(state);
}

void BM_LoadedTextHandedOver(benchmark::State& state) {
    QTemporaryDir dir;
    const auto bytes = static_cast<std::size_t>(state.range(0));
    // Lines of 1 KiB, so that the largest file the window takes stays within its line count.
    QByteArray file;
    file.reserve(static_cast<qsizetype>(bytes));
    const QByteArray line = QByteArray("words ").repeated(170) + "last.\n";
    while (file.size() + line.size() <= static_cast<qsizetype>(bytes)) {
        file += line;
    }
    const QString path = dir.filePath(QStringLiteral("book.txt"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size()) {
        state.SkipWithError("cannot write the file");
        return;
    }
    out.close();
    file = QByteArray();
    QWidget owner;
    auto* session = new lexaro::LoadSession(&owner);
    const char16_t* handed = nullptr;
    const char16_t* kept = nullptr;
    std::size_t units = 0;
    QObject::connect(session, &lexaro::LoadSession::loaded,
                     [&handed](const lexaro::LoadedText& text) { handed = text.text().data(); });
    QObject::connect(session, &lexaro::LoadSession::loaded, [&](lexaro::LoadedText text) {
        const std::u16string own = text.take();
        kept = own.data();
        units = own.size();
        session->adopted();
    });
    for (auto _ : state) {
        session->open(path);
        while (session->isLoading()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    state.counters["same_data"] = handed != nullptr && handed == kept ? 1.0 : 0.0;
    state.counters["text_MB"] = static_cast<double>(units * sizeof(char16_t)) / (1 << 20);
    ReportPeakMemory(state);
}

BENCHMARK(BM_ReadOnly)->Arg(1 << 20)->Arg(10 << 20)->Arg(100 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadOnWindowThread)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_LoadIntoTextBox)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_LoadedTextHandedOver)->Arg(256 << 20)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadWhileReading)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    return lexaro::bench::RunQtBenchmarks(argc, argv);
}
