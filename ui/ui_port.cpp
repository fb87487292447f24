#include "ui/ui_port.h"

#include <atomic>

namespace veltrix::ui {
namespace {

// Used until a process installs its implementation: shows nothing and declines every question.
class SilentUi : public IUserInterface {
public:
    Answer ShowMessage(std::u16string_view, Buttons buttons, Icon) override {
        return buttons == Buttons::Ok ? Answer::Ok
                                      : (buttons == Buttons::YesNo ? Answer::No : Answer::Cancel);
    }
    std::optional<std::u16string> PromptPassword(PasswordPrompt) override { return std::nullopt; }
};

SilentUi silentUi;
std::atomic<IUserInterface*> currentUi{&silentUi};

}  // namespace

IUserInterface& CurrentUi() {
    return *currentUi.load();
}

void SetCurrentUi(IUserInterface* ui) {
    currentUi.store(ui != nullptr ? ui : &silentUi);
}

void ShowMessage(std::u16string_view text, Icon icon) {
    CurrentUi().ShowMessage(text, Buttons::Ok, icon);
}

}  // namespace veltrix::ui
