// The launcher's activation and deactivation against a temporary device folder and an isolated
// registry: what it changes, what it refuses, and what it shows.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "core/configuration.h"
#include "platform/com/com_runtime.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "portable/host_registry.h"
#include "portable/launcher_menu.h"
#include "portable/portable_app.h"
#include "portable/portable_texts.h"
#include "tests/portable/portable_test_support.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

using platform::Hive;
using platform::RegistryValue;
using portable::CPortableApp;
using portable::InstallState;

constexpr std::u16string_view kConfiguration = u"Software\\Orvane\\Veltrix\\Configuration";
constexpr std::u16string_view kProductKey = u"Software\\Orvane\\Veltrix";

const std::string kConfigurationFile = test::RegFile(
    "[HKEY_CURRENT_USER\\Software\\Orvane\\Veltrix\\Configuration]\r\n"
    "\"Identity\"=\"Ann Lee\"\r\n"
    "\"AutoLogoff\"=dword:0000003c\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Orvane\\Veltrix\\Excluded URLs\\example.com]\r\n"
    "\r\n");

std::u16string U16(const std::filesystem::path& path) {
    return text::FromUtf8(path.string());
}

class PortableAppTest : public ::testing::Test {
protected:
    PortableAppTest() {
        std::filesystem::create_directories(m_folders.data);
        test::WriteFileBytes(RegistryFile(), kConfigurationFile);
        test::CopyLibraryToDevice(m_folders);
        // Another program of the maker: its key keeps Software\Orvane on the host.
        Registry().SetValue(Hive::CurrentUser, u"Software\\Orvane\\Other", u"Kept",
                            RegistryValue::Dword(1));
    }

    platform::Registry& Registry() { return platform::Registry::Default(); }
    std::filesystem::path RegistryFile() const { return m_folders.data / "Veltrix.reg"; }

    CPortableApp MakeApp(portable::LauncherLimits limits = {}) {
        return CPortableApp(m_folders, m_view, m_settings, limits);
    }

    std::optional<std::u16string> StringValue(Hive hive, std::u16string_view key,
                                              std::u16string_view name) {
        const auto value = Registry().GetValue(hive, key, name);
        return value ? value->AsString() : std::nullopt;
    }

    // Registers the helper object as an installation would, with `dataPath` configured.
    void InstallElsewhere(std::u16string_view dataPath) {
        Registry().SetValue(Hive::LocalMachine, portable::HelperObjectKey(), u"",
                            RegistryValue::String(u"Veltrix BHO "));
        Registry().SetValue(Hive::CurrentUser, kConfiguration, u"DataPath",
                            RegistryValue::String(dataPath));
    }

    std::u16string BhoLibrary() {
        return StringValue(
                   Hive::ClassesRoot,
                   u"CLSID\\" + std::u16string(portable::kHelperObjectClass) + u"\\InprocServer32",
                   u"")
            .value_or(u"");
    }

    // The browser entries registration writes, as they stand.
    int BrowserEntriesPresent() {
        int present = Registry().KeyExists(Hive::LocalMachine, portable::HelperObjectKey()) ? 1 : 0;
        present +=
            Registry()
                .GetValue(Hive::LocalMachine, portable::kToolbarKey, portable::kToolbarBandClass)
                .has_value();
        for (std::u16string_view command : portable::kCommandClasses) {
            present +=
                Registry().KeyExists(Hive::LocalMachine, std::u16string(portable::kExtensionsKey) +
                                                             u"\\" + std::u16string(command));
        }
        return present;
    }

    test::IsolatedEnvironment m_env;
    portable::LauncherFolders m_folders =
        portable::FoldersOf(m_env.Root() / "device" / "VeltrixPortable");
    test::RecordingLauncherView m_view;
    ui::ScriptedUi m_ui;
    config::Settings m_settings{platform::Registry::Default()};
};

