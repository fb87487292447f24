// Deciding, after a page loads or on the Fill Form command, whether the page's forms are filled
// from an Identity at once, offered in the Fill Identity prompt, or left alone; and the prompt's
// lists and buttons.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/identity.h"
#include "formengine/form/form_page_state.h"
#include "formengine/helper/prompt_logic.h"
#include "formengine/views/form_prompts.h"

namespace veltrix {

class CIdentityLogic final : public CPromptLogic, public formviews::IFillIdentityPromptHandler {
public:
    CIdentityLogic(FormPageState& page, IPageHost& host) : CPromptLogic(page, host) {}

    void CreatePrompt();
    void DestroyPrompt();
    formviews::IFillIdentityPrompt* Prompt() const { return m_prompt.get(); }

    // The decision; `manual`: the user asked for the fill.
    void Decide(bool manual);

    void OnIdentityChosen(std::u16string_view name) override;
    void OnPromptButton(formviews::PromptButton button) override;

private:
    formviews::IPromptWindow* Window() const override { return m_prompt.get(); }
    // The page forms that are identity forms and not login forms.
    int CountIdentityForms() const;
    // Fills the prompt's lists; the number of Identities, or 0 when the current one does not load.
    int FillLists();
    // Shows the listed Identities with `selected` chosen.
    void SetIdentityList(std::u16string_view selected);
    void FillCardAndAccountLists(const CIdentity& identity, std::u16string_view name);
    // Empties and disables the card and account lists; no Identity is listed.
    void ClearCardAndAccountLists();

    std::unique_ptr<formviews::IFillIdentityPrompt> m_prompt;
    // The Identity files as the prompt lists them, read once per decision.
    formviews::ChoiceList m_identities;
    // The Identity whose cards and accounts the prompt lists.
    std::u16string m_listed;
};

}  // namespace veltrix
