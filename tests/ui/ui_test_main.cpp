// The widget tests need one QApplication for the whole program; they run on the offscreen
// platform (also when CTest lists them). Tests of the program's forced ends run in a fresh copy
// of the test program (the "threadsafe" style), as threads are running.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
