#include "portable/qt/launcher_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFont>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QUrl>

#include "formengine/helper/browser_launch.h"
#include "portable/qt/splash_screen_ex.h"
#include "ui/qt/qt_support.h"
#include "ui/ui_port.h"

namespace veltrix::portable::qt {
namespace {

using ui::qt::ToQString;

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

bool DefaultBrowserLauncher(const std::u16string& address) {
    return veltrix::LaunchBrowser(address) == 0;
}

}  // namespace

CMainFrame::CMainFrame(ILauncherActions& actions, std::filesystem::path deviceRoot,
                       std::filesystem::path helpFolder, QWidget* parent)
    : QMainWindow(parent),
      m_device(std::move(deviceRoot)),
      m_helpFolder(std::move(helpFolder)),
      m_logic(*this, actions, [this] { return m_device.Present(); }),
      m_browser(DefaultBrowserLauncher) {
    EnsureLauncherResources();
    setWindowTitle(ToQString(kFrameTitle));
    setWindowIcon(QIcon(QString::fromLatin1(kTrayIconPicture)));
    setCentralWidget(new QWidget(this));
    m_watch.setInterval(kWatchPeriodMs);
    connect(&m_watch, &QTimer::timeout, this, [this] { m_logic.WatchTick(); });
    CreateMenu();
    WatchTermination();
    // The session manager ends the session by quitting the application.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_logic.EndSession(); });
}

CMainFrame::~CMainFrame() {
    m_watch.stop();
    if (m_tray != nullptr) {
        m_tray->hide();
    }
}

bool CMainFrame::Create() {
    m_watch.start();
    return m_watch.isActive();
}

void CMainFrame::EnterTray() {
    m_logic.EnterTray();
}

void CMainFrame::CreateMenu() {
    m_menu = new QMenu(this);
    QMenu* current = m_menu;
    for (const TrayMenuItem& item : portable::TrayMenu()) {
        switch (item.kind) {
            case TrayMenuItem::Kind::Separator:
                current->addSeparator();
                break;
            case TrayMenuItem::Kind::SubmenuStart:
                current = m_menu->addMenu(ToQString(item.text));
                break;
            case TrayMenuItem::Kind::SubmenuEnd:
                current = m_menu;
                break;
            case TrayMenuItem::Kind::Command: {
                QAction* action = current->addAction(ToQString(item.text));
                const LauncherCommand command = item.command;
                // Queued: the menu closes before a command opens a window or ends the program.
                connect(
                    action, &QAction::triggered, this,
                    [this, command] { m_logic.Execute(command); }, Qt::QueuedConnection);
                m_actions.insert(static_cast<int>(command), action);
                break;
            }
        }
    }
    QAction* defaultAction = CommandAction(kDefaultCommand);
    m_menu->setDefaultAction(defaultAction);
    QFont bold = defaultAction->font();
    bold.setBold(true);
    defaultAction->setFont(bold);
}

QAction* CMainFrame::CommandAction(LauncherCommand command) const {
    return m_actions.value(static_cast<int>(command), nullptr);
}

void CMainFrame::WatchTermination() {
    m_signals = std::make_unique<TerminationSignals>();
    if (!m_signals->Installed()) {
        m_signals.reset();
        return;
    }
    m_signalNotifier = new QSocketNotifier(m_signals->ReadFd(), QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, [this] {
        if (m_signals->Drain()) {
            m_logic.EndSession();
        }
    });
}

void CMainFrame::OnTrayActivated(int reason) {
    if (reason == QSystemTrayIcon::DoubleClick) {
        m_logic.DoubleClick();
    }
}

void CMainFrame::SetBrowserLauncher(std::function<bool(const std::u16string&)> launcher) {
    m_browser = std::move(launcher);
}

void CMainFrame::StartWatch() {
    m_watch.start();
}

void CMainFrame::StopWatch() {
    m_watch.stop();
}

bool CMainFrame::TrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool CMainFrame::ShowTrayIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    if (m_tray == nullptr) {
        m_tray = new QSystemTrayIcon(QIcon(QString::fromLatin1(kTrayIconPicture)), this);
        m_tray->setToolTip(ToQString(kTrayTip));
        m_tray->setContextMenu(m_menu);
        connect(m_tray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) { OnTrayActivated(reason); });
    }
    // Hiding first makes the desktop's (new) tray take the icon again.
    m_tray->hide();
    m_tray->show();
    m_iconVisible = m_tray->isVisible();
    return m_iconVisible;
}

void CMainFrame::RemoveTrayIcon() {
    if (m_tray != nullptr) {
        m_tray->hide();
    }
    m_iconVisible = false;
}

void CMainFrame::CloseFrame() {
    close();
}

bool CMainFrame::OpenHelpPage(std::string_view page) {
    const std::filesystem::path path = m_helpFolder / page;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(PathText(path)));
}

bool CMainFrame::LaunchBrowser(std::string_view page) {
    const QString address =
        QUrl::fromLocalFile(PathText(m_helpFolder / page)).toString(QUrl::FullyEncoded);
    return m_browser && m_browser(address.toStdU16String());
}

std::unique_ptr<QMessageBox> CMainFrame::MakeAboutBox() {
    auto box = std::make_unique<QMessageBox>(this);
    box->setWindowTitle(QStringLiteral("About Veltrix Portable"));
    box->setIconPixmap(QIcon(QString::fromLatin1(kTrayIconPicture)).pixmap(48, 48));
    box->setText(QStringLiteral("<b>Veltrix Portable</b>"));
    box->setInformativeText(
        QStringLiteral("Version %1\n\nRuns Veltrix from a removable device: your Identities, "
                       "Web Logins and Secure Notes stay on the device, and nothing of Veltrix "
                       "is left on this computer when you exit or remove the device.\n\n"
                       "Device: %2")
            .arg(QStringLiteral(VELTRIX_VERSION), PathText(m_device.Root())));
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

void CMainFrame::ShowAbout() {
    auto box = MakeAboutBox();
    box->exec();
}

void CMainFrame::ShowMessage(std::u16string_view text) {
    ui::ShowMessage(text, ui::Icon::Exclamation);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_watch.stop();
    RemoveTrayIcon();
    event->accept();
    emit Closed();
}

}  // namespace veltrix::portable::qt
