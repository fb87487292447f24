// vtxsessiond: the session watchdog. Started by the first process that attaches to the session
// block; it detaches from that process, then sweeps the session once a second and ends when the
// session block is gone (core/session_watchdog.h).
//
//   vtxsessiond [--foreground]
//
// Without --foreground it forks, the parent ends at once (its starter waits only for that), and
// the child runs in a session of its own, in "/", with the standard streams on /dev/null and no
// other descriptor inherited, so that it holds nothing of its starter open.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "core/session_block.h"
#include "core/session_users.h"
#include "core/session_watchdog.h"

namespace {

bool Daemonise() {
    const pid_t child = fork();
    if (child < 0) {
        return false;
    }
    if (child > 0) {
        _exit(0);
    }
    setsid();
    if (chdir("/") != 0) {
        return false;
    }
    const int null = open("/dev/null", O_RDWR);
    if (null < 0) {
        return false;
    }
    for (int fd = 0; fd < 3; ++fd) {
        dup2(null, fd);
    }
    close_range(3, ~0U, 0);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool foreground = argc > 1 && std::strcmp(argv[1], "--foreground") == 0;
    if (!foreground && !Daemonise()) {
        return 1;
    }
    auto lock = veltrix::platform::RobustLock::OpenExisting(veltrix::kSessionLockName,
                                                            veltrix::SessionUsers::kAreaSize);
    if (!lock) {
        return 0;  // no session to watch
    }
    const auto self = veltrix::platform::CurrentProcessIdentity();
    while (veltrix::SweepSession(*lock, self) == veltrix::SweepResult::UsersRemain) {
        std::this_thread::sleep_for(veltrix::kWatchdogInterval);
    }
    return 0;
}
