#include "tools/reg_file.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "platform/text.h"

namespace veltrix::tools {

using platform::Hive;
using platform::Registry;
using platform::RegistryValue;
using platform::ValueType;

namespace {

// Hex data lines are wrapped so that no line, with its trailing backslash, exceeds this width.
constexpr std::size_t kMaxLineWidth = 80;
constexpr std::u16string_view kLineEnd = u"\r\n";
constexpr std::u16string_view kContinuationIndent = u"  ";
constexpr char16_t kDigits[] = u"0123456789abcdef";

std::u16string JoinPath(std::u16string_view parent, std::u16string_view child) {
    std::u16string path(parent);
    if (!path.empty()) {
        path += u'\\';
    }
    path += child;
    return path;
}

// The path without empty components; built in place, so a deep path costs its length.
std::u16string NormalisePath(std::u16string_view path) {
    std::u16string normal;
    normal.reserve(path.size());
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = std::min(path.find(u'\\', start), path.size());
        if (end > start) {
            if (!normal.empty()) {
                normal += u'\\';
            }
            normal += path.substr(start, end - start);
        }
        start = end + 1;
    }
    return normal;
}

std::size_t Depth(std::u16string_view normalPath) {
    return normalPath.empty() ? 0 : 1 + std::count(normalPath.begin(), normalPath.end(), u'\\');
}

// ---- Writing ----

std::u16string Quote(std::u16string_view text) {
    std::u16string quoted = u"\"";
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"') {
            quoted += u'\\';
        }
        quoted += c;
    }
    quoted += u'"';
    return quoted;
}

std::u16string HexByte(std::uint8_t byte) {
    return {kDigits[byte >> 4], kDigits[byte & 0xF]};
}

std::u16string HexNumber(std::uint32_t number, std::size_t minDigits) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), kDigits[number & 0xF]);
        number >>= 4;
    } while (number != 0);
    if (digits.size() < minDigits) {
        digits.insert(0, minDigits - digits.size(), u'0');
    }
    return digits;
}

// `line` followed by the bytes as comma-separated hex pairs, wrapped after a comma with a
// trailing backslash and continued on an indented line.
std::u16string HexLines(std::u16string line, std::span<const std::uint8_t> data) {
    std::u16string out;
    bool lineHasBytes = false;
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::u16string token = HexByte(data[i]);
        if (i + 1 < data.size()) {
            token += u',';
        }
        if (lineHasBytes && line.size() + token.size() + 1 > kMaxLineWidth) {
            out += line + u"\\" + std::u16string(kLineEnd);
            line = kContinuationIndent;
        }
        line += token;
        lineHasBytes = true;
    }
    return out + line;
}

// A REG_SZ is written as quoted text when that text gives back exactly the same bytes and fits
// on one line; otherwise as hex(1) so that nothing is lost.
bool IsPlainString(const RegistryValue& value) {
    if (value.type != ValueType::String) {
        return false;
    }
    const std::u16string text = *value.AsString();
    return RegistryValue::String(text).data == value.data &&
           text.find_first_of(u"\r\n") == std::u16string::npos;
}

std::u16string ValueLine(const platform::NamedValue& named) {
    const RegistryValue& value = named.value;
    std::u16string line = named.name.empty() ? u"@" : Quote(named.name);
    line += u'=';
    if (IsPlainString(value)) {
        return line + Quote(*value.AsString());
    }
    if (auto number = value.AsDword()) {
        return line + u"dword:" + HexNumber(*number, 8);
    }
    if (value.type == ValueType::Binary) {
        return HexLines(line + u"hex:", value.data);
    }
    const auto type = static_cast<std::uint32_t>(value.type);
    return HexLines(line + u"hex(" + HexNumber(type, 1) + u"):", value.data);
}

void WriteKey(const RegKeyName& key, const std::vector<platform::NamedValue>& values,
              std::u16string& out) {
    out += u'[' + key.Display() + u']';
    out += kLineEnd;
    for (const auto& value : values) {
        out += ValueLine(value);
        out += kLineEnd;
    }
    out += kLineEnd;
}

