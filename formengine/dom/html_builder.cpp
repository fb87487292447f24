#include "formengine/dom/html_builder.h"

#include <gumbo.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <unordered_map>
#include <utility>
#include <vector>

#include "formengine/dom/html_limits.h"
#include "platform/text.h"

namespace veltrix::dom {
namespace {

struct Range {
    std::size_t begin;
    std::size_t end;
};

// Rendered text: every run of white space is one blank (in place: the text only shrinks).
void Collapse(std::u16string& s) {
    std::size_t length = 0;
    for (char16_t c : s) {
        if (!text::IsHtmlSpace(c)) {
            s[length++] = c;
        } else if (length == 0 || s[length - 1] != u' ') {
            s[length++] = u' ';
        }
    }
    s.resize(length);
}

bool KeepsWhiteSpace(std::u16string_view tag) {
    return tag == u"pre" || tag == u"textarea" || tag == u"listing" || tag == u"plaintext";
}

const GumboVector* ChildrenOf(const GumboNode* node) {
    if (node->type == GUMBO_NODE_DOCUMENT) {
        return &node->v.document.children;
    }
    if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
        return &node->v.element.children;
    }
    return nullptr;
}

const GumboNode* ChildAt(const GumboVector& children, std::size_t i) {
    return static_cast<const GumboNode*>(children.data[i]);
}

class Builder {
public:
    Builder(std::string_view html, std::shared_ptr<MemoryDocument> doc)
        : m_html(html), m_doc(std::move(doc)) {}

    void Run(const GumboNode* document) {
        CollectRangesAndForms(document);
        FindFormCloses();
        AddTree(document);
        SetParserForms();
        m_doc->Finish();
    }

private:
    std::size_t Offset(const char* p) const {
        return p && p >= m_html.data() && p <= m_html.data() + m_html.size()
                   ? static_cast<std::size_t>(p - m_html.data())
                   : m_html.size();
    }

    static std::size_t StartOf(const GumboNode* node) { return node->v.element.start_pos.offset; }

    // One walk over the parse tree (iterative: the page decides its depth) for the source
    // stretches where "</form" is not an end tag (texts, also of scripts and styles, comments
    // and start tags with their attribute values) and the start offsets of the forms.
    void CollectRangesAndForms(const GumboNode* document) {
        std::vector<const GumboNode*> stack{document};
        while (!stack.empty()) {
            const GumboNode* node = stack.back();
            stack.pop_back();
            if (const GumboVector* children = ChildrenOf(node)) {
                if (node->type != GUMBO_NODE_DOCUMENT) {
                    const GumboElement& e = node->v.element;
                    if (e.original_tag.data) {
                        const std::size_t b = Offset(e.original_tag.data);
                        m_quoted.push_back({b, b + e.original_tag.length});
                    }
                    if (e.tag == GUMBO_TAG_FORM) {
                        m_formStarts.push_back(StartOf(node));
                    }
                }
                for (std::size_t i = children->length; i > 0; --i) {
                    stack.push_back(ChildAt(*children, i - 1));
                }
            } else if (node->v.text.original_text.data) {
                const std::size_t b = Offset(node->v.text.original_text.data);
                m_quoted.push_back({b, b + node->v.text.original_text.length});
            }
        }
        std::sort(m_formStarts.begin(), m_formStarts.end());
        std::sort(m_quoted.begin(), m_quoted.end(),
                  [](const Range& a, const Range& b) { return a.begin < b.begin; });
        // Each range's end becomes the furthest end up to it, so that one look-up answers
        // whether any range starting at or before an offset reaches past it.
        for (std::size_t i = 1; i < m_quoted.size(); ++i) {
            m_quoted[i].end = std::max(m_quoted[i].end, m_quoted[i - 1].end);
        }
    }

    bool Quoted(std::size_t offset) const {
        auto after = std::upper_bound(m_quoted.begin(), m_quoted.end(), offset,
                                      [](std::size_t o, const Range& r) { return o < r.begin; });
        return after != m_quoted.begin() && std::prev(after)->end > offset;
    }

