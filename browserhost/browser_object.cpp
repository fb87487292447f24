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
    : window_(std::move(window)), parent_(parent) {}

std::u16string BrowserObject::LocationUrl() {
    return url_;
}

dom::DocumentRef BrowserObject::Document() {
    return document_;
}

std::uint32_t BrowserObject::WindowHandle() {
    return window_->open ? window_->handle : 0;
}

ScreenRect BrowserObject::WindowRect() {
    return window_->rect;
}

com::HRESULT BrowserObject::PutProperty(std::u16string_view name, std::uint64_t value) {
    if (!window_->open) {
        return com::E_FAIL;
    }
    window_->properties[std::u16string(name)] = value;
    return com::S_OK;
}

com::HRESULT BrowserObject::GetProperty(std::u16string_view name, std::uint64_t* value) {
    if (value == nullptr) {
        return com::E_POINTER;
    }
    const auto it = window_->properties.find(std::u16string(name));
    if (it == window_->properties.end()) {
        return com::E_INVALIDARG;
    }
    *value = it->second;
    return com::S_OK;
}

com::HRESULT BrowserObject::ShowBrowserBar(const com::Guid& band, bool show) {
    if (!window_->open) {
        return com::E_FAIL;
    }
    window_->bars[band] = show;
    window_->Write((show ? "toolbar band shown: " : "toolbar band hidden: ") + band.ToString());
    return com::S_OK;
}

// The window's events come from every browser object of its page, so one subscription on any
// of them hears them all.
com::HRESULT BrowserObject::Advise(IBrowserEvents* sink, std::uint32_t* cookie) {
    if (sink == nullptr || cookie == nullptr) {
        return com::E_POINTER;
    }
    if (!window_->open) {
        return com::E_FAIL;
    }
    if (++window_->lastCookie == 0) {
        ++window_->lastCookie;
    }
    window_->sinks.push_back({window_->lastCookie, com::ComPtr<IBrowserEvents>(sink)});
    *cookie = window_->lastCookie;
    return com::S_OK;
}

com::HRESULT BrowserObject::Unadvise(std::uint32_t cookie) {
    auto& sinks = window_->sinks;
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

void BrowserObject::SetPage(std::shared_ptr<dom::MemoryDocument> document, std::u16string url) {
    if (document_) {
        document_->SetListener(nullptr);
    }
    document_ = std::move(document);
    url_ = std::move(url);
}

void BrowserObject::DropFrames() {
    auto frames = std::move(frames_);
    frames_.clear();
    for (auto& frame : frames) {
        frame->Detach();
        frame->parent_ = nullptr;
    }
}

void BrowserObject::Detach() {
    DropFrames();
    if (document_) {
        document_->SetListener(nullptr);
    }
}

}  // namespace veltrix::browserhost
