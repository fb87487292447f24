#include "browserui/registration_scripts.h"

#include <vector>

#include "core/orvane_interface.h"
#include "formengine/helper/bho_view_interface.h"
#include "formengine/helper/command_target.h"
#include "formengine/helper/dom_extender.h"
#include "formengine/helper/web_browser.h"

namespace veltrix::browserui {

using platform::Hive;

const com::RegistrationScript& PlainClassScript() {
    static const com::RegistrationScript script{{
        {Hive::ClassesRoot, u"Vtxcore.%NAME%.1", true, {{u"", u"%DESCRIPTION%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%.1\\CLSID", false, {{u"", u"%CLSID%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%", true, {{u"", u"%DESCRIPTION%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%\\CLSID", false, {{u"", u"%CLSID%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%\\CurVer", false, {{u"", u"Vtxcore.%NAME%.1"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%", true, {{u"", u"%DESCRIPTION%"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%\\ProgID", false, {{u"", u"Vtxcore.%NAME%.1"}}},
        {Hive::ClassesRoot,
         u"CLSID\\%CLSID%\\VersionIndependentProgID",
         false,
         {{u"", u"Vtxcore.%NAME%"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%\\Programmable", false, {}},
        {Hive::ClassesRoot,
         u"CLSID\\%CLSID%\\InprocServer32",
         false,
         {{u"", u"%MODULE%"}, {u"ThreadingModel", u"Apartment"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%\\TypeLib", false, {{u"", u"%TYPELIB%"}}},
    }};
    return script;
}

const com::RegistrationScript& BrowserHelperObjectScript() {
    static const com::RegistrationScript script = [] {
        com::RegistrationScript bho = PlainClassScript();
        for (com::ScriptKey& key : bho.keys) {
            if (key.path == u"CLSID\\%CLSID%") {
                key.values = {{u"", u"Veltrix"}};
            }
        }
        bho.keys.push_back({Hive::LocalMachine,
                            std::u16string(kBrowserHelperObjectsKey) + u"\\%CLSID%",
                            true,
                            {{u"", u"Veltrix BHO "}}});
        return bho;
    }();
    return script;
}

namespace {

// Where the browser lists its toolbar bands: one value per band, named by its braced CLSID.
constexpr std::u16string_view kBrowserToolbarKey =
    u"Software\\Microsoft\\Internet Explorer\\Toolbar";

// `script` with the class's name, description and CLSID written out, so that it writes the
// entries of that class whichever class table entry applies it.
com::RegistrationScript ForClass(const com::RegistrationScript& script, std::u16string_view name,
                                 const com::Guid& clsid) {
    const com::Replacements replacements = {
        {u"%NAME%", std::u16string(name)},
        {u"%DESCRIPTION%", std::u16string(name) + u" Class"},
        {u"%CLSID%", clsid.ToU16String()},
    };
    com::RegistrationScript written;
    for (const com::ScriptKey& key : script.keys) {
        com::ScriptKey copy{
            key.hive, com::ExpandPlaceholders(key.path, replacements), key.removeWithTree, {}};
        for (const com::ScriptValue& value : key.values) {
            copy.values.push_back({com::ExpandPlaceholders(value.name, replacements),
                                   com::ExpandPlaceholders(value.data, replacements)});
        }
        written.keys.push_back(std::move(copy));
    }
    return written;
}

com::RegistrationScript MakeCommandScript(const MenuCommandInfo& command) {
    com::RegistrationScript script = ForClass(PlainClassScript(), command.className, command.clsid);
    const std::u16string clsid = command.clsid.ToU16String();
    com::ScriptKey extension{
        Hive::LocalMachine,
        std::u16string(kBrowserExtensionsKey) + u"\\" + clsid,
        true,
        {
            {std::u16string(kExtensionKindValue), std::u16string(kCommandExtensionKind)},
            {std::u16string(kExtensionClassValue), clsid},
            {std::u16string(kExtensionMenuTextValue), std::u16string(command.menuText)},
            {std::u16string(kExtensionStatusBarValue), std::u16string(command.statusBarText)},
        }};
    if (!command.buttonText.empty()) {
        extension.values.push_back({std::u16string(kExtensionDefaultVisibleValue), u"Yes"});
        extension.values.push_back(
            {std::u16string(kExtensionButtonTextValue), std::u16string(command.buttonText)});
        extension.values.push_back(
            {std::u16string(kExtensionIconValue), std::u16string(command.icon)});
        extension.values.push_back(
            {std::u16string(kExtensionHotIconValue), std::u16string(command.icon)});
    }
    script.keys.push_back(std::move(extension));
    return script;
}

}  // namespace

const com::RegistrationScript& CommandScript(const MenuCommandInfo& command) {
    static const std::vector<com::RegistrationScript> scripts = [] {
        std::vector<com::RegistrationScript> all;
        for (const MenuCommandInfo* each : MenuCommands()) {
            all.push_back(MakeCommandScript(*each));
        }
        return all;
    }();
    const auto commands = MenuCommands();
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (commands[i] == &command) {
            return scripts[i];
        }
    }
    // Not one of the eight commands: nothing to write.
    static const com::RegistrationScript none;
    return none;
}

const com::RegistrationScript& ToolbarBandScript() {
    static const com::RegistrationScript script{{
        {Hive::ClassesRoot, u"Vtxcore.%NAME%.1", true, {{u"", u"%NAME%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%.1\\CLSID", false, {{u"", u"%CLSID%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%", true, {{u"", u"%NAME%"}}},
        {Hive::ClassesRoot, u"Vtxcore.%NAME%\\CLSID", false, {{u"", u"%CLSID%"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%", true, {{u"", u"Veltrix"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%\\ProgID", false, {{u"", u"Vtxcore.%NAME%.1"}}},
        {Hive::ClassesRoot,
         u"CLSID\\%CLSID%\\VersionIndependentProgID",
         false,
         {{u"", u"Vtxcore.%NAME%"}}},
        {Hive::ClassesRoot,
         u"CLSID\\%CLSID%\\InprocServer32",
         false,
         {{u"", u"%MODULE%"}, {u"ThreadingModel", u"Apartment"}}},
        {Hive::ClassesRoot, u"CLSID\\%CLSID%\\TypeLib", false, {{u"", u"%TYPELIB%"}}},
        {Hive::LocalMachine, std::u16string(kBrowserToolbarKey), false, {{u"%CLSID%", u"Veltrix"}}},
    }};
    return script;
}

std::vector<com::TypeLibraryInterface> TypeLibraryInterfaces() {
    std::vector<com::TypeLibraryInterface> interfaces = {
        {u"IBHOView", IID_IBHOView},
        {u"IHtmlEventHandler", com::GuidLiteral("{9DC34E28-FF31-4C49-93BE-E74DD9055162}")},
        {u"IHTMLFormEventHandler", com::GuidLiteral("{89A6A9FF-C899-49F4-A80E-D7902FB43754}")},
        {u"IOrvaneInterface", IID_IOrvaneInterface},
        {u"IMenuHandler", com::GuidLiteral("{D32737CA-BC2F-428B-B0DA-306286D85EC0}")},
        {u"IDOMExtender", IID_IDOMExtender},
        {u"IVTXToolBand", com::GuidLiteral("{8A6128AA-C704-472A-A2B8-B4AA78433D21}")},
    };
    for (const MenuCommandInfo* command : MenuCommands()) {
        interfaces.push_back({u"I" + std::u16string(command->className), command->iid});
    }
    return interfaces;
}

}  // namespace veltrix::browserui
