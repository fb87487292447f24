// Support of the session tests: child processes talked to through their standard streams, and a
// fixture that isolates each test and checks that it leaves no shared memory object behind.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/process_identity.h"
#include "tests/support/test_environment.h"

namespace veltrix::test {

using namespace std::chrono_literals;

// A program started with pipes on its standard input and output; killed at destruction if it still
// runs.
class PeerProcess {
public:
    PeerProcess(const std::filesystem::path& program, const std::vector<std::string>& args);
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    pid_t Pid() const { return pid_; }
    // The next line of output without its newline; nullopt at the end or after `timeout`.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = 10s);
    void WriteLine(const std::string& line);
    void CloseInput();
    void Kill();
    // The exit code (128 + signal when killed); nullopt when still running after `timeout`.
    std::optional<int> Wait(std::chrono::milliseconds timeout = 10s);

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffered_;
};

// The helper program of the multi-process tests (tests/core/session_peer.cpp).
std::filesystem::path SessionPeer();

// Polls `condition` until it holds or `timeout` has passed; its last value.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

class SharedMemoryTest : public ::testing::Test {
protected:
    void TearDown() override;
    // The objects in /dev/shm of this test's namespace.
    std::vector<std::string> ShmObjects() const;
    std::string Namespace() const { return env_.Root().filename().string(); }

    IsolatedEnvironment env_;
};

}  // namespace veltrix::test
