#include "core/orvane_interface.h"

#include <string.h>

#include <string_view>

#include "core/session.h"

namespace veltrix {
namespace {

using com::HRESULT;

HRESULT FromSession(bool succeeded) {
    return succeeded ? com::S_OK : com::S_FALSE;
}

HRESULT InvokeGetPassword(IOrvaneInterface& self, com::Variant* result) {
    // The variant is the caller's copy, theirs to wipe.
    const char16_t* password = nullptr;
    const HRESULT hr = self.GetPassword(&password);
    if (result != nullptr) {
        *result = (hr == com::S_OK && password != nullptr) ? com::Variant(std::u16string(password))
                                                           : com::Variant();
    }
    return hr;
}

HRESULT InvokeSetPassword(IOrvaneInterface& self, std::span<const com::Variant> args) {
    if (args.empty() || std::holds_alternative<std::monostate>(args[0])) {
        return self.SetPassword(nullptr);
    }
    const auto* text = std::get_if<std::u16string>(&args[0]);
    return text != nullptr ? self.SetPassword(text->c_str()) : com::DISP_E_TYPEMISMATCH;
}

HRESULT InvokeRegisterEditor(IOrvaneInterface& self, std::span<const com::Variant> args) {
    const auto* window = std::get_if<std::int32_t>(&args[0]);
    if (window == nullptr) {
        return com::DISP_E_TYPEMISMATCH;
    }
    return self.RegisterEditor(static_cast<std::uint32_t>(*window));
}

// The number of arguments each member takes at most, and at least.
bool ArgumentCountFits(com::DispId id, std::size_t count) {
    switch (id) {
        case IOrvaneInterface::kSetPassword:
            return count <= 1;
        case IOrvaneInterface::kRegisterEditor:
            return count == 1;
        default:
            return count == 0;
    }
}

}  // namespace

HRESULT OrvaneInterface::Create(std::shared_ptr<config::Settings> settings, const com::Guid& iid,
                                void** object) {
    return com::CreateComObject<OrvaneInterface>(iid, object, std::move(settings));
}

OrvaneInterface::OrvaneInterface(std::shared_ptr<config::Settings> settings)
    : m_settings(std::move(settings)) {}

OrvaneInterface::~OrvaneInterface() {
    WipeHandedOut();
}

void OrvaneInterface::WipeHandedOut() {
    explicit_bzero(m_handedOut.data(), m_handedOut.size() * sizeof(char16_t));
    m_handedOut.clear();
}

HRESULT OrvaneInterface::IsPasswordKnown(bool* known) {
    if (known == nullptr) {
        return com::E_POINTER;
    }
    const session::PasswordState state = session::IsPasswordKnown();
    *known = state == session::PasswordState::Known;
    return state == session::PasswordState::Unavailable ? com::S_FALSE : com::S_OK;
}

HRESULT OrvaneInterface::GetPassword(const char16_t** password) {
    if (password == nullptr) {
        return com::E_POINTER;
    }
    *password = nullptr;
    WipeHandedOut();
    if (m_settings == nullptr || !session::GetPassword(*m_settings, m_handedOut)) {
        WipeHandedOut();
        return com::S_FALSE;
    }
    *password = m_handedOut.c_str();
    return com::S_OK;
}

HRESULT OrvaneInterface::SetPassword(const char16_t* password) {
    return FromSession(session::SetPassword(password));
}

HRESULT OrvaneInterface::RegisterEditor(std::uint32_t window) {
    return FromSession(session::RegisterEditor(window));
}

HRESULT OrvaneInterface::RefreshEditor() {
    return FromSession(session::RefreshEditor());
}

HRESULT OrvaneInterface::GetIdOfName(std::u16string_view name, com::DispId* id) {
    return com::DispatchTable(kMembers).IdOfName(name, id);
}

HRESULT OrvaneInterface::Invoke(com::DispId id, std::span<const com::Variant> args,
                                com::Variant* result) {
    if (!com::DispatchTable(kMembers).Contains(id)) {
        return com::DISP_E_MEMBERNOTFOUND;
    }
    if (!ArgumentCountFits(id, args.size())) {
        return com::DISP_E_BADPARAMCOUNT;
    }
    if (result != nullptr) {
        *result = com::Variant();
    }
    switch (id) {
        case kGetPassword:
            return InvokeGetPassword(*this, result);
        case kSetPassword:
            return InvokeSetPassword(*this, args);
        case kRegisterEditor:
            return InvokeRegisterEditor(*this, args);
        default:
            return RefreshEditor();
    }
}

}  // namespace veltrix
