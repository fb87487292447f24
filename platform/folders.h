// Folders and files: the per-user data folder, listing records, unique temporary files, and the
// privacy of what we create. Folders we create are 0700 and files 0600 whatever the umask, so that
// no other local user can list record names or read the registry.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace veltrix::platform {

// Modes of what we create.
inline constexpr unsigned kPrivateFolderMode = 0700;
inline constexpr unsigned kPrivateFileMode = 0600;

// Creates `folder` and its missing parents, each with mode 0700; true when it is a folder
// afterwards. `error` tells why not.
bool CreatePrivateFolders(const std::filesystem::path& folder, std::error_code& error);

// Takes group and other permissions away from an existing folder or regular file (not through a
// symbolic link) that belongs to this user; files we own but others may read are tightened when
// we open them, as the files of an older version were created with the umask. Anything else,
// such as a folder of another user, is left alone. True when it is private afterwards.
bool TightenToPrivate(const std::filesystem::path& path);

// $XDG_DATA_HOME, else $HOME/.local/share; created (0700) when missing. nullopt with `error` set
// when it cannot be determined or created.
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
