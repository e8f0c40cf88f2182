// The main() of every GoogleTest program: fixes the time zone and the locale so dates and
// numbers come out the same on every machine, and puts Qt on its offscreen platform unless
// a test run names another (the end-to-end tests ask for a real display).
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::setenv("TZ", "America/New_York", 1);
    ::tzset();
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