TEST_F(PortableAppTest, FoldersComeFromTheLaunchersOwnLocation) {
    const auto folders = portable::FoldersOf("/media/stick/VeltrixPortable");
    EXPECT_EQ(folders.launcher, "/media/stick/");
    EXPECT_EQ(folders.portableRoot, "/media/stick/Veltrix Portable/");
    EXPECT_EQ(folders.program, "/media/stick/Veltrix Portable/Program Files/");
    EXPECT_EQ(folders.data, "/media/stick/Veltrix Portable/Data Files/");
}

TEST_F(PortableAppTest, InstalledEditionIsLeftAloneAndEndsTheLauncher) {
    InstallElsewhere(u"/home/ann/.local/share/Orvane/Veltrix/");
    const auto before = test::DumpRegistry(Registry());
    auto app = MakeApp();

    EXPECT_FALSE(app.Activate());

    EXPECT_EQ(test::DumpRegistry(Registry()), before);
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_EQ(m_ui.Messages()[0].text,
              u"Unable to activate Veltrix Portable due to the following error:\n\n"
              u"Veltrix is already installed\n");
    EXPECT_EQ(m_ui.Messages()[0].caption, u"VeltrixPortable");
    EXPECT_TRUE(app.Errors().empty());
}

TEST_F(PortableAppTest, InstalledEditionIsFoundWithoutRightsOverTheMachine) {
    InstallElsewhere(u"/home/ann/.local/share/Orvane/Veltrix/");
    Registry().SetValue(Hive::CurrentUser, kConfiguration, u"Identity",
                        RegistryValue::String(u"Installed"));
    test::ScopedEnv readOnly("VELTRIX_REGISTRY_MACHINE_READONLY", "1");
    auto app = MakeApp();

    EXPECT_FALSE(app.Activate());

    // The installed edition's configuration survives.
    EXPECT_EQ(StringValue(Hive::CurrentUser, kConfiguration, u"Identity"), u"Installed");
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_NE(m_ui.Messages()[0].text.find(u"Veltrix is already installed"), std::u16string::npos);
}

TEST_F(PortableAppTest, CheckInstalledTellsTheThreeStatesApart) {
    auto app = MakeApp();
    EXPECT_EQ(app.CheckInstalled(), InstallState::NotActive);
    // A helper object without a data path is no installation.
    Registry().SetValue(Hive::LocalMachine, portable::HelperObjectKey(), u"",
                        RegistryValue::String(u"Veltrix BHO "));
    EXPECT_EQ(app.CheckInstalled(), InstallState::NotActive);
    Registry().SetValue(Hive::CurrentUser, kConfiguration, u"DataPath", RegistryValue::String(u""));
    EXPECT_EQ(app.CheckInstalled(), InstallState::NotActive);
    // The name of the data file does not count, only its folders.
    Registry().SetValue(Hive::CurrentUser, kConfiguration, u"DataPath",
                        RegistryValue::String(u"/srv/data/Veltrix Portable"));
    EXPECT_EQ(app.CheckInstalled(), InstallState::InstalledEdition);
    Registry().SetValue(Hive::CurrentUser, kConfiguration, u"DataPath",
                        RegistryValue::String(u"/media/old/Veltrix Portable/Data Files/"));
    EXPECT_EQ(app.CheckInstalled(), InstallState::PortableActive);
    EXPECT_EQ(app.Errors(), std::vector<std::u16string>{u"Veltrix is already installed"});
}

