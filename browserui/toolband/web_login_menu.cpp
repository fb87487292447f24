#include "browserui/toolband/web_login_menu.h"

#include <algorithm>

#include "browserui/toolband/band_buttons.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace veltrix::toolband {
namespace {

constexpr std::size_t kShortenFrom = 30;
constexpr std::size_t kKeptEachSide = 14;
// The items above the names on every page: "Editor..." and a separator.
constexpr std::size_t kHeadItems = 2;

}  // namespace

PageShape WebLoginPageShape(const MenuMetrics& metrics) {
    PageShape shape;
    const int columnWidth = 25 * metrics.averageCharWidth;
    if (columnWidth > 0 && metrics.screenWidth > 0) {
        shape.columns = static_cast<std::size_t>(metrics.screenWidth / columnWidth);
    }
    if (metrics.menuBarHeight > 0 && metrics.screenHeight > 0) {
        shape.rows = static_cast<std::size_t>((metrics.screenHeight / 2) / metrics.menuBarHeight);
    }
    shape.columns = std::max<std::size_t>(shape.columns, 1);
    // A column must hold the head items and a name, else no page ever ends.
    shape.rows = std::max<std::size_t>(shape.rows, kHeadItems + 2);
    return shape;
}

std::u16string ShortenName(std::u16string_view name) {
    if (name.size() < kShortenFrom) {
        return std::u16string(name);
    }
    return std::u16string(name.substr(0, kKeptEachSide)) + u"..." +
           std::u16string(name.substr(name.size() - kKeptEachSide));
}

std::vector<std::u16string> ListWebLoginNames(std::u16string_view folder, std::size_t limit) {
    std::vector<std::u16string> names;
    for (const std::string& file : platform::ListFilesWithExtension(text::ToUtf8(folder), "vxw")) {
        if (names.size() >= limit) {
            break;
        }
        // The extension with its dot ends the name: "x.vxw" gives "x", a file named "vxw" none.
        if (file.size() <= 4 || file.compare(file.size() - 4, 4, ".vxw") != 0) {
            continue;
        }
        names.push_back(text::FromUtf8(file.substr(0, file.size() - 4)));
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const std::u16string& a, const std::u16string& b) {
                         return text::FoldCase(a) < text::FoldCase(b);
                     });
    return names;
}

std::size_t PageStart(PageTurn turn, const PagePositions& positions, std::size_t pageSize) {
    switch (turn) {
        case PageTurn::First:
            return 0;
        case PageTurn::Next:
            return positions.nextStart;
        case PageTurn::Previous:
            break;
    }
    // The previous page held page size places less the head items and its "NEXT PAGE >>", and
    // one more for its "<< PREVIOUS PAGE" unless it was the first page.
    const long long start = static_cast<long long>(positions.currentStart) -
                            static_cast<long long>(pageSize) + static_cast<long long>(kHeadItems) +
                            1;
    if (start <= 0) {
        return 0;
    }
    return static_cast<std::size_t>(start + 1);
}

Menu BuildWebLoginPage(const std::vector<std::u16string>& names, std::size_t start,
                       const PageShape& shape, PagePositions& positions) {
    Menu menu{{MenuItem::Command(u"Editor...", kWebLoginEditor), MenuItem::Separator()}};
    start = std::min(start, names.size());
    positions.currentStart = start;
    positions.nextStart = names.size();
    if (start > 0) {
        menu.items.push_back(MenuItem::Command(kPreviousPageText, kPreviousPage));
    }
    const std::size_t rows = shape.rows;
    std::size_t inColumn = menu.items.size();
    std::size_t column = 0;
    for (std::size_t index = start; index < names.size(); ++index) {
        const bool lastColumn = column + 1 >= shape.columns;
        const std::size_t remaining = names.size() - index;
        if (lastColumn && inColumn + 1 == rows && remaining > 1) {
            positions.nextStart = index;
            menu.items.push_back(MenuItem::Command(kNextPageText, kNextPage));
            return menu;
        }
        MenuItem item = MenuItem::Command(ShortenName(names[index]),
                                          kFirstWebLoginName + static_cast<std::uint32_t>(index));
        if (inColumn >= rows) {
            item.columnBreak = true;
            inColumn = 0;
            ++column;
        }
        menu.items.push_back(std::move(item));
        ++inColumn;
    }
    return menu;
}

}  // namespace veltrix::toolband
