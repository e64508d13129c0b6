// The desktop tests' entry point: widgets need a QApplication before any test
// builds one, so this replaces GoogleTest's own main.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Tests draw off screen unless told otherwise, so they run without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
