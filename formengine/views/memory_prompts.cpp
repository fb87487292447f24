#include "formengine/views/memory_form_views.h"

#include <algorithm>
#include <utility>

namespace veltrix::formviews {
namespace {

// Selects the first entry equal to `name`, as a click in an enabled box would.
bool Select(ChoiceList& list, std::u16string_view name) {
    if (!list.enabled) {
        return false;
    }
    const auto found = std::find(list.entries.begin(), list.entries.end(), name);
    if (found == list.entries.end()) {
        return false;
    }
    list.selected = static_cast<int>(found - list.entries.begin());
    return true;
}

// The views of a program without its own: untracked prompts, and No to every offer to save.
class InMemoryViews final : public IFormViews {
public:
    std::unique_ptr<IFillIdentityPrompt> CreateFillIdentityPrompt(
        IFillIdentityPromptHandler& handler) override {
        return std::make_unique<MemoryFillIdentityPrompt>(handler);
    }
    std::unique_ptr<IFillWebLoginPrompt> CreateFillWebLoginPrompt(
        IPromptHandler& handler) override {
        return std::make_unique<MemoryFillWebLoginPrompt>(handler);
    }
    SaveWebLoginAnswer AskSaveWebLogin(std::u16string& /*name*/) override {
        return SaveWebLoginAnswer::No;
    }
};

}  // namespace

MemoryPromptWindow::~MemoryPromptWindow() {
    if (m_onDestroyed) {
        std::exchange(m_onDestroyed, nullptr)();
    }
}

void MemoryPromptWindow::Show(std::int32_t x, std::int32_t y, bool activate) {
    m_visible = true;
    m_activated = activate;
    m_x = x;
    m_y = y;
    ++m_showCount;
}

bool MemoryFillIdentityPrompt::ChooseIdentity(std::u16string_view name) {
    if (!Select(m_identities, name)) {
        return false;
    }
    // The handler may refill the lists, so it gets a name of its own.
    const std::u16string chosen(name);
    m_handler.OnIdentityChosen(chosen);
    return true;
}

bool MemoryFillIdentityPrompt::SelectCreditCard(std::u16string_view name) {
    return Select(m_creditCards, name);
}

bool MemoryFillIdentityPrompt::SelectBankAccount(std::u16string_view name) {
    return Select(m_bankAccounts, name);
}

bool MemoryFillWebLoginPrompt::SelectWebLogin(std::u16string_view name) {
    return Select(m_webLogins, name);
}

IFormViews& IFormViews::InMemory() {
    static InMemoryViews views;
    return views;
}

}  // namespace veltrix::formviews
