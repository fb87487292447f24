#include "formengine/helper/page_context_menu.h"

namespace veltrix {
namespace {

constexpr std::u16string_view kVeltrixMenuText = u"Veltrix";

std::uint32_t IdOf(IBHOView::DispatchId command) {
    return kVeltrixMenuFirst + static_cast<std::uint32_t>(command);
}

// The items whose state the enabling rule sets, and whether they need forms on the page.
struct EnablingRule {
    IBHOView::DispatchId command;
    bool needsForms;
};
constexpr EnablingRule kEnablingRules[] = {
    {IBHOView::kFillForm, true},    {IBHOView::kSaveForm, true},   {IBHOView::kOptions, false},
    {IBHOView::kIdentities, false}, {IBHOView::kWebLogins, false}, {IBHOView::kSecureNotes, false},
};

// A bounded walk: menus come from the browser, and a submenu deeper than this is not searched.
constexpr int kMaxMenuDepth = 8;

bool AttachAt(PopupMenu& menu, PopupMenu& encoding, int depth) {
    for (MenuItem& item : menu) {
        if (item.id == kEncodingMenuItem && !item.separator) {
            item.popup = true;
            item.items = std::move(encoding);
            return true;
        }
        if (item.popup && depth < kMaxMenuDepth && AttachAt(item.items, encoding, depth + 1)) {
            return true;
        }
    }
    return false;
}

}  // namespace

MenuItem VeltrixSubmenu() {
    return MenuItem::Popup(
        kVeltrixPopupId, std::u16string(kVeltrixMenuText),
        {
            MenuItem::Command(IdOf(IBHOView::kLogoff), u"Logoff"),
            MenuItem::Command(IdOf(IBHOView::kFillForm), u"Fill Form..."),
            MenuItem::Command(IdOf(IBHOView::kSaveForm), u"Save Form..."),
            MenuItem::Command(IdOf(IBHOView::kGeneratePassword), u"Generate Password..."),
            MenuItem::Separator(),
            MenuItem::Command(IdOf(IBHOView::kOptions), u"Options..."),
            MenuItem::Command(IdOf(IBHOView::kIdentities), u"Identities..."),
            MenuItem::Command(IdOf(IBHOView::kWebLogins), u"Web Logins..."),
            MenuItem::Command(IdOf(IBHOView::kSecureNotes), u"Secure Notes..."),
            MenuItem::Separator(),
        });
}

void InsertVeltrixSubmenu(PopupMenu& menu) {
    menu.insert(menu.begin(), {VeltrixSubmenu(), MenuItem::Separator()});
}

void EnableVeltrixItems(MenuItem& popup, bool pageHasForms) {
    if (!popup.popup || popup.id != kVeltrixPopupId) {
        return;
    }
    for (MenuItem& item : popup.items) {
        for (const EnablingRule& rule : kEnablingRules) {
            if (!item.separator && item.id == IdOf(rule.command)) {
                item.enabled = !rule.needsForms || pageHasForms;
            }
        }
    }
}

void AttachEncodingMenu(PopupMenu& menu, PopupMenu encoding) {
    AttachAt(menu, encoding, 0);
}

std::optional<IBHOView::DispatchId> VeltrixCommandOf(std::uint32_t id) {
    if (id <= kVeltrixMenuFirst || id > IdOf(IBHOView::kLogoff)) {
        return std::nullopt;
    }
    return static_cast<IBHOView::DispatchId>(id - kVeltrixMenuFirst);
}

}  // namespace veltrix
