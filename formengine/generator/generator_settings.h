// The generator's settings in the "Generate" section of the configuration, and the check of a
// typed length with its two messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/configuration.h"
#include "formengine/generator/password_pool.h"

namespace veltrix::generator {

inline constexpr std::u16string_view kLengthRangeMessage =
    u"Please enter an integer between 4 and 512.";
inline constexpr std::u16string_view kNotIntegerMessage = u"Please enter an integer.";

// Length, Preferences and Special of the "Generate" section.
struct GeneratorSettings {
    std::uint32_t length = config::kDefaultGenerateLength;
    std::uint32_t preferences = config::kDefaultGeneratePreferences;
    std::u16string special{config::kDefaultGenerateSpecial};

    // Reads the three values; a missing one takes its default, which is written back.
    static GeneratorSettings Read(config::Settings& settings);
    // Writes the three values; false when one could not be stored.
    bool Write(config::Settings& settings) const;
};

enum class LengthCheck { Valid, NotInteger, OutOfRange };

// Checks a typed length: an optional sign and decimal digits, blanks around them allowed, within
// 4 to 512. `length` takes the number when it is valid.
LengthCheck CheckLength(std::u16string_view text, int& length);
// The message for a failed check (empty for Valid).
std::u16string_view LengthMessage(LengthCheck check);

}  // namespace veltrix::generator