std::string EncodeUtf16LeWithBom(std::u16string_view text) {
    const std::vector<std::uint8_t> units = text::ToUtf16Le(text);
    std::string bytes = "\xFF\xFE";
    bytes.append(units.begin(), units.end());
    return bytes;
}

// ---- Reading ----

std::u16string DecodeFile(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
        bytes.remove_prefix(2);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        return text::FromUtf16Le(std::span(data, bytes.size()));
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    return text::FromUtf8(bytes);
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.find(u'\n', start), text.size());
        std::u16string_view line = text.substr(start, end - start);
        if (line.ends_with(u'\r')) {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

// Blanks of a line of the file: spaces and tabs only.
bool IsRegBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimLeft(std::u16string_view text) {
    return text::TrimStart(text, IsRegBlank);
}

std::u16string_view TrimRight(std::u16string_view text) {
    return text::TrimEnd(text, IsRegBlank);
}

std::u16string_view Trim(std::u16string_view text) {
    return text::TrimView(text, IsRegBlank);
}

// One to `maxDigits` hexadecimal digits, nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::u16string_view digits, std::size_t maxDigits) {
    if (digits.size() > maxDigits) {
        return std::nullopt;
    }
    const auto number = text::ParseInteger<std::uint32_t>(digits, {.base = 16});
    return number ? std::optional<std::uint32_t>(*number) : std::nullopt;
}

// A line of the file that cannot be read; carries its message to ParseRegFile.
struct ParseFailure {
    std::string message;
};

// Reads the lines of a file into changes; throws ParseFailure with the current line set.
class RegParser {
public:
    explicit RegParser(std::vector<std::u16string> lines) : m_lines(std::move(lines)) {}

    std::vector<RegChange> Parse() {
        ParseHeader();
        for (m_index = 1; m_index < m_lines.size(); ++m_index) {
            ParseLine(Trim(m_lines[m_index]));
        }
        return std::move(m_changes);
    }

    std::size_t LineNumber() const { return m_index + 1; }

private:
    void ParseHeader() {
        m_index = 0;
        if (m_lines.empty() || TrimRight(m_lines[0]) != kRegFileHeader) {
            throw ParseFailure{"the file does not begin with \"" + text::ToUtf8(kRegFileHeader) +
                               "\""};
        }
    }

    void ParseLine(std::u16string_view line) {
        if (line.empty() || line.front() == u';') {
            return;
        }
        if (line.front() == u'[') {
            ParseSection(line);
        } else if (line.front() == u'"' || line.front() == u'@') {
            ParseValue(line);
        } else {
            throw ParseFailure{"unrecognised line \"" + text::ToUtf8(line) + "\""};
        }
    }

    void ParseSection(std::u16string_view line) {
        if (!line.ends_with(u']')) {
            throw ParseFailure{"key line without a closing ']'"};
        }
        std::u16string_view name = line.substr(1, line.size() - 2);
        const bool remove = name.starts_with(u'-');
        if (remove) {
            name.remove_prefix(1);
        }
        auto key = ParseKeyName(name);
        if (!key) {
            const std::u16string_view hive = name.substr(0, name.find(u'\\'));
            throw ParseFailure{"unknown hive \"" + text::ToUtf8(hive) + "\""};
        }
        if (remove && key->path.empty()) {
            throw ParseFailure{"the root of a hive cannot be deleted"};
        }
        if (Depth(key->path) > kMaxImportKeyDepth) {
            throw ParseFailure{"the key is nested deeper than " +
                               std::to_string(kMaxImportKeyDepth) + " levels"};
        }
        RegChange change;
        change.kind = remove ? RegChange::Kind::DeleteKeyTree : RegChange::Kind::CreateKey;
        change.key = *key;
        m_changes.push_back(std::move(change));
        if (remove) {
            m_section.reset();
        } else {
            m_section = std::move(key);
        }
    }

