// Globally unique identifiers of COM classes, interfaces and type libraries, written in the
// registry form "{7DEBEA2C-CDDC-408D-9521-0C7AADF89101}".
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace veltrix::com {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    // Parses the braced form; hexadecimal digits in either case. nullopt for anything else.
    static constexpr std::optional<Guid> Parse(std::string_view text);
    static std::optional<Guid> Parse(std::u16string_view text);

    // The braced form with upper-case digits.
    std::string ToString() const;
    std::u16string ToU16String() const;

    auto operator<=>(const Guid&) const = default;
};

// A GUID written as a constant; an invalid text does not compile.
consteval Guid GuidLiteral(std::string_view text);

struct GuidHash {
    std::size_t operator()(const Guid& guid) const noexcept;
};

namespace guid_detail {

inline constexpr std::size_t kBracedLength = 38;

// Reads `digits` hexadecimal digits at `pos`; nullopt when one is not a digit.
constexpr std::optional<std::uint32_t> ReadHex(std::string_view text, std::size_t pos,
                                               std::size_t digits) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = text::HexDigitValue(static_cast<unsigned char>(text[pos + i]));
        if (digit < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace guid_detail

constexpr std::optional<Guid> Guid::Parse(std::string_view text) {
    using guid_detail::ReadHex;
    if (text.size() != guid_detail::kBracedLength || text.front() != '{' || text.back() != '}' ||
        text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-') {
        return std::nullopt;
    }
    const auto d1 = ReadHex(text, 1, 8);
    const auto d2 = ReadHex(text, 10, 4);
    const auto d3 = ReadHex(text, 15, 4);
    if (!d1 || !d2 || !d3) {
        return std::nullopt;
    }
    Guid guid;
    guid.data1 = *d1;
    guid.data2 = static_cast<std::uint16_t>(*d2);
    guid.data3 = static_cast<std::uint16_t>(*d3);
    // Data4: two bytes before the last dash, six after it.
    constexpr std::size_t kBytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (std::size_t i = 0; i < 8; ++i) {
        const auto byte = ReadHex(text, kBytePositions[i], 2);
        if (!byte) {
            return std::nullopt;
        }
        guid.data4[i] = static_cast<std::uint8_t>(*byte);
    }
    return guid;
}

consteval Guid GuidLiteral(std::string_view text) {
    const auto guid = Guid::Parse(text);
    if (!guid) {
        throw std::invalid_argument("not a braced GUID");
    }
    return *guid;
}

}  // namespace veltrix::com

template <>
struct std::hash<veltrix::com::Guid> : veltrix::com::GuidHash {};
