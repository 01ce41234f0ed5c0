#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

// Every widget test runs on the offscreen platform, whatever display the
// shell that started them has, with a screen larger than the largest window
// the tests ask for: the window keeps within the screens.
int main(int argc, char* argv[])
{
    setenv("QT_QPA_PLATFORM", "offscreen:configfile=" TUXING_OFFSCREEN_SCREENS, 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
