#include "editor/window_placement.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/text.h"

namespace veltrix::editor {
namespace {

constexpr int kDefaultTreeWidth = 200;
constexpr int kIconsFromEdge = 5;

std::vector<std::u16string_view> SplitAt(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string_view> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        if (end > start) {
            parts.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

int NumberAt(const std::vector<std::u16string_view>& parts, std::size_t index) {
    return index < parts.size() ? static_cast<int>(text::ToInt(parts[index])) : 0;
}

std::u16string Ascii(const char* text) {
    return text::FromUtf8(text);
}

}  // namespace

WindowPlacement DefaultPlacement(int screenWidth, int screenHeight) {
    if (screenWidth < 800 || screenHeight < 600) {
        return {{0, 0, 640, 450}, false, false};
    }
    return {{0, 0, 800, 570}, false, false};
}

WindowPlacement ParsePlacement(std::u16string_view rect, int iconValue, int maxValue) {
    const auto parts = SplitAt(rect, u' ');
    WindowPlacement placement;
    placement.normal = {NumberAt(parts, 0), NumberAt(parts, 1), NumberAt(parts, 2),
                        NumberAt(parts, 3)};
    if (parts.size() >= 6) {
        placement.iconic = NumberAt(parts, 4) != 0;
        placement.maximised = NumberAt(parts, 5) != 0;
    } else {
        placement.iconic = iconValue != 0;
        placement.maximised = maxValue != 0;
    }
    return placement;
}

std::u16string FormatPlacement(const WindowPlacement& placement) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d %04d %04d %04d %d %d", placement.normal.left,
                  placement.normal.top, placement.normal.right, placement.normal.bottom,
                  placement.iconic ? 1 : 0, placement.maximised ? 1 : 0);
    return Ascii(buffer);
}

TreePaneSize ParseTreePaneSize(std::optional<std::u16string_view> stored) {
    if (!stored) {
        return {};
    }
    const std::size_t comma = stored->find(u',');
    TreePaneSize size;
    size.width = static_cast<int>(text::ToInt(stored->substr(0, comma)));
    size.height = comma == std::u16string_view::npos
                      ? 0
                      : static_cast<int>(text::ToInt(stored->substr(comma + 1)));
    if (size.width < 1 || size.height < 0) {
        return {kDefaultTreeWidth, 0};
    }
    return size;
}

std::u16string FormatTreePaneSize(const TreePaneSize& size) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%d,%d", size.width, size.height);
    return Ascii(buffer);
}

WindowPlacement LoadPlacement(config::Settings& settings, const ui::ScreenRect& screen) {
    const std::u16string key = config::SectionKey(kWindowSection);
    std::u16string rect;
    if (!settings.GetConfigString(platform::Hive::CurrentUser, key, u"Rect", rect)) {
        return DefaultPlacement(screen.Width(), screen.Height());
    }
    std::uint32_t icon = 0;
    std::uint32_t max = 0;
    settings.GetConfigDword(platform::Hive::CurrentUser, key, u"icon", icon);
    settings.GetConfigDword(platform::Hive::CurrentUser, key, u"max", max);
    return ParsePlacement(rect, static_cast<int>(icon), static_cast<int>(max));
}

void SavePlacement(config::Settings& settings, const WindowPlacement& placement) {
    settings.SetConfigString(platform::Hive::CurrentUser, config::SectionKey(kWindowSection),
                             u"Rect", FormatPlacement(placement));
}

TreePaneSize LoadTreePaneSize(config::Settings& settings) {
    std::u16string stored;
    if (!settings.GetConfigString(platform::Hive::CurrentUser, config::SectionKey(kLeftViewSection),
                                  u"LeftView", stored)) {
        return ParseTreePaneSize(std::nullopt);
    }
    return ParseTreePaneSize(stored);
}

void SaveTreePaneSize(config::Settings& settings, const TreePaneSize& size) {
    settings.SetConfigString(platform::Hive::CurrentUser, config::SectionKey(kLeftViewSection),
                             u"LeftView", FormatTreePaneSize(size));
}

ui::ScreenRect KeepOnScreen(const ui::ScreenRect& normal, const ui::ScreenRect& screen,
                            int iconWidth, int iconHeight) {
    ui::ScreenRect moved = normal;
    const int maxLeft = screen.right - kIconsFromEdge * iconWidth;
    const int maxTop = screen.bottom - kIconsFromEdge * iconHeight;
    if (moved.left > maxLeft) {
        const int shift = moved.left - maxLeft;
        moved.left -= shift;
        moved.right -= shift;
    }
    if (moved.top > maxTop) {
        const int shift = moved.top - maxTop;
        moved.top -= shift;
        moved.bottom -= shift;
    }
    return moved;
}

MinimumSize FrameMinimumSize(int treeWidth, int treeHeight, int frameHeight, int rightMinWidth,
                             int rightMinHeight) {
    return {treeWidth + rightMinWidth + 20, frameHeight - treeHeight + rightMinHeight + 5};
}

}  // namespace veltrix::editor
