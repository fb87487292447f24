// The Qt UI plugin (libvtxui_qt.so, beside the programs): a library loaded into a host that runs a
// Qt application, but offers no UI of its own, shows its message boxes, prompts and every
// feature's views with Qt and runs its timers on the Qt event loop through it, without linking Qt
// itself. The plugin exports one C function, VeltrixQtUiPluginV1, which hands out the table below;
// a change to the table's layout takes a new version number and a new entry name. This header
// includes no Qt header.
#pragma once

#include <cstdint>

#include "platform/event_loop.h"
#include "ui/ui_port.h"
#include "ui/views.h"

namespace veltrix::browserui {

inline constexpr char kQtUiPluginFile[] = "libvtxui_qt.so";
inline constexpr char kQtUiPluginEntry[] = "VeltrixQtUiPluginV1";
inline constexpr std::uint32_t kQtUiPluginVersion = 1;

struct QtUiPlugin {
    // kQtUiPluginVersion.
    std::uint32_t version;
    // Whether the process runs a Qt application now; the plugin's UI and views serve only then.
    bool (*applicationRunning)();
    // The process-wide Qt implementation of the UI port.
    ui::IUserInterface* userInterface;
    // The Qt views of every feature.
    ui::IViewFactory* views;
    // The calling thread's QtEventLoop, made at the thread's first call and living as long as the
    // thread; null while no Qt application exists. Its timer and watch ids come from the plugin's
    // own counters.
    platform::IEventLoop* (*threadEventLoop)();
};

using QtUiPluginEntry = const QtUiPlugin* (*)();

}  // namespace veltrix::browserui

// The plugin's only export.
extern "C" const veltrix::browserui::QtUiPlugin* VeltrixQtUiPluginV1();
