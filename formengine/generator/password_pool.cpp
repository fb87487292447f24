#include "formengine/generator/password_pool.h"

#include <openssl/rand.h>

#include <array>
#include <limits>

namespace veltrix::generator {
namespace {

std::optional<std::uint64_t> SecureRandom64() {
    std::array<unsigned char, sizeof(std::uint64_t)> bytes{};
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (unsigned char byte : bytes) {
        value = (value << 8) | byte;
    }
    return value;
}

}  // namespace

PoolChoice PoolChoice::FromBits(std::uint32_t preferences, std::u16string specialSet) {
    PoolChoice choice;
    choice.upper = (preferences & bits::kUpper) != 0;
    choice.lower = (preferences & bits::kLower) != 0;
    choice.numbers = (preferences & bits::kNumbers) != 0;
    choice.excludeSimilar = (preferences & bits::kExcludeSimilar) != 0;
    choice.special = (preferences & bits::kSpecial) != 0;
    choice.specialSet = std::move(specialSet);
    return choice;
}

std::uint32_t PoolChoice::Bits() const {
    return (upper ? bits::kUpper : 0) | (lower ? bits::kLower : 0) |
           (numbers ? bits::kNumbers : 0) | (excludeSimilar ? bits::kExcludeSimilar : 0) |
           (special ? bits::kSpecial : 0);
}

std::u16string BuildPool(const PoolChoice& choice) {
    std::u16string pool;
    if (choice.upper) {
        pool += kUpperSet;
    }
    if (choice.lower) {
        pool += kLowerSet;
    }
    if (choice.numbers) {
        pool += kNumberSet;
    }
    if (choice.special) {
        pool += choice.specialSet;
    }
    if (choice.excludeSimilar) {
        std::erase_if(pool, [](char16_t c) { return kLookAlikes.find(c) != std::u16string::npos; });
    }
    return pool;
}

std::optional<std::size_t> SecureRandomIndex(std::size_t bound) {
    if (bound == 0) {
        return std::nullopt;
    }
    const std::uint64_t range = bound;
    // The largest multiple of `range` that 64 bits hold: values at or above it would favour the
    // low indexes, so they are drawn again.
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() -
                                std::numeric_limits<std::uint64_t>::max() % range;
    while (true) {
        const std::optional<std::uint64_t> value = SecureRandom64();
        if (!value) {
            return std::nullopt;
        }
        if (*value < limit) {
            return static_cast<std::size_t>(*value % range);
        }
    }
}

std::optional<std::u16string> DrawPassword(std::u16string_view pool, std::size_t length) {
    std::u16string password;
    if (pool.empty()) {
        return password;
    }
    password.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const std::optional<std::size_t> index = SecureRandomIndex(pool.size());
        if (!index) {
            return std::nullopt;
        }
        password += pool[*index];
    }
    return password;
}

}  // namespace veltrix::generator
