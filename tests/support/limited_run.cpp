#include "tests/support/limited_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <thread>

namespace veltrix::test {
namespace {

[[noreturn]] void RunChild(const std::filesystem::path& program,
                           const std::vector<std::string>& args, const RunLimits& limits,
                           const std::filesystem::path& outputFile) {
    const rlimit memory{limits.addressSpaceBytes, limits.addressSpaceBytes};
    setrlimit(RLIMIT_AS, &memory);
    const auto cpuSeconds = static_cast<rlim_t>(
        std::chrono::duration_cast<std::chrono::seconds>(limits.wall).count() + 1);
    const rlimit cpu{cpuSeconds, cpuSeconds};
    setrlimit(RLIMIT_CPU, &cpu);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const int input = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int output = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (input < 0 || output < 0 || dup2(input, 0) < 0 || dup2(output, 1) < 0 ||
        dup2(output, 2) < 0) {
        _exit(127);
    }
    std::vector<char*> argv;
    std::string path = program.string();
    argv.push_back(path.data());
    std::vector<std::string> copies = args;
    for (auto& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
}

}  // namespace

LimitedRunResult RunLimited(const std::filesystem::path& program,
                            const std::vector<std::string>& args, const RunLimits& limits,
                            const std::filesystem::path& outputFile) {
    LimitedRunResult result;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        return result;
    }
    if (pid == 0) {
        RunChild(program, args, limits, outputFile);
    }
    result.started = true;
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            result.started = false;
            return result;
        }
        if (!result.timedOut && std::chrono::steady_clock::now() - start > limits.wall) {
            result.timedOut = true;
            kill(pid, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto toSeconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
    };
    result.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    result.peakResidentBytes = static_cast<std::size_t>(usage.ru_maxrss) * 1024;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    std::ifstream in(outputFile, std::ios::binary);
    result.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return result;
}

}  // namespace veltrix::test
