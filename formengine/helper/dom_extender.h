// DOMExtender: the page's external object (window.external) that the helper object hands to the
// browser. Its eight methods, callable by name, run the helper object's commands; the Tools-menu
// command objects reach the helper object this way.
#pragma once

#include "formengine/helper/bho_view_interface.h"
#include "platform/com/com_object.h"

namespace veltrix {

inline constexpr com::Guid CLSID_DOMExtender =
    com::GuidLiteral("{DC718C01-E018-4A37-A9E3-4D6A7A8E2883}");
inline constexpr com::Guid IID_IDOMExtender =
    com::GuidLiteral("{24538A28-401B-42E6-A13C-12E353B087F7}");

class IDOMExtender : public com::IDispatch {
public:
    static constexpr com::Guid kIid = IID_IDOMExtender;
    using Parent = com::IDispatch;

    // Member ids of the by-name calls, in method order.
    enum DispatchId : com::DispId {
        kMenuFillForm = 1,
        kMenuSaveForm,
        kMenuGeneratePassword,
        kMenuOptions,
        kMenuIdentities,
        kMenuWebLogins,
        kMenuSecureNotes,
        kMenuLogoff,
    };
    static constexpr com::DispatchMember kMembers[] = {
        {u"MenuFillForm", kMenuFillForm},
        {u"MenuSaveForm", kMenuSaveForm},
        {u"MenuGeneratePassword", kMenuGeneratePassword},
        {u"MenuOptions", kMenuOptions},
        {u"MenuIdentities", kMenuIdentities},
        {u"MenuWebLogins", kMenuWebLogins},
        {u"MenuSecureNotes", kMenuSecureNotes},
        {u"MenuLogoff", kMenuLogoff},
    };

    // Each runs the helper object's command of the same name; S_OK in every case.
    virtual com::HRESULT MenuFillForm() = 0;
    virtual com::HRESULT MenuSaveForm() = 0;
    virtual com::HRESULT MenuGeneratePassword() = 0;
    virtual com::HRESULT MenuOptions() = 0;
    virtual com::HRESULT MenuIdentities() = 0;
    virtual com::HRESULT MenuWebLogins() = 0;
    virtual com::HRESULT MenuSecureNotes() = 0;
    virtual com::HRESULT MenuLogoff() = 0;

protected:
    ~IDOMExtender() = default;
};

class DOMExtender final : public com::ComObject<IDOMExtender> {
public:
    // An object for `helper` (not referenced: the helper object owns this one and disconnects it
    // before it goes); with a null helper the methods do nothing.
    explicit DOMExtender(IBHOView* helper) : m_helper(helper) {}

    // The creation function of the server's class table: an object without a helper object.
    static com::HRESULT Create(const com::Guid& iid, void** object);

    // The helper object is going: the methods do nothing from now on.
    void Disconnect() { m_helper = nullptr; }

    com::HRESULT MenuFillForm() override { return Run(IBHOView::kFillForm); }
    com::HRESULT MenuSaveForm() override { return Run(IBHOView::kSaveForm); }
    com::HRESULT MenuGeneratePassword() override { return Run(IBHOView::kGeneratePassword); }
    com::HRESULT MenuOptions() override { return Run(IBHOView::kOptions); }
    com::HRESULT MenuIdentities() override { return Run(IBHOView::kIdentities); }
    com::HRESULT MenuWebLogins() override { return Run(IBHOView::kWebLogins); }
    com::HRESULT MenuSecureNotes() override { return Run(IBHOView::kSecureNotes); }
    com::HRESULT MenuLogoff() override { return Run(IBHOView::kLogoff); }

    com::HRESULT GetIdOfName(std::u16string_view name, com::DispId* id) override;
    com::HRESULT Invoke(com::DispId id, std::span<const com::Variant> args,
                        com::Variant* result) override;

private:
    ~DOMExtender() override = default;
    // Runs the helper object's command `command`, when there is a helper object.
    com::HRESULT Run(IBHOView::DispatchId command);

    IBHOView* m_helper;
};

}  // namespace veltrix
