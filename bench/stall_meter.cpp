// The stall meter: how long the window thread stops answering while text enters the box, and what
// it costs in memory. A 10 ms heartbeat timer runs on the window thread; the longest gap between
// two of its beats while the operation runs is the longest stall a user would feel.
//
//   lexaro_stall_meter OPERATION FILE
//
//   load   the program's load of FILE (as Load, the command line and a drop do)
//   paste  FILE's text on the clipboard, then Ctrl+V into the empty text box
//   copy   FILE loaded first (not measured), then Ctrl+A and Ctrl+C in the text box
//   read   FILE loaded first (not measured), then 10 s of reading at 1800 words per minute,
//          with the p99 of the tick handler's own time
//
// Each operation ends once the box has its text and the window has been idle for 300 ms, so the
// layout and painting that follow a change are counted too. The window is shown (on the offscreen
// platform unless another is chosen). Prints one line of figures.

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "tests/support/proc_status.h"
#include "ui/Heap.h"
#include "ui/MessageBox.h"
#include "ui/main/CrLfTextEdit.h"
#include "ui/main/frmMain.h"

namespace {

double Mb(long kb) {
    return static_cast<double>(kb) / 1024.0;
}

class Heartbeat {
public:
    Heartbeat() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, sinceBeat_.restart()); });
        sinceBeat_.start();
        timer_.start();
    }
    [[nodiscard]] qint64 longestGapMs() const { return std::max(longest_, sinceBeat_.elapsed()); }

private:
    QTimer timer_;
    QElapsedTimer sinceBeat_;
    qint64 longest_ = 0;
};

// Runs the event loop until `done()` holds, then until it has been idle for 300 ms.
void RunUntil(const std::function<bool()>& done) {
    while (!done()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 300) {
        QElapsedTimer turn;
        turn.start();
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (turn.elapsed() > 5) {
            idle.restart();  // something still took time: not idle yet
        }
    }
}

void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(target, &release);
}

void LoadAndSettle(lexaro::frmMain& window, const QString& path) {
    window.openFile(path);
    RunUntil([&] { return !window.isLoading(); });
}

}  // namespace

int main(int argc, char** argv) {
    lexaro::ReturnLargeBlocksToSystem();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: lexaro_stall_meter load|paste|copy|read FILE\n", stderr);
        return 2;
    }
    const QString operation = args[1];
    const QString path = args[2];

    // A refused text ends the operation with a message; note it instead of waiting for OK.
    QString refused;
    lexaro::MessageBox::setObserver([&refused](const lexaro::MessageBox::Message& message) {
        refused = message.text + QLatin1Char(' ') + message.informative;
    });

    lexaro::frmMain window;
    window.show();
    auto* box = window.findChild<lexaro::CrLfTextEdit*>(QStringLiteral("txtInputText"));
    RunUntil([] { return true; });

    if (operation == QLatin1String("paste")) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return 1;
        }
        QApplication::clipboard()->setText(QString::fromUtf8(file.readAll()));
        box->setText(u"");
        box->setFocus();
    } else if (operation != QLatin1String("load")) {
        LoadAndSettle(window, path);
    }

    const long rssBefore = lexaro::test::ProcStatusKb("VmRSS");
    std::vector<double> tickMs;
    QElapsedTimer took;
    took.start();
    const Heartbeat heartbeat;
    if (operation == QLatin1String("load")) {
        LoadAndSettle(window, path);
    } else if (operation == QLatin1String("paste")) {
        QTimer::singleShot(0, [&] { Press(box, Qt::Key_V, Qt::ControlModifier); });
        RunUntil([&] { return !box->document()->isEmpty() || !refused.isEmpty(); });
    } else if (operation == QLatin1String("copy")) {
        bool copied = false;
        QTimer::singleShot(0, [&] {
            box->setFocus();
            Press(box, Qt::Key_A, Qt::ControlModifier);
            Press(box, Qt::Key_C, Qt::ControlModifier);
            copied = true;
        });
        RunUntil([&] { return copied; });
    } else if (operation == QLatin1String("read")) {
        auto* reading = window.findChild<QTimer*>(QStringLiteral("tmrMoveNext"));
        QObject::disconnect(reading, &QTimer::timeout, &window, nullptr);
        QObject::connect(reading, &QTimer::timeout, &window, [&] {
            QElapsedTimer tick;
            tick.start();
            window.tmrMoveNext_Timer();
            tickMs.push_back(static_cast<double>(tick.nsecsElapsed()) / 1e6);
        });
        window.findChild<QScrollBar*>(QStringLiteral("hscScrollSpeed"))->setValue(1800);
        window.cmdStart_Click();
        // Stopped before waiting for idle: a reading whose turns cost more than the idle test
        // allows would otherwise never end.
        QElapsedTimer reading10s;
        reading10s.start();
        while (reading10s.elapsed() < 10'000) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        window.cmdStop_Click();
        RunUntil([] { return true; });
    } else {
        std::fputs("unknown operation\n", stderr);
        return 2;
    }
    const qint64 stall = heartbeat.longestGapMs();
    std::printf("%s %s: longest stall %lld ms, took %lld ms, peak RSS %.0f MB (%.0f MB before)",
                qPrintable(operation), qPrintable(path.section(QLatin1Char('/'), -1)),
                static_cast<long long>(stall), static_cast<long long>(took.elapsed()),
                Mb(lexaro::test::ProcStatusKb("VmHWM")), Mb(rssBefore));
    if (!tickMs.empty()) {
        std::sort(tickMs.begin(), tickMs.end());
        std::printf(", %zu ticks, tick p99 %.2f ms, max %.2f ms", tickMs.size(),
                    tickMs[std::min(tickMs.size() - 1, tickMs.size() * 99 / 100)], tickMs.back());
    }
    std::printf(", box holds %zu characters", box->text().size());
    if (!refused.isEmpty()) {
        std::printf(", refused: %s", qPrintable(refused));
    }
    std::printf("\n");
    return 0;
}
