// Field recognition: which Identity key belongs in a form control, decided from its kind, type,
// name, label, value, size, list-box options and the key of the control before it. Pure text
// logic over the field pattern table; never touches the page.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "formengine/recognition/field_types.h"
#include "formengine/recognition/option_list.h"

namespace veltrix {

// The facts about one control that recognition reads. The form model fills it from its field.
struct SFieldFacts {
    FieldKind kind = FieldKind::Input;
    InputType inputType = InputType::Text;
    std::u16string name;     // the "name" attribute as written
    std::u16string label;    // the text before the control
    std::u16string value;    // the value when scanned; selected option texts for a list box
    std::int32_t size = -1;  // the "size" attribute; -1 when unreadable
    const COptionList* options = nullptr;       // list boxes only; may be absent
    std::optional<std::u16string> previousKey;  // key of the field before; none for the first
};

// What the whole-form tests read of each field of a form's list, in document order.
struct SRecognisedField {
    FieldKind kind = FieldKind::Input;
    InputType inputType = InputType::Text;
    std::u16string_view label;
    std::u16string_view key;
};

class CFieldRecognizer {
public:
    // Recognition against the current local calendar year (used for expiry-year lists), read
    // when a list first needs it: the first local-time conversion of a process loads the zone.
    CFieldRecognizer() = default;
    explicit CFieldRecognizer(std::int32_t currentYear) : m_currentYear(currentYear) {}

    // The Identity key of the control, or empty when it is not recognised.
    std::u16string Recognise(const SFieldFacts& field) const;

    // The list-box content rules alone: a key, or empty when the options decide nothing.
    std::u16string RecogniseListContent(const SFieldFacts& field) const;

    // More than three keyed fields, or more than one with at most three fields per keyed one.
    // Checkboxes and radio buttons do not count as keyed.
    static bool IsIdentityForm(std::span<const SRecognisedField> fields);

    // A password field (or a text field labelled "password...") among the first four text or
    // password fields, in a form of at most ten inputs and text areas.
    static bool IsLoginForm(std::span<const SRecognisedField> fields);

    static std::int32_t CurrentLocalYear();

private:
    std::int32_t CurrentYear() const;

    mutable std::optional<std::int32_t> m_currentYear;
};

}  // namespace veltrix
