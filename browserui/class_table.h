// The classes vtxcore serves and registers, in table order, with its type library.
#pragma once

#include <span>

#include "platform/com/registrar.h"

namespace veltrix::browserui {

inline constexpr com::Guid LIBID_VTXCORELib =
    com::GuidLiteral("{49AD2D7B-35A4-4112-A97E-F7B0B4C6FCA2}");

// The class table: what DllGetClassObject serves and registration visits.
std::span<const com::ClassEntry> ServerClasses();

// The class table with the type library "vtxcore 1.0 Type Library", version 1.0.
com::ServerDescription VtxcoreServer();

}  // namespace veltrix::browserui
