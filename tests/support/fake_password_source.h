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
        : m_password(std::move(password)), m_previous(CurrentPasswordSource()) {
        SetPasswordSource(this);
    }
    ~FakePasswordSource() override { SetPasswordSource(m_previous); }
    FakePasswordSource(const FakePasswordSource&) = delete;
    FakePasswordSource& operator=(const FakePasswordSource&) = delete;

    bool GetPassword(std::u16string& password) override {
        ++m_getPasswordCalls;
        if (!m_password) {
            return false;
        }
        password = *m_password;
        return true;
    }
    bool EndSession() override {
        ++m_endSessionCalls;
        return true;
    }

    void SetPassword(std::optional<std::u16string> password) { m_password = std::move(password); }
    int GetPasswordCalls() const { return m_getPasswordCalls; }
    int EndSessionCalls() const { return m_endSessionCalls; }

private:
    std::optional<std::u16string> m_password;
    IPasswordSource* m_previous;
    int m_getPasswordCalls = 0;
    int m_endSessionCalls = 0;
};

}  // namespace veltrix::test
