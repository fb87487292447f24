#include "editor/weblogin/qt/prop_sheet_web_login.h"

#include "editor/editor_messages.h"
#include "editor/weblogin/qt/prop_page_web_login.h"
#include "editor/weblogin/web_login_texts.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor {

CPropSheetWebLogin::CPropSheetWebLogin(ui::IUserInterface& ui, QWidget* parent)
    : QTabWidget(parent), m_page(new CPropPageWebLogin(ui, this)) {
    addTab(m_page, ui::qt::ToQString(weblogin::kTabCaption));
    setFocusProxy(m_page);
    connect(m_page, &CPropPageWebLogin::Changed, this, &CPropSheetWebLogin::Changed);
}

void CPropSheetWebLogin::Attach(CWebLogin* login) {
    m_page->Attach(login);
}

int CPropSheetWebLogin::HelpTopic() const {
    return messages::kHelpWebLogin;
}

}  // namespace veltrix::editor
