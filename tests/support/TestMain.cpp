// GoogleTest main for every suite: one QApplication for the process, so that
// widgets, timers and the event loop work in every test.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvexa"));
    return RUN_ALL_TESTS();
}
