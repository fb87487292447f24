// The splash screen's rules without widgets: the window shape's runs, the status line's placement
// by its format bits, and the window's position by its style.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portable/splash_layout.h"
#include "portable/splash_region.h"

namespace veltrix::portable {
namespace {

constexpr std::uint32_t kM = 0xFF00FF;  // the transparent colour
constexpr std::uint32_t kA = 0x102030;
constexpr std::uint32_t kB = 0xFFFFFF;

struct RegionCase {
    const char* name;
    int width;
    int height;
    std::vector<std::uint32_t> pixels;
    std::vector<PixelRect> runs;
};

class OpaqueRunsTest : public testing::TestWithParam<RegionCase> {};

TEST_P(OpaqueRunsTest, FindsEveryMaximalRunOfEachRow) {
    const RegionCase& example = GetParam();
    EXPECT_EQ(OpaqueRuns({example.pixels, example.width, example.height}, kM), example.runs);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, OpaqueRunsTest,
    testing::Values(
        // A magenta border around a 2 by 2 inner block: only the inner block is shape.
        RegionCase{"magenta_border",
                   4,
                   4,
                   {kM, kM, kM, kM,  //
                    kM, kA, kB, kM,  //
                    kM, kA, kA, kM,  //
                    kM, kM, kM, kM},
                   {{1, 1, 3, 2}, {1, 2, 3, 3}}},
        // A row all transparent gives no rectangle; the others keep their row numbers.
        RegionCase{"transparent_row",
                   3,
                   3,
                   {kA, kA, kA,  //
                    kM, kM, kM,  //
                    kA, kM, kA},
                   {{0, 0, 3, 1}, {0, 2, 1, 3}, {2, 2, 3, 3}}},
        // Single pixels between transparent ones are runs of their own.
        RegionCase{"single_pixels",
                   5,
                   1,
                   {kA, kM, kB, kM, kA},
                   {{0, 0, 1, 1}, {2, 0, 3, 1}, {4, 0, 5, 1}}},
        // A run that reaches the last pixel of its row ends there, not in the next row.
        RegionCase{"run_to_row_end",
                   3,
                   2,
                   {kM, kA, kA,  //
                    kA, kM, kM},
                   {{1, 0, 3, 1}, {0, 1, 1, 2}}},
        // Only the colour counts: a higher byte (alpha) does not make magenta opaque.
        RegionCase{"alpha_ignored", 2, 1, {0xFFFF00FF, 0x00102030}, {{1, 0, 2, 1}}},
        RegionCase{"all_transparent", 2, 2, {kM, kM, kM, kM}, {}},
        // A pixel count that does not match the size: no shape rather than a read past the end.
        RegionCase{"short_buffer", 3, 3, {kA, kA, kA, kA}, {}},
        RegionCase{"negative_size", -1, 4, {kA, kA, kA, kA}, {}}),
    [](const testing::TestParamInfo<RegionCase>& info) { return std::string(info.param.name); });

TEST(SplashLayout, PlacesTheStatusLineByItsFormatBits) {
    // The launcher's 44: single line, vertically centred (which wins over bottom), left.
    EXPECT_EQ(
        splash::PlacementOf(44),
        (splash::TextPlacement{splash::Horizontal::Left, splash::Vertical::Centre, true, false}));
    // The default 21: centred and word-wrapped; vertical placement needs a single line.
    EXPECT_EQ(splash::PlacementOf(21), (splash::TextPlacement{splash::Horizontal::Centre,
                                                              splash::Vertical::Top, false, true}));
    EXPECT_EQ(
        splash::PlacementOf(splash::kTextSingleLine | splash::kTextBottom | splash::kTextRight),
        (splash::TextPlacement{splash::Horizontal::Right, splash::Vertical::Bottom, true, false}));
}

TEST(SplashLayout, CentresOnTheScreenOrTheParentByItsStyle) {
    const PixelRect screen{0, 0, 1920, 1080};
    const PixelRect parent{100, 200, 500, 400};
    const splash::Point current{7, 9};
    EXPECT_EQ(splash::SplashPosition(splash::kLauncherStyle, 398, 297, screen, parent, current),
              (splash::Point{761, 391}));
    EXPECT_EQ(splash::SplashPosition(splash::kCentreOnParent, 200, 100, screen, parent, current),
              (splash::Point{200, 250}));
    // Screen wins when both are set; neither leaves the window where it is.
    EXPECT_EQ(splash::SplashPosition(splash::kCentreOnScreen | splash::kCentreOnParent, 20, 20,
                                     {10, 10, 30, 30}, parent, current),
              (splash::Point{10, 10}));
    EXPECT_EQ(splash::SplashPosition(splash::kFadeIn, 20, 20, screen, parent, current), current);
}

}  // namespace
}  // namespace veltrix::portable
