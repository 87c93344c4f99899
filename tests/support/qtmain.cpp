// main() for tests that need a Qt application object (timers, settings,
// widgets with QT_QPA_PLATFORM=offscreen).
#include <gtest/gtest.h>

#ifdef QUORVANE_TEST_WIDGETS
#include <QApplication>
using TestApp = QApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    TestApp app(argc, argv);
    return RUN_ALL_TESTS();
}
