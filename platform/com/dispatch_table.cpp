#include "platform/com/dispatch_table.h"

#include "platform/text.h"

namespace veltrix::com {

HRESULT DispatchTable::IdOfName(std::u16string_view name, DispId* id) const {
    if (id == nullptr) {
        return E_POINTER;
    }
    for (const DispatchMember& member : m_members) {
        if (text::EqualsNoCase(member.name, name)) {
            *id = member.id;
            return S_OK;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

bool DispatchTable::Contains(DispId id) const {
    for (const DispatchMember& member : m_members) {
        if (member.id == id) {
            return true;
        }
    }
    return false;
}

}  // namespace veltrix::com
