// The Personal page: sex, marital status, birth date and place, identification numbers, mobile
// phone, driving licence with its expiry date, and notes.
#pragma once

#include "editor/identity/identity_page.h"
#include "editor/identity/key_controls.h"
#include "ui/ui_port.h"

namespace veltrix::editor::identity {

class PersonalPage : public IdentityPage {
    Q_OBJECT

public:
    PersonalPage(ui::IUserInterface& ui, QWidget* parent = nullptr);

    void Load(CIdentity* identity) override;
    bool CheckLeave() override;

    QWidget* Control(IdentityKey key) const { return m_controls.Control(key); }

private:
    void BuildLayout();
    void Store();

    ui::IUserInterface& m_ui;
    CIdentity* m_identity = nullptr;
    KeyControls<IdentityKey> m_controls;
};

}  // namespace veltrix::editor::identity
