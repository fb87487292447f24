#include "formengine/helper/browser_launch.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/text.h"

namespace veltrix {
namespace {

constexpr std::u16string_view kHtmlExtensionKey = u".htm";
constexpr std::u16string_view kOpenCommandSuffix = u"\\shell\\open\\command";
constexpr const char* kFallbackBrowser = "vtxbrowse";

std::filesystem::path PathOf(std::u16string_view text) {
    return std::filesystem::path(text::ToUtf8(text));
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::optional<std::u16string> DefaultString(platform::Registry& registry, std::u16string_view key) {
    const auto value = registry.GetValue(platform::Hive::ClassesRoot, key, u"");
    if (!value) {
        return std::nullopt;
    }
    auto textValue = value->AsString();
    if (!textValue || text::Trim(*textValue).empty()) {
        return std::nullopt;
    }
    return textValue;
}

// A bare program name (no folder) is looked up in PATH, as a command line's first word is.
std::filesystem::path SearchPath(const std::filesystem::path& program) {
    if (program.has_parent_path()) {
        return program;
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "";
    while (!folders.empty()) {
        const std::size_t end = std::min(folders.find(':'), folders.size());
        const std::filesystem::path candidate =
            std::filesystem::path(folders.substr(0, end)) / program;
        if (end > 0 && IsFile(candidate) && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        folders.remove_prefix(std::min(end + 1, folders.size()));
    }
    return program;
}

int StartBrowser(std::u16string_view address) {
    if (address.empty() || address.front() == u'-') {
        return EINVAL;
    }
    const std::filesystem::path program =
        SearchPath(BrowserProgram(platform::Registry::Default(), platform::ModuleFolder()));
    int error = 0;
    if (!platform::StartDetachedProcess(program, {text::ToUtf8(address)}, &error)) {
        return error;
    }
    return 0;
}

}  // namespace

std::optional<std::filesystem::path> ProgramOfCommand(std::u16string_view command) {
    const std::u16string line = text::Trim(command);
    if (line.empty()) {
        return std::nullopt;
    }
    if (line.front() == u'"') {
        const std::size_t close = line.find(u'"', 1);
        if (close == std::u16string::npos || close == 1) {
            return std::nullopt;
        }
        return PathOf(std::u16string_view(line).substr(1, close - 1));
    }
    // Unquoted: a path with blanks is recognised by the file it names.
    std::size_t blank = line.find(u' ');
    while (blank != std::u16string::npos) {
        const std::filesystem::path candidate = PathOf(std::u16string_view(line).substr(0, blank));
        if (IsFile(candidate)) {
            return candidate;
        }
        blank = line.find(u' ', blank + 1);
    }
    if (IsFile(PathOf(line))) {
        return PathOf(line);
    }
    return PathOf(std::u16string_view(line).substr(0, line.find(u' ')));
}

std::optional<std::filesystem::path> RegisteredBrowser(platform::Registry& registry) {
    const auto fileClass = DefaultString(registry, kHtmlExtensionKey);
    if (!fileClass) {
        return std::nullopt;
    }
    const auto command =
        DefaultString(registry, text::Trim(*fileClass) + std::u16string(kOpenCommandSuffix));
    if (!command) {
        return std::nullopt;
    }
    return ProgramOfCommand(*command);
}

std::filesystem::path BrowserProgram(platform::Registry& registry,
                                     const std::filesystem::path& fallbackFolder) {
    if (auto registered = RegisteredBrowser(registry)) {
        return *registered;
    }
    return fallbackFolder / kFallbackBrowser;
}

int LaunchBrowser(std::u16string_view address) {
    return StartBrowser(address);
}

int OpenDocument(std::u16string_view address) {
    return StartBrowser(address);
}

}  // namespace veltrix
