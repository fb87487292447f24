// Renders the launcher's splash screen (with a status line, over a plain desktop), its tray menu
// with the Help submenu, and its About box to PNG files, for the documentation and for review.
#pragma once

#include <QString>

namespace veltrix::portable::qt {

// Writes launcher_splash.png, launcher_tray_menu.png and about_veltrix_portable.png into
// `folder`; true when every picture was written.
bool RenderLauncherScreenshots(const QString& folder);

}  // namespace veltrix::portable::qt
