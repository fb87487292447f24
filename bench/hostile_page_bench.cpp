// Each page of the hostile corpus (tests/support/hostile_pages) through `vtx form scan` and a
// headless page load with vtxcore attached (`vtxbrowse --headless`), each run as a child process:
// the wall time, processor time and peak resident memory of the run. The programs come from the
// folder of this benchmark, or from VELTRIX_BENCH_PROGRAMS (to measure another build). A run past
// 60 s (or VELTRIX_BENCH_WALL_SECONDS) or 4 GB of address space is stopped and reported as "did not
// finish".
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_support.h"
#include "tests/support/hostile_pages.h"
#include "tests/support/limited_run.h"

namespace veltrix {
namespace {

std::filesystem::path ProgramFolder() {
    if (const char* folder = std::getenv("VELTRIX_BENCH_PROGRAMS")) {
        return folder;
    }
    return std::filesystem::canonical("/proc/self/exe").parent_path();
}

test::RunLimits BenchLimits() {
    test::RunLimits limits;
    const char* seconds = std::getenv("VELTRIX_BENCH_WALL_SECONDS");
    limits.wall = std::chrono::seconds(seconds ? std::atoi(seconds) : 60);
    limits.addressSpaceBytes = std::size_t{4} << 30;
    return limits;
}

// One run per iteration; the time is the run's wall time.
void RunProgram(benchmark::State& state, const bench::BenchFolder& folder,
                const std::string& program, const std::vector<std::string>& args) {
    std::size_t peak = 0;
    double cpu = 0;
    for (auto _ : state) {
        const auto run = test::RunLimited(ProgramFolder() / program, args, BenchLimits(),
                                          folder.Path() / "output");
        if (!run.Finished()) {
            state.SkipWithError(run.timedOut ? "did not finish: past the time limit"
                                             : "did not finish: killed (memory or crash)");
            return;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakResidentBytes);
        cpu = std::max(cpu, run.cpuSeconds);
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / (1 << 20);
    // The child's processor time: the wall time of a loaded machine overstates the work.
    state.counters["cpu_s"] = cpu;
}

}  // namespace
}  // namespace veltrix

int main(int argc, char** argv) {
    using namespace veltrix;
    bench::BenchEnvironment environment;
    const auto registered = test::RunLimited(ProgramFolder() / "vtx", {"register"}, BenchLimits(),
                                             environment.Path() / "output");
    if (!registered.Finished() || registered.exitCode != 0) {
        std::fprintf(stderr, "vtx register failed: %s\n", registered.output.c_str());
        return 1;
    }
    for (const auto& page : test::HostilePages()) {
        const auto file = environment.Path() / (page.name + ".html");
        std::ofstream(file, std::ios::binary) << page.make();
        const auto script = environment.Path() / (page.name + ".vtxb");
        std::ofstream(script) << "open file://" << file.string() << "\nclose\n";
        benchmark::RegisterBenchmark(
            ("scan/" + page.name).c_str(),
            [&environment, file](benchmark::State& state) {
                RunProgram(state, environment, "vtx", {"form", "scan", file.string()});
            })
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            ("headless/" + page.name).c_str(),
            [&environment, script](benchmark::State& state) {
                RunProgram(state, environment, "vtxbrowse", {"--headless", script.string()});
            })
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
