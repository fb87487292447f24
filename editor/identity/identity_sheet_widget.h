#pragma once

#include <QTabWidget>
#include <array>

#include "core/identity.h"
#include "editor/identity/name_prompt_dialog.h"
#include "editor/identity/sub_records.h"
#include "ui/ui_port.h"

namespace veltrix::editor {

namespace identity {
class IdentityPage;
}

// The Identity property sheet: seven pages over one open Identity. Every edit goes straight into
// the attached record and is announced by Changed(); saving is the right pane's business.
class IdentitySheetWidget : public QTabWidget {
    Q_OBJECT

public:
    explicit IdentitySheetWidget(ui::IUserInterface& ui, QWidget* parent = nullptr);

    // Shows the given record (not owned; the right pane owns it). Null detaches the sheet.
    void Attach(CIdentity* identity);

    // Runs the active page's leave check: false keeps the user on the page (and the record open).
    bool ValidateActivePage();

    // The help context of the active page.
    int HelpTopic() const;

    // Card and account names are asked through `prompt` (not owned) instead of the sheet's own
    // dialog; null goes back to that dialog.
    void SetNamePrompt(identity::INamePrompt* prompt) { m_plugged = prompt; }

    // The page at `index`, in tab order.
    identity::IdentityPage* Page(int index) const;

signals:
    void Changed();

private:
    // Forwards name prompts to the plugged prompt, else to the sheet's dialog.
    class NamePrompt : public identity::INamePrompt {
    public:
        explicit NamePrompt(IdentitySheetWidget& sheet) : m_sheet(sheet) {}
        std::optional<std::u16string> AskName(std::u16string_view caption,
                                              std::u16string_view prompt) override;

    private:
        IdentitySheetWidget& m_sheet;
    };

    void AddPages();
    // A tab switch: the page left must accept its data, else the user goes back to it.
    void OnCurrentChanged(int index);

    ui::IUserInterface& m_ui;
    CIdentity* m_identity = nullptr;
    identity::DialogNamePrompt m_dialogPrompt{this};
    identity::INamePrompt* m_plugged = nullptr;
    NamePrompt m_namePrompt{*this};
    std::array<identity::IdentityPage*, 7> m_pages{};
    int m_active = 0;
    bool m_switchingBack = false;
};

}  // namespace veltrix::editor
