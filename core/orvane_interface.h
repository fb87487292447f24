// The editor link interface: every user of the master-password session, the editor included,
// reaches it through IOrvaneInterface, implemented by the in-process class OrvaneInterface of
// vtxcore. Each method forwards to the session; the object keeps the settings the session reads
// and the copy of the password its last GetPassword handed out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/configuration.h"

#include "platform/com/com_object.h"
#include "platform/com/dispatch_table.h"

namespace veltrix {

inline constexpr com::Guid CLSID_OrvaneInterface =
    com::GuidLiteral("{7DEBEA2C-CDDC-408D-9521-0C7AADF89101}");
inline constexpr com::Guid IID_IOrvaneInterface =
    com::GuidLiteral("{5B927023-A009-4A7A-A7BA-3821AA8B4318}");

// Each method returns S_OK (0) on success and S_FALSE (1) on failure; callers test for non-zero.
class IOrvaneInterface : public com::IDispatch {
public:
    static constexpr com::Guid kIid = IID_IOrvaneInterface;
    using Parent = com::IDispatch;

    // Member ids of the by-name calls, in the interface's method order.
    enum DispatchId : com::DispId {
        kGetPassword = 1,
        kSetPassword = 2,
        kRegisterEditor = 3,
        kRefreshEditor = 4,
    };
    // The by-name calls' names.
    static constexpr com::DispatchMember kMembers[] = {
        {u"GetPassword", kGetPassword},
        {u"SetPassword", kSetPassword},
        {u"RegisterEditor", kRegisterEditor},
        {u"RefreshEditor", kRefreshEditor},
    };

    // The master password (prompting when none is known); `*password` points into this object:
    // copy the text at once and never free it. The text is wiped at the next GetPassword and when
    // the object goes. S_FALSE when cancelled or without a session.
    virtual com::HRESULT GetPassword(const char16_t** password) = 0;
    // A zero-terminated text replaces the password; null ends the session.
    virtual com::HRESULT SetPassword(const char16_t* password) = 0;
    // Registers the editor's main window; 0 unregisters it.
    virtual com::HRESULT RegisterEditor(std::uint32_t window) = 0;
    // Asks the registered editor to refresh its record tree.
    virtual com::HRESULT RefreshEditor() = 0;

protected:
    ~IOrvaneInterface() = default;
};

inline constexpr com::Guid IID_IOrvaneSessionState =
    com::GuidLiteral("{F2E700CB-09E0-4FC4-A67E-CC1D80CD3798}");

// An addition of ours beside IOrvaneInterface, for programs that hold the session open (vtx
// hold): whether a password is known, asked without prompting.
class IOrvaneSessionState : public com::IUnknown {
public:
    static constexpr com::Guid kIid = IID_IOrvaneSessionState;
    using Parent = com::IUnknown;

    // `*known`: a password is set and the session has not expired.
    virtual com::HRESULT IsPasswordKnown(bool* known) = 0;

protected:
    ~IOrvaneSessionState() = default;
};

class OrvaneInterface final : public com::ComObject<IOrvaneInterface, IOrvaneSessionState> {
public:
    // The creation function of the server's class table; the session reads `settings`.
    static com::HRESULT Create(std::shared_ptr<config::Settings> settings, const com::Guid& iid,
                               void** object);

    explicit OrvaneInterface(std::shared_ptr<config::Settings> settings);
    ~OrvaneInterface();

    com::HRESULT GetPassword(const char16_t** password) override;
    com::HRESULT SetPassword(const char16_t* password) override;
    com::HRESULT RegisterEditor(std::uint32_t window) override;
    com::HRESULT RefreshEditor() override;
    com::HRESULT IsPasswordKnown(bool* known) override;

    // By name: GetPassword() yields the text, SetPassword(text or nothing), RegisterEditor(number),
    // RefreshEditor().
    com::HRESULT GetIdOfName(std::u16string_view name, com::DispId* id) override;
    com::HRESULT Invoke(com::DispId id, std::span<const com::Variant> args,
                        com::Variant* result) override;

private:
    void WipeHandedOut();

    std::shared_ptr<config::Settings> m_settings;
    std::u16string m_handedOut;
};

}  // namespace veltrix
