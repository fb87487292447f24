#include "platform/com/registrar.h"

#include "platform/text.h"

namespace veltrix::com {
namespace {

using platform::Registry;
using platform::RegistryValue;

// Deletes the key tree at `path` unless it is already missing; false when it is still there.
bool RemoveKeyTree(Registry& registry, platform::Hive hive, const std::u16string& path) {
    if (registry.KeyExists(hive, path)) {
        registry.DeleteKeyTree(hive, path);
    }
    return !registry.KeyExists(hive, path);
}

bool RemoveValue(Registry& registry, platform::Hive hive, const std::u16string& path,
                 const std::u16string& name) {
    if (registry.GetValue(hive, path, name)) {
        registry.DeleteValue(hive, path, name);
    }
    return !registry.GetValue(hive, path, name).has_value();
}

bool WriteKey(Registry& registry, const ScriptKey& key, const Replacements& replacements) {
    const std::u16string path = ExpandPlaceholders(key.path, replacements);
    if (key.removeWithTree && !RemoveKeyTree(registry, key.hive, path)) {
        return false;
    }
    if (!registry.CreateKey(key.hive, path)) {
        return false;
    }
    for (const ScriptValue& value : key.values) {
        const auto data = RegistryValue::String(ExpandPlaceholders(value.data, replacements));
        if (!registry.SetValue(key.hive, path, ExpandPlaceholders(value.name, replacements),
                               data)) {
            return false;
        }
    }
    return true;
}

bool RemoveKey(Registry& registry, const ScriptKey& key, const Replacements& replacements) {
    const std::u16string path = ExpandPlaceholders(key.path, replacements);
    if (key.removeWithTree) {
        return RemoveKeyTree(registry, key.hive, path);
    }
    bool removed = true;
    for (const ScriptValue& value : key.values) {
        removed =
            RemoveValue(registry, key.hive, path, ExpandPlaceholders(value.name, replacements)) &&
            removed;
    }
    return removed;
}

Replacements TypeLibraryReplacements(const TypeLibraryInfo& library,
                                     const std::filesystem::path& module) {
    return {
        {u"%TYPELIB%", library.libid.ToU16String()},
        {u"%TYPELIBVER%", library.version},
        {u"%TYPELIBHELP%", library.helpString},
        {u"%MODULE%", text::FromUtf8(module.string())},
        {u"%MODULEDIR%", text::FromUtf8(module.parent_path().string())},
    };
}

Replacements InterfaceReplacements(const TypeLibraryInfo& library,
                                   const TypeLibraryInterface& interface,
                                   const std::filesystem::path& module) {
    Replacements replacements = TypeLibraryReplacements(library, module);
    replacements.emplace_back(u"%INTERFACE%", interface.name);
    replacements.emplace_back(u"%IID%", interface.iid.ToU16String());
    return replacements;
}

}  // namespace

std::u16string ExpandPlaceholders(std::u16string_view text, const Replacements& replacements) {
    std::u16string result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        bool replaced = false;
        if (text[pos] == u'%') {
            for (const auto& [placeholder, value] : replacements) {
                if (text.substr(pos, placeholder.size()) == placeholder) {
                    result += value;
                    pos += placeholder.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            result += text[pos++];
        }
    }
    return result;
}

HRESULT ApplyScript(Registry& registry, const RegistrationScript& script,
                    const Replacements& replacements) {
    for (const ScriptKey& key : script.keys) {
        if (!WriteKey(registry, key, replacements)) {
            return kRegistryWriteFailed;
        }
    }
    return S_OK;
}

HRESULT RemoveScript(Registry& registry, const RegistrationScript& script,
                     const Replacements& replacements) {
    // Removal goes on past a failure, so that as little as possible stays behind.
    HRESULT result = S_OK;
    for (const ScriptKey& key : script.keys) {
        if (!RemoveKey(registry, key, replacements) && result == S_OK) {
            result = kRegistryWriteFailed;
        }
    }
    return result;
}

const RegistrationScript& TypeLibraryScript() {
    using platform::Hive;
    static const RegistrationScript script{{
        {Hive::ClassesRoot, u"TypeLib\\%TYPELIB%", true, {}},
        {Hive::ClassesRoot, u"TypeLib\\%TYPELIB%\\%TYPELIBVER%", false, {{u"", u"%TYPELIBHELP%"}}},
        {Hive::ClassesRoot,
         u"TypeLib\\%TYPELIB%\\%TYPELIBVER%\\0\\win64",
         false,
         {{u"", u"%MODULE%"}}},
        {Hive::ClassesRoot, u"TypeLib\\%TYPELIB%\\%TYPELIBVER%\\FLAGS", false, {{u"", u"0"}}},
        {Hive::ClassesRoot,
         u"TypeLib\\%TYPELIB%\\%TYPELIBVER%\\HELPDIR",
         false,
         {{u"", u"%MODULEDIR%"}}},
    }};
    return script;
}

const RegistrationScript& TypeLibraryInterfaceScript() {
    using platform::Hive;
    // The marshaller of dual interfaces described by a type library.
    static constexpr std::u16string_view kAutomationMarshaller =
        u"{00020424-0000-0000-C000-000000000046}";
    static const RegistrationScript script{{
        {Hive::ClassesRoot, u"Interface\\%IID%", true, {{u"", u"%INTERFACE%"}}},
        {Hive::ClassesRoot,
         u"Interface\\%IID%\\ProxyStubClsid",
         false,
         {{u"", std::u16string(kAutomationMarshaller)}}},
        {Hive::ClassesRoot,
         u"Interface\\%IID%\\ProxyStubClsid32",
         false,
         {{u"", std::u16string(kAutomationMarshaller)}}},
        {Hive::ClassesRoot,
         u"Interface\\%IID%\\TypeLib",
         false,
         {{u"", u"%TYPELIB%"}, {u"Version", u"%TYPELIBVER%"}}},
    }};
    return script;
}

Replacements ClassReplacements(const ServerDescription& server, const ClassEntry& entry,
                               const std::filesystem::path& module) {
    Replacements replacements = TypeLibraryReplacements(server.typeLibrary, module);
    const std::u16string name(entry.name);
    replacements.emplace_back(u"%NAME%", name);
    replacements.emplace_back(u"%DESCRIPTION%", name + u" Class");
    replacements.emplace_back(u"%CLSID%", entry.clsid.ToU16String());
    return replacements;
}

HRESULT RegisterServer(Registry& registry, const ServerDescription& server,
                       const std::filesystem::path& module) {
    HRESULT result = ApplyScript(registry, TypeLibraryScript(),
                                 TypeLibraryReplacements(server.typeLibrary, module));
    for (const TypeLibraryInterface& interface : server.typeLibrary.interfaces) {
        if (FAILED(result)) {
            break;
        }
        result = ApplyScript(registry, TypeLibraryInterfaceScript(),
                             InterfaceReplacements(server.typeLibrary, interface, module));
    }
    for (const ClassEntry& entry : server.classes) {
        if (FAILED(result)) {
            break;
        }
        if (entry.script != nullptr) {
            result = ApplyScript(registry, *entry.script, ClassReplacements(server, entry, module));
        }
    }
    return result;
}

HRESULT UnregisterServer(Registry& registry, const ServerDescription& server,
                         const std::filesystem::path& module) {
    HRESULT result = S_OK;
    auto keepFirstFailure = [&result](HRESULT hr) {
        if (SUCCEEDED(result) && FAILED(hr)) {
            result = hr;
        }
    };
    for (const ClassEntry& entry : server.classes) {
        if (entry.script != nullptr) {
            keepFirstFailure(
                RemoveScript(registry, *entry.script, ClassReplacements(server, entry, module)));
        }
    }
    for (const TypeLibraryInterface& interface : server.typeLibrary.interfaces) {
        keepFirstFailure(
            RemoveScript(registry, TypeLibraryInterfaceScript(),
                         InterfaceReplacements(server.typeLibrary, interface, module)));
    }
    keepFirstFailure(RemoveScript(registry, TypeLibraryScript(),
                                  TypeLibraryReplacements(server.typeLibrary, module)));
    return result;
}

}  // namespace veltrix::com
