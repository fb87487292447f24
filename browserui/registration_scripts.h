// What vtxcore's registration writes into the registry, as data (placeholders: registrar.h).
#pragma once

#include "browserui/menu_commands.h"
#include "platform/com/registrar.h"

namespace veltrix::browserui {

// A plain class N with CLSID K: the ProgIDs Vtxcore.N.1 and Vtxcore.N under HKEY_CLASSES_ROOT,
// and HKEY_CLASSES_ROOT\CLSID\K with its ProgIDs, Programmable, InprocServer32 (the module,
// apartment-threaded) and TypeLib. The ProgID keys and the CLSID key go at unregistration.
const com::RegistrationScript& PlainClassScript();

// The browser helper object: a plain class whose CLSID key says "Veltrix", entered under the
// browser's Browser Helper Objects key of HKEY_LOCAL_MACHINE (removed at unregistration).
const com::RegistrationScript& BrowserHelperObjectScript();

// A Tools-menu command: the entries of a plain class, written for that command's class whatever
// class table entry applies the script, and its key under the browser's Extensions key (removed
// at unregistration) with the command-object kind, its class, menu text and status-bar text, and
// for a command with a button "Default Visible", "ButtonText", "Icon" and "HotIcon".
const com::RegistrationScript& CommandScript(const MenuCommandInfo& command);

// The toolbar band: ProgIDs whose text is the class name (no CurVer), a CLSID key that says
// "Veltrix" without Programmable, and the value {CLSID} = "Veltrix" under the browser's Toolbar
// key (the key itself stays).
const com::RegistrationScript& ToolbarBandScript();

// The interfaces of the type library, all dual.
std::vector<com::TypeLibraryInterface> TypeLibraryInterfaces();

}  // namespace veltrix::browserui
