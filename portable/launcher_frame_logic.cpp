#include "portable/launcher_frame_logic.h"

#include <string>

#include "formengine/helper/browser_launch.h"

namespace veltrix::portable {

LauncherFrameLogic::LauncherFrameLogic(ILauncherShell& shell, ILauncherActions& actions,
                                       std::function<bool()> devicePresent)
    : m_shell(shell), m_actions(actions), m_devicePresent(std::move(devicePresent)) {}

void LauncherFrameLogic::EnterTray() {
    if (m_state != State::Starting) {
        return;
    }
    m_state = State::InTray;
    m_iconShown = m_shell.ShowTrayIcon();
    if (!m_iconShown) {
        m_shell.RemoveTrayIcon();
    }
    if (m_endPending) {
        EndForced();
    }
}

void LauncherFrameLogic::DoubleClick() {
    Execute(kDefaultCommand);
}

void LauncherFrameLogic::Execute(LauncherCommand command) {
    if (m_state != State::InTray) {
        return;
    }
    if (IsEditorCommand(command)) {
        const std::u16string identity =
            command == LauncherCommand::Identities ? m_actions.CurrentIdentity() : u"";
        m_actions.RunEditor(EditorArguments(command, identity));
        return;
    }
    switch (command) {
        case LauncherCommand::HelpContents:
            m_shell.OpenHelpPage(kHelpContentsPage);
            break;
        case LauncherCommand::LauncherHelp:
            m_shell.OpenHelpPage(std::to_string(kLauncherHelpContext) + ".html");
            break;
        case LauncherCommand::Faq:
        case LauncherCommand::Support:
            if (!m_shell.LaunchBrowser(command == LauncherCommand::Faq ? kFaqPage : kSupportPage)) {
                m_shell.ShowMessage(kBrowserLaunchFailed);
            }
            break;
        case LauncherCommand::About:
            m_shell.ShowAbout();
            break;
        case LauncherCommand::Exit:
            Exit();
            break;
        default:
            break;
    }
}

void LauncherFrameLogic::Exit() {
    m_shell.StopWatch();
    m_state = State::Deactivating;
    const bool removed = m_actions.Deactivate(false);
    if (removed) {
        Finish();
        return;
    }
    if (m_endPending) {
        // The session ended or a signal came while the refused deactivation ran.
        m_state = State::InTray;
        EndForced();
        return;
    }
    m_state = State::InTray;
    m_actions.ShowErrors(false);
    // Still running: the device may yet be pulled out, so the watch goes on (unless the session
    // ended while the errors were shown).
    if (m_state == State::InTray) {
        m_shell.StartWatch();
    }
}

void LauncherFrameLogic::WatchTick() {
    if (m_state != State::InTray) {
        return;
    }
    if (!m_devicePresent()) {
        EndForced();
        return;
    }
    UpdateTrayIcon();
}

void LauncherFrameLogic::UpdateTrayIcon() {
    if (!m_shell.TrayAvailable()) {
        // The icon went with the tray; it is added again when a tray is back.
        m_iconShown = false;
        return;
    }
    if (!m_iconShown) {
        m_iconShown = m_shell.ShowTrayIcon();
    }
}

void LauncherFrameLogic::EndSession() {
    EndForced();
}

void LauncherFrameLogic::EndForced() {
    if (m_state == State::Ended) {
        return;
    }
    if (m_state == State::Deactivating || m_state == State::Starting) {
        // Deactivating now, or activating still: the end follows what runs.
        m_endPending = true;
        return;
    }
    m_shell.StopWatch();
    m_state = State::Deactivating;
    m_actions.Deactivate(true);
    Finish();
}

void LauncherFrameLogic::Finish() {
    m_state = State::Ended;
    m_iconShown = false;
    m_shell.RemoveTrayIcon();
    m_shell.CloseFrame();
}

}  // namespace veltrix::portable
