// Command targets: objects that a browser asks whether a command is available (QueryStatus) and
// tells to carry it out (Exec). The Tools-menu items and browser buttons of an extension are such
// objects, registered under kBrowserExtensionsKey; the helper object is one for its documents.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/com/unknown.h"

namespace veltrix {

// The state of one command, as QueryStatus reports it.
struct OleCommand {
    std::uint32_t id = 0;
    std::uint32_t flags = 0;  // kCommandSupported | kCommandEnabled
};

inline constexpr std::uint32_t kCommandSupported = 0x1;
inline constexpr std::uint32_t kCommandEnabled = 0x2;

// The command is not one the target knows.
inline constexpr com::HRESULT OLECMDERR_E_NOTSUPPORTED = static_cast<com::HRESULT>(0x80040100u);

inline constexpr com::Guid IID_IOleCommandTarget =
    com::GuidLiteral("{B722BCCB-4E68-101B-A2BC-00AA00404770}");

class IOleCommandTarget : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IOleCommandTarget;
    using Parent = com::IUnknown;

    // Fills in the flags of the `count` commands at `commands` (null: no command array).
    virtual com::HRESULT QueryStatus(const com::Guid* group, std::uint32_t count,
                                     OleCommand* commands) = 0;
    // Carries out command `id` of `group` (null: the standard group); `in` and `out` may be null.
    virtual com::HRESULT Exec(const com::Guid* group, std::uint32_t id, std::uint32_t options,
                              const com::Variant* in, com::Variant* out) = 0;

protected:
    ~IOleCommandTarget() = default;
};

// Where the registry lists a browser's extensions (Tools-menu items and buttons): one subkey per
// braced CLSID, with the values below.
inline constexpr std::u16string_view kBrowserExtensionsKey =
    u"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
// The value "CLSID" of an extension that is a command object (a class with IOleCommandTarget).
inline constexpr std::u16string_view kCommandExtensionKind =
    u"{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}";
inline constexpr std::u16string_view kExtensionKindValue = u"CLSID";
inline constexpr std::u16string_view kExtensionClassValue = u"ClsidExtension";
inline constexpr std::u16string_view kExtensionMenuTextValue = u"MenuText";
inline constexpr std::u16string_view kExtensionStatusBarValue = u"MenuStatusBar";
inline constexpr std::u16string_view kExtensionButtonTextValue = u"ButtonText";
inline constexpr std::u16string_view kExtensionDefaultVisibleValue = u"Default Visible";
inline constexpr std::u16string_view kExtensionIconValue = u"Icon";
inline constexpr std::u16string_view kExtensionHotIconValue = u"HotIcon";

}  // namespace veltrix
