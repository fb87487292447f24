// Compiled into a host program (see host_ui_export.h), never into a library.
#include "browserui/host_ui_export.h"

#include "platform/host_services.h"
#include "ui/form_prompts.h"

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
    std::unique_ptr<veltrix::ui::IFillIdentityPrompt> CreateFillIdentityPrompt(
        veltrix::ui::IFillIdentityPromptHandler& handler) override {
        return CurrentUi().CreateFillIdentityPrompt(handler);
    }
    std::unique_ptr<veltrix::ui::IFillWebLoginPrompt> CreateFillWebLoginPrompt(
        veltrix::ui::IPromptHandler& handler) override {
        return CurrentUi().CreateFillWebLoginPrompt(handler);
    }
    veltrix::ui::SaveWebLoginAnswer AskSaveWebLogin(std::u16string& name) override {
        return CurrentUi().AskSaveWebLogin(name);
    }
    veltrix::ui::ScreenRect WorkArea() override { return CurrentUi().WorkArea(); }
};

}  // namespace

extern "C" __attribute__((visibility("default"), used)) veltrix::ui::IUserInterface*
VeltrixHostUserInterface() {
    static HostUiForwarder forwarder;
    return &forwarder;
}

extern "C" __attribute__((visibility("default"), used)) const veltrix::platform::HostServices*
VeltrixHostPlatformServices() {
    return &veltrix::platform::OwnServices();
}
