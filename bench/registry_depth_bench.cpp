// Export and import of one chain of keys as deep as the argument: the time per key stays flat.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_support.h"
#include "platform/registry.h"
#include "tools/reg_file.h"

namespace {

using veltrix::platform::Hive;
using veltrix::platform::Registry;
using veltrix::platform::RegistryValue;

std::u16string ChainPath(std::int64_t depth) {
    std::u16string path = u"Chain";
    for (std::int64_t level = 1; level < depth; ++level) {
        path += u"\\k";
    }
    return path;
}

void BM_ExportChain(benchmark::State& state) {
    veltrix::bench::BenchFolder folder;
    Registry registry(folder.Path() / "registry");
    registry.SetValue(Hive::CurrentUser, ChainPath(state.range(0)), u"v", RegistryValue::Dword(1));
    for (auto _ : state) {
        auto file = veltrix::tools::ExportKeyTree(registry, {Hive::CurrentUser, u"Chain"});
        benchmark::DoNotOptimize(file);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ExportChain)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

void BM_ImportChain(benchmark::State& state) {
    veltrix::bench::BenchFolder folder;
    Registry registry(folder.Path() / "registry");
    registry.SetValue(Hive::CurrentUser, ChainPath(state.range(0)), u"v", RegistryValue::Dword(1));
    const auto file = veltrix::tools::ExportKeyTree(registry, {Hive::CurrentUser, u"Chain"});
    const auto parsed = veltrix::tools::ParseRegFile(*file);
    std::string error;
    for (auto _ : state) {
        registry.DeleteKeyTree(Hive::CurrentUser, u"Chain");
        if (!veltrix::tools::ApplyRegChanges(registry, parsed.changes, error)) {
            state.SkipWithError(error.c_str());
        }
    }
}
BENCHMARK(BM_ImportChain)->Arg(128)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

}  // namespace
