// CPropSheetOptions: the Options property sheet without its widgets. Four pages in tab order
// (Preferences, User Data, Excluded Sites, Password), the active page, and the changed flag that
// any edit sets; Apply runs the active page and then every page in tab order.
#pragma once

#include <array>
#include <functional>

#include "core/configuration.h"
#include "editor/exports/bulk_commands.h"
#include "editor/options/excluded_sites_page.h"
#include "editor/options/options_frame.h"
#include "editor/options/password_page.h"
#include "editor/options/preferences_page.h"
#include "editor/options/user_data_page.h"
#include "ui/ui_port.h"

namespace veltrix::editor::options {

enum class OptionsPage { Preferences = 0, UserData = 1, ExcludedSites = 2, Password = 3 };
inline constexpr std::size_t kOptionsPageCount = 4;

class CPropSheetOptions {
public:
    CPropSheetOptions(config::Settings& settings, ui::IUserInterface& ui, IOptionsFrame& frame);
    CPropSheetOptions(const CPropSheetOptions&) = delete;
    CPropSheetOptions& operator=(const CPropSheetOptions&) = delete;

    CPropPagePreferences& Preferences() { return m_preferences; }
    CPropPageUserData& UserData() { return m_userData; }
    CPropPageExcludedURLs& ExcludedSites() { return m_excludedSites; }
    CPropPagePassword& Password() { return m_password; }
    COptionsPage& Page(OptionsPage page) const;

    // "Change Master Password ..." and "Export..." run through these (not owned); null: the
    // buttons do nothing.
    void SetBulkCommands(IBulkCommands* commands);
    // Told when the changed flag is set.
    void SetChangedHandler(std::function<void()> changed) { m_onChanged = std::move(changed); }

    void SetActivePage(OptionsPage page) { m_active = page; }
    OptionsPage ActivePage() const { return m_active; }

    // Every page reloads from the configuration (the Excluded Sites page only once it exists).
    void Load();
    // The active page's apply decides the result; then the four pages apply in tab order (those
    // never created do nothing) and the changed flag is cleared.
    bool Apply();
    int HelpTopic() const;

    bool Changed() const { return m_changed; }
    void MarkChanged();
    void ClearChanged() { m_changed = false; }
    // "Run in System Tray" on the Preferences page, as shown or as last loaded.
    bool RunInTrayTicked() const { return m_preferences.RunInTrayTicked(); }

private:
    CPropPagePreferences m_preferences;
    CPropPageUserData m_userData;
    CPropPageExcludedURLs m_excludedSites;
    CPropPagePassword m_password;
    std::array<COptionsPage*, kOptionsPageCount> m_pages;
    OptionsPage m_active = OptionsPage::Preferences;
    std::function<void()> m_onChanged;
    bool m_changed = false;
};

}  // namespace veltrix::editor::options
