// What a form sends when it is submitted: the successful controls' name=value pairs in document
// order, encoded as application/x-www-form-urlencoded, and the navigation that carries them.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formengine/dom/memory_dom.h"

namespace veltrix::browserhost {

using FormPair = std::pair<std::u16string, std::u16string>;

// The pairs of the form's successful controls, in document order: named enabled text-like and
// hidden inputs, checked checkboxes and radios, the selected enabled options of a list box (the
// option's value, or its text without one), text areas, and the `submitter` (a submit control:
// its name=value; an image control: name.x=0 and name.y=0). Other buttons and file inputs are
// left out.
std::vector<FormPair> SuccessfulControls(const dom::MemoryElement& form,
                                         const dom::MemoryElement* submitter);

// UTF-8, blanks as '+', letters, digits and "*-._" as they are, everything else as %XX.
std::string FormUrlEncode(std::u16string_view text);
std::string EncodeFormData(const std::vector<FormPair>& pairs);

// text/plain: each pair as name=value and CR LF, unencoded.
std::string EncodePlainFormData(const std::vector<FormPair>& pairs);

struct FormNavigation {
    std::u16string url;    // the action resolved against the document; GET: with the data
    std::string postData;  // POST: the data; empty for GET
    bool post = false;
    std::u16string target;  // the browsing context it goes to, as written; "" for the form's own
};

// Where the form goes and what it sends: its action resolved against `documentAddress` (no
// action: the document's address), with method GET (the data replaces the query of the URL)
// or POST, urlencoded unless the encoding is text/plain (multipart data is given urlencoded
// too: its boundary is the browser's own). A submit control's formaction, formmethod,
// formenctype and formtarget stand in for the form's action, method, enctype and target.
FormNavigation BuildFormNavigation(const dom::MemoryElement& form,
                                   const dom::MemoryElement* submitter,
                                   std::u16string_view documentAddress);

}  // namespace veltrix::browserhost
