// main() for tests that need a QGuiApplication on the X server named by
// DISPLAY (the offscreen platform without one, where such tests skip).
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
