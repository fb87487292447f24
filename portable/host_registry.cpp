#include "portable/host_registry.h"

#include <string>
#include <vector>

namespace veltrix::portable {

using platform::Hive;

std::u16string HelperObjectKey() {
    return std::u16string(kHelperObjectsKey) + u"\\" + std::u16string(kHelperObjectClass);
}

void RemoveBrowserEntries(platform::Registry& registry) {
    registry.DeleteKeyTree(Hive::LocalMachine, HelperObjectKey());
    registry.DeleteValue(Hive::LocalMachine, kToolbarKey, kToolbarBandClass);
    for (std::u16string_view command : kCommandClasses) {
        registry.DeleteKeyTree(Hive::LocalMachine,
                               std::u16string(kExtensionsKey) + u"\\" + std::u16string(command));
    }
}

namespace {

// Deletes a key that has no subkeys; a key that is gone already counts as deleted.
bool DeleteLeaf(platform::Registry& registry, Hive hive, const std::u16string& path) {
    return registry.DeleteKeyTree(hive, path) || !registry.KeyExists(hive, path);
}

}  // namespace

bool DeleteTreeDepthFirst(platform::Registry& registry, Hive hive, std::u16string_view parent,
                          std::u16string_view child) {
    if (!registry.KeyExists(hive, parent)) {
        return false;
    }
    const std::u16string root = std::u16string(parent) + u"\\" + std::u16string(child);
    if (!registry.KeyExists(hive, root)) {
        return true;
    }
    // The path from the root to the key being emptied; each deletion shortens it by one key.
    std::vector<std::u16string> path{root};
    while (!path.empty()) {
        const std::vector<std::u16string> subkeys = registry.EnumKeys(hive, path.back());
        if (!subkeys.empty()) {
            path.push_back(path.back() + u"\\" + subkeys.front());
            continue;
        }
        if (!DeleteLeaf(registry, hive, path.back())) {
            return false;
        }
        path.pop_back();
    }
    return true;
}

}  // namespace veltrix::portable
