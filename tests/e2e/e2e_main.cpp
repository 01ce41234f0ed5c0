#include "tuxing_fixture.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <string_view>

int main(int argc, char** argv)
{
    // The toolkit grabs the screen and knows its density.
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    constexpr std::string_view option = "--program=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with(option))
            setProgramPath(std::string(argument.substr(option.size())));
    }
    return RUN_ALL_TESTS();
}
