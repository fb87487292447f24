#include "formengine/recognition/field_types.h"

#include "formengine/recognition/text_normalisation.h"

namespace veltrix {

namespace {

struct STypeName {
    std::u16string_view name;
    InputType type;
};

constexpr STypeName kTypeNames[] = {
    {u"text", InputType::Text},         {u"textbox", InputType::Text},
    {u"password", InputType::Password}, {u"checkbox", InputType::Checkbox},
    {u"radio", InputType::Radio},       {u"number", InputType::Number},
    {u"button", InputType::Button},     {u"image", InputType::Image},
    {u"file", InputType::File},         {u"hidden", InputType::Hidden},
    {u"reset", InputType::Reset},       {u"submit", InputType::Submit},
};

}  // namespace

InputType InputTypeFromAttribute(std::u16string_view type) {
    const std::u16string lower = ToLower(type);
    for (const STypeName& entry : kTypeNames) {
        if (lower == entry.name) {
            return entry.type;
        }
    }
    return InputType::Other;
}

}  // namespace veltrix
