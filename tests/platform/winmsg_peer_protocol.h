// The messages the winmsg_peer helper program answers, shared with the tests that start it.
#pragma once

#include <cstdint>

namespace veltrix::test::peer {

inline constexpr std::uint32_t kEcho = 0x401;      // returns wParam + lParam
inline constexpr std::uint32_t kRemember = 0x402;  // appends the digit lParam to a number
inline constexpr std::uint32_t kRecall = 0x403;    // returns that number
inline constexpr std::uint32_t kCallBack = 0x404;  // sends kEcho(20, lParam) to window wParam and
                                                   // returns its result + 1, or -1
inline constexpr std::uint32_t kHang = 0x405;      // sleeps lParam milliseconds, returns 1
inline constexpr std::uint32_t kCrash = 0x406;     // ends the process while handling
inline constexpr std::uint32_t kQuit = 0x407;      // ends the event loop
inline constexpr std::uint32_t kTick = 0x408;      // returns the peer's TickCount()

// The peer ends by itself after this long, should a test fail to stop it.
inline constexpr int kPeerLifetimeMs = 60000;

}  // namespace veltrix::test::peer
