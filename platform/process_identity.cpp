#include "platform/process_identity.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace veltrix::platform {
namespace {

struct StatFields {
    char state = '?';
    std::uint64_t startTime = 0;
};

// /proc/<pid>/stat holds "pid (comm) state ppid ... starttime ...". The command name may hold
// blanks and parentheses, so the fields are counted from the last ')'.
std::optional<StatFields> ReadStat(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    if (!in) {
        return std::nullopt;
    }
    const std::string line{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto close = line.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(line.substr(close + 1));
    StatFields stat;
    fields >> stat.state;
    // After the state come 18 fields (ppid ... itrealvalue), then the start time.
    std::string skipped;
    for (int i = 0; i < 18; ++i) {
        fields >> skipped;
    }
    if (!(fields >> stat.startTime)) {
        return std::nullopt;
    }
    return stat;
}

bool HasEnded(char state) {
    return state == 'Z' || state == 'X' || state == 'x';
}

}  // namespace

std::optional<ProcessIdentity> IdentityOf(pid_t pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    const auto stat = ReadStat(pid);
    if (!stat || HasEnded(stat->state)) {
        return std::nullopt;
    }
    return ProcessIdentity{static_cast<std::int32_t>(pid), stat->startTime};
}

ProcessIdentity CurrentProcessIdentity() {
    return IdentityOf(getpid()).value_or(ProcessIdentity{});
}

bool IsRunning(const ProcessIdentity& identity) {
    const auto current = IdentityOf(identity.pid);
    return current && *current == identity;
}

bool IsRunning(pid_t pid) {
    return IdentityOf(pid).has_value();
}

}  // namespace veltrix::platform