    // Every "</form" end tag of the source closes the open form, whichever it is.
    void FindFormCloses() {
        static constexpr std::string_view kTag = "</form";
        for (std::size_t at = m_html.find('<'); at != std::string_view::npos;
             at = m_html.find('<', at + 1)) {
            if (at + kTag.size() > m_html.size()) {
                break;
            }
            bool match = true;
            for (std::size_t i = 1; i < kTag.size() && match; ++i) {
                char c = m_html[at + i];
                if (c >= 'A' && c <= 'Z') {
                    c = static_cast<char>(c - 'A' + 'a');
                }
                match = c == kTag[i];
            }
            if (!match) {
                continue;
            }
            const std::size_t next = at + kTag.size();
            const char after = next < m_html.size() ? m_html[next] : '>';
            if (after != '>' && after != '/' && after != ' ' && after != '\t' && after != '\n' &&
                after != '\r' && after != '\f') {
                continue;
            }
            if (!Quoted(at)) {
                m_closes.push_back(at);
            }
        }
    }

    // The form that was open at this source offset, as its start offset; npos for none: the
    // last form started before the offset, unless an end tag came between.
    std::size_t OpenFormAt(std::size_t offset) const {
        auto after = std::lower_bound(m_formStarts.begin(), m_formStarts.end(), offset);
        if (after == m_formStarts.begin()) {
            return std::string_view::npos;
        }
        const std::size_t open = *std::prev(after);
        auto close = std::upper_bound(m_closes.begin(), m_closes.end(), open);
        const bool closed = close != m_closes.end() && *close < offset;
        return closed ? std::string_view::npos : open;
    }

    // The form element built for the form starting at `start` (null when none is built yet).
    std::shared_ptr<MemoryElement> BuiltForm(std::size_t start) const {
        if (start == std::string_view::npos) {
            return nullptr;
        }
        auto found = m_forms.find(start);
        return found != m_forms.end() ? found->second : nullptr;
    }

    // The parser puts text that stands right before "</form>" after the form instead of at its
    // end; such text goes back into the form, where browsers keep it.
    std::shared_ptr<MemoryElement> TextParent(const std::shared_ptr<MemoryElement>& parent,
                                              std::size_t offset) const {
        const auto& children = parent->Children();
        if (children.empty() || !children.back().element) {
            return parent;
        }
        const auto form = BuiltForm(OpenFormAt(offset));
        return form && form == children.back().element ? form : parent;
    }

    // Each element's parser form, once every form is built: the parser moves a control that
    // stands in a table before the table, and so before a form opened in that table.
    void SetParserForms() {
        for (const auto& [element, start] : m_sourceStarts) {
            if (auto form = BuiltForm(OpenFormAt(start))) {
                MemoryDocument::SetParserForm(element, form);
            }
        }
        m_sourceStarts.clear();
    }

    // The tag name as UTF-16, converted once per known tag.
    std::u16string TagOf(const GumboNode* node) {
        const GumboElement& e = node->v.element;
        if (e.tag != GUMBO_TAG_UNKNOWN) {
            const auto index = static_cast<std::size_t>(e.tag);
            if (index >= m_tagNames.size()) {
                m_tagNames.resize(index + 1);
            }
            std::u16string& name = m_tagNames[index];
            if (name.empty()) {
                name = text::FromUtf8(gumbo_normalized_tagname(e.tag));
            }
            return name;
        }
        GumboStringPiece piece = e.original_tag;
        gumbo_tag_from_original_text(&piece);
        return text::FromUtf8(std::string_view(piece.data ? piece.data : "", piece.length));
    }

    // An attribute name as UTF-16, converted once per distinct name.
    const std::u16string& AttributeName(const char* name) {
        auto found = m_attributeNames.find(name);
        if (found == m_attributeNames.end()) {
            found = m_attributeNames.emplace(name, text::FromUtf8(name)).first;
        }
        return found->second;
    }

