#include "editor/qt/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <filesystem>

#include "editor/editor_link.h"
#include "editor/editor_messages.h"
#include "editor/exports/bulk_commands.h"
#include "editor/exports/qt/qt_export_views.h"
#include "editor/exports/qt/qt_reencrypt_runner.h"
#include "editor/exports/record_export.h"
#include "editor/instance_block.h"
#include "editor/options/qt/options_sheet_widget.h"
#include "editor/qt/left_view.h"
#include "editor/qt/name_prompt_dialog.h"
#include "editor/qt/right_view.h"
#include "editor/record_naming.h"
#include "platform/process.h"
#include "ui/help.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::qt {
namespace {

// The icon width and height the start-up keeps a window's corner away from the screen's edges.
constexpr int kIconSize = 32;
constexpr std::uint64_t kExitCommand = 32780;

bool IsRecordKind(RecordKind kind) {
    return kind == RecordKind::Identity || kind == RecordKind::WebLogin ||
           kind == RecordKind::SecureNote;
}

ui::ScreenRect ScreenOf(const QWidget& widget) {
    QScreen* screen =
        widget.screen() != nullptr ? widget.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {0, 0, 1024, 768};
    }
    const QRect area =
        QGuiApplication::screens().size() > 1 ? screen->virtualGeometry() : screen->geometry();
    return {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

}  // namespace

void OpenEditorHelp(int topic) {
    const std::filesystem::path folder = platform::ModuleFolder() / "help";
    const std::filesystem::path page =
        topic == messages::kHelpContents || topic == messages::kHelpMainWindow
            ? folder / "contents.html"
            : ui::HelpPagePath(platform::ModuleFolder(), topic);
    std::error_code error;
    if (std::filesystem::is_regular_file(page, error)) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page.string())));
    }
}

CMainFrame::CMainFrame(config::Settings& settings, std::u16string commandLine, QWidget* parent)
    : QMainWindow(parent),
      m_settings(settings),
      m_commandLine(std::move(commandLine)),
      m_splitter(new QSplitter(Qt::Horizontal, this)),
      m_right(new CRightView(settings, m_splitter)),
      m_tree(new CLeftView(settings, *m_right)),
      m_help(OpenEditorHelp) {
    setWindowTitle(ui::qt::ToQString(config::kProductName));
    setWindowIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_splitter->insertWidget(0, m_tree);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);
    CreateActions();
    CreateMenus();
    statusBar()->showMessage(tr("Ready"));
    m_inTray = (m_settings.GetPreferences() & config::pref::kRunInTray) != 0;
    CreateTray();
    m_placement = LoadPlacement(m_settings, ScreenOf(*this));
    resize(m_placement.normal.Width(), m_placement.normal.Height());
    RestoreTreeWidth();

    connect(m_tree, &CLeftView::RightPaneFocusRequested, this, [this] { m_right->FocusContent(); });
    connect(m_tree, &CLeftView::RefreshRequested, this,
            [this] { QTimer::singleShot(0, this, [this] { m_tree->Refresh(); }); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { UpdateCommands(); });
    connect(m_right, &CRightView::TreeFocusRequested, this, [this] { m_tree->setFocus(); });
    connect(m_right, &CRightView::HelpRequested, this, &CMainFrame::ShowHelp);
    connect(m_right, &CRightView::ChangesPendingChanged, this, [this] { UpdateCommands(); });
    connect(m_right, &CRightView::ExitRequested, this, [this](bool minimize) {
        if (minimize) {
            hide();
        } else {
            QTimer::singleShot(0, this, &QWidget::close);
        }
    });
    connect(m_right->NoteEditor(), &QPlainTextEdit::selectionChanged, this,
            [this] { UpdateCommands(); });
    connect(m_right->NoteEditor(), &QPlainTextEdit::undoAvailable, this,
            [this] { UpdateCommands(); });
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { UpdateMinimumSize(); });
    // Applied Options: the tray switch at once, and the tree rebuilt from the folders.
    connect(m_right->OptionsSheet(), &options::OptionsSheetWidget::RunInTrayChosen, this,
            [this](bool on) {
                if (on) {
                    GoToTray();
                } else {
                    LeaveTray();
                }
                m_right->UpdateExitLabel();
            });
    connect(m_right->OptionsSheet(), &options::OptionsSheetWidget::RefreshRequested, this,
            [this] { QTimer::singleShot(0, this, [this] { m_tree->Refresh(); }); });

    m_qtExportViews = std::make_unique<exports::qt::QtExportViews>(this);
    m_reencryptRunner = std::make_unique<exports::qt::QtReencryptRunner>(
        m_settings, [this] { return m_link; }, this);
    m_bulkCommands = std::make_unique<exports::BulkCommands>(*m_qtExportViews, *m_reencryptRunner);
    SetBulkCommands(m_bulkCommands.get());

    m_tree->Build();
    ApplyCommandLine(m_commandLine);
    UpdateCommands();
    UpdateMinimumSize();

    m_window = platform::Window::Create(
        kFrameClassName, kFrameTitle,
        [this](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return HandleMessage(message, wParam, lParam);
        });
}

