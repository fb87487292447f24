// The block every editor process of the user's desktop shares: the running editor's window and
// the command line a second start hands to it. A per-user shared memory object (user id and
// VELTRIX_NAMESPACE in its name, mode 0600) of 516 bytes:
//
//   offset 0   editor window, 32-bit handle (0 while no editor has created its frame)
//   offset 4   forwarded command line, 256 UTF-16 code units, zero-terminated
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/shared_memory.h"
#include "platform/winmsg.h"

namespace veltrix::editor {

inline constexpr std::string_view kInstanceBlockName = "Veltrix Editor Instance";
inline constexpr std::size_t kInstanceBlockSize = 516;
inline constexpr std::size_t kForwardedUnits = 256;

class InstanceBlock {
public:
    // Opens the block, creating it on first use. Nullopt when it cannot be mapped, or when an
    // object of that name exists that is not a private object of this user (another user's, or
    // one others may read or write): the editor then refuses to trust it.
    static std::optional<InstanceBlock> Open();

    platform::WindowHandle EditorWindow() const;
    void SetEditorWindow(platform::WindowHandle window);

    // The forwarded command line, read up to its terminating zero (at most 255 units).
    std::u16string ForwardedCommandLine() const;
    // Stores the first 255 code units of `commandLine` (see ForwardableCommandLine).
    void SetForwardedCommandLine(std::u16string_view commandLine);

private:
    explicit InstanceBlock(platform::SharedMemory memory) : m_memory(std::move(memory)) {}

    platform::SharedMemory m_memory;
};

}  // namespace veltrix::editor
