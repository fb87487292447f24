// The classes vtxcore serves and registers, in table order, with its type library.
//
// Errors in browserui: HRESULT at every COM boundary (the exports, class factories and the
// interfaces' methods); inside, bool or a typed status / Result (platform/result.h), as in the
// layers below. No exception crosses the library's boundary.
#pragma once

#include <memory>
#include <span>

#include "core/configuration.h"
#include "platform/com/registrar.h"

namespace veltrix::browserui {

inline constexpr com::Guid LIBID_VTXCORELib =
    com::GuidLiteral("{49AD2D7B-35A4-4112-A97E-F7B0B4C6FCA2}");

// The settings of the server module over the process's registry (Registry::Default(), followed
// when the environment names another folder). Every object the module creates keeps the one it
// was created with.
std::shared_ptr<config::Settings> ModuleSettings();
// The same, for code that holds no reference: valid while the process's registry stays the same.
config::Settings& CurrentModuleSettings();

// The class table: what DllGetClassObject serves and registration visits.
std::span<const com::ClassEntry> ServerClasses();

// The class table with the type library "vtxcore 1.0 Type Library", version 1.0.
com::ServerDescription VtxcoreServer();

}  // namespace veltrix::browserui
