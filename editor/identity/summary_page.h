// The Summary page: the name, e-mail address and phone numbers of the record, read-only,
// recomputed when a record is shown and each time the page becomes active.
#pragma once

#include <array>

#include "editor/identity/identity_page.h"

class QLabel;

namespace veltrix::editor::identity {

class SummaryPage : public IdentityPage {
    Q_OBJECT

public:
    explicit SummaryPage(QWidget* parent = nullptr);

    void Load(CIdentity* identity) override;
    void Activated() override;

private:
    void Refresh();

    CIdentity* m_identity = nullptr;
    std::array<QLabel*, 7> m_texts{};
};

}  // namespace veltrix::editor::identity
