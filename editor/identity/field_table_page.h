// The pages that edit plain Identity fields, one edit (or an area and number pair) per row: Name,
// Home and Business. The Name page adds its leave check.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string_view>

#include "editor/identity/identity_page.h"
#include "ui/ui_port.h"

class QLineEdit;
class QPlainTextEdit;

namespace veltrix::editor::identity {

struct FieldRow {
    std::u16string_view label;
    IdentityKey key;
    std::optional<IdentityKey> number;  // the number edit of a phone row, `key` being its area
    bool multiLine = false;
    int column = 0;  // 0 left, 1 right
};

class FieldTablePage : public IdentityPage {
    Q_OBJECT

public:
    FieldTablePage(std::span<const FieldRow> rows, QWidget* parent = nullptr);

    void Load(CIdentity* identity) override;

    // The edit of `key`, or null when the page has none.
    QWidget* Control(IdentityKey key) const;
    std::u16string Text(IdentityKey key) const;
    bool Attached() const { return m_identity != nullptr; }

private:
    void AddEdit(IdentityKey key, QLineEdit* edit);
    void Store();

    CIdentity* m_identity = nullptr;
    std::map<IdentityKey, QLineEdit*> m_edits;
    std::map<IdentityKey, QPlainTextEdit*> m_notes;
};

// The pages of this kind, with their rows.
FieldTablePage* MakeHomePage(QWidget* parent = nullptr);
FieldTablePage* MakeBusinessPage(QWidget* parent = nullptr);

// The Name page: first and last name must be present when the user leaves it.
class NamePage : public FieldTablePage {
    Q_OBJECT

public:
    NamePage(ui::IUserInterface& ui, QWidget* parent = nullptr);
    bool CheckLeave() override;

private:
    ui::IUserInterface& m_ui;
};

}  // namespace veltrix::editor::identity
