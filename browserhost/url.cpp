#include "browserhost/url.h"

#include <vector>

#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

bool IsAlpha(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The length of the scheme of `url` (without the colon), 0 when it has none.
std::size_t SchemeLength(std::u16string_view url) {
    if (url.empty() || !IsAlpha(url[0])) {
        return 0;
    }
    for (std::size_t i = 1; i < url.size(); ++i) {
        const char16_t c = url[i];
        if (c == u':') {
            return i;
        }
        if (!IsAlpha(c) && !IsDigit(c) && c != u'+' && c != u'-' && c != u'.') {
            return 0;
        }
    }
    return 0;
}

struct Parts {
    std::u16string scheme;     // without ':'
    std::u16string authority;  // without "//"
    bool hasAuthority = false;
    std::u16string path;
    std::u16string query;  // with '?', empty when none
};

Parts Split(std::u16string_view url) {
    Parts parts;
    url = url.substr(0, std::min(url.size(), url.find(u'#')));
    const std::size_t scheme = SchemeLength(url);
    parts.scheme = url.substr(0, scheme);
    std::u16string_view rest = scheme ? url.substr(scheme + 1) : url;
    if (rest.starts_with(u"//")) {
        parts.hasAuthority = true;
        rest.remove_prefix(2);
        const std::size_t end = std::min(rest.size(), rest.find_first_of(u"/?"));
        parts.authority = rest.substr(0, end);
        rest.remove_prefix(end);
    }
    const std::size_t question = rest.find(u'?');
    parts.path = rest.substr(0, question);
    if (question != std::u16string_view::npos) {
        parts.query = rest.substr(question);
    }
    return parts;
}

// Removes "." and ".." segments of an absolute path.
std::u16string RemoveDotSegments(std::u16string_view path) {
    std::vector<std::u16string> out;
    std::size_t start = path.starts_with(u'/') ? 1 : 0;
    bool trailingSlash = false;
    while (start <= path.size()) {
        std::size_t end = path.find(u'/', start);
        if (end == std::u16string_view::npos) {
            end = path.size();
        }
        const std::u16string_view segment = path.substr(start, end - start);
        const bool last = end == path.size();
        if (segment == u".") {
            trailingSlash = last;
        } else if (segment == u"..") {
            if (!out.empty()) {
                out.pop_back();
            }
            trailingSlash = last;
        } else {
            out.emplace_back(segment);
            trailingSlash = false;
        }
        start = end + 1;
    }
    std::u16string result;
    for (const auto& segment : out) {
        result += u"/" + segment;
    }
    if (trailingSlash || result.empty()) {
        result += u"/";
    }
    return result;
}

// Percent-decodes the bytes of a UTF-8 path.
std::string PercentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = text::HexDigitValue(static_cast<unsigned char>(text[i + 1]));
            const int low = text::HexDigitValue(static_cast<unsigned char>(text[i + 2]));
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace

std::u16string WithoutFragment(std::u16string_view url) {
    return std::u16string(url.substr(0, std::min(url.size(), url.find(u'#'))));
}

std::u16string WithoutQuery(std::u16string_view url) {
    return std::u16string(url.substr(0, std::min(url.size(), url.find_first_of(u"?#"))));
}

bool IsJavaScriptUrl(std::u16string_view url) {
    return text::StartsWithNoCase(url, u"javascript:");
}

std::u16string ResolveUrl(std::u16string_view base, std::u16string_view reference) {
    const std::u16string trimmed = text::Trim(reference);
    const std::u16string_view ref = trimmed;
    if (ref.empty()) {
        return WithoutFragment(base);
    }
    if (SchemeLength(ref) > 0) {
        return std::u16string(ref);
    }
    const Parts parts = Split(base);
    if (!parts.hasAuthority) {
        if (ref.starts_with(u'#') && !base.empty()) {
            return WithoutFragment(base) + std::u16string(ref);
        }
        return std::u16string(ref);
    }
    const std::u16string origin = parts.scheme + u"://" + parts.authority;
    if (ref.starts_with(u"//")) {
        return parts.scheme + u":" + std::u16string(ref);
    }
    if (ref.starts_with(u'#')) {
        return WithoutFragment(base) + std::u16string(ref);
    }
    if (ref.starts_with(u'?')) {
        return origin + (parts.path.empty() ? u"/" : parts.path) + std::u16string(ref);
    }

    // A path, with its own query and fragment.
    const std::size_t pathEnd = std::min(ref.size(), ref.find_first_of(u"?#"));
    const std::u16string_view refPath = ref.substr(0, pathEnd);
    const std::u16string_view tail = ref.substr(pathEnd);
    std::u16string merged;
    if (refPath.starts_with(u'/')) {
        merged = refPath;
    } else {
        const std::size_t slash = parts.path.rfind(u'/');
        merged = (slash == std::u16string::npos ? u"/" : parts.path.substr(0, slash + 1)) +
                 std::u16string(refPath);
    }
    return origin + RemoveDotSegments(merged) + std::u16string(tail);
}

std::optional<std::filesystem::path> FileFromUrl(std::u16string_view url) {
    if (!text::StartsWithNoCase(url, u"file:")) {
        return std::nullopt;
    }
    std::u16string_view rest = url.substr(5);
    rest = rest.substr(0, std::min(rest.size(), rest.find_first_of(u"?#")));
    if (rest.starts_with(u"//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find(u'/');
        if (slash == std::u16string_view::npos) {
            return std::nullopt;
        }
        const std::u16string_view host = rest.substr(0, slash);
        if (!host.empty() && !text::EqualsNoCase(host, u"localhost")) {
            return std::nullopt;
        }
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with(u'/')) {
        return std::nullopt;
    }
    return std::filesystem::path(PercentDecode(text::ToUtf8(rest)));
}

std::u16string FileUrl(const std::filesystem::path& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "file://";
    for (const unsigned char c : path.string()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_' || c == '.' ||
                           c == '~';
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return text::FromUtf8(out);
}

}  // namespace veltrix::browserhost