TEST_F(PortableAppTest, ActivationPointsTheConfigurationAtTheDevice) {
    auto app = MakeApp();
    ASSERT_TRUE(app.Activate());

    const std::u16string data = U16(m_folders.data);
    for (std::u16string_view name :
         {u"DataPath", u"IdentitiesFolder", u"WebLoginsFolder", u"SecureNotesFolder"}) {
        EXPECT_EQ(StringValue(Hive::CurrentUser, kConfiguration, name), data) << text::ToUtf8(name);
    }
    EXPECT_EQ(StringValue(Hive::CurrentUser, kConfiguration, u"InstallPath"),
              U16(m_folders.program));
    // The imported configuration, and the library registered from the device.
    EXPECT_EQ(StringValue(Hive::CurrentUser, kConfiguration, u"Identity"), u"Ann Lee");
    EXPECT_EQ(BhoLibrary(), U16(m_folders.program / "libvtxcore.so"));
    EXPECT_EQ(BrowserEntriesPresent(), 9);
    EXPECT_EQ(m_view.calls,
              (std::vector<std::string>{"frame", "splash Initializing... 2000",
                                        "status Restoring registry entries", "status Copying files",
                                        "status Attaching to Internet Explorer",
                                        "status Startup complete", "tray"}));
    EXPECT_TRUE(m_ui.Messages().empty());
}

TEST_F(PortableAppTest, NoFrameEndsTheLauncherBeforeAnythingChanges) {
    m_view.frameFails = true;
    const auto before = test::DumpRegistry(Registry());
    auto app = MakeApp();
    EXPECT_FALSE(app.Activate());
    EXPECT_EQ(test::DumpRegistry(Registry()), before);
    EXPECT_EQ(m_view.calls, std::vector<std::string>{"frame"});
}

TEST_F(PortableAppTest, LeftoverPortableActivationIsRemovedAndActivatedAgain) {
    // A run from another device that did not end: its entries name a library that is gone.
    InstallElsewhere(u"/media/old/Veltrix Portable/Data Files/");
    Registry().SetValue(Hive::LocalMachine, portable::kToolbarKey, portable::kToolbarBandClass,
                        RegistryValue::String(u"Veltrix"));
    const std::u16string staleCommand = std::u16string(portable::kExtensionsKey) + u"\\" +
                                        std::u16string(portable::kCommandClasses[0]);
    Registry().SetValue(Hive::LocalMachine, staleCommand, u"Stale", RegistryValue::Dword(1));

    auto app = MakeApp();
    ASSERT_TRUE(app.Activate());

    EXPECT_EQ(StringValue(Hive::CurrentUser, kConfiguration, u"DataPath"), U16(m_folders.data));
    EXPECT_EQ(BhoLibrary(), U16(m_folders.program / "libvtxcore.so"));
    EXPECT_FALSE(Registry().GetValue(Hive::LocalMachine, staleCommand, u"Stale").has_value());
    EXPECT_EQ(BrowserEntriesPresent(), 9);
    EXPECT_TRUE(m_ui.Messages().empty());
}

TEST_F(PortableAppTest, RemoveBrowserKeysTakesExactlyWhatRegistrationWrote) {
    ASSERT_EQ(com::CallDllRegisterServer(m_folders.program / "libvtxcore.so"), com::S_OK);
    ASSERT_EQ(BrowserEntriesPresent(), 9);
    // Registration enters exactly the seven commands under the browser's Extensions key.
    EXPECT_EQ(Registry().EnumKeys(Hive::LocalMachine, portable::kExtensionsKey).size(), 7u);
    // Another extension's entries stay.
    const std::u16string foreignCommand =
        std::u16string(portable::kExtensionsKey) + u"\\{11111111-2222-3333-4444-555555555555}";
    Registry().SetValue(Hive::LocalMachine, foreignCommand, u"MenuText",
                        RegistryValue::String(u"Other"));
    Registry().SetValue(Hive::LocalMachine, portable::kToolbarKey, u"{OTHER}",
                        RegistryValue::String(u"Other"));

    auto app = MakeApp();
    EXPECT_TRUE(app.RemoveBrowserKeys());

    EXPECT_EQ(BrowserEntriesPresent(), 0);
    EXPECT_EQ(Registry().EnumKeys(Hive::LocalMachine, portable::kExtensionsKey),
              std::vector<std::u16string>{u"{11111111-2222-3333-4444-555555555555}"});
    EXPECT_TRUE(Registry().GetValue(Hive::LocalMachine, portable::kToolbarKey, u"{OTHER}"));
    EXPECT_TRUE(Registry().KeyExists(Hive::LocalMachine, portable::kHelperObjectsKey));
    // The class registrations stay.
    EXPECT_EQ(BhoLibrary(), U16(m_folders.program / "libvtxcore.so"));
    // Nothing left to remove is no failure.
    EXPECT_TRUE(app.RemoveBrowserKeys());
}

