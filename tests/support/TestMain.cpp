// GoogleTest main for every suite: one QApplication for the process, so that
// widgets, timers and the event loop work in every test. Listing the tests
// (--gtest_list_tests, as ctest does to find the cases) runs none and needs
// no application, so it works without a display.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvexa"));
    return RUN_ALL_TESTS();
}
