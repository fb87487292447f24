#include "ui/memory_prompts.h"

#include <algorithm>
#include <utility>

namespace veltrix::ui {
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

}  // namespace

MemoryPromptWindow::~MemoryPromptWindow() {
    if (onDestroyed_) {
        std::exchange(onDestroyed_, nullptr)();
    }
}

void MemoryPromptWindow::Show(std::int32_t x, std::int32_t y, bool activate) {
    visible_ = true;
    activated_ = activate;
    x_ = x;
    y_ = y;
    ++showCount_;
}

bool MemoryFillIdentityPrompt::ChooseIdentity(std::u16string_view name) {
    if (!Select(identities_, name)) {
        return false;
    }
    // The handler may refill the lists, so it gets a name of its own.
    const std::u16string chosen(name);
    handler_.OnIdentityChosen(chosen);
    return true;
}

bool MemoryFillIdentityPrompt::SelectCreditCard(std::u16string_view name) {
    return Select(creditCards_, name);
}

bool MemoryFillIdentityPrompt::SelectBankAccount(std::u16string_view name) {
    return Select(bankAccounts_, name);
}

bool MemoryFillWebLoginPrompt::SelectWebLogin(std::u16string_view name) {
    return Select(webLogins_, name);
}

}  // namespace veltrix::ui
