// The launcher on a device laid out as the device export lays it out: the programs beside the
// extension library, the record files and the exported configuration. A vault is made on a
// "source" computer (a registry and data folder of its own), copied onto the device, and used on
// the host through the device's own programs between activation and deactivation.
#include <gtest/gtest.h>

#include "core/configuration.h"
#include "core/device_layout.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "portable/host_registry.h"
#include "portable/portable_app.h"
#include "tests/portable/portable_test_support.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

using platform::Hive;

const std::string kIdentityText = "<fname>Ann</fname>\r\n<lname>Lee</lname>";

struct Outcome {
    int status = -1;
    std::string out;
};

class DeviceCycleTest : public ::testing::Test {
protected:
    // Runs `program` with `args` in a session of its own (no terminal to prompt on), feeding
    // `input`; standard output is returned.
    Outcome Run(const std::filesystem::path& program, const std::vector<std::string>& args,
                const std::string& input = "") {
        const auto dir = m_env.Root();
        test::WriteFileBytes(dir / "stdin", input);
        std::string command = "setsid -w '" + program.string() + "'";
        for (const auto& arg : args) {
            command += " '" + arg + "'";
        }
        command += " < '" + (dir / "stdin").string() + "' > '" + (dir / "stdout").string() + "'";
        const auto result = platform::RunProcess("/bin/sh", {"-c", command}, 30000);
        return {result.exitCode, test::ReadFileBytes(dir / "stdout")};
    }

    std::string PasswordFile() {
        const auto path = m_env.Root() / "password";
        test::WriteFileBytes(path, "Correct horse\n");
        return path.string();
    }

    // The source computer: a vault with one Identity, chosen as the current one.
    void MakeSourceVault() {
        const auto vtx = test::ProgramFolder() / "vtx";
        ASSERT_EQ(Run(vtx, {"register"}).status, 0);
        ASSERT_EQ(Run(vtx, {"--password-file", PasswordFile(), "put", "identity", "Ann Lee"},
                      kIdentityText)
                      .status,
                  0);
        ASSERT_EQ(Run(vtx, {"config", "set", "Identity", "Ann Lee"}).status, 0);
        ASSERT_EQ(Run(vtx, {"logoff"}).status, 0);
    }

    // What the device export writes: the program files, the launcher at the device root, the
    // record files and the configuration exported with the registry editor.
    void ExportToDevice(const std::filesystem::path& sourceVault) {
        namespace fs = std::filesystem;
        fs::create_directories(m_folders.program);
        fs::create_directories(m_folders.data);
        for (std::u16string_view entry : device::kProgramFiles) {
            std::string name = text::ToUtf8(entry);
            const bool folder = name.ends_with('/');
            if (folder) {
                name.pop_back();
            }
            const fs::path source = test::ProgramFolder() / name;
            if (!fs::exists(source)) {
                continue;  // a program this build does not make yet
            }
            fs::copy(source, m_folders.program / name,
                     folder ? fs::copy_options::recursive : fs::copy_options::none);
        }
        const fs::path launcher = test::ProgramFolder() / text::ToUtf8(device::kLauncher);
        if (fs::exists(launcher)) {
            fs::copy(launcher, m_folders.launcher / text::ToUtf8(device::kLauncher));
        }
        for (const auto& file : fs::directory_iterator(sourceVault)) {
            const std::string extension = file.path().extension().string();
            if (extension == ".vxi" || extension == ".vxw" || extension == ".vxn") {
                fs::copy(file.path(), m_folders.data / file.path().filename());
            }
        }
        ASSERT_EQ(
            Run(m_folders.program / "vtxreg", {"/E", (m_folders.data / "Veltrix.reg").string(),
                                               text::ToUtf8(device::kConfigurationKey)})
                .status,
            0);
    }

    test::IsolatedEnvironment m_env;
    portable::LauncherFolders m_folders =
        portable::FoldersOf(m_env.Root() / "stick" / "VeltrixPortable");
    test::RecordingLauncherView m_view;
    ui::ScriptedUi m_ui;
};

TEST_F(DeviceCycleTest, ActivateReadARecordFromTheDeviceAndDeactivate) {
    {
        test::ScopedEnv registry("VELTRIX_REGISTRY", (m_env.Root() / "source-registry").string());
        test::ScopedEnv data("XDG_DATA_HOME", (m_env.Root() / "source-data").string());
        MakeSourceVault();
        ASSERT_FALSE(HasFatalFailure());
        ExportToDevice(m_env.Root() / "source-data" / "Orvane" / "Veltrix");
        ASSERT_FALSE(HasFatalFailure());
    }
    ASSERT_TRUE(std::filesystem::exists(m_folders.data / "Ann Lee.vxi"));
    const auto deviceFiles = test::DumpFiles(m_folders.data);
    ASSERT_TRUE(deviceFiles.contains("Veltrix.reg"));

    // The host: nothing of the vault on it but another program of the maker.
    platform::Registry& registry = platform::Registry::Default();
    registry.SetValue(Hive::CurrentUser, u"Software\\Orvane\\Other", u"Kept",
                      platform::RegistryValue::Dword(1));
    config::Settings settings(registry);
    portable::CPortableApp app(m_folders, m_view, settings);
    ASSERT_TRUE(app.Activate());
    EXPECT_TRUE(m_ui.Messages().empty());

    // The device's programs work on the device's data, through the library registered from it.
    const auto library = registry.GetValue(
        Hive::ClassesRoot,
        u"CLSID\\" + std::u16string(portable::kHelperObjectClass) + u"\\InprocServer32", u"");
    ASSERT_TRUE(library.has_value());
    EXPECT_EQ(library->AsString(), text::FromUtf8((m_folders.program / "libvtxcore.so").string()));
    EXPECT_EQ(settings.GetCurrentIdentity(), u"Ann Lee");
    EXPECT_EQ(settings.GetRecordFolder(RecordKind::Identity),
              text::FromUtf8(m_folders.data.string()));
    const auto deviceVtx = m_folders.program / "vtx";
    EXPECT_EQ(Run(deviceVtx, {"list", "identities"}).out, "Ann Lee\n");
    const auto shown =
        Run(deviceVtx, {"--password-file", PasswordFile(), "show", "identity", "Ann Lee"});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, kIdentityText);
    EXPECT_EQ(Run(deviceVtx, {"logoff"}).status, 0);

    ASSERT_TRUE(app.Deactivate(false));

    EXPECT_FALSE(registry.KeyExists(Hive::CurrentUser, u"Software\\Orvane\\Veltrix"));
    EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, u"Software\\Orvane"));
    EXPECT_FALSE(registry.KeyExists(Hive::LocalMachine, portable::HelperObjectKey()));
    EXPECT_TRUE(registry.EnumKeys(Hive::LocalMachine, portable::kExtensionsKey).empty());
    EXPECT_TRUE(registry.EnumValues(Hive::LocalMachine, portable::kToolbarKey).empty());
    // The data files and Veltrix.reg are as the export wrote them.
    const auto after = test::DumpFiles(m_folders.data);
    for (const auto& [path, bytes] : deviceFiles) {
        ASSERT_TRUE(after.contains(path)) << path;
        EXPECT_EQ(after.at(path), bytes) << path;
    }
}

}  // namespace
}  // namespace veltrix
