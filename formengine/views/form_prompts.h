// The dialogs of the browser form engine: the Fill Identity and Fill Web Login prompts, modeless
// windows that a browser window keeps for its life and shows near its top right corner, and the
// modal Save Web Login dialog. The logic fills their lists and reacts to their buttons; the form
// views (form_views.h) create them, as Qt widgets (formengine/qt) or in memory for tests and
// headless hosts (memory_form_views.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/ui_port.h"

namespace veltrix::formviews {

// --- Texts ("%s": the product name) ---
inline constexpr std::u16string_view kFillIdentityCaption = u"Fill Form - %s";
inline constexpr std::u16string_view kFillIdentityText =
    u"Would you like %s to fill in the form on this \\npage?";
inline constexpr std::u16string_view kSelectIdentityGroup = u"Select Identity";
inline constexpr std::u16string_view kSelectCreditCardGroup = u"Select Credit Card";
inline constexpr std::u16string_view kSelectBankAccountGroup = u"Select Bank Account";

inline constexpr std::u16string_view kFillWebLoginCaption = u"Fill Web Login Form - %s";
inline constexpr std::u16string_view kFillWebLoginText =
    u"Would you like %s to fill in the web login form\\non this page?";
inline constexpr std::u16string_view kSelectWebLoginGroup = u"Select Web Login";

inline constexpr std::u16string_view kSaveWebLoginCaption = u"Save Web Login - %s";
inline constexpr std::u16string_view kSaveWebLoginText =
    u"Would you like Veltrix to save the login\\ninformation on this page?\\n";
inline constexpr std::u16string_view kWebLoginNameGroup = u"Web Login Name";

inline constexpr std::u16string_view kYesButton = u"&Yes";
inline constexpr std::u16string_view kNoButton = u"No";
inline constexpr std::u16string_view kExcludeButton = u"Exclude";
inline constexpr std::u16string_view kHelpButton = u"Help";

// Help contexts of the three dialogs.
inline constexpr int kFillIdentityHelpContext = 900;
inline constexpr int kFillWebLoginHelpContext = 901;
inline constexpr int kSaveWebLoginHelpContext = 902;

// `format` with its "%s" replaced by `text` and its "\n" escapes by line breaks.
std::u16string FormatPromptText(std::u16string_view format,
                                std::u16string_view text = ui::kCaption);

// The buttons that close or act on a prompt; Help is handled by the prompt itself.
enum class PromptButton { Yes, No, Exclude };

// The Save Web Login dialog's answer.
enum class SaveWebLoginAnswer { Yes, No, Exclude };

// A combo box's content: its entries in the order shown (the logic sorts the sorted lists), the
// selected one (-1: none) and whether the box takes input.
struct ChoiceList {
    std::vector<std::u16string> entries;
    int selected = -1;
    bool enabled = true;

    std::u16string SelectedText() const {
        return selected >= 0 && selected < static_cast<int>(entries.size()) ? entries[selected]
                                                                            : std::u16string();
    }
};

class IPromptHandler {
public:
    virtual void OnPromptButton(PromptButton button) = 0;

protected:
    ~IPromptHandler() = default;
};

class IFillIdentityPromptHandler : public IPromptHandler {
public:
    // The user selected `name` in the Identity list.
    virtual void OnIdentityChosen(std::u16string_view name) = 0;

protected:
    ~IFillIdentityPromptHandler() = default;
};

// What both prompts share: a modeless window with a size, shown at a place.
class IPromptWindow {
public:
    virtual ~IPromptWindow() = default;
    // The window's width and height (left and top are 0).
    virtual ui::ScreenRect Size() const = 0;
    // Shows the window with its top left corner at (x, y); without `activate` it does not take
    // the focus.
    virtual void ShowAt(std::int32_t x, std::int32_t y, bool activate) = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
};

// The Fill Identity prompt: the Identities, the Identity's credit cards and bank accounts.
class IFillIdentityPrompt : public IPromptWindow {
public:
    virtual void SetIdentities(const ChoiceList& list) = 0;
    virtual void SetCreditCards(const ChoiceList& list) = 0;
    virtual void SetBankAccounts(const ChoiceList& list) = 0;
    // The entries selected now; empty when none.
    virtual std::u16string SelectedIdentity() const = 0;
    virtual std::u16string SelectedCreditCard() const = 0;
    virtual std::u16string SelectedBankAccount() const = 0;
};

// The Fill Web Login prompt: the Web Logins that fit the page.
class IFillWebLoginPrompt : public IPromptWindow {
public:
    virtual void SetWebLogins(const ChoiceList& list) = 0;
    virtual std::u16string SelectedWebLogin() const = 0;
};

}  // namespace veltrix::formviews
