// A readable outline of an in-memory document, for comparing documents built different ways:
// every element in document order with its depth, attributes, texts, form owner and live state.
#pragma once

#include <algorithm>
#include <string>
#include <unordered_map>

#include "formengine/dom/memory_dom.h"

namespace veltrix::dom::testing {

inline std::string OutlineText(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        if (c == u'\n') {
            out += "\\n";
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += "\\u" + std::to_string(static_cast<unsigned>(c));
        }
    }
    return out;
}

inline std::string Outline(const MemoryDocument& document) {
    std::unordered_map<const MemoryElement*, std::size_t> order;
    const auto& all = document.AllElements();
    for (std::size_t i = 0; i < all.size(); ++i) {
        order[all[i].get()] = i;
    }
    std::string out;
    for (const auto& element : all) {
        std::size_t depth = 0;
        for (auto parent = element->ParentNode(); parent && parent->ParentNode();
             parent = parent->ParentNode()) {
            ++depth;
        }
        out += std::string(depth * 2, ' ') + "<" + OutlineText(element->Tag());
        for (const char16_t* name :
             {u"id", u"name", u"type", u"for", u"action", u"form", u"title", u"value", u"class"}) {
            if (const std::u16string* value = element->RawAttribute(name)) {
                out += " " + OutlineText(name) + "=\"" + OutlineText(*value) + "\"";
            }
        }
        out += ">";
        if (const auto owner = element->FormOwner()) {
            out += " owner=" + std::to_string(order[owner.get()]);
        }
        if (element->Tag() == u"input" || element->Tag() == u"textarea") {
            out += " value=\"" + OutlineText(element->GetAttribute(u"value")) + "\"";
            out += element->IsChecked() ? " checked" : "";
        }
        if (element->Tag() == u"option") {
            out += element->IsSelected() ? " selected" : "";
        }
        for (const auto& child : element->Children()) {
            if (!child.element) {
                out += " \"" + OutlineText(child.text) + "\"";
            }
        }
        out += "\n";
    }
    return out;
}

}  // namespace veltrix::dom::testing
