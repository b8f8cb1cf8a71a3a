#pragma once
// main() of the benchmarks that need windows: a QApplication on Qt's offscreen platform (unless
// another is chosen), then Google Benchmark.

#include <benchmark/benchmark.h>

#include <QApplication>

#include "ui/Heap.h"

namespace lexaro::bench {

inline int RunQtBenchmarks(int argc, char** argv) {
    ReturnLargeBlocksToSystem();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace lexaro::bench
