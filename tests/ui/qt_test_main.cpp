// Window tests share one QApplication on Qt's offscreen platform, so they run without a display.

#include <gtest/gtest.h>

#include <QApplication>

#include "ui/load/DocumentHelper.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
#ifdef LEXARO_EXTRACT_PATH
    // The tests live in their own folder; the helper is built beside the program.
    lexaro::DocumentHelper::setPath(QStringLiteral(LEXARO_EXTRACT_PATH));
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
