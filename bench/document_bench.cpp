// Loading documents end to end, from the load command to the text in the box: a novel-length
// EPUB (about 1.2 MB of text in 140 spine documents) and a 300-page text PDF, each through the
// real lexaro-extract helper. Reports the window process's peak memory and, from a separate run
// of the helper on the same file, the helper's own.
//
// LockDownCost: the helper alone, from start to exit, on a small EPUB and on the PDF, run in turns
// with and without its lock-down (a build of the same helper that skips it).

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "bench/qt_benchmark_main.h"
#include "tests/documents/fixtures.h"
#include "tests/support/proc_status.h"
#include "tests/support/sample_text.h"
#include "ui/load/DocumentHelper.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

namespace {

// Paragraphs of about `length` characters cut from natural text, `count` of them.
std::vector<std::string> Paragraphs(std::size_t count, std::size_t length, std::size_t seed) {
    const std::u16string source = lexaro::test::TextOfSize((count + seed + 1) * length);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < count; ++i) {
        std::string paragraph;
        for (const char16_t c : source.substr((seed + i) * length, length)) {
            paragraph.push_back(c == u'\r' || c == u'\n' ? ' ' : static_cast<char>(c));
        }
        out.push_back(paragraph);
    }
    return out;
}

std::string NovelEpub() {
    std::vector<std::vector<std::string>> chapters;
    for (std::size_t chapter = 0; chapter < 140; ++chapter) {
        chapters.push_back(Paragraphs(14, 612, chapter));  // 140 x 14 x 612 = 1.2 MB
    }
    return lexaro::fixtures::EpubBookBytes(chapters);
}

std::string ThreeHundredPagePdf() {
    std::vector<std::vector<std::string>> pages;
    for (std::size_t page = 0; page < 300; ++page) {
        std::vector<std::string> lines;
        for (const std::string& paragraph : Paragraphs(8, 400, page)) {
            for (std::size_t at = 0; at < paragraph.size(); at += 80) {
                lines.push_back(paragraph.substr(at, 80));
            }
            lines.emplace_back();  // a gap between paragraphs
        }
        pages.push_back(lines);
    }
    return lexaro::fixtures::TextPdfBytes(pages);
}

// The helper's own peak memory on `path`, from its /proc status while it runs. (The peak that
// wait4 reports for a child is no use here: it starts from the parent's size at fork.)
double HelperPeakMb(const QString& path) {
    QProcess helper;
    helper.setStandardOutputFile(QProcess::nullDevice());
    helper.start(lexaro::DocumentHelper::path(), {path});
    helper.waitForStarted();
    const QString status = QStringLiteral("/proc/%1/status").arg(helper.processId());
    long peakKb = 0;
    while (!helper.waitForFinished(1)) {
        QFile file(status);
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (line.startsWith("VmHWM:")) {
                    peakKb = std::max(peakKb, line.mid(6).trimmed().split(' ').value(0).toLong());
                }
            }
        }
    }
    return static_cast<double>(peakKb) / 1024.0;
}

void LoadDocument(benchmark::State& state, const std::string& name, const std::string& bytes) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    lexaro::fixtures::WriteFileBytes(path, bytes);
    lexaro::frmMain window;
    auto* box = window.findChild<lexaro::CrLfTextEdit*>(QStringLiteral("txtInputText"));
    for (auto _ : state) {
        window.openFile(QString::fromStdString(path));
        while (window.isLoading()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    state.counters["file_KB"] = static_cast<double>(bytes.size()) / 1024.0;
    state.counters["text_KB"] = static_cast<double>(box->text().size()) / 1024.0;
    state.counters["peak_rss_MB"] =
        static_cast<double>(lexaro::test::ProcStatusKb("VmHWM")) / 1024.0;
    state.counters["helper_peak_rss_MB"] = HelperPeakMb(QString::fromStdString(path));
}

void BM_NovelEpub(benchmark::State& state) {
    LoadDocument(state, "novel.epub", NovelEpub());
}

void BM_ThreeHundredPagePdf(benchmark::State& state) {
    LoadDocument(state, "report.pdf", ThreeHundredPagePdf());
}

struct HelperRun {
    double wallMs = 0;
    double cpuMs = 0;  // user and system time of the helper itself
};

// `helper` on `path`, its output to /dev/null, from spawning it to its exit.
HelperRun RunHelper(const char* helper, const std::string& path) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string program = helper;
    std::string argument = path;
    char* argv[] = {program.data(), argument.data(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    int status = 0;
    rusage usage{};
    if (posix_spawn(&pid, helper, &actions, nullptr, argv, environ) == 0) {
        wait4(pid, &status, 0, &usage);
    }
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return {std::chrono::duration<double, std::milli>(end - start).count(),
            ms(usage.ru_utime) + ms(usage.ru_stime)};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void LockDownCost(benchmark::State& state, const std::string& name, const std::string& bytes) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    lexaro::fixtures::WriteFileBytes(path, bytes);
    std::vector<double> wall[2];  // [0] locked down, [1] unconfined
    std::vector<double> cpu[2];
    const char* helpers[2] = {LEXARO_EXTRACT_PATH, LEXARO_UNCONFINED_PATH};
    for (auto _ : state) {
        // In turns, each first every other time, so that neither gains from going second.
        const std::size_t first = wall[0].size() % 2;
        for (const std::size_t which : {first, 1 - first}) {
            const HelperRun run = RunHelper(helpers[which], path);
            wall[which].push_back(run.wallMs);
            cpu[which].push_back(run.cpuMs);
        }
    }
    state.counters["locked_down_ms"] = Median(wall[0]);
    state.counters["unconfined_ms"] = Median(wall[1]);
    state.counters["cost_ms"] = Median(wall[0]) - Median(wall[1]);
    state.counters["cost_cpu_ms"] = Median(cpu[0]) - Median(cpu[1]);
}

void BM_LockDownCost_SmallEpub(benchmark::State& state) {
    LockDownCost(state, "small.epub", lexaro::fixtures::EpubBookBytes({Paragraphs(20, 600, 0)}));
}

void BM_LockDownCost_ThreeHundredPagePdf(benchmark::State& state) {
    LockDownCost(state, "report.pdf", ThreeHundredPagePdf());
}

BENCHMARK(BM_NovelEpub)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ThreeHundredPagePdf)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LockDownCost_SmallEpub)->Unit(benchmark::kMillisecond)->Iterations(41);
BENCHMARK(BM_LockDownCost_ThreeHundredPagePdf)->Unit(benchmark::kMillisecond)->Iterations(11);

}  // namespace

int main(int argc, char** argv) {
#ifdef LEXARO_EXTRACT_PATH
    lexaro::DocumentHelper::setPath(QStringLiteral(LEXARO_EXTRACT_PATH));
#endif
    return lexaro::bench::RunQtBenchmarks(argc, argv);
}
