// The window's Tools menu and command buttons: the command extensions the registry lists
// (browser_menus.h), each item with its status-bar text, the buttons shown by default, and the
// running of a command as the browser does it (created, sited on the window's browser object,
// asked for its status, executed with command id 0).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "browserhost/browser_menus.h"
#include "formengine/helper/web_browser.h"

class QMenu;
class QToolBar;

namespace veltrix::browserhost {

using CommandRunner = std::function<void(const CommandExtension& command)>;

// Adds an item to `menu` for every command with a menu text (status tip: its MenuStatusBar).
void AddToolsMenuItems(QMenu& menu, const std::vector<CommandExtension>& commands,
                       const CommandRunner& run);
// Adds a button to `bar` for every command whose button is shown by default.
void AddCommandButtons(QToolBar& bar, const std::vector<CommandExtension>& commands,
                       const CommandRunner& run);

}  // namespace veltrix::browserhost
