#include "ui/ui_port.h"

#include <atomic>

#include "ui/form_prompts.h"
#include "ui/memory_prompts.h"

namespace veltrix::ui {
namespace {

// Used until a process installs its implementation: shows nothing and declines every question.
class SilentUi : public IUserInterface {
public:
    Answer ShowMessage(std::u16string_view, Buttons buttons, Icon) override {
        return buttons == Buttons::Ok ? Answer::Ok : (buttons == Buttons::YesNo ? Answer::No : Answer::Cancel);
    }
    std::optional<std::u16string> PromptPassword(PasswordPrompt) override { return std::nullopt; }
};

SilentUi silentUi;
std::atomic<IUserInterface*> currentUi{&silentUi};

}  // namespace

std::unique_ptr<IFillIdentityPrompt> IUserInterface::CreateFillIdentityPrompt(
    IFillIdentityPromptHandler& handler) {
    return std::make_unique<MemoryFillIdentityPrompt>(handler);
}

std::unique_ptr<IFillWebLoginPrompt> IUserInterface::CreateFillWebLoginPrompt(
    IPromptHandler& handler) {
    return std::make_unique<MemoryFillWebLoginPrompt>(handler);
}

SaveWebLoginAnswer IUserInterface::AskSaveWebLogin(std::u16string& /*name*/) {
    return SaveWebLoginAnswer::No;
}

IUserInterface& CurrentUi() { return *currentUi.load(); }

void SetCurrentUi(IUserInterface* ui) { currentUi.store(ui != nullptr ? ui : &silentUi); }

void ShowMessage(std::u16string_view text, Icon icon) { CurrentUi().ShowMessage(text, Buttons::Ok, icon); }

}  // namespace veltrix::ui
