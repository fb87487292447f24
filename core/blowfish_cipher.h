// Blowfish in CBC mode with PKCS#5 padding, the cipher of the record files. Nothing throws: a
// failure yields nullopt.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace veltrix::blowfish {

inline constexpr std::size_t kBlockSize = 8;
using Iv = std::array<std::uint8_t, kBlockSize>;

// Makes Blowfish available to this process; safe to call from any thread, loads once. False when
// the cipher cannot be provided.
bool EnsureAvailable();

// Encrypts `plain` under `key` (any non-empty length) with `iv`; the result is the plain length
// rounded up to the next multiple of 8, a whole padding block when it already was one.
std::optional<std::vector<std::uint8_t>> Encrypt(std::span<const std::uint8_t> plain,
                                                 std::span<const std::uint8_t> key, const Iv& iv);

// Decrypts and removes the padding; nullopt when the padding does not check out (most wrong
// keys), the input is not whole blocks, or the key is empty.
std::optional<std::vector<std::uint8_t>> Decrypt(std::span<const std::uint8_t> cipher,
                                                 std::span<const std::uint8_t> key, const Iv& iv);

// Decrypts whole blocks and leaves any padding in place, so that a file whose end is damaged can
// still be examined; nullopt when the input is not whole blocks or the key is empty.
std::optional<std::vector<std::uint8_t>> DecryptBlocks(std::span<const std::uint8_t> cipher,
                                                       std::span<const std::uint8_t> key,
                                                       const Iv& iv);

}  // namespace veltrix::blowfish
