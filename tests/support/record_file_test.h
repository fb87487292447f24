// Test support: a fixture for tests that write and read record files, with an isolated
// environment, the scripted UI and a master password of "Secret1".
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::test {

class RecordFileTest : public ::testing::Test {
protected:
    // A path in the test's own folder.
    std::u16string Path(const char* name) const {
        return text::FromUtf8((env.Root() / name).string());
    }

    IsolatedEnvironment env;
    ui::ScriptedUi ui;
    FakePasswordSource source{u"Secret1"};
};

}  // namespace veltrix::test
