#include "formengine/views/memory_form_views.h"

#include <algorithm>
#include <utility>

namespace veltrix::formviews {
namespace {

// Adds `prompt` to `list` (a member of `live`) until the prompt is destroyed.
template <class Prompt, class Live>
void Track(const std::shared_ptr<Live>& live, std::vector<Prompt*> Live::*list, Prompt* prompt) {
    ((*live).*list).push_back(prompt);
    prompt->SetOnDestroyed([live, list, prompt] {
        auto& prompts = (*live).*list;
        prompts.erase(std::remove(prompts.begin(), prompts.end(), prompt), prompts.end());
    });
}

}  // namespace

void MemoryFormViews::QueueSaveWebLogin(SaveWebLoginAnswer answer,
                                        std::optional<std::u16string> name) {
    m_saveReplies.push_back({answer, std::move(name)});
}

MemoryFillIdentityPrompt* MemoryFormViews::FillIdentityPrompt() const {
    return m_livePrompts->identity.empty() ? nullptr : m_livePrompts->identity.back();
}

MemoryFillWebLoginPrompt* MemoryFormViews::FillWebLoginPrompt() const {
    return m_livePrompts->webLogin.empty() ? nullptr : m_livePrompts->webLogin.back();
}

void MemoryFormViews::Clear() {
    m_saveReplies.clear();
    m_saveDefaults.clear();
}

std::unique_ptr<IFillIdentityPrompt> MemoryFormViews::CreateFillIdentityPrompt(
    IFillIdentityPromptHandler& handler) {
    auto prompt = std::make_unique<MemoryFillIdentityPrompt>(handler);
    Track(m_livePrompts, &LivePrompts::identity, prompt.get());
    return prompt;
}

std::unique_ptr<IFillWebLoginPrompt> MemoryFormViews::CreateFillWebLoginPrompt(
    IPromptHandler& handler) {
    auto prompt = std::make_unique<MemoryFillWebLoginPrompt>(handler);
    Track(m_livePrompts, &LivePrompts::webLogin, prompt.get());
    return prompt;
}

SaveWebLoginAnswer MemoryFormViews::AskSaveWebLogin(std::u16string& name) {
    m_saveDefaults.push_back(name);
    if (m_saveReplies.empty()) {
        return SaveWebLoginAnswer::No;
    }
    SaveWebLoginReply reply = std::move(m_saveReplies.front());
    m_saveReplies.pop_front();
    if (reply.name) {
        name = std::move(*reply.name);
    }
    return reply.answer;
}

}  // namespace veltrix::formviews
