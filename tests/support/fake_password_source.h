// Test support: a master-password source that answers with a fixed password and counts how often
// it was asked and how often the session was ended. Installs itself for its lifetime.
#pragma once

#include <optional>
#include <string>

#include "core/password_source.h"

namespace veltrix::test {

class FakePasswordSource : public IPasswordSource {
public:
    // nullopt: there is no password (as when the user cancels the prompt).
    explicit FakePasswordSource(std::optional<std::u16string> password)
        : password_(std::move(password)), previous_(CurrentPasswordSource()) {
        SetPasswordSource(this);
    }
    ~FakePasswordSource() override { SetPasswordSource(previous_); }
    FakePasswordSource(const FakePasswordSource&) = delete;
    FakePasswordSource& operator=(const FakePasswordSource&) = delete;

    bool GetPassword(std::u16string& password) override {
        ++getPasswordCalls_;
        if (!password_) {
            return false;
        }
        password = *password_;
        return true;
    }
    bool EndSession() override {
        ++endSessionCalls_;
        return true;
    }

    void SetPassword(std::optional<std::u16string> password) { password_ = std::move(password); }
    int GetPasswordCalls() const { return getPasswordCalls_; }
    int EndSessionCalls() const { return endSessionCalls_; }

private:
    std::optional<std::u16string> password_;
    IPasswordSource* previous_;
    int getPasswordCalls_ = 0;
    int endSessionCalls_ = 0;
};

}  // namespace veltrix::test
