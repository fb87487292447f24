// The paged Web Login menu: the names of the saved Web Logins in columns that fill the screen,
// one page at a time, with items that turn to the previous and the next page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "browserui/toolband/band_menu.h"

namespace veltrix::toolband {

// What the page size is made from, in pixels.
struct MenuMetrics {
    int screenWidth = 0;
    int screenHeight = 0;
    int averageCharWidth = 0;
    int menuBarHeight = 0;
};

struct PageShape {
    std::size_t columns = 0;
    std::size_t rows = 0;
    std::size_t Size() const { return columns * rows; }
};

// Columns of 25 average characters across the screen, rows of menu-bar height down half of it;
// at least one of each, so that a tiny screen or a broken metric still lists names.
PageShape WebLoginPageShape(const MenuMetrics& metrics);

// A name of 30 characters or more as its first 14 characters, "..." and its last 14.
std::u16string ShortenName(std::u16string_view name);

// The names of the Web Login files in `folder` (files ending exactly in ".vxw"), without the
// extension, sorted without regard to letter case; at most `limit` of them.
std::vector<std::u16string> ListWebLoginNames(std::u16string_view folder,
                                              std::size_t limit = 100000);

enum class PageTurn { First, Next, Previous };

// The pager's memory between two openings of the menu.
struct PagePositions {
    std::size_t currentStart = 0;
    std::size_t nextStart = 0;
};

// The start of the page to show for `turn`, from the positions of the page shown before.
std::size_t PageStart(PageTurn turn, const PagePositions& positions, std::size_t pageSize);

// Builds the menu page that starts at `start`: "Editor...", a separator, "<< PREVIOUS PAGE" when
// the page is not the first, the names in columns of `shape.rows` (a name's id is
// kFirstWebLoginName plus its index), and "NEXT PAGE >>" when names are left over; sets
// `positions` to this page.
Menu BuildWebLoginPage(const std::vector<std::u16string>& names, std::size_t start,
                       const PageShape& shape, PagePositions& positions);

}  // namespace veltrix::toolband
