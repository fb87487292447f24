// Registry files in the REGEDIT 5 text format: export of a key tree, and parsing and applying a
// file on import. A file is parsed completely before anything is applied, so a malformed file
// changes nothing; keys deeper than kMaxImportKeyDepth make a file malformed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace veltrix::tools {

// Keys nested deeper than this are refused on import, far beyond any real configuration (a few
// levels) and bounding the work a hostile file can ask for. Export writes any depth.
inline constexpr std::size_t kMaxImportKeyDepth = 512;

// The first line of every file.
inline constexpr std::u16string_view kRegFileHeader = u"Windows Registry Editor Version 5.00";

// A key named as in the file: the hive and the path below it (without empty components).
struct RegKeyName {
    platform::Hive hive = platform::Hive::CurrentUser;
    std::u16string path;

    // "HIVE\Path", with the hive's full name.
    std::u16string Display() const;
};

// "HKEY_CURRENT_USER\Software\..." or "HKCU\Software\..." (a trailing backslash is allowed);
// nullopt for an unknown hive.
std::optional<RegKeyName> ParseKeyName(std::u16string_view text);

// The file for the tree of `key`: the key, its values sorted by name, then each subkey the same
// way; UTF-16LE with a byte-order mark and CR LF line ends. nullopt when the key does not exist.
// One query per key, whatever the depth.
std::optional<std::string> ExportKeyTree(platform::Registry& registry, const RegKeyName& key);

// One change an import makes, in file order.
struct RegChange {
    enum class Kind { CreateKey, DeleteKeyTree, SetValue, DeleteValue };
    Kind kind = Kind::CreateKey;
    RegKeyName key;
    std::u16string name;            // value changes only; empty for the default value
    platform::RegistryValue value;  // SetValue only
};

struct RegParseResult {
    std::vector<RegChange> changes;
    // Set when the file is malformed; `changes` is then empty.
    std::optional<std::string> error;
    std::size_t errorLine = 0;
};

// Parses a file in UTF-16LE with a byte-order mark, or UTF-8 with or without one; lines may end
// in CR LF or LF.
RegParseResult ParseRegFile(std::string_view bytes);

// Applies the changes in order, all or nothing across hives (Registry::ApplyAll): a list that
// writes to a machine hive the registry keeps read-only, a change that cannot be made or a hive
// that cannot be saved leaves the registry as it was. Deleting a key or value that does not exist
// is not an error. On failure `error` says what failed.
bool ApplyRegChanges(platform::Registry& registry, const std::vector<RegChange>& changes,
                     std::string& error);

}  // namespace veltrix::tools
