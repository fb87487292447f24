// Helpers for the DOM tests: a document from HTML and its elements by id, with readable text.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formengine/dom/html_builder.h"
#include "formengine/dom/memory_dom.h"

namespace veltrix::dom::testing {

std::shared_ptr<MemoryDocument> Parse(std::string_view html);
// The element with this id; fails the test when there is none.
ElementRef ById(const MemoryDocument& doc, std::string_view id);
// UTF-8 for comparisons with readable failure messages.
std::string U8(std::u16string_view text);
// The ids of the elements, "" for those without one.
std::vector<std::string> Ids(const ElementList& elements);

}  // namespace veltrix::dom::testing
