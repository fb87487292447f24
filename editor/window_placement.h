// The main frame's stored placement and tree width, and the rules that keep the window on the
// screen and large enough for its panes. Values live under the product key: "Rect" in section
// "Window size" and "LeftView" in section "Window Size" (one key: names ignore letter case).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/configuration.h"
#include "ui/ui_port.h"

namespace veltrix::editor {

inline constexpr std::u16string_view kWindowSection = u"Window size";
inline constexpr std::u16string_view kLeftViewSection = u"Window Size";

struct WindowPlacement {
    ui::ScreenRect normal;
    bool iconic = false;
    bool maximised = false;

    bool operator==(const WindowPlacement&) const = default;
};

struct TreePaneSize {
    int width = 200;
    int height = 0;

    bool operator==(const TreePaneSize&) const = default;
};

// The default placement for a screen of `screenWidth` by `screenHeight`: 0, 0, 800, 570, or
// 0, 0, 640, 450 on a screen narrower than 800 or lower than 600.
WindowPlacement DefaultPlacement(int screenWidth, int screenHeight);

// "Rect" read: left, top, right, bottom, iconic, maximised split at blanks (non-numbers read as
// 0). With only four numbers, iconic and maximised come from `iconValue` and `maxValue`.
WindowPlacement ParsePlacement(std::u16string_view rect, int iconValue, int maxValue);
// "%04d %04d %04d %04d %d %d".
std::u16string FormatPlacement(const WindowPlacement& placement);

// "LeftView" read: "%d,%d"; a width below 1 or a negative height gives 200 and 0.
TreePaneSize ParseTreePaneSize(std::optional<std::u16string_view> stored);
std::u16string FormatTreePaneSize(const TreePaneSize& size);

// The stored placement, else the default for the screen of `screen`.
WindowPlacement LoadPlacement(config::Settings& settings, const ui::ScreenRect& screen);
void SavePlacement(config::Settings& settings, const WindowPlacement& placement);
TreePaneSize LoadTreePaneSize(config::Settings& settings);
void SaveTreePaneSize(config::Settings& settings, const TreePaneSize& size);

// The normal rectangle moved back onto `screen`: its left edge starts at least five icon widths
// before the screen's right edge, its top five icon heights above the bottom; size unchanged.
ui::ScreenRect KeepOnScreen(const ui::ScreenRect& normal, const ui::ScreenRect& screen,
                            int iconWidth, int iconHeight);

struct MinimumSize {
    int width = 0;
    int height = 0;
};
// The frame is never narrower than the tree pane plus the right pane's minimum plus 20, nor lower
// than its height less the tree pane's plus the right pane's minimum plus 5.
MinimumSize FrameMinimumSize(int treeWidth, int treeHeight, int frameHeight, int rightMinWidth,
                             int rightMinHeight);

}  // namespace veltrix::editor
