// The Qt UI plugin (libvtxui_qt.so, beside the programs): a library that hosts running a Qt
// application load to show the UI port with Qt, and to run timers on the Qt event loop, without
// linking Qt themselves. This header includes no Qt header.
#pragma once

#include "platform/event_loop.h"
#include "ui/ui_port.h"

namespace veltrix::ui {

inline constexpr char kQtUiPluginFile[] = "libvtxui_qt.so";
inline constexpr char kQtUiPluginEntry[] = "VeltrixQtUserInterface";
using QtUiPluginEntry = IUserInterface* (*)();
inline constexpr char kQtEventLoopPluginEntry[] = "VeltrixQtEventLoop";
using QtEventLoopPluginEntry = platform::IEventLoop* (*)();

}  // namespace veltrix::ui

// The plugin's exports, these two only.
//
// The process-wide Qt implementation of the UI port, valid while a QApplication exists. Install
// it with SetCurrentUi.
extern "C" veltrix::ui::IUserInterface* VeltrixQtUserInterface();
// The calling thread's QtEventLoop, made at the thread's first call and living as long as the
// thread; null while no QCoreApplication exists. Its timer and watch ids come from the plugin's
// own counters.
extern "C" veltrix::platform::IEventLoop* VeltrixQtEventLoop();
