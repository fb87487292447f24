// The "Veltrix" and "Help" drop-down menus of the band.
#pragma once

#include "browserui/toolband/band_menu.h"

namespace veltrix::toolband {

// "Logoff" to "Secure Notes...", the "Toolbar" submenu and the "Help" submenu.
Menu VeltrixMenu();
// "Contents and Index" to "About Veltrix...".
Menu HelpMenu();

}  // namespace veltrix::toolband
