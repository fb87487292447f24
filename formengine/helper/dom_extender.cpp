#include "formengine/helper/dom_extender.h"

#include "platform/com/com_ptr.h"

namespace veltrix {

static_assert(static_cast<int>(IDOMExtender::kMenuFillForm) == IBHOView::kFillForm &&
              static_cast<int>(IDOMExtender::kMenuLogoff) == IBHOView::kLogoff &&
              static_cast<int>(IDOMExtender::kMenuIdentities) == IBHOView::kIdentities);

com::HRESULT DOMExtender::Create(const com::Guid& iid, void** object) {
    return com::CreateComObject<DOMExtender>(iid, object, nullptr);
}

com::HRESULT DOMExtender::Run(IBHOView::DispatchId command) {
    if (m_helper == nullptr) {
        return com::S_OK;
    }
    // The command may end the helper object's attachment; it stays alive until the call returns.
    const com::ComPtr<IBHOView> helper(m_helper);
    helper->Invoke(command, {}, nullptr);
    return com::S_OK;
}

com::HRESULT DOMExtender::GetIdOfName(std::u16string_view name, com::DispId* id) {
    return com::DispatchTable(kMembers).IdOfName(name, id);
}

com::HRESULT DOMExtender::Invoke(com::DispId id, std::span<const com::Variant> args,
                                 com::Variant* /*result*/) {
    if (!com::DispatchTable(kMembers).Contains(id)) {
        return com::DISP_E_MEMBERNOTFOUND;
    }
    if (!args.empty()) {
        return com::DISP_E_BADPARAMCOUNT;
    }
    // The members' ids follow the helper object's commands one to one.
    return Run(static_cast<IBHOView::DispatchId>(id));
}

}  // namespace veltrix
