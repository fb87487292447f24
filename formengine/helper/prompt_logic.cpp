#include "formengine/helper/prompt_logic.h"

#include "formengine/helper/prompt_support.h"

namespace veltrix {

void CPromptLogic::HidePrompt() {
    if (formviews::IPromptWindow* window = Window()) {
        window->Hide();
    }
}

bool CPromptLogic::HandleDismissingButton(formviews::PromptButton button) {
    m_dismissed = true;
    switch (button) {
        case formviews::PromptButton::Yes:
            return false;
        case formviews::PromptButton::No:
            HidePrompt();
            return true;
        case formviews::PromptButton::Exclude:
            if (ConfirmSiteExclusion(m_page.settings, m_page.pageUrl, m_host)) {
                HidePrompt();
            }
            return true;
    }
    return true;
}

}  // namespace veltrix
