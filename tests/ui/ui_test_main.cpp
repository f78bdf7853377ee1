// One QApplication for the widget tests (the private home puts it on the offscreen platform).
// The program's forced ends are tested in a fresh copy of the test program, as threads run.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
