// The class table of an in-process server and what its DllGetClassObject and DllCanUnloadNow
// answer from it.
#pragma once

#include <span>
#include <string_view>

#include "platform/com/com_object.h"

namespace veltrix::com {

struct RegistrationScript;

// Creates an object of one class and queries it for `iid`.
using CreateFunction = HRESULT (*)(const Guid& iid, void** object);

// One class the server offers.
struct ClassEntry {
    std::u16string_view name;  // the class name, e.g. "OrvaneInterface"
    Guid clsid;
    CreateFunction create;
    // What registration writes for the class; null for a class that is never registered.
    const RegistrationScript* script = nullptr;
};

// The class object of one table entry. Its own life counts as a live object of the module, so a
// library is not unloaded while a client holds one of its factories.
class ClassFactory final : public ComObject<IClassFactory> {
public:
    explicit ClassFactory(CreateFunction create) : m_create(create) {}

    HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** object) override;
    HRESULT LockServer(bool lock) override;

private:
    CreateFunction m_create;
};

// DllGetClassObject over `table`: a factory of the entry with `clsid`, queried for `iid`;
// CLASS_E_CLASSNOTAVAILABLE for a class not in the table.
HRESULT GetClassObject(std::span<const ClassEntry> table, const Guid& clsid, const Guid& iid,
                       void** object);

// DllCanUnloadNow: S_OK when the module has no live object and no server lock, else S_FALSE.
HRESULT CanUnloadNow();

}  // namespace veltrix::com
