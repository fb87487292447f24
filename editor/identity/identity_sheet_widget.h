#pragma once

#include <QTabWidget>

#include "core/identity.h"
#include "ui/ui_port.h"

namespace veltrix::editor {

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

signals:
    void Changed();

private:
    ui::IUserInterface& m_ui;
    CIdentity* m_identity = nullptr;
};

}  // namespace veltrix::editor
