// The GUI tests run real widgets; the offscreen platform needs no display.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests start the program again rather than fork a process with Qt's threads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QApplication application(argc, argv);
    Q_INIT_RESOURCE(quorlin);
    return RUN_ALL_TESTS();
}
