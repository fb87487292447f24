#include "portable/portable_app.h"

#include <system_error>

#include "core/configuration.h"
#include "core/device_layout.h"
#include "platform/com/com_runtime.h"
#include "platform/process.h"
#include "platform/text.h"
#include "portable/blocking_windows.h"
#include "portable/host_registry.h"
#include "portable/portable_texts.h"
#include "ui/ui_port.h"

namespace veltrix::portable {

namespace {

using platform::Hive;

// The programs the launcher uses from the device.
constexpr char kLibraryFile[] = "libvtxcore.so";
constexpr char kEditorProgram[] = "vtxedit";
constexpr char kRegistryEditor[] = "vtxreg";

constexpr std::u16string_view kDataPathValue = u"DataPath";
constexpr std::u16string_view kInstallPathValue = u"InstallPath";
constexpr std::u16string_view kIdentitiesFolderValue = u"IdentitiesFolder";
constexpr std::u16string_view kWebLoginsFolderValue = u"WebLoginsFolder";
constexpr std::u16string_view kSecureNotesFolderValue = u"SecureNotesFolder";

// `folder` / `name` with a trailing '/'.
std::filesystem::path SubFolder(const std::filesystem::path& folder, std::u16string_view name) {
    return folder / text::ToUtf8(name) / "";
}

std::u16string PathText(const std::filesystem::path& path) {
    return text::FromUtf8(path.string());
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The folder part of a stored path: everything up to its last '/' (the file name dropped).
std::u16string_view FolderPart(std::u16string_view path) {
    const std::size_t slash = path.rfind(u'/');
    return slash == std::u16string_view::npos ? std::u16string_view() : path.substr(0, slash + 1);
}

// The error list's header: "error:" becomes "errors:" for more than one entry.
std::u16string ErrorHeader(bool activating, std::size_t count) {
    std::u16string header(activating ? kActivateHeader : kDeactivateHeader);
    if (count > 1) {
        header.insert(header.size() - 1, u"s");
    }
    return header;
}

}  // namespace

LauncherFolders FoldersOf(const std::filesystem::path& executable) {
    LauncherFolders folders;
    folders.launcher = executable.parent_path() / "";
    folders.portableRoot = SubFolder(folders.launcher, device::kPortableFolder);
    folders.program = SubFolder(folders.portableRoot, device::kProgramFolder);
    folders.data = SubFolder(folders.portableRoot, device::kDataFolder);
    return folders;
}

CPortableApp::CPortableApp(LauncherFolders folders, ILauncherView& view, config::Settings& settings,
                           LauncherLimits limits)
    : m_folders(std::move(folders)), m_view(view), m_settings(settings), m_limits(limits) {}

bool CPortableApp::Activate() {
    if (!m_view.CreateFrame()) {
        return false;
    }
    m_view.ShowSplash(kSplashStarting, kSplashStartingMs);
    const InstallState state = CheckInstalled();
    if (state == InstallState::InstalledEdition) {
        m_view.CloseSplash();
        ShowErrors(true);
        return false;
    }
    if (state == InstallState::PortableActive) {
        RemoveBrowserKeys();
    }
    if (!InstallOnHost()) {
        m_view.CloseSplash();
        ShowErrors(true);
        Deactivate(false);
        return false;
    }
    m_view.ShowStatus(kStatusStarted);
    m_view.EnterTray();
    return true;
}

bool CPortableApp::InstallOnHost() {
    m_view.ShowStatus(kStatusRestoring);
    const std::filesystem::path registryFile = m_folders.data / text::ToUtf8(device::kRegistryFile);
    if (!ImportRegistryFile(registryFile)) {
        m_errors.push_back(std::u16string(kImportFailed) + PathText(registryFile) + u"'");
        return false;
    }
    if (!WriteDevicePaths()) {
        return false;
    }
    m_view.ShowStatus(kStatusCopying);
    m_view.ShowStatus(kStatusAttaching);
    if (!RegisterLibrary(true)) {
        m_errors.push_back(std::u16string(kAttachFailed));
        return false;
    }
    return true;
}

bool CPortableApp::Deactivate(bool force) {
    if (BlockingWindowsOpen()) {
        if (!force) {
            m_errors.push_back(std::u16string(kCloseWindowsFirst));
            return false;
        }
        CloseBlockingWindows();
    }
    m_view.ShowSplash(kSplashRemoving, kSplashRemovingMs);
    m_view.ShowStatus(kStatusDetaching);
    RemoveBrowserKeys();
    m_view.ShowStatus(kStatusDeleting);
    if (!RemoveUserConfiguration()) {
        m_view.CloseSplash();
        return false;
    }
    m_view.ShowStatus(kStatusRemoved);
    return true;
}

void CPortableApp::ShowErrors(bool activating) {
    std::u16string message = ErrorHeader(activating, m_errors.size()) + u"\n\n";
    for (const std::u16string& error : m_errors) {
        message += error + u"\n";
    }
    ui::CurrentUi().ShowTitledMessage(kLauncherCaption, message, ui::Buttons::Ok, ui::Icon::None);
    m_errors.clear();
}

bool CPortableApp::RunEditor(std::u16string_view arguments) {
    std::vector<std::string> args;
    if (!arguments.empty()) {
        const std::size_t blank = arguments.find(u' ');
        args.push_back(text::ToUtf8(arguments.substr(0, blank)));
        if (blank != std::u16string_view::npos && blank + 1 < arguments.size()) {
            args.push_back(text::ToUtf8(arguments.substr(blank + 1)));
        }
    }
    return platform::StartDetachedProcess(m_folders.program / kEditorProgram, args);
}

InstallState CPortableApp::CheckInstalled() {
    platform::Registry& registry = m_settings.Registry();
    // The key is looked for whether or not this user may change it: a user without rights over the
    // machine must still find an installed edition, or the clean-up after the failed registration
    // would delete that edition's configuration.
    if (!registry.KeyExists(Hive::LocalMachine, HelperObjectKey())) {
        return InstallState::NotActive;
    }
    std::u16string dataPath;
    if (!m_settings.GetConfigString(Hive::CurrentUser,
                                    config::SectionKey(config::kConfigurationSection),
                                    kDataPathValue, dataPath) ||
        dataPath.empty()) {
        return InstallState::NotActive;
    }
    if (FolderPart(dataPath).find(device::kPortableFolder) == std::u16string_view::npos) {
        m_errors.push_back(std::u16string(kAlreadyInstalled));
        return InstallState::InstalledEdition;
    }
    return InstallState::PortableActive;
}

bool CPortableApp::RemoveBrowserKeys() {
    RemoveBrowserEntries(m_settings.Registry());
    return true;
}

bool CPortableApp::RemoveUserConfiguration() {
    if (DeleteTreeDepthFirst(m_settings.Registry(), Hive::CurrentUser, kMakerKey, kProductSubkey)) {
        return true;
    }
    m_errors.push_back(std::u16string(kDeleteKeyFailed) +
                       std::u16string(platform::HiveName(Hive::CurrentUser)) + u"\\" +
                       std::u16string(kMakerKey) + u"'");
    return false;
}

bool CPortableApp::ImportRegistryFile(const std::filesystem::path& file) {
    // An import given up on must not change the configuration later, after the clean-up.
    const platform::ProcessResult result =
        platform::RunProcess(DeviceOrSiblingProgram(kRegistryEditor), {"/S", file.string()},
                             m_limits.importTimeoutMs, platform::OnTimeout::Kill);
    return result.Succeeded();
}

bool CPortableApp::WriteDevicePaths() {
    const std::u16string data = PathText(m_folders.data);
    const std::u16string program = PathText(m_folders.program);
    const std::u16string section = config::SectionKey(config::kConfigurationSection);
    const std::pair<std::u16string_view, const std::u16string&> values[] = {
        {kDataPathValue, data},        {kIdentitiesFolderValue, data},
        {kWebLoginsFolderValue, data}, {kSecureNotesFolderValue, data},
        {kInstallPathValue, program},
    };
    for (const auto& [name, value] : values) {
        if (!m_settings.SetConfigString(Hive::CurrentUser, section, name, value)) {
            return false;
        }
    }
    return true;
}

bool CPortableApp::RegisterLibrary(bool doRegister) {
    const std::filesystem::path library = m_folders.program / kLibraryFile;
    if (!IsFile(library)) {
        return false;
    }
    const com::HRESULT result =
        doRegister ? com::CallDllRegisterServer(library) : com::CallDllUnregisterServer(library);
    return result == com::S_OK;
}

bool CPortableApp::BlockingWindowsOpen() {
    return FindBlockingWindow() != 0;
}

bool CPortableApp::CloseBlockingWindows() {
    return CloseBlockingWindowsWithin(m_limits.closeWindowsTimeoutMs);
}

std::filesystem::path CPortableApp::DeviceOrSiblingProgram(const std::string& name) const {
    const std::filesystem::path onDevice = m_folders.program / name;
    return IsFile(onDevice) ? onDevice : platform::SiblingProgram(name);
}

}  // namespace veltrix::portable
