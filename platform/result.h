// A value or a typed error: the result convention inside a layer (COM boundaries use HRESULT).
// Functions that can fail return Result<T, E>, where E is the layer's own status enum or error
// struct; nothing throws out of a function.
#pragma once

#include <utility>
#include <variant>

namespace veltrix {

// Wraps an error so that Result's constructor can tell it from a value of the same type.
template <typename E>
struct Failure {
    E error;
};

template <typename E>
Failure<std::decay_t<E>> Fail(E&& error) {
    return {std::forward<E>(error)};
}

template <typename T, typename E>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    template <typename F>
    Result(Failure<F> failure) : m_state(std::in_place_index<1>, std::move(failure.error)) {}

    bool HasValue() const { return m_state.index() == 0; }
    explicit operator bool() const { return HasValue(); }

    // The value; only when HasValue().
    T& Value() & { return std::get<0>(m_state); }
    const T& Value() const& { return std::get<0>(m_state); }
    T&& Value() && { return std::get<0>(std::move(m_state)); }
    T& operator*() & { return Value(); }
    const T& operator*() const& { return Value(); }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }

    // The error; only when !HasValue().
    const E& Error() const { return std::get<1>(m_state); }

private:
    std::variant<T, E> m_state;
};

// A Result without a value: success, or an error.
template <typename E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    template <typename F>
    Result(Failure<F> failure) : m_error(std::move(failure.error)), m_failed(true) {}

    bool HasValue() const { return !m_failed; }
    explicit operator bool() const { return HasValue(); }
    const E& Error() const { return m_error; }

private:
    E m_error{};
    bool m_failed = false;
};

}  // namespace veltrix