    std::shared_ptr<MemoryElement> AddElement(const GumboNode* node,
                                              const std::shared_ptr<MemoryElement>& parent) {
        const GumboElement& e = node->v.element;
        std::vector<MemoryElement::Attribute> attributes;
        attributes.reserve(e.attributes.length);
        for (std::size_t i = 0; i < e.attributes.length; ++i) {
            const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
            attributes.emplace_back(AttributeName(a->name), text::FromUtf8(a->value));
        }
        auto element = m_doc->CreateElement(TagOf(node), std::move(attributes));
        m_doc->AppendChild(parent, element);
        if (e.tag == GUMBO_TAG_FORM) {
            m_forms[StartOf(node)] = element;
        }
        m_sourceStarts.emplace_back(element, StartOf(node));
        return element;
    }

    void AddText(const GumboNode* node, const std::shared_ptr<MemoryElement>& parent, bool raw) {
        std::u16string value = text::FromUtf8(node->v.text.text);
        if (!raw) {
            Collapse(value);
        }
        m_doc->AppendText(TextParent(parent, node->v.text.start_pos.offset), std::move(value));
    }

    // Builds the document's tree in document order, iteratively.
    void AddTree(const GumboNode* document) {
        struct Frame {
            const GumboVector* children;
            std::shared_ptr<MemoryElement> element;  // null: the document itself
            bool raw;                                // white space is kept as written
            std::size_t next = 0;
        };
        std::vector<Frame> stack{{&document->v.document.children, nullptr, false}};
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next == frame.children->length) {
                stack.pop_back();
                continue;
            }
            const GumboNode* node = ChildAt(*frame.children, frame.next++);
            switch (node->type) {
                case GUMBO_NODE_ELEMENT:
                case GUMBO_NODE_TEMPLATE: {
                    auto element = AddElement(node, frame.element);
                    MemoryDocument::ReserveChildren(*element, node->v.element.children.length);
                    const bool raw = frame.raw || KeepsWhiteSpace(element->Tag());
                    // `frame` is not used after the push, which may move it.
                    stack.push_back({&node->v.element.children, std::move(element), raw});
                    break;
                }
                case GUMBO_NODE_TEXT:
                case GUMBO_NODE_WHITESPACE:
                case GUMBO_NODE_CDATA:
                    AddText(node, frame.element, frame.raw);
                    break;
                default:  // comments and the document node carry no page text
                    break;
            }
        }
    }

    std::string_view m_html;
    std::shared_ptr<MemoryDocument> m_doc;
    std::vector<Range> m_quoted;  // sorted by start; each end is the furthest so far
    std::vector<std::size_t> m_closes;
    std::vector<std::size_t> m_formStarts;
    std::unordered_map<std::size_t, std::shared_ptr<MemoryElement>> m_forms;
    // Every element built, with the source offset of its start tag.
    std::vector<std::pair<std::shared_ptr<MemoryElement>, std::size_t>> m_sourceStarts;
    std::vector<std::u16string> m_tagNames;
    std::unordered_map<std::string_view, std::u16string> m_attributeNames;
};

}  // namespace

std::shared_ptr<MemoryDocument> BuildDocumentFromHtml(std::string_view html, std::u16string address,
                                                      std::vector<std::string>* notices) {
    auto doc = MemoryDocument::Create(std::move(address));
    const LimitedHtml limited = LimitHtml(html);
    if (notices) {
        notices->insert(notices->end(), limited.notices.begin(), limited.notices.end());
    }
    const std::string_view page = limited.Html();
    GumboOptions options = kGumboDefaultOptions;
    // The parser keeps a copy of its open elements with every parse error it records, which
    // costs memory by the square of the nesting; nothing here reads the errors.
    options.max_errors = 0;
    GumboOutput* output = gumbo_parse_with_options(&options, page.data(), page.size());
    if (!output) {
        doc->Finish();
        return doc;
    }
    Builder(page, doc).Run(output->document);
    gumbo_destroy_output(&options, output);
    return doc;
}

}  // namespace veltrix::dom
