#include "tests/core/session_test_support.h"

#include <sys/mman.h>

#include <thread>

namespace veltrix::test {

std::filesystem::path SessionPeer() {
    return ProgramFolder() / "session_peer";
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return condition();
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::vector<std::string> SharedMemoryTest::ShmObjects() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find(Namespace()) != std::string::npos) {
            names.push_back(name);
        }
    }
    return names;
}

void SharedMemoryTest::TearDown() {
    // A watchdog may still be finishing its last round.
    EXPECT_TRUE(WaitUntil([this] { return ShmObjects().empty(); }, 5s))
        << "left behind: " << testing::PrintToString(ShmObjects());
    for (const auto& name : ShmObjects()) {
        shm_unlink(("/" + name).c_str());
    }
}

}  // namespace veltrix::test
