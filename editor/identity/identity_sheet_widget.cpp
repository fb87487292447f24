#include "editor/identity/identity_sheet_widget.h"

#include "editor/identity/field_table_page.h"
#include "editor/identity/identity_texts.h"
#include "editor/identity/personal_page.h"
#include "editor/identity/sub_record_pages.h"
#include "editor/identity/summary_page.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor {

using namespace identity;

std::optional<std::u16string> IdentitySheetWidget::NamePrompt::AskName(std::u16string_view caption,
                                                                       std::u16string_view prompt) {
    INamePrompt& target =
        m_sheet.m_plugged != nullptr ? *m_sheet.m_plugged : m_sheet.m_dialogPrompt;
    return target.AskName(caption, prompt);
}

IdentitySheetWidget::IdentitySheetWidget(ui::IUserInterface& ui, QWidget* parent)
    : QTabWidget(parent), m_ui(ui) {
    AddPages();
    connect(this, &QTabWidget::currentChanged, this, &IdentitySheetWidget::OnCurrentChanged);
}

void IdentitySheetWidget::AddPages() {
    m_pages = {
        new SummaryPage(this),
        new NamePage(m_ui, this),
        MakeHomePage(this),
        MakeBusinessPage(this),
        new PersonalPage(m_ui, this),
        new CreditCardsPage(m_ui, m_namePrompt, this),
        new BankAccountsPage(m_ui, m_namePrompt, this),
    };
    for (std::size_t index = 0; index < m_pages.size(); ++index) {
        addTab(m_pages[index], ui::qt::ToQString(kPageCaptions[index]));
        connect(m_pages[index], &IdentityPage::Changed, this, &IdentitySheetWidget::Changed);
    }
}

void IdentitySheetWidget::Attach(CIdentity* identity) {
    m_identity = identity;
    for (IdentityPage* page : m_pages) {
        page->Load(identity);
    }
}

bool IdentitySheetWidget::ValidateActivePage() {
    return m_pages[static_cast<std::size_t>(m_active)]->CheckLeave();
}

int IdentitySheetWidget::HelpTopic() const {
    return kFirstHelpTopic + m_active;
}

IdentityPage* IdentitySheetWidget::Page(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_pages.size()) {
        return nullptr;
    }
    return m_pages[static_cast<std::size_t>(index)];
}

void IdentitySheetWidget::OnCurrentChanged(int index) {
    if (m_switchingBack || index < 0 || index == m_active) {
        return;
    }
    IdentityPage* left = m_pages[static_cast<std::size_t>(m_active)];
    // Back to the page first, so that its message and the focus land on it.
    m_switchingBack = true;
    setCurrentIndex(m_active);
    m_switchingBack = false;
    if (!left->CheckLeave()) {
        return;
    }
    m_switchingBack = true;
    setCurrentIndex(index);
    m_switchingBack = false;
    m_active = index;
    m_pages[static_cast<std::size_t>(index)]->Activated();
}

}  // namespace veltrix::editor
