// What the launcher removes from the host's registry: the browser's entries for the extension
// (the helper object, the toolbar band and the Tools-menu commands that registration writes) and
// the user's configuration tree.
#pragma once

#include <array>
#include <string_view>

#include "platform/registry.h"

namespace veltrix::portable {

inline constexpr std::u16string_view kHelperObjectClass = u"{D525F71D-88D6-4D35-A84F-9E4B9DBE5F1B}";
inline constexpr std::u16string_view kToolbarBandClass = u"{0737414E-52F0-4E56-9205-E3A83C749107}";
// The Tools-menu commands that registration enters under the browser's Extensions key, in the
// order they are removed: Secure Notes, Web Logins, Options, Generate Password, Save Form, Fill
// Form, Logoff.
inline constexpr std::array<std::u16string_view, 7> kCommandClasses = {
    u"{7B6826A5-18C2-11DA-8001-000D88227F64}", u"{7B6826AA-18C2-11DA-8001-000D88227F64}",
    u"{7B6826B4-18C2-11DA-8001-000D88227F64}", u"{7B6826B7-18C2-11DA-8001-000D88227F64}",
    u"{7B6826B9-18C2-11DA-8001-000D88227F64}", u"{7B6826BE-18C2-11DA-8001-000D88227F64}",
    u"{7B6826C1-18C2-11DA-8001-000D88227F64}",
};

// Under HKEY_LOCAL_MACHINE.
inline constexpr std::u16string_view kHelperObjectsKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
inline constexpr std::u16string_view kToolbarKey =
    u"Software\\Microsoft\\Internet Explorer\\Toolbar";
inline constexpr std::u16string_view kExtensionsKey =
    u"Software\\Microsoft\\Internet Explorer\\Extensions";

// Under HKEY_CURRENT_USER: the maker's key stays, the product's tree below it goes.
inline constexpr std::u16string_view kMakerKey = u"Software\\Orvane";
inline constexpr std::u16string_view kProductSubkey = u"Veltrix";

// "<kHelperObjectsKey>\<kHelperObjectClass>".
std::u16string HelperObjectKey();

// Deletes the helper object's key, the toolbar band's value and the seven command keys, in that
// order; what is missing counts as deleted, and a deletion that fails does not stop the others.
void RemoveBrowserEntries(platform::Registry& registry);

// Deletes `parent`\`child` with everything below it, depth first and without recursion: the first
// subkey of the deepest key reached is visited next, and a key without subkeys is deleted. True
// when the tree is gone (also when it was missing); false when `parent` does not exist or a key
// could not be deleted.
bool DeleteTreeDepthFirst(platform::Registry& registry, platform::Hive hive,
                          std::u16string_view parent, std::u16string_view child);

}  // namespace veltrix::portable
