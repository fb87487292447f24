// A session switch that calls this process's session directly, as the programs of the system
// share it (tests and the test runner have no editor link).
#pragma once

#include <string>

#include "core/session.h"
#include "editor/reencrypt/session_switch.h"

namespace veltrix::editor::test_support {

class DirectSession : public ISessionSwitch {
public:
    bool SetPassword(std::u16string_view password) override {
        const std::u16string text(password);
        return session::SetPassword(text.c_str());
    }
    bool EndSession() override { return session::SetPassword(nullptr); }
};

}  // namespace veltrix::editor::test_support
