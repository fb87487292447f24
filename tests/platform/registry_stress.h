// Names and value patterns shared by the registry concurrency test and registry_writer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace veltrix::test::stress {

inline constexpr std::u16string_view kCountersKey = u"Stress\\Counters";
inline constexpr std::u16string_view kSharedKey = u"Stress\\Shared";
inline constexpr std::u16string_view kBlobName = u"Blob";

inline std::u16string WriterKey(unsigned id) {
    return u"Stress\\Writer" + text::FromInt(id);
}
inline std::u16string CounterName(unsigned id) {
    return u"c" + text::FromInt(id);
}
inline std::u16string ValueName(unsigned round) {
    return u"v" + text::FromInt(round);
}
inline std::u16string ValueText(unsigned id, unsigned round) {
    return u"writer " + text::FromInt(id) + u" round " + text::FromInt(round);
}

inline std::uint8_t PatternFill(std::uint8_t id, std::uint8_t round) {
    return static_cast<std::uint8_t>(id * 31 + round * 7);
}

// A blob whose first four bytes hold its length, then the writer and round (low bytes), then
// a fill byte derived from both: a mix of two writes does not pass IsWholePattern.
inline std::vector<std::uint8_t> Pattern(unsigned id, unsigned round) {
    const std::uint32_t size = 8 + (id * 977 + round * 131) % 3000;
    std::vector<std::uint8_t> bytes(size);
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(size >> (8 * i));
    }
    bytes[4] = static_cast<std::uint8_t>(id);
    bytes[5] = static_cast<std::uint8_t>(round);
    for (std::size_t i = 6; i < size; ++i) {
        bytes[i] = PatternFill(bytes[4], bytes[5]);
    }
    return bytes;
}

inline bool IsWholePattern(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 8) {
        return false;
    }
    const std::uint32_t size =
        bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    if (size != bytes.size()) {
        return false;
    }
    const std::uint8_t fill = PatternFill(bytes[4], bytes[5]);
    for (std::size_t i = 6; i < bytes.size(); ++i) {
        if (bytes[i] != fill) {
            return false;
        }
    }
    return true;
}

}  // namespace veltrix::test::stress
