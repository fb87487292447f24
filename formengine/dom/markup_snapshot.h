// Reads a live document back from its markup as the browser serialises it (the root element's
// outerHTML), for a snapshot far cheaper than visiting each node on the page's side. The browser
// writes an end tag for every element that is not void, quotes every attribute value and escapes
// '&', '<' and '>' in text, so a strict stack of open tags rebuilds the tree exactly. Markup that
// does not fit that form (an end tag that closes nothing, a comment or raw text that ends early) is
// refused, and the caller asks the page for a node-by-node snapshot instead.
//
// What the markup cannot carry comes beside it, from the page: the live state and the page's key
// of every element the host names (form, input, select, option, textarea, button), in document
// order. They are matched to the elements read from the markup by position, and the tags and the
// count of all elements must agree, so that a markup that was read differently from the page's
// tree is refused rather than matched wrongly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formengine/dom/snapshot_builder.h"

namespace veltrix::dom {

// An element the page names by key, as the page reports it.
struct LiveControl {
    std::uint32_t key = 0;
    std::u16string tag;
    std::optional<std::u16string> value;
    std::optional<bool> checked;
    std::optional<bool> selected;
    // The key of the control's form owner when it is not the form the control is in; 0: the
    // enclosing form, if any, as the document's structure says.
    std::uint32_t ownerKey = 0;
};

struct MarkupSnapshot {
    std::vector<SnapshotNode> nodes;
    // The elements of the tags the page names, in document order: the index of the node built for
    // it, or -1 for one inside content that is left out (svg, math).
    struct Named {
        std::int64_t node = -1;
        std::u16string tag;
    };
    std::vector<Named> named;
    // Every element read, those of left-out content included, template contents excepted (as the
    // page counts them).
    std::size_t elementCount = 0;
};

struct MarkupRead {
    std::optional<MarkupSnapshot> snapshot;
    std::string refusal;
};

// Reads `markup`; at most `maxElements` elements are taken before it is refused as too large.
MarkupRead ReadSerialisedMarkup(std::u16string_view markup, std::size_t maxElements);

// Gives the named elements of `snapshot` the page's keys, live state and form owners. The page
// counted `pageElementCount` elements; an empty string when all agree, else why they do not.
std::string MatchLiveControls(MarkupSnapshot& snapshot, const std::vector<LiveControl>& controls,
                              std::size_t pageElementCount);

}  // namespace veltrix::dom
