#include "platform/window_frames.h"

namespace veltrix::platform {
namespace {

constexpr std::uint32_t kMagic = 0x4D575856;  // "VXWM"
constexpr std::uint32_t kStatusHandled = 0;
constexpr std::uint32_t kStatusNoWindow = 1;

template <typename T>
void Put(std::uint8_t* out, T value) {
    auto bits = static_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

template <typename T>
T Get(const std::uint8_t* in) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        bits |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    }
    return static_cast<T>(bits);
}

}  // namespace

std::array<std::uint8_t, kRequestFrameSize> EncodeRequest(const MessageRequest& request) {
    std::array<std::uint8_t, kRequestFrameSize> frame{};
    Put<std::uint32_t>(&frame[0], kMagic);
    Put<std::uint32_t>(&frame[4], static_cast<std::uint32_t>(request.kind));
    Put<std::uint32_t>(&frame[8], request.target);
    Put<std::uint32_t>(&frame[12], request.message);
    Put<std::uint64_t>(&frame[16], request.wParam);
    Put<std::int64_t>(&frame[24], request.lParam);
    return frame;
}

std::optional<MessageRequest> DecodeRequest(std::span<const std::uint8_t> frame) {
    if (frame.size() != kRequestFrameSize || Get<std::uint32_t>(&frame[0]) != kMagic) {
        return std::nullopt;
    }
    const auto kind = Get<std::uint32_t>(&frame[4]);
    if (kind != static_cast<std::uint32_t>(MessageKind::Send) &&
        kind != static_cast<std::uint32_t>(MessageKind::Post)) {
        return std::nullopt;
    }
    MessageRequest request;
    request.kind = static_cast<MessageKind>(kind);
    request.target = Get<std::uint32_t>(&frame[8]);
    request.message = Get<std::uint32_t>(&frame[12]);
    request.wParam = Get<std::uint64_t>(&frame[16]);
    request.lParam = Get<std::int64_t>(&frame[24]);
    return request;
}

std::array<std::uint8_t, kReplyFrameSize> EncodeReply(const MessageReply& reply) {
    std::array<std::uint8_t, kReplyFrameSize> frame{};
    Put<std::uint32_t>(&frame[0], kMagic);
    Put<std::uint32_t>(&frame[4], reply.handled ? kStatusHandled : kStatusNoWindow);
    Put<std::int64_t>(&frame[8], reply.result);
    return frame;
}

std::optional<MessageReply> DecodeReply(std::span<const std::uint8_t> frame) {
    if (frame.size() != kReplyFrameSize || Get<std::uint32_t>(&frame[0]) != kMagic) {
        return std::nullopt;
    }
    const auto status = Get<std::uint32_t>(&frame[4]);
    if (status != kStatusHandled && status != kStatusNoWindow) {
        return std::nullopt;
    }
    return MessageReply{status == kStatusHandled, Get<std::int64_t>(&frame[8])};
}

}  // namespace veltrix::platform
