// What vtxcore's registration writes into the registry, as data (placeholders: registrar.h).
#pragma once

#include "platform/com/registrar.h"

namespace veltrix::browserui {

// A plain class N with CLSID K: the ProgIDs Vtxcore.N.1 and Vtxcore.N under HKEY_CLASSES_ROOT,
// and HKEY_CLASSES_ROOT\CLSID\K with its ProgIDs, Programmable, InprocServer32 (the module,
// apartment-threaded) and TypeLib. The ProgID keys and the CLSID key go at unregistration.
const com::RegistrationScript& PlainClassScript();

}  // namespace veltrix::browserui
