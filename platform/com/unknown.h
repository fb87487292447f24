// The base interfaces of the COM layer. Objects cross library boundaries only as these abstract
// interfaces, identified by their interface ids; nothing relies on RTTI across modules.
//
// Every interface names its id (kIid) and the interface it extends (Parent), so that an
// implementation can answer QueryInterface for the whole chain (see com_object.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

namespace veltrix::com {

class IUnknown {
public:
    static constexpr Guid kIid = GuidLiteral("{00000000-0000-0000-C000-000000000046}");

    // Stores the object's `iid` interface in `*object` and adds a reference; E_NOINTERFACE with
    // `*object` null when the object has no such interface.
    virtual HRESULT QueryInterface(const Guid& iid, void** object) = 0;
    // Return the new reference count (for diagnostics only).
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    // Objects end through Release, never through delete on an interface.
    ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
public:
    static constexpr Guid kIid = GuidLiteral("{00000001-0000-0000-C000-000000000046}");
    using Parent = IUnknown;

    // Creates an object of the factory's class and queries it for `iid`. `outer` must be null:
    // aggregation is not supported (CLASS_E_NOAGGREGATION).
    virtual HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** object) = 0;
    // Keeps the server's library loaded while locked, whether or not objects are alive.
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

using DispId = std::int32_t;

// An argument or result of a by-name call: nothing, a flag, a number or a text.
using Variant = std::variant<std::monostate, bool, std::int32_t, std::u16string>;

// By-name invocation, for callers that know a method only by its name.
class IDispatch : public IUnknown {
public:
    static constexpr Guid kIid = GuidLiteral("{00020400-0000-0000-C000-000000000046}");
    using Parent = IUnknown;

    // The member id of `name`, compared without regard to case; DISP_E_UNKNOWNNAME when unknown.
    virtual HRESULT GetIdOfName(std::u16string_view name, DispId* id) = 0;
    // Calls member `id` with `args` in declaration order; `result` may be null. The member's own
    // result comes back unchanged; DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT or
    // DISP_E_TYPEMISMATCH when the call cannot be made.
    virtual HRESULT Invoke(DispId id, std::span<const Variant> args, Variant* result) = 0;

protected:
    ~IDispatch() = default;
};

}  // namespace veltrix::com
