// The UI of a library loaded into a host program. A process chooses its UI implementation at
// start, but a library that links its own copy of the UI port starts with the silent one; it must
// show its messages and prompts through the host's. The host offers its UI through an exported C
// function (host_ui_export.h); a host without it that runs a Qt application gets the Qt UI plugin
// from the library's own folder.
#pragma once

namespace veltrix::browserui {

// The host program's export that hands its UI to the libraries it loads.
inline constexpr char kHostUiEntry[] = "VeltrixHostUserInterface";
// Its export of the event loop and window messaging.
inline constexpr char kHostServicesEntry[] = "VeltrixHostPlatformServices";

enum class HostUiSource {
    None,        // nothing found: the library keeps the silent UI
    HostExport,  // the host program's VeltrixHostUserInterface
    QtPlugin,    // libvtxui_qt.so beside the library, in a host running a Qt application
    SameModule,  // the export belongs to this very module: its UI is already the process's
};

// Finds the host's UI and installs it as this module's current UI. Once one was found, later
// calls return the same source without looking again.
HostUiSource InstallHostUi();

}  // namespace veltrix::browserui
