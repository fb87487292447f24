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

#include "bench/bench_support.h"
#include "core/configuration.h"
#include "core/session.h"
#include "platform/process.h"
#include "platform/registry.h"

extern char** environ;

namespace veltrix {
namespace {

// The bench's own settings, vault and session, with the master password set.
class SessionEnvironment {
public:
    SessionEnvironment() {
        m_settings.SetAutoLogoff(120);
        session::SetPassword(u"Bench password 1");
    }
    ~SessionEnvironment() { session::CloseProcessHandles(); }

    config::Settings& Settings() { return m_settings; }

private:
    bench::BenchEnvironment m_folders;
    config::Settings m_settings{platform::Registry::Default()};
};

// A second process of the session asking for the password without pause.
class Hammer {
public:
    Hammer() {
        const std::string program = (platform::ModuleFolder() / "session_hammer").string();
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        if (posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            m_pid = -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ~Hammer() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool Running() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
};

void BM_GetPasswordUncontended(benchmark::State& state) {
    SessionEnvironment environment;
    std::u16string password;
    for (auto _ : state) {
        if (!session::GetPassword(environment.Settings(), password)) {
            state.SkipWithError("no password");
            break;
        }
        benchmark::DoNotOptimize(password.data());
    }
}
BENCHMARK(BM_GetPasswordUncontended);

void BM_GetPasswordWithAnotherProcessHammering(benchmark::State& state) {
    SessionEnvironment environment;
    Hammer hammer;
    if (!hammer.Running()) {
        state.SkipWithError("session_hammer did not start");
        return;
    }
    std::u16string password;
    for (auto _ : state) {
        if (!session::GetPassword(environment.Settings(), password)) {
            state.SkipWithError("no password");
            break;
        }
        benchmark::DoNotOptimize(password.data());
    }
}
BENCHMARK(BM_GetPasswordWithAnotherProcessHammering)->UseRealTime();

}  // namespace
}  // namespace veltrix
