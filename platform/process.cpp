#include "platform/process.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/unique_fd.h"

extern char** environ;

namespace veltrix::platform {
namespace {

ProcessResult ResultOf(int status) {
    ProcessResult result;
    result.status = ProcessResult::Status::Exited;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

void SleepMs(long ms) {
    timespec delay{0, ms * 1000000L};
    nanosleep(&delay, nullptr);
}

}  // namespace

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                         unsigned timeoutMs, OnTimeout onTimeout) {
    std::vector<std::string> argvStrings;
    argvStrings.push_back(program.string());
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argvStrings) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const bool searchPath = !program.has_parent_path();
    int spawned = searchPath ? posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ)
                             : posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (spawned != 0) {
        return {};
    }

    // Poll with a short, growing delay: cheap for quick children, bounded for slow ones.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    long delayMs = 1;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return ResultOf(status);
        }
        if (done < 0) {
            return {};
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            if (onTimeout == OnTimeout::Kill && kill(pid, SIGKILL) == 0) {
                waitpid(pid, &status, 0);
            }
            return {ProcessResult::Status::TimedOut, -1};
        }
        SleepMs(delayMs);
        delayMs = std::min(delayMs * 2, 20L);
    }
}

bool StartDetachedProcess(const std::filesystem::path& program,
                          const std::vector<std::string>& args, int* error) {
    const auto failed = [error](int code) {
        if (error != nullptr) {
            *error = code != 0 ? code : EIO;
        }
        return false;
    };
    std::vector<std::string> argvStrings{program.string()};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argvStrings) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    // The grandchild reports a failed exec through the pipe; a successful exec closes it.
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return failed(errno);
    }
    UniqueFd reportRead(ends[0]);
    UniqueFd reportWrite(ends[1]);
    const pid_t child = fork();
    if (child == 0) {
        reportRead.Reset();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            setsid();
            execve(argv[0], argv.data(), environ);
            const int error = errno;
            [[maybe_unused]] ssize_t written = write(reportWrite.Get(), &error, sizeof error);
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    reportWrite.Reset();
    if (child < 0) {
        return failed(errno);
    }
    int status = 0;
    waitpid(child, &status, 0);
    int execError = 0;
    ssize_t got = 0;
    do {
        got = read(reportRead.Get(), &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    if (got != 0) {
        return failed(got == sizeof execError ? execError : 0);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return failed(EAGAIN);
    }
    return true;
}

std::filesystem::path ProgramPath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

std::filesystem::path ModuleFolder() {
    Dl_info info{};
    // A shared library reports the absolute path it was loaded from; the main program may report
    // only its name, so it is found through /proc instead.
    if (dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) != 0 && info.dli_fname != nullptr &&
        info.dli_fname[0] == '/') {
        std::error_code error;
        auto path = std::filesystem::canonical(info.dli_fname, error);
        if (!error) {
            return path.parent_path();
        }
    }
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

std::filesystem::path SiblingProgram(const std::string& name) {
    auto candidate = ModuleFolder() / name;
    std::error_code error;
    return std::filesystem::exists(candidate, error) ? candidate : std::filesystem::path(name);
}

}  // namespace veltrix::platform
