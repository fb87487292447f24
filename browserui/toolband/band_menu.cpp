#include "browserui/toolband/band_menu.h"

namespace veltrix::toolband {
namespace {

const MenuItem* FindByText(const std::vector<MenuItem>& items, std::u16string_view text,
                           bool descend) {
    for (const MenuItem& item : items) {
        if (!item.separator && !item.IsSubmenu() && item.text == text) {
            return &item;
        }
    }
    if (!descend) {
        return nullptr;
    }
    // Menus are shallow (two levels), so the recursion stays bounded.
    for (const MenuItem& item : items) {
        if (item.IsSubmenu()) {
            if (const MenuItem* found = FindByText(item.items, text, true)) {
                return found;
            }
        }
    }
    return nullptr;
}

const MenuItem* FindSubmenu(const std::vector<MenuItem>& items, std::u16string_view text) {
    for (const MenuItem& item : items) {
        if (item.IsSubmenu() && item.text == text) {
            return &item;
        }
    }
    return nullptr;
}

}  // namespace

const MenuItem* FindMenuItem(const Menu& menu, std::u16string_view path) {
    const std::vector<MenuItem>* level = &menu.items;
    std::size_t start = 0;
    // The whole text first: item texts may hold '>' themselves ("NEXT PAGE >>").
    if (const MenuItem* whole = FindByText(*level, path, true)) {
        return whole;
    }
    std::size_t bar = path.find(u'>');
    while (bar != std::u16string_view::npos) {
        const MenuItem* submenu = FindSubmenu(*level, path.substr(start, bar - start));
        if (submenu == nullptr) {
            return nullptr;
        }
        level = &submenu->items;
        start = bar + 1;
        bar = path.find(u'>', start);
    }
    return FindByText(*level, path.substr(start), false);
}

}  // namespace veltrix::toolband
