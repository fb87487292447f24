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
        : m_file(folder / "clock-offset"),
          m_variable(platform::kClockFileVariable, m_file.string()) {
        Set(0);
    }

    void Set(std::int64_t offsetMs) {
        if (!platform::WriteClockOffset(m_file, offsetMs)) {
            throw std::runtime_error("cannot write the clock file");
        }
        m_offset = offsetMs;
    }
    void Advance(std::int64_t ms) { Set(m_offset + ms); }

    std::int64_t Offset() const { return m_offset; }
    const std::filesystem::path& File() const { return m_file; }

private:
    std::filesystem::path m_file;
    ScopedEnv m_variable;
    std::int64_t m_offset = 0;
};

}  // namespace veltrix::test
