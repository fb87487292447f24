// Handing an address to the vtxbrowse already running, so that a second start opens a window there
// instead of a second browser. The starting process writes the request into a file of the user's
// private runtime folder and sends kOpenAddressMessage to a browser window (class
// kBrowserWindowClass), naming the file by the message's parameters; the window's process takes
// the file, removes it and opens the window. Only processes of the same user reach the window
// endpoints and the folder; the request is still read as untrusted (size, owner, type, content).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace veltrix::browserhost {

// The window class of a browser window, which the portable launcher also looks for.
inline constexpr char kBrowserWindowClass[] = "IEFrame";
// The window messages a browser window answers.
inline constexpr std::uint32_t kCloseMessage = 0x0010;
inline constexpr std::uint32_t kOpenAddressMessage = 0x8000 + 0x0B01;
// The longest address a request may carry.
inline constexpr std::size_t kMaxForwardedAddress = 32 * 1024;

struct OpenRequest {
    std::string address;  // UTF-8; empty: the start page
    bool privateWindow = false;
};

// The folder of pending requests (<private runtime folder>/browse-requests, 0700); nullopt when
// there is none.
std::optional<std::filesystem::path> RequestFolder();

enum class ForwardResult {
    Delivered,  // a running browser took the request
    NoBrowser,  // no browser window answered: the caller opens its own
    Refused,    // the request cannot be made (too long, no private folder)
};

// Hands `request` to a running browser window; the request file is gone afterwards either way.
ForwardResult ForwardToRunningBrowser(const OpenRequest& request);

// The request a kOpenAddressMessage names, taken out of the folder; nullopt for a missing file,
// one that is not this user's regular file, or one that is too long or malformed.
std::optional<OpenRequest> TakeForwardedRequest(std::uint64_t wParam, std::int64_t lParam);

// The request file's name for the message parameters (sender's process id, sequence number).
std::string RequestFileName(std::uint64_t wParam, std::int64_t lParam);

}  // namespace veltrix::browserhost
