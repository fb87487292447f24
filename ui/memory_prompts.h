// The form prompts kept in memory: what the default UI port, the scripted UI and headless browser
// hosts create. They show nothing; they keep the lists, the visibility and the placement the logic
// gave them, and offer hooks to act on them as a user would.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/form_prompts.h"

namespace veltrix::ui {

// What both memory prompts keep of their window.
class MemoryPromptWindow {
public:
    int ShowCount() const { return showCount_; }
    // Whether the last ShowAt asked for activation.
    bool Activated() const { return activated_; }
    std::int32_t X() const { return x_; }
    std::int32_t Y() const { return y_; }
    // The help contexts opened with PressHelp, in order.
    const std::vector<int>& HelpOpened() const { return helpOpened_; }
    // `callback` runs when the prompt is destroyed (one callback; a new one replaces it).
    void SetOnDestroyed(std::function<void()> callback) { onDestroyed_ = std::move(callback); }

protected:
    MemoryPromptWindow() = default;
    ~MemoryPromptWindow();
    MemoryPromptWindow(const MemoryPromptWindow&) = delete;
    MemoryPromptWindow& operator=(const MemoryPromptWindow&) = delete;

    void Show(std::int32_t x, std::int32_t y, bool activate);
    void SetVisible(bool visible) { visible_ = visible; }
    bool Visible() const { return visible_; }
    void RecordHelp(int context) { helpOpened_.push_back(context); }

private:
    bool visible_ = false;
    bool activated_ = false;
    std::int32_t x_ = 0;
    std::int32_t y_ = 0;
    int showCount_ = 0;
    std::vector<int> helpOpened_;
    std::function<void()> onDestroyed_;
};

class MemoryFillIdentityPrompt final : public IFillIdentityPrompt, public MemoryPromptWindow {
public:
    static constexpr std::int32_t kWidth = 330;
    static constexpr std::int32_t kHeight = 230;

    explicit MemoryFillIdentityPrompt(IFillIdentityPromptHandler& handler) : handler_(handler) {}

    ScreenRect Size() const override { return {0, 0, kWidth, kHeight}; }
    void ShowAt(std::int32_t x, std::int32_t y, bool activate) override { Show(x, y, activate); }
    void Hide() override { SetVisible(false); }
    bool IsVisible() const override { return Visible(); }

    void SetIdentities(const ChoiceList& list) override { identities_ = list; }
    void SetCreditCards(const ChoiceList& list) override { creditCards_ = list; }
    void SetBankAccounts(const ChoiceList& list) override { bankAccounts_ = list; }
    std::u16string SelectedIdentity() const override { return identities_.SelectedText(); }
    std::u16string SelectedCreditCard() const override { return creditCards_.SelectedText(); }
    std::u16string SelectedBankAccount() const override { return bankAccounts_.SelectedText(); }

    const ChoiceList& Identities() const { return identities_; }
    const ChoiceList& CreditCards() const { return creditCards_; }
    const ChoiceList& BankAccounts() const { return bankAccounts_; }

    // Selects the Identity `name` as the user would and reports it to the handler. False, and no
    // report, when the list lacks the name or is disabled.
    bool ChooseIdentity(std::u16string_view name);
    // Select an entry only (the empty name: the empty entry). False when the list lacks the name
    // or is disabled.
    bool SelectCreditCard(std::u16string_view name);
    bool SelectBankAccount(std::u16string_view name);

    // The buttons: Yes, No and Exclude go to the handler; Help records the help context.
    void Press(PromptButton button) { handler_.OnPromptButton(button); }
    void PressHelp() { RecordHelp(kFillIdentityHelpContext); }

private:
    IFillIdentityPromptHandler& handler_;
    ChoiceList identities_;
    ChoiceList creditCards_;
    ChoiceList bankAccounts_;
};

class MemoryFillWebLoginPrompt final : public IFillWebLoginPrompt, public MemoryPromptWindow {
public:
    static constexpr std::int32_t kWidth = 330;
    static constexpr std::int32_t kHeight = 150;

    explicit MemoryFillWebLoginPrompt(IPromptHandler& handler) : handler_(handler) {}

    ScreenRect Size() const override { return {0, 0, kWidth, kHeight}; }
    void ShowAt(std::int32_t x, std::int32_t y, bool activate) override { Show(x, y, activate); }
    void Hide() override { SetVisible(false); }
    bool IsVisible() const override { return Visible(); }

    void SetWebLogins(const ChoiceList& list) override { webLogins_ = list; }
    std::u16string SelectedWebLogin() const override { return webLogins_.SelectedText(); }

    const ChoiceList& WebLogins() const { return webLogins_; }
    // Selects the entry `name`; false when the list lacks it or is disabled.
    bool SelectWebLogin(std::u16string_view name);

    void Press(PromptButton button) { handler_.OnPromptButton(button); }
    void PressHelp() { RecordHelp(kFillWebLoginHelpContext); }

private:
    IPromptHandler& handler_;
    ChoiceList webLogins_;
};

}  // namespace veltrix::ui
