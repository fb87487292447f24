#include "browserui/host_ui.h"

#include <dlfcn.h>

#include <atomic>
#include <filesystem>

#include "browserui/host_ui_export.h"
#include "browserui/qt/qt_ui_plugin.h"
#include "platform/com/module_path.h"
#include "platform/host_services.h"
#include "ui/ui_port.h"
#include "ui/views.h"

namespace veltrix::browserui {
namespace {

using HostUiEntry = const HostUi* (*)();

// Loaded only in a process that has it loaded already: the plugin must never bring Qt into a
// program that does not run it.
constexpr char kQtWidgetsLibrary[] = "libQt6Widgets.so.6";

std::atomic<HostUiSource> installed{HostUiSource::None};

const void* ModuleBase(const void* address) {
    Dl_info info{};
    return dladdr(address, &info) != 0 ? info.dli_fbase : nullptr;
}

// The host's registration, unless the symbol found is this module's own.
HostUiSource FromHostExport() {
    void* entry = dlsym(RTLD_DEFAULT, kHostUiEntry);
    if (entry == nullptr) {
        return HostUiSource::None;
    }
    if (ModuleBase(entry) == ModuleBase(reinterpret_cast<const void*>(&InstallHostUi))) {
        return HostUiSource::SameModule;
    }
    const HostUi* host = reinterpret_cast<HostUiEntry>(entry)();
    if (host == nullptr || host->version != kHostUiVersion || host->userInterface == nullptr) {
        return HostUiSource::None;
    }
    ui::SetCurrentUi(host->userInterface);
    ui::SetCurrentViewFactory(host->views);
    // This library's timers run in the host's loop and its messages reach the host's windows.
    if (host->services != nullptr) {
        platform::UseHostServices(host->services);
    }
    return HostUiSource::HostExport;
}

bool QtWidgetsLoaded() {
    void* widgets = dlopen(kQtWidgetsLibrary, RTLD_LAZY | RTLD_NOLOAD);
    if (widgets == nullptr) {
        return false;
    }
    dlclose(widgets);
    return true;
}

// In a Qt program that offers no services of its own, this library's timers run in the Qt event
// loop of the plugin; window messages stay this library's own.
void UseQtEventLoop(const QtUiPlugin& plugin) {
    static platform::IEventLoop* (*const threadEventLoop)() = plugin.threadEventLoop;
    if (threadEventLoop == nullptr) {
        return;
    }
    static platform::HostServices services = platform::OwnServices();
    services.threadEventLoop = []() -> platform::IEventLoop* {
        if (platform::IEventLoop* loop = threadEventLoop()) {
            return loop;
        }
        // No Qt application any more: a loop of this library's own for the thread.
        thread_local platform::SimpleEventLoop fallback;
        return &fallback;
    };
    platform::UseHostServices(&services);
}

// The Qt UI plugin beside this library, once the Qt application exists; the plugin stays loaded
// for the life of the process.
HostUiSource FromQtPlugin() {
    if (!QtWidgetsLoaded()) {
        return HostUiSource::None;
    }
    const std::filesystem::path folder =
        com::ModulePathOf(reinterpret_cast<const void*>(&InstallHostUi)).parent_path();
    void* library = dlopen((folder / kQtUiPluginFile).c_str(), RTLD_NOW | RTLD_LOCAL);
    auto entry = library != nullptr
                     ? reinterpret_cast<QtUiPluginEntry>(dlsym(library, kQtUiPluginEntry))
                     : nullptr;
    const QtUiPlugin* plugin = entry != nullptr ? entry() : nullptr;
    if (plugin == nullptr || plugin->version != kQtUiPluginVersion ||
        plugin->userInterface == nullptr || plugin->applicationRunning == nullptr ||
        !plugin->applicationRunning()) {
        return HostUiSource::None;
    }
    ui::SetCurrentUi(plugin->userInterface);
    ui::SetCurrentViewFactory(plugin->views);
    UseQtEventLoop(*plugin);
    return HostUiSource::QtPlugin;
}

}  // namespace

HostUiSource InstallHostUi() {
    HostUiSource source = installed.load();
    if (source != HostUiSource::None) {
        return source;
    }
    source = FromHostExport();
    if (source == HostUiSource::None) {
        source = FromQtPlugin();
    }
    installed.store(source);
    return source;
}

}  // namespace veltrix::browserui
