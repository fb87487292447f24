// Runs a browse script (browse_script.h) against a headless browser: page mappings, navigation,
// user actions, answers queued for the dialogs ahead, presses on the form prompts, and checks of
// the page and of what the user was shown.
#pragma once

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "browserhost/browse_script.h"
#include "browserhost/headless_browser.h"
#include "ui/scripted_ui.h"

namespace veltrix::browserhost {

// The scripted UI that also prints each message box, password prompt and Save Web Login dialog
// as it is shown, with the answer it gets.
class EchoingUi : public ui::ScriptedUi {
public:
    explicit EchoingUi(std::ostream& out) : out_(out) {}

    ui::Answer ShowMessage(std::u16string_view text, ui::Buttons buttons, ui::Icon icon) override;
    std::optional<std::u16string> PromptPassword(ui::PasswordPrompt prompt) override;
    ui::SaveWebLoginAnswer AskSaveWebLogin(std::u16string& name) override;

private:
    std::ostream& out_;
};

class ScriptRunner {
public:
    // Files the script names are found relative to `scriptFolder`; progress goes to `out`.
    ScriptRunner(HeadlessBrowser& browser, ui::ScriptedUi& ui, std::filesystem::path scriptFolder,
                 std::ostream& out);

    // Runs the lines in order. False at the first line that fails, with `error` as
    // "line N: what failed".
    bool Run(const std::vector<ScriptLine>& lines, std::string& error);
    bool RunLine(const ScriptLine& line, std::string& error);

private:
    bool Act(const ScriptLine& line, std::string& error);
    bool Answer(const std::vector<std::string>& words, std::string& error);
    bool Prompt(const std::vector<std::string>& words, std::string& error);
    bool Expect(const std::vector<std::string>& words, std::string& error);
    // Prints the form prompts that appeared or went away.
    void ReportPrompts();

    HeadlessBrowser& browser_;
    ui::ScriptedUi& ui_;
    std::filesystem::path folder_;
    std::ostream& out_;
    std::size_t messagesChecked_ = 0;
    std::size_t saveOffersChecked_ = 0;
    bool identityShown_ = false;
    bool webLoginShown_ = false;
};

}  // namespace veltrix::browserhost
