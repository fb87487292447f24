// One vtxbrowse window: a WebEngine view with its address bar, back, forward, reload/stop, a
// progress indicator in the status bar and the page's title as the window's title; the File,
// View, Go and Tools menus; the extension's command buttons and toolbar band; the page's context
// menu through the helper object's UI handler. The window is one browser object (LiveBrowser) and
// registers a window endpoint of class "IEFrame" under its title, which answers WM_CLOSE by
// closing the window and hands forwarded addresses to the window list.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QToolBar>
#include <QUrl>
#include <cstdint>
#include <memory>

#include "browserhost/web/web_context_menu.h"
#include "platform/com/guid.h"

class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QWebEngineProfile;
class QWebEngineView;

namespace veltrix::platform {
class Window;
}

namespace veltrix::browserhost {

class BrowserWindows;
class LiveBrowser;

class BrowserWindow final : public QMainWindow {
    Q_OBJECT
public:
    // `windows` outlives the window; `profile` (not owned) outlives its page.
    BrowserWindow(BrowserWindows& windows, QWebEngineProfile* profile, bool privateWindow);
    ~BrowserWindow() override;

    // Creates the helper objects the registry lists and sites them on the window's browser
    // object (before the first page loads).
    void LoadHelperObjects();
    // How many helper objects LoadHelperObjects sited.
    int HelperObjectCount() const { return m_helperObjects; }
    void Load(const QUrl& url);
    QWebEngineView* View() const { return m_view; }
    QLineEdit* AddressBar() const { return m_address; }
    LiveBrowser& Live() { return *m_live; }
    bool IsPrivate() const { return m_private; }
    // The handle of the window's endpoint; 0 when it could not be registered.
    std::uint32_t Handle() const;

    // The Tools menu, rebuilt from the registry each time it opens (and by RefreshTools).
    QMenu* ToolsMenu() const { return m_tools; }
    // The bar of the extension's command buttons.
    QToolBar* CommandBar() const { return m_commandBar; }
    void RefreshTools();

    // Shows the page's context menu at `globalPos` for what was last right-clicked, through the
    // helper object's UI handler when one is installed; the menu as shown.
    PopupMenu ShowContextMenu(QPoint globalPos, const MenuPresenter& presenter);
    // Shows or hides the extension's toolbar band; false when it cannot be made.
    bool ShowToolBand(bool show);
    // The band's toolbar while it is docked in this window; null otherwise.
    QToolBar* DockedBand() const { return m_band.data(); }

signals:
    // A line for the log: what the extension did or refused.
    void LogLine(const QString& line);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolbars();
    void ConnectPage();
    void RegisterEndpoint();
    std::int64_t OnMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);
    void OnTitleChanged();
    void OnLoading(bool loading);
    void GoToTyped();
    // Keeps the browser object's window rectangle (where the extension places its prompts) in
    // step with the window's place on the screen.
    void UpdateWindowRect();
    // Tells the helper objects when the window is shown, hidden, minimised or disabled, so that
    // their prompts hide with it and come back with it.
    void ReportWindowState();
    void DockBand(const com::Guid& band);
    void RunCommand(const struct CommandExtension& command);

    BrowserWindows& m_windows;
    bool m_private;
    QWebEngineView* m_view = nullptr;
    QLineEdit* m_address = nullptr;
    QProgressBar* m_progress = nullptr;
    QMenu* m_tools = nullptr;
    QToolBar* m_navigation = nullptr;
    QToolBar* m_commandBar = nullptr;
    QPointer<QToolBar> m_band;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_reloadStop = nullptr;
    QAction* m_bandToggle = nullptr;
    bool m_loading = false;
    bool m_reportedVisible = false;
    bool m_reportedEnabled = true;
    int m_helperObjects = 0;
    std::unique_ptr<platform::Window> m_endpoint;
    std::unique_ptr<LiveBrowser> m_live;
};

}  // namespace veltrix::browserhost
