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
    explicit ComPtr(T* pointer) : pointer_(pointer) { AddRefHeld(); }
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
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
        result.pointer_ = pointer;
        return result;
    }

    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    void Reset() {
        if (T* old = std::exchange(pointer_, nullptr)) {
            old->Release();
        }
    }
    // Gives up the reference without releasing it.
    T* Detach() { return std::exchange(pointer_, nullptr); }

    // Releases what is held and returns the slot for an out parameter of a creation call:
    // CoCreateInstance(clsid, IFoo::kIid, ptr.PutVoid()).
    void** PutVoid() {
        Reset();
        return reinterpret_cast<void**>(&pointer_);
    }
    T** Put() {
        Reset();
        return &pointer_;
    }

    // Queries the held object for interface U.
    template <typename U>
    HRESULT As(ComPtr<U>* other) const {
        if (pointer_ == nullptr) {
            return E_POINTER;
        }
        return pointer_->QueryInterface(U::kIid, other->PutVoid());
    }

    void Swap(ComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.pointer_ == b.pointer_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.pointer_ == nullptr; }

private:
    void AddRefHeld() {
        if (pointer_ != nullptr) {
            pointer_->AddRef();
        }
    }

    T* pointer_ = nullptr;
};

}  // namespace veltrix::com
