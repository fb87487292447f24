// Password sources over the session: directly, for code that runs where the session lives, and
// through IOrvaneInterface, for programs that reach the session in vtxcore.
#pragma once

#include <string>

#include "core/orvane_interface.h"
#include "core/password_source.h"
#include "platform/com/com_ptr.h"

namespace veltrix {

// Calls the session of this module directly.
class CSessionPasswordSource : public IPasswordSource {
public:
    bool GetPassword(std::u16string& password) override;
    bool EndSession() override;
};

// Creates the session object of vtxcore on first use, as every record file does; when it cannot
// be created, says "Unable to load vtxcore.dll" and has no password.
class COrvanePasswordSource : public IPasswordSource {
public:
    bool GetPassword(std::u16string& password) override;
    bool EndSession() override;
    // The session object, created on first use; null (after the message) when unavailable.
    IOrvaneInterface* Session();

private:
    com::ComPtr<IOrvaneInterface> session_;
};

}  // namespace veltrix
