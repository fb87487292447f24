// Builds an in-memory document from HTML with an HTML5 parser. Form ownership follows the
// source order, as browsers work it out while parsing: a control belongs to the form opened
// most recently before it and not yet closed (even where the parser had to move that form out
// of a table and left it empty), a "form" attribute naming a form wins, and otherwise the
// nearest enclosing form.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formengine/dom/memory_dom.h"

namespace veltrix::dom {

// html is UTF-8; address is what the document reports as its address. Malformed markup is
// repaired the way browsers repair it; the result is never null. A page past the limits of
// formengine/dom/html_limits.h is built in part: `notices`, when given, gets one line for each
// limit the page reached.
std::shared_ptr<MemoryDocument> BuildDocumentFromHtml(std::string_view html,
                                                      std::u16string address = {},
                                                      std::vector<std::string>* notices = nullptr);

}  // namespace veltrix::dom
