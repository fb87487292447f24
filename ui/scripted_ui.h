// The UI port for tests: answers come from queues, and every message and prompt shown is recorded.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/form_prompts.h"
#include "ui/memory_prompts.h"
#include "ui/ui_port.h"

namespace veltrix::ui {

class ScriptedUi : public IUserInterface {
public:
    struct Message {
        std::u16string text;
        Buttons buttons;
        Icon icon;
    };

    // Installs itself as the process's UI for its lifetime.
    ScriptedUi();
    ~ScriptedUi() override;

    // The next message box is answered with `answer`. With the queue empty a box answers OK when
    // it has an OK button, else Cancel or No.
    void QueueAnswer(Answer answer) { answers_.push_back(answer); }
    // The next password prompt returns `password` (nullopt: Cancel). With the queue empty a prompt
    // is cancelled.
    void QueuePassword(std::optional<std::u16string> password) { passwords_.push_back(password); }

    // The next Save Web Login dialog answers `answer`, its name replaced by `name` when given.
    // With the queue empty the dialog answers No and leaves the name.
    void QueueSaveWebLogin(SaveWebLoginAnswer answer,
                           std::optional<std::u16string> name = std::nullopt);
    // The name each Save Web Login dialog showed when it opened, in order.
    const std::vector<std::u16string>& SaveWebLoginDefaults() const { return saveDefaults_; }

    // The newest prompt of each kind made by this UI that still exists; null when none does.
    // The prompts belong to whoever asked for them and may outlive this UI.
    MemoryFillIdentityPrompt* FillIdentityPrompt() const;
    MemoryFillWebLoginPrompt* FillWebLoginPrompt() const;

    const std::vector<Message>& Messages() const { return messages_; }
    const std::vector<PasswordPrompt>& Prompts() const { return prompts_; }
    // The texts of the messages shown, in order.
    std::vector<std::u16string> MessageTexts() const;
    // Forgets the queued answers and what was shown; the prompts stay tracked.
    void Clear();

    Answer ShowMessage(std::u16string_view text, Buttons buttons, Icon icon) override;
    std::optional<std::u16string> PromptPassword(PasswordPrompt prompt) override;
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

    std::deque<SaveWebLoginReply> saveReplies_;
    std::vector<std::u16string> saveDefaults_;
    std::shared_ptr<LivePrompts> livePrompts_ = std::make_shared<LivePrompts>();
    std::deque<Answer> answers_;
    std::deque<std::optional<std::u16string>> passwords_;
    std::vector<Message> messages_;
    std::vector<PasswordPrompt> prompts_;
    IUserInterface* previous_;
};

}  // namespace veltrix::ui
