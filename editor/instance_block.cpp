#include "editor/instance_block.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "editor/command_line.h"

namespace veltrix::editor {
namespace {

constexpr std::size_t kWindowOffset = 0;
constexpr std::size_t kCommandLineOffset = 4;
// Where Linux keeps shared memory objects as files.
constexpr const char* kShmFolder = "/dev/shm";

// The object must be ours and closed to everyone else; a name that another user created first
// could otherwise feed our editor command lines or learn our window.
bool IsPrivateObject(const std::string& objectName) {
    struct stat info {};
    const std::string path = std::string(kShmFolder) + objectName;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 0077) == 0;
}

}  // namespace

std::optional<InstanceBlock> InstanceBlock::Open() {
    auto memory = platform::SharedMemory::OpenOrCreate(kInstanceBlockName, kInstanceBlockSize);
    if (!memory || !IsPrivateObject(memory->ObjectName())) {
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
