#include "editor/weblogin/field_rows.h"

#include "editor/weblogin/web_login_texts.h"

namespace veltrix::editor::weblogin {
namespace {

constexpr std::u16string_view kPlaceholder = u"%s";

std::optional<std::u16string_view> OtherTypeText(int kind) {
    switch (kind) {
        case kKindInput:
            return kTypeText;
        case kKindSelect:
            return kTypeSelect;
        case kKindTextArea:
            return kTypeTextArea;
        case kKindAnchor:
            return kTypeAnchor;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::u16string FormatText(std::u16string_view format,
                          std::initializer_list<std::u16string_view> values) {
    std::u16string result;
    auto next = values.begin();
    std::size_t start = 0;
    while (next != values.end()) {
        const std::size_t found = format.find(kPlaceholder, start);
        if (found == std::u16string_view::npos) {
            break;
        }
        result.append(format.substr(start, found - start));
        result.append(*next);
        ++next;
        start = found + kPlaceholder.size();
    }
    result.append(format.substr(start));
    return result;
}

std::u16string_view StateText(int state) {
    return state == 1 ? kChecked : kNotChecked;
}

std::optional<std::u16string_view> TypeText(const CWebLoginField& field) {
    if (field.tag < kKindInput || field.tag > kKindAnchor) {
        return std::nullopt;
    }
    switch (field.type) {
        case kInputText:
            return kTypeText;
        case kInputPassword:
            return kTypePassword;
        case kInputCheckBox:
            return kTypeCheckBox;
        case kInputRadio:
            return kTypeRadioButton;
        case kInputNumber:
            return kTypeNumber;
        case kInputOther:
            return OtherTypeText(field.tag);
        default:
            return std::nullopt;
    }
}

std::optional<FieldRow> RowOf(const CWebLoginField& field, std::size_t index) {
    const auto type = TypeText(field);
    if (!type) {
        return std::nullopt;
    }
    FieldRow row;
    row.fieldIndex = index;
    row.type = std::u16string(*type);
    if (field.HasState()) {
        row.name = FormatText(kNameWithValue, {field.name, field.data});
        row.data = std::u16string(StateText(field.state));
    } else {
        row.name = field.name;
        row.data = field.data;
    }
    return row;
}

std::vector<FieldRow> FieldRows(const CWebLogin& login) {
    std::vector<FieldRow> rows;
    const auto& fields = login.GetFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (auto row = RowOf(fields[i], i)) {
            rows.push_back(std::move(*row));
        }
    }
    return rows;
}

}  // namespace veltrix::editor::weblogin
