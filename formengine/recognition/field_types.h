// The kinds and input types of form controls, with the numbers that records and the form model
// store for them.
#pragma once

#include <cstdint>
#include <string_view>

namespace veltrix {

// What a collected form control is. Other is never collected.
enum class FieldKind : std::int32_t {
    Input = 0,
    Select = 1,
    TextArea = 2,
    Anchor = 3,
    Other = 4,
};

// The "type" attribute of an input. Codes 6 and 7 are unused; Other is also what list boxes and
// text areas report. Codes up to Button can receive a key; Image and above never do.
enum class InputType : std::int32_t {
    Text = 0,
    Password = 1,
    Checkbox = 2,
    Radio = 3,
    Number = 4,
    Button = 5,
    Image = 8,
    File = 9,
    Hidden = 10,
    Reset = 11,
    Submit = 12,
    Other = 13,
};

// The code of a "type" attribute, compared case-insensitively; "textbox" is a text input.
InputType InputTypeFromAttribute(std::u16string_view type);

}  // namespace veltrix
