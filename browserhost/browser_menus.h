// The headless browser's menus that the extension takes part in: the Tools menu and the button
// bar, built from the command extensions the registry lists under kBrowserExtensionsKey, and the
// page's context menu, which the document's UI handler (the helper object) may replace.
//
// A context menu is shown to a scripted user: the user opens every submenu (so that each handler
// hears of it before it opens) and then chooses the item named by a path of item texts, or
// nothing. The menu as the user saw it stays available for checks.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "browserhost/headless_browser.h"
#include "formengine/helper/document_host.h"
#include "platform/registry.h"

namespace veltrix::browserhost {

// One command extension of the browser.
struct CommandExtension {
    com::Guid clsid;          // the command object's class (ClsidExtension)
    std::u16string menuText;  // empty: no Tools-menu item
    std::u16string buttonText;
    bool buttonVisible = false;  // a button shown by default ("Default Visible" is "Yes")
    std::u16string statusText;   // MenuStatusBar: what the status bar says while it is pointed at
};

// The command extensions, in the order of their keys; entries of another kind or without a
// readable class are left out.
std::vector<CommandExtension> ReadCommandExtensions(platform::Registry& registry);

// Runs `command` as the browser does: creates its object, sites it on `site`, asks its status and
// executes it when enabled, then takes the site back. The command's result; `problem` says what
// failed.
com::HRESULT RunCommandExtension(IWebBrowser* site, const CommandExtension& command,
                                 std::string& problem);

// The headless browser's own context menu for `kind`, and its encoding submenu.
PopupMenu OwnContextMenu(ContextMenuKind kind);
PopupMenu EncodingMenu();

// The browser's command ids of its own context-menu items that do something here.
inline constexpr std::uint32_t kRefreshCommand = 6042;

class BrowserMenus {
public:
    // Progress (menus shown, commands run) goes to `out`.
    BrowserMenus(HeadlessBrowser& browser, std::ostream& out);
    ~BrowserMenus();
    BrowserMenus(const BrowserMenus&) = delete;
    BrowserMenus& operator=(const BrowserMenus&) = delete;

    // The Tools menu's extension items and the buttons shown, as the registry lists them now.
    std::vector<CommandExtension> ToolsMenu() const;
    std::vector<CommandExtension> Buttons() const;

    // Whether the command object reports the command enabled (QueryStatus with the top browser as
    // site); false when it cannot be created.
    bool IsEnabled(const CommandExtension& command);
    // Runs the command as the browser does: creates the object, hands it the top browser as site,
    // asks QueryStatus and, when enabled, calls Exec with command id 0. The command's result;
    // `problem` says what failed.
    com::HRESULT Run(const CommandExtension& command, std::string& problem);

    // Right-click on the element `selector` names (empty: the page itself), then choose the item
    // at `choice` (item texts from the top, empty: dismiss the menu). False with `error` when
    // there is no such element, the window is closed, or the choice is missing or disabled.
    bool OpenContextMenu(std::u16string_view selector, const std::vector<std::u16string>& choice,
                         std::string& error);
    // The last context menu shown, as the user saw it; nullopt before the first.
    const std::optional<PopupMenu>& LastContextMenu() const { return m_lastMenu; }

private:
    class Target;

    HeadlessBrowser& m_browser;
    std::ostream& m_out;
    std::optional<PopupMenu> m_lastMenu;
};

// The items of `menu` as one line of texts: "-" for a separator, "(TEXT)" for a disabled item,
// "TEXT >" for a submenu.
std::string DescribeMenu(const PopupMenu& menu);

// The submenu of `menu` at `path` (item texts), or `menu` itself for an empty path; null when
// there is none.
const PopupMenu* SubmenuAt(const PopupMenu& menu, const std::vector<std::u16string>& path);

}  // namespace veltrix::browserhost
