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
#include "tests/support/child_process.h"
#include "tests/support/test_environment.h"

namespace veltrix::test {

using namespace std::chrono_literals;

// A peer of the multi-process tests: it ends on its own once its input is closed.
class PeerProcess : public ChildProcess {
public:
    PeerProcess(const std::filesystem::path& program, const std::vector<std::string>& args)
        : ChildProcess(program, args, Ending::CloseInputAndWait) {}
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
    std::string Namespace() const { return m_env.Root().filename().string(); }

    IsolatedEnvironment m_env;
};

}  // namespace veltrix::test
