// CMainFrame: the launcher's frame, titled "VeltrixPortable" and never shown. It holds the tray
// icon with its menu, the two-second watch over the device, and the ends of the desktop session
// and of the process (SIGTERM and the like); LauncherFrameLogic decides what each of them does.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "portable/device_watch.h"
#include "portable/launcher_frame_logic.h"
#include "portable/termination_signals.h"

class QAction;
class QMenu;
class QMessageBox;
class QSocketNotifier;
class QSystemTrayIcon;

namespace veltrix::portable::qt {

inline constexpr int kWatchPeriodMs = 2000;
inline constexpr char16_t kFrameTitle[] = u"VeltrixPortable";

class CMainFrame : public QMainWindow, private ILauncherShell {
    Q_OBJECT

public:
    // `deviceRoot`: the launcher's folder, watched; `helpFolder`: where the help pages are.
    CMainFrame(ILauncherActions& actions, std::filesystem::path deviceRoot,
               std::filesystem::path helpFolder, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Starts the watch; false when no timer could be started (the launcher then ends).
    bool Create();
    // After a successful activation: into the tray (or on without an icon).
    void EnterTray();

    LauncherFrameLogic& Logic() { return m_logic; }
    QMenu* TrayMenu() const { return m_menu; }
    QAction* CommandAction(LauncherCommand command) const;
    bool HasTrayIcon() const { return m_tray != nullptr && m_iconVisible; }
    bool WatchActive() const { return m_watch.isActive(); }
    // What the tray icon reports; a double click runs the default item.
    void OnTrayActivated(int reason);
    // The About box (program information and version), built without being shown.
    std::unique_ptr<QMessageBox> MakeAboutBox();

    // How FAQ and Technical Support start the browser (default: the system's LaunchBrowser on
    // the page's file address); for tests.
    void SetBrowserLauncher(std::function<bool(const std::u16string& address)> launcher);

signals:
    // The frame closed: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenu();
    void WatchTermination();

    // ILauncherShell
    void StartWatch() override;
    void StopWatch() override;
    bool TrayAvailable() override;
    bool ShowTrayIcon() override;
    void RemoveTrayIcon() override;
    void CloseFrame() override;
    bool OpenHelpPage(std::string_view page) override;
    bool LaunchBrowser(std::string_view page) override;
    void ShowAbout() override;
    void ShowMessage(std::u16string_view text) override;

    DeviceWatch m_device;
    std::filesystem::path m_helpFolder;
    LauncherFrameLogic m_logic;
    QTimer m_watch;
    QMenu* m_menu = nullptr;
    QMap<int, QAction*> m_actions;
    QSystemTrayIcon* m_tray = nullptr;
    bool m_iconVisible = false;
    std::unique_ptr<TerminationSignals> m_signals;
    QSocketNotifier* m_signalNotifier = nullptr;
    std::function<bool(const std::u16string&)> m_browser;
};

}  // namespace veltrix::portable::qt
