#include "portable/blocking_windows.h"

#include <algorithm>
#include <chrono>
#include <set>

#include "platform/event_loop.h"

namespace veltrix::portable {

namespace {

using Clock = std::chrono::steady_clock;

// The first open window of `kind` that was not asked to close yet; 0 when none.
platform::WindowHandle NextUnasked(const BlockingWindowKind& kind,
                                   const std::set<platform::WindowHandle>& asked) {
    for (platform::WindowHandle window : platform::FindWindows(kind.className, kind.title)) {
        if (!asked.contains(window)) {
            return window;
        }
    }
    return 0;
}

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

}  // namespace

platform::WindowHandle FindBlockingWindow() {
    for (const BlockingWindowKind& kind : kBlockingWindowKinds) {
        if (platform::WindowHandle window = platform::FindWindow(kind.className, kind.title)) {
            return window;
        }
    }
    return 0;
}

bool CloseBlockingWindowsWithin(int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::set<platform::WindowHandle> asked;
    for (const BlockingWindowKind& kind : kBlockingWindowKinds) {
        while (MillisecondsLeft(deadline) > 0) {
            const platform::WindowHandle window = NextUnasked(kind, asked);
            if (window == 0) {
                break;
            }
            asked.insert(window);
            if (!platform::PostMessage(window, kWmClose, 0, 0)) {
                continue;  // gone meanwhile
            }
            platform::ThreadEventLoop().RunUntil([window] { return !platform::IsWindow(window); },
                                                 MillisecondsLeft(deadline));
        }
    }
    return FindBlockingWindow() == 0;
}

}  // namespace veltrix::portable
