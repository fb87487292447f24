// Password sources over the session: directly, for code that runs where the session lives, and
// through IOrvaneInterface, for programs that reach the session in vtxcore.
#pragma once

#include <functional>
#include <string>

#include "core/configuration.h"
#include "core/orvane_interface.h"
#include "core/password_source.h"
#include "platform/com/com_ptr.h"

namespace veltrix {

// Calls the session of this module directly, with the settings `settings` returns at each use.
class CSessionPasswordSource : public IPasswordSource {
public:
    using SettingsSource = std::function<config::Settings&()>;
    explicit CSessionPasswordSource(SettingsSource settings) : m_settings(std::move(settings)) {}

    bool GetPassword(std::u16string& password) override;
    bool EndSession() override;

private:
    SettingsSource m_settings;
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
    com::ComPtr<IOrvaneInterface> m_session;
};

}  // namespace veltrix
