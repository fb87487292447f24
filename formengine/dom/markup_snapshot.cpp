#include "formengine/dom/markup_snapshot.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace veltrix::dom {
namespace {

constexpr std::array<std::u16string_view, 18> kVoidTags = {
    u"area", u"base",  u"basefont", u"bgsound", u"br",   u"col",   u"embed",  u"frame", u"hr",
    u"img",  u"input", u"keygen",   u"link",    u"meta", u"param", u"source", u"track", u"wbr"};
// Elements whose text the browser writes as it is, without escaping.
constexpr std::array<std::u16string_view, 8> kRawTextTags = {
    u"script", u"style", u"xmp", u"iframe", u"noembed", u"noframes", u"plaintext", u"noscript"};
// Raw text left out of the snapshot, as a node-by-node walk leaves it out.
constexpr std::array<std::u16string_view, 3> kUnreadTextTags = {u"script", u"style", u"noscript"};
// Elements whose content is left out; their elements still count.
constexpr std::array<std::u16string_view, 2> kForeignTags = {u"svg", u"math"};
constexpr std::array<std::u16string_view, 6> kNamedTags = {u"form",   u"input",    u"select",
                                                           u"option", u"textarea", u"button"};

template <std::size_t N>
bool OneOf(const std::array<std::u16string_view, N>& list, std::u16string_view tag) {
    return std::find(list.begin(), list.end(), tag) != list.end();
}

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

void AppendCodePoint(std::u16string& out, std::uint32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        out += u'\xFFFD';
    } else if (code >= 0x10000) {
        code -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (code >> 10));
        out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
        out += static_cast<char16_t>(code);
    }
}

// The length of a numeric reference's digits at `text` (after "&#"), and its value.
std::size_t ReadNumber(std::u16string_view text, std::uint32_t& code) {
    const bool hex = !text.empty() && (text[0] == u'x' || text[0] == u'X');
    std::size_t i = hex ? 1 : 0;
    const std::size_t first = i;
    code = 0;
    for (; i < text.size() && i < first + 8; ++i) {
        const char16_t c = text[i];
        int digit = -1;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (hex && c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (hex && c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        }
        if (digit < 0) {
            break;
        }
        code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    }
    return i > first && i < text.size() && text[i] == u';' ? i + 1 : 0;
}

// Text with the references the browser writes decoded; any other '&' stays as it is.
std::u16string Decode(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    static constexpr std::pair<std::u16string_view, char16_t> kNamed[] = {{u"&amp;", u'&'},
                                                                          {u"&lt;", u'<'},
                                                                          {u"&gt;", u'>'},
                                                                          {u"&quot;", u'"'},
                                                                          {u"&nbsp;", u'\xA0'}};
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find(u'&', i);
        if (amp == std::u16string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, amp - i));
        i = amp;
        const std::u16string_view rest = text.substr(amp);
        bool decoded = false;
        for (const auto& [name, character] : kNamed) {
            if (rest.substr(0, name.size()) == name) {
                out += character;
                i += name.size();
                decoded = true;
                break;
            }
        }
        if (!decoded && rest.size() > 2 && rest[1] == u'#') {
            std::uint32_t code = 0;
            if (const std::size_t used = ReadNumber(rest.substr(2), code)) {
                AppendCodePoint(out, code);
                i += 2 + used;
                decoded = true;
            }
        }
        if (!decoded) {
            out += u'&';
            ++i;
        }
    }
    return out;
}

class MarkupReader {
public:
    MarkupReader(std::u16string_view markup, std::size_t maxElements)
        : m_text(markup), m_maxElements(maxElements) {}

    MarkupRead Read() {
        while (m_pos < m_text.size()) {
            const bool ok = m_text[m_pos] == u'<' ? ReadMarkup() : ReadText();
            if (!ok) {
                return {std::nullopt, m_refusal};
            }
        }
        if (!m_open.empty()) {
            return {std::nullopt, "the markup ends inside <" + Narrow(m_open.back().tag) + ">"};
        }
        return {std::move(m_result), {}};
    }

private:
    // How the content of an open element is taken.
    enum class Mode { Read, Counted, Hidden };  // Counted: svg, math; Hidden: template contents
    struct Open {
        std::u16string tag;
        std::int64_t node;
        Mode mode;
    };

