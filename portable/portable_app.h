// CPortableApp: the portable launcher's activation and deactivation. Activation points the
// configuration at the device the launcher runs from and registers the device's extension library;
// deactivation takes the extension out of the browser and deletes the user's configuration. Both
// collect their errors in one list, shown together. The widgets (splash, frame, tray) implement
// ILauncherView; the steps reach the registry (through the settings), processes, windows and files
// through platform/, and show their messages through the UI port.
//
// Errors: every step returns a success flag and adds its message (if it has one) to the error list;
// nothing is thrown.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix::config {
class Settings;
}

namespace veltrix::portable {

// What activation and deactivation show while they run.
class ILauncherView {
public:
    virtual ~ILauncherView() = default;
    // Creates the hidden frame; false ends the launcher.
    virtual bool CreateFrame() = 0;
    // Shows the splash screen with `text` for `displayMs` milliseconds.
    virtual void ShowSplash(std::u16string_view text, int displayMs) = 0;
    // Changes the splash screen's status line.
    virtual void ShowStatus(std::u16string_view text) = 0;
    virtual void CloseSplash() = 0;
    // After a successful activation: the frame goes to its tray state.
    virtual void EnterTray() = 0;
};

// The launcher's folders, each ending in '/'.
struct LauncherFolders {
    std::filesystem::path launcher;  // the device root: the launcher's own folder
    std::filesystem::path portableRoot;
    std::filesystem::path program;
    std::filesystem::path data;
};
// The folders of a launcher whose executable is `executable`.
LauncherFolders FoldersOf(const std::filesystem::path& executable);

enum class InstallState { NotActive, InstalledEdition, PortableActive };

// How long the launcher waits for what it does not control.
struct LauncherLimits {
    // The registry editor's import.
    unsigned importTimeoutMs = 10000;
    // All blocking windows together, after WM_CLOSE was posted to them; windows still open then
    // are left open, so that removing the device ends the launcher within about two seconds.
    int closeWindowsTimeoutMs = 1500;
};

class CPortableApp {
public:
    // `settings` (not owned) is the configuration of the registry the steps change.
    CPortableApp(LauncherFolders folders, ILauncherView& view, config::Settings& settings,
                 LauncherLimits limits = {});

    const LauncherFolders& Folders() const { return m_folders; }
    const std::vector<std::u16string>& Errors() const { return m_errors; }

    // The start-up: true lets the launcher run, false ends it.
    bool Activate();
    // Takes the portable copy off this computer; with `force`, open editor and browser windows
    // are closed first, else they refuse the deactivation.
    bool Deactivate(bool force);
    // Shows and clears the error list.
    void ShowErrors(bool activating);
    // Starts the device's editor with `arguments`: a switch, then after a blank a name (handed to
    // the editor as one argument, blanks and all).
    bool RunEditor(std::u16string_view arguments);
    InstallState CheckInstalled();
    bool RemoveBrowserKeys();
    bool RemoveUserConfiguration();
    bool ImportRegistryFile(const std::filesystem::path& file);
    bool WriteDevicePaths();
    bool RegisterLibrary(bool doRegister);
    bool BlockingWindowsOpen();
    // True when no blocking window is left open.
    bool CloseBlockingWindows();

private:
    // The program the device carries in its program folder, else the one beside this launcher.
    std::filesystem::path DeviceOrSiblingProgram(const std::string& name) const;
    // Steps 7 to 9 of the start-up: import, device paths, library registration.
    bool InstallOnHost();

    LauncherFolders m_folders;
    ILauncherView& m_view;
    config::Settings& m_settings;
    LauncherLimits m_limits;
    std::vector<std::u16string> m_errors;
};

}  // namespace veltrix::portable
