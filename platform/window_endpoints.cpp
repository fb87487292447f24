#include "platform/window_endpoints.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/private_names.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

namespace veltrix::platform {
namespace {

constexpr const char* kInfoSuffix = ".info";
constexpr const char* kTemporarySocketPrefix = ".new-";
constexpr const char* kTemporaryInfoPrefix = ".info-";
constexpr const char* kInfoHeader = "veltrix-window 1";

std::filesystem::path BaseFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat status {};
    if (runtime != nullptr && *runtime == '/' && stat(runtime, &status) == 0 &&
        S_ISDIR(status.st_mode)) {
        return std::filesystem::path(runtime) / ("veltrix" + NamespaceFolderSuffix());
    }
    const char* temporary = std::getenv("TMPDIR");
    const std::filesystem::path parent =
        temporary != nullptr && *temporary == '/' ? temporary : "/tmp";
    return parent / ("veltrix-" + std::to_string(geteuid()) + NamespaceFolderSuffix());
}

// Creates `folder` (mode 0700) unless it exists; it must be a real folder of this user that
// nobody else may enter.
bool EnsurePrivateFolder(const std::filesystem::path& folder) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != geteuid()) {
        return false;
    }
    if ((status.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) {
        return false;
    }
    return true;
}

std::string HandleName(WindowHandle handle) {
    char name[9];
    std::snprintf(name, sizeof name, "%08x", handle);
    return name;
}

std::optional<WindowHandle> ParseHandleName(const std::string& name) {
    if (name.size() != 8 || name.find_first_not_of("0123456789abcdef") != std::string::npos) {
        return std::nullopt;
    }
    const auto handle = text::ParseInteger<std::uint32_t>(name, {.base = 16});
    return handle && *handle != 0 ? std::optional<WindowHandle>(*handle) : std::nullopt;
}

// Info values are one line each: '%', CR and LF are written as %XX.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '\n' || c == '\r') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto code = text[i] == '%' && i + 2 < text.size()
                              ? text::ParseInteger<std::uint32_t>(
                                    std::string_view(text).substr(i + 1, 2), {.base = 16})
                              : Fail(text::IntegerError::NoDigits);
        if (code) {
            out += static_cast<char>(*code);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool ProcessIsAlive(pid_t pid) {
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

// The process id in a temporary name ".new-<pid>-<n>" or ".info-<pid>-<n>"; 0 when none.
pid_t TemporaryOwner(const std::string& name) {
    for (const char* prefix : {kTemporarySocketPrefix, kTemporaryInfoPrefix}) {
        if (name.starts_with(prefix)) {
            const auto pid = text::ParseInteger<std::int32_t>(
                std::string_view(name).substr(std::strlen(prefix)), {.prefix = true});
            return pid ? static_cast<pid_t>(*pid) : 0;
        }
    }
    return 0;
}

std::string UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    return std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1) + 1);
}

}  // namespace

bool MakeSocketAddress(const std::filesystem::path& path, sockaddr_un& address) {
    const std::string text = path.string();
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (text.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

std::optional<EndpointFolder> EndpointFolder::Open() {
    const std::filesystem::path base = BaseFolder();
    const std::filesystem::path windows = base / "windows";
    if (!EnsurePrivateFolder(base) || !EnsurePrivateFolder(windows)) {
        return std::nullopt;
    }
    return EndpointFolder(windows);
}

std::filesystem::path EndpointFolder::SocketPath(WindowHandle handle) const {
    return m_path / HandleName(handle);
}

std::filesystem::path EndpointFolder::InfoPath(WindowHandle handle) const {
    return m_path / (HandleName(handle) + kInfoSuffix);
}

std::filesystem::path EndpointFolder::TemporarySocketPath() const {
    return m_path / (kTemporarySocketPrefix + UniqueSuffix());
}

bool EndpointFolder::ClaimHandle(const std::filesystem::path& temporary,
                                 WindowHandle handle) const {
    const std::filesystem::path target = SocketPath(handle);
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without RENAME_NOREPLACE: a hard link claims the name just as atomically.
    if (link(temporary.c_str(), target.c_str()) != 0) {
        return false;
    }
    unlink(temporary.c_str());
    return true;
}

bool EndpointFolder::WriteInfo(const WindowInfo& info) const {
    const std::filesystem::path temporary = m_path / (kTemporaryInfoPrefix + UniqueSuffix());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << kInfoHeader << '\n'
            << info.processId << '\n'
            << Escape(info.className) << '\n'
            << Escape(info.title) << '\n';
        if (!out.flush()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), InfoPath(info.handle).c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<WindowInfo> EndpointFolder::ReadInfo(WindowHandle handle) const {
    std::ifstream in(InfoPath(handle), std::ios::binary);
    std::string header, pid, className, title;
    if (!std::getline(in, header) || header != kInfoHeader || !std::getline(in, pid) ||
        !std::getline(in, className) || !std::getline(in, title)) {
        return std::nullopt;
    }
    WindowInfo info;
    info.handle = handle;
    const auto processId = text::ParseInteger<std::int32_t>(pid, {.sign = true, .prefix = true});
    info.processId = processId ? static_cast<pid_t>(*processId) : 0;
    info.className = Unescape(className);
    info.title = Unescape(title);
    return info;
}

std::vector<WindowHandle> EndpointFolder::Handles() const {
    std::vector<WindowHandle> handles;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_path, error)) {
        if (auto handle = ParseHandleName(entry.path().filename().string())) {
            handles.push_back(*handle);
        }
    }
    std::sort(handles.begin(), handles.end());
    return handles;
}

UniqueFd EndpointFolder::Connect(WindowHandle handle) const {
    sockaddr_un address{};
    if (!MakeSocketAddress(SocketPath(handle), address)) {
        errno = ENAMETOOLONG;
        return {};
    }
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd && connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        fd.Reset();  // keeps errno as connect left it
    }
    return fd;
}

EndpointState EndpointFolder::Probe(WindowHandle handle) const {
    if (Connect(handle)) {
        return EndpointState::Alive;
    }
    switch (errno) {
        case EAGAIN:  // its queue of connections is full: alive, but busy
            return EndpointState::Alive;
        case ECONNREFUSED:  // the file outlived its socket: the owner closed it or died
            Remove(handle);
            return EndpointState::Dead;
        default:
            return EndpointState::Missing;
    }
}

void EndpointFolder::Remove(WindowHandle handle) const {
    unlink(InfoPath(handle).c_str());
    unlink(SocketPath(handle).c_str());
}

void EndpointFolder::SweepLeftovers() const {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_path, error)) {
        const std::string name = entry.path().filename().string();
        if (const pid_t owner = TemporaryOwner(name); owner != 0) {
            if (!ProcessIsAlive(owner)) {
                unlink(entry.path().c_str());
            }
            continue;
        }
        if (name.ends_with(kInfoSuffix)) {
            const auto handle =
                ParseHandleName(name.substr(0, name.size() - std::strlen(kInfoSuffix)));
            struct stat status {};
            if (handle && lstat(SocketPath(*handle).c_str(), &status) != 0 && errno == ENOENT) {
                unlink(entry.path().c_str());
            }
        }
    }
}

}  // namespace veltrix::platform
