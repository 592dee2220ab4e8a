// The main of the test programs of the window layers: a QApplication first.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("ZARVEX_TEST_DATA", ZARVEX_TEST_DATA_DIR, 0);
    setenv("ZARVEX_BIN", ZARVEX_BIN_DIR, 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
