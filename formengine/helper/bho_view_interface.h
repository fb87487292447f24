// The helper object's interface: the commands the toolbar, the Tools menu and the page's context
// menu run on the page of their window. They find the helper object through the browser
// property kBhoViewProperty and query it for IBHOView.
#pragma once

#include "platform/com/dispatch_table.h"
#include "platform/com/unknown.h"

namespace veltrix {

inline constexpr com::Guid CLSID_BHOView =
    com::GuidLiteral("{D525F71D-88D6-4D35-A84F-9E4B9DBE5F1B}");
inline constexpr com::Guid IID_IBHOView =
    com::GuidLiteral("{7B37513F-ECEC-4EB8-87BE-6565C6B122B6}");

class IBHOView : public com::IDispatch {
public:
    static constexpr com::Guid kIid = IID_IBHOView;
    using Parent = com::IDispatch;

    // Member ids of the by-name calls, in method order.
    enum DispatchId : com::DispId {
        kFillForm = 1,
        kSaveForm,
        kGeneratePassword,
        kOptions,
        kIdentities,
        kWebLogins,
        kSecureNotes,
        kLogoff,
    };
    // The by-name calls' names.
    static constexpr com::DispatchMember kMembers[] = {
        {u"FillForm", kFillForm},
        {u"SaveForm", kSaveForm},
        {u"GeneratePassword", kGeneratePassword},
        {u"Options", kOptions},
        {u"Identities", kIdentities},
        {u"WebLogins", kWebLogins},
        {u"SecureNotes", kSecureNotes},
        {u"Logoff", kLogoff},
    };

    // Fills the page as the user asked for it (Web Login first, else an Identity).
    virtual com::HRESULT FillFormCommand() = 0;
    // Offers every form of the page with data in it for saving as a Web Login.
    virtual com::HRESULT SaveFormCommand() = 0;
    // Shows the password generator.
    virtual com::HRESULT GenerateCommand() = 0;
    // Starts the editor on its options, Identities, Web Logins or Secure Notes.
    virtual com::HRESULT OptionsCommand() = 0;
    virtual com::HRESULT IdentitiesCommand() = 0;
    virtual com::HRESULT WebLoginsCommand() = 0;
    virtual com::HRESULT SecureNotesCommand() = 0;
    // Ends the master-password session for every process.
    virtual com::HRESULT LogoffCommand() = 0;

protected:
    ~IBHOView() = default;
};

}  // namespace veltrix