    void ParseValue(std::u16string_view line) {
        if (!m_section) {
            throw ParseFailure{"value line outside a key section"};
        }
        std::size_t pos = 0;
        std::u16string name;
        if (line.front() == u'@') {
            pos = 1;
        } else {
            name = ParseQuoted(line, pos);
        }
        std::u16string_view rest = TrimLeft(line.substr(pos));
        if (!rest.starts_with(u'=')) {
            throw ParseFailure{"expected '=' after the value name"};
        }
        rest = TrimLeft(rest.substr(1));

        RegChange change;
        change.key = *m_section;
        change.name = std::move(name);
        if (rest == u"-") {
            change.kind = RegChange::Kind::DeleteValue;
        } else {
            change.kind = RegChange::Kind::SetValue;
            change.value = ParseData(rest);
        }
        m_changes.push_back(std::move(change));
    }

    // The text of the quoted string starting at `pos`, with \\ and \" unescaped; `pos` ends
    // just after the closing quote.
    std::u16string ParseQuoted(std::u16string_view line, std::size_t& pos) {
        std::u16string text;
        for (std::size_t i = pos + 1; i < line.size(); ++i) {
            const char16_t c = line[i];
            if (c == u'"') {
                pos = i + 1;
                return text;
            }
            if (c == u'\\') {
                if (i + 1 >= line.size() || (line[i + 1] != u'\\' && line[i + 1] != u'"')) {
                    throw ParseFailure{"bad escape in a quoted string (use \\\\ or \\\")"};
                }
                ++i;
            }
            text += line[i];
        }
        throw ParseFailure{"unterminated string"};
    }

    RegistryValue ParseData(std::u16string_view data) {
        if (data.starts_with(u'"')) {
            std::size_t pos = 0;
            std::u16string text = ParseQuoted(data, pos);
            if (!Trim(data.substr(pos)).empty()) {
                throw ParseFailure{"unexpected text after the closing quote"};
            }
            return RegistryValue::String(text);
        }
        if (text::StartsWithNoCase(data, u"dword:")) {
            auto number = ParseHexNumber(Trim(data.substr(6)), 8);
            if (!number) {
                throw ParseFailure{"bad dword: expected 1 to 8 hexadecimal digits"};
            }
            return RegistryValue::Dword(*number);
        }
        if (text::StartsWithNoCase(data, u"hex:")) {
            return RegistryValue::Binary(ParseHexBytes(data.substr(4)));
        }
        if (text::StartsWithNoCase(data, u"hex(")) {
            const std::size_t close = data.find(u"):");
            auto type = close == std::u16string_view::npos
                            ? std::nullopt
                            : ParseHexNumber(data.substr(4, close - 4), 8);
            if (!type) {
                throw ParseFailure{"bad value type in hex(...):"};
            }
            return RegistryValue{static_cast<ValueType>(*type),
                                 ParseHexBytes(data.substr(close + 2))};
        }
        throw ParseFailure{"unrecognised value data \"" + text::ToUtf8(data) + "\""};
    }

    // Comma-separated hex bytes; a line ending in a backslash continues on the next line.
    std::vector<std::uint8_t> ParseHexBytes(std::u16string_view first) {
        std::u16string text(TrimRight(first));
        while (text.ends_with(u'\\')) {
            text.pop_back();
            if (++m_index >= m_lines.size()) {
                --m_index;
                throw ParseFailure{"hex data continues past the end of the file"};
            }
            text += Trim(m_lines[m_index]);
        }
        std::vector<std::uint8_t> bytes;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = std::min(text.find(u',', start), text.size());
            const std::u16string_view token =
                Trim(std::u16string_view(text).substr(start, end - start));
            const bool trailingComma = token.empty() && end == text.size();
            if (!trailingComma) {
                auto byte = ParseHexNumber(token, 2);
                if (!byte) {
                    throw ParseFailure{"bad hex byte \"" + text::ToUtf8(token) + "\""};
                }
                bytes.push_back(static_cast<std::uint8_t>(*byte));
            }
            start = end + 1;
        }
        return bytes;
    }

    std::vector<std::u16string> m_lines;
    std::size_t m_index = 0;
    std::optional<RegKeyName> m_section;
    std::vector<RegChange> m_changes;
};

