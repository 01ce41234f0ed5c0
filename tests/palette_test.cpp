#include "expected_palette.h"
#include "palette.h"

#include <gtest/gtest.h>

#include <limits>

TEST(QBColor, everyIndexGivesItsRgbAndNothingElseIsAColour)
{
    for (int index = 0; index < 16; ++index) {
        EXPECT_TRUE(QBColor(index).isValid()) << index;
        EXPECT_EQ(QBColor(index), kExpectedPalette[std::size_t(index)]) << index;
    }
    for (int index : { -1, 16, 255, std::numeric_limits<int>::min(), std::numeric_limits<int>::max() })
        EXPECT_FALSE(QBColor(index).isValid()) << index;
}

TEST(QBColor, redSitsInTheLowestByteAndTheTopByteIsZero)
{
    EXPECT_EQ(QBColor(12).value, 0x000000ffu);
    EXPECT_EQ(QBColor(10).value, 0x0000ff00u);
    EXPECT_EQ(QBColor(9).value, 0x00ff0000u);
    EXPECT_EQ(QBColor(5).value, 0x00800080u);
    EXPECT_EQ(QBColor(14).opaqueArgb(), 0xffffff00u);
}
