// The Qt UI plugin (libvtxui_qt.so, beside the programs): a library that hosts running a Qt
// application load to show the UI port with Qt without linking Qt themselves. This header
// includes no Qt header.
#pragma once

#include "ui/ui_port.h"

namespace veltrix::ui {

inline constexpr char kQtUiPluginFile[] = "libvtxui_qt.so";
inline constexpr char kQtUiPluginEntry[] = "VeltrixQtUserInterface";
using QtUiPluginEntry = IUserInterface* (*)();

}  // namespace veltrix::ui

// The plugin's only export: the process-wide Qt implementation of the UI port, valid while a
// QApplication exists. Install it with SetCurrentUi.
extern "C" veltrix::ui::IUserInterface* VeltrixQtUserInterface();
