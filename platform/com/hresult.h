// Result codes of COM calls, with the numbers Windows gives them: zero and positive values are
// successes, negative ones failures.
#pragma once

#include <cstdint>

namespace veltrix::com {

using HRESULT = std::int32_t;

namespace hresult_detail {
constexpr HRESULT Code(std::uint32_t bits) {
    return static_cast<HRESULT>(bits);
}
}  // namespace hresult_detail

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

inline constexpr HRESULT E_NOTIMPL = hresult_detail::Code(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = hresult_detail::Code(0x80004002);
inline constexpr HRESULT E_POINTER = hresult_detail::Code(0x80004003);
inline constexpr HRESULT E_FAIL = hresult_detail::Code(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = hresult_detail::Code(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = hresult_detail::Code(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = hresult_detail::Code(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = hresult_detail::Code(0x80070057);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = hresult_detail::Code(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = hresult_detail::Code(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = hresult_detail::Code(0x80040154);
// The library named by the registration cannot be loaded.
inline constexpr HRESULT CO_E_DLLNOTFOUND = hresult_detail::Code(0x800401F8);
// The library lacks an entry point that the call needs.
inline constexpr HRESULT CO_E_ERRORINDLL = hresult_detail::Code(0x800401F9);

// By-name invocation.
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = hresult_detail::Code(0x80020003);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = hresult_detail::Code(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = hresult_detail::Code(0x80020006);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = hresult_detail::Code(0x8002000E);

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

}  // namespace veltrix::com
