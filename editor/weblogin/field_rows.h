// The rows of the Web Login sheet's field list: which of the record's fields show and the three
// cell texts of each, from the field's kind and input type.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/web_login.h"

namespace veltrix::editor::weblogin {

// Element kinds and input types the rows tell apart.
enum FieldKindCode : int { kKindInput = 0, kKindSelect = 1, kKindTextArea = 2, kKindAnchor = 3 };
enum InputTypeCode : int {
    kInputText = 0,
    kInputPassword = 1,
    kInputCheckBox = 2,
    kInputRadio = 3,
    kInputNumber = 4,
    kInputOther = 13,
};

struct FieldRow {
    std::size_t fieldIndex = 0;  // the field's index in the record's array
    std::u16string name;         // "Field Name"
    std::u16string data;         // "Field Data"
    std::u16string type;         // "Field Type"

    bool operator==(const FieldRow&) const = default;
};

// `format` with each "%s" replaced by the next of `values`, in order; a placeholder without a
// value stays. Values are never searched for placeholders themselves.
std::u16string FormatText(std::u16string_view format,
                          std::initializer_list<std::u16string_view> values);

// "Checked" for state 1, else "Not checked".
std::u16string_view StateText(int state);

// The "Field Type" cell of a field, or nullopt when the field is not listed: kinds other than 0 to
// 3, buttons, images, files and hidden fields (types 5 to 12), and codes no input type has.
// Type 13 ("anything else") is named after its kind: an input of a type the list does not tell
// apart (an e-mail or telephone box) is "Text", a list box "Select", a text area "Text Area" and
// an anchor "Link".
std::optional<std::u16string_view> TypeText(const CWebLoginField& field);

// The row of the field at `index`, or nullopt when it is not listed.
std::optional<FieldRow> RowOf(const CWebLoginField& field, std::size_t index);

// The rows of every listed field, in the record's order.
std::vector<FieldRow> FieldRows(const CWebLogin& login);

}  // namespace veltrix::editor::weblogin
