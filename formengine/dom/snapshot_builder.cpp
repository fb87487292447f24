#include "formengine/dom/snapshot_builder.h"

#include <algorithm>

namespace veltrix::dom {
namespace {

bool IsTagName(std::u16string_view tag, std::size_t maxLength) {
    if (tag.empty() || tag.size() > maxLength || !(tag[0] >= u'a' && tag[0] <= u'z')) {
        return false;
    }
    return std::all_of(tag.begin(), tag.end(), [](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
    });
}

bool IsAttributeName(std::u16string_view name, std::size_t maxLength) {
    if (name.empty() || name.size() > maxLength) {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](char16_t c) {
        return c <= u' ' || c == u'"' || c == u'\'' || c == u'>' || c == u'/' || c == u'=' ||
               c == 0x7F;
    });
}

// The reasons a node is left out, each said once.
enum Notice : std::size_t {
    kTooMany,
    kBadParent,
    kBadTag,
    kTooDeep,
    kLongText,
    kTextBudget,
    kAttributes,
    kNoticeCount
};

constexpr const char* kNoticeTexts[kNoticeCount] = {
    "snapshot: too many nodes, the rest are left out",
    "snapshot: nodes whose parent is not an earlier element are left out",
    "snapshot: nodes without a valid tag name are left out",
    "snapshot: elements nested too deeply are left out",
    "snapshot: long texts are cut",
    "snapshot: the page's text is past the limit, the rest is left out",
    "snapshot: attributes past the limit are left out",
};

class Builder {
public:
    Builder(const SnapshotLimits& limits, std::u16string address)
        : m_limits(limits), m_result{MemoryDocument::Create(std::move(address)), {}, {}} {}

    SnapshotDocument Build(std::vector<SnapshotNode>& nodes) {
        const std::size_t count = std::min(nodes.size(), m_limits.maxNodes);
        if (count < nodes.size()) {
            Say(kTooMany);
        }
        m_result.elements.assign(count, nullptr);
        m_depth.assign(count, 0);
        for (std::size_t i = 0; i < count; ++i) {
            Add(i, nodes[i]);
        }
        auto& document = *m_result.document;
        document.Finish();
        for (std::size_t i = 0; i < count; ++i) {
            if (const auto& element = m_result.elements[i]) {
                ApplyLiveState(document, *element, nodes[i].value, nodes[i].checked,
                               nodes[i].selected);
            }
        }
        return std::move(m_result);
    }

private:
    void Say(Notice notice) {
        if (!m_said[notice]) {
            m_said[notice] = true;
            m_result.notices.emplace_back(kNoticeTexts[notice]);
        }
    }

    // The text cut to the limits of one run and of the whole page; nullopt past the budget.
    std::optional<std::u16string> Budgeted(std::u16string& text) {
        if (m_textUsed >= m_limits.maxTotalText) {
            Say(kTextBudget);
            return std::nullopt;
        }
        std::size_t keep = std::min(text.size(), m_limits.maxTextRun);
        keep = std::min(keep, m_limits.maxTotalText - m_textUsed);
        if (keep < text.size()) {
            Say(kLongText);
            text.resize(keep);
        }
        m_textUsed += keep;
        return std::move(text);
    }

    void Add(std::size_t index, SnapshotNode& node) {
        std::shared_ptr<MemoryElement> parent;
        std::size_t depth = 0;
        if (node.parent >= 0) {
            const auto parentIndex = static_cast<std::size_t>(node.parent);
            if (parentIndex >= index || !m_result.elements[parentIndex]) {
                Say(kBadParent);
                return;
            }
            parent = m_result.elements[parentIndex];
            depth = m_depth[parentIndex] + 1;
        } else if (node.parent != -1) {
            Say(kBadParent);
            return;
        }
        auto& document = *m_result.document;
        if (node.tag.empty()) {
            if (auto text = Budgeted(node.text); text && !text->empty()) {
                document.AppendText(parent, std::move(*text));
            }
            return;
        }
        if (!IsTagName(node.tag, m_limits.maxTagLength)) {
            Say(kBadTag);
            return;
        }
        if (depth >= m_limits.maxDepth) {
            Say(kTooDeep);
            return;
        }
        std::vector<MemoryElement::Attribute> attributes;
        attributes.reserve(std::min(node.attributes.size(), m_limits.maxAttributes));
        for (auto& [name, value] : node.attributes) {
            if (attributes.size() == m_limits.maxAttributes) {
                Say(kAttributes);
                break;
            }
            if (!IsAttributeName(name, m_limits.maxTagLength)) {
                continue;
            }
            auto kept = Budgeted(value);
            if (!kept) {
                break;
            }
            attributes.emplace_back(std::move(name), std::move(*kept));
        }
        auto element = document.CreateElement(std::move(node.tag), std::move(attributes));
        document.AppendChild(parent, element);
        if (node.formOwner >= 0 && static_cast<std::size_t>(node.formOwner) < index) {
            const auto& owner = m_result.elements[static_cast<std::size_t>(node.formOwner)];
            if (owner && owner->Tag() == u"form") {
                MemoryDocument::SetParserForm(element, owner);
            }
        }
        m_result.elements[index] = std::move(element);
        m_depth[index] = depth;
    }

    const SnapshotLimits& m_limits;
    SnapshotDocument m_result;
    std::vector<std::size_t> m_depth;
    std::size_t m_textUsed = 0;
    bool m_said[kNoticeCount] = {};
};

}  // namespace

SnapshotDocument BuildDocumentFromSnapshot(std::vector<SnapshotNode> nodes, std::u16string address,
                                           const SnapshotLimits& limits) {
    return Builder(limits, std::move(address)).Build(nodes);
}

void ApplyLiveState(MemoryDocument& document, MemoryElement& element,
                    const std::optional<std::u16string>& value, std::optional<bool> checked,
                    std::optional<bool> selected) {
    MemoryDocument::WriteMute mute(document);
    if (value && (element.Tag() == u"input" || element.Tag() == u"textarea")) {
        element.SetAttribute(u"value", *value);
    }
    if (checked && element.Tag() == u"input") {
        element.SetChecked(*checked);
    }
    if (selected && element.Tag() == u"option") {
        element.SetSelected(*selected);
    }
}

}  // namespace veltrix::dom
