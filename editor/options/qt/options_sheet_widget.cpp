#include "editor/options/qt/options_sheet_widget.h"

#include <QVBoxLayout>

#include "editor/options/options_texts.h"
#include "editor/options/qt/excluded_sites_page_widget.h"
#include "editor/options/qt/password_page_widget.h"
#include "editor/options/qt/preferences_page_widget.h"
#include "editor/options/qt/user_data_page_widget.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::options {
namespace {

constexpr std::array<std::u16string_view, kOptionsPageCount> kTabTitles = {
    kPreferencesTab, kUserDataTab, kExcludedSitesTab, kPasswordTab};

// Leaves room for the largest page before any page exists.
constexpr int kMinimumWidth = 460;
constexpr int kMinimumHeight = 300;

}  // namespace

OptionsSheetWidget::OptionsSheetWidget(config::Settings& settings, ui::IUserInterface& ui,
                                       QWidget* parent)
    : QTabWidget(parent), m_sheet(settings, ui, *this) {
    setObjectName("optionsSheet");
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    for (std::size_t i = 0; i < kOptionsPageCount; ++i) {
        m_tabs[i] = new QWidget(this);
        auto* layout = new QVBoxLayout(m_tabs[i]);
        layout->setContentsMargins(0, 0, 0, 0);
        addTab(m_tabs[i], ui::qt::ToQString(kTabTitles[i]));
    }
    m_sheet.SetChangedHandler([this] { emit Changed(); });
    connect(this, &QTabWidget::currentChanged, this, &OptionsSheetWidget::OnCurrentChanged);
}

bool OptionsSheetWidget::Apply() {
    return m_sheet.Apply();
}

bool OptionsSheetWidget::ShowPage(OptionsPage page) {
    setCurrentIndex(static_cast<int>(page));
    EnsurePage(currentIndex());
    return m_sheet.ActivePage() == page;
}

void OptionsSheetWidget::showEvent(QShowEvent* event) {
    QTabWidget::showEvent(event);
    EnsurePage(currentIndex());
}

void OptionsSheetWidget::EnsurePage(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kOptionsPageCount) {
        return;
    }
    const auto page = static_cast<OptionsPage>(index);
    QWidget* tab = m_tabs[static_cast<std::size_t>(index)];
    switch (page) {
        case OptionsPage::Preferences:
            if (m_preferences == nullptr) {
                m_preferences = new PreferencesPageWidget(m_sheet, tab);
                tab->layout()->addWidget(m_preferences);
                m_sheet.Preferences().Attach(m_preferences);
            }
            break;
        case OptionsPage::UserData:
            if (m_userData == nullptr) {
                m_userData = new UserDataPageWidget(m_sheet, tab);
                tab->layout()->addWidget(m_userData);
                m_sheet.UserData().Attach(m_userData);
            }
            break;
        case OptionsPage::ExcludedSites:
            if (m_excludedSites == nullptr) {
                m_excludedSites = new ExcludedSitesPageWidget(m_sheet, tab);
                tab->layout()->addWidget(m_excludedSites);
                m_sheet.ExcludedSites().Attach(m_excludedSites);
            }
            break;
        case OptionsPage::Password:
            if (m_password == nullptr) {
                m_password = new PasswordPageWidget(m_sheet, tab);
                tab->layout()->addWidget(m_password);
                m_sheet.Password().Attach(m_password);
            }
            break;
    }
}

void OptionsSheetWidget::OnCurrentChanged(int index) {
    if (m_switchingBack || index < 0) {
        return;
    }
    const OptionsPage left = m_sheet.ActivePage();
    if (static_cast<int>(left) != index && !m_sheet.Page(left).LeaveCheck()) {
        m_switchingBack = true;
        setCurrentIndex(static_cast<int>(left));
        m_switchingBack = false;
        return;
    }
    m_sheet.SetActivePage(static_cast<OptionsPage>(index));
    EnsurePage(index);
}

}  // namespace veltrix::editor::options
