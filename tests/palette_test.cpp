#include "palette.h"

#include <gtest/gtest.h>

struct PaletteEntry {
    const char* name;
    int index;
    std::uint8_t red, green, blue;
};

class PaletteColour : public ::testing::TestWithParam<PaletteEntry> { };

TEST_P(PaletteColour, indexGivesItsRgb)
{
    const PaletteEntry& entry = GetParam();
    const Color color = QBColor(entry.index);
    EXPECT_TRUE(color.isValid());
    EXPECT_EQ(color.red(), entry.red);
    EXPECT_EQ(color.green(), entry.green);
    EXPECT_EQ(color.blue(), entry.blue);
}

// The entries the pictures use.
INSTANTIATE_TEST_SUITE_P(QBColor, PaletteColour,
    ::testing::Values(PaletteEntry { "magenta5", 5, 128, 0, 128 }, PaletteEntry { "lightBlue9", 9, 0, 0, 255 },
        PaletteEntry { "lightGreen10", 10, 0, 255, 0 }, PaletteEntry { "lightCyan11", 11, 0, 255, 255 },
        PaletteEntry { "lightRed12", 12, 255, 0, 0 }, PaletteEntry { "lightMagenta13", 13, 255, 0, 255 },
        PaletteEntry { "lightYellow14", 14, 255, 255, 0 }, PaletteEntry { "black0", 0, 0, 0, 0 },
        PaletteEntry { "brightWhite15", 15, 255, 255, 255 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QBColor, redSitsInTheLowestByteAndTheTopByteIsZero)
{
    EXPECT_EQ(QBColor(12).value, 0x000000ffu);
    EXPECT_EQ(QBColor(10).value, 0x0000ff00u);
    EXPECT_EQ(QBColor(9).value, 0x00ff0000u);
    EXPECT_EQ(QBColor(5).value, 0x00800080u);
}

TEST(QBColor, everyIndexOfThePaletteIsAColourAndNothingElseIs)
{
    for (int index = 0; index < 16; ++index)
        EXPECT_TRUE(QBColor(index).isValid()) << index;
    for (int index : { -1, 16, 255, std::numeric_limits<int>::min(), std::numeric_limits<int>::max() })
        EXPECT_FALSE(QBColor(index).isValid()) << index;
}
