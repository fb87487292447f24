// The launcher frame's decisions without widgets: the tray menu's commands, the double click, the
// device watch, the tray icon's return, and the end of the desktop session. The frame's window
// (ILauncherShell) and the application object (ILauncherActions) are reached through interfaces,
// so that the rules run headless in tests.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "portable/launcher_menu.h"

namespace veltrix::portable {

// The application object as the frame's commands use it.
class ILauncherActions {
public:
    virtual ~ILauncherActions() = default;
    // Starts the device's editor with `arguments`; false when it could not be started.
    virtual bool RunEditor(std::u16string_view arguments) = 0;
    // Takes the portable copy off this computer; false when refused or failed.
    virtual bool Deactivate(bool force) = 0;
    // Shows and clears the collected errors.
    virtual void ShowErrors(bool activating) = 0;
    // The configured current Identity, empty when none.
    virtual std::u16string CurrentIdentity() = 0;
};

// What the frame's window does for its logic.
class ILauncherShell {
public:
    virtual ~ILauncherShell() = default;
    virtual void StartWatch() = 0;
    virtual void StopWatch() = 0;
    // Whether the desktop offers a tray now.
    virtual bool TrayAvailable() = 0;
    // Adds the icon (again); false when the desktop takes none.
    virtual bool ShowTrayIcon() = 0;
    virtual void RemoveTrayIcon() = 0;
    // Closes the frame, which ends the program.
    virtual void CloseFrame() = 0;
    // Opens one of the help pages (a file name in the help folder) with the desktop's opener.
    virtual bool OpenHelpPage(std::string_view page) = 0;
    // Starts the user's browser on one of the help pages; false when it could not be started.
    virtual bool LaunchBrowser(std::string_view page) = 0;
    virtual void ShowAbout() = 0;
    virtual void ShowMessage(std::u16string_view text) = 0;
};

class LauncherFrameLogic {
public:
    enum class State { Starting, InTray, Deactivating, Ended };

    // `devicePresent` tells whether the launcher's folder is still there.
    LauncherFrameLogic(ILauncherShell& shell, ILauncherActions& actions,
                       std::function<bool()> devicePresent);

    State CurrentState() const { return m_state; }
    bool IconShown() const { return m_iconShown; }

    // After a successful activation: the icon goes to the tray, or, without a tray, the launcher
    // runs on without one.
    void EnterTray();
    // A command of the tray menu. Ignored unless in the tray.
    void Execute(LauncherCommand command);
    // A double click on the icon: the default item.
    void DoubleClick();
    // The two-second watch: a device that is gone ends the launcher with a forced deactivation;
    // a tray that came back (again) gets the icon.
    void WatchTick();
    // The desktop session ends or the process is told to terminate: forced deactivation, end.
    // During a deactivation already running, or before the tray state, the end follows that.
    void EndSession();

private:
    void Exit();
    void EndForced();
    void Finish();
    void UpdateTrayIcon();

    ILauncherShell& m_shell;
    ILauncherActions& m_actions;
    std::function<bool()> m_devicePresent;
    State m_state = State::Starting;
    bool m_iconShown = false;
    bool m_endPending = false;
};

}  // namespace veltrix::portable