    static std::string Narrow(std::u16string_view text) {
        std::string out;
        for (char16_t c : text.substr(0, 64)) {
            out += c < 0x80 ? static_cast<char>(c) : '?';
        }
        return out;
    }

    bool Refuse(std::string why) {
        m_refusal = std::move(why);
        return false;
    }

    Mode CurrentMode() const { return m_open.empty() ? Mode::Read : m_open.back().mode; }
    std::int64_t CurrentParent() const { return m_open.empty() ? -1 : m_open.back().node; }

    void AddText(std::u16string text) {
        if (text.empty() || CurrentMode() != Mode::Read) {
            return;
        }
        SnapshotNode node;
        node.parent = CurrentParent();
        node.text = std::move(text);
        m_result.nodes.push_back(std::move(node));
    }

    bool ReadText() {
        const std::size_t end = std::min(m_text.find(u'<', m_pos), m_text.size());
        AddText(Decode(m_text.substr(m_pos, end - m_pos)));
        m_pos = end;
        return true;
    }

    bool SkipPast(std::u16string_view terminator, const char* what) {
        const std::size_t end = m_text.find(terminator, m_pos);
        if (end == std::u16string_view::npos) {
            return Refuse(std::string("the markup ends inside ") + what);
        }
        m_pos = end + terminator.size();
        return true;
    }

    bool ReadMarkup() {
        const std::u16string_view rest = m_text.substr(m_pos);
        if (rest.substr(0, 4) == u"<!--") {
            m_pos += 4;
            return SkipPast(u"-->", "a comment");
        }
        if (rest.size() > 1 && (rest[1] == u'!' || rest[1] == u'?')) {
            return SkipPast(u">", "a declaration");
        }
        if (rest.size() > 1 && rest[1] == u'/') {
            return ReadEndTag();
        }
        return ReadStartTag();
    }

