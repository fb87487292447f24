// Folders and files: the per-user data folder, listing records, unique temporary files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace veltrix::platform {

// $XDG_DATA_HOME, else $HOME/.local/share; created when missing. nullopt with `error` set when it
// cannot be determined or created.
std::optional<std::filesystem::path> UserDataFolder(std::error_code& error);

// Names (not paths) of the regular files in `folder` whose name ends in `extension` (compared
// case-sensitively, without the dot), sorted; empty when the folder cannot be read.
std::vector<std::string> ListFilesWithExtension(const std::filesystem::path& folder,
                                                std::string_view extension);

// Creates an empty file with a unique name in `folder` made from the first three characters of
// `prefix`, as the system's temporary-name service does. nullopt with errno set on failure.
std::optional<std::filesystem::path> CreateUniqueTempFile(const std::filesystem::path& folder,
                                                          std::string_view prefix);

// The operating system's text for an errno value.
std::string ErrorText(int error);

}  // namespace veltrix::platform
