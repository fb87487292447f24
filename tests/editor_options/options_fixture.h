// The fixture of the Options logic tests: an isolated registry, the sheet over in-memory views,
// and a main window stand-in that logs the tray switches and the Refresh requests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/configuration.h"
#include "editor/options/memory_options_views.h"
#include "editor/options/options_sheet.h"
#include "platform/registry.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor::options {

// Shared by the frame stand-in and the password source, so the order of the pages' effects shows.
using EffectLog = std::vector<std::string>;

class LoggingFrame : public IOptionsFrame {
public:
    explicit LoggingFrame(EffectLog& log) : m_log(log) {}
    void RunInTray(bool on) override { m_log.push_back(on ? "tray on" : "tray off"); }
    void PostRefresh() override { m_log.push_back("refresh"); }

private:
    EffectLog& m_log;
};

class OptionsTest : public ::testing::Test {
protected:
    // Creates the windows of every page, as if each tab had been shown once.
    void CreateAllPages() {
        m_sheet.Preferences().Attach(&m_preferencesView);
        m_sheet.UserData().Attach(&m_userDataView);
        m_sheet.ExcludedSites().Attach(&m_sitesView);
        m_sheet.Password().Attach(&m_passwordView);
    }

    // The stored text of a Configuration value; nullopt when it is missing.
    std::optional<std::u16string> StoredText(std::u16string_view name) {
        std::u16string text;
        if (!m_settings.GetConfigString(platform::Hive::CurrentUser,
                                        config::SectionKey(config::kConfigurationSection), name,
                                        text)) {
            return std::nullopt;
        }
        return text;
    }

    test::IsolatedEnvironment m_env;
    config::Settings m_settings{platform::Registry::Default()};
    ui::ScriptedUi m_ui;
    EffectLog m_log;
    LoggingFrame m_frame{m_log};
    CPropSheetOptions m_sheet{m_settings, m_ui, m_frame};
    MemoryPreferencesView m_preferencesView;
    MemoryUserDataView m_userDataView;
    MemoryExcludedSitesView m_sitesView;
    MemoryPasswordView m_passwordView;
};

}  // namespace veltrix::editor::options
