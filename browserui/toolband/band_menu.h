// A menu as the band's logic builds it and its views show it: items with command ids, separators,
// column breaks and submenus.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix::toolband {

struct MenuItem {
    std::u16string text;
    std::uint32_t id = 0;  // 0 for a separator or a submenu
    bool separator = false;
    bool enabled = true;
    bool columnBreak = false;     // the item begins a new column
    std::vector<MenuItem> items;  // a submenu when not empty

    static MenuItem Command(std::u16string_view text, std::uint32_t id) {
        return {std::u16string(text), id, false, true, false, {}};
    }
    static MenuItem Separator() { return {{}, 0, true, true, false, {}}; }
    static MenuItem Submenu(std::u16string_view text, std::vector<MenuItem> items) {
        return {std::u16string(text), 0, false, true, false, std::move(items)};
    }
    bool IsSubmenu() const { return !items.empty(); }
};

struct Menu {
    std::vector<MenuItem> items;
};

// The command item whose text is `path`, looked for in the menu, then depth first in its
// submenus; else `path` as item texts joined by '>' that lead through submenus ("Toolbar>Help").
// Null when there is none.
const MenuItem* FindMenuItem(const Menu& menu, std::u16string_view path);

}  // namespace veltrix::toolband
