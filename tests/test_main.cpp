#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

// Every widget test runs on the offscreen platform, whatever display the
// shell that started them has.
int main(int argc, char* argv[])
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
