// The common part of the Credit Cards and Bank Accounts pages: the sorted name list with its
// New..., Rename... and Delete buttons over the sub-records of the Identity, and the storing of
// the page's fields into the selected one (an edit with none selected starts New first).
#pragma once

#include <QComboBox>
#include <QPushButton>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "editor/identity/identity_page.h"
#include "editor/identity/key_controls.h"
#include "editor/identity/sub_records.h"

namespace veltrix::editor::identity {

class SubRecordPageBase : public IdentityPage {
    Q_OBJECT

public:
    QComboBox* NameList() const { return m_names; }
    QPushButton* NewButton() const { return m_new; }
    QPushButton* RenameButton() const { return m_rename; }
    QPushButton* DeleteButton() const { return m_delete; }

protected:
    explicit SubRecordPageBase(QWidget* parent);

    // Creates the name list and the buttons, named after the name key.
    QWidget* MakeNameRow(std::u16string_view nameKey);
    // Lists the names again, selects the selection, enables the buttons; with `showFields` also
    // shows the selection's fields.
    void Refresh(bool showFields);
    // Stores the page into the selection; announces the change.
    void OnEdit();

    virtual std::vector<std::u16string> Names() const = 0;
    virtual std::optional<std::size_t> Selection() const = 0;
    virtual void Select(std::size_t index) = 0;
    virtual bool NewRecord() = 0;
    virtual bool RenameRecord() = 0;
    virtual bool DeleteRecord() = 0;
    // Copies the page into the selected sub-record, running New first when none is selected;
    // false when nothing was stored.
    virtual bool StoreFields() = 0;
    virtual void ShowFields() = 0;

private:
    void AfterListChange(bool changed);

    QComboBox* m_names = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_delete = nullptr;
    bool m_editing = false;
};

// The part that depends on the kind of sub-record.
template <class Kind>
class SubRecordPageOf : public SubRecordPageBase {
public:
    using Key = std::remove_const_t<decltype(Kind::kId)>;

    SubRecordPageOf(ui::IUserInterface& ui, INamePrompt& prompt, QWidget* parent)
        : SubRecordPageBase(parent), m_ui(ui), m_state(ui, prompt) {}

    void Load(CIdentity* identity) override {
        m_identity = identity;
        m_state.Attach(identity);
        Refresh(true);
        setEnabled(identity != nullptr);
    }

    QWidget* Control(Key key) const { return m_controls.Control(key); }

protected:
    std::vector<std::u16string> Names() const override { return m_state.Names(); }
    std::optional<std::size_t> Selection() const override { return m_state.Selection(); }
    void Select(std::size_t index) override { m_state.Select(index); }
    bool NewRecord() override { return m_state.New(); }
    bool RenameRecord() override { return m_state.Rename(); }
    bool DeleteRecord() override { return m_state.Delete(); }
    bool StoreFields() override {
        return m_identity != nullptr && m_state.StoreEdit(m_controls.Read());
    }
    void ShowFields() override {
        const auto entries = m_state.Shown();
        m_controls.ShowEdits(entries);
        FillLists(entries);
    }
    // Fills the page's lists for the shown entries.
    virtual void FillLists(const Entries<Key>& entries) = 0;

    // Shows a failed leave check's message and focuses its control.
    template <typename Failure>
    bool Report(const std::optional<Failure>& failure) {
        if (!failure) {
            return true;
        }
        m_ui.ShowMessage(failure->message, ui::Buttons::Ok, ui::Icon::Exclamation);
        Control(failure->focus)->setFocus();
        return false;
    }

    bool Attached() const { return m_identity != nullptr; }

    ui::IUserInterface& m_ui;
    KeyControls<Key> m_controls;

private:
    CIdentity* m_identity = nullptr;
    SubRecordPage<Kind> m_state;
};

}  // namespace veltrix::editor::identity
