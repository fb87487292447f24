// The toolbar band's logic: its buttons and layout, the three drop-down menus, the paged Web Login
// menu, customisation, and the commands, each run on the helper object of the band's browser
// window (found anew for every command; without one, commands do nothing).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "browserui/toolband/tool_band_views.h"
#include "browserui/toolband/web_login_menu.h"
#include "core/configuration.h"
#include "formengine/helper/bho_view_interface.h"
#include "platform/com/com_ptr.h"

namespace veltrix::toolband {

// What the band asks of the browser window it sits in.
class IBandHost {
public:
    // The helper object the window published; null when there is none.
    virtual com::ComPtr<IBHOView> HelperObject() = 0;
    // Asks the browser to hide this band.
    virtual void HideBand() = 0;
    // Opens a page or document with the system's opener; false when it could not.
    virtual bool OpenDocument(std::u16string_view address) = 0;
    // Starts the user's web browser with an address; false when it could not.
    virtual bool LaunchBrowser(std::u16string_view address) = 0;

protected:
    ~IBandHost() = default;
};

class ToolBandLogic final : public IToolbarHandler {
public:
    ToolBandLogic(config::Settings& settings, IBandHost& host);
    ToolBandLogic(const ToolBandLogic&) = delete;
    ToolBandLogic& operator=(const ToolBandLogic&) = delete;
    ~ToolBandLogic();

    // Creates the toolbar window, hidden, with the saved layout (or the default one, saved, on
    // first start); false when no window could be made.
    bool Create();
    IToolbarView* View() const { return m_view.get(); }
    const ToolbarLayout& Layout() const { return m_layout; }

    // IToolbarHandler.
    void OnButtonClick(std::uint32_t commandId) override;
    void OnDropDown(std::uint32_t commandId) override;
    void OnRightClick() override;

    // A command of the "Veltrix" or "Help" menu.
    void RunMenuCommand(std::uint32_t commandId);
    // Builds and tracks the Web Login menu from `turn`, and carries out the choice.
    void ShowWebLoginMenu(PageTurn turn);
    // The page size of the Web Login menu on this screen.
    PageShape WebLoginShape() const;

private:
    void ApplyLayout();
    void Customize();
    void OpenWebLogin(std::size_t index);
    void OpenHelpPage(std::string_view page);
    void LaunchHelpPage(std::string_view page);

    config::Settings& m_settings;
    IBandHost& m_host;
    std::unique_ptr<IToolbarView> m_view;
    ToolbarLayout m_layout;
    std::vector<std::u16string> m_names;
    PagePositions m_positions;
};

}  // namespace veltrix::toolband
