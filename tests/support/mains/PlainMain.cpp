// The main of the test programs of the layers without windows.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("ZARVEX_TEST_DATA", ZARVEX_TEST_DATA_DIR, 0);
    setenv("ZARVEX_BIN", ZARVEX_BIN_DIR, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
