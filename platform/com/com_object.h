// The reusable implementation of IUnknown: reference counting, QueryInterface over the interfaces
// the class implements (each with the chain of interfaces it extends), and the module's count of
// live objects.
//
//   class Greeter final : public ComObject<IGreeter> { ... IGreeter's own methods ... };
//   HRESULT hr = CreateComObject<Greeter>(IGreeter::kIid, &object);
#pragma once

#include <atomic>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

#include "platform/com/module_counters.h"
#include "platform/com/unknown.h"

namespace veltrix::com {

template <typename First, typename... Others>
class ComObject : public First, public Others... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        // Every query for IUnknown yields the same pointer: the object's identity.
        if (iid == IUnknown::kIid) {
            *object = static_cast<IUnknown*>(static_cast<First*>(this));
        } else if (!FindInChain<First>(iid, object)) {
            static_cast<void>((FindInChain<Others>(iid, object) || ...));
        }
        if (*object == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    std::uint32_t AddRef() override { return m_references.fetch_add(1) + 1; }

    std::uint32_t Release() override {
        const std::uint32_t remaining = m_references.fetch_sub(1) - 1;
        if (remaining == 0) {
            delete this;
        }
        return remaining;
    }

protected:
    ComObject() { ModuleCounters::ObjectCreated(); }
    virtual ~ComObject() { ModuleCounters::ObjectDestroyed(); }

private:
    // Stores the `iid` interface when it is `Interface` or one of the interfaces it extends.
    template <typename Interface>
    bool FindInChain(const Guid& iid, void** object) {
        if constexpr (std::is_same_v<Interface, IUnknown>) {
            return false;
        } else {
            if (iid == Interface::kIid) {
                *object = static_cast<Interface*>(this);
                return true;
            }
            return FindInChain<typename Interface::Parent>(iid, object);
        }
    }

    std::atomic<std::uint32_t> m_references{0};
};

// Creates a T from `args` and queries it for `iid`; the object ends again when the query fails.
template <typename T, typename... Args>
HRESULT CreateComObject(const Guid& iid, void** object, Args&&... args) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    T* instance = nullptr;
    try {
        instance = new T(std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
    instance->AddRef();
    const HRESULT result = instance->QueryInterface(iid, object);
    instance->Release();
    return result;
}

}  // namespace veltrix::com
