#include "editor/options/user_data_page.h"

#include <filesystem>
#include <system_error>

#include "editor/options/options_texts.h"
#include "platform/text.h"

namespace veltrix::editor::options {
namespace {

namespace pref = config::pref;

constexpr std::array<RecordKind, 3> kFolderKinds = {RecordKind::Identity, RecordKind::WebLogin,
                                                    RecordKind::SecureNote};

std::u16string CurrentFolder() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::u16string() : text::FromUtf8(current.string());
}

std::uint32_t WithBit(std::uint32_t preferences, std::uint32_t bit, bool on) {
    return on ? preferences | bit : preferences & ~bit;
}

}  // namespace

std::u16string_view FolderChooserTitle(FolderField field) {
    switch (field) {
        case FolderField::Identities:
            return kSelectIdentitiesFolder;
        case FolderField::WebLogins:
            return kSelectWebLoginsFolder;
        case FolderField::SecureNotes:
            return kSelectSecureNotesFolder;
        case FolderField::ExportTo:
            break;
    }
    return kSelectExportFolder;
}

std::u16string WithTrailingSlash(std::u16string path) {
    if (path.empty() || path.back() != u'/') {
        path += u'/';
    }
    return path;
}

void CPropPageUserData::Attach(IUserDataView* view) {
    m_view = view;
    if (m_view != nullptr) {
        m_view->Show(m_values);
    }
}

void CPropPageUserData::Load() {
    for (std::size_t i = 0; i < kFolderKinds.size(); ++i) {
        m_values.folders[i] = m_settings.GetRecordFolder(kFolderKinds[i]);
    }
    m_values.Folder(FolderField::ExportTo) = m_settings.GetExportToFolder();
    const std::uint32_t stored = m_settings.GetPreferences();
    m_values.changePassword = (stored & pref::kChangePasswordForExport) != 0;
    m_values.device = (stored & pref::kExportToDevice) != 0;
    if (m_view != nullptr) {
        m_view->Show(m_values);
    }
}

bool CPropPageUserData::Apply() {
    if (m_view == nullptr) {
        return true;
    }
    const UserDataValues values = m_view->Read();
    for (std::size_t i = 0; i < kFolderKinds.size(); ++i) {
        if (values.folders[i] != m_settings.GetRecordFolder(kFolderKinds[i])) {
            m_settings.SetRecordFolder(kFolderKinds[i], values.folders[i]);
        }
    }
    const std::u16string& exportTo = values.Folder(FolderField::ExportTo);
    if (exportTo != m_settings.GetExportToFolder()) {
        m_settings.SetExportToFolder(exportTo);
    }
    std::uint32_t preferences = m_settings.GetPreferences();
    preferences = WithBit(preferences, pref::kChangePasswordForExport, values.changePassword);
    preferences = WithBit(preferences, pref::kExportToDevice, values.device);
    m_settings.SetPreferences(preferences);
    m_values = values;
    m_frame.PostRefresh();
    return true;
}

int CPropPageUserData::HelpTopic() const {
    return kHelpUserData;
}

void CPropPageUserData::BrowseFolder(FolderField field) {
    if (m_view == nullptr) {
        return;
    }
    const std::u16string current = m_view->Read().Folder(field);
    const std::optional<std::u16string> chosen = m_view->ChooseFolder(
        FolderChooserTitle(field), current.empty() ? CurrentFolder() : current);
    if (!chosen || chosen->empty()) {
        return;
    }
    const std::u16string path = WithTrailingSlash(*chosen);
    if (path != current) {
        m_view->ShowFolder(field, path);
        MarkChanged();
    }
}

void CPropPageUserData::ExportAll() {
    if (m_view == nullptr || m_commands == nullptr) {
        return;
    }
    const UserDataValues values = m_view->Read();
    ExportAllChoice choice;
    choice.folder = values.Folder(FolderField::ExportTo);
    choice.changePassword = values.changePassword;
    choice.device = values.device;
    if (m_commands->ExportAll(choice)) {
        m_view->ShowFolder(FolderField::ExportTo, choice.folder);
        MarkChanged();
    }
}

}  // namespace veltrix::editor::options
