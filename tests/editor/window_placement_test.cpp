#include "editor/window_placement.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/support/test_environment.h"

namespace veltrix::editor {
namespace {

TEST(WindowPlacementTest, StoredRectanglesReadBackAndOddTextReadsAsZero) {
    const WindowPlacement placement{{10, 20, 810, 590}, false, true};
    EXPECT_EQ(FormatPlacement(placement), u"0010 0020 0810 0590 0 1");
    EXPECT_EQ(ParsePlacement(FormatPlacement(placement), 0, 0), placement);
    EXPECT_EQ(ParsePlacement(u"0005 0006 0700 0500", 1, 0),
              (WindowPlacement{{5, 6, 700, 500}, true, false}));
    EXPECT_EQ(ParsePlacement(u"abc 7  x 9 1 0", 0, 0),
              (WindowPlacement{{0, 7, 0, 9}, true, false}));
    EXPECT_EQ(FormatPlacement({{-5, 3, 100, 200}, true, false}), u"-005 0003 0100 0200 1 0");
}

TEST(WindowPlacementTest, DefaultsFollowTheScreenAndTheTreeWidthFallsBackTo200) {
    EXPECT_EQ(DefaultPlacement(640, 480).normal, (ui::ScreenRect{0, 0, 640, 450}));
    EXPECT_EQ(DefaultPlacement(1024, 599).normal, (ui::ScreenRect{0, 0, 640, 450}));
    EXPECT_EQ(DefaultPlacement(800, 600).normal, (ui::ScreenRect{0, 0, 800, 570}));
    EXPECT_EQ(ParseTreePaneSize(u"250,400"), (TreePaneSize{250, 400}));
    EXPECT_EQ(ParseTreePaneSize(u"0,400"), (TreePaneSize{200, 0}));
    EXPECT_EQ(ParseTreePaneSize(u"250,-1"), (TreePaneSize{200, 0}));
    EXPECT_EQ(ParseTreePaneSize(u"250"), (TreePaneSize{250, 0}));
    EXPECT_EQ(ParseTreePaneSize(std::nullopt), (TreePaneSize{200, 0}));
    EXPECT_EQ(FormatTreePaneSize({180, 420}), u"180,420");
}

TEST(WindowPlacementTest, WindowsOffTheScreenComeBackKeepingTheirSize) {
    const ui::ScreenRect screen{0, 0, 1024, 768};
    EXPECT_EQ(KeepOnScreen({2000, 1500, 2800, 2070}, screen, 32, 32),
              (ui::ScreenRect{864, 608, 1664, 1178}));
    EXPECT_EQ(KeepOnScreen({10, 10, 810, 580}, screen, 32, 32), (ui::ScreenRect{10, 10, 810, 580}));
    const MinimumSize minimum = FrameMinimumSize(200, 500, 570, 300, 250);
    EXPECT_EQ(minimum.width, 520);
    EXPECT_EQ(minimum.height, 325);
}

TEST(WindowPlacementTest, TheSettingsKeepPlacementAndTreeSize) {
    test::IsolatedEnvironment env;
    config::Settings settings(platform::Registry::Default());
    EXPECT_EQ(LoadPlacement(settings, {0, 0, 640, 480}).normal, (ui::ScreenRect{0, 0, 640, 450}));
    SavePlacement(settings, {{1, 2, 603, 404}, false, true});
    SaveTreePaneSize(settings, {321, 400});
    EXPECT_EQ(LoadPlacement(settings, {0, 0, 640, 480}),
              (WindowPlacement{{1, 2, 603, 404}, false, true}));
    EXPECT_EQ(LoadTreePaneSize(settings), (TreePaneSize{321, 400}));
    std::u16string stored;
    ASSERT_TRUE(settings.GetConfigString(platform::Hive::CurrentUser,
                                         u"Software\\Orvane\\Veltrix\\WINDOW SIZE", u"LeftView",
                                         stored));
    EXPECT_EQ(stored, u"321,400");
}

}  // namespace
}  // namespace veltrix::editor
