// The dialog tests run real widgets; QApplication must exist before any of them.
// They run under the offscreen platform unless another one is asked for (the build
// lists the tests without a display). "--screenshot DIR" saves pictures of the
// dialogs instead, on whatever display there is; "--offer-tone SECONDS" and
// "--paste-tone" check that a record passes between two running copies.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>

#include "ClipboardProcessCheck.h"
#include "DialogScreenshots.h"

int main(int argc, char** argv) {
    const char* screenshotDir = nullptr;
    int offerSeconds = 0;
    bool pasteTone = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshotDir = argv[i + 1];
        } else if (std::strcmp(argv[i], "--offer-tone") == 0 && i + 1 < argc) {
            offerSeconds = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--paste-tone") == 0) {
            pasteTone = true;
        }
    }
    const bool onDisplay = screenshotDir || offerSeconds > 0 || pasteTone;
    if (!onDisplay && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (screenshotDir) {
        return RunDialogScreenshots(QString::fromLocal8Bit(screenshotDir));
    }
    if (offerSeconds > 0) {
        return OfferToneRecord(offerSeconds);
    }
    if (pasteTone) {
        return PasteToneRecord();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
