#include "editor/options/qt/excluded_sites_page_widget.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/identity/name_prompt_dialog.h"
#include "editor/options/options_sheet.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::options {
namespace {

// A list entry that sorts without regard to letter case, as site names are read.
class SiteItem : public QListWidgetItem {
public:
    explicit SiteItem(const QString& site) : QListWidgetItem(site) {}
    bool operator<(const QListWidgetItem& other) const override {
        const int folded = text().compare(other.text(), Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : text() < other.text();
    }
};

}  // namespace

ExcludedSitesPageWidget::ExcludedSitesPageWidget(CPropSheetOptions& sheet, QWidget* parent)
    : QWidget(parent),
      m_sheet(sheet),
      m_list(new QListWidget(this)),
      m_add(new QPushButton(tr("A&dd"), this)),
      m_delete(new QPushButton(tr("De&lete"), this)) {
    m_list->setObjectName("excludedSites");
    m_list->setSortingEnabled(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_add->setObjectName("addSite");
    m_delete->setObjectName("deleteSites");
    for (QPushButton* button : {m_add, m_delete}) {
        button->setAutoDefault(false);
    }
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, [this] {
        m_sheet.MarkChanged();
        m_sheet.ExcludedSites().Add();
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        m_sheet.MarkChanged();
        m_sheet.ExcludedSites().Delete();
    });
}

void ExcludedSitesPageWidget::ShowSites(const std::vector<std::u16string>& sites) {
    m_list->clear();
    for (const std::u16string& site : sites) {
        AddSite(site);
    }
}

void ExcludedSitesPageWidget::AddSite(std::u16string_view site) {
    m_list->addItem(new SiteItem(ui::qt::ToQString(site)));
}

void ExcludedSitesPageWidget::RemoveSite(std::u16string_view site) {
    const QString text = ui::qt::ToQString(site);
    for (int row = m_list->count() - 1; row >= 0; --row) {
        if (m_list->item(row)->text() == text) {
            delete m_list->takeItem(row);
        }
    }
}

std::vector<std::u16string> ExcludedSitesPageWidget::SelectedSites() const {
    std::vector<std::u16string> sites;
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->isSelected()) {
            sites.push_back(ui::qt::FromQString(m_list->item(row)->text()));
        }
    }
    return sites;
}

std::optional<std::u16string> ExcludedSitesPageWidget::AskName(std::u16string_view caption,
                                                               std::u16string_view prompt) {
    return identity::DialogNamePrompt(this).AskName(caption, prompt);
}

}  // namespace veltrix::editor::options
