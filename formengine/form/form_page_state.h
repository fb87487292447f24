// What one browser window knows of its current page: the page form list and the state that the
// form capture, the Web Login fill and the helper object share while the page is shown.
#pragma once

#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/record_io.h"
#include "formengine/form/web_form.h"
#include "formengine/views/form_prompts.h"

namespace veltrix {

struct FormPageState {
    explicit FormPageState(config::Settings& settings) : settings(settings) {}

    // The settings every decision on the page reads.
    config::Settings& settings;
    // The top-level address and the title of the last completed document.
    std::u16string pageUrl;
    std::u16string pageTitle;
    // Every form of the top document and its frames.
    PageFormList forms;
    // The forms the current navigation submitted, each once (not owned: they are in `forms`).
    std::vector<CWebForm*> submittedForms;
    // 2 when the submitted forms are known; 1 after an automatic submit, so that the navigation
    // it causes is not taken for a login the user typed; 0 otherwise.
    int submitState = 0;
    // A click on a submit control already refreshed the values of its form.
    bool valuesCaptured = false;
    // The Web Login most recently submitted automatically in this window; the same name is not
    // submitted again, which stops a failing login from being retried endlessly.
    std::u16string lastAutoSubmitted;
    // Password refused (a read found no master password) and loading flags of Web Login reads.
    WebLoginLoadContext load;

    // Forgets the submission of the current page.
    void ClearSubmission() {
        submittedForms.clear();
        submitState = 0;
        valuesCaptured = false;
    }
    // Drops `form` from the submitted forms (before it is discarded).
    void ForgetSubmitted(const CWebForm* form);
};

// What the page logic asks of the browser window that hosts it.
class IPageHost {
public:
    // Shows a prompt near the top right corner of the browser window.
    virtual void ShowPrompt(formviews::IPromptWindow& prompt, bool activate) = 0;
    // Tells a running editor that records or the excluded sites changed.
    virtual void RefreshEditor() = 0;

protected:
    ~IPageHost() = default;
};

}  // namespace veltrix
