// The password generator's characters: the fixed character sets, the pool a choice of classes
// builds from them, and the draw of a password from the pool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltrix::generator {

// Upper-case letters without I, the same in lower case, the digits, and the look-alikes that
// "exclude similar" strips from the pool.
inline constexpr std::u16string_view kUpperSet = u"ABCDEFGHJKLMNOPQRSTUVWXYZ";
inline constexpr std::u16string_view kLowerSet = u"abcdefghjklmnopqrstuvwxyz";
inline constexpr std::u16string_view kNumberSet = u"0123456789";
inline constexpr std::u16string_view kLookAlikes = u"iIlLoO0|";

// The bits of the "Generate" section's Preferences, one per check box.
namespace bits {
inline constexpr std::uint32_t kUpper = 1;
inline constexpr std::uint32_t kLower = 2;
inline constexpr std::uint32_t kNumbers = 4;
inline constexpr std::uint32_t kExcludeSimilar = 8;
inline constexpr std::uint32_t kSpecial = 16;
inline constexpr std::uint32_t kAll = 31;
}  // namespace bits

// The password lengths the generator accepts.
inline constexpr int kMinLength = 4;
inline constexpr int kMaxLength = 512;

struct PoolChoice {
    bool upper = false;
    bool lower = false;
    bool numbers = false;
    bool excludeSimilar = false;
    bool special = false;
    std::u16string specialSet;

    static PoolChoice FromBits(std::uint32_t preferences, std::u16string specialSet);
    std::uint32_t Bits() const;
};

// The pool: the chosen sets in the order upper, lower, numbers, special set as typed, then every
// look-alike removed when asked. A character present twice stays twice (it is drawn twice as
// often); nothing is de-duplicated.
std::u16string BuildPool(const PoolChoice& choice);

// A uniformly drawn index below `bound` (> 0) from the system's cryptographically secure
// generator, by rejection sampling so that no index is favoured; nullopt when the generator fails.
std::optional<std::size_t> SecureRandomIndex(std::size_t bound);

// `length` characters, each drawn uniformly from the pool's positions; empty for an empty pool;
// nullopt when the secure generator fails (no weaker generator stands in for it).
std::optional<std::u16string> DrawPassword(std::u16string_view pool, std::size_t length);

}  // namespace veltrix::generator
