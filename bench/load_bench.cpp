// Loading a text file end to end: reading, decoding, shaping, and writing the text box, on files
// of 1, 10 and 100 MB (ASCII text with line breaks, like a long book). "ReadOnly" stops before the
// text box, showing how the time divides.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "bench/bench_text.h"
#include "bench/qt_benchmark_main.h"
#include "ui/FileDialog.h"
#include "ui/main/TextFileReader.h"
#include "ui/main/frmMain.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

QString WriteFile(const QTemporaryDir& dir, std::size_t bytes) {
    const std::u16string text = lexaro::bench::TextOfSize(bytes);
    std::string ascii(text.begin(), text.end());
    const QString path = dir.filePath(QStringLiteral("book-%1.txt").arg(bytes));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(ascii.data(), static_cast<qint64>(ascii.size()));
    }
    return path;
}

void ReportPeakMemory(benchmark::State& state) {
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
#else
    (void)state;
#endif
}

void BM_ReadOnly(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto text = lexaro::ReadTextFile(path);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_LoadIntoTextBox(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = WriteFile(dir, static_cast<std::size_t>(state.range(0)));
    lexaro::frmMain window;
    for (auto _ : state) {
        lexaro::FileDialog::setNextFileName(path);
        window.cmdLoadText_Click();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    ReportPeakMemory(state);
}

BENCHMARK(BM_ReadOnly)->Arg(1 << 20)->Arg(10 << 20)->Arg(100 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadIntoTextBox)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return lexaro::bench::RunQtBenchmarks(argc, argv);
}
