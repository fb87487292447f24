#include "platform/com/guid.h"

#include <cstdio>

namespace veltrix::com {

std::optional<Guid> Guid::Parse(std::u16string_view text) {
    if (text.size() != guid_detail::kBracedLength) {
        return std::nullopt;
    }
    std::string narrow(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] > 0x7F) {
            return std::nullopt;
        }
        narrow[i] = static_cast<char>(text[i]);
    }
    return Parse(std::string_view(narrow));
}

std::string Guid::ToString() const {
    char buffer[guid_detail::kBracedLength + 1];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  data1, data2, data3, data4[0], data4[1], data4[2], data4[3], data4[4], data4[5],
                  data4[6], data4[7]);
    return buffer;
}

std::u16string Guid::ToU16String() const {
    const std::string narrow = ToString();
    return {narrow.begin(), narrow.end()};
}

std::size_t GuidHash::operator()(const Guid& guid) const noexcept {
    // FNV-1a over the sixteen bytes.
    std::uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            hash = (hash ^ ((value >> (8 * i)) & 0xFF)) * 1099511628211ull;
        }
    };
    mix(guid.data1, 4);
    mix(guid.data2, 2);
    mix(guid.data3, 2);
    for (std::uint8_t byte : guid.data4) {
        mix(byte, 1);
    }
    return static_cast<std::size_t>(hash);
}

}  // namespace veltrix::com
