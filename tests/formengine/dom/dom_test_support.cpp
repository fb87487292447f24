#include "tests/formengine/dom/dom_test_support.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace veltrix::dom::testing {

std::shared_ptr<MemoryDocument> Parse(std::string_view html) {
    return BuildDocumentFromHtml(html, u"https://example.test/page");
}

ElementRef ById(const MemoryDocument& doc, std::string_view id) {
    auto element = doc.ElementById(text::FromUtf8(id));
    EXPECT_NE(element, nullptr) << "no element with id " << id;
    return element;
}

std::string U8(std::u16string_view text) {
    return text::ToUtf8(text);
}

std::vector<std::string> Ids(const ElementList& elements) {
    std::vector<std::string> ids;
    for (const auto& element : elements) ids.push_back(U8(element->GetAttribute(u"id")));
    return ids;
}

}  // namespace veltrix::dom::testing
