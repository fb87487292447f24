// The bulk re-encryption of 10,000 record files: the change of master password in update mode
// (backups, rewrites, deletion of the backups) and the export onto a device, each beside the cost
// of the cipher alone over the same files in memory, so that the share of the cipher shows. Every
// file written by the job is flushed to the disk, which is what the job's time is mostly made of.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/device_layout.h"
#include "core/record_file.h"
#include "core/record_kind.h"
#include "editor/reencrypt/reencrypt_job.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace veltrix {
namespace {

constexpr int kRecords = 10000;
constexpr std::u16string_view kOld = u"Bench password 1";
constexpr std::u16string_view kNew = u"Bench password 2";

class NoSession : public editor::ISessionSwitch {
public:
    bool SetPassword(std::u16string_view) override { return true; }
    bool EndSession() override { return true; }
};

// A record of about the size of a filled-in Identity (1.5 KB of text).
std::u16string RecordText(int n) {
    std::u16string text = u"<note>record " + text::FromInt(n) + u" ";
    while (text.size() < 750) {
        text += u"Some text of a record that is as long as a filled-in Identity. ";
    }
    return text + u"</note>";
}

// 10,000 files of the three kinds, 4 : 4 : 2, under kOld, written without flushing (setup only).
std::vector<std::vector<std::uint8_t>> WriteVault(config::Settings& settings) {
    std::vector<std::vector<std::uint8_t>> files;
    const std::filesystem::path folder = text::ToUtf8(settings.GetDataPath());
    for (int n = 0; n < kRecords; ++n) {
        const RecordKind kind = n % 5 < 2   ? RecordKind::Identity
                                : n % 5 < 4 ? RecordKind::WebLogin
                                            : RecordKind::SecureNote;
        auto bytes = EncodeRecordFile(RecordText(n), kOld);
        const auto name = "Record " + std::to_string(n) + "." + text::ToUtf8(RecordExtension(kind));
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes->data()),
                   static_cast<std::streamsize>(bytes->size()));
        files.push_back(std::move(*bytes));
    }
    return files;
}

void ReportRate(benchmark::State& state) {
    state.counters["files/s"] = benchmark::Counter(
        static_cast<double>(kRecords) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_UpdateMode(benchmark::State& state) {
    bench::BenchEnvironment environment;
    config::Settings settings(platform::Registry::Default());
    WriteVault(settings);
    NoSession session;
    bool forward = true;
    for (auto _ : state) {
        editor::ReencryptRequest request;
        request.oldPassword = forward ? kOld : kNew;
        request.newPassword = forward ? kNew : kOld;
        editor::CMemoryReencryptView view;
        view.QueueAnswer(true);  // delete the backups
        editor::CReencryptJob job(request, settings, view, session);
        if (!job.Run() || job.Total() != kRecords) {
            state.SkipWithError("the update failed");
            break;
        }
        forward = !forward;
    }
    ReportRate(state);
}
BENCHMARK(BM_UpdateMode)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_DeviceExport(benchmark::State& state) {
    bench::BenchEnvironment environment;
    config::Settings settings(platform::Registry::Default());
    WriteVault(settings);
    // Stand-ins for the programs, and a folder standing for the device.
    const auto install = environment.Path() / "install";
    std::filesystem::create_directories(install / "help");
    std::filesystem::create_directories(install / "screenshots");
    for (std::u16string_view entry : device::kProgramFiles) {
        if (!entry.ends_with(u'/')) {
            std::ofstream(install / text::ToUtf8(entry)) << std::string(1 << 20, 'x');
        }
    }
    settings.SetInstallPath(text::FromUtf8(install.string()) + u"/");
    const auto device = environment.Path() / "device";
    NoSession session;
    for (auto _ : state) {
        std::filesystem::remove_all(device);
        std::filesystem::create_directories(device);
        editor::ReencryptRequest request;
        request.oldPassword = kOld;
        request.newPassword = kNew;
        request.destination = text::FromUtf8(device.string());
        request.exportMode = true;
        request.device = true;
        editor::CMemoryReencryptView view;
        editor::CReencryptJob job(request, settings, view, session);
        job.SetMountResolver([device](const std::filesystem::path&) { return device; });
        if (!job.Run()) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    ReportRate(state);
}
BENCHMARK(BM_DeviceExport)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The cipher alone: each of the 10,000 files decrypted under the old password and encrypted under
// the new one, in memory.
void BM_CipherOnly(benchmark::State& state) {
    std::vector<std::vector<std::uint8_t>> files;
    for (int n = 0; n < kRecords; ++n) {
        files.push_back(*EncodeRecordFile(RecordText(n), kOld));
    }
    for (auto _ : state) {
        for (const auto& file : files) {
            auto payload = DecryptRecord(file, kOld);
            auto again = EncryptRecord(*payload, kNew);
            benchmark::DoNotOptimize(again);
        }
    }
    ReportRate(state);
}
BENCHMARK(BM_CipherOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace veltrix

BENCHMARK_MAIN();
