// The folder of window endpoints: one listening Unix-domain socket per window, named by the
// window's handle in eight hexadecimal digits, beside an "<handle>.info" file with the owner's
// process id, the class name and the title. The folder is per user and per VELTRIX_NAMESPACE:
// $XDG_RUNTIME_DIR/veltrix[.<namespace>]/windows, else (no runtime folder) the same under
// $TMPDIR or /tmp as veltrix-<uid>[.<namespace>]/windows; each level is created with mode 0700.
#pragma once

#include <sys/types.h>
#include <sys/un.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/unique_fd.h"
#include "platform/winmsg.h"

namespace veltrix::platform {

enum class EndpointState {
    Alive,    // a socket listens there (its owner may be busy)
    Dead,     // nothing listens any more; the leftover files were removed
    Missing,  // no endpoint of that handle
};

class EndpointFolder {
public:
    // The folder of the current user and namespace, created when missing; nullopt when it cannot
    // be created or is not a private folder of this user.
    static std::optional<EndpointFolder> Open();
    // The endpoint folder at `path`, which Open() made earlier.
    explicit EndpointFolder(std::filesystem::path path) : m_path(std::move(path)) {}

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path SocketPath(WindowHandle handle) const;
    std::filesystem::path InfoPath(WindowHandle handle) const;
    // A fresh name to bind a socket to before it is claimed under a handle.
    std::filesystem::path TemporarySocketPath() const;

    // Moves the socket at `temporary` to the name of `handle`, unless that name is taken.
    bool ClaimHandle(const std::filesystem::path& temporary, WindowHandle handle) const;

    // Writes the info file atomically: readers see the old or the new content.
    bool WriteInfo(const WindowInfo& info) const;
    std::optional<WindowInfo> ReadInfo(WindowHandle handle) const;

    // Handles of the endpoints present, live or not, in ascending order.
    std::vector<WindowHandle> Handles() const;

    // Opens a non-blocking connection to the endpoint; none, with errno set, on failure.
    UniqueFd Connect(WindowHandle handle) const;
    // Whether the endpoint answers; a dead one is removed.
    EndpointState Probe(WindowHandle handle) const;
    // Removes the files of an endpoint: the info file first, so that a handle is never reused
    // while an info file of an earlier window could still be found under it.
    void Remove(WindowHandle handle) const;
    // Removes what crashed processes left: info files without a socket, temporary files.
    void SweepLeftovers() const;

private:
    std::filesystem::path m_path;
};

// The socket address of `path`; false when the path is too long for one.
bool MakeSocketAddress(const std::filesystem::path& path, sockaddr_un& address);

}  // namespace veltrix::platform
