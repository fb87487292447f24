// What the Options sheet asks of the editor's main window, without knowing the window.
#pragma once

namespace veltrix::editor::options {

class IOptionsFrame {
public:
    virtual ~IOptionsFrame() = default;
    // Moves the window into the system tray (true) or out of it (false), at once.
    virtual void RunInTray(bool on) = 0;
    // Posts Refresh (command 32778): the tree is rebuilt from the record folders once the
    // current command has finished.
    virtual void PostRefresh() = 0;
};

}  // namespace veltrix::editor::options
