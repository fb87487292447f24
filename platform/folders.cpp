#include "platform/folders.h"

#include <fcntl.h>
#include <stdlib.h>
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
    std::filesystem::create_directories(folder, error);
    if (error) {
        return std::nullopt;
    }
    return folder;
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
