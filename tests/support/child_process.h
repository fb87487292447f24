// A child process that the test talks to: started with its standard output on a pipe, read line
// by line with a bounded wait, and killed at destruction if it still runs.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace veltrix::test {

class ChildProcess {
public:
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // The next line of output without its line break; nullopt at the end of the output or when
    // none came within `timeoutMs`.
    std::optional<std::string> ReadLine(int timeoutMs);

    // Sends SIGKILL and reaps the child.
    void Kill();
    // Waits at most `timeoutMs` for the child to end; its exit status, 128 + signal when it was
    // killed, or nullopt when it still runs.
    std::optional<int> Wait(int timeoutMs);

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffered_;
    std::optional<int> status_;
};

}  // namespace veltrix::test
