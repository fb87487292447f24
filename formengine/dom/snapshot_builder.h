// Builds an in-memory document from a snapshot of a live page: a flat list of nodes in document
// order, each naming its parent by index. The snapshot comes from the page's side and is not
// trusted: a node whose parent is not an earlier element, a name that is no tag name, and
// whatever passes the limits (nodes, depth, text, attributes) is left out with one notice per
// kind, and the build is one linear pass without recursion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formengine/dom/html_limits.h"
#include "formengine/dom/memory_dom.h"

namespace veltrix::dom {

struct SnapshotNode {
    std::int64_t parent = -1;  // index of an earlier element node; -1: the document itself
    std::u16string tag;        // lower case; empty for a text node
    std::u16string text;       // a text node's text
    std::vector<MemoryElement::Attribute> attributes;  // as the page wrote them
    std::uint32_t key = 0;                             // the page's own number for the element
    // A control's live state, as far as the page reported it.
    std::optional<std::u16string> value;
    std::optional<bool> checked;
    std::optional<bool> selected;
    // The index of the control's form owner as the page works it out; -1 for none.
    std::int64_t formOwner = -1;
};

struct SnapshotLimits {
    std::size_t maxNodes = 60000;
    std::size_t maxDepth = kMaxNesting;
    std::size_t maxTextRun = 4096;        // characters of one text or attribute value
    std::size_t maxTotalText = 4u << 20;  // characters of all texts and values together
    std::size_t maxAttributes = kMaxAttributesPerTag;
    std::size_t maxTagLength = 64;
};

struct SnapshotDocument {
    std::shared_ptr<MemoryDocument> document;  // never null
    // The element built for each node; null for texts and for nodes left out.
    std::vector<std::shared_ptr<MemoryElement>> elements;
    // One line for each kind of node left out.
    std::vector<std::string> notices;
};

// The texts, tags and attributes of `nodes` move into the document.
SnapshotDocument BuildDocumentFromSnapshot(std::vector<SnapshotNode> nodes, std::u16string address,
                                           const SnapshotLimits& limits = {});

// Puts a control's live state into an element of `document` without reporting a write: the
// value of an input or text area, the checked state of a checkbox or radio, an option's
// selection.
void ApplyLiveState(MemoryDocument& document, MemoryElement& element,
                    const std::optional<std::u16string>& value, std::optional<bool> checked,
                    std::optional<bool> selected);

}  // namespace veltrix::dom
