// How a program hands its UI to the libraries it loads (vtxcore, the editor link). Such a library
// keeps its own copy of the UI port and of the view factory, and asks the program, through one
// exported C function, which implementations to use.
//
// To export it, a program target calls veltrix_export_host_ui(<target>) in its CMakeLists.txt:
// that compiles host_ui_export.cpp into the program and puts VeltrixHostUiV1 into the program's
// dynamic symbol table. The libraries then follow whatever the program installs with
// veltrix::ui::SetCurrentUi and veltrix::ui::SetCurrentViewFactory, also when it changes later.
// A change to the table's layout takes a new version number and a new entry name.
#pragma once

#include <cstdint>

#include "platform/host_services.h"
#include "ui/ui_port.h"
#include "ui/views.h"

namespace veltrix::browserui {

inline constexpr char kHostUiEntry[] = "VeltrixHostUiV1";
inline constexpr std::uint32_t kHostUiVersion = 1;

// What the program hands over, valid for the program's life.
struct HostUi {
    // kHostUiVersion.
    std::uint32_t version;
    // A UI that forwards every call to the program's current UI.
    ui::IUserInterface* userInterface;
    // A view factory that forwards to the program's current factory.
    ui::IViewFactory* views;
    // The program's event loop and window messaging, for the libraries' timers and messages.
    const platform::HostServices* services;
};

}  // namespace veltrix::browserui

extern "C" const veltrix::browserui::HostUi* VeltrixHostUiV1();
