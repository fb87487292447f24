// The folder layout of a removable device that the vault runs from: the editor's device export
// builds it and the portable launcher runs from it. Paths are relative to the device root (the
// mount point, or the folder the launcher was started from).
#pragma once

#include <array>
#include <string_view>

namespace veltrix::device {

// <root>/Veltrix Portable/
inline constexpr std::u16string_view kPortableFolder = u"Veltrix Portable";
// <root>/Veltrix Portable/Data Files/: every record file and the exported configuration.
inline constexpr std::u16string_view kDataFolder = u"Data Files";
// <root>/Veltrix Portable/Program Files/: the programs below.
inline constexpr std::u16string_view kProgramFolder = u"Program Files";
// The exported configuration in the data folder.
inline constexpr std::u16string_view kRegistryFile = u"Veltrix.reg";
// The launcher, in the program folder and a second copy at the device root.
inline constexpr std::u16string_view kLauncher = u"VeltrixPortable";
// The configuration tree the device carries.
inline constexpr std::u16string_view kConfigurationKey =
    u"HKEY_CURRENT_USER\\Software\\Orvane\\Veltrix";

// What the programs need beside themselves to run from the device, copied from the install
// folder into the program folder. A name ending in '/' is a folder, copied with its files and
// folders. The device export takes one progress step per entry, and one more for the launcher's
// second copy at the device root.
inline constexpr std::array<std::u16string_view, 10> kProgramFiles = {
    u"libvtxcore.so",    // the extension library and the session
    u"libvtxui_qt.so",   // the Qt UI plug-in the library shows its dialogs through
    u"vtxedit",          // the editor
    u"vtxreg",           // the registry editor (import and export of the configuration)
    u"vtxsessiond",      // the session's watchdog
    u"vtxbrowse",        // the browser host
    u"vtx",              // the command-line front end
    u"VeltrixPortable",  // the launcher
    u"help/",            // the help pages
    u"screenshots/",     // the pictures the help pages show
};

}  // namespace veltrix::device
