// Window tests share one QApplication on Qt's offscreen platform, so they run without a display.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

#include "ui/load/DocumentHelper.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
#ifdef Q_OS_WIN
    // Under Wine the offscreen platform reads the fonts in QT_QPA_FONTDIR and substitutes none;
    // the program's faces get the stand-ins Linux's fontconfig gives them.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                                  QStringLiteral("Liberation Serif"));
        for (const char* face : {"Tahoma", "Verdana", "Comic Sans MS"}) {
            QFont::insertSubstitution(QLatin1String(face), QStringLiteral("DejaVu Sans"));
        }
    }
#endif
#ifdef LEXARO_EXTRACT_PATH
    // The tests live in their own folder; the helper is built beside the program.
    lexaro::DocumentHelper::setPath(QStringLiteral(LEXARO_EXTRACT_PATH));
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
