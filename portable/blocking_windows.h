// The windows that keep the launcher from deactivating: the editor's main window, our browser
// host's windows and the file manager's, found and closed through window messages.
#pragma once

#include <array>
#include <string_view>

#include "platform/winmsg.h"

namespace veltrix::portable {

inline constexpr std::uint32_t kWmClose = 0x0010;

// One kind of blocking window: matched by class or by title (an empty text matches any).
struct BlockingWindowKind {
    std::string_view className;
    std::string_view title;
};

// Looked for in this order: the editor's main window by its title, the browser by its class, the
// file manager by its class.
inline constexpr std::array<BlockingWindowKind, 3> kBlockingWindowKinds = {{
    {"", "Veltrix"},
    {"IEFrame", ""},
    {"ExploreWClass", ""},
}};

// The first open window of any kind, in the order of the kinds; 0 when none is open.
platform::WindowHandle FindBlockingWindow();

// Posts WM_CLOSE to every blocking window, kind by kind, and waits for each to close while
// pumping the calling thread's event loop. A window that has not closed when the `timeoutMs`
// given for them all has run out is left open (it may be asking the user a question), and no
// window is asked twice. True when none is left open.
bool CloseBlockingWindowsWithin(int timeoutMs);

}  // namespace veltrix::portable
