// Changing and copying one field's data: the text the edit dialog starts with and the clipboard
// gets, the rule that takes the edited text back into the field, and the dialog loop around it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/web_login.h"
#include "ui/ui_port.h"

namespace veltrix::editor::weblogin {

// The field's text as the user sees it: "Checked" / "Not checked" for a check box or radio
// button, else its data. The edit dialog starts with it and Copy puts it on the clipboard.
std::u16string FieldDataText(const CWebLoginField& field);

// Takes `text` into the field: a check box or radio button accepts "Checked" (state 1) or
// "Not checked" (state 0) in any letter case, every other field takes the text as its data (an
// empty text too). Returns the field's new "Field Data" cell, or nullopt when a check box or
// radio button got another word (the field is then unchanged).
std::optional<std::u16string> ApplyFieldData(CWebLoginField& field, std::u16string_view text);

// The refusal shown for a word that is neither state.
std::u16string InvalidStateMessage();

// The Edit button, and the pop-up menu with it, are enabled exactly when one row is selected.
constexpr bool EditEnabled(int selectedRows) {
    return selectedRows == 1;
}

// The edit dialog: a caption, a prompt and one edit that starts with a text; OK is allowed with
// the edit empty.
class IFieldDataPrompt {
public:
    virtual ~IFieldDataPrompt() = default;
    // The text on OK; nullopt on Cancel.
    virtual std::optional<std::u16string> Ask(std::u16string_view caption,
                                              std::u16string_view prompt,
                                              std::u16string_view text) = 0;
};

// Edits `field`, whose row shows `nameCell` as its "Field Name": shows the dialog until the text
// is accepted (a refused word is shown through `ui` and the dialog comes back with it) or the user
// cancels. The new "Field Data" cell, or nullopt on Cancel (the field is then unchanged).
std::optional<std::u16string> EditFieldData(CWebLoginField& field, std::u16string_view nameCell,
                                            IFieldDataPrompt& prompt, ui::IUserInterface& ui);

// Puts the field's text on the clipboard, replacing what it held; false when the clipboard would
// not take it (it then keeps its content, and nothing is shown).
bool CopyFieldData(const CWebLoginField& field, ui::IUserInterface& ui);

}  // namespace veltrix::editor::weblogin
