// How the re-encryption switches the session's master password: through the editor link in the
// editor, directly or not at all elsewhere.
#pragma once

#include <string_view>

#include "editor/editor_link.h"

namespace veltrix::editor {

class ISessionSwitch {
public:
    virtual ~ISessionSwitch() = default;
    // Makes `password` the session's master password.
    virtual bool SetPassword(std::u16string_view password) = 0;
    // Forgets the password, so that the next use asks for it (and checks it against the vault).
    virtual bool EndSession() = 0;
};

// The editor's session, through its link to vtxcore.
class CEditorLinkSession : public ISessionSwitch {
public:
    explicit CEditorLinkSession(EditorLink& link) : m_link(link) {}
    bool SetPassword(std::u16string_view password) override { return m_link.SetPassword(password); }
    bool EndSession() override { return m_link.EndSession(); }

private:
    EditorLink& m_link;
};

}  // namespace veltrix::editor
