// Where record files get the master password from. The shared session implements this seam; a
// process-local source stands in where no session is running.
#pragma once

#include <string>

namespace veltrix {

class IPasswordSource {
public:
    virtual ~IPasswordSource() = default;
    // The master password, prompting for it when none is known; false when there is none
    // (the user cancelled, or the session could not be reached).
    virtual bool GetPassword(std::u16string& password) = 0;
    // Forgets the master password, so that the next GetPassword prompts again.
    virtual bool EndSession() = 0;
};

// The process's source (not owned); null until one is installed.
IPasswordSource* CurrentPasswordSource();
void SetPasswordSource(IPasswordSource* source);

}  // namespace veltrix
