#include "browserhost/web/browser_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QHideEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "browserhost/band_host.h"
#include "browserhost/browser_menus.h"
#include "browserhost/web/address_forwarding.h"
#include "browserhost/web/bridge_page.h"
#include "browserhost/web/browser_windows.h"
#include "browserhost/web/live_browser.h"
#include "browserhost/web/tools_commands.h"
#include "browserui/toolband/qt/qt_tool_band_views.h"
#include "formengine/helper/bho_view.h"
#include "platform/registry.h"
#include "platform/winmsg.h"

namespace veltrix::browserhost {
namespace {

constexpr char kProgramTitle[] = "Veltrix Browser";
// How often a close that waits for a dialog or menu to go is tried again.
constexpr int kCloseRetryMs = 200;
// The page's title is the page's to choose: the window and its endpoint show this much of it.
constexpr qsizetype kMaxTitleLength = 1024;

// The page of a window: a page that opens a window (a link to a new window, view source) gets a
// window of the same kind.
class WindowPage final : public BridgePage {
public:
    WindowPage(QWebEngineProfile* profile, BrowserWindows& windows, bool privateWindow,
               QObject* parent)
        : BridgePage(profile, parent), m_windows(windows), m_private(privateWindow) {}

protected:
    QWebEnginePage* createWindow(WebWindowType /*type*/) override {
        if (m_windows.Windows().size() >= kMaxPageOpenedWindows) {
            // A page that opens windows without end gets no more.
            return nullptr;
        }
        BrowserWindow* window = m_windows.Open(QUrl(), m_private);
        return window->View()->page();
    }

private:
    BrowserWindows& m_windows;
    bool m_private;
};

// The view: its context menu is the window's.
class WindowView final : public QWebEngineView {
public:
    WindowView(BrowserWindow& window) : QWebEngineView(&window), m_window(window) {}

protected:
    void contextMenuEvent(QContextMenuEvent* event) override {
        const QPoint at = event->globalPos();
        m_window.ShowContextMenu(at, [this](PopupMenu& menu, QPoint pos, IMenuOpeningSink* sink) {
            return ExecQtMenu(menu, pos, sink, this);
        });
    }

private:
    BrowserWindow& m_window;
};

QIcon StandardIcon(QStyle::StandardPixmap pixmap) {
    return QApplication::style()->standardIcon(pixmap);
}

}  // namespace

BrowserWindow::BrowserWindow(BrowserWindows& windows, QWebEngineProfile* profile,
                             bool privateWindow)
    : m_windows(windows), m_private(privateWindow) {
    resize(1100, 800);
    auto* view = new WindowView(*this);
    view->setPage(new WindowPage(profile, windows, privateWindow, view));
    m_view = view;
    setCentralWidget(m_view);

    RegisterEndpoint();
    m_live = std::make_unique<LiveBrowser>(m_view->page(), Handle());
    connect(m_live.get(), &LiveBrowser::LogLine, this, &BrowserWindow::LogLine);
    // A helper object that asks for a band gets it docked in this window.
    auto& showBar = m_live->Window()->showBar;
    showBar = [this, previous = showBar](const com::Guid& band, bool show) {
        if (previous) {
            previous(band, show);
        }
        DockBand(band);
    };

    BuildActions();
    BuildToolbars();
    BuildMenus();
    ConnectPage();
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(160);
    m_progress->setVisible(false);
    statusBar()->addPermanentWidget(m_progress);
    OnTitleChanged();
    UpdateWindowRect();
}

void BrowserWindow::LoadHelperObjects() {
    m_helperObjects = m_live->LoadHelperObjects();
    emit LogLine(QStringLiteral("helper objects loaded: %1").arg(m_helperObjects));
}

BrowserWindow::~BrowserWindow() {
    // The band's toolbar belongs to the band, not to this window.
    if (m_band) {
        removeToolBar(m_band);
        m_band->hide();
        m_band->setParent(nullptr);
    }
    m_live->Window()->showBar = nullptr;
    m_live->Close();
    m_live.reset();
    m_endpoint.reset();
}

std::uint32_t BrowserWindow::Handle() const {
    return m_endpoint ? m_endpoint->Handle() : 0;
}

void BrowserWindow::Load(const QUrl& url) {
    m_address->setText(url.toString());
    m_view->load(url);
}

// ---- Building the window ----

void BrowserWindow::BuildActions() {
    m_back = new QAction(StandardIcon(QStyle::SP_ArrowBack), tr("Back"), this);
    m_back->setShortcuts(QKeySequence::Back);
    m_back->setStatusTip(tr("Go back one page"));
    connect(m_back, &QAction::triggered, m_view, &QWebEngineView::back);

    m_forward = new QAction(StandardIcon(QStyle::SP_ArrowForward), tr("Forward"), this);
    m_forward->setShortcuts(QKeySequence::Forward);
    m_forward->setStatusTip(tr("Go forward one page"));
    connect(m_forward, &QAction::triggered, m_view, &QWebEngineView::forward);

    m_reloadStop = new QAction(this);
    connect(m_reloadStop, &QAction::triggered, this, [this] {
        if (m_loading) {
            m_view->stop();
        } else {
            m_view->reload();
        }
    });
    OnLoading(false);
}

void BrowserWindow::BuildToolbars() {
    m_navigation = addToolBar(tr("Navigation"));
    m_navigation->setMovable(false);
    m_navigation->addAction(m_back);
    m_navigation->addAction(m_forward);
    m_navigation->addAction(m_reloadStop);
    m_address = new QLineEdit(this);
    m_address->setClearButtonEnabled(true);
    m_address->setPlaceholderText(tr("Type an address"));
    m_address->setMinimumWidth(480);
    m_address->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_address, &QLineEdit::returnPressed, this, &BrowserWindow::GoToTyped);
    m_navigation->addWidget(m_address);

