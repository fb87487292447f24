// What vtxcore's registration writes into the registry, as data (placeholders: registrar.h).
#pragma once

#include "platform/com/registrar.h"

namespace veltrix::browserui {

// A plain class N with CLSID K: the ProgIDs Vtxcore.N.1 and Vtxcore.N under HKEY_CLASSES_ROOT,
// and HKEY_CLASSES_ROOT\CLSID\K with its ProgIDs, Programmable, InprocServer32 (the module,
// apartment-threaded) and TypeLib. The ProgID keys and the CLSID key go at unregistration.
const com::RegistrationScript& PlainClassScript();

// The browser helper object: a plain class whose CLSID key says "Veltrix", entered under the
// browser's Browser Helper Objects key of HKEY_LOCAL_MACHINE (removed at unregistration).
const com::RegistrationScript& BrowserHelperObjectScript();

}  // namespace veltrix::browserui
