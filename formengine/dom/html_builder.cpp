#include "formengine/dom/html_builder.h"

#include <gumbo.h>

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace veltrix::dom {
namespace {

struct Range {
    std::size_t begin;
    std::size_t end;
};

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Rendered text: every run of white space is one blank.
std::u16string Collapse(std::u16string_view s) {
    std::u16string out;
    for (char16_t c : s) {
        if (IsSpace(c)) {
            if (out.empty() || out.back() != u' ')
                out.push_back(u' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

bool KeepsWhiteSpace(std::u16string_view tag) {
    return tag == u"pre" || tag == u"textarea" || tag == u"listing" || tag == u"plaintext";
}

class Builder {
public:
    Builder(std::string_view html, std::shared_ptr<MemoryDocument> doc)
        : html_(html), doc_(std::move(doc)) {}

    void Run(const GumboNode* document) {
        CollectRanges(document);
        FindFormCloses();
        CollectForms(document);
        for (std::size_t i = 0; i < document->v.document.children.length; ++i) {
            Add(static_cast<const GumboNode*>(document->v.document.children.data[i]), nullptr,
                false);
        }
        doc_->Finish();
    }

private:
    std::size_t Offset(const char* p) const {
        return p && p >= html_.data() && p <= html_.data() + html_.size()
                   ? static_cast<std::size_t>(p - html_.data())
                   : html_.size();
    }

    // Source stretches where "</form" is not an end tag: texts (also of scripts and styles),
    // comments and start tags with their attribute values.
    void CollectRanges(const GumboNode* node) {
        switch (node->type) {
            case GUMBO_NODE_DOCUMENT:
                for (std::size_t i = 0; i < node->v.document.children.length; ++i) {
                    CollectRanges(static_cast<const GumboNode*>(node->v.document.children.data[i]));
                }
                break;
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                const GumboElement& e = node->v.element;
                if (e.original_tag.data) {
                    const std::size_t b = Offset(e.original_tag.data);
                    quoted_.push_back({b, b + e.original_tag.length});
                }
                for (std::size_t i = 0; i < e.children.length; ++i) {
                    CollectRanges(static_cast<const GumboNode*>(e.children.data[i]));
                }
                break;
            }
            default: {
                const GumboText& t = node->v.text;
                if (t.original_text.data) {
                    const std::size_t b = Offset(t.original_text.data);
                    quoted_.push_back({b, b + t.original_text.length});
                }
                break;
            }
        }
    }

    bool Quoted(std::size_t offset) const {
        return std::any_of(quoted_.begin(), quoted_.end(),
                           [&](const Range& r) { return offset >= r.begin && offset < r.end; });
    }

    // Every "</form" end tag of the source closes the open form, whichever it is.
    void FindFormCloses() {
        static constexpr std::string_view kTag = "</form";
        for (std::size_t at = 0; at + kTag.size() <= html_.size(); ++at) {
            bool match = true;
            for (std::size_t i = 0; i < kTag.size() && match; ++i) {
                char c = html_[at + i];
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
                match = c == kTag[i];
            }
            if (!match)
                continue;
            const std::size_t next = at + kTag.size();
            const char after = next < html_.size() ? html_[next] : '>';
            if (after != '>' && after != '/' && after != ' ' && after != '\t' && after != '\n' &&
                after != '\r' && after != '\f') {
                continue;
            }
            if (!Quoted(at))
                closes_.push_back(at);
        }
    }

    void CollectForms(const GumboNode* node) {
        const GumboVector* children = nullptr;
        if (node->type == GUMBO_NODE_DOCUMENT) {
            children = &node->v.document.children;
        } else if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
            if (node->v.element.tag == GUMBO_TAG_FORM)
                form_starts_.push_back(StartOf(node));
            children = &node->v.element.children;
        }
        if (!children)
            return;
        for (std::size_t i = 0; i < children->length; ++i) {
            CollectForms(static_cast<const GumboNode*>(children->data[i]));
        }
    }

    static std::size_t StartOf(const GumboNode* node) { return node->v.element.start_pos.offset; }

    // The form that was open at this source offset, as its start offset; npos for none.
    std::size_t OpenFormAt(std::size_t offset) const {
        std::size_t open = std::string_view::npos;
        for (std::size_t start : form_starts_) {
            if (start < offset && (open == std::string_view::npos || start > open))
                open = start;
        }
        if (open == std::string_view::npos)
            return open;
        const bool closed = std::any_of(closes_.begin(), closes_.end(),
                                        [&](std::size_t c) { return c > open && c < offset; });
        return closed ? std::string_view::npos : open;
    }

    // The parser puts text that stands right before "</form>" after the form instead of at its
    // end; such text goes back into the form, where browsers keep it.
    std::shared_ptr<MemoryElement> TextParent(const std::shared_ptr<MemoryElement>& parent,
                                              std::size_t offset) const {
        const auto& children = parent->Children();
        if (children.empty() || !children.back().element) {
            return parent;
        }
        const auto& last = children.back().element;
        const std::size_t open = OpenFormAt(offset);
        for (const auto& [start, form] : forms_) {
            if (start == open && form == last) {
                return form;
            }
        }
        return parent;
    }

    static std::u16string TagOf(const GumboNode* node) {
        const GumboElement& e = node->v.element;
        if (e.tag != GUMBO_TAG_UNKNOWN)
            return text::FromUtf8(gumbo_normalized_tagname(e.tag));
        GumboStringPiece piece = e.original_tag;
        gumbo_tag_from_original_text(&piece);
        return text::FromUtf8(std::string_view(piece.data ? piece.data : "", piece.length));
    }

    void Add(const GumboNode* node, const std::shared_ptr<MemoryElement>& parent, bool raw) {
        switch (node->type) {
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                const GumboElement& e = node->v.element;
                std::vector<MemoryElement::Attribute> attributes;
                for (std::size_t i = 0; i < e.attributes.length; ++i) {
                    const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
                    attributes.emplace_back(text::FromUtf8(a->name), text::FromUtf8(a->value));
                }
                std::u16string tag = TagOf(node);
                const bool keep = raw || KeepsWhiteSpace(tag);
                auto element = doc_->CreateElement(std::move(tag), std::move(attributes));
                doc_->AppendChild(parent, element);
                if (e.tag == GUMBO_TAG_FORM)
                    forms_.emplace_back(StartOf(node), element);
                const std::size_t open = OpenFormAt(StartOf(node));
                if (open != std::string_view::npos) {
                    for (const auto& [start, form] : forms_) {
                        if (start == open)
                            MemoryDocument::SetParserForm(element, form);
                    }
                }
                for (std::size_t i = 0; i < e.children.length; ++i) {
                    Add(static_cast<const GumboNode*>(e.children.data[i]), element, keep);
                }
                break;
            }
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
            case GUMBO_NODE_CDATA: {
                std::u16string value = text::FromUtf8(node->v.text.text);
                doc_->AppendText(TextParent(parent, node->v.text.start_pos.offset),
                                 raw ? std::move(value) : Collapse(value));
                break;
            }
            default:  // comments and the document node carry no page text
                break;
        }
    }

    std::string_view html_;
    std::shared_ptr<MemoryDocument> doc_;
    std::vector<Range> quoted_;
    std::vector<std::size_t> closes_;
    std::vector<std::size_t> form_starts_;
    std::vector<std::pair<std::size_t, std::shared_ptr<MemoryElement>>> forms_;
};

}  // namespace

std::shared_ptr<MemoryDocument> BuildDocumentFromHtml(std::string_view html,
                                                      std::u16string address) {
    auto doc = MemoryDocument::Create(std::move(address));
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
    if (!output) {
        doc->Finish();
        return doc;
    }
    Builder(html, doc).Run(output->document);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return doc;
}

}  // namespace veltrix::dom
