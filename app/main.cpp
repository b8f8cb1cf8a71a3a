// Lexaro: a reading pacer that shows a text one word at a time.

#include <QApplication>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "ui/CommandLine.h"
#include "ui/Heap.h"
#include "ui/main/frmMain.h"

namespace {

void SetIdentity() {
    QCoreApplication::setApplicationName(QStringLiteral("Lexaro"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEXARO_VERSION));
}

// Prints what the command line asked for; the exit code, or -1 to go on and run the window.
int Answer(const lexaro::CommandLine& command) {
    switch (command.action) {
        case lexaro::CommandLine::Action::Run:
            return -1;
        case lexaro::CommandLine::Action::PrintAndExit:
            std::fputs(command.output.toLocal8Bit().constData(), stdout);
            return command.exitCode;
        case lexaro::CommandLine::Action::FailAndExit:
            std::fputs(command.output.toLocal8Bit().constData(), stderr);
            return command.exitCode;
    }
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    lexaro::ReturnLargeBlocksToSystem();
#ifdef Q_OS_UNIX
    // `lexaro -` reads standard input. Started without one, the first file or socket the program
    // opens would take its number and be read in its place: it is an empty input instead.
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0 && errno == EBADF) {
        static_cast<void>(::open("/dev/null", O_RDONLY));
    }
#endif
    // Help, the version and a wrong command line need no display, so they are answered before the
    // windowing system is even contacted.
    if (lexaro::CanBeJudgedWithoutDisplay(argc, argv)) {
        const QCoreApplication app(argc, argv);
        SetIdentity();
        const int code = Answer(lexaro::ParseCommandLine(QCoreApplication::arguments()));
        if (code >= 0) {
            return code;
        }
    }

    QApplication app(argc, argv);
    SetIdentity();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lexaro.Lexaro"));
    const lexaro::CommandLine command = lexaro::ParseCommandLine(QCoreApplication::arguments());
    if (const int code = Answer(command); code >= 0) {
        return code;
    }

    lexaro::frmMain window;
    window.setOcrLanguage(command.ocrLanguage);
    window.show();
    if (!command.file.isEmpty()) {
        window.openFile(command.file);
    }
    return QApplication::exec();
}
