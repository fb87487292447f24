// Runs a program as a child process under a memory limit (address space) and a time limit, and
// measures it: the wall time and the peak resident memory. For checks and benchmarks of how a
// program copes with hostile input.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace veltrix::test {

struct RunLimits {
    std::chrono::milliseconds wall{20000};
    std::size_t addressSpaceBytes = std::size_t{4} << 30;
};

struct LimitedRunResult {
    bool started = false;
    bool timedOut = false;  // killed at the wall limit
    int exitCode = -1;      // when it exited
    int signal = 0;         // when a signal ended it
    double seconds = 0;     // wall time
    double cpuSeconds = 0;  // user and system time, which the load of the machine does not swell
    std::size_t peakResidentBytes = 0;
    std::string output;  // standard output and standard error, as written
    bool Finished() const { return started && !timedOut && signal == 0; }
};

// `program` with `args`; standard input is /dev/null, the output goes to `outputFile`, which
// is read back into the result.
LimitedRunResult RunLimited(const std::filesystem::path& program,
                            const std::vector<std::string>& args, const RunLimits& limits,
                            const std::filesystem::path& outputFile);

}  // namespace veltrix::test
