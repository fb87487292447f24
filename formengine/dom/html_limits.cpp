#include "formengine/dom/html_limits.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <unordered_map>

namespace veltrix::dom {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

template <std::size_t N>
bool OneOf(std::string_view name, const std::string_view (&names)[N]) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

bool IsVoid(std::string_view name) {
    static constexpr std::string_view kNames[] = {
        "area",  "base",  "basefont", "bgsound", "br",   "col",   "embed",  "frame", "hr", "img",
        "image", "input", "keygen",   "link",    "meta", "param", "source", "track", "wbr"};
    return OneOf(name, kNames);
}

// Elements that the start of a sibling, or the end of their parent, closes.
bool IsClosedBySibling(std::string_view name) {
    static constexpr std::string_view kNames[] = {"html",  "head",    "body",    "p",     "option",
                                                  "tr",    "td",      "th",      "tbody", "thead",
                                                  "tfoot", "caption", "colgroup"};
    return OneOf(name, kNames);
}

// Elements that are not "special" to the parser: a list item's start looks past them for the
// list item it closes.
bool IsPhrasing(std::string_view name) {
    static constexpr std::string_view kNames[] = {
        "a",     "abbr",   "b",      "bdi",     "bdo",   "big",     "cite",     "code",
        "data",  "del",    "dfn",    "em",      "font",  "i",       "ins",      "kbd",
        "label", "mark",   "nobr",   "q",       "ruby",  "s",       "samp",     "small",
        "span",  "strike", "strong", "sub",     "sup",   "time",    "tt",       "u",
        "var",   "output", "rb",     "rt",      "rtc",   "rp",      "optgroup", "audio",
        "video", "canvas", "map",    "picture", "meter", "progress"};
    return OneOf(name, kNames);
}

// HTML tags that end SVG and MathML content where they appear in it.
bool BreaksOutOfForeignContent(std::string_view name) {
    static constexpr std::string_view kNames[] = {
        "b",      "big",  "blockquote", "body",  "br",   "center", "code",    "dd",   "div",
        "dl",     "dt",   "em",         "embed", "h1",   "h2",     "h3",      "h4",   "h5",
        "h6",     "head", "hr",         "i",     "img",  "li",     "listing", "menu", "meta",
        "nobr",   "ol",   "p",          "pre",   "ruby", "s",      "small",   "span", "strong",
        "strike", "sub",  "sup",        "table", "tt",   "u",      "ul",      "var"};
    return OneOf(name, kNames);
}

// SVG and MathML elements whose content is HTML again.
bool IsIntegrationPoint(std::string_view name) {
    static constexpr std::string_view kNames[] = {
        "foreignobject", "desc", "title", "annotation-xml", "mi", "mo", "mn", "ms", "mtext"};
    return OneOf(name, kNames);
}

// Elements kept on the list of active formatting elements: their end tag closes them alone
// (the elements opened inside them stay open), and other end tags leave them open (the parser
// opens them again at the next text).
bool IsFormatting(std::string_view name) {
    static constexpr std::string_view kNames[] = {"a",      "b",      "big",  "code", "em",
                                                  "font",   "i",      "nobr", "s",    "small",
                                                  "strike", "strong", "tt",   "u"};
    return OneOf(name, kNames);
}

// Elements the parser looks through for an open button or link of the same kind: phrasing
// content and plain blocks (tables, templates, objects and the like stop it).
bool IsLookedThrough(std::string_view name) {
    static constexpr std::string_view kBlocks[] = {
        "div",        "p",    "address", "section", "article",    "aside",   "nav",     "header",
        "footer",     "main", "ul",      "ol",      "li",         "dl",      "dd",      "dt",
        "fieldset",   "h1",   "h2",      "h3",      "h4",         "h5",      "h6",      "center",
        "blockquote", "pre",  "form",    "figure",  "figcaption", "details", "summary", "menu"};
    return IsPhrasing(name) || IsFormatting(name) || OneOf(name, kBlocks);
}

// Elements whose end tag the parser honours only when no scope boundary (a table, template,
// object and the like) lies between; other end tags only when nothing but phrasing content does.
bool EndsByScope(std::string_view name) {
    static constexpr std::string_view kNames[] = {"button",  "table",    "object", "applet",
                                                  "marquee", "template", "body",   "html"};
    return (IsLookedThrough(name) && !IsPhrasing(name) && !IsFormatting(name)) ||
           OneOf(name, kNames);
}

bool IsScopeBoundary(std::string_view name) {
    static constexpr std::string_view kNames[] = {"table",    "object", "applet",  "marquee",
                                                  "template", "html",   "frameset"};
    return OneOf(name, kNames) || IsIntegrationPoint(name);
}

// Elements whose end closes everything opened inside them, formatting elements too (the
// parser marks where they start in its list of formatting elements).
bool ClosesFormatting(std::string_view name) {
    static constexpr std::string_view kNames[] = {"object", "applet", "marquee", "template"};
    return OneOf(name, kNames);
}

// Tags that close the open table cell, and with it everything opened in the cell.
bool ClosesTableCell(std::string_view name) {
    static constexpr std::string_view kNames[] = {"td",    "th",    "tr",      "tbody",
                                                  "thead", "tfoot", "caption", "colgroup"};
    return OneOf(name, kNames);
}

// The parts of forms that hold content.
bool IsFormPart(std::string_view name) {
    static constexpr std::string_view kNames[] = {"fieldset", "legend",   "label",  "select",
                                                  "datalist", "textarea", "button", "output"};
    return OneOf(name, kNames);
}

// Elements whose content is text up to their own end tag.
bool HasRawText(std::string_view name) {
    static constexpr std::string_view kNames[] = {"script", "style",  "textarea", "title",
                                                  "xmp",    "iframe", "noembed",  "noframes"};
    return OneOf(name, kNames);
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
    if (text.size() - at < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(text[at + i]) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// What the scan learnt of one tag.
struct Tag {
    std::string name;             // lower case
    std::size_t end = kNone;      // just after its '>'; kNone when the page ends first
    std::size_t attributes = 0;   // how many it carries
    std::size_t keptEnd = kNone;  // just after the last attribute kept
    bool selfClosing = false;
    bool fontAttribute = false;  // a color, face or size attribute
};

class Scanner {
public:
    Scanner(std::string_view page, const HtmlLimits& limits) : m_page(page), m_limits(limits) {
        m_result.page = page;
    }

    LimitedHtml Run() {
        LimitBytes();
        std::size_t at = 0;
        while (at < m_end) {
            const std::size_t lt = m_page.find('<', at);
            if (lt == kNone || lt + 1 >= m_end) {
                break;
            }
            at = Markup(lt);
        }
        Finish();
        return std::move(m_result);
    }

private:
    std::string_view Live() const { return m_page.substr(0, m_end); }

    // Cuts the page at the byte limit, at the start of a character.
    void LimitBytes() {
        m_end = m_page.size();
        if (m_end <= m_limits.maxBytes) {
            return;
        }
        m_end = m_limits.maxBytes;
        while (m_end > 0 && (static_cast<unsigned char>(m_page[m_end]) & 0xC0) == 0x80) {
            --m_end;
        }
        m_result.notices.push_back("the page is larger than " + std::to_string(m_limits.maxBytes) +
                                   " bytes: only its first " + std::to_string(m_end) +
                                   " bytes are read");
    }

    // The markup that starts with the '<' at `lt`; returns where the scan goes on.
    std::size_t Markup(std::size_t lt) {
        const char next = m_page[lt + 1];
        if (next == '!') {
            return SkipDeclaration(lt);
        }
        if (next == '?') {
            return PastNext('>', lt + 2);
        }
        if (next == '/') {
            if (lt + 2 < m_end && IsLetter(m_page[lt + 2])) {
                const Tag tag = ReadTag(lt + 2);
                EndTag(tag.name);
                return tag.end == kNone ? m_end : tag.end;
            }
            return PastNext('>', lt + 2);
        }
        if (IsLetter(next)) {
            return StartTag(lt);
        }
        return lt + 1;
    }

    std::size_t PastNext(char c, std::size_t from) const {
        const std::size_t found = Live().find(c, from);
        return found == kNone ? m_end : found + 1;
    }

    std::size_t SkipDeclaration(std::size_t lt) const {
        if (!StartsWithNoCase(Live(), lt, "<!--")) {
            return PastNext('>', lt + 2);
        }
        // "<!-->" and "<!--->" are empty comments.
        if (StartsWithNoCase(Live(), lt + 4, ">")) {
            return lt + 5;
        }
        if (StartsWithNoCase(Live(), lt + 4, "->")) {
            return lt + 6;
        }
        const std::size_t close = Live().find("-->", lt + 4);
        return close == kNone ? m_end : close + 3;
    }

    // Reads a start or end tag whose name begins at `from`, with its attributes as the parser
    // reads them (quoted values may hold '>').
    Tag ReadTag(std::size_t from) const {
        Tag tag;
        std::size_t i = from;
        while (i < m_end && !IsSpace(m_page[i]) && m_page[i] != '/' && m_page[i] != '>') {
            tag.name.push_back(Lower(m_page[i++]));
        }
        bool slash = false;
        while (i < m_end) {
            const char c = m_page[i];
            if (c == '>') {
                tag.end = i + 1;
                tag.selfClosing = slash;
                return tag;
            }
            if (IsSpace(c) || c == '/') {
                slash = c == '/';
                ++i;
                continue;
            }
            slash = false;
            tag.fontAttribute = tag.fontAttribute || IsFontAttribute(i);
            i = SkipAttribute(i);
            if (++tag.attributes == m_limits.maxAttributesPerTag) {
                tag.keptEnd = i;
            }
        }
        return tag;
    }

    // Whether the attribute whose name starts at `i` is color, face or size.
    bool IsFontAttribute(std::size_t i) const {
        for (std::string_view name : {"color", "face", "size"}) {
            const std::size_t after = i + name.size();
            if (StartsWithNoCase(Live(), i, name) &&
                (after >= m_end || IsSpace(m_page[after]) || m_page[after] == '=' ||
                 m_page[after] == '/' || m_page[after] == '>')) {
                return true;
            }
        }
        return false;
    }

    // One attribute from its name at `i`; returns the position after it.
    std::size_t SkipAttribute(std::size_t i) const {
        ++i;  // the first character belongs to the name, even '='
        while (i < m_end && !IsSpace(m_page[i]) && m_page[i] != '/' && m_page[i] != '>' &&
               m_page[i] != '=') {
            ++i;
        }
        std::size_t j = i;
        while (j < m_end && IsSpace(m_page[j])) {
            ++j;
        }
        if (j >= m_end || m_page[j] != '=') {
            return i;
        }
        ++j;
        while (j < m_end && IsSpace(m_page[j])) {
            ++j;
        }
        if (j < m_end && (m_page[j] == '"' || m_page[j] == '\'')) {
            const std::size_t close = Live().find(m_page[j], j + 1);
            return close == kNone ? m_end : close + 1;
        }
        while (j < m_end && !IsSpace(m_page[j]) && m_page[j] != '>') {
            ++j;
        }
        return j;
    }

    std::size_t StartTag(std::size_t lt) {
        if (++m_startTags > m_limits.maxStartTags) {
            m_result.notices.push_back(
                "the page has more than " + std::to_string(m_limits.maxStartTags) +
                " tags: the rest of it, from byte " + std::to_string(lt) + " on, is left out");
            m_end = lt;
            return m_end;
        }
        const Tag tag = ReadTag(lt + 1);
        if (tag.end == kNone) {
            return m_end;  // a tag the page ends in is no tag
        }
        if (InSelect() && !StartInSelect(tag.name)) {
            return tag.end;
        }
        if (InForeignContent() && BreaksOut(tag)) {
            BreakOut();
        }
        if (!InForeignContent()) {
            if (ClosesTableCell(tag.name)) {
                CloseTableCell();
                if ((tag.name == "td" || tag.name == "th" || tag.name == "caption") &&
                    m_positions.contains("table")) {
                    m_cellStart = m_open.size();
                }
            }
            CloseListItem(tag.name);
        }
        const bool ignored = IgnoredInHtml(tag.name);
        if (!InForeignContent()) {
            CloseReopened(tag.name);
        }
        if (Nests(tag) && !ignored) {
            if (m_live >= Limit(tag.name)) {
                ++m_tooDeep;
                Drop(lt, tag.end);
                return tag.end;
            }
            OpenElement(tag);
        }
        if (tag.keptEnd != kNone && tag.attributes > m_limits.maxAttributesPerTag) {
            ++m_tooManyAttributes;
            Drop(tag.keptEnd, tag.end - 1);
        }
        if (tag.name == "plaintext") {
            return m_end;
        }
        if (HasRawText(tag.name)) {
            return RawTextEnd(tag.name, tag.end);
        }
        return tag.end;
    }

    // How deep an element may open: a form wherever the parser opens one (forms never nest, so
    // they add at most a level for each counted element), the parts of a form past the limit by
    // the headroom, when a form is open.
    std::size_t Limit(const std::string& name) const {
        if (name == "form" && !InForeignContent() && !m_positions.contains("template")) {
            return std::numeric_limits<std::size_t>::max();
        }
        const bool formPart = IsFormPart(name) && m_positions.contains("form");
        return m_limits.maxNesting + (formPart ? m_limits.formNestingHeadroom : 0);
    }

    // Start tags the parser ignores in HTML: a form inside a form (outside templates), a list
    // box inside a list box (which closes the outer one instead).
    bool IgnoredInHtml(const std::string& name) const {
        if (InForeignContent()) {
            return false;
        }
        if (name == "form") {
            return m_positions.contains("form") && !m_positions.contains("template");
        }
        return name == "select" && ReachableOpen(name) != kNone;
    }

    // The latest open element of this name when only elements the parser looks through on its
    // way to it (phrasing content and plain blocks; for a list box, nothing) were opened after
    // it; kNone otherwise, as when a table, template or SVG lies between.
    std::size_t ReachableOpen(const std::string& name) const {
        auto found = m_positions.find(name);
        if (found == m_positions.end()) {
            return kNone;
        }
        const std::size_t target = found->second.back();
        for (std::size_t i = m_open.size(); i > target + 1; --i) {
            const Entry& entry = m_open[i - 1];
            if (entry.alive &&
                (name == "select" || entry.foreign || !IsLookedThrough(entry.name))) {
                return kNone;
            }
        }
        return target;
    }

    // Elements that close an open one of their kind: a link or a nobr closes the open one alone
    // (as the end tag of a formatting element), a button or a list box closes it with all that
    // was opened in it.
    void CloseReopened(const std::string& name) {
        const bool formattingKind = name == "a" || name == "nobr";
        if (!formattingKind && name != "button" && name != "select") {
            return;
        }
        const std::size_t open = ReachableOpen(name);
        if (open == kNone) {
            return;
        }
        if (formattingKind) {
            Kill(open);
            DropClosedTop();
        } else {
            CloseDownTo(open, false);
        }
    }

    // HTML blocks end SVG and MathML content, and so does a font with presentation attributes.
    static bool BreaksOut(const Tag& tag) {
        return BreaksOutOfForeignContent(tag.name) || (tag.name == "font" && tag.fontAttribute);
    }

    // In SVG and MathML every tag nests unless it closes itself; in HTML, void elements and
    // those that a sibling closes do not.
    bool Nests(const Tag& tag) const {
        if (InForeignContent() && !BreaksOut(tag)) {
            return !tag.selfClosing;
        }
        return !IsVoid(tag.name) && !IsClosedBySibling(tag.name);
    }

    // The latest open element is an SVG or MathML element whose content is not HTML.
    bool InForeignContent() const {
        return !m_open.empty() && m_open.back().foreign && !IsIntegrationPoint(m_open.back().name);
    }

    // A list item closes the open list item of its kind (li; dd and dt together) unless an
    // element other than phrasing content, address, div or p stands between, as the parser
    // does; the look-back is bounded, and past it the item nests, which only overcounts.
    void CloseListItem(const std::string& name) {
        const bool listItem = name == "li";
        if (!listItem && name != "dd" && name != "dt") {
            return;
        }
        constexpr std::size_t kLookBack = 64;
        std::size_t looked = 0;
        for (std::size_t i = m_open.size(); i > 0 && looked < kLookBack; --i) {
            const Entry& entry = m_open[i - 1];
            if (!entry.alive) {
                continue;
            }
            ++looked;
            const bool match =
                listItem ? entry.name == "li" : entry.name == "dd" || entry.name == "dt";
            if (match) {
                CloseDownTo(i - 1, false);
                return;
            }
            if (!IsPhrasing(entry.name) && entry.name != "address" && entry.name != "div" &&
                entry.name != "p") {
                return;
            }
        }
    }

    // Where the end tag of a raw text element starts (or the end of the page).
    std::size_t RawTextEnd(const std::string& name, std::size_t from) const {
        const std::string close = "</" + name;
        for (std::size_t at = Live().find("</", from); at != kNone;
             at = Live().find("</", at + 2)) {
            if (StartsWithNoCase(Live(), at, close)) {
                const std::size_t after = at + close.size();
                if (after >= m_end || IsSpace(m_page[after]) || m_page[after] == '/' ||
                    m_page[after] == '>') {
                    return at;
                }
            }
        }
        return m_end;
    }

    void OpenElement(const Tag& tag) {
        const std::string& name = tag.name;
        const bool foreign =
            name == "svg" || name == "math" || (InForeignContent() && !BreaksOut(tag));
        m_positions[name].push_back(m_open.size());
        m_open.push_back({name, true, foreign});
        ++m_live;
    }

    // How an end tag changes what is open: a formatting element's closes that element alone;
    // another closes the latest open element of its name and what was opened after it, but
    // for formatting elements; an end tag with nothing of its name open closes nothing.
    void EndTag(const std::string& name) {
        if (ClosesTableCell(name) && !InForeignContent()) {
            CloseTableCell();
        }
        auto found = m_positions.find(name);
        if (found == m_positions.end()) {
            return;
        }
        const std::size_t target = found->second.back();
        if (InSelect() && name != "select" && name != "optgroup" && name != "template") {
            return;  // a list box ignores other end tags
        }
        // A form's end tag takes the form off the open elements but leaves its content open.
        if (IsFormatting(name) || name == "form") {
            Kill(target);
            DropClosedTop();
        } else if (!BlockedBetween(target, name)) {
            CloseDownTo(target, ClosesFormatting(name));
            if (name == "table") {
                m_cellStart = kNone;
            }
        }
    }

    // Whether the parser ignores the end tag of `name` for the element at `target`: a scope
    // boundary lies between, or, for an end tag of phrasing content or an unknown element,
    // anything but phrasing content does.
    bool BlockedBetween(std::size_t target, const std::string& name) const {
        const bool byScope = EndsByScope(name);
        for (std::size_t i = m_open.size(); i > target + 1; --i) {
            const Entry& entry = m_open[i - 1];
            if (!entry.alive) {
                continue;
            }
            // A list item's end stops at lists as well.
            const bool boundary = IsScopeBoundary(entry.name) ||
                                  (name == "li" && (entry.name == "ul" || entry.name == "ol"));
            if (byScope ? boundary
                        : !entry.foreign && !IsPhrasing(entry.name) && !IsFormatting(entry.name)) {
                return true;
            }
        }
        return false;
    }

    // An HTML block in SVG or MathML closes the SVG and MathML elements up to the nearest HTML
    // element or integration point.
    void BreakOut() {
        while (InForeignContent()) {
            Kill(m_open.size() - 1);
            DropClosedTop();
        }
    }

    // The parser is in a list box: it keeps options and option groups and ignores most else.
    bool InSelect() const {
        if (m_open.empty() || m_open.back().foreign) {
            return false;
        }
        if (m_open.back().name == "select") {
            return true;
        }
        if (m_open.back().name != "optgroup") {
            return false;
        }
        for (std::size_t i = m_open.size() - 1; i > 0; --i) {
            if (m_open[i - 1].alive) {
                return m_open[i - 1].name == "select";
            }
        }
        return false;
    }

    // A start tag in a list box: another list box closes it and is ignored; an input or a text
    // area (or a table part, in a table) closes it and goes on; an option group closes the open
    // one; options, scripts and templates go on; everything else is ignored. Whether the tag goes
    // on.
    bool StartInSelect(const std::string& name) {
        const bool tablePart = name == "table" || ClosesTableCell(name);
        if (name == "select" || name == "input" || name == "keygen" || name == "textarea" ||
            (tablePart && m_positions.contains("table"))) {
            CloseDownTo(m_positions.at("select").back(), false);
            return name != "select";
        }
        if (name == "optgroup") {
            if (m_open.back().name == "optgroup") {
                Kill(m_open.size() - 1);
                DropClosedTop();
            }
            return true;
        }
        return name == "option" || name == "script" || name == "template" || name == "hr";
    }

    // Everything opened in the table cell that is open: all after the latest open table.
    // Formatting elements opened in the cell close with it; those opened in the table outside
    // a cell stay open.
    void CloseTableCell() {
        auto table = m_positions.find("table");
        if (table == m_positions.end()) {
            return;
        }
        const std::size_t tableAt = table->second.back();
        const bool cellKnown = m_cellStart != kNone && m_cellStart > tableAt;
        if (cellKnown && m_cellStart < m_open.size()) {
            CloseDownTo(m_cellStart, true);
        }
        if (tableAt + 1 < m_open.size()) {
            CloseDownTo(tableAt + 1, false);
        }
        m_cellStart = kNone;
    }

    // Closes the entries from the top down to `target`, formatting elements only when told.
    void CloseDownTo(std::size_t target, bool formattingToo) {
        for (std::size_t i = m_open.size(); i > target; --i) {
            const Entry& entry = m_open[i - 1];
            if (entry.alive && (formattingToo || i - 1 == target || !IsFormatting(entry.name))) {
                Kill(i - 1);
            }
        }
        DropClosedTop();
    }

    void DropClosedTop() {
        while (!m_open.empty() && !m_open.back().alive) {
            m_open.pop_back();
        }
    }

    // Closes the entry at `index`, which is the latest open one of its name.
    void Kill(std::size_t index) {
        Entry& entry = m_open[index];
        entry.alive = false;
        --m_live;
        auto positions = m_positions.find(entry.name);
        positions->second.pop_back();
        if (positions->second.empty()) {
            m_positions.erase(positions);
        }
    }

    // Leaves [from, to) out of what the parser gets.
    void Drop(std::size_t from, std::size_t to) {
        if (!m_result.isShortened) {
            m_result.isShortened = true;
            m_result.shortened.reserve(m_end);
        }
        m_result.shortened.append(m_page.substr(m_copied, from - m_copied));
        m_copied = to;
    }

    void Finish() {
        if (m_result.isShortened) {
            m_result.shortened.append(m_page.substr(m_copied, m_end - m_copied));
        } else {
            m_result.page = m_page.substr(0, m_end);
        }
        if (m_tooDeep > 0) {
            m_result.notices.push_back("the page nests elements deeper than " +
                                       std::to_string(m_limits.maxNesting) +
                                       " levels: " + std::to_string(m_tooDeep) +
                                       " start tags past that depth are left out");
        }
        if (m_tooManyAttributes > 0) {
            m_result.notices.push_back(std::to_string(m_tooManyAttributes) +
                                       " tags of the page carry more than " +
                                       std::to_string(m_limits.maxAttributesPerTag) +
                                       " attributes: the further attributes are left out");
        }
    }

    std::string_view m_page;
    const HtmlLimits& m_limits;
    LimitedHtml m_result;
    std::size_t m_end = 0;     // the page is read up to here
    std::size_t m_copied = 0;  // the shortened copy holds the page up to here
    std::size_t m_startTags = 0;
    std::size_t m_tooDeep = 0;
    std::size_t m_tooManyAttributes = 0;
    // The elements opened, in order, as the scan counts them; closed ones stay until the
    // entries above them are closed too.
    struct Entry {
        std::string name;
        bool alive;
        bool foreign;  // an SVG or MathML element
    };
    std::vector<Entry> m_open;
    std::size_t m_live = 0;
    // Where the content of the latest table cell starts in m_open; kNone when not known.
    std::size_t m_cellStart = kNone;
    // Where the open elements of each name are in m_open, in order.
    std::unordered_map<std::string, std::vector<std::size_t>> m_positions;
};

}  // namespace

LimitedHtml LimitHtml(std::string_view html, const HtmlLimits& limits) {
    return Scanner(html, limits).Run();
}

}  // namespace veltrix::dom
