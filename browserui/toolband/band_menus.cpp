#include "browserui/toolband/band_menus.h"

#include "browserui/toolband/band_buttons.h"

namespace veltrix::toolband {
namespace {

std::vector<MenuItem> HelpItems() {
    return {
        MenuItem::Command(u"Contents and Index", kMenuContents),
        MenuItem::Command(u"Toolbar Help", kMenuToolbarHelp),
        MenuItem::Separator(),
        MenuItem::Command(u"FAQ", kMenuFaq),
        MenuItem::Command(u"Technical Support", kMenuSupport),
        MenuItem::Separator(),
        MenuItem::Command(u"About Veltrix...", kMenuAbout),
    };
}

}  // namespace

Menu VeltrixMenu() {
    return {{
        MenuItem::Command(u"Logoff", kMenuLogoff),
        MenuItem::Command(u"Fill Form...", kMenuFillForm),
        MenuItem::Command(u"Save Form...", kMenuSaveForm),
        MenuItem::Command(u"Generate Password...", kMenuGenerate),
        MenuItem::Separator(),
        MenuItem::Command(u"Options...", kMenuOptions),
        MenuItem::Command(u"Identities...", kMenuIdentities),
        MenuItem::Command(u"Web Logins...", kMenuWebLogins),
        MenuItem::Command(u"Secure Notes...", kMenuSecureNotes),
        MenuItem::Separator(),
        MenuItem::Submenu(u"Toolbar", {MenuItem::Command(u"Customize...", kMenuCustomize),
                                       MenuItem::Command(u"Help", kMenuToolbarHelp),
                                       MenuItem::Command(u"Hide", kMenuHide)}),
        MenuItem::Separator(),
        MenuItem::Submenu(u"Help", HelpItems()),
    }};
}

Menu HelpMenu() {
    return {HelpItems()};
}

std::optional<ToolbarButton> FindButton(std::uint32_t commandId) {
    for (const ToolbarButton& button : kButtons) {
        if (button.commandId == commandId) {
            return button;
        }
    }
    return std::nullopt;
}

std::optional<ToolbarButton> FindButtonByText(std::u16string_view text) {
    for (const ToolbarButton& button : kButtons) {
        if (button.text == text) {
            return button;
        }
    }
    return std::nullopt;
}

}  // namespace veltrix::toolband
