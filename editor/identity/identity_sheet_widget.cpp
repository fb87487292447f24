#include "editor/identity/identity_sheet_widget.h"

namespace veltrix::editor {

// Placeholder until the pages are built: holds the record and shows no page.
IdentitySheetWidget::IdentitySheetWidget(ui::IUserInterface& ui, QWidget* parent)
    : QTabWidget(parent), m_ui(ui) {}

void IdentitySheetWidget::Attach(CIdentity* identity) {
    m_identity = identity;
}

bool IdentitySheetWidget::ValidateActivePage() {
    return true;
}

int IdentitySheetWidget::HelpTopic() const {
    return 910;
}

}  // namespace veltrix::editor
