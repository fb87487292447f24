// The UI port: every message box and dialog the logic shows goes through this interface, so the
// logic runs the same under Qt, in the terminal and headless in tests.
#pragma once

#include <cstdint>
#include <memory>
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

// A rectangle in screen coordinates; right and bottom lie just outside it.
struct ScreenRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

class IFillIdentityPrompt;
class IFillIdentityPromptHandler;
class IFillWebLoginPrompt;
class IPromptHandler;
enum class SaveWebLoginAnswer;

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

    // The form prompts of a browser window (form_prompts.h): modeless windows, created hidden,
    // that report their buttons to `handler` (which outlives them). The default implementation
    // keeps their state in memory and shows nothing.
    virtual std::unique_ptr<IFillIdentityPrompt> CreateFillIdentityPrompt(
        IFillIdentityPromptHandler& handler);
    virtual std::unique_ptr<IFillWebLoginPrompt> CreateFillWebLoginPrompt(IPromptHandler& handler);
    // The Save Web Login dialog, modal. `name` comes in as the default name and goes out as
    // typed. The default implementation answers No.
    virtual SaveWebLoginAnswer AskSaveWebLogin(std::u16string& name);
    // The part of the screen windows may cover.
    virtual ScreenRect WorkArea() { return {0, 0, 1920, 1080}; }
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
