// Whole-file reads and complete writes over file descriptors, retried across interruptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <span>
#include <string>

#include "platform/result.h"

namespace veltrix::platform {

// Appends everything left in `fd` to `contents`; the errno value of a failure, else 0. A file
// growing past `maxBytes` in all fails with EFBIG, having read no more than that.
int ReadAll(int fd, std::string& contents,
            std::size_t maxBytes = std::numeric_limits<std::size_t>::max());
// Writes all of `bytes`; the errno value of a failure, else 0.
int WriteAll(int fd, std::span<const std::uint8_t> bytes);

// The whole file at `path`, or the errno value of the failure (EFBIG beyond `maxBytes`).
Result<std::string, int> ReadWholeFile(
    const std::filesystem::path& path,
    std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

}  // namespace veltrix::platform
