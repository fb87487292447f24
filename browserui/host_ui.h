// The UI of a library loaded into a host program. A process chooses its UI implementation and its
// view factory at start, but a library that links its own copy of the UI port starts with the
// silent UI and no views; it must show its messages, prompts and views through the host's. The
// host registers its UI through an exported, versioned C function (host_ui_export.h); a host
// without it that runs a Qt application gets the Qt UI plugin from the library's own folder,
// which tells through its own versioned entry whether the application exists
// (browserui/qt/qt_ui_plugin.h).
#pragma once

namespace veltrix::browserui {

enum class HostUiSource {
    None,        // nothing found: the library keeps the silent UI
    HostExport,  // the host program's VeltrixHostUiV1
    QtPlugin,    // libvtxui_qt.so beside the library, in a host running a Qt application
    SameModule,  // the export belongs to this very module: its UI is already the process's
};

// Finds the host's UI and installs it, with the host's views, as this module's current ones. Once
// one was found, later calls return the same source without looking again.
HostUiSource InstallHostUi();

}  // namespace veltrix::browserui
