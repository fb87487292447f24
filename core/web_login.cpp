#include "core/web_login.h"

namespace veltrix {

void CWebLogin::SetAutoSubmitDisabled(bool disabled) {
    if (disabled) {
        m_options |= kOptionDisableAutoSubmit;
    } else {
        m_options &= ~kOptionDisableAutoSubmit;
    }
}

}  // namespace veltrix
