// An owning pointer to a COM interface: adds a reference when it copies, releases at its end.
#pragma once

#include <cstddef>
#include <utility>

#include "platform/com/unknown.h"

namespace veltrix::com {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Shares `pointer`: adds a reference of its own.
    explicit ComPtr(T* pointer) : m_pointer(pointer) { AddRefHeld(); }
    ComPtr(const ComPtr& other) : m_pointer(other.m_pointer) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }

    // Takes over a reference the caller already owns (the result of a creation call).
    static ComPtr Adopt(T* pointer) {
        ComPtr result;
        result.m_pointer = pointer;
        return result;
    }

    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    void Reset() {
        if (T* old = std::exchange(m_pointer, nullptr)) {
            old->Release();
        }
    }
    // Gives up the reference without releasing it.
    T* Detach() { return std::exchange(m_pointer, nullptr); }

    // Releases what is held and returns the slot for an out parameter of a creation call:
    // CoCreateInstance(clsid, IFoo::kIid, ptr.PutVoid()).
    void** PutVoid() {
        Reset();
        return reinterpret_cast<void**>(&m_pointer);
    }
    T** Put() {
        Reset();
        return &m_pointer;
    }

    // Queries the held object for interface U.
    template <typename U>
    HRESULT As(ComPtr<U>* other) const {
        if (m_pointer == nullptr) {
            return E_POINTER;
        }
        return m_pointer->QueryInterface(U::kIid, other->PutVoid());
    }

    void Swap(ComPtr& other) noexcept { std::swap(m_pointer, other.m_pointer); }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_pointer == b.m_pointer; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.m_pointer == nullptr; }

private:
    void AddRefHeld() {
        if (m_pointer != nullptr) {
            m_pointer->AddRef();
        }
    }

    T* m_pointer = nullptr;
};

}  // namespace veltrix::com
