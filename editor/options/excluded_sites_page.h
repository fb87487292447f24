// CPropPageExcludedURLs: the sites the browser extension leaves alone. Add and Delete write to the
// configuration at once; the page's Apply writes nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/configuration.h"
#include "editor/options/options_page.h"
#include "ui/ui_port.h"

namespace veltrix::editor::options {

class IExcludedSitesView {
public:
    virtual ~IExcludedSitesView() = default;
    // Replaces the list with `sites` (the list keeps itself sorted).
    virtual void ShowSites(const std::vector<std::u16string>& sites) = 0;
    virtual void AddSite(std::u16string_view site) = 0;
    virtual void RemoveSite(std::u16string_view site) = 0;
    virtual std::vector<std::u16string> SelectedSites() const = 0;
    // The name prompt with its caption and prompt; nullopt on Cancel.
    virtual std::optional<std::u16string> AskName(std::u16string_view caption,
                                                  std::u16string_view prompt) = 0;
};

class CPropPageExcludedURLs : public COptionsPage {
public:
    CPropPageExcludedURLs(config::Settings& settings, ui::IUserInterface& ui)
        : m_settings(settings), m_ui(ui) {}

    // The window was created: the list is filled from the configuration.
    void Attach(IExcludedSitesView* view);

    void Load() override;
    bool Apply() override { return true; }
    int HelpTopic() const override;
    bool IsCreated() const override { return m_view != nullptr; }

    // Add: asks for an address until it names a site not yet excluded (or the user cancels), then
    // excludes its site key. The site key added, or nullopt.
    std::optional<std::u16string> Add();
    // Delete: asks, then removes every selected site; the number removed.
    std::size_t Delete();

private:
    config::Settings& m_settings;
    ui::IUserInterface& m_ui;
    IExcludedSitesView* m_view = nullptr;
};

}  // namespace veltrix::editor::options
