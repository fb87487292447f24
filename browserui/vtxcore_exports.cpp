// The entry points of libvtxcore.so and what happens when the library is loaded and unloaded.
#include <filesystem>

#include "browserui/class_table.h"
#include "browserui/host_ui.h"
#include "core/session.h"
#include "core/session_password_source.h"
#include "platform/com/module_path.h"
#include "platform/com/server_exports.h"

namespace {

using namespace veltrix;

std::filesystem::path ThisLibrary() {
    return com::ModulePathOf(reinterpret_cast<const void*>(&DllGetClassObject));
}

// At load: take the host's UI. A host that creates its UI after loading the library is caught
// again at the first class object it asks for.
// Record files read inside the library (the check of a newly entered password) take their
// password from this library's session directly.
CSessionPasswordSource sessionPasswords{&browserui::CurrentModuleSettings};

__attribute__((constructor)) void OnLibraryLoad() {
    browserui::InstallHostUi();
    SetPasswordSource(&sessionPasswords);
}

// At unload: close this process's handles of the session. The library stays mapped until the
// process ends (it is linked -z nodelete), so this runs at exit, after its static objects are
// destroyed.
__attribute__((destructor)) void OnLibraryUnload() {
    SetPasswordSource(nullptr);
    session::CloseProcessHandles();
}

}  // namespace

extern "C" {

com::HRESULT DllGetClassObject(const com::Guid& clsid, const com::Guid& iid, void** object) {
    browserui::InstallHostUi();
    return com::GetClassObject(browserui::ServerClasses(), clsid, iid, object);
}

com::HRESULT DllCanUnloadNow() {
    return com::CanUnloadNow();
}

com::HRESULT DllRegisterServer() {
    return com::RegisterServer(platform::Registry::Default(), browserui::VtxcoreServer(),
                               ThisLibrary());
}

com::HRESULT DllUnregisterServer() {
    return com::UnregisterServer(platform::Registry::Default(), browserui::VtxcoreServer(),
                                 ThisLibrary());
}

}  // extern "C"
