// The browser as the helper object sees it: the browser object of a window or of a frame inside
// its page, the navigation events it reports, and the site interface through which a browser
// hands itself to a helper object. Browser hosts implement IWebBrowser; the helper object
// implements IObjectWithSite and IBrowserEvents. Only these abstract interfaces cross the
// boundary between a host program and the extension library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formengine/dom/dom_adapter.h"
#include "platform/com/unknown.h"
#include "ui/ui_port.h"

namespace veltrix {

using ui::ScreenRect;

// Dispatch identifiers of the browser's navigation events.
namespace dispid {
inline constexpr com::DispId kDownloadComplete = 104;
inline constexpr com::DispId kDownloadBegin = 106;
inline constexpr com::DispId kBeforeNavigate2 = 250;
inline constexpr com::DispId kNavigateComplete2 = 252;
inline constexpr com::DispId kOnQuit = 253;
inline constexpr com::DispId kDocumentComplete = 259;
inline constexpr com::DispId kFileDownload = 270;
inline constexpr com::DispId kWindowStateChanged = 283;
}  // namespace dispid

// Flags of WindowStateChanged.
inline constexpr std::uint32_t kWindowStateUserVisible = 0x1;
inline constexpr std::uint32_t kWindowStateEnabled = 0x2;

class IWebBrowser;

// The arguments of one navigation event; what an event does not carry stays empty.
struct BrowserEvent {
    // The browser object the event concerns: the window's own or a frame's (not referenced).
    IWebBrowser* browser = nullptr;
    // BeforeNavigate2: the target address; NavigateComplete2, DocumentComplete: the address.
    std::u16string url;
    // BeforeNavigate2: the bytes the navigation posts (form-urlencoded data), empty for a GET.
    std::string postData;
    // WindowStateChanged: kWindowStateUserVisible | kWindowStateEnabled as they are now.
    std::uint32_t windowState = 0;
};

inline constexpr com::Guid IID_IBrowserEvents =
    com::GuidLiteral("{3E0C9A51-6B2D-4F7E-9C41-0A8D5B7E2F63}");

// The event interface a browser calls on its subscribers (the browser's event dispatch).
class IBrowserEvents : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IBrowserEvents;
    using Parent = com::IUnknown;

    virtual void OnBrowserEvent(com::DispId id, const BrowserEvent& event) = 0;

protected:
    ~IBrowserEvents() = default;
};

inline constexpr com::Guid IID_IWebBrowser =
    com::GuidLiteral("{8C5F2D14-97A3-4B1E-B6D0-52E4A9C7F318}");

// One browser object: a window's top-level browser, or the browser of a frame of its page.
class IWebBrowser : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IWebBrowser;
    using Parent = com::IUnknown;

    // The address of the document shown; empty before the first navigation.
    virtual std::u16string LocationUrl() = 0;
    // The document shown; null while there is none.
    virtual dom::DocumentRef Document() = 0;
    // The browser window (a frame answers its window's); 0 when it has none.
    virtual std::uint32_t WindowHandle() = 0;
    // The browser window's rectangle on the screen.
    virtual ScreenRect WindowRect() = 0;

    // The window's property store: named 64-bit values that the extension's objects share.
    virtual com::HRESULT PutProperty(std::u16string_view name, std::uint64_t value) = 0;
    // E_INVALIDARG when there is no property of that name.
    virtual com::HRESULT GetProperty(std::u16string_view name, std::uint64_t* value) = 0;

    // Shows or hides the toolbar band of class `band`.
    virtual com::HRESULT ShowBrowserBar(const com::Guid& band, bool show) = 0;

    // Subscribes `sink` to the navigation events; `*cookie` names the subscription.
    virtual com::HRESULT Advise(IBrowserEvents* sink, std::uint32_t* cookie) = 0;
    virtual com::HRESULT Unadvise(std::uint32_t cookie) = 0;

protected:
    ~IWebBrowser() = default;
};

inline constexpr com::Guid IID_IObjectWithSite =
    com::GuidLiteral("{FC4801A3-2BA9-11CF-A229-00AA003D7352}");

// How a browser hands itself to the objects it loads.
class IObjectWithSite : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IObjectWithSite;
    using Parent = com::IUnknown;

    // `site` is the browser (null: the browser lets the object go).
    virtual com::HRESULT SetSite(com::IUnknown* site) = 0;
    virtual com::HRESULT GetSite(const com::Guid& iid, void** site) = 0;

protected:
    ~IObjectWithSite() = default;
};

// The browser property under which the helper object publishes itself: the value is its
// IUnknown pointer.
inline constexpr std::u16string_view kBhoViewProperty = u"BHOViewPointer";

// Where the registry lists the helper objects a browser loads: one subkey per CLSID.
inline constexpr std::u16string_view kBrowserHelperObjectsKey =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

}  // namespace veltrix
