// The script lines that reach the browser's menus (browser_menus.h):
//
//   tools TEXT                       chooses the Tools-menu item TEXT
//   button TEXT                      presses the browser button TEXT
//   context [@SEL] [ITEM...]         right-clicks the element SEL (else the page) and chooses the
//                                    item at the path ITEM... (none: the menu is dismissed)
//   expect menu MENU [ITEM...]       MENU holds exactly these items, in order ("-": a separator)
//   expect enabled MENU ITEM...      each ITEM of MENU is there and enabled
//   expect disabled MENU ITEM...     each ITEM of MENU is there and disabled
//
// MENU is "tools", "buttons", "context" (the last context menu shown) or a submenu of it as
// "context/TEXT[/TEXT...]".
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "browserhost/browse_script.h"
#include "browserhost/browser_menus.h"

namespace veltrix::browserhost {

// The shapes of these lines, for the script's parser.
std::span<const CommandShape> MenuVerbShapes();
// Checks what the shapes cannot (the menu names); true for every other line.
bool CheckMenuVerb(const std::vector<std::string>& words, std::string& error);
// Whether the line is one of these.
bool IsMenuVerb(const std::vector<std::string>& words);

class MenuVerbs {
public:
    MenuVerbs(HeadlessBrowser& browser, std::ostream& out) : m_menus(browser, out), m_out(out) {}

    // Runs a line for which IsMenuVerb holds; false with `error` when it fails.
    bool Run(const std::vector<std::string>& words, std::string& error);

    BrowserMenus& Menus() { return m_menus; }

private:
    bool RunExtension(bool button, const std::string& text, std::string& error);
    bool Expect(const std::vector<std::string>& words, std::string& error);
    // The items of the menu a check names, as the user sees them now.
    bool MenuItems(const std::string& name, PopupMenu& items, std::string& error);

    BrowserMenus m_menus;
    std::ostream& m_out;
};

}  // namespace veltrix::browserhost
