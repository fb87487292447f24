#include "browserui/toolband/vtx_tool_band.h"

#include "browserui/toolband/band_launch.h"
#include "formengine/helper/bho_view.h"

namespace veltrix {
namespace {

// Sizes the band asks of the browser, in pixels.
constexpr BandSize kMinSize{10, 22};
constexpr BandSize kMaxSize{-1, 25};
constexpr BandSize kIntegral{1, 1};
constexpr std::int32_t kHeight = 22;

}  // namespace

VTXToolBand::VTXToolBand(std::shared_ptr<config::Settings> settings)
    : m_settings(std::move(settings)) {}

VTXToolBand::~VTXToolBand() {
    LetGo();
}

com::HRESULT VTXToolBand::Create(std::shared_ptr<config::Settings> settings, const com::Guid& iid,
                                 void** object) {
    if (settings == nullptr) {
        return com::E_INVALIDARG;
    }
    return com::CreateComObject<VTXToolBand>(iid, object, std::move(settings));
}

void VTXToolBand::LetGo() {
    m_logic.reset();
    m_opener.Reset();
    m_browser.Reset();
    m_site.Reset();
    m_parentWindow = 0;
}

// ---- IObjectWithSite ----

com::HRESULT VTXToolBand::SetSite(com::IUnknown* site) {
    LetGo();
    if (site == nullptr) {
        return com::S_OK;
    }
    com::ComPtr<IOleWindow> window;
    com::ComPtr<IServiceProvider> services;
    if (site->QueryInterface(IOleWindow::kIid, window.PutVoid()) != com::S_OK || !window ||
        window->GetWindow(&m_parentWindow) != com::S_OK || m_parentWindow == 0 ||
        site->QueryInterface(IServiceProvider::kIid, services.PutVoid()) != com::S_OK ||
        !services ||
        services->QueryService(SID_SWebBrowserApp, IWebBrowser::kIid, m_browser.PutVoid()) !=
            com::S_OK ||
        !m_browser) {
        LetGo();
        return com::E_FAIL;
    }
    // Optional: a host that opens addresses in its own windows.
    if (services->QueryService(SID_SDocumentOpener, IDocumentOpener::kIid, m_opener.PutVoid()) !=
        com::S_OK) {
        m_opener.Reset();
    }
    m_site = com::ComPtr<com::IUnknown>(site);
    toolband::IBandHost& host = *this;
    m_logic = std::make_unique<toolband::ToolBandLogic>(*m_settings, host);
    if (!m_logic->Create()) {
        LetGo();
        return com::E_FAIL;
    }
    return com::S_OK;
}

com::HRESULT VTXToolBand::GetSite(const com::Guid& iid, void** site) {
    if (site == nullptr) {
        return com::E_POINTER;
    }
    *site = nullptr;
    if (!m_site) {
        return com::E_FAIL;
    }
    return m_site->QueryInterface(iid, site);
}

// ---- IOleWindow, IDockingWindow, IDeskBand ----

com::HRESULT VTXToolBand::GetWindow(std::uint32_t* window) {
    if (window == nullptr) {
        return com::E_POINTER;
    }
    *window = m_logic && m_logic->View() ? m_logic->View()->WindowHandle() : 0;
    return *window != 0 ? com::S_OK : com::E_FAIL;
}

com::HRESULT VTXToolBand::ContextSensitiveHelp(bool /*enterMode*/) {
    return com::E_NOTIMPL;
}

com::HRESULT VTXToolBand::ShowDW(bool show) {
    if (m_logic && m_logic->View()) {
        m_logic->View()->Show(show);
    }
    return com::S_OK;
}

com::HRESULT VTXToolBand::CloseDW(std::uint32_t /*reserved*/) {
    return ShowDW(false);
}

com::HRESULT VTXToolBand::ResizeBorderDW() {
    return com::E_NOTIMPL;
}

com::HRESULT VTXToolBand::GetBandInfo(std::uint32_t bandId, std::uint32_t viewMode,
                                      DeskBandInfo* info) {
    if (info == nullptr) {
        return com::E_INVALIDARG;
    }
    m_bandId = bandId;
    m_viewMode = viewMode;
    info->minSize = kMinSize;
    info->maxSize = kMaxSize;
    info->integral = kIntegral;
    info->actual = {m_logic && m_logic->View() ? m_logic->View()->ButtonsWidth() : 0, kHeight};
    info->modeFlags = kBandVariableHeight | kBandBreak;
    info->ownBackground = false;
    info->title.clear();
    return com::S_OK;
}

// ---- IInputObject ----

com::HRESULT VTXToolBand::UIActivateIO(bool /*activate*/) {
    return com::S_OK;
}

com::HRESULT VTXToolBand::HasFocusIO() {
    return com::S_FALSE;
}

com::HRESULT VTXToolBand::TranslateAcceleratorIO(std::uint32_t /*key*/) {
    // The toolbar window takes no keys of its own.
    return com::S_FALSE;
}

// ---- IBandHost ----

com::ComPtr<IBHOView> VTXToolBand::HelperObject() {
    com::ComPtr<IBHOView> helper;
    std::uint64_t value = 0;
    if (!m_browser || m_browser->GetProperty(kBhoViewProperty, &value) != com::S_OK || value == 0) {
        return helper;
    }
    // The helper object of this window published its IUnknown pointer there.
    auto* unknown = reinterpret_cast<com::IUnknown*>(static_cast<std::uintptr_t>(value));
    if (unknown->QueryInterface(IBHOView::kIid, helper.PutVoid()) != com::S_OK) {
        helper.Reset();
    }
    return helper;
}

void VTXToolBand::HideBand() {
    if (m_browser) {
        m_browser->ShowBrowserBar(CLSID_VTXToolBand, false);
    }
}

bool VTXToolBand::OpenDocument(std::u16string_view address) {
    if (m_opener) {
        return m_opener->OpenAddress(address) == com::S_OK;
    }
    return toolband::OpenDocumentAddress(address);
}

bool VTXToolBand::LaunchBrowser(std::u16string_view address) {
    if (m_opener) {
        return m_opener->OpenAddress(address) == com::S_OK;
    }
    return toolband::LaunchBrowserAddress(address);
}

}  // namespace veltrix