CMainFrame::~CMainFrame() {
    // The Options sheet outlives the frame's members: it must not keep the commands.
    SetBulkCommands(nullptr);
    m_window.reset();
    if (m_tray != nullptr) {
        m_tray->hide();
    }
}

void CMainFrame::SetBulkCommands(IBulkCommands* commands) {
    m_right->OptionsSheet()->SetBulkCommands(commands);
}

platform::WindowHandle CMainFrame::Handle() const {
    return m_window ? m_window->Handle() : 0;
}

QAction* CMainFrame::Action(const char* name) const {
    return m_actions.value(QString::fromLatin1(name), nullptr);
}

void CMainFrame::CreateActions() {
    auto add = [this](const char* name, const QString& text, auto slot,
                      QList<QKeySequence> keys = {}) {
        auto* action = new QAction(text, this);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, slot);
        m_actions.insert(QString::fromLatin1(name), action);
        return action;
    };
    add("newIdentity", tr("&Identity"), [this] { m_tree->NewRecord(RecordKind::Identity); });
    add("newWebLogin", tr("&Web Login"), [this] { m_tree->NewRecord(RecordKind::WebLogin); });
    add("newSecureNote", tr("Secure &Note"), [this] { m_tree->NewRecord(RecordKind::SecureNote); });
    add("save", tr("&Save\tCtrl+S"), [this] { m_right->Pane().Apply(); },
        {QKeySequence(Qt::CTRL | Qt::Key_S)});
    add("saveAs", tr("Save &As..."), [this] { SaveAs(); });
    add("rename", tr("&Rename\tCtrl+R"), [this] { m_tree->Rename(); },
        {QKeySequence(Qt::CTRL | Qt::Key_R)});
    add("delete", tr("&Delete\tCtrl+D"), [this] { DeleteRecord(); },
        {QKeySequence(Qt::CTRL | Qt::Key_D)});
    add("export", tr("&Export..."),
        [this] { ExportRecord(&exports::RecordExporter::ExportWithSessionPassword); });
    add("exportNewPassword", tr("Export (new password)..."),
        [this] { ExportRecord(&exports::RecordExporter::ExportWithNewPassword); });
    // No menu entry and no shortcut: reached by name only.
    add("exportNoPassword", tr("Export (no password)"),
        [this] { ExportRecord(&exports::RecordExporter::ExportWithoutPassword); });
    addAction(Action("exportNoPassword"));
    add("exit", tr("E&xit"), [this] { close(); });
    add("undo", tr("&Undo\tCtrl+Z"), [this] { m_right->Undo(); },
        {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    add("cut", tr("Cu&t\tCtrl+X"), [this] { m_right->Cut(); },
        {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    add("copy", tr("&Copy\tCtrl+C"), [this] { m_right->Copy(); },
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    add("paste", tr("&Paste\tCtrl+V"), [this] { m_right->Paste(); },
        {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    add("refresh", tr("&Refresh"), [this] { m_tree->Refresh(); });
    add("helpTopics", tr("&Help Topics"), [this] { ShowHelp(messages::kHelpContents); });
    add("about", tr("&About Veltrix..."), [this] { ShowAbout(); });
    add("restore", tr("&Restore"), [this] { Restore(); });
    add("trayAbout", tr("&About"), [this] { ShowAbout(); });
    add("trayExit", tr("E&xit"), [this] { close(); });
    add("nextPane", tr("Next Pane"), [this] { NextPane(); },
        {QKeySequence(Qt::Key_F6), QKeySequence(Qt::SHIFT | Qt::Key_F6)});
    addAction(Action("nextPane"));
    for (const char* name : {"save", "rename", "delete", "undo", "cut", "copy", "paste"}) {
        Action(name)->setShortcutContext(Qt::WindowShortcut);
    }
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QMenu* newMenu = file->addMenu(tr("&New"));
    newMenu->addActions({Action("newIdentity"), Action("newWebLogin"), Action("newSecureNote")});
    file->addActions({Action("save"), Action("saveAs"), Action("rename"), Action("delete")});
    file->addSeparator();
    file->addActions({Action("export"), Action("exportNewPassword")});
    file->addSeparator();
    file->addAction(Action("exit"));
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addActions({Action("undo")});
    edit->addSeparator();
    edit->addActions({Action("cut"), Action("copy"), Action("paste")});

    QToolBar* toolbar = addToolBar(tr("Toolbar"));
    toolbar->setObjectName("toolbar");
    toolbar->addAction(Action("save"));
    toolbar->addSeparator();
    toolbar->addActions({Action("cut"), Action("copy"), Action("paste")});
    toolbar->addSeparator();
    toolbar->addAction(Action("about"));
    Action("save")->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    Action("about")->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* action : toolbar->actions()) {
        action->setIconText(action->text().section('\t', 0, 0).remove('&'));
    }

    QMenu* view = menuBar()->addMenu(tr("&View"));
    QAction* showToolbar = toolbar->toggleViewAction();
    showToolbar->setText(tr("&Toolbar"));
    auto* showStatus = new QAction(tr("&Status Bar"), this);
    showStatus->setCheckable(true);
    showStatus->setChecked(true);
    connect(showStatus, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    view->addActions({showToolbar, showStatus, Action("refresh")});
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addActions({Action("helpTopics"), Action("about")});
    for (QMenu* menu : {file, edit, view, help}) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    }

    m_popup = new QMenu(this);
    QMenu* popupNew = m_popup->addMenu(tr("New"));
    popupNew->addActions({Action("newIdentity"), Action("newWebLogin"), Action("newSecureNote")});
    m_popup->addActions({Action("save"), Action("saveAs"), Action("rename"), Action("delete"),
                         Action("export"), Action("exportNewPassword")});
    connect(m_popup, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    m_tree->SetPopupMenu(m_popup);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { UpdateCommands(); });
}

void CMainFrame::CreateTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;  // no tray on this desktop: the editor runs without an icon
    }
    m_tray = new QSystemTrayIcon(windowIcon(), this);
    m_tray->setToolTip(ui::qt::ToQString(config::kProductName));
    auto* menu = new QMenu(this);
    menu->addActions({Action("restore"), Action("trayAbout"), Action("trayExit")});
    menu->setDefaultAction(Action("restore"));
    m_tray->setContextMenu(menu);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    Restore();
                }
            });
}

