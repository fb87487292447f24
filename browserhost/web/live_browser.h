// One browser window's extension side over a live Qt WebEngine page: the browser objects of the
// page and its frames, the helper objects sited on them, the toolbar bands, and the page bridge
// that keeps the in-memory documents in step with the live page and turns the page's form events
// into the browser events the helper objects expect.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

#include "browserhost/browser_object.h"
#include "formengine/helper/web_browser.h"
#include "platform/com/com_ptr.h"

class QWebEnginePage;

namespace veltrix::browserhost {

class BandHost;

class LiveBrowser : public QObject {
    Q_OBJECT

public:
    // `page` (not owned) is the window's page; `windowHandle` the window's endpoint handle.
    LiveBrowser(QWebEnginePage* page, std::uint32_t windowHandle, QObject* parent = nullptr);
    ~LiveBrowser() override;

    // Creates the helper objects the registry lists and sites them on the window's browser
    // object; returns how many were sited.
    int LoadHelperObjects();
    // The window's own browser object.
    IWebBrowser* Top();
    // The window's shared state: handle, rectangle, properties, the bands shown (its showBar is
    // called when a helper object asks to show or hide a band).
    const std::shared_ptr<WindowState>& Window() const { return m_state; }
    // The UI handler a helper object installed on the document shown (for the context menu);
    // null when none is.
    IDocHostUIHandler* UiHandler() const;
    // The toolbar bands of the window.
    BandHost& Bands();
    // Releases the helper objects and detaches the browser objects (the window is closing).
    void Close();

signals:
    // A line for the window's log (what the extension and the bridge did or refused).
    void LogLine(const QString& line);

private:
    QWebEnginePage* m_page;
    std::shared_ptr<WindowState> m_state;
    com::ComPtr<BrowserObject> m_top;
    std::unique_ptr<BandHost> m_bands;
};

}  // namespace veltrix::browserhost
