// The form views in memory, for tests and headless browser hosts: prompts that show nothing but
// keep the lists, the visibility and the placement the logic gave them and offer hooks to act on
// them as a user would, and a Save Web Login dialog answered from a queue.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formengine/views/form_prompts.h"
#include "formengine/views/form_views.h"

namespace veltrix::formviews {

// What both memory prompts keep of their window, and their buttons.
class MemoryPromptWindow {
public:
    // Yes, No and Exclude go to the handler; Help records the prompt's help context.
    void Press(PromptButton button) { m_handler.OnPromptButton(button); }
    void PressHelp() { m_helpOpened.push_back(m_helpContext); }

    int ShowCount() const { return m_showCount; }
    // Whether the last ShowAt asked for activation.
    bool Activated() const { return m_activated; }
    std::int32_t X() const { return m_x; }
    std::int32_t Y() const { return m_y; }
    // The help contexts opened with PressHelp, in order.
    const std::vector<int>& HelpOpened() const { return m_helpOpened; }
    // `callback` runs when the prompt is destroyed (one callback; a new one replaces it).
    void SetOnDestroyed(std::function<void()> callback) { m_onDestroyed = std::move(callback); }

protected:
    MemoryPromptWindow(IPromptHandler& handler, int helpContext)
        : m_handler(handler), m_helpContext(helpContext) {}
    ~MemoryPromptWindow();
    MemoryPromptWindow(const MemoryPromptWindow&) = delete;
    MemoryPromptWindow& operator=(const MemoryPromptWindow&) = delete;

    void Show(std::int32_t x, std::int32_t y, bool activate);
    void SetVisible(bool visible) { m_visible = visible; }
    bool Visible() const { return m_visible; }

private:
    IPromptHandler& m_handler;
    int m_helpContext;
    bool m_visible = false;
    bool m_activated = false;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    int m_showCount = 0;
    std::vector<int> m_helpOpened;
    std::function<void()> m_onDestroyed;
};

class MemoryFillIdentityPrompt final : public IFillIdentityPrompt, public MemoryPromptWindow {
public:
    static constexpr std::int32_t kWidth = 330;
    static constexpr std::int32_t kHeight = 230;

    explicit MemoryFillIdentityPrompt(IFillIdentityPromptHandler& handler)
        : MemoryPromptWindow(handler, kFillIdentityHelpContext), m_handler(handler) {}

    ui::ScreenRect Size() const override { return {0, 0, kWidth, kHeight}; }
    void ShowAt(std::int32_t x, std::int32_t y, bool activate) override { Show(x, y, activate); }
    void Hide() override { SetVisible(false); }
    bool IsVisible() const override { return Visible(); }

    void SetIdentities(const ChoiceList& list) override { m_identities = list; }
    void SetCreditCards(const ChoiceList& list) override { m_creditCards = list; }
    void SetBankAccounts(const ChoiceList& list) override { m_bankAccounts = list; }
    std::u16string SelectedIdentity() const override { return m_identities.SelectedText(); }
    std::u16string SelectedCreditCard() const override { return m_creditCards.SelectedText(); }
    std::u16string SelectedBankAccount() const override { return m_bankAccounts.SelectedText(); }

    const ChoiceList& Identities() const { return m_identities; }
    const ChoiceList& CreditCards() const { return m_creditCards; }
    const ChoiceList& BankAccounts() const { return m_bankAccounts; }

    // Selects the Identity `name` as the user would and reports it to the handler. False, and no
    // report, when the list lacks the name or is disabled.
    bool ChooseIdentity(std::u16string_view name);
    // Select an entry only (the empty name: the empty entry). False when the list lacks the name
    // or is disabled.
    bool SelectCreditCard(std::u16string_view name);
    bool SelectBankAccount(std::u16string_view name);

private:
    IFillIdentityPromptHandler& m_handler;
    ChoiceList m_identities;
    ChoiceList m_creditCards;
    ChoiceList m_bankAccounts;
};

class MemoryFillWebLoginPrompt final : public IFillWebLoginPrompt, public MemoryPromptWindow {
public:
    static constexpr std::int32_t kWidth = 330;
    static constexpr std::int32_t kHeight = 150;

    explicit MemoryFillWebLoginPrompt(IPromptHandler& handler)
        : MemoryPromptWindow(handler, kFillWebLoginHelpContext) {}

    ui::ScreenRect Size() const override { return {0, 0, kWidth, kHeight}; }
    void ShowAt(std::int32_t x, std::int32_t y, bool activate) override { Show(x, y, activate); }
    void Hide() override { SetVisible(false); }
    bool IsVisible() const override { return Visible(); }

    void SetWebLogins(const ChoiceList& list) override { m_webLogins = list; }
    std::u16string SelectedWebLogin() const override { return m_webLogins.SelectedText(); }

    const ChoiceList& WebLogins() const { return m_webLogins; }
    // Selects the entry `name`; false when the list lacks it or is disabled.
    bool SelectWebLogin(std::u16string_view name);

private:
    ChoiceList m_webLogins;
};

// The views of a test or a headless host: they make the prompts above, keep track of those alive,
// and answer the Save Web Login dialog from a queue.
class MemoryFormViews : public IFormViews {
public:
    MemoryFormViews() = default;
    MemoryFormViews(const MemoryFormViews&) = delete;
    MemoryFormViews& operator=(const MemoryFormViews&) = delete;

    // The next Save Web Login dialog answers `answer`, its name replaced by `name` when given.
    // With the queue empty the dialog answers No and leaves the name.
    void QueueSaveWebLogin(SaveWebLoginAnswer answer,
                           std::optional<std::u16string> name = std::nullopt);
    // The name each Save Web Login dialog showed when it opened, in order.
    const std::vector<std::u16string>& SaveWebLoginDefaults() const { return m_saveDefaults; }

    // The newest prompt of each kind made by these views that still exists; null when none does.
    // The prompts belong to whoever asked for them and may outlive these views.
    MemoryFillIdentityPrompt* FillIdentityPrompt() const;
    MemoryFillWebLoginPrompt* FillWebLoginPrompt() const;
    // Forgets the queued answers and the names shown; the prompts stay tracked.
    void Clear();

    std::unique_ptr<IFillIdentityPrompt> CreateFillIdentityPrompt(
        IFillIdentityPromptHandler& handler) override;
    std::unique_ptr<IFillWebLoginPrompt> CreateFillWebLoginPrompt(IPromptHandler& handler) override;
    SaveWebLoginAnswer AskSaveWebLogin(std::u16string& name) override;

private:
    struct SaveWebLoginReply {
        SaveWebLoginAnswer answer;
        std::optional<std::u16string> name;
    };
    // The prompts alive, oldest first. Shared with the prompts, which remove themselves when
    // destroyed, so that either side may end first.
    struct LivePrompts {
        std::vector<MemoryFillIdentityPrompt*> identity;
        std::vector<MemoryFillWebLoginPrompt*> webLogin;
    };

    std::deque<SaveWebLoginReply> m_saveReplies;
    std::vector<std::u16string> m_saveDefaults;
    std::shared_ptr<LivePrompts> m_livePrompts = std::make_shared<LivePrompts>();
};

}  // namespace veltrix::formviews
