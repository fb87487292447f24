// Helper of the registry concurrency test; several copies run at once on one registry folder.
//
//   registry_writer FOLDER ID COUNT
//
// Each of COUNT rounds: writes a value of its own under Stress\Writer<ID>, increments its own
// counter under Stress\Counters (read-modify-write), overwrites the shared blob Stress\Shared\Blob
// with a self-describing pattern, and reads the blob back to check that it is whole.
// Exit status: 0 success, 1 a write failed, 2 bad arguments, 3 a torn or lost value was seen.
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/registry.h"
#include "platform/text.h"
#include "tests/platform/registry_stress.h"

namespace {

using veltrix::platform::Hive;
using veltrix::platform::Registry;
using veltrix::platform::RegistryValue;
namespace stress = veltrix::test::stress;

constexpr int kWriteFailed = 1;
constexpr int kUsage = 2;
constexpr int kBadRead = 3;

int Round(Registry& registry, unsigned id, unsigned round) {
    const std::u16string key = stress::WriterKey(id);
    if (!registry.SetValue(Hive::CurrentUser, key, stress::ValueName(round),
                           RegistryValue::String(stress::ValueText(id, round)))) {
        return kWriteFailed;
    }

    const std::u16string counter = stress::CounterName(id);
    const auto current = registry.GetValue(Hive::CurrentUser, stress::kCountersKey, counter);
    const std::uint32_t count = current ? current->AsDword().value_or(0) : 0;
    if (count != round) {
        std::fprintf(stderr, "writer %u: counter %u, expected %u\n", id, count, round);
        return kBadRead;
    }
    if (!registry.SetValue(Hive::CurrentUser, stress::kCountersKey, counter,
                           RegistryValue::Dword(count + 1))) {
        return kWriteFailed;
    }

    if (!registry.SetValue(Hive::CurrentUser, stress::kSharedKey, stress::kBlobName,
                           RegistryValue::Binary(stress::Pattern(id, round)))) {
        return kWriteFailed;
    }
    const auto blob = registry.GetValue(Hive::CurrentUser, stress::kSharedKey, stress::kBlobName);
    if (!blob || !stress::IsWholePattern(blob->data)) {
        std::fprintf(stderr, "writer %u: torn or missing blob in round %u\n", id, round);
        return kBadRead;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: registry_writer FOLDER ID COUNT\n");
        return kUsage;
    }
    Registry registry(argv[1]);
    const auto id = static_cast<unsigned>(std::stoul(argv[2]));
    const auto count = static_cast<unsigned>(std::stoul(argv[3]));
    for (unsigned round = 0; round < count; ++round) {
        if (const int status = Round(registry, id, round); status != 0) {
            return status;
        }
    }
    return 0;
}
