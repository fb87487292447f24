// Self-registration of in-process servers: what a server writes into the registry is data, a
// registration script of keys and string values whose texts may hold placeholders:
//
//   %NAME%         the class name                     %DESCRIPTION%  the name followed by " Class"
//   %CLSID%        the class id, braced               %MODULE%       the library's full path
//   %TYPELIB%      the type library id, braced        %MODULEDIR%    the library's folder
//   %TYPELIBVER%   the type library version ("1.0")   %TYPELIBHELP%  its help string
//
// A key marked for removal is deleted with everything below it at unregistration, and deleted and
// written anew at registration. Other keys are created when missing and never deleted; the values
// the script lists in them are deleted at unregistration.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/class_factory.h"
#include "platform/registry.h"

namespace veltrix::com {

// The first failing registry operation of a registration or unregistration.
inline constexpr HRESULT kRegistryWriteFailed = E_ACCESSDENIED;

struct ScriptValue {
    std::u16string name;  // empty for the key's default value
    std::u16string data;  // a REG_SZ text
};

struct ScriptKey {
    platform::Hive hive;
    std::u16string path;
    bool removeWithTree = false;
    std::vector<ScriptValue> values;
};

struct RegistrationScript {
    std::vector<ScriptKey> keys;
};

// Placeholder names (with their percent signs) and their texts.
using Replacements = std::vector<std::pair<std::u16string, std::u16string>>;

// `text` with every placeholder replaced; unknown placeholders stay as they are.
std::u16string ExpandPlaceholders(std::u16string_view text, const Replacements& replacements);

// Writes the script; S_OK or kRegistryWriteFailed at the first operation that fails.
HRESULT ApplyScript(platform::Registry& registry, const RegistrationScript& script,
                    const Replacements& replacements);
// Removes what the script writes; what is already missing counts as removed.
HRESULT RemoveScript(platform::Registry& registry, const RegistrationScript& script,
                     const Replacements& replacements);

// A dual interface that a type library describes.
struct TypeLibraryInterface {
    std::u16string name;  // "IDOMExtender"
    Guid iid;
};

struct TypeLibraryInfo {
    Guid libid;
    std::u16string version;     // "1.0"
    std::u16string helpString;  // "vtxcore 1.0 Type Library"
    std::vector<TypeLibraryInterface> interfaces = {};
};

// The registration of a type library: HKEY_CLASSES_ROOT\TypeLib\{libid}\<version> with the help
// string, the module path under "0\win64", the FLAGS and the HELPDIR.
const RegistrationScript& TypeLibraryScript();

// The registration of one of its interfaces (placeholders %INTERFACE% and %IID% besides the type
// library's): HKEY_CLASSES_ROOT\Interface\{iid} with the interface's name, the automation
// marshaller as ProxyStubClsid and ProxyStubClsid32, and the type library with its Version. The
// key goes at unregistration.
const RegistrationScript& TypeLibraryInterfaceScript();

// A whole server: its class table and its type library.
struct ServerDescription {
    std::span<const ClassEntry> classes;
    TypeLibraryInfo typeLibrary;
};

// The replacements for one class of the server, with the module at `module`.
Replacements ClassReplacements(const ServerDescription& server, const ClassEntry& entry,
                               const std::filesystem::path& module);

// Registers the type library and then, in table order, applies each class's script.
HRESULT RegisterServer(platform::Registry& registry, const ServerDescription& server,
                       const std::filesystem::path& module);
// Removes, for each class of the table, what its script writes, then the type library.
HRESULT UnregisterServer(platform::Registry& registry, const ServerDescription& server,
                         const std::filesystem::path& module);

}  // namespace veltrix::com
