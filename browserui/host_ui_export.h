// How a program hands its UI to the libraries it loads (vtxcore, the editor link). Such a
// library keeps its own copy of the UI port and asks the program, through this exported C
// function, which implementation to use.
//
// To export it, a program target calls veltrix_export_host_ui(<target>) in its CMakeLists.txt:
// that compiles host_ui_export.cpp into the program and puts the function into the program's
// dynamic symbol table. The libraries then follow whatever the program installs with
// veltrix::ui::SetCurrentUi, also when it changes later.
#pragma once

#include "platform/host_services.h"
#include "ui/ui_port.h"

// A UI that forwards every call to the program's current UI, valid for the program's life.
extern "C" veltrix::ui::IUserInterface* VeltrixHostUserInterface();
// The program's event loop and window messaging, for the libraries' timers and messages.
extern "C" const veltrix::platform::HostServices* VeltrixHostPlatformServices();
