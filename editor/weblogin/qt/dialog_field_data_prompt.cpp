#include "editor/weblogin/qt/dialog_field_data_prompt.h"

#include <QLineEdit>

#include "editor/qt/name_prompt_dialog.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::weblogin {

std::optional<std::u16string> DialogFieldDataPrompt::Ask(std::u16string_view caption,
                                                         std::u16string_view prompt,
                                                         std::u16string_view text) {
    qt::CNamePromptDlg dialog(caption, m_parent);
    dialog.SetTexts(caption, prompt);
    dialog.SetEmptyAllowed(true);
    dialog.Edit()->setText(ui::qt::ToQString(text));
    dialog.Edit()->selectAll();
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Name();
}

}  // namespace veltrix::editor::weblogin
