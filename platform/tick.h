// The millisecond tick counter: CLOCK_MONOTONIC in milliseconds, truncated to 32 bits, so it
// wraps about every 49.7 days. Compare ticks with unsigned arithmetic (`now - start`).
//
// Tests move the clock: when VELTRIX_CLOCK_FILE names a file, the signed decimal number of
// milliseconds it holds is added to every reading, in every process that inherits the variable.
#pragma once

#include <cstdint>
#include <filesystem>

namespace veltrix::platform {

inline constexpr const char* kClockFileVariable = "VELTRIX_CLOCK_FILE";

// The current tick, including the offset of the clock file when there is one.
std::uint32_t TickCount();

// The offset the clock file holds now: 0 without a file, or when it is missing or unreadable.
std::int64_t ClockOffset();

// True when VELTRIX_CLOCK_FILE is set, so that the tick may jump at any moment.
bool ClockIsMovable();

// Writes `offsetMs` to `file` as the clock file format expects, atomically (a reader in another
// process sees the old or the new offset, never a partial one). False when it cannot be written.
bool WriteClockOffset(const std::filesystem::path& file, std::int64_t offsetMs);

}  // namespace veltrix::platform
