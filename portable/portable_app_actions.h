// The application object as the launcher frame's commands use it: CPortableApp for the editor,
// the deactivation and the errors, the configuration for the current Identity.
#pragma once

#include "core/configuration.h"
#include "portable/launcher_frame_logic.h"
#include "portable/portable_app.h"

namespace veltrix::portable {

class PortableAppActions final : public ILauncherActions {
public:
    PortableAppActions(CPortableApp& app, config::Settings& settings)
        : m_app(app), m_settings(settings) {}

    bool RunEditor(std::u16string_view arguments) override { return m_app.RunEditor(arguments); }
    bool Deactivate(bool force) override { return m_app.Deactivate(force); }
    void ShowErrors(bool activating) override { m_app.ShowErrors(activating); }
    std::u16string CurrentIdentity() override { return m_settings.GetCurrentIdentity(); }

private:
    CPortableApp& m_app;
    config::Settings& m_settings;
};

}  // namespace veltrix::portable
