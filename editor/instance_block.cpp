#include "editor/instance_block.h"

#include <cstring>

#include "editor/command_line.h"

namespace veltrix::editor {
namespace {

constexpr std::size_t kWindowOffset = 0;
constexpr std::size_t kCommandLineOffset = 4;

}  // namespace

std::optional<InstanceBlock> InstanceBlock::Open() {
    // An object under our name that is not ours (another user's, or open to others) is refused
    // and reported by the shared memory layer: it could feed us command lines or learn our window.
    auto memory = platform::SharedMemory::OpenOrCreate(kInstanceBlockName, kInstanceBlockSize,
                                                       platform::SizeRule::Exact);
    if (!memory) {
        return std::nullopt;
    }
    return InstanceBlock(std::move(*memory));
}

platform::WindowHandle InstanceBlock::EditorWindow() const {
    std::uint32_t window = 0;
    std::memcpy(&window, m_memory.Data() + kWindowOffset, sizeof window);
    return window;
}

void InstanceBlock::SetEditorWindow(platform::WindowHandle window) {
    std::memcpy(m_memory.Data() + kWindowOffset, &window, sizeof window);
}

std::u16string InstanceBlock::ForwardedCommandLine() const {
    std::u16string line;
    const unsigned char* units = m_memory.Data() + kCommandLineOffset;
    for (std::size_t i = 0; i + 1 < kForwardedUnits; ++i) {
        char16_t unit = 0;
        std::memcpy(&unit, units + i * sizeof unit, sizeof unit);
        if (unit == 0) {
            break;
        }
        line += unit;
    }
    return line;
}

void InstanceBlock::SetForwardedCommandLine(std::u16string_view commandLine) {
    const std::u16string_view line = ForwardableCommandLine(commandLine);
    unsigned char* units = m_memory.Data() + kCommandLineOffset;
    std::memset(units, 0, kForwardedUnits * sizeof(char16_t));
    std::memcpy(units, line.data(), line.size() * sizeof(char16_t));
}

}  // namespace veltrix::editor
