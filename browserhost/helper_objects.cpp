#include "browserhost/helper_objects.h"

#include <algorithm>
#include <cstdio>

#include "browserhost/band_host.h"
#include "platform/com/com_runtime.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace veltrix::browserhost {

std::string HexResult(com::HRESULT hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

std::string BrowserEventName(com::DispId id) {
    switch (id) {
        case dispid::kDownloadComplete:
            return "DownloadComplete";
        case dispid::kDownloadBegin:
            return "DownloadBegin";
        case dispid::kBeforeNavigate2:
            return "BeforeNavigate2";
        case dispid::kNavigateComplete2:
            return "NavigateComplete2";
        case dispid::kOnQuit:
            return "OnQuit";
        case dispid::kDocumentComplete:
            return "DocumentComplete";
        case dispid::kWindowStateChanged:
            return "WindowStateChanged";
        default:
            return "event " + std::to_string(id);
    }
}

com::ComPtr<IObjectWithSite> SiteHelperObject(com::IUnknown* object, IWebBrowser* browser,
                                              const LogLine& log) {
    if (object == nullptr) {
        return {};
    }
    com::ComPtr<IObjectWithSite> site;
    com::HRESULT hr = object->QueryInterface(IObjectWithSite::kIid, site.PutVoid());
    if (com::FAILED(hr)) {
        log("helper object refused: no IObjectWithSite");
        return {};
    }
    hr = site->SetSite(browser);
    if (com::FAILED(hr)) {
        log("helper object refused the browser: " + HexResult(hr));
        return {};
    }
    log("helper object attached");
    return site;
}

std::vector<com::ComPtr<IObjectWithSite>> LoadRegisteredHelperObjects(IWebBrowser* browser,
                                                                      const LogLine& log) {
    std::vector<com::ComPtr<IObjectWithSite>> sited;
    auto& registry = platform::Registry::Default();
    for (const auto& name :
         registry.EnumKeys(platform::Hive::LocalMachine, kBrowserHelperObjectsKey)) {
        const auto clsid = com::Guid::Parse(name);
        if (!clsid) {
            log("helper object key is not a class id: " + text::ToUtf8(name));
            continue;
        }
        com::ComPtr<IObjectWithSite> object;
        const com::HRESULT hr =
            com::CoCreateInstance(*clsid, IObjectWithSite::kIid, object.PutVoid());
        if (com::FAILED(hr)) {
            log("helper object " + clsid->ToString() + " not created: " + HexResult(hr));
            continue;
        }
        if (auto site = SiteHelperObject(object.Get(), browser, log)) {
            sited.push_back(std::move(site));
        }
    }
    return sited;
}

void FireBrowserEvent(WindowState& window, com::DispId id, const BrowserEvent& event) {
    const auto snapshot = window.sinks;
    for (const auto& subscription : snapshot) {
        const auto& sinks = window.sinks;
        const bool still = std::any_of(sinks.begin(), sinks.end(), [&](const auto& s) {
            return s.cookie == subscription.cookie;
        });
        if (still) {
            subscription.sink->OnBrowserEvent(id, event);
        }
    }
}

void ReleaseHelperObjects(WindowState& window, BandHost& bands,
                          std::vector<com::ComPtr<IObjectWithSite>>& helpers) {
    window.showBar = nullptr;
    bands.CloseAll();
    auto released = std::move(helpers);
    helpers.clear();
    for (auto& helper : released) {
        helper->SetSite(nullptr);
    }
    released.clear();
    auto sinks = std::move(window.sinks);
    window.sinks.clear();
    sinks.clear();
}

}  // namespace veltrix::browserhost
