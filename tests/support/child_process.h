// A child process that the test talks to: started with pipes on its standard input and output,
// its output read line by line with a bounded wait. At destruction it is killed, or, for a child
// that ends on its own when its input closes, given its input's end and a moment to finish.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace veltrix::test {

class ChildProcess {
public:
    enum class Ending { Kill, CloseInputAndWait };

    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                 Ending ending = Ending::Kill);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }

    // The next line of output without its line break; nullopt at the end of the output or when
    // none came within the time given.
    std::optional<std::string> ReadLine(int timeoutMs);
    std::optional<std::string> ReadLine(
        std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        return ReadLine(static_cast<int>(timeout.count()));
    }
    void WriteLine(const std::string& line);
    void CloseInput();

    // Sends SIGKILL and reaps the child.
    void Kill();
    // Waits for the child to end; its exit status, 128 + signal when it was killed, or nullopt
    // when it still runs.
    std::optional<int> Wait(int timeoutMs);
    std::optional<int> Wait(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        return Wait(static_cast<int>(timeout.count()));
    }

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    Ending m_ending;
    std::string m_buffered;
    std::optional<int> m_status;
};

}  // namespace veltrix::test