    std::u16string_view ReadName() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !IsSpace(m_text[m_pos]) && m_text[m_pos] != u'/' &&
               m_text[m_pos] != u'>') {
            ++m_pos;
        }
        return m_text.substr(start, m_pos - start);
    }

    bool ReadEndTag() {
        m_pos += 2;
        const std::u16string_view name = ReadName();
        if (m_pos >= m_text.size() || m_text[m_pos] != u'>') {
            return Refuse("a malformed end tag");
        }
        ++m_pos;
        if (!m_open.empty() && m_open.back().tag == name) {
            m_open.pop_back();
            return true;
        }
        // A foreign element named like a void one gets an end tag; its start closed nothing.
        if (OneOf(kVoidTags, name)) {
            return true;
        }
        return Refuse("an end tag </" + Narrow(name) + "> closes no open element");
    }

    // One attribute as the browser writes it (name="value"); false at the end of the tag.
    bool ReadAttribute(SnapshotNode* node) {
        const std::size_t start = m_pos;
        if (m_text[m_pos] == u'=') {
            ++m_pos;  // a name may begin with '='
        }
        while (m_pos < m_text.size() && !IsSpace(m_text[m_pos]) && m_text[m_pos] != u'/' &&
               m_text[m_pos] != u'>' && m_text[m_pos] != u'=') {
            ++m_pos;
        }
        const std::u16string_view name = m_text.substr(start, m_pos - start);
        std::u16string value;
        if (m_pos < m_text.size() && m_text[m_pos] == u'=') {
            ++m_pos;
            if (m_pos < m_text.size() && (m_text[m_pos] == u'"' || m_text[m_pos] == u'\'')) {
                const char16_t quote = m_text[m_pos++];
                const std::size_t end = m_text.find(quote, m_pos);
                if (end == std::u16string_view::npos) {
                    return Refuse("the markup ends inside an attribute");
                }
                value = Decode(m_text.substr(m_pos, end - m_pos));
                m_pos = end + 1;
            } else {
                const std::size_t valueStart = m_pos;
                while (m_pos < m_text.size() && !IsSpace(m_text[m_pos]) && m_text[m_pos] != u'>') {
                    ++m_pos;
                }
                value = Decode(m_text.substr(valueStart, m_pos - valueStart));
            }
        }
        if (node != nullptr) {
            node->attributes.emplace_back(std::u16string(name), std::move(value));
        }
        return true;
    }

    bool ReadStartTag() {
        ++m_pos;
        const std::u16string_view name = ReadName();
        if (name.empty()) {
            return Refuse("a start tag without a name");
        }
        const Mode mode = CurrentMode();
        if (mode != Mode::Hidden && ++m_result.elementCount > m_maxElements) {
            return Refuse("the markup holds more than " + std::to_string(m_maxElements) +
                          " elements");
        }
        SnapshotNode node;
        const bool built = mode == Mode::Read;
        while (true) {
            while (m_pos < m_text.size() && (IsSpace(m_text[m_pos]) || m_text[m_pos] == u'/')) {
                ++m_pos;
            }
            if (m_pos >= m_text.size()) {
                return Refuse("the markup ends inside a tag");
            }
            if (m_text[m_pos] == u'>') {
                ++m_pos;
                break;
            }
            if (!ReadAttribute(built ? &node : nullptr)) {
                return false;
            }
        }
        std::int64_t index = -1;
        if (built) {
            index = static_cast<std::int64_t>(m_result.nodes.size());
            node.parent = CurrentParent();
            node.tag = std::u16string(name);
            m_result.nodes.push_back(std::move(node));
        }
        if (mode != Mode::Hidden && OneOf(kNamedTags, name)) {
            m_result.named.push_back({index, std::u16string(name)});
        }
        if (OneOf(kVoidTags, name)) {
            return true;
        }
        if (OneOf(kRawTextTags, name)) {
            return ReadRawText(name, index, mode);
        }
        Mode inner = mode;
        if (name == u"template") {
            inner = Mode::Hidden;
        } else if (mode == Mode::Read && OneOf(kForeignTags, name)) {
            inner = Mode::Counted;
        }
        m_open.push_back({std::u16string(name), index, inner});
        return true;
    }

    // The text of a raw-text element up to its end tag, which the text itself cannot hold.
    bool ReadRawText(std::u16string_view name, std::int64_t index, Mode mode) {
        std::size_t end = m_pos;
        while (true) {
            end = m_text.find(u"</", end);
            if (end == std::u16string_view::npos) {
                return Refuse("the markup ends inside <" + Narrow(name) + ">");
            }
            const std::size_t after = end + 2 + name.size();
            if (m_text.substr(end + 2, name.size()) == name && after < m_text.size() &&
                m_text[after] == u'>') {
                break;
            }
            end += 2;
        }
        if (mode == Mode::Read && !OneOf(kUnreadTextTags, name)) {
            m_open.push_back({std::u16string(name), index, mode});
            AddText(std::u16string(m_text.substr(m_pos, end - m_pos)));
            m_open.pop_back();
        }
        m_pos = end + 3 + name.size();
        return true;
    }

    std::u16string_view m_text;
    std::size_t m_maxElements;
    std::size_t m_pos = 0;
    std::vector<Open> m_open;
    MarkupSnapshot m_result;
    std::string m_refusal;
};

}  // namespace

MarkupRead ReadSerialisedMarkup(std::u16string_view markup, std::size_t maxElements) {
    return MarkupReader(markup, maxElements).Read();
}

std::string MatchLiveControls(MarkupSnapshot& snapshot, const std::vector<LiveControl>& controls,
                              std::size_t pageElementCount) {
    if (pageElementCount != snapshot.elementCount) {
        return "the markup holds " + std::to_string(snapshot.elementCount) +
               " elements, the page " + std::to_string(pageElementCount);
    }
    if (controls.size() != snapshot.named.size()) {
        return "the markup names " + std::to_string(snapshot.named.size()) +
               " controls, the page " + std::to_string(controls.size());
    }
    std::unordered_map<std::uint32_t, std::int64_t> forms;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const auto& named = snapshot.named[i];
        if (controls[i].tag != named.tag || controls[i].key == 0) {
            return "control " + std::to_string(i) + " differs between the markup and the page";
        }
        if (named.node >= 0 && named.tag == u"form") {
            forms.emplace(controls[i].key, named.node);
        }
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const auto& control = controls[i];
        const std::int64_t index = snapshot.named[i].node;
        if (index < 0) {
            continue;
        }
        SnapshotNode& node = snapshot.nodes[static_cast<std::size_t>(index)];
        node.key = control.key;
        node.value = control.value;
        node.checked = control.checked;
        node.selected = control.selected;
        const auto owner = forms.find(control.ownerKey);
        node.formOwner = owner != forms.end() ? owner->second : -1;
    }
    return {};
}

}  // namespace veltrix::dom
