#include "browserhost/browser_object.h"

#include <algorithm>
#include <utility>

namespace veltrix::browserhost {

void WindowState::Write(std::string line) {
    log.push_back(std::move(line));
    if (observer) {
        observer(log.back());
    }
}

BrowserObject::BrowserObject(std::shared_ptr<WindowState> window, BrowserObject* parent)
    : m_window(std::move(window)), m_parent(parent) {}

std::u16string BrowserObject::LocationUrl() {
    return m_url;
}

dom::DocumentRef BrowserObject::Document() {
    return m_document;
}

std::uint32_t BrowserObject::WindowHandle() {
    return m_window->open ? m_window->handle : 0;
}

ScreenRect BrowserObject::WindowRect() {
    return m_window->rect;
}

com::HRESULT BrowserObject::PutProperty(std::u16string_view name, std::uint64_t value) {
    if (!m_window->open) {
        return com::E_FAIL;
    }
    m_window->properties[std::u16string(name)] = value;
    return com::S_OK;
}

com::HRESULT BrowserObject::GetProperty(std::u16string_view name, std::uint64_t* value) {
    if (value == nullptr) {
        return com::E_POINTER;
    }
    const auto it = m_window->properties.find(std::u16string(name));
    if (it == m_window->properties.end()) {
        return com::E_INVALIDARG;
    }
    *value = it->second;
    return com::S_OK;
}

com::HRESULT BrowserObject::ShowBrowserBar(const com::Guid& band, bool show) {
    if (!m_window->open) {
        return com::E_FAIL;
    }
    m_window->bars[band] = show;
    m_window->Write((show ? "toolbar band shown: " : "toolbar band hidden: ") + band.ToString());
    if (m_window->showBar) {
        m_window->showBar(band, show);
    }
    return com::S_OK;
}

// The window's events come from every browser object of its page, so one subscription on any
// of them hears them all.
com::HRESULT BrowserObject::Advise(IBrowserEvents* sink, std::uint32_t* cookie) {
    if (sink == nullptr || cookie == nullptr) {
        return com::E_POINTER;
    }
    if (!m_window->open) {
        return com::E_FAIL;
    }
    if (++m_window->lastCookie == 0) {
        ++m_window->lastCookie;
    }
    m_window->sinks.push_back({m_window->lastCookie, com::ComPtr<IBrowserEvents>(sink)});
    *cookie = m_window->lastCookie;
    return com::S_OK;
}

com::HRESULT BrowserObject::Unadvise(std::uint32_t cookie) {
    auto& sinks = m_window->sinks;
    const auto it = std::find_if(sinks.begin(), sinks.end(),
                                 [cookie](const auto& s) { return s.cookie == cookie; });
    if (it == sinks.end()) {
        return com::E_INVALIDARG;
    }
    // The sink may be the caller: release it only after it has left the list.
    const com::ComPtr<IBrowserEvents> sink = std::move(it->sink);
    sinks.erase(it);
    return com::S_OK;
}

com::HRESULT BrowserObject::GetHostUIHandler(IDocHostUIHandler** handler) {
    if (handler == nullptr) {
        return com::E_POINTER;
    }
    *handler = nullptr;
    return com::E_NOINTERFACE;
}

com::HRESULT BrowserObject::GetHostCommandTarget(IOleCommandTarget** target) {
    if (target == nullptr) {
        return com::E_POINTER;
    }
    *target = nullptr;
    return com::E_NOINTERFACE;
}

com::HRESULT BrowserObject::SetUIHandler(IDocHostUIHandler* handler) {
    if (handler != nullptr && !m_document) {
        return com::E_FAIL;
    }
    m_uiHandler = com::ComPtr<IDocHostUIHandler>(handler);
    return com::S_OK;
}

com::HRESULT BrowserObject::GetExternal(com::IDispatch** external) {
    if (external == nullptr) {
        return com::E_POINTER;
    }
    *external = nullptr;
    // The handler may let go of itself while it answers.
    const com::ComPtr<IDocHostUIHandler> handler = m_uiHandler;
    return handler ? handler->GetExternal(external) : com::S_FALSE;
}

void BrowserObject::SetPage(std::shared_ptr<dom::MemoryDocument> document, std::u16string url) {
    if (m_document) {
        m_document->SetListener(nullptr);
    }

    m_document = std::move(document);
    m_url = std::move(url);
}

void BrowserObject::DropFrames() {
    auto frames = std::move(m_frames);
    m_frames.clear();
    for (auto& frame : frames) {
        frame->Detach();
        frame->m_parent = nullptr;
    }
}

void BrowserObject::Detach() {
    DropFrames();
    m_uiHandler.Reset();
    if (m_document) {
        m_document->SetListener(nullptr);
    }
}

}  // namespace veltrix::browserhost
