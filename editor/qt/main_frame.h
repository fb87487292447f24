// CMainFrame: the editor's only top-level window, titled "Veltrix". A splitter holds the record
// tree and the right pane; the frame keeps its placement and the tree's width in the settings,
// lives in the system tray when asked to, and answers the messages other processes send the
// editor through its window endpoint (Restore, 1245 to 1247).
#pragma once

#include <QMainWindow>
#include <QMap>
#include <functional>
#include <memory>
#include <string>

#include "core/configuration.h"
#include "editor/command_line.h"
#include "editor/window_placement.h"
#include "platform/winmsg.h"

class QAction;
class QMenu;
class QSplitter;
class QSystemTrayIcon;

namespace veltrix::editor {
class EditorLink;
class IBulkCommands;
class InstanceBlock;
}  // namespace veltrix::editor

namespace veltrix::editor {
class IBulkCommands;
}  // namespace veltrix::editor

namespace veltrix::editor::exports {
class BulkCommands;
class IExportViews;
class IReencryptRunner;
class RecordExporter;
}  // namespace veltrix::editor::exports

namespace veltrix::editor::qt {

class CLeftView;
class CRightView;

// Opens help by topic (0 and the main window's topic: the contents).
using HelpOpener = std::function<void(int topic)>;
// The default opener: the page of the topic in the help folder beside the program.
void OpenEditorHelp(int topic);

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // Builds the frame, its views and the tree, and applies `commandLine` to the tree. The frame's
    // window endpoint is created too; Handle() is 0 when it could not be.
    CMainFrame(config::Settings& settings, std::u16string commandLine, QWidget* parent = nullptr);
    ~CMainFrame() override;

    platform::WindowHandle Handle() const;
    CLeftView& Tree() const { return *m_tree; }
    CRightView& RightView() const { return *m_right; }
    bool InTray() const { return m_inTray; }
    bool HasTrayIcon() const { return m_tray != nullptr; }

    // Reads the forwarded command line from this block on WM_EDITOR_OPENCMD (not owned).
    void SetInstanceBlock(InstanceBlock* block) { m_block = block; }
    void SetHelpOpener(HelpOpener opener) { m_help = std::move(opener); }
    // The link to the session (not owned); null in tests that run without one.
    void SetEditorLink(EditorLink* link) { m_link = link; }
    EditorLink* Link() const { return m_link; }
    // The dialogs the record exports open (not owned); null restores the frame's Qt dialogs.
    void SetExportViews(exports::IExportViews* views);
    // The master-password change and Export all, for the Options sheet's buttons: their dialogs
    // open over the frame and the bulk work runs in the re-encryption dialog through Link().
    IBulkCommands& OptionsBulkCommands() const;
    // The master-password change and the export of every record that the Options sheet's buttons
    // start (not owned); null: those buttons do nothing.
    void SetBulkCommands(IBulkCommands* commands);

    // The start-up's one activation while hidden: applies the stored placement to the hidden
    // window and, when the vault has no Identity, asks to create one.
    void FirstActivation();
    // Shows the frame as the start-up ends: into the tray when "Run in System Tray" is set and a
    // tray exists, else normally (maximised when it was).
    void ShowAtStart();
    void GoToTray();
    void LeaveTray();
    void Restore();

    // Selects what a command line names.
    void ApplyCommandLine(std::u16string_view commandLine);
    // The handler of the window endpoint.
    std::int64_t HandleMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);
    // Updates which commands are enabled.
    void UpdateCommands();

    // Commands by name ("save", "rename", "newIdentity", ...), for the menus, the pop-up and tests.
    QAction* Action(const char* name) const;

signals:
    // The frame closed after saving its layout; the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateTray();
    void SaveLayout();
    void RestoreTreeWidth();
    void OnSessionEnded();
    void ShowHelp(int topic);
    void SaveAs();
    void DeleteRecord();
    exports::IExportViews& ExportViews();
    // Runs one of the record exports on the open record (nothing when none is open).
    void ExportRecord(bool (exports::RecordExporter::*exportCommand)());
    void ShowAbout();
    void NextPane();
    void UpdateMinimumSize();

    config::Settings& m_settings;
    std::u16string m_commandLine;
    QSplitter* m_splitter;
    CRightView* m_right;
    CLeftView* m_tree;
    QMenu* m_popup = nullptr;
    QMap<QString, QAction*> m_actions;
    QSystemTrayIcon* m_tray = nullptr;
    std::unique_ptr<platform::Window> m_window;
    InstanceBlock* m_block = nullptr;
    EditorLink* m_link = nullptr;
    std::unique_ptr<exports::IExportViews> m_qtExportViews;
    exports::IExportViews* m_exportViews = nullptr;
    std::unique_ptr<exports::IReencryptRunner> m_reencryptRunner;
    std::unique_ptr<exports::BulkCommands> m_bulkCommands;
    HelpOpener m_help;
    WindowPlacement m_placement;
    bool m_inTray = false;
    bool m_firstActivation = true;
};

}  // namespace veltrix::editor::qt
