// CPropSheetWebLogin: the property sheet the right pane shows for an open Web Login, with its one
// page "Web Login". Every edit goes straight into the attached record and is announced by
// Changed(); saving is the right pane's business.
#pragma once

#include <QTabWidget>

#include "core/web_login.h"
#include "ui/ui_port.h"

namespace veltrix::editor {

class CPropPageWebLogin;

class CPropSheetWebLogin : public QTabWidget {
    Q_OBJECT

public:
    explicit CPropSheetWebLogin(ui::IUserInterface& ui, QWidget* parent = nullptr);

    // Shows `login` (not owned; the right pane owns it). Null detaches the sheet.
    void Attach(CWebLogin* login);
    // The page has no leave check: it always accepts its data.
    bool ValidateActivePage() { return true; }
    int HelpTopic() const;

    CPropPageWebLogin* Page() const { return m_page; }

signals:
    void Changed();

private:
    CPropPageWebLogin* m_page;
};

}  // namespace veltrix::editor
