// Windows that other processes reach, and the messages they exchange, in place of the window
// handles, SendMessage, PostMessage, IsWindow and FindWindow of the original platform.
//
// A window is a handler of messages with a 32-bit handle, a class name and a title. It lives on
// the thread that created it and is served by that thread's event loop: its handler runs only
// while that thread pumps the loop, or while the thread waits in SendMessage (which keeps serving
// messages sent to the thread's own windows, so that two windows may send to each other).
// Each window registers an endpoint that other processes connect to (see window_endpoints.h).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/unique_fd.h"

namespace veltrix::platform {

using WindowHandle = std::uint32_t;  // 0 names no window
using MessageHandler =
    std::function<std::int64_t(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)>;

// How long SendMessage waits for a live peer's reply. A peer that dies is noticed at once.
inline constexpr int kDefaultSendTimeoutMs = 60000;
// How long PostMessage waits for a peer whose queue of connections is full.
inline constexpr int kPostTimeoutMs = 5000;

struct WindowInfo {
    WindowHandle handle = 0;
    pid_t processId = 0;
    std::string className;
    std::string title;
};

class Window {
public:
    // Creates a window on the calling thread and registers its endpoint; nullptr without a handler
    // or when the endpoint cannot be created. Class name and title are UTF-8.
    static std::unique_ptr<Window> Create(std::string className, std::string title,
                                          MessageHandler handler);
    // Removes the endpoint; messages still waiting for the window are not delivered (senders get
    // no result). Must run on the creating thread; a handler may destroy its own window.
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    WindowHandle Handle() const { return m_info.handle; }
    const std::string& ClassName() const { return m_info.className; }
    const std::string& Title() const { return m_info.title; }
    bool SetTitle(std::string title);

private:
    Window(std::filesystem::path folder, WindowInfo info, UniqueFd listenFd, dev_t device,
           ino_t inode);

    std::filesystem::path m_folder;  // the endpoint folder at creation
    WindowInfo m_info;
    UniqueFd m_listenFd;  // served by the thread's window server, closed here
    dev_t m_device;       // identity of the endpoint file, so that only our own is removed
    ino_t m_inode;
};

// Delivers a message and waits for the handler's result: nullopt when there is no such window,
// it went away before answering, or no answer came within `timeoutMs`. A window of the calling
// thread is called directly.
std::optional<std::int64_t> SendMessage(WindowHandle window, std::uint32_t message,
                                        std::uint64_t wParam, std::int64_t lParam);
std::optional<std::int64_t> SendMessageTimeout(WindowHandle window, std::uint32_t message,
                                               std::uint64_t wParam, std::int64_t lParam,
                                               int timeoutMs);

// Delivers a message without waiting for it to be handled (also to a window of the calling thread,
// whose loop handles it later). False when there is no such window.
bool PostMessage(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                 std::int64_t lParam);

// True while the window's endpoint answers. The leftovers of a dead endpoint are removed.
bool IsWindow(WindowHandle window);

// A live window whose class name and title match (ASCII and Latin-1 letters without regard to
// case; an empty text matches any); 0 when none. With several, the lowest handle.
WindowHandle FindWindow(std::string_view className, std::string_view title);
// Every live window that matches, in ascending order of handle.
std::vector<WindowHandle> FindWindows(std::string_view className, std::string_view title);

// The owner process, class name and title of a live window.
std::optional<WindowInfo> GetWindowInfo(WindowHandle window);

}  // namespace veltrix::platform
