// One control of a web form as the fillers, the form capture and the Web Login filler see it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "formengine/dom/dom_adapter.h"
#include "formengine/recognition/field_types.h"
#include "formengine/recognition/option_list.h"

namespace veltrix {

class CWebForm;

class CFormField {
public:
    FieldKind kind = FieldKind::Input;
    InputType inputType = InputType::Text;
    dom::ElementRef element;
    CWebForm* form = nullptr;
    // The number of fields already in the form's list when this one was built.
    std::int32_t index = 0;
    std::u16string name;
    std::u16string valueText;     // at the last capture
    std::u16string initialValue;  // when the page was scanned
    std::u16string label;
    std::u16string key;  // the recognised Identity key
    bool checkedNow = false;
    bool checkedInitially = false;
    std::int32_t size = -1;
    std::int32_t maxLength = -1;
    bool readOnly = false;
    bool disabled = false;
    bool written = false;
    // The background colour just before the latest highlight; none when never highlighted.
    std::optional<std::u16string> savedBackground;
    std::unique_ptr<COptionList> options;  // list boxes only

    // The neighbours in the form's field list; null at either end.
    CFormField* Previous() const;
    CFormField* Next() const;

    bool IsCheckable() const {
        return inputType == InputType::Checkbox || inputType == InputType::Radio;
    }
    // Refreshes the value text (and the checked state) from the page.
    void Capture();
    // The value text the page shows now: an input's value, a list box's selected option texts
    // joined by '|', nothing for an anchor.
    std::u16string CurrentValueText() const;
};

}  // namespace veltrix
