// VTXToolBand: the toolbar band the browser shows among its own toolbars. It sits on the band
// site the browser hands it, takes the browser from the site's services, and runs the band's
// logic (tool_band_logic.h) in a toolbar window from the program's views.
#pragma once

#include <memory>

#include "browserui/toolband/band_interfaces.h"
#include "browserui/toolband/tool_band_logic.h"
#include "formengine/helper/web_browser.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"

namespace veltrix {

class VTXToolBand final : public com::ComObject<IDeskBand, IInputObject, IObjectWithSite>,
                          private toolband::IBandHost {
public:
    // The creation function of the server's class table; the object reads `settings`.
    static com::HRESULT Create(std::shared_ptr<config::Settings> settings, const com::Guid& iid,
                               void** object);

    explicit VTXToolBand(std::shared_ptr<config::Settings> settings);
    ~VTXToolBand() override;

    // IObjectWithSite: null lets everything go; otherwise E_FAIL unless the site tells a parent
    // window and offers the browser, and the toolbar window could be made.
    com::HRESULT SetSite(com::IUnknown* site) override;
    com::HRESULT GetSite(const com::Guid& iid, void** site) override;

    // IOleWindow, IDockingWindow, IDeskBand.
    com::HRESULT GetWindow(std::uint32_t* window) override;
    com::HRESULT ContextSensitiveHelp(bool enterMode) override;
    com::HRESULT ShowDW(bool show) override;
    com::HRESULT CloseDW(std::uint32_t reserved) override;
    com::HRESULT ResizeBorderDW() override;
    com::HRESULT GetBandInfo(std::uint32_t bandId, std::uint32_t viewMode,
                             DeskBandInfo* info) override;

    // IInputObject.
    com::HRESULT UIActivateIO(bool activate) override;
    com::HRESULT HasFocusIO() override;
    com::HRESULT TranslateAcceleratorIO(std::uint32_t key) override;

    // The band's logic while it sits on a site (for inspection); null otherwise.
    toolband::ToolBandLogic* Logic() { return m_logic.get(); }

private:
    // IBandHost.
    com::ComPtr<IBHOView> HelperObject() override;
    void HideBand() override;
    bool OpenDocument(std::u16string_view address) override;
    bool LaunchBrowser(std::u16string_view address) override;

    void LetGo();

    std::shared_ptr<config::Settings> m_settings;
    com::ComPtr<com::IUnknown> m_site;
    com::ComPtr<IWebBrowser> m_browser;
    com::ComPtr<IDocumentOpener> m_opener;
    std::uint32_t m_parentWindow = 0;
    std::uint32_t m_bandId = 0;
    std::uint32_t m_viewMode = 0;
    std::unique_ptr<toolband::ToolBandLogic> m_logic;
};

}  // namespace veltrix
