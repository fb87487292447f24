// Filling page forms from saved Web Logins: whether a Web Login fits a form, the fill itself, and
// the automatic submit that logs the user in afterwards.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/web_login.h"
#include "formengine/web_form.h"

namespace veltrix {

// What one browser window remembers between Web Login fills.
struct WebLoginFillState {
    // The Web Login most recently submitted automatically; the same name is not submitted again,
    // which stops a failing login from being retried endlessly.
    std::u16string lastAutoSubmitted;
    // 1 after an automatic submit, so that the navigation it causes is not taken for a login the
    // user typed.
    int submitState = 0;
    // The forms submitted on the current page, each once.
    std::vector<CWebForm*> submittedForms;
    // Password-refused (cancelled) and loading (busy) flags of reading Web Login files.
    WebLoginLoadContext load;
};

// True when the form has a field and every field's name equals, ignoring case, the name of some
// saved field. Saved fields the form lacks do not matter.
bool WebLoginFitsForm(const CWebForm& form, const CWebLogin& login);

// Writes the saved values into a form the Web Login fits and takes over its auto-submit option;
// false (and nothing written) when it does not fit.
bool FillFormFromWebLogin(CWebForm& form, const CWebLogin& login);

class CWebLoginFiller {
public:
    explicit CWebLoginFiller(WebLoginFillState& state) : m_state(state) {}

    // Loads the Web Login `name` from the Web Logins folder and tests it against the form; a file
    // that cannot be read fits nothing.
    bool Fits(const CWebForm& form, std::u16string_view name);
    // Loads the Web Login `name` and fills the form with it.
    bool Fill(CWebForm& form, std::u16string_view name);
    // Presses the form's submit control when automatic submit is wanted for it; true when it
    // submitted.
    bool Submit(CWebForm& form, std::u16string_view name);

private:
    WebLoginFillState& m_state;
};

}  // namespace veltrix
