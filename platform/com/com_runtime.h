// Creation of objects from in-process servers. The registry names a class's library under
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 (default value: the library's path); the library
// is loaded with dlopen, once per path and process, and stays loaded until
// CoFreeUnusedLibraries finds it idle. A server library exports, with C linkage:
//
//   HRESULT DllGetClassObject(const Guid& clsid, const Guid& iid, void** object);
//   HRESULT DllCanUnloadNow();
//   HRESULT DllRegisterServer();
//   HRESULT DllUnregisterServer();
#pragma once

#include <filesystem>
#include <string>

#include "platform/com/unknown.h"

namespace veltrix::com {

using DllGetClassObjectFunction = HRESULT (*)(const Guid& clsid, const Guid& iid, void** object);
using DllEntryFunction = HRESULT (*)();

inline constexpr const char* kDllGetClassObject = "DllGetClassObject";
inline constexpr const char* kDllCanUnloadNow = "DllCanUnloadNow";
inline constexpr const char* kDllRegisterServer = "DllRegisterServer";
inline constexpr const char* kDllUnregisterServer = "DllUnregisterServer";

// The registry key of a class's in-process server: "CLSID\{clsid}\InprocServer32".
std::u16string InprocServerKey(const Guid& clsid);

// The class object of `clsid`, queried for `iid`. REGDB_E_CLASSNOTREG when the registry names no
// library for the class, CO_E_DLLNOTFOUND when the library cannot be loaded, CO_E_ERRORINDLL
// when it does not export DllGetClassObject; otherwise the library's own answer.
HRESULT CoGetClassObject(const Guid& clsid, const Guid& iid, void** object);

// Creates an object of class `clsid` through its class factory and queries it for `iid`; the
// failures of CoGetClassObject, or those of the factory.
HRESULT CoCreateInstance(const Guid& clsid, const Guid& iid, void** object);

// Unloads every loaded server library whose DllCanUnloadNow answers S_OK.
void CoFreeUnusedLibraries();

// Loads `library` and calls its DllRegisterServer / DllUnregisterServer; CO_E_DLLNOTFOUND or
// CO_E_ERRORINDLL when that cannot be done, else the entry point's result.
HRESULT CallDllRegisterServer(const std::filesystem::path& library);
HRESULT CallDllUnregisterServer(const std::filesystem::path& library);

// Whether the runtime holds `library` loaded (as given, or as the registry named it).
bool IsServerLibraryLoaded(const std::filesystem::path& library);

// The loader's message for the last library or entry point of this thread that failed.
std::string LastLibraryError();

}  // namespace veltrix::com