void CMainFrame::UpdateCommands() {
    const RightPane& pane = m_right->Pane();
    const RecordKind kind = pane.CurrentKind();
    const bool openRecord = m_right->Pane().HasOpenRecord();
    Action("save")->setEnabled(kind != RecordKind::None && pane.ChangesPending());
    Action("saveAs")->setEnabled(IsRecordKind(kind) && openRecord);
    Action("rename")->setEnabled(openRecord);
    Action("delete")->setEnabled(openRecord);
    for (const char* name : {"export", "exportNewPassword", "exportNoPassword"}) {
        Action(name)->setEnabled(openRecord);
    }
    Action("undo")->setEnabled(m_right->CanUndo());
    Action("cut")->setEnabled(m_right->HasSelection());
    Action("copy")->setEnabled(m_right->HasSelection());
    Action("paste")->setEnabled(m_right->CanPaste());
}

void CMainFrame::RestoreTreeWidth() {
    const TreePaneSize size = LoadTreePaneSize(m_settings);
    const int total = std::max(m_placement.normal.Width(), size.width + 100);
    m_splitter->setSizes({size.width, total - size.width});
}

void CMainFrame::UpdateMinimumSize() {
    const QSize rightMinimum = m_right->minimumSizeHint();
    const MinimumSize minimum = FrameMinimumSize(m_tree->width(), m_tree->height(), height(),
                                                 rightMinimum.width(), rightMinimum.height());
    setMinimumSize(minimum.width, std::max(minimum.height, rightMinimum.height()));
}

void CMainFrame::ApplyCommandLine(std::u16string_view commandLine) {
    m_tree->Select(ParseCommandLine(commandLine));
    UpdateCommands();
}

std::int64_t CMainFrame::HandleMessage(std::uint32_t message, std::uint64_t wParam,
                                       std::int64_t /*lParam*/) {
    switch (message) {
        case WM_COMMAND:
            if (wParam == kRestoreCommand) {
                Restore();
            } else if (wParam == kExitCommand) {
                QTimer::singleShot(0, this, &QWidget::close);
            }
            return 0;
        case WM_EDITOR_OPENCMD: {
            // The line is read now, while the sender waits; it is applied once the sender is
            // answered, so that a question the selection asks does not hold up that process.
            const std::u16string line = m_block != nullptr ? m_block->ForwardedCommandLine() : u"";
            QTimer::singleShot(0, this, [this, line] { ApplyCommandLine(line); });
            return 0;
        }
        case WM_EDITOR_SESSIONENDED:
            // Handled at once: the session clears the password when this returns.
            OnSessionEnded();
            return 0;
        case WM_EDITOR_REFRESH:
            QTimer::singleShot(0, this, [this] { m_tree->Refresh(); });
            return 0;
        default:
            return 0;
    }
}

