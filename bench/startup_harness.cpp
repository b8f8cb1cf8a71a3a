// Start-up and memory of the program as a user meets it: the same steps as main() (application,
// main window, show), timed from the moment the process was launched to the first paint of the
// main window and to the first idle turn of the event loop. Prints one line of figures.
//
//   lexaro_startup_harness LAUNCH_NS [--bare] [--load FILE]
//
// --bare shows, instead of the program's window, a bare Qt window with the same controls and menus
// and nothing behind them (no icon, no dialogs, no handlers): the floor the program's start-up is
// measured against. "quit" is the time from leaving the event loop to the window destroyed.
// LAUNCH_NS is CLOCK_REALTIME in nanoseconds taken just before the process was started (for
// example "$(date +%s%N)" in the launching shell). With --load, the file is then loaded through
// Load Text from File and the peak memory is reported again.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/welcome_text.h"
#include "tests/support/proc_status.h"
#include "ui/Heap.h"
#include "ui/QtText.h"
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

// The program's window without the program: the same kinds and numbers of controls, the same
// lists and text, at about the same places.
std::unique_ptr<QMainWindow> BareWindow() {
    auto window = std::make_unique<QMainWindow>();
    window->setWindowTitle(QStringLiteral("Bare"));
    auto* central = new QWidget(window.get());
    window->setCentralWidget(central);
    window->setFixedSize(634, 474);
    auto* text = new QPlainTextEdit(central);
    text->setGeometry(8, 8, 618, 230);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setPlainText(lexaro::ToQString(lexaro::WelcomeText()));
    (new QLabel(QStringLiteral("Lexaro"), central))->setGeometry(8, 246, 618, 110);
    (new QLabel(QStringLiteral("300"), central))->setGeometry(8, 366, 60, 20);
    (new QLabel(QStringLiteral("36"), central))->setGeometry(300, 366, 60, 20);
    (new QLineEdit(central))->hide();
    int x = 8;
    for (const char* caption : {"Start", "Pause", "Stop", "Load", "Full", "About", "Exit"}) {
        (new QPushButton(QString::fromLatin1(caption), central))->setGeometry(x, 440, 80, 26);
        x += 88;
    }
    QStringList colours;
    for (int i = 0; i < 16; ++i) {
        colours << QStringLiteral("Colour %1").arg(i);
    }
    for (int i = 0; i < 3; ++i) {
        auto* list = new QComboBox(central);
        list->setGeometry(8 + i * 200, 400, 180, 24);
        list->setEditable(i == 2);
        list->addItems(i == 2
                           ? QStringList{QStringLiteral("Arial"), QStringLiteral("Times New Roman"),
                                         QStringLiteral("Courier New")}
                           : colours);
    }
    for (int i = 0; i < 2; ++i) {
        auto* bar = new QScrollBar(Qt::Horizontal, central);
        bar->setGeometry(70 + i * 300, 366, 200, 18);
    }
    auto* timer = new QTimer(window.get());
    timer->setTimerType(Qt::PreciseTimer);
    QMenu* file = window->menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Load"));
    file->addAction(QStringLiteral("E&xit"));
    QMenu* view = window->menuBar()->addMenu(QStringLiteral("&View"));
    for (const char* item : {"&Start", "&Pause", "S&top", "&Full Screen"}) {
        view->addAction(QString::fromLatin1(item));
    }
    QMenu* size = view->addMenu(QStringLiteral("Text &Size"));
    for (const char* item : {"&Increase", "&Decrease", "&Normal"}) {
        size->addAction(QString::fromLatin1(item));
    }
    window->menuBar()->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About"));
    return window;
}

}  // namespace

int main(int argc, char* argv[]) {
    const long long launched = argc > 1 ? QByteArray(argv[1]).toLongLong() : NowNs();
    const bool bare = std::any_of(argv, argv + argc,
                                  [](const char* arg) { return std::strcmp(arg, "--bare") == 0; });
    if (!bare) {  // as the program's main() does
        lexaro::ReturnLargeBlocksToSystem();
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexaro"));

    const QStringList args = QApplication::arguments();
    std::unique_ptr<QMainWindow> window;
    if (bare) {
        window = BareWindow();
    } else {
        window = std::make_unique<lexaro::frmMain>();
    }
    FirstPaint paint;
    window->installEventFilter(&paint);
    window->show();

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
                static_cast<double>(lexaro::test::ProcStatusKb("VmHWM")) / 1024.0,
                static_cast<double>(lexaro::test::ProcStatusKb("VmRSS")) / 1024.0);

    if (const qsizetype at = args.indexOf(QStringLiteral("--load"));
        at >= 0 && at + 1 < args.size()) {
        if (bare) {  // the plainest load there is: read, decode, into the box
            QFile file(args[at + 1]);
            if (file.open(QIODevice::ReadOnly)) {
                window->findChild<QPlainTextEdit*>()->setPlainText(
                    QString::fromUtf8(file.readAll()));
            }
            QApplication::processEvents();
        } else {
            auto& program = static_cast<lexaro::frmMain&>(*window);
            program.openFile(args[at + 1]);
            while (program.isLoading()) {
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
        }
        std::printf("  after loading: peak RSS %.1f MB  RSS %.1f MB",
                    static_cast<double>(lexaro::test::ProcStatusKb("VmHWM")) / 1024.0,
                    static_cast<double>(lexaro::test::ProcStatusKb("VmRSS")) / 1024.0);
    }
    const long long quitting = NowNs();
    window.reset();
    std::printf("  quit %.1f ms\n", static_cast<double>(NowNs() - quitting) / 1e6);
    return 0;
}
