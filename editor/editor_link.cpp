#include "editor/editor_link.h"

#include "core/messages.h"
#include "core/scoped_wipe.h"
#include "editor/instance_block.h"
#include "platform/com/com_runtime.h"
#include "ui/ui_port.h"

namespace veltrix::editor {

bool EditorLink::Create() {
    if (com::FAILED(com::CoCreateInstance(CLSID_OrvaneInterface, IID_IOrvaneInterface,
                                          m_session.PutVoid())) ||
        !m_session) {
        m_session.Reset();
        ui::ShowMessage(veltrix::messages::kUnableToLoadCore, ui::Icon::Exclamation);
        return false;
    }
    return true;
}

bool EditorLink::GetPassword(std::u16string& password) {
    const char16_t* text = nullptr;
    if (!m_session || m_session->GetPassword(&text) != com::S_OK || text == nullptr) {
        return false;
    }
    password = text;
    return true;
}

bool EditorLink::EndSession() {
    return m_session && m_session->SetPassword(nullptr) == com::S_OK;
}

bool EditorLink::SetPassword(std::u16string_view password) {
    if (!m_session || password.empty()) {
        return false;
    }
    std::u16string text(password);
    const ScopedWipe wipe(text);
    return m_session->SetPassword(text.c_str()) == com::S_OK;
}

bool EditorLink::RegisterEditor(platform::WindowHandle window) {
    return m_session && m_session->RegisterEditor(window) == com::S_OK;
}

bool ForwardToRunningEditor(InstanceBlock& block, std::u16string_view commandLine) {
    const platform::WindowHandle window = block.EditorWindow();
    // The block outlives a crashed editor here, so a handle counts only while its window answers.
    if (window == 0 || !platform::IsWindow(window)) {
        return false;
    }
    block.SetForwardedCommandLine(commandLine);
    platform::SendMessage(window, WM_COMMAND, kRestoreCommand, 0);
    platform::SendMessage(window, WM_EDITOR_OPENCMD, 0, 0);
    return true;
}

}  // namespace veltrix::editor
