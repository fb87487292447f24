// The browser objects of a headless window: one for the window's page and one per frame. They
// share the window's state: its handle and rectangle, the property store, the toolbar bands
// shown, the event subscribers and the log. That state outlives the window for objects that a
// helper object still holds; they then answer with failures.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "formengine/dom/memory_dom.h"
#include "formengine/helper/document_host.h"
#include "formengine/helper/web_browser.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"

namespace veltrix::browserhost {

struct WindowState {
    std::uint32_t handle = 0;
    ScreenRect rect;
    bool open = true;
    std::map<std::u16string, std::uint64_t> properties;
    std::map<com::Guid, bool> bars;
    // Shows or hides a band as the browser asks (null: the window only records it).
    std::function<void(const com::Guid&, bool)> showBar;

    struct Subscription {
        std::uint32_t cookie = 0;
        com::ComPtr<IBrowserEvents> sink;
    };
    std::vector<Subscription> sinks;
    std::uint32_t lastCookie = 0;

    std::vector<std::string> log;
    std::function<void(const std::string&)> observer;

    void Write(std::string line);
};

class BrowserObject final : public com::ComObject<IWebBrowser, IDocumentHost> {
public:
    // `parent`: the browser object whose page holds this frame; null for the window's own.
    BrowserObject(std::shared_ptr<WindowState> window, BrowserObject* parent);

    std::u16string LocationUrl() override;
    dom::DocumentRef Document() override;
    std::uint32_t WindowHandle() override;
    ScreenRect WindowRect() override;
    com::HRESULT PutProperty(std::u16string_view name, std::uint64_t value) override;
    com::HRESULT GetProperty(std::u16string_view name, std::uint64_t* value) override;
    com::HRESULT ShowBrowserBar(const com::Guid& band, bool show) override;
    com::HRESULT Advise(IBrowserEvents* sink, std::uint32_t* cookie) override;
    com::HRESULT Unadvise(std::uint32_t cookie) override;

    // IDocumentHost: the headless browser has no UI handler or command target of its own; an
    // extension's handler holds for the document shown until a navigation replaces it (new
    // content loaded by the page keeps it).
    com::HRESULT GetHostUIHandler(IDocHostUIHandler** handler) override;
    com::HRESULT GetHostCommandTarget(IOleCommandTarget** target) override;
    com::HRESULT SetUIHandler(IDocHostUIHandler* handler) override;
    com::HRESULT GetExternal(com::IDispatch** external) override;
    // The UI handler installed on the document shown; null when none is.
    IDocHostUIHandler* UiHandler() const { return m_uiHandler.Get(); }

    const std::shared_ptr<dom::MemoryDocument>& Page() const { return m_document; }
    const std::u16string& Url() const { return m_url; }
    // Shows `document` at `url`; the previous document stops reporting to the window.
    void SetPage(std::shared_ptr<dom::MemoryDocument> document, std::u16string url);
    // The frames of the page, in document order.
    std::vector<com::ComPtr<BrowserObject>>& Frames() { return m_frames; }
    BrowserObject* ParentBrowser() const { return m_parent; }
    // Drops the frames, each with its own page and frames.
    void DropFrames();
    // Drops the page and the frames: the object no longer belongs to a window's page.
    void Detach();

private:
    ~BrowserObject() override = default;

    std::shared_ptr<WindowState> m_window;
    BrowserObject* m_parent;
    std::shared_ptr<dom::MemoryDocument> m_document;
    std::u16string m_url;
    std::vector<com::ComPtr<BrowserObject>> m_frames;
    com::ComPtr<IDocHostUIHandler> m_uiHandler;
};

}  // namespace veltrix::browserhost
