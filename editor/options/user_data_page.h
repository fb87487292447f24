// CPropPageUserData: the three record folders, the export folder and the two export choices
// (Preferences bits 0x20000000 and 0x10000000); "Export..." starts the export of every record.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/configuration.h"
#include "editor/exports/bulk_commands.h"
#include "editor/options/options_frame.h"
#include "editor/options/options_page.h"

namespace veltrix::editor::options {

// The page's four folder fields, in the order of the page.
enum class FolderField { Identities = 0, WebLogins = 1, SecureNotes = 2, ExportTo = 3 };
inline constexpr std::size_t kFolderFieldCount = 4;

struct UserDataValues {
    std::array<std::u16string, kFolderFieldCount> folders;
    bool changePassword = false;  // "Change password for exported files"
    bool device = false;          // "Export to removeable device (Veltrix Portable)"

    std::u16string& Folder(FolderField field) { return folders[static_cast<std::size_t>(field)]; }
    const std::u16string& Folder(FolderField field) const {
        return folders[static_cast<std::size_t>(field)];
    }
    bool operator==(const UserDataValues&) const = default;
};

// The title of the folder chooser of `field`.
std::u16string_view FolderChooserTitle(FolderField field);
// A chosen folder as the field shows it: with a trailing '/'.
std::u16string WithTrailingSlash(std::u16string path);

class IUserDataView {
public:
    virtual ~IUserDataView() = default;
    virtual void Show(const UserDataValues& values) = 0;
    virtual UserDataValues Read() const = 0;
    // The folder chooser titled `title`, starting at `start`; nullopt when nothing was chosen.
    virtual std::optional<std::u16string> ChooseFolder(std::u16string_view title,
                                                       std::u16string_view start) = 0;
    virtual void ShowFolder(FolderField field, std::u16string_view text) = 0;
};

class CPropPageUserData : public COptionsPage {
public:
    CPropPageUserData(config::Settings& settings, IOptionsFrame& frame)
        : m_settings(settings), m_frame(frame) {}

    void Attach(IUserDataView* view);
    // "Export..." runs through these (not owned); null: the button does nothing.
    void SetBulkCommands(IBulkCommands* commands) { m_commands = commands; }

    void Load() override;
    bool Apply() override;
    int HelpTopic() const override;
    bool IsCreated() const override { return m_view != nullptr; }

    // Browse...: the chooser starts at the field's text (the current folder when it is empty); a
    // chosen folder that differs from the field replaces it and marks the sheet changed.
    void BrowseFolder(FolderField field);
    // Export...: the export of every record with the page's current choices; a folder chosen there
    // goes into "Export To Folder:" and marks the sheet changed.
    void ExportAll();
    const UserDataValues& Values() const { return m_values; }

private:
    config::Settings& m_settings;
    IOptionsFrame& m_frame;
    IUserDataView* m_view = nullptr;
    IBulkCommands* m_commands = nullptr;
    UserDataValues m_values;
};

}  // namespace veltrix::editor::options
