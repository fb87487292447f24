// Helper of the window-message and tick tests, started as a child process.
//
//   winmsg_peer tick                  prints TickCount() and ends
//   winmsg_peer window CLASS TITLE    creates a window, prints its handle, and answers the
//                                     messages of winmsg_peer_protocol.h until kQuit
//
// Exit status: 0 success, 1 the window could not be created, 2 bad arguments.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "platform/event_loop.h"
#include "platform/tick.h"
#include "platform/winmsg.h"
#include "tests/platform/winmsg_peer_protocol.h"

namespace {

namespace platform = veltrix::platform;
namespace peer = veltrix::test::peer;

constexpr int kCrashStatus = 7;

struct PeerState {
    std::int64_t remembered = 0;
    bool quit = false;
};

std::int64_t CallBack(std::uint64_t window, std::int64_t value) {
    auto result =
        platform::SendMessage(static_cast<platform::WindowHandle>(window), peer::kEcho, 20, value);
    return result ? *result + 1 : -1;
}

std::int64_t Handle(PeerState& state, std::uint32_t message, std::uint64_t wParam,
                    std::int64_t lParam) {
    switch (message) {
        case peer::kEcho:
            return static_cast<std::int64_t>(wParam) + lParam;
        case peer::kRemember:
            state.remembered = state.remembered * 10 + lParam;
            return 0;
        case peer::kRecall:
            return state.remembered;
        case peer::kCallBack:
            return CallBack(wParam, lParam);
        case peer::kHang:
            std::this_thread::sleep_for(std::chrono::milliseconds(lParam));
            return 1;
        case peer::kCrash:
            _exit(kCrashStatus);
        case peer::kQuit:
            state.quit = true;
            return 0;
        case peer::kTick:
            return platform::TickCount();
        default:
            return -1;
    }
}

int ServeWindow(const char* className, const char* title) {
    PeerState state;
    auto window = platform::Window::Create(
        className, title,
        [&state](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return Handle(state, message, wParam, lParam);
        });
    if (!window) {
        return 1;
    }
    std::printf("%u\n", window->Handle());
    std::fflush(stdout);
    platform::ThreadEventLoop().RunUntil([&state] { return state.quit; }, peer::kPeerLifetimeMs);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "tick") == 0) {
        std::printf("%u\n", platform::TickCount());
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "window") == 0) {
        return ServeWindow(argv[2], argv[3]);
    }
    std::fprintf(stderr, "usage: winmsg_peer tick | window CLASS TITLE\n");
    return 2;
}
