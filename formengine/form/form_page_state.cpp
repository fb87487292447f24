#include "formengine/form/form_page_state.h"

#include <algorithm>

namespace veltrix {

void FormPageState::ForgetSubmitted(const CWebForm* form) {
    if (std::erase(submittedForms, form) > 0) {
        submitState = 0;
    }
}

}  // namespace veltrix
