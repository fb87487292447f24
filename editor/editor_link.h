// The editor's link to the session in vtxcore (IOrvaneInterface), created once at start and kept
// for the life of the process; record files get the master password through it.
#pragma once

#include <string>

#include "core/orvane_interface.h"
#include "core/password_source.h"
#include "platform/com/com_ptr.h"
#include "platform/winmsg.h"

namespace veltrix::editor {

// Messages the editor's frame accepts from other processes (both parameters zero).
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_EDITOR_OPENCMD = 1245;
inline constexpr std::uint32_t WM_EDITOR_SESSIONENDED = 1246;
inline constexpr std::uint32_t WM_EDITOR_REFRESH = 1247;
// The command (WM_COMMAND's wParam) that restores the frame.
inline constexpr std::uint64_t kRestoreCommand = 32779;

// The frame's window class and title, by which other programs find the editor.
inline constexpr char kFrameClassName[] = "VeltrixEditorFrame";
inline constexpr char kFrameTitle[] = "Veltrix";

class EditorLink : public IPasswordSource {
public:
    // Creates OrvaneInterface in-process; false, after "Unable to load vtxcore.dll", when it
    // cannot be created.
    bool Create();
    bool IsCreated() const { return static_cast<bool>(m_session); }

    bool GetPassword(std::u16string& password) override;
    bool EndSession() override;
    // Makes `password` the session's master password (it must not be empty).
    bool SetPassword(std::u16string_view password);
    // Registers the frame's window with the session (0 unregisters it).
    bool RegisterEditor(platform::WindowHandle window);

private:
    com::ComPtr<IOrvaneInterface> m_session;
};

class InstanceBlock;

// When another editor runs (the block names a window that still answers): hands it the command
// line, sends it Restore and WM_EDITOR_OPENCMD, and returns true; this start then ends.
bool ForwardToRunningEditor(InstanceBlock& block, std::u16string_view commandLine);

}  // namespace veltrix::editor
