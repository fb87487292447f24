#include "platform/folders.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/unique_fd.h"

namespace veltrix::platform {

std::optional<std::filesystem::path> UserDataFolder(std::error_code& error) {
    error.clear();
    std::filesystem::path folder;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
        folder = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        folder = std::filesystem::path(home) / ".local" / "share";
    } else {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return std::nullopt;
    }
    if (!CreatePrivateFolders(folder, error)) {
        return std::nullopt;
    }
    return folder;
}

bool CreatePrivateFolders(const std::filesystem::path& folder, std::error_code& error) {
    error.clear();
    // The missing levels, deepest first; created from the top down.
    std::vector<std::filesystem::path> missing;
    for (std::filesystem::path level = folder.lexically_normal(); !level.empty();
         level = level.parent_path()) {
        struct stat info {};
        if (stat(level.c_str(), &info) == 0) {
            break;
        }
        missing.push_back(level);
        if (level == level.parent_path()) {
            break;
        }
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        // Exact whatever the umask; a level another process made meanwhile counts as made.
        if (mkdir(level->c_str(), kPrivateFolderMode) == 0) {
            chmod(level->c_str(), kPrivateFolderMode);
        } else if (errno != EEXIST) {
            error = std::error_code(errno, std::generic_category());
            return false;
        }
    }
    if (!std::filesystem::is_directory(folder, error)) {
        if (!error) {
            error = std::make_error_code(std::errc::file_exists);  // as mkdir says of a file
        }
        return false;
    }
    return true;
}

bool TightenToPrivate(const std::filesystem::path& path) {
    const UniqueFd fd(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!fd || fstat(fd.Get(), &info) != 0 || info.st_uid != geteuid()) {
        return false;
    }
    if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode)) {
        return false;
    }
    const mode_t mode = info.st_mode & 07777;
    if ((mode & 077) == 0) {
        return true;
    }
    return fchmod(fd.Get(), mode & ~static_cast<mode_t>(077)) == 0;
}

std::vector<std::string> ListFilesWithExtension(const std::filesystem::path& folder,
                                                std::string_view extension) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) {
        return names;
    }
    const std::string suffix = "." + std::string(extension);
    for (const auto& entry : it) {
        std::error_code statError;
        if (!entry.is_regular_file(statError)) {
            continue;
        }
        std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() && name.ends_with(suffix)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::filesystem::path> CreateUniqueTempFile(const std::filesystem::path& folder,
                                                          std::string_view prefix) {
    std::string pattern = (folder / (std::string(prefix.substr(0, 3)) + "XXXXXX.tmp")).string();
    const UniqueFd fd(mkstemps(pattern.data(), 4));
    if (!fd) {
        return std::nullopt;
    }
    return std::filesystem::path(pattern);
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

}  // namespace veltrix::platform
