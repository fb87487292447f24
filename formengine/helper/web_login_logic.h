// Deciding, after a page loads or on the Fill Form command, whether the Web Logins saved for the
// site fill the page at once, are offered in the Fill Web Login prompt, or wait; and the prompt's
// buttons.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formengine/form/form_page_state.h"
#include "formengine/helper/prompt_logic.h"
#include "formengine/views/form_prompts.h"

namespace veltrix {

class CWebLoginLogic final : public CPromptLogic, public formviews::IPromptHandler {
public:
    CWebLoginLogic(FormPageState& page, IPageHost& host) : CPromptLogic(page, host) {}

    // Creates the prompt, hidden, through the current UI; DestroyPrompt lets it go.
    void CreatePrompt();
    void DestroyPrompt();
    formviews::IFillWebLoginPrompt* Prompt() const { return m_prompt.get(); }

    // The decision; true when it filled the page or showed the prompt. `manual`: the user asked
    // for the fill.
    bool Decide(bool manual);

    void OnPromptButton(formviews::PromptButton button) override;

    // The form is about to be discarded: no match may refer to it.
    void ForgetForm(const CWebForm* form);

private:
    struct Match {
        CWebForm* form;
        std::u16string name;
    };

    formviews::IPromptWindow* Window() const override { return m_prompt.get(); }
    void BuildMatches();
    // Fills every match in order.
    void FillMatches();
    void SubmitAfterFill();
    void ShowPrompt();

    std::unique_ptr<formviews::IFillWebLoginPrompt> m_prompt;
    std::vector<Match> m_matches;
};

}  // namespace veltrix
