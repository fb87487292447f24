// The cost of asking the session for the master password once it is known: alone, and while a
// second process takes the session lock in a tight loop.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "core/configuration.h"
#include "core/session.h"
#include "platform/process.h"

extern char** environ;

namespace veltrix {
namespace {

// Points every setting, the vault and the session names at a temporary folder for the run.
class BenchEnvironment {
public:
    BenchEnvironment() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veltrix-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            root_ = pattern;
        }
        for (const char* sub : {"data", "config", "runtime", "registry"}) {
            std::filesystem::create_directories(root_ / sub);
        }
        setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
        setenv("VELTRIX_REGISTRY", (root_ / "registry").c_str(), 1);
        setenv("VELTRIX_NAMESPACE", root_.filename().c_str(), 1);
        config::SetAutoLogoff(120);
        session::SetPassword(u"Bench password 1");
    }
    ~BenchEnvironment() {
        session::CloseProcessHandles();
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

private:
    std::filesystem::path root_;
};

// A second process of the session asking for the password without pause.
class Hammer {
public:
    Hammer() {
        const std::string program = (platform::ModuleFolder() / "session_hammer").string();
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            pid_ = -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ~Hammer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool Running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

void BM_GetPasswordUncontended(benchmark::State& state) {
    BenchEnvironment environment;
    for (auto _ : state) {
        const char16_t* password = nullptr;
        if (session::GetPassword(&password) != 0) {
            state.SkipWithError("no password");
            break;
        }
        benchmark::DoNotOptimize(password);
    }
}
BENCHMARK(BM_GetPasswordUncontended);

void BM_GetPasswordWithAnotherProcessHammering(benchmark::State& state) {
    BenchEnvironment environment;
    Hammer hammer;
    if (!hammer.Running()) {
        state.SkipWithError("session_hammer did not start");
        return;
    }
    for (auto _ : state) {
        const char16_t* password = nullptr;
        if (session::GetPassword(&password) != 0) {
            state.SkipWithError("no password");
            break;
        }
        benchmark::DoNotOptimize(password);
    }
}
BENCHMARK(BM_GetPasswordWithAnotherProcessHammering)->UseRealTime();

}  // namespace
}  // namespace veltrix