TEST_F(PortableAppTest, FailedImportIsReportedAndCleanedUp) {
    test::WriteFileBytes(RegistryFile(), "REGEDIT4 this is no registry file\r\n[HKEY_NOWHERE]\r\n");
    auto app = MakeApp();

    EXPECT_FALSE(app.Activate());

    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_EQ(m_ui.Messages()[0].text,
              u"Unable to activate Veltrix Portable due to the following error:\n\n"
              u"Unable to import registry keys; file = '" +
                  U16(RegistryFile()) + u"'\n");
    EXPECT_EQ(BrowserEntriesPresent(), 0);
    EXPECT_TRUE(BhoLibrary().empty());
    EXPECT_FALSE(Registry().KeyExists(Hive::CurrentUser, kProductKey));
    EXPECT_TRUE(Registry().KeyExists(Hive::CurrentUser, u"Software\\Orvane\\Other"));
    EXPECT_EQ(
        m_view.calls,
        (std::vector<std::string>{
            "frame", "splash Initializing... 2000", "status Restoring registry entries", "close",
            "splash Removing Veltrix Portable... 3000", "status Detaching from Internet Explorer",
            "status Deleting registry keys", "status Removal complete"}));
}

TEST_F(PortableAppTest, TheDevicesRegistryEditorIsPreferredAndGivenUpOnInTime) {
    // The device's own registry editor runs, not the one beside the launcher.
    const auto editor = m_folders.program / "vtxreg";
    test::WriteFileBytes(editor, "#!/bin/sh\nexit 3\n");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    EXPECT_FALSE(MakeApp().ImportRegistryFile(RegistryFile()));
    EXPECT_FALSE(Registry().KeyExists(Hive::CurrentUser, kProductKey));

    // One that hangs is killed at the time-out, so it cannot import after the clean-up.
    const auto pidFile = m_env.Root() / "vtxreg.pid";
    test::WriteFileBytes(editor,
                         "#!/bin/sh\necho $$ > '" + pidFile.string() + "'\nexec sleep 30\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(MakeApp({.importTimeoutMs = 500}).Activate());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_TRUE(std::filesystem::exists(pidFile));
    EXPECT_EQ(kill(std::stoi(test::ReadFileBytes(pidFile)), 0), -1);
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_NE(m_ui.Messages()[0].text.find(u"Unable to import registry keys"),
              std::u16string::npos);
}

TEST_F(PortableAppTest, MissingLibraryIsReportedAndTheImportedConfigurationRemoved) {
    std::filesystem::remove(m_folders.program / "libvtxcore.so");
    auto app = MakeApp();

    EXPECT_FALSE(app.Activate());

    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_EQ(m_ui.Messages()[0].text,
              u"Unable to activate Veltrix Portable due to the following error:\n\n"
              u"Unable to attach to Internet Explorer.\nYou must have Power User or "
              u"Administrative privleges to run Veltrix Portable.\n");
    EXPECT_FALSE(Registry().KeyExists(Hive::CurrentUser, kProductKey));
    EXPECT_TRUE(Registry().KeyExists(Hive::CurrentUser, u"Software\\Orvane\\Other"));
    EXPECT_EQ(BrowserEntriesPresent(), 0);
}

TEST_F(PortableAppTest, RegistrationRefusedByTheMachineFailsTheActivation) {
    test::ScopedEnv readOnly("VELTRIX_REGISTRY_MACHINE_READONLY", "1");
    auto app = MakeApp();
    EXPECT_FALSE(app.Activate());
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_NE(m_ui.Messages()[0].text.find(portable::kAttachFailed), std::u16string::npos);
    EXPECT_TRUE(BhoLibrary().empty());
    EXPECT_FALSE(Registry().KeyExists(Hive::CurrentUser, kProductKey));
}

TEST_F(PortableAppTest, DeactivationIsRefusedWhileTheEditorIsOpenAndForcedWhenTheDeviceGoes) {
    auto app = MakeApp();
    ASSERT_TRUE(app.Activate());
    test::ThreadWindow editor("VeltrixEditorFrame", "Veltrix", true);
    ASSERT_NE(editor.Handle(), 0u);
    const auto active = test::DumpRegistry(Registry());
    m_view.calls.clear();

    EXPECT_FALSE(app.Deactivate(false));
    EXPECT_EQ(test::DumpRegistry(Registry()), active);
    EXPECT_TRUE(m_view.calls.empty());
    EXPECT_EQ(editor.CloseRequests(), 0);
    app.ShowErrors(false);
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_EQ(m_ui.Messages()[0].text,
              u"Unable to Deactivate Veltrix Portable due to the following error:\n\n"
              u"You must close all Internet Explorer, Windows Explorer and Veltrix Editor windows "
              u"before you can deactivate Veltrix Portable\n");

    // The device is pulled out: the launcher closes the editor and removes itself.
    std::filesystem::remove_all(m_folders.launcher);
    EXPECT_TRUE(app.Deactivate(true));
    EXPECT_EQ(editor.CloseRequests(), 1);
    EXPECT_FALSE(platform::IsWindow(editor.Handle()));
    EXPECT_FALSE(Registry().KeyExists(Hive::CurrentUser, kProductKey));
    EXPECT_EQ(BrowserEntriesPresent(), 0);
}

TEST_F(PortableAppTest, BrowserAndFileManagerWindowsBlockButTheLaunchersOwnDoesNot) {
    auto app = MakeApp();
    {
        test::ThreadWindow launcher("VeltrixPortableFrame", "VeltrixPortable", true);
        EXPECT_FALSE(app.BlockingWindowsOpen());
    }
    {
        test::ThreadWindow browser("IEFrame", "Example - vtxbrowse", true);
        EXPECT_TRUE(app.BlockingWindowsOpen());
        test::ThreadWindow files("ExploreWClass", "Files", true);
        EXPECT_TRUE(app.CloseBlockingWindows());
        EXPECT_EQ(browser.CloseRequests(), 1);
        EXPECT_EQ(files.CloseRequests(), 1);
        EXPECT_FALSE(app.BlockingWindowsOpen());
    }
}

TEST_F(PortableAppTest, WindowThatNeverClosesDoesNotHangForcedDeactivation) {
    auto app = MakeApp({.closeWindowsTimeoutMs = 1000});
    ASSERT_TRUE(app.Activate());
    test::ThreadWindow stubborn("IEFrame", "Asks first", false);
    test::ThreadWindow editor("VeltrixEditorFrame", "Veltrix", true);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(app.Deactivate(true));
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_LT(took, std::chrono::seconds(4));
    EXPECT_EQ(editor.CloseRequests(), 1);
    EXPECT_FALSE(platform::IsWindow(editor.Handle()));
    // Asked once, left open, and the removal went on.
    EXPECT_EQ(stubborn.CloseRequests(), 1);
    EXPECT_TRUE(platform::IsWindow(stubborn.Handle()));
    EXPECT_FALSE(Registry().KeyExists(Hive::CurrentUser, kProductKey));
}

TEST_F(PortableAppTest, TwoErrorsGiveThePluralHeaderAndShowingClearsTheList) {
    InstallElsewhere(u"/opt/veltrix/");
    auto app = MakeApp();
    EXPECT_EQ(app.CheckInstalled(), InstallState::InstalledEdition);
    test::ThreadWindow editor("VeltrixEditorFrame", "Veltrix", true);
    EXPECT_FALSE(app.Deactivate(false));

    app.ShowErrors(true);
    app.ShowErrors(false);

    ASSERT_EQ(m_ui.Messages().size(), 2u);
    EXPECT_EQ(m_ui.Messages()[0].text,
              u"Unable to activate Veltrix Portable due to the following errors:\n\n"
              u"Veltrix is already installed\n"
              u"You must close all Internet Explorer, Windows Explorer and Veltrix Editor windows "
              u"before you can deactivate Veltrix Portable\n");
    EXPECT_EQ(m_ui.Messages()[1].text,
              u"Unable to Deactivate Veltrix Portable due to the following error:\n\n");
    EXPECT_EQ(m_ui.Messages()[1].caption, u"VeltrixPortable");
}

TEST_F(PortableAppTest, UserConfigurationIsDeletedDepthFirstAndTheMakersKeyStays) {
    // Deeper than any recursion would like, with siblings on the way.
    std::u16string deep(kProductKey);
    for (int level = 0; level < 300; ++level) {
        deep += u"\\L" + text::FromUtf8(std::to_string(level));
        if (level % 50 == 0) {
            Registry().SetValue(Hive::CurrentUser, deep + u"\\Side", u"V", RegistryValue::Dword(1));
        }
    }
    Registry().SetValue(Hive::CurrentUser, deep, u"Leaf", RegistryValue::Dword(2));
    Registry().SetValue(Hive::CurrentUser, u"Software\\Orvane\\VeltrixOther", u"Kept",
                        RegistryValue::Dword(3));

    auto app = MakeApp();
    EXPECT_TRUE(app.RemoveUserConfiguration());

    EXPECT_FALSE(Registry().KeyExists(Hive::CurrentUser, kProductKey));
    EXPECT_TRUE(Registry().KeyExists(Hive::CurrentUser, u"Software\\Orvane\\VeltrixOther"));
    EXPECT_TRUE(Registry().KeyExists(Hive::CurrentUser, u"Software\\Orvane\\Other"));
    // Already gone is no failure.
    EXPECT_TRUE(app.RemoveUserConfiguration());
    EXPECT_TRUE(app.Errors().empty());
}

TEST_F(PortableAppTest, MissingMakersKeyFailsTheRemovalWithItsMessage) {
    Registry().DeleteKeyTree(Hive::CurrentUser, u"Software\\Orvane");
    auto app = MakeApp();
    EXPECT_FALSE(app.RemoveUserConfiguration());
    EXPECT_EQ(app.Errors(), std::vector<std::u16string>{u"Unable to delete registry key; Key = "
                                                        u"'HKEY_CURRENT_USER\\Software\\Orvane'"});
    // Deactivation reports the failure and closes its splash screen.
    EXPECT_FALSE(app.Deactivate(false));
    EXPECT_EQ(m_view.calls.back(), "close");
}

TEST_F(PortableAppTest, EditorStartsFromTheDeviceWithTheCommandsArguments) {
    // A stand-in editor that writes the arguments it was given, one a line.
    const auto output = m_env.Root() / "editor-arguments";
    test::WriteFileBytes(m_folders.program / "vtxedit",
                         "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + output.string() + ".part'\nmv '" +
                             output.string() + ".part' '" + output.string() + "'\n");
    std::filesystem::permissions(m_folders.program / "vtxedit", std::filesystem::perms::owner_all);
    auto app = MakeApp();

    m_settings.SetCurrentIdentity(u"Ann Lee");
    ASSERT_TRUE(app.RunEditor(portable::EditorArguments(portable::LauncherCommand::Identities,
                                                        m_settings.GetCurrentIdentity())));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(output) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(test::ReadFileBytes(output), "/I\nAnn Lee\n");

    std::filesystem::remove(m_folders.program / "vtxedit");
    EXPECT_FALSE(app.RunEditor(u"/O"));
}

}  // namespace
}  // namespace veltrix
