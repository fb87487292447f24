// The browser's band-object interfaces: how a browser hosts a toolbar band among its own toolbars.
// The browser hands the band a site that tells the parent window (IOleWindow) and offers the
// browser object as a service (IServiceProvider); the band answers with its window, shows and
// hides it, and tells its sizes (IDeskBand). Browser hosts implement the site side; VTXToolBand
// the band side. Only these abstract interfaces cross the boundary between a host and the library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/unknown.h"

namespace veltrix {

// Services a band site offers through IServiceProvider::QueryService.
// The browser object of the window (IWebBrowser).
inline constexpr com::Guid SID_SWebBrowserApp =
    com::GuidLiteral("{0002DF05-0000-0000-C000-000000000046}");
// The browser's way to open an address in a browser window (IDocumentOpener); optional: a band
// without it starts the user's browser.
inline constexpr com::Guid SID_SDocumentOpener =
    com::GuidLiteral("{6A1D4E02-7C35-4B8F-9E21-3F0B5D7A9C44}");

inline constexpr com::Guid IID_IOleWindow =
    com::GuidLiteral("{00000114-0000-0000-C000-000000000046}");

class IOleWindow : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IOleWindow;
    using Parent = com::IUnknown;

    virtual com::HRESULT GetWindow(std::uint32_t* window) = 0;
    virtual com::HRESULT ContextSensitiveHelp(bool enterMode) = 0;

protected:
    ~IOleWindow() = default;
};

inline constexpr com::Guid IID_IDockingWindow =
    com::GuidLiteral("{012DD920-7B26-11D0-8CA9-00A0C92DBFE8}");

class IDockingWindow : public IOleWindow {
public:
    static constexpr com::Guid kIid = IID_IDockingWindow;
    using Parent = IOleWindow;

    virtual com::HRESULT ShowDW(bool show) = 0;
    virtual com::HRESULT CloseDW(std::uint32_t reserved) = 0;
    virtual com::HRESULT ResizeBorderDW() = 0;

protected:
    ~IDockingWindow() = default;
};

// A size in pixels; -1 means unlimited.
struct BandSize {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const BandSize&) const = default;
};

// Band mode flags.
inline constexpr std::uint32_t kBandVariableHeight = 0x0008;
inline constexpr std::uint32_t kBandBreak = 0x0100;

// What a band tells the browser about itself.
struct DeskBandInfo {
    BandSize minSize;
    BandSize maxSize;
    BandSize integral;
    BandSize actual;
    std::u16string title;  // empty: no title
    std::uint32_t modeFlags = 0;
    bool ownBackground = false;
};

inline constexpr com::Guid IID_IDeskBand =
    com::GuidLiteral("{EB0FE172-1A3A-11D0-89B3-00A0C90A90AC}");

class IDeskBand : public IDockingWindow {
public:
    static constexpr com::Guid kIid = IID_IDeskBand;
    using Parent = IDockingWindow;

    // E_INVALIDARG without `info`.
    virtual com::HRESULT GetBandInfo(std::uint32_t bandId, std::uint32_t viewMode,
                                     DeskBandInfo* info) = 0;

protected:
    ~IDeskBand() = default;
};

inline constexpr com::Guid IID_IInputObject =
    com::GuidLiteral("{68284FAA-6A48-11D0-8C78-00C04FD918B4}");

class IInputObject : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IInputObject;
    using Parent = com::IUnknown;

    virtual com::HRESULT UIActivateIO(bool activate) = 0;
    virtual com::HRESULT HasFocusIO() = 0;
    virtual com::HRESULT TranslateAcceleratorIO(std::uint32_t key) = 0;

protected:
    ~IInputObject() = default;
};

inline constexpr com::Guid IID_IServiceProvider =
    com::GuidLiteral("{6D5140C1-7436-11CE-8034-00AA006009FA}");

class IServiceProvider : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IServiceProvider;
    using Parent = com::IUnknown;

    virtual com::HRESULT QueryService(const com::Guid& service, const com::Guid& iid,
                                      void** object) = 0;

protected:
    ~IServiceProvider() = default;
};

inline constexpr com::Guid IID_IDocumentOpener =
    com::GuidLiteral("{B3E8F6A1-2D47-4C9B-8E05-71A4C2D9E3B6}");

// Opens an address in a browser window of the host, as the system's browser would.
class IDocumentOpener : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IDocumentOpener;
    using Parent = com::IUnknown;

    // S_OK once the address is open.
    virtual com::HRESULT OpenAddress(std::u16string_view address) = 0;

protected:
    ~IDocumentOpener() = default;
};

}  // namespace veltrix
