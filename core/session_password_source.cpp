#include "core/session_password_source.h"

#include <string.h>

#include "core/messages.h"
#include "core/session.h"
#include "platform/com/com_runtime.h"
#include "ui/ui_port.h"

namespace veltrix {

bool CSessionPasswordSource::GetPassword(std::u16string& password) {
    return session::GetPassword(m_settings(), password);
}

bool CSessionPasswordSource::EndSession() {
    return session::SetPassword(nullptr);
}

IOrvaneInterface* COrvanePasswordSource::Session() {
    if (!m_session) {
        if (com::FAILED(com::CoCreateInstance(CLSID_OrvaneInterface, IID_IOrvaneInterface,
                                              m_session.PutVoid()))) {
            m_session.Reset();
            ui::ShowMessage(messages::kUnableToLoadCore, ui::Icon::Exclamation);
        }
    }
    return m_session.Get();
}

bool COrvanePasswordSource::GetPassword(std::u16string& password) {
    IOrvaneInterface* session = Session();
    const char16_t* text = nullptr;
    if (session == nullptr || session->GetPassword(&text) != com::S_OK || text == nullptr) {
        return false;
    }
    password = text;
    // The interface hands out a copy of its own that stays until its next call; nothing reads it
    // after this copy, so it goes now rather than living as long as the interface.
    explicit_bzero(const_cast<char16_t*>(text), password.size() * sizeof(char16_t));
    return true;
}

bool COrvanePasswordSource::EndSession() {
    IOrvaneInterface* session = Session();
    return session != nullptr && session->SetPassword(nullptr) == com::S_OK;
}

}  // namespace veltrix
