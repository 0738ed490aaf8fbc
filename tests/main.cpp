#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Widgets are real Qt widgets; without a display they draw into memory.
int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
