// The texts the Web Login sheet shows: captions, labels, the field list's column headers and cell
// words, the edit dialog and its refusal, the pop-up menu.
#pragma once

#include <array>
#include <string_view>

namespace veltrix::editor::weblogin {

inline constexpr std::u16string_view kTabCaption = u"Web Login";

// Controls of the page.
inline constexpr std::u16string_view kUrlLabel = u"&URL:";
inline constexpr std::u16string_view kNotesLabel = u"&Notes:";
inline constexpr std::u16string_view kNoAutoSubmitLabel =
    u"&Disable auto-submit for this Web Login";
inline constexpr std::u16string_view kFormDataLabel = u"&Form Data:";
inline constexpr std::u16string_view kOpenButton = u"&Open";
inline constexpr std::u16string_view kEditButton = u"&Edit...";

// The field list's columns with their widths in pixels.
struct ColumnText {
    std::u16string_view caption;
    int width;
};
inline constexpr std::array<ColumnText, 3> kColumns = {{
    {u"Field Name", 128},
    {u"Field Data", 128},
    {u"Field Type", 112},
}};

// "Field Type" cells.
inline constexpr std::u16string_view kTypeText = u"Text";
inline constexpr std::u16string_view kTypePassword = u"Password";
inline constexpr std::u16string_view kTypeCheckBox = u"Check Box";
inline constexpr std::u16string_view kTypeRadioButton = u"Radio Button";
inline constexpr std::u16string_view kTypeNumber = u"Number";
inline constexpr std::u16string_view kTypeSelect = u"Select";
inline constexpr std::u16string_view kTypeTextArea = u"Text Area";
inline constexpr std::u16string_view kTypeAnchor = u"Link";

// The state of a check box or radio button, in its "Field Data" cell and in the edit dialog.
inline constexpr std::u16string_view kChecked = u"Checked";
inline constexpr std::u16string_view kNotChecked = u"Not checked";
// "Field Name" of a check box or radio button: its name, then its value in brackets.
inline constexpr std::u16string_view kNameWithValue = u"%s [%s]";

// The edit dialog; %s is the "Field Name" cell of the row.
inline constexpr std::u16string_view kEditCaption = u"Edit Web Login Field Data";
inline constexpr std::u16string_view kEditPrompt =
    u"Make your changes to the Web Login field \"%s\" ...";
// Shown when a check box or radio button gets neither word; %s are the two words.
inline constexpr std::u16string_view kInvalidState = u"Invalid data - must be \"%s\" or \"%s\"";

// The field list's pop-up menu.
inline constexpr std::u16string_view kMenuEdit = u"&Edit Field Data";
inline constexpr std::u16string_view kMenuCopy = u"&Copy Field Data";

}  // namespace veltrix::editor::weblogin
