// Compiled into a host program (see host_ui_export.h), never into a library.
#include "browserui/host_ui_export.h"

#include "platform/host_services.h"

namespace {

using veltrix::ui::CurrentUi;

// Forwards to the program's current UI at each call, so that a library follows the program's
// choice even when the program installs another implementation after loading the library.
class HostUiForwarder final : public veltrix::ui::IUserInterface {
public:
    veltrix::ui::Answer ShowMessage(std::u16string_view text, veltrix::ui::Buttons buttons,
                                    veltrix::ui::Icon icon) override {
        return CurrentUi().ShowMessage(text, buttons, icon);
    }
    std::optional<std::u16string> PromptPassword(veltrix::ui::PasswordPrompt prompt) override {
        return CurrentUi().PromptPassword(prompt);
    }
    void SetBusy(bool busy) override { CurrentUi().SetBusy(busy); }
    veltrix::ui::ScreenRect WorkArea() override { return CurrentUi().WorkArea(); }
    bool SetClipboardText(std::u16string_view text) override {
        return CurrentUi().SetClipboardText(text);
    }
    void Beep(veltrix::ui::Icon icon) override { CurrentUi().Beep(icon); }
};

// Forwards to the program's current view factory at each call, likewise.
class HostViewsForwarder final : public veltrix::ui::IViewFactory {
public:
    veltrix::ui::IFeatureViews* Find(std::string_view feature) override {
        return veltrix::ui::CurrentViewFactory().Find(feature);
    }
};

}  // namespace

extern "C" __attribute__((visibility("default"), used)) const veltrix::browserui::HostUi*
VeltrixHostUiV1() {
    static HostUiForwarder ui;
    static HostViewsForwarder views;
    static const veltrix::browserui::HostUi hostUi{veltrix::browserui::kHostUiVersion, &ui, &views,
                                                   &veltrix::platform::OwnServices()};
    return &hostUi;
}