void CMainFrame::OnSessionEnded() {
    m_right->Pane().SessionEnded();
    m_tree->SelectNothing();
    UpdateCommands();
}

void CMainFrame::FirstActivation() {
    if (!m_firstActivation) {
        return;
    }
    m_firstActivation = false;
    const ui::ScreenRect normal =
        KeepOnScreen(m_placement.normal, ScreenOf(*this), kIconSize, kIconSize);
    setGeometry(normal.left, normal.top, normal.Width(), normal.Height());
    RestoreTreeWidth();
    if (m_tree->Model().Items(RecordKind::Identity).empty()) {
        ui::ShowMessage(messages::kCreateIdentity);
        ShowHelp(messages::kHelpCreateIdentity);
        QTimer::singleShot(0, this, [this] { m_tree->NewRecord(RecordKind::Identity); });
    }
}

void CMainFrame::ShowAtStart() {
    if (m_inTray && m_tray != nullptr) {
        GoToTray();
        return;
    }
    m_inTray = false;
    show();
}

void CMainFrame::GoToTray() {
    if (m_tray == nullptr) {
        m_inTray = false;
        return;
    }
    m_tray->show();
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    hide();
    m_inTray = true;
}

void CMainFrame::LeaveTray() {
    if (m_tray != nullptr) {
        m_tray->hide();
    }
    // Changing a window's flags hides it; a shown window is shown again with its new border.
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    if (shown) {
        show();
    }
    m_inTray = false;
}

void CMainFrame::Restore() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

void CMainFrame::ShowHelp(int topic) {
    if (m_help) {
        m_help(topic);
    }
}

void CMainFrame::SaveAs() {
    RightPane& pane = m_right->Pane();
    const RecordKind kind = pane.CurrentKind();
    if (!pane.HasOpenRecord()) {
        return;
    }
    const std::u16string folder = m_settings.GetRecordFolder(kind);
    const auto name =
        NameNewRecord(folder, kind, [this, kind] { return AskName(this, KindWord(kind)); });
    if (!name) {
        return;
    }
    const std::u16string path = RecordPath(folder, *name, kind);
    if (pane.SaveAs(path)) {
        m_tree->InsertRecord(kind, *name, path);
        m_tree->Select({kind, *name});
    }
}

void CMainFrame::SetExportViews(exports::IExportViews* views) {
    m_exportViews = views;
}

IBulkCommands& CMainFrame::OptionsBulkCommands() const {
    return *m_bulkCommands;
}

exports::IExportViews& CMainFrame::ExportViews() {
    if (m_exportViews != nullptr) {
        return *m_exportViews;
    }
    return *m_qtExportViews;
}

void CMainFrame::ExportRecord(bool (exports::RecordExporter::*exportCommand)()) {
    UpdateCommands();
    if (!Action("export")->isEnabled()) {
        return;
    }
    exports::RecordExporter exporter(m_settings, m_right->Pane(), ExportViews());
    (exporter.*exportCommand)();
    UpdateCommands();
}

void CMainFrame::DeleteRecord() {
    if (const auto deleted = m_right->Pane().DeleteRecord()) {
        m_tree->RemoveRecord(deleted->kind, deleted->label);
    }
    UpdateCommands();
}

void CMainFrame::ShowAbout() {
    QMessageBox::about(this, tr("About Veltrix"),
                       tr("Veltrix\n\nA personal password and form-data manager:\nIdentities, "
                          "Web Logins and Secure Notes under one master password."));
}

void CMainFrame::NextPane() {
    if (m_tree->hasFocus()) {
        m_right->FocusContent();
    } else {
        m_tree->setFocus();
    }
}

void CMainFrame::SaveLayout() {
    SaveTreePaneSize(m_settings, {m_tree->width(), m_tree->height()});
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    WindowPlacement placement;
    placement.normal = {normal.left(), normal.top(), normal.left() + normal.width(),
                        normal.top() + normal.height()};
    placement.iconic = isMinimized();
    placement.maximised = (windowState() & Qt::WindowMaximized) != 0;
    SavePlacement(m_settings, placement);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_right->Pane().Close({})) {
        event->ignore();
        return;
    }
    SaveLayout();
    if (m_tray != nullptr) {
        m_tray->hide();
    }
    event->accept();
    emit Closed();
}

}  // namespace veltrix::editor::qt
