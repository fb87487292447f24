// Form capture: noticing that the user submitted a form, and offering to save what was typed into
// it as a Web Login. Also the Save Form command, which offers every form with data in it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/web_login.h"
#include "formengine/form/form_page_state.h"
#include "formengine/form/web_form.h"

namespace veltrix {

// Refreshes every field of the form from the page; true when anything was entered: a list box
// whose selection differs from the initial one, a check box or radio whose checked state changed,
// any other field that is not empty.
bool CaptureForm(CWebForm& form);

// The values a navigation sends: from the post data, or else from the address after its first
// '?'. Pairs are cut at '&' and '=' and then decoded ("%41" and '+' as a form encodes them).
// Collection stops at the first pair without a name, and just after the first without a value.
std::vector<std::u16string> SentValues(std::u16string_view targetUrl, std::string_view postData);

// True when the form has a field to compare and the value text of each field, except check boxes
// and radio buttons that are not checked, is among `values` (exact comparison).
bool FormMatchesSentValues(const CWebForm& form, const std::vector<std::u16string>& values);

// Puts the forms' fields in order into `candidate`, with the first form's page and frame address.
void BuildCandidate(const std::vector<CWebForm*>& forms, CWebLogin& candidate);

// True when every field of `candidate` has an equal field in `saved`: same kind, input type,
// name and value (both without regard to case) and, for check boxes and radios, checked state.
// A candidate without fields equals nothing.
bool HasEqualFields(const CWebLogin& candidate, const CWebLogin& saved);

// The page title with the characters a name cannot hold replaced by blanks; when that is empty,
// the site of the page address treated the same way.
std::u16string DefaultWebLoginName(std::u16string_view title, std::u16string_view pageUrl);

class CFormCapture {
public:
    CFormCapture(FormPageState& page, IPageHost& host) : m_page(page), m_host(host) {}

    // A click inside a collected form: a submit or image control refreshes the values of its form.
    void NoteSubmitClick(const dom::ElementRef& source);
    // A form's submit event: that form is the submitted one.
    void NoteFormSubmit(const dom::ElementRef& formElement);
    // Before any navigation: works out the submitted forms from the data sent when no event told
    // them, and offers to save them when one is a login form.
    void NoteNavigation(std::u16string_view targetUrl, std::string_view postData);
    // The Save Form command: offers every form with data entered.
    void SaveForm();
    // Offers to save `forms` as a Web Login (automatic offers obey "Prompt me to save"); true when
    // the dialog was shown.
    bool OfferSave(const std::vector<CWebForm*>& forms, bool manual);

private:
    bool AlreadySaved(const CWebLogin& candidate);
    // Runs the dialog until the user saves, declines or excludes the site; the name to save
    // under, or empty.
    std::u16string AskName(std::u16string defaultName, const std::u16string& pageUrl);
    void Save(const CWebLogin& candidate, const std::u16string& name);

    FormPageState& m_page;
    IPageHost& m_host;
};

}  // namespace veltrix
