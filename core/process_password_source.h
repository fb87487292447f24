// A master password held by this process alone, for programs that run without the shared session.
// It prompts through the UI port like the session does: the Enter prompt when records exist, whose
// answer must open an existing record file, else the Choose prompt.
#pragma once

#include <string>

#include "core/password_source.h"

namespace veltrix {

class CProcessPasswordSource : public IPasswordSource {
public:
    // Installs itself as the process's password source for its lifetime.
    CProcessPasswordSource();
    ~CProcessPasswordSource() override;
    CProcessPasswordSource(const CProcessPasswordSource&) = delete;
    CProcessPasswordSource& operator=(const CProcessPasswordSource&) = delete;

    bool GetPassword(std::u16string& password) override;
    bool EndSession() override;

private:
    bool PromptForPassword();

    std::u16string password_;
    IPasswordSource* previous_;
};

// The record file a newly entered master password is checked against: the current Identity's file,
// else the first Identity, Web Login or Secure Note file; empty when the vault holds no record.
std::u16string FindVerificationFile();

}  // namespace veltrix
