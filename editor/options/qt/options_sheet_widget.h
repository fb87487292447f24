// The Options property sheet as a tab widget over CPropSheetOptions. A page's widget is created
// the first time its tab is shown; leaving a page for another tab runs its leave check. The sheet
// asks the main window for the tray switch and Refresh through its signals.
#pragma once

#include <QTabWidget>
#include <array>

#include "editor/options/options_sheet.h"
#include "ui/ui_port.h"

namespace veltrix::editor::options {

class ExcludedSitesPageWidget;
class PasswordPageWidget;
class PreferencesPageWidget;
class UserDataPageWidget;

class OptionsSheetWidget : public QTabWidget, private IOptionsFrame {
    Q_OBJECT

public:
    OptionsSheetWidget(config::Settings& settings, ui::IUserInterface& ui,
                       QWidget* parent = nullptr);

    CPropSheetOptions& Sheet() { return m_sheet; }
    void SetBulkCommands(IBulkCommands* commands) { m_sheet.SetBulkCommands(commands); }

    // What the right pane asks of the sheet.
    void Load() { m_sheet.Load(); }
    bool Apply();
    bool RunInTrayTicked() const { return m_sheet.RunInTrayTicked(); }
    int HelpTopic() const { return m_sheet.HelpTopic(); }

    // Shows the tab of `page` (creating its widget); false when the page left refused.
    bool ShowPage(OptionsPage page);
    // The page widgets, null until first shown.
    PreferencesPageWidget* PreferencesPage() const { return m_preferences; }
    UserDataPageWidget* UserDataPage() const { return m_userData; }
    ExcludedSitesPageWidget* ExcludedSitesPage() const { return m_excludedSites; }
    PasswordPageWidget* PasswordPage() const { return m_password; }

signals:
    // Any edit on any page.
    void Changed();
    // Preferences applied: the main window goes into the tray or leaves it, at once.
    void RunInTrayChosen(bool on);
    // User Data applied: the tree is to be rebuilt from the folders.
    void RefreshRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // IOptionsFrame
    void RunInTray(bool on) override { emit RunInTrayChosen(on); }
    void PostRefresh() override { emit RefreshRequested(); }

    void EnsurePage(int index);
    void OnCurrentChanged(int index);

    CPropSheetOptions m_sheet;
    std::array<QWidget*, kOptionsPageCount> m_tabs{};
    PreferencesPageWidget* m_preferences = nullptr;
    UserDataPageWidget* m_userData = nullptr;
    ExcludedSitesPageWidget* m_excludedSites = nullptr;
    PasswordPageWidget* m_password = nullptr;
    bool m_switchingBack = false;
};

}  // namespace veltrix::editor::options
