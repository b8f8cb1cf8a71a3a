// Lexaro: a reading pacer that shows a text one word at a time.

#include <QApplication>

#include "ui/main/frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexaro"));
    QApplication::setApplicationVersion(QStringLiteral(LEXARO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lexaro.Lexaro"));

    lexaro::frmMain window;
    window.show();
    return QApplication::exec();
}
