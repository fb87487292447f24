#include "browserhost/band_host.h"

#include "platform/com/com_object.h"
#include "platform/com/com_runtime.h"
#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

// The site a band sits on: the window's handle, its browser and the opener of addresses.
class BandSite final : public com::ComObject<IOleWindow, IServiceProvider, IDocumentOpener> {
public:
    BandSite(IWebBrowser* browser, std::uint32_t window, BandHost::Opener open)
        : m_browser(browser), m_window(window), m_open(std::move(open)) {}

    com::HRESULT GetWindow(std::uint32_t* window) override {
        if (window == nullptr) {
            return com::E_POINTER;
        }
        *window = m_window;
        return com::S_OK;
    }
    com::HRESULT ContextSensitiveHelp(bool /*enterMode*/) override { return com::E_NOTIMPL; }

    com::HRESULT QueryService(const com::Guid& service, const com::Guid& iid,
                              void** object) override {
        if (object == nullptr) {
            return com::E_POINTER;
        }
        *object = nullptr;
        if (service == SID_SWebBrowserApp && m_browser != nullptr) {
            return m_browser->QueryInterface(iid, object);
        }
        if (service == SID_SDocumentOpener) {
            return QueryInterface(iid, object);
        }
        return com::E_NOINTERFACE;
    }

    com::HRESULT OpenAddress(std::u16string_view address) override {
        return m_open && m_open(address) ? com::S_OK : com::E_FAIL;
    }

private:
    ~BandSite() override = default;

    IWebBrowser* m_browser;
    std::uint32_t m_window;
    BandHost::Opener m_open;
};

}  // namespace

BandHost::BandHost(IWebBrowser* browser, std::uint32_t window, Opener open, Logger log)
    : m_browser(browser), m_window(window), m_open(std::move(open)), m_log(std::move(log)) {}

BandHost::~BandHost() {
    CloseAll();
}

bool BandHost::CreateBand(const com::Guid& clsid, Entry& entry) {
    com::ComPtr<IDeskBand> band;
    com::ComPtr<IObjectWithSite> withSite;
    if (com::CoCreateInstance(clsid, IDeskBand::kIid, band.PutVoid()) != com::S_OK || !band ||
        band->QueryInterface(IObjectWithSite::kIid, withSite.PutVoid()) != com::S_OK) {
        m_log("toolbar band " + clsid.ToString() + " cannot be created");
        return false;
    }
    com::ComPtr<BandSite> site(new BandSite(m_browser, m_window, m_open));
    if (withSite->SetSite(static_cast<IOleWindow*>(site.Get())) != com::S_OK) {
        m_log("toolbar band " + clsid.ToString() + " refused its site");
        return false;
    }
    band->GetBandInfo(0, 0, &entry.info);
    entry.band = band;
    return true;
}

bool BandHost::Show(const com::Guid& band, bool show) {
    auto it = m_bands.find(band);
    if (it == m_bands.end()) {
        if (!show) {
            return true;
        }
        Entry entry;
        if (!CreateBand(band, entry)) {
            return false;
        }
        it = m_bands.emplace(band, std::move(entry)).first;
    }
    // The band may hide itself from inside its own call: keep it alive until it returns.
    const com::ComPtr<IDeskBand> keep = it->second.band;
    it->second.shown = show;
    keep->ShowDW(show);
    return true;
}

void BandHost::CloseAll() {
    auto bands = std::move(m_bands);
    m_bands.clear();
    for (auto& [clsid, entry] : bands) {
        entry.band->CloseDW(0);
        com::ComPtr<IObjectWithSite> withSite;
        if (entry.band->QueryInterface(IObjectWithSite::kIid, withSite.PutVoid()) == com::S_OK) {
            withSite->SetSite(nullptr);
        }
    }
}

IDeskBand* BandHost::Band(const com::Guid& band) const {
    const auto it = m_bands.find(band);
    return it == m_bands.end() ? nullptr : it->second.band.Get();
}

bool BandHost::IsShown(const com::Guid& band) const {
    const auto it = m_bands.find(band);
    return it != m_bands.end() && it->second.shown;
}

const DeskBandInfo* BandHost::Info(const com::Guid& band) const {
    const auto it = m_bands.find(band);
    return it == m_bands.end() ? nullptr : &it->second.info;
}

}  // namespace veltrix::browserhost
