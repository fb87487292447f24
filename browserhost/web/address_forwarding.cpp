#include "browserhost/web/address_forwarding.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <set>

#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/private_names.h"
#include "platform/unique_fd.h"
#include "platform/winmsg.h"

namespace veltrix::browserhost {
namespace {

constexpr char kRequestFolderName[] = "browse-requests";
constexpr std::string_view kPrivateMode = "private";
constexpr std::string_view kNormalMode = "normal";
// The mode line and its line break on top of the address.
constexpr std::size_t kMaxRequestBytes = kMaxForwardedAddress + 16;
// A running browser answers at once; one that does not within this time is taken for hung.
constexpr int kForwardTimeoutMs = 10000;

std::string Serialize(const OpenRequest& request) {
    std::string text(request.privateWindow ? kPrivateMode : kNormalMode);
    text += '\n';
    text += request.address;
    return text;
}

std::optional<OpenRequest> Parse(std::string_view text) {
    const std::size_t lineEnd = text.find('\n');
    if (lineEnd == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view mode = text.substr(0, lineEnd);
    const std::string_view address = text.substr(lineEnd + 1);
    if ((mode != kPrivateMode && mode != kNormalMode) || address.size() > kMaxForwardedAddress ||
        address.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos) {
        return std::nullopt;
    }
    return OpenRequest{std::string(address), mode == kPrivateMode};
}

bool WriteRequest(const std::filesystem::path& path, const std::string& text) {
    platform::UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                               platform::kPrivateFileMode));
    if (!fd) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (platform::WriteAll(fd.Get(), {bytes, text.size()}) != 0) {
        unlink(path.c_str());
        return false;
    }
    return true;
}

// Offers the request to one window: true when it took it.
bool OfferTo(platform::WindowHandle window, std::uint64_t wParam, std::int64_t lParam) {
    const auto answer = platform::SendMessageTimeout(window, kOpenAddressMessage, wParam, lParam,
                                                     kForwardTimeoutMs);
    return answer && *answer == 1;
}

}  // namespace

std::optional<std::filesystem::path> RequestFolder() {
    const auto runtime = platform::PrivateRuntimeFolder();
    if (!runtime) {
        return std::nullopt;
    }
    const std::filesystem::path folder = *runtime / kRequestFolderName;
    std::error_code error;
    if (!platform::CreatePrivateFolders(folder, error) || !platform::TightenToPrivate(folder)) {
        return std::nullopt;
    }
    return folder;
}

std::string RequestFileName(std::uint64_t wParam, std::int64_t lParam) {
    return std::to_string(wParam) + "-" + std::to_string(lParam) + ".request";
}

ForwardResult ForwardToRunningBrowser(const OpenRequest& request) {
    if (request.address.size() > kMaxForwardedAddress ||
        request.address.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) {
        return ForwardResult::Refused;
    }
    const std::vector<platform::WindowHandle> windows =
        platform::FindWindows(kBrowserWindowClass, "");
    if (windows.empty()) {
        return ForwardResult::NoBrowser;
    }
    const auto folder = RequestFolder();
    if (!folder) {
        return ForwardResult::Refused;
    }
    static std::atomic<std::int64_t> sequence{1};
    const auto wParam = static_cast<std::uint64_t>(getpid());
    const std::int64_t lParam = sequence++;
    const std::filesystem::path path = *folder / RequestFileName(wParam, lParam);
    if (!WriteRequest(path, Serialize(request))) {
        return ForwardResult::Refused;
    }
    // One offer per process: a browser that did not take it from one window will not from another.
    std::set<pid_t> asked;
    for (const platform::WindowHandle window : windows) {
        const auto info = platform::GetWindowInfo(window);
        if (!info || !asked.insert(info->processId).second) {
            continue;
        }
        if (OfferTo(window, wParam, lParam)) {
            return ForwardResult::Delivered;
        }
    }
    // Nobody took it: it must not wait there for a later browser.
    unlink(path.c_str());
    return ForwardResult::NoBrowser;
}

std::optional<OpenRequest> TakeForwardedRequest(std::uint64_t wParam, std::int64_t lParam) {
    const auto folder = RequestFolder();
    if (!folder || lParam <= 0) {
        return std::nullopt;
    }
    const std::filesystem::path path = *folder / RequestFileName(wParam, lParam);
    platform::UniqueFd fd(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        return std::nullopt;
    }
    // Taken once, whatever it holds.
    unlink(path.c_str());
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
        static_cast<std::size_t>(info.st_size) > kMaxRequestBytes) {
        return std::nullopt;
    }
    std::string text;
    if (platform::ReadAll(fd.Get(), text, kMaxRequestBytes) != 0) {
        return std::nullopt;
    }
    return Parse(text);
}

}  // namespace veltrix::browserhost
