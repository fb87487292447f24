// The UI port: what every program shows. The logic shows its message boxes and password prompts
// through this interface, so that it runs the same under Qt, in the terminal and headless in tests.
//
// Conventions of the UI layer:
// - The port holds only what every program shares: message boxes, the master-password prompts,
//   the wait cursor, the work area, the clipboard, the system beep and help pages (help.h). It
//   does not grow with dialogs: a feature declares the views of its own dialogs beside its logic
//   and a program's view factory hands them out (views.h explains the pattern). The tray joins
//   the port when a program first needs it, implemented in the terminal, scripted and Qt UIs
//   alike.
// - Each implementation installs itself as the process's UI (SetCurrentUi): TerminalUi in vtx,
//   QtUserInterface (ui/qt) in Qt programs, ScriptedUi in tests; until then a silent one declines
//   every question. A library loaded into a program uses the program's (browserui/host_ui.h).
// - Only Qt implementation targets (ui/qt, <feature>/qt) link Qt; logic never includes a Qt
//   header, and this folder's headers outside ui/qt include none.
// - Texts shown are the system's own strings, kept in one place per feature; every message box is
//   captioned kCaption.
// - Modal calls return the user's answer; a missing answer (no application, nothing queued) is
//   what the window's Escape key would give. Nothing throws out of the port.
#pragma once

#include <cstdint>
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

class IUserInterface {
public:
    virtual ~IUserInterface() = default;
    // Shows a modal message box captioned kCaption and returns the button pressed.
    virtual Answer ShowMessage(std::u16string_view text, Buttons buttons, Icon icon) = 0;
    // The same under another caption, for a program that shows its own title (the portable
    // launcher); a UI without captions shows it as ShowMessage does.
    virtual Answer ShowTitledMessage(std::u16string_view /*caption*/, std::u16string_view text,
                                     Buttons buttons, Icon icon) {
        return ShowMessage(text, buttons, icon);
    }
    // Shows a password prompt; nullopt when the user cancels. The result obeys the prompt's rules
    // (4 to 56 characters; for Choose, both entries equal).
    virtual std::optional<std::u16string> PromptPassword(PasswordPrompt prompt) = 0;
    // A wait cursor around longer operations; ignored where there is none.
    virtual void SetBusy(bool /*busy*/) {}

    // The part of the screen windows may cover.
    virtual ScreenRect WorkArea() { return {0, 0, 1920, 1080}; }

    // Puts `text` on the clipboard as Unicode text; false when the clipboard cannot take it (then
    // it keeps what it held). A UI without a clipboard declines.
    virtual bool SetClipboardText(std::u16string_view /*text*/) { return false; }
    // Sounds the system's beep for `icon` (Exclamation: the warning beep); nothing where there is
    // no sound.
    virtual void Beep(Icon /*icon*/) {}
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
