#include "browserui/class_table.h"

#include <array>
#include <mutex>
#include <vector>

#include "browserui/menu_commands.h"
#include "browserui/registration_scripts.h"
#include "browserui/toolband/vtx_tool_band.h"
#include "core/orvane_interface.h"
#include "formengine/helper/bho_view.h"
#include "formengine/helper/dom_extender.h"

namespace veltrix::browserui {

std::shared_ptr<config::Settings> ModuleSettings() {
    static std::mutex mutex;
    static std::shared_ptr<config::Settings> settings;
    platform::Registry& registry = platform::Registry::Default();
    std::lock_guard lock(mutex);
    if (settings == nullptr || &settings->Registry() != &registry) {
        settings = std::make_shared<config::Settings>(registry);
    }
    return settings;
}

config::Settings& CurrentModuleSettings() {
    // Registries are never destroyed, and neither is a settings object handed out here.
    static std::mutex mutex;
    static std::vector<std::shared_ptr<config::Settings>> kept;
    std::shared_ptr<config::Settings> settings = ModuleSettings();
    std::lock_guard lock(mutex);
    if (kept.empty() || kept.back() != settings) {
        kept.push_back(settings);
    }
    return *settings;
}

namespace {

com::ClassEntry CommandEntry(const MenuCommandInfo& command, const MenuCommandInfo& script) {
    return {command.className, command.clsid, MenuCommandCreator(command), &CommandScript(script)};
}

}  // namespace

std::span<const com::ClassEntry> ServerClasses() {
    // MenuIdentities applies the script of MenuGeneratePassword, so registration enters nothing
    // of its own: the browser's Tools menu has no "Identities..." item, and the class is reached
    // through its class object only.
    static const std::array<com::ClassEntry, 13> classes = {{
        {u"BHOView", CLSID_BHOView,
         [](const com::Guid& iid, void** object) {
             return BHOView::Create(ModuleSettings(), iid, object);
         },
         &BrowserHelperObjectScript()},
        {u"OrvaneInterface", CLSID_OrvaneInterface,
         [](const com::Guid& iid, void** object) {
             return OrvaneInterface::Create(ModuleSettings(), iid, object);
         },
         &PlainClassScript()},
        {u"DOMExtender", CLSID_DOMExtender, &DOMExtender::Create, &PlainClassScript()},
        CommandEntry(kMenuFillForm, kMenuFillForm),
        CommandEntry(kMenuGeneratePassword, kMenuGeneratePassword),
        CommandEntry(kMenuIdentities, kMenuGeneratePassword),
        CommandEntry(kMenuSaveForm, kMenuSaveForm),
        CommandEntry(kMenuSecureNotes, kMenuSecureNotes),
        CommandEntry(kMenuWebLogins, kMenuWebLogins),
        CommandEntry(kMenuOptions, kMenuOptions),
        CommandEntry(kMenuLogoff, kMenuLogoff),
        {u"VTXToolBand", CLSID_VTXToolBand,
         [](const com::Guid& iid, void** object) {
             return VTXToolBand::Create(ModuleSettings(), iid, object);
         },
         &ToolbarBandScript()},
        CommandEntry(kMenuGeneratePassword, kMenuGeneratePassword),
    }};
    return classes;
}

com::ServerDescription VtxcoreServer() {
    return {ServerClasses(),
            {LIBID_VTXCORELib, u"1.0", u"vtxcore 1.0 Type Library", TypeLibraryInterfaces()}};
}

}  // namespace veltrix::browserui
