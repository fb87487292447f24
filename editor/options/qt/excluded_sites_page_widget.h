// The Excluded Sites page: the sorted list of excluded sites (several selectable, scrolling
// sideways for long names) with Add and Delete.
#pragma once

#include <QWidget>

#include "editor/options/excluded_sites_page.h"

class QListWidget;
class QPushButton;

namespace veltrix::editor::options {

class CPropSheetOptions;

class ExcludedSitesPageWidget : public QWidget, public IExcludedSitesView {
    Q_OBJECT

public:
    ExcludedSitesPageWidget(CPropSheetOptions& sheet, QWidget* parent = nullptr);

    void ShowSites(const std::vector<std::u16string>& sites) override;
    void AddSite(std::u16string_view site) override;
    void RemoveSite(std::u16string_view site) override;
    std::vector<std::u16string> SelectedSites() const override;
    std::optional<std::u16string> AskName(std::u16string_view caption,
                                          std::u16string_view prompt) override;

    QListWidget* List() const { return m_list; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* DeleteButton() const { return m_delete; }

private:
    CPropSheetOptions& m_sheet;
    QListWidget* m_list;
    QPushButton* m_add;
    QPushButton* m_delete;
};

}  // namespace veltrix::editor::options
