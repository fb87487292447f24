#include "editor/weblogin/field_data.h"

#include "editor/weblogin/field_rows.h"
#include "editor/weblogin/web_login_texts.h"
#include "platform/text.h"

namespace veltrix::editor::weblogin {
std::u16string FieldDataText(const CWebLoginField& field) {
    if (field.HasState()) {
        return std::u16string(StateText(field.state));
    }
    return field.data;
}

std::optional<std::u16string> ApplyFieldData(CWebLoginField& field, std::u16string_view text) {
    if (!field.HasState()) {
        field.data = std::u16string(text);
        return field.data;
    }
    if (text::EqualsNoCase(text, kChecked)) {
        field.state = 1;
    } else if (text::EqualsNoCase(text, kNotChecked)) {
        field.state = 0;
    } else {
        return std::nullopt;
    }
    return std::u16string(StateText(field.state));
}

std::u16string InvalidStateMessage() {
    return FormatText(kInvalidState, {kChecked, kNotChecked});
}

std::optional<std::u16string> EditFieldData(CWebLoginField& field, std::u16string_view nameCell,
                                            IFieldDataPrompt& prompt, ui::IUserInterface& ui) {
    const std::u16string promptText = FormatText(kEditPrompt, {nameCell});
    std::u16string text = FieldDataText(field);
    while (true) {
        std::optional<std::u16string> answer = prompt.Ask(kEditCaption, promptText, text);
        if (!answer) {
            return std::nullopt;
        }
        if (auto cell = ApplyFieldData(field, *answer)) {
            return cell;
        }
        ui.ShowMessage(InvalidStateMessage(), ui::Buttons::Ok, ui::Icon::Exclamation);
        text = std::move(*answer);
    }
}

bool CopyFieldData(const CWebLoginField& field, ui::IUserInterface& ui) {
    return ui.SetClipboardText(FieldDataText(field));
}

}  // namespace veltrix::editor::weblogin
