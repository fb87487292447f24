// The frames window messages travel in between processes. A sender connects to the window's
// endpoint, writes one request and, for a sent message, reads one reply; one connection carries
// one message. Fields are little-endian.
//
//   request (32 bytes): magic u32, kind u32, target u32, message u32, wParam u64, lParam i64
//   reply   (16 bytes): magic u32, status u32, result i64
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace veltrix::platform {

inline constexpr std::size_t kRequestFrameSize = 32;
inline constexpr std::size_t kReplyFrameSize = 16;

enum class MessageKind : std::uint32_t { Send = 1, Post = 2 };

struct MessageRequest {
    MessageKind kind = MessageKind::Send;
    std::uint32_t target = 0;
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
};

struct MessageReply {
    bool handled = false;  // false: the endpoint holds no window of the target handle
    std::int64_t result = 0;
};

std::array<std::uint8_t, kRequestFrameSize> EncodeRequest(const MessageRequest& request);
// nullopt for a frame of the wrong size, magic or kind.
std::optional<MessageRequest> DecodeRequest(std::span<const std::uint8_t> frame);

std::array<std::uint8_t, kReplyFrameSize> EncodeReply(const MessageReply& reply);
std::optional<MessageReply> DecodeReply(std::span<const std::uint8_t> frame);

}  // namespace veltrix::platform
