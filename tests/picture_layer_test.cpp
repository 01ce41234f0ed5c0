#include "expectations.h"
#include "fnv1a.h"
#include "form1_handlers.h"
#include "surface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <string>

namespace {

std::uint64_t fnv1a(const Surface& surface)
{
    Fnv1a digest;
    const std::size_t words = std::size_t(surface.size().width) * std::size_t(surface.size().height);
    for (std::size_t i = 0; i < words; ++i)
        digest.add(surface.pixels()[i]);
    return digest.value();
}

class PictureLayer : public ::testing::TestWithParam<LayerDigest> { };

} // namespace

void PrintTo(const LayerDigest& digest, std::ostream* stream) { *stream << digest.name; }

// Every pixel of each finished picture at once: a point out of place, a
// wrong colour or pen, a figure missing or painted twice changes it.
TEST_P(PictureLayer, isTheLayerRecordedForItsButtons)
{
    Surface surface({ kDigestWidth, kDigestHeight }, 1.0);
    for (const char* button : GetParam().buttons) {
        if (button) {
            ASSERT_EQ(runClickHandler(button, surface), std::nullopt) << button;
        }
    }
    EXPECT_EQ(fnv1a(surface), GetParam().fnv1a) << std::hex << std::showbase << fnv1a(surface);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureLayer, ::testing::ValuesIn(kLayerDigests),
    [](const auto& info) { return std::string(info.param.name); });
