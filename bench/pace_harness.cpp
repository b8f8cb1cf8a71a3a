// Pace accuracy of a real reading: the real main window, its real timer and its real tick handler,
// at several paces. Prints, per pace, the mean interval between ticks against the timer's nominal
// interval, the deviation of single intervals (p50, p99, max), and whether any word was skipped
// or shown twice (the ticks are compared with the engine stepping the same text on its own).
//
//   lexaro_pace_harness [--ticks N] [--wpm 60,600,1800] [--fullscreen] [--paragraph UNITS]
//
// --paragraph reads one paragraph of UNITS characters instead of a text of short lines.
// --fullscreen runs the readings with the full-screen view open, mirroring every tick at three
// times the size (180 points): the heaviest painting the program does.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QScrollBar>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/pace.h"
#include "engine/word_stepper.h"
#include "tests/support/sample_text.h"
#include "ui/Heap.h"
#include "ui/QtText.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

namespace {

struct Options {
    int ticks = 600;
    std::vector<int> paces = {60, 600, 1800};
    bool fullScreen = false;
    std::size_t paragraph = 0;  // one paragraph of this many characters, if not 0
};

Options Parse(const QStringList& args) {
    Options options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--ticks") && i + 1 < args.size()) {
            options.ticks = std::max(2, args[++i].toInt());
        } else if (args[i] == QLatin1String("--wpm") && i + 1 < args.size()) {
            options.paces.clear();
            for (const QString& pace : args[++i].split(QLatin1Char(','))) {
                options.paces.push_back(pace.toInt());
            }
        } else if (args[i] == QLatin1String("--fullscreen")) {
            options.fullScreen = true;
        } else if (args[i] == QLatin1String("--paragraph") && i + 1 < args.size()) {
            options.paragraph = args[++i].toULongLong();
        }
    }
    return options;
}

struct TickRecord {
    qint64 nanoseconds;
    std::int32_t position;
    std::int32_t hold;
    QString caption;
};

double Percentile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1));
    return values[index];
}

// Runs one reading of `ticks` ticks at `wordsPerMinute` and prints its figures.
bool MeasurePace(lexaro::frmMain& window, int wordsPerMinute, int ticks) {
    auto* timer = window.findChild<QTimer*>(QStringLiteral("tmrMoveNext"));
    auto* band = window.findChild<QLabel*>(QStringLiteral("lblOutputText"));
    auto* box = window.findChild<lexaro::CrLfTextEdit*>(QStringLiteral("txtInputText"));
    window.findChild<QScrollBar*>(QStringLiteral("hscScrollSpeed"))->setValue(wordsPerMinute);
    window.cmdStop_Click();

    std::vector<TickRecord> records;
    records.reserve(static_cast<std::size_t>(ticks) + 1);
    QElapsedTimer clock;
    QEventLoop loop;
    // Connected after the window's own handler, so each record sees the finished tick.
    const auto connection = QObject::connect(timer, &QTimer::timeout, [&] {
        records.push_back(
            {clock.nsecsElapsed(), window.readPosition(), window.pauseTicks(), band->text()});
        if (records.size() > static_cast<std::size_t>(ticks)) {
            window.cmdPause_Click();
            loop.quit();
        }
    });
    const std::u16string text = box->text();
    const std::int32_t startPosition = window.readPosition();
    const std::int32_t startHold = window.pauseTicks();
    clock.start();
    window.cmdStart_Click();
    loop.exec();
    QObject::disconnect(connection);

    // The same reading stepped by the engine alone: every tick must match it.
    std::int32_t position = startPosition;
    std::int32_t hold = startHold;
    QString caption;
    int mismatches = 0;
    for (const TickRecord& record : records) {
        const lexaro::WordStep step = lexaro::StepWord(text, position, hold);
        if (!step.blnHoldTick) {
            const std::u16string_view shown = lexaro::ShownCaption(step.strCaption);
            caption = lexaro::ToQString(shown);
        }
        if (record.position != position || record.hold != hold || record.caption != caption) {
            ++mismatches;
        }
    }

    const double nominal = lexaro::TickIntervalMs(wordsPerMinute);
    std::vector<double> intervals;
    std::vector<double> deviations;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const double ms =
            static_cast<double>(records[i].nanoseconds - records[i - 1].nanoseconds) / 1e6;
        intervals.push_back(ms);
        deviations.push_back(std::abs(ms - nominal));
    }
    double sum = 0;
    for (const double ms : intervals) {
        sum += ms;
    }
    const double mean = sum / static_cast<double>(intervals.size());
    std::printf(
        "%5d wpm  nominal %5.0f ms  mean %9.3f ms  error %+7.3f %%  deviation p50 %6.3f  "
        "p99 %6.3f  max %7.3f ms  ticks %zu  mismatched ticks %d\n",
        wordsPerMinute, nominal, mean, (mean - nominal) / nominal * 100.0,
        Percentile(deviations, 0.50), Percentile(deviations, 0.99),
        *std::max_element(deviations.begin(), deviations.end()), intervals.size(), mismatches);
    std::fflush(stdout);
    return mismatches == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    lexaro::ReturnLargeBlocksToSystem();
    QApplication app(argc, argv);
    const Options options = Parse(QApplication::arguments());

    lexaro::frmMain window;
    std::u16string text = lexaro::test::TextOfSize(200'000);
    if (options.paragraph > 0) {
        text.clear();
        while (text.size() < options.paragraph) {
            text += u"paragraph ";
        }
    }
    window.findChild<lexaro::CrLfTextEdit*>(QStringLiteral("txtInputText"))->setText(text);
    window.show();

    std::printf("platform %s, %s\n", qPrintable(QGuiApplication::platformName()),
                options.fullScreen ? "full-screen view open at 180 pt" : "main window");
    bool allMatched = true;
    const auto measureAll = [&] {
        for (const int pace : options.paces) {
            allMatched = MeasurePace(window, pace, options.ticks) && allMatched;
        }
    };
    if (options.fullScreen) {
        QTimer::singleShot(0, [&] {
            measureAll();
            if (QWidget* view = QApplication::activeModalWidget()) {
                view->close();
            }
        });
        window.cmdFullScreen_Click();
    } else {
        measureAll();
    }
    return allMatched ? 0 : 1;
}
