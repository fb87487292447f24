// The UI port: every message box and dialog the logic shows goes through this interface, so the
// logic runs the same under Qt, in the terminal and headless in tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veltrix::ui {

// Every message box carries the product name as its caption.
inline constexpr std::u16string_view kCaption = u"Veltrix";

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Icon { None, Information, Exclamation, Stop, Question };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// The two master-password prompts: Enter when records exist, Choose on first use.
enum class PasswordPrompt { Enter, Choose };

class IUserInterface {
public:
    virtual ~IUserInterface() = default;
    // Shows a modal message box captioned kCaption and returns the button pressed.
    virtual Answer ShowMessage(std::u16string_view text, Buttons buttons, Icon icon) = 0;
    // Shows a password prompt; nullopt when the user cancels. The result obeys the prompt's rules
    // (4 to 56 characters; for Choose, both entries equal).
    virtual std::optional<std::u16string> PromptPassword(PasswordPrompt prompt) = 0;
    // A wait cursor around longer operations; ignored where there is none.
    virtual void SetBusy(bool /*busy*/) {}
};

// The process's implementation, chosen at start; a silent one that answers Cancel / No until set.
IUserInterface& CurrentUi();
// Installs `ui` (not owned) as the process's implementation; null restores the silent one.
void SetCurrentUi(IUserInterface* ui);

// Shows a message box with an OK button through the current implementation.
void ShowMessage(std::u16string_view text, Icon icon = Icon::None);

// Holds the wait cursor for a scope.
class BusyScope {
public:
    BusyScope() { CurrentUi().SetBusy(true); }
    ~BusyScope() { CurrentUi().SetBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

}  // namespace veltrix::ui