    m_commandBar = addToolBar(tr("Buttons"));
    m_commandBar->setMovable(false);
}

void BrowserWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* newWindow =
        file->addAction(tr("&New Window"), this, [this] { m_windows.Open(QUrl(), m_private); });
    newWindow->setShortcut(QKeySequence::New);
    QAction* newPrivate =
        file->addAction(tr("New &Private Window"), this, [this] { m_windows.Open(QUrl(), true); });
    newPrivate->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    QAction* openLocation = file->addAction(tr("Open &Location"), this, [this] {
        m_address->setFocus(Qt::ShortcutFocusReason);
        m_address->selectAll();
    });
    openLocation->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::ALT | Qt::Key_D)});
    file->addSeparator();
    QAction* close = file->addAction(tr("&Close"), this, &QWidget::close);
    close->setShortcut(QKeySequence::Close);
    QAction* quit = file->addAction(tr("&Quit"), qApp, [] {
        QApplication::closeAllWindows();
        QApplication::quit();
    });
    quit->setShortcut(QKeySequence::Quit);

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    m_bandToggle = viewMenu->addAction(tr("Veltrix &Toolbar"));
    m_bandToggle->setCheckable(true);
    connect(m_bandToggle, &QAction::triggered, this, [this](bool on) { ShowToolBand(on); });
    viewMenu->addSeparator();
    viewMenu->addAction(m_reloadStop);
    QAction* reload = viewMenu->addAction(tr("&Reload"), m_view, &QWebEngineView::reload);
    reload->setShortcuts({QKeySequence::Refresh, QKeySequence(Qt::CTRL | Qt::Key_R)});
    QAction* stop = viewMenu->addAction(tr("&Stop"), m_view, &QWebEngineView::stop);
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    viewMenu->addSeparator();
    QAction* zoomIn = viewMenu->addAction(tr("Zoom &In"), this, [this] {
        m_view->setZoomFactor(std::min(5.0, m_view->zoomFactor() + 0.1));
    });
    zoomIn->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* zoomOut = viewMenu->addAction(tr("Zoom &Out"), this, [this] {
        m_view->setZoomFactor(std::max(0.25, m_view->zoomFactor() - 0.1));
    });
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    QAction* zoomReset =
        viewMenu->addAction(tr("&Actual Size"), this, [this] { m_view->setZoomFactor(1.0); });
    zoomReset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    viewMenu->addSeparator();
    QAction* source = viewMenu->addAction(tr("Page So&urce"), this, [this] {
        m_view->page()->triggerAction(QWebEnginePage::ViewSource);
    });
    source->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));

    QMenu* go = menuBar()->addMenu(tr("&Go"));
    go->addAction(m_back);
    go->addAction(m_forward);

    m_tools = menuBar()->addMenu(tr("&Tools"));
    connect(m_tools, &QMenu::aboutToShow, this, &BrowserWindow::RefreshTools);
    RefreshTools();
}

