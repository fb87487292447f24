// The launcher's own pictures, drawn in code: the splash picture (398 by 297, pure magenta
// outside its shape, room for the status line along its lower edge) and the tray icon. The
// program draw_launcher_art writes them as the PNG files this library carries as resources.
#pragma once

#include <QImage>

namespace veltrix::portable::qt {

QImage DrawSplashPicture();
QImage DrawTrayIcon(int size = 64);

}  // namespace veltrix::portable::qt