platform::RegistryEdit EditOf(const RegChange& change) {
    using Kind = platform::RegistryEdit::Kind;
    platform::RegistryEdit edit;
    switch (change.kind) {
        case RegChange::Kind::CreateKey:
            edit.kind = Kind::CreateKey;
            break;
        case RegChange::Kind::DeleteKeyTree:
            edit.kind = Kind::DeleteKeyTree;
            break;
        case RegChange::Kind::SetValue:
            edit.kind = Kind::SetValue;
            break;
        case RegChange::Kind::DeleteValue:
            edit.kind = Kind::DeleteValue;
            break;
    }
    edit.hive = change.key.hive;
    edit.path = change.key.path;
    edit.name = change.name;
    edit.value = change.value;
    return edit;
}

std::string Describe(const RegChange& change) {
    const std::string key = text::ToUtf8(change.key.Display());
    const std::string value =
        change.name.empty() ? "(default)" : "\"" + text::ToUtf8(change.name) + "\"";
    switch (change.kind) {
        case RegChange::Kind::CreateKey:
            return "cannot create the key " + key;
        case RegChange::Kind::DeleteKeyTree:
            return "cannot delete the key " + key;
        case RegChange::Kind::SetValue:
            return "cannot write the value " + value + " of " + key;
        case RegChange::Kind::DeleteValue:
            return "cannot delete the value " + value + " of " + key;
    }
    return "cannot apply a change to " + key;
}

}  // namespace

std::u16string RegKeyName::Display() const {
    return JoinPath(platform::HiveName(hive), path);
}

std::optional<RegKeyName> ParseKeyName(std::u16string_view text) {
    const std::size_t slash = std::min(text.find(u'\\'), text.size());
    auto hive = platform::HiveFromName(Trim(text.substr(0, slash)));
    if (!hive) {
        return std::nullopt;
    }
    const std::u16string_view path = slash < text.size() ? text.substr(slash + 1) : u"";
    return RegKeyName{*hive, NormalisePath(path)};
}

std::optional<std::string> ExportKeyTree(Registry& registry, const RegKeyName& key) {
    try {
        std::u16string out(kRegFileHeader);
        out += kLineEnd;
        out += kLineEnd;
        const bool exists = registry.VisitKeyTree(
            key.hive, key.path,
            [&](std::u16string_view path, const std::vector<platform::NamedValue>& values) {
                WriteKey({key.hive, std::u16string(path)}, values, out);
            });
        if (!exists) {
            return std::nullopt;
        }
        return EncodeUtf16LeWithBom(out);
    } catch (...) {
        return std::nullopt;
    }
}

RegParseResult ParseRegFile(std::string_view bytes) {
    RegParseResult result;
    RegParser parser(SplitLines(DecodeFile(bytes)));
    try {
        result.changes = parser.Parse();
    } catch (const ParseFailure& failure) {
        result.error = failure.message;
        result.errorLine = parser.LineNumber();
    }
    return result;
}

bool ApplyRegChanges(Registry& registry, const std::vector<RegChange>& changes,
                     std::string& error) {
    std::vector<platform::RegistryEdit> edits;
    edits.reserve(changes.size());
    for (const RegChange& change : changes) {
        edits.push_back(EditOf(change));
    }
    const auto applied = registry.ApplyAll(edits);
    if (applied) {
        return true;
    }
    using Reason = platform::BatchFailure::Reason;
    const platform::BatchFailure& failure = applied.Error();
    const std::string hive = text::ToUtf8(platform::HiveName(failure.hive));
    switch (failure.reason) {
        case Reason::ReadOnly:
            error = "the machine hives are read-only; nothing was imported";
            break;
        case Reason::Unavailable:
            error = "cannot open " + hive + " for writing; nothing was imported";
            break;
        case Reason::EditFailed:
            error = Describe(changes[failure.edit]) + "; nothing was imported";
            break;
        case Reason::CommitFailed:
            error = "cannot save the changes to " + hive + "; nothing was imported";
            break;
        case Reason::RestoreFailed:
            error = "a later hive could not be saved and " + hive +
                    " could not be put back: it holds the imported changes";
            break;
    }
    return false;
}

}  // namespace veltrix::tools
