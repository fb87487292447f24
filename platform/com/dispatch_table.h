// The member names of a dispatch interface and their ids, for the GetIdOfName and Invoke of every
// by-name object (the helper object's commands, the editor link, the toolbar): an interface
// declares its table beside its DispatchId enum, and its objects look names up here.
#pragma once

#include <span>
#include <string_view>

#include "platform/com/hresult.h"
#include "platform/com/unknown.h"

namespace veltrix::com {

struct DispatchMember {
    std::u16string_view name;
    DispId id;
};

class DispatchTable {
public:
    constexpr explicit DispatchTable(std::span<const DispatchMember> members)
        : m_members(members) {}

    // The id of `name`, compared without regard to case: S_OK, DISP_E_UNKNOWNNAME when no member
    // has that name, E_POINTER when `id` is null.
    HRESULT IdOfName(std::u16string_view name, DispId* id) const;
    // Whether `id` belongs to a member.
    bool Contains(DispId id) const;

private:
    std::span<const DispatchMember> m_members;
};

}  // namespace veltrix::com
