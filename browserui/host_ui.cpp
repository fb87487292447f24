#include "browserui/host_ui.h"

#include <dlfcn.h>

#include <atomic>
#include <filesystem>

#include "platform/com/module_path.h"
#include "platform/host_services.h"
#include "ui/qt/qt_ui_plugin.h"
#include "ui/ui_port.h"

namespace veltrix::browserui {
namespace {

using HostUiEntry = ui::IUserInterface* (*)();

// QCoreApplication::self, the application object of a Qt program (null before it is created).
constexpr char kQtApplicationInstance[] = "_ZN16QCoreApplication4selfE";
constexpr char kQtWidgetsLibrary[] = "libQt6Widgets.so.6";

std::atomic<HostUiSource> installed{HostUiSource::None};

const void* ModuleBase(const void* address) {
    Dl_info info{};
    return dladdr(address, &info) != 0 ? info.dli_fbase : nullptr;
}

// The host's event loop and window messaging, so that this library's timers run in the host's
// loop and its messages reach the host's own windows.
void UseHostPlatformServices() {
    using ServicesEntry = const platform::HostServices* (*)();
    if (void* entry = dlsym(RTLD_DEFAULT, kHostServicesEntry)) {
        platform::UseHostServices(reinterpret_cast<ServicesEntry>(entry)());
    }
}

// The host's export, unless the symbol found is this module's own.
HostUiSource FromHostExport() {
    void* entry = dlsym(RTLD_DEFAULT, kHostUiEntry);
    if (entry == nullptr) {
        return HostUiSource::None;
    }
    if (ModuleBase(entry) == ModuleBase(reinterpret_cast<const void*>(&InstallHostUi))) {
        return HostUiSource::SameModule;
    }
    ui::IUserInterface* hostUi = reinterpret_cast<HostUiEntry>(entry)();
    if (hostUi == nullptr) {
        return HostUiSource::None;
    }
    ui::SetCurrentUi(hostUi);
    UseHostPlatformServices();
    return HostUiSource::HostExport;
}

bool RunsQtWidgetsApplication() {
    void* widgets = dlopen(kQtWidgetsLibrary, RTLD_LAZY | RTLD_NOLOAD);
    if (widgets == nullptr) {
        return false;
    }
    dlclose(widgets);
    auto* instance = static_cast<void* const*>(dlsym(RTLD_DEFAULT, kQtApplicationInstance));
    return instance != nullptr && *instance != nullptr;
}

// In a Qt program that offers no services of its own, this library's timers run in the Qt event
// loop of the plugin; window messages stay this library's own.
void UseQtEventLoop(void* plugin) {
    static ui::QtEventLoopPluginEntry entry = reinterpret_cast<ui::QtEventLoopPluginEntry>(
        dlsym(plugin, ui::kQtEventLoopPluginEntry));
    if (entry == nullptr) {
        return;
    }
    static platform::HostServices services = platform::OwnServices();
    services.threadEventLoop = []() -> platform::IEventLoop* {
        if (platform::IEventLoop* loop = entry()) {
            return loop;
        }
        // No Qt application any more: a loop of this library's own for the thread.
        thread_local platform::SimpleEventLoop fallback;
        return &fallback;
    };
    platform::UseHostServices(&services);
}

// The Qt UI plugin beside this library; it stays loaded for the life of the process.
HostUiSource FromQtPlugin() {
    if (!RunsQtWidgetsApplication()) {
        return HostUiSource::None;
    }
    const std::filesystem::path folder =
        com::ModulePathOf(reinterpret_cast<const void*>(&InstallHostUi)).parent_path();
    void* plugin = dlopen((folder / ui::kQtUiPluginFile).c_str(), RTLD_NOW | RTLD_LOCAL);
    auto entry = plugin != nullptr
                     ? reinterpret_cast<ui::QtUiPluginEntry>(dlsym(plugin, ui::kQtUiPluginEntry))
                     : nullptr;
    ui::IUserInterface* qtUi = entry != nullptr ? entry() : nullptr;
    if (qtUi == nullptr) {
        return HostUiSource::None;
    }
    ui::SetCurrentUi(qtUi);
    UseQtEventLoop(plugin);
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
