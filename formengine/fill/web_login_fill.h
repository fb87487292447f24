// Filling page forms from saved Web Logins: whether a Web Login fits a form, the fill itself, and
// the automatic submit that logs the user in afterwards.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/web_login.h"
#include "formengine/fill/identity_fill.h"
#include "formengine/form/form_page_state.h"
#include "formengine/form/web_form.h"

namespace veltrix {

// True when the form has a field and every field's name equals, ignoring case, the name of some
// saved field. Saved fields the form lacks do not matter. A form in a frame of another site than
// its page fits only a Web Login saved from a frame of that site.
bool WebLoginFitsForm(const CWebForm& form, const CWebLogin& login);

// Writes the saved values into a form the Web Login fits and takes over its auto-submit option;
// false (and nothing written) when it does not fit.
bool FillFormFromWebLogin(CWebForm& form, const CWebLogin& login, const Highlighting& highlighting);

class CWebLoginFiller {
public:
    explicit CWebLoginFiller(FormPageState& state) : m_state(state) {}

    // Loads the Web Login `name` from the Web Logins folder and tests it against the form; a file
    // that cannot be read fits nothing.
    bool Fits(const CWebForm& form, std::u16string_view name);
    // Loads the Web Login `name` and fills the form with it.
    bool Fill(CWebForm& form, std::u16string_view name);
    // Presses the form's submit control when automatic submit is wanted for it; true when it
    // submitted.
    bool Submit(CWebForm& form, std::u16string_view name);

private:
    FormPageState& m_state;
};

}  // namespace veltrix
