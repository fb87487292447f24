// Limits on the HTML handed to the parser. The parser's work grows with the depth of the open
// elements for every tag and text it reads, and with the attributes already read for every
// attribute of a tag, so a page of unclosed or deeply nested elements costs it time and memory
// far beyond the page's size. A cheap scan of the tag stream, made before parsing, keeps every
// page inside limits far above real pages (which nest a few dozen levels and carry a few
// thousand tags): past them the page is handled in part, and each limit reached gives one line
// of notice for the user.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix::dom {

// Bytes of a page file read at most; a larger file is refused, and only a regular file is read
// (a FIFO or a device would block or never end).
inline constexpr std::size_t kMaxPageFileBytes = std::size_t{64} << 20;
// Bytes of a page that are parsed; the rest is dropped (real pages are well under a megabyte).
inline constexpr std::size_t kMaxPageBytes = std::size_t{8} << 20;
// Open elements kept nested; a start tag that would open an element deeper is left out, so its
// content goes into the element at the limit (browsers flatten past 512 levels as well).
inline constexpr std::size_t kMaxNesting = 512;
// Further levels that the parts of an open form (controls with content, labels, field sets)
// may still open past kMaxNesting, so that a form after a flood of nested elements survives;
// forms themselves are never left out, as they do not nest.
inline constexpr std::size_t kFormNestingHeadroom = 64;
// Start tags read; the page from the first tag past the limit on is dropped.
inline constexpr std::size_t kMaxStartTags = 150000;
// Attributes kept on one tag; the further ones are left out.
inline constexpr std::size_t kMaxAttributesPerTag = 64;

struct HtmlLimits {
    std::size_t maxBytes = kMaxPageBytes;
    std::size_t maxNesting = kMaxNesting;
    std::size_t formNestingHeadroom = kFormNestingHeadroom;
    std::size_t maxStartTags = kMaxStartTags;
    std::size_t maxAttributesPerTag = kMaxAttributesPerTag;
};

// The page as the parser gets it.
struct LimitedHtml {
    // The page itself when it is inside every limit, else the shortened copy.
    std::string_view Html() const { return isShortened ? std::string_view(shortened) : page; }

    std::string_view page;
    std::string shortened;
    bool isShortened = false;
    // One line for each limit the page reached, saying what was left out.
    std::vector<std::string> notices;
};

// The nesting the scan counts is that of the tags as written: void elements, self-closing tags
// in SVG and MathML, and elements whose next sibling closes them (paragraphs, list items, table
// rows and cells, options, ...) do not nest; an end tag closes the latest open element of its
// name and those opened after it; the text of script, style, title, text areas and the like is
// not markup. Linear in the page's size.
LimitedHtml LimitHtml(std::string_view html, const HtmlLimits& limits = {});

}  // namespace veltrix::dom
