// Start-up and memory of the program as a user meets it: the same steps as main() (application,
// main window, show), timed from the moment the process was launched to the first paint of the
// main window and to the first idle turn of the event loop. Prints one line of figures.
//
//   lexaro_startup_harness LAUNCH_NS [--load FILE]
//
// LAUNCH_NS is CLOCK_REALTIME in nanoseconds taken just before the process was started (for
// example "$(date +%s%N)" in the launching shell). With --load, the file is then loaded through
// Load Text from File and the peak memory is reported again.

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "bench/proc_status.h"
#include "ui/main/frmMain.h"

namespace {

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

class FirstPaint : public QObject {
public:
    long long at = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (at == 0 && event->type() == QEvent::Paint) {
            at = NowNs();
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    const long long launched = argc > 1 ? QByteArray(argv[1]).toLongLong() : NowNs();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexaro"));

    lexaro::frmMain window;
    FirstPaint paint;
    window.installEventFilter(&paint);
    window.show();

    long long idle = 0;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (paint.at != 0) {
            idle = NowNs();
            poll.stop();
            QApplication::quit();
        }
    });
    poll.start();
    QApplication::exec();

    std::printf("first paint %.1f ms  idle %.1f ms  peak RSS %.1f MB  RSS %.1f MB",
                static_cast<double>(paint.at - launched) / 1e6,
                static_cast<double>(idle - launched) / 1e6,
                static_cast<double>(lexaro::bench::ProcStatusKb("VmHWM")) / 1024.0,
                static_cast<double>(lexaro::bench::ProcStatusKb("VmRSS")) / 1024.0);

    const QStringList args = QApplication::arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--load"));
        at >= 0 && at + 1 < args.size()) {
        window.openFile(args[at + 1]);
        while (window.isLoading()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        std::printf("  after loading: peak RSS %.1f MB  RSS %.1f MB",
                    static_cast<double>(lexaro::bench::ProcStatusKb("VmHWM")) / 1024.0,
                    static_cast<double>(lexaro::bench::ProcStatusKb("VmRSS")) / 1024.0);
    }
    std::printf("\n");
    return 0;
}
