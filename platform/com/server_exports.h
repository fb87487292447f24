// The four entry points of an in-process server library, exported by name with C linkage. A
// server defines them (usually over its class table with GetClassObject and CanUnloadNow of
// class_factory.h and the registrar) and links with veltrix_com_server(), which keeps every other
// symbol inside the library.
#pragma once

#include "platform/com/unknown.h"

#define VELTRIX_COM_EXPORT __attribute__((visibility("default")))

extern "C" {
VELTRIX_COM_EXPORT veltrix::com::HRESULT DllGetClassObject(const veltrix::com::Guid& clsid,
                                                           const veltrix::com::Guid& iid,
                                                           void** object);
VELTRIX_COM_EXPORT veltrix::com::HRESULT DllCanUnloadNow();
VELTRIX_COM_EXPORT veltrix::com::HRESULT DllRegisterServer();
VELTRIX_COM_EXPORT veltrix::com::HRESULT DllUnregisterServer();
}
