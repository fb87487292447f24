// The Credit Cards and Bank Accounts pages: the Identity's cards or accounts by name, and the
// fields of the selected one.
#pragma once

#include "editor/identity/sub_record_page_widget.h"

namespace veltrix::editor::identity {

class CreditCardsPage : public SubRecordPageOf<CardKind> {
    Q_OBJECT

public:
    CreditCardsPage(ui::IUserInterface& ui, INamePrompt& prompt, QWidget* parent = nullptr);

    bool CheckLeave() override;

protected:
    void FillLists(const CardEntries& entries) override;
};

class BankAccountsPage : public SubRecordPageOf<AccountKind> {
    Q_OBJECT

public:
    BankAccountsPage(ui::IUserInterface& ui, INamePrompt& prompt, QWidget* parent = nullptr);

    bool CheckLeave() override;

protected:
    void FillLists(const AccountEntries& entries) override;
};

}  // namespace veltrix::editor::identity
