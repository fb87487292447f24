#include "platform/com/class_factory.h"

#include <algorithm>

namespace veltrix::com {

HRESULT ClassFactory::CreateInstance(IUnknown* outer, const Guid& iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    return m_create(iid, object);
}

HRESULT ClassFactory::LockServer(bool lock) {
    if (lock) {
        ModuleCounters::Lock();
    } else {
        ModuleCounters::Unlock();
    }
    return S_OK;
}

HRESULT GetClassObject(std::span<const ClassEntry> table, const Guid& clsid, const Guid& iid,
                       void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    const auto entry = std::find_if(table.begin(), table.end(),
                                    [&clsid](const ClassEntry& e) { return e.clsid == clsid; });
    if (entry == table.end() || entry->create == nullptr) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return CreateComObject<ClassFactory>(iid, object, entry->create);
}

HRESULT CanUnloadNow() {
    return ModuleCounters::CanUnload() ? S_OK : S_FALSE;
}

}  // namespace veltrix::com
