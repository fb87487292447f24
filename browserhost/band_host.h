// The toolbar bands of a headless window. The window creates a band the first time the browser is
// asked to show it (ShowBrowserBar), sits it on a band site that tells the window's handle and
// offers the window's browser and an opener for addresses, and shows or hides it after that. An
// address the band opens is shown in this window, which plays the part of the user's browser.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "browserui/toolband/band_interfaces.h"
#include "formengine/helper/web_browser.h"
#include "platform/com/com_ptr.h"

namespace veltrix::browserhost {

class BandHost {
public:
    using Opener = std::function<bool(std::u16string_view address)>;
    using Logger = std::function<void(std::string line)>;

    // `browser` (not referenced) outlives the bands; `open` navigates the window; `log` writes a
    // line of the window's log.
    BandHost(IWebBrowser* browser, std::uint32_t window, Opener open, Logger log);
    ~BandHost();
    BandHost(const BandHost&) = delete;
    BandHost& operator=(const BandHost&) = delete;

    // Shows the band of class `band`, creating it first; hides it. False when it cannot be made.
    bool Show(const com::Guid& band, bool show);
    // Closes every band and lets it go.
    void CloseAll();

    // The band of class `band` while it exists; null otherwise.
    IDeskBand* Band(const com::Guid& band) const;
    bool IsShown(const com::Guid& band) const;
    // What the shown band told about itself when it was created.
    const DeskBandInfo* Info(const com::Guid& band) const;

private:
    struct Entry {
        com::ComPtr<IDeskBand> band;
        DeskBandInfo info;
        bool shown = false;
    };

    bool CreateBand(const com::Guid& clsid, Entry& entry);

    IWebBrowser* m_browser;
    std::uint32_t m_window;
    Opener m_open;
    Logger m_log;
    std::map<com::Guid, Entry> m_bands;
};

}  // namespace veltrix::browserhost
