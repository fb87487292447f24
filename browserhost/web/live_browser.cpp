// Placeholder until the page bridge lands: a window's browser object without helper objects.
#include "browserhost/web/live_browser.h"

#include "browserhost/band_host.h"

namespace veltrix::browserhost {

LiveBrowser::LiveBrowser(QWebEnginePage* page, std::uint32_t windowHandle, QObject* parent)
    : QObject(parent), m_page(page), m_state(std::make_shared<WindowState>()) {
    m_state->handle = windowHandle;
    m_top = com::ComPtr<BrowserObject>(new BrowserObject(m_state, nullptr));
    m_bands = std::make_unique<BandHost>(
        m_top.Get(), windowHandle, [](std::u16string_view) { return false; },
        [this](std::string line) { emit LogLine(QString::fromStdString(line)); });
    m_state->showBar = [this](const com::Guid& band, bool show) { m_bands->Show(band, show); };
}

LiveBrowser::~LiveBrowser() {
    Close();
}

int LiveBrowser::LoadHelperObjects() {
    return 0;
}

IWebBrowser* LiveBrowser::Top() {
    return m_top.Get();
}

IDocHostUIHandler* LiveBrowser::UiHandler() const {
    return m_top->UiHandler();
}

BandHost& LiveBrowser::Bands() {
    return *m_bands;
}

void LiveBrowser::Close() {
    if (m_state->open) {
        m_top->Detach();
        m_state->open = false;
    }
}

}  // namespace veltrix::browserhost