void BrowserWindow::RefreshTools() {
    const std::vector<CommandExtension> commands =
        ReadCommandExtensions(platform::Registry::Default());
    const CommandRunner run = [this](const CommandExtension& command) { RunCommand(command); };
    m_tools->clear();
    AddToolsMenuItems(*m_tools, commands, run);
    if (m_tools->isEmpty()) {
        m_tools->addAction(tr("(no extensions registered)"))->setEnabled(false);
    }
    m_commandBar->clear();
    AddCommandButtons(*m_commandBar, commands, run);
    m_commandBar->setVisible(!m_commandBar->actions().isEmpty());
}

void BrowserWindow::ConnectPage() {
    QWebEnginePage* page = m_view->page();
    connect(page, &QWebEnginePage::titleChanged, this, &BrowserWindow::OnTitleChanged);
    connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (!m_address->hasFocus()) {
            m_address->setText(url.toString());
        }
        OnTitleChanged();
    });
    connect(page, &QWebEnginePage::loadStarted, this, [this] { OnLoading(true); });
    connect(page, &QWebEnginePage::loadProgress, this,
            [this](int percent) { m_progress->setValue(percent); });
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        OnLoading(false);
        if (!ok) {
            statusBar()->showMessage(tr("The page could not be loaded."), 5000);
        }
    });
    connect(page, &QWebEnginePage::linkHovered, this,
            [this](const QString& link) { statusBar()->showMessage(link); });
    connect(page, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
    // Back and forward follow the history of the page.
    connect(page->action(QWebEnginePage::Back), &QAction::changed, this, [this] {
        m_back->setEnabled(m_view->page()->action(QWebEnginePage::Back)->isEnabled());
    });
    connect(page->action(QWebEnginePage::Forward), &QAction::changed, this, [this] {
        m_forward->setEnabled(m_view->page()->action(QWebEnginePage::Forward)->isEnabled());
    });
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
}

void BrowserWindow::OnLoading(bool loading) {
    m_loading = loading;
    if (m_progress != nullptr) {
        m_progress->setVisible(loading);
        m_progress->setValue(0);
    }
    m_reloadStop->setIcon(
        StandardIcon(loading ? QStyle::SP_BrowserStop : QStyle::SP_BrowserReload));
    m_reloadStop->setText(loading ? tr("Stop") : tr("Reload"));
    m_reloadStop->setStatusTip(loading ? tr("Stop loading the page") : tr("Load the page again"));
}

void BrowserWindow::OnTitleChanged() {
    QString title = m_view->title().left(kMaxTitleLength);
    if (title.isEmpty() || title == QLatin1String("about:blank")) {
        title = m_view->url().isEmpty() || m_view->url() == QUrl(QStringLiteral("about:blank"))
                    ? QString::fromLatin1(kProgramTitle)
                    : m_view->url().toString().left(kMaxTitleLength);
    }
    if (m_private) {
        title += tr(" (Private)");
    }
    setWindowTitle(title);
    if (m_endpoint) {
        m_endpoint->SetTitle(title.toStdString());
    }
}

void BrowserWindow::GoToTyped() {
    const QUrl url = AddressFromUserText(m_address->text(), QDir::currentPath());
    if (!url.isValid()) {
        statusBar()->showMessage(tr("That is not an address."), 5000);
        return;
    }
    m_view->load(url);
    m_view->setFocus();
}

// ---- The window endpoint ----

void BrowserWindow::RegisterEndpoint() {
    m_endpoint = platform::Window::Create(
        kBrowserWindowClass, kProgramTitle,
        [this](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return OnMessage(message, wParam, lParam);
        });
    if (!m_endpoint) {
        emit LogLine(QStringLiteral("the window endpoint cannot be registered"));
    }
}

