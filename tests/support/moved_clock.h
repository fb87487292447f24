// Moves the tick counter of this process and of every child it starts: writes the clock file
// named by VELTRIX_CLOCK_FILE (set for the object's lifetime) with the offset in milliseconds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>

#include "platform/tick.h"
#include "tests/support/test_environment.h"

namespace veltrix::test {

class MovedClock {
public:
    // The clock file lives in `folder` (a test's temporary folder); the offset starts at 0.
    explicit MovedClock(const std::filesystem::path& folder)
        : file_(folder / "clock-offset"), variable_(platform::kClockFileVariable, file_.string()) {
        Set(0);
    }

    void Set(std::int64_t offsetMs) {
        if (!platform::WriteClockOffset(file_, offsetMs)) {
            throw std::runtime_error("cannot write the clock file");
        }
        offset_ = offsetMs;
    }
    void Advance(std::int64_t ms) { Set(offset_ + ms); }

    std::int64_t Offset() const { return offset_; }
    const std::filesystem::path& File() const { return file_; }

private:
    std::filesystem::path file_;
    ScopedEnv variable_;
    std::int64_t offset_ = 0;
};

}  // namespace veltrix::test
