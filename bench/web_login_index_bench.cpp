// The Web Login URL index update of "vtx put" with many sites indexed: a Web Login whose old
// address is known moves between two sites' entries; the full rescan is timed beside it for a
// record whose old address is unknown.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_support.h"
#include "core/configuration.h"
#include "core/web_login_index.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace veltrix {
namespace {

// An index of `sites` sites, one Web Login each.
void FillIndex(config::Settings& settings, int sites) {
    for (int i = 0; i < sites; ++i) {
        const std::u16string number = text::FromInt(i);
        AddWebLoginToIndex(settings, u"https://site" + number + u".example/login",
                           u"Login " + number);
    }
}

void BM_PutIndexUpdateWithOldAddress(benchmark::State& state) {
    bench::BenchEnvironment environment;
    config::Settings settings(platform::Registry::Default());
    FillIndex(settings, static_cast<int>(state.range(0)));
    const std::u16string first = u"https://first.example/";
    const std::u16string second = u"https://second.example/";
    AddWebLoginToIndex(settings, first, u"Moving");
    bool atFirst = true;
    for (auto _ : state) {
        const std::u16string& from = atFirst ? first : second;
        const std::u16string& to = atFirst ? second : first;
        benchmark::DoNotOptimize(MoveWebLoginInIndex(settings, from, to, u"Moving"));
        atFirst = !atFirst;
    }
}
BENCHMARK(BM_PutIndexUpdateWithOldAddress)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PutIndexUpdateWithoutOldAddress(benchmark::State& state) {
    bench::BenchEnvironment environment;
    config::Settings settings(platform::Registry::Default());
    FillIndex(settings, static_cast<int>(state.range(0)));
    bool atFirst = true;
    for (auto _ : state) {
        const std::u16string to = atFirst ? u"https://second.example/" : u"https://first.example/";
        benchmark::DoNotOptimize(IndexWebLoginUnder(settings, to, u"Moving"));
        atFirst = !atFirst;
    }
}
BENCHMARK(BM_PutIndexUpdateWithoutOldAddress)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veltrix