std::int64_t BrowserWindow::OnMessage(std::uint32_t message, std::uint64_t wParam,
                                      std::int64_t lParam) {
    if (message == kCloseMessage) {
        // Closed once the message is answered: the handler must not delete its own window.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return 0;
    }
    if (message == kOpenAddressMessage) {
        return m_windows.OnOpenRequest(wParam, lParam);
    }
    return 0;
}

void BrowserWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    UpdateWindowRect();
}

void BrowserWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    UpdateWindowRect();
}

void BrowserWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ReportWindowState();
}

void BrowserWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    ReportWindowState();
}

void BrowserWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::EnabledChange) {
        ReportWindowState();
    }
}

void BrowserWindow::ReportWindowState() {
    if (!m_live) {
        return;
    }
    const bool visible = isVisible() && !isMinimized();
    const bool enabled = isEnabled();
    if (visible == m_reportedVisible && enabled == m_reportedEnabled) {
        return;
    }
    m_reportedVisible = visible;
    m_reportedEnabled = enabled;
    m_live->SetWindowState(visible, enabled);
}

void BrowserWindow::UpdateWindowRect() {
    if (!m_live) {
        return;
    }
    const QRect frame = frameGeometry();
    m_live->Window()->rect = {frame.left(), frame.top(), frame.left() + frame.width(),
                              frame.top() + frame.height()};
}

void BrowserWindow::closeEvent(QCloseEvent* event) {
    // A dialog or menu is open (the extension's code may be waiting in it, on this window's
    // objects): the window closes once it is gone, not from under it.
    if (QApplication::activeModalWidget() != nullptr ||
        QApplication::activePopupWidget() != nullptr) {
        event->ignore();
        QTimer::singleShot(kCloseRetryMs, this, &QWidget::close);
        return;
    }
    // The window stops answering at once: the launcher waits for it to go away.
    m_endpoint.reset();
    QMainWindow::closeEvent(event);
}

// ---- The extension ----

void BrowserWindow::RunCommand(const CommandExtension& command) {
    std::string problem;
    const com::HRESULT hr = RunCommandExtension(m_live->Top(), command, problem);
    if (com::FAILED(hr)) {
        const QString text = QString::fromUtf16(command.menuText.data(),
                                                static_cast<qsizetype>(command.menuText.size()));
        statusBar()->showMessage(text + QStringLiteral(": ") + QString::fromStdString(problem),
                                 5000);
        emit LogLine(text + QStringLiteral(": ") + QString::fromStdString(problem));
    }
}

PopupMenu BrowserWindow::ShowContextMenu(QPoint globalPos, const MenuPresenter& presenter) {
    const ContextMenuKind kind = KindOfRequest(m_view->lastContextMenuRequest());
    return ShowPageContextMenu(*m_view->page(), Handle(), m_live->UiHandler(), kind, globalPos,
                               presenter);
}

bool BrowserWindow::ShowToolBand(bool show) {
    // Through the window state, as a helper object's ShowBrowserBar does.
    const auto& state = m_live->Window();
    state->bars[CLSID_VTXToolBand] = show;
    if (state->showBar) {
        state->showBar(CLSID_VTXToolBand, show);
    }
    const bool shown = m_live->Bands().IsShown(CLSID_VTXToolBand);
    m_bandToggle->setChecked(shown);
    return shown == show;
}

void BrowserWindow::DockBand(const com::Guid& band) {
    IDeskBand* deskBand = m_live->Bands().Band(band);
    std::uint32_t handle = 0;
    if (deskBand == nullptr || deskBand->GetWindow(&handle) != com::S_OK) {
        return;
    }
    QToolBar* toolbar = toolband::ToolbarWidgetOf(handle);
    if (toolbar == nullptr) {
        return;
    }
    const bool shown = m_live->Bands().IsShown(band);
    if (toolbar->parent() != this) {
        addToolBarBreak();
        addToolBar(Qt::TopToolBarArea, toolbar);
        m_band = toolbar;
        connect(toolbar, &QToolBar::visibilityChanged, this,
                [this](bool visible) { m_bandToggle->setChecked(visible); });
    }
    toolbar->setVisible(shown);
    if (band == CLSID_VTXToolBand) {
        m_bandToggle->setChecked(shown);
    }
}

}  // namespace veltrix::browserhost
