// The dialogs the exports and the master-password change open, behind an interface so that the
// logic runs headless; editor/exports/qt holds the Qt implementation.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veltrix::editor::exports {

class IExportViews {
public:
    virtual ~IExportViews() = default;
    // The Choose Password dialog ("Choose Password") with `prompt` above two empty, masked
    // entries; the confirmed password, or nullopt when the user cancels.
    virtual std::optional<std::u16string> ChoosePassword(std::u16string_view prompt) = 0;
    // The folder browser titled `title`, starting at `start` (the current folder when empty);
    // the chosen folder as the browser returns it, or nullopt when none was chosen.
    virtual std::optional<std::u16string> ChooseFolder(std::u16string_view title,
                                                       std::u16string_view start) = 0;
};

}  // namespace veltrix::editor::exports
