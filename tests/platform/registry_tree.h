// Test helper: the whole contents of a registry key tree as one sorted list of lines, so that a
// test compares everything a registration wrote at once.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/text.h"

namespace veltrix::test {

// One line per key ("KEY path") and per value ("path | name = text"), for `path` and all below;
// "@" names a default value, REG_DWORD shows as its number. Empty when the key is missing.
inline std::vector<std::string> RegistryTree(platform::Registry& registry, platform::Hive hive,
                                             const std::u16string& path) {
    std::vector<std::string> lines;
    if (!registry.KeyExists(hive, path)) {
        return lines;
    }
    lines.push_back("KEY " + text::ToUtf8(path));
    for (const auto& [name, value] : registry.EnumValues(hive, path)) {
        std::string data;
        if (const auto string = value.AsString()) {
            data = '"' + text::ToUtf8(*string) + '"';
        } else if (const auto number = value.AsDword()) {
            data = std::to_string(*number);
        } else {
            data = "<type " + std::to_string(static_cast<int>(value.type)) + ">";
        }
        lines.push_back(text::ToUtf8(path) + " | " + (name.empty() ? "@" : text::ToUtf8(name)) +
                        " = " + data);
    }
    for (const auto& child : registry.EnumKeys(hive, path)) {
        const std::u16string childPath = path.empty() ? child : path + u"\\" + child;
        for (auto& line : RegistryTree(registry, hive, childPath)) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

}  // namespace veltrix::test
