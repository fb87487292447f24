// What the logic behind the two form prompts shares: the page it works on, the browser window
// that shows the prompt, the prompt's dismissed flag, and the No and Exclude buttons.
#pragma once

#include "formengine/form/form_page_state.h"
#include "formengine/views/form_prompts.h"

namespace veltrix {

class CPromptLogic {
public:
    void HidePrompt();
    // Any button dismisses the prompt for the page; a new top-level page may prompt again.
    bool Dismissed() const { return m_dismissed; }
    void ResetDismissed() { m_dismissed = false; }

protected:
    CPromptLogic(FormPageState& page, IPageHost& host) : m_page(page), m_host(host) {}
    ~CPromptLogic() = default;

    virtual formviews::IPromptWindow* Window() const = 0;
    // Marks the prompt dismissed and carries out No (hide) and Exclude (hide once the site is
    // excluded); false for Yes, which is the caller's.
    bool HandleDismissingButton(formviews::PromptButton button);

    FormPageState& m_page;
    IPageHost& m_host;

private:
    bool m_dismissed = false;
};

}  // namespace veltrix
