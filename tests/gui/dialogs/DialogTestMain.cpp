// The dialog tests run real widgets; QApplication must exist before any of them.
// They run under the offscreen platform unless another one is asked for (the build
// lists the tests without a display). "--screenshot DIR" saves pictures of the
// dialogs instead, on whatever display there is.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>

#include "DialogScreenshots.h"

int main(int argc, char** argv) {
    const char* screenshotDir = nullptr;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0) {
            screenshotDir = argv[i + 1];
        }
    }
    if (!screenshotDir && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (screenshotDir) {
        return RunDialogScreenshots(QString::fromLocal8Bit(screenshotDir));
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
