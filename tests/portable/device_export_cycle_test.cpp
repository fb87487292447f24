// From the editor's device export to the launcher on another computer: a vault made under a master
// password is exported headless onto a folder declared a mount point, under a new password, with
// the real built programs. On a host with a fresh registry the launcher activates from the device
// root, the device's own vtx reads a record under the export's password, and deactivation leaves
// neither configuration nor browser entries behind and the device's data as the export wrote it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/device_layout.h"
#include "core/record_kind.h"
#include "editor/reencrypt/reencrypt_job.h"
#include "editor/reencrypt/reencrypt_view.h"
#include "platform/mounts.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "portable/host_registry.h"
#include "portable/portable_app.h"
#include "tests/editor_reencrypt/vault_fixture.h"
#include "tests/portable/portable_test_support.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

namespace fs = std::filesystem;
using editor::test_support::OpenRecord;
using editor::test_support::U16;
using editor::test_support::WriteRecord;
using platform::Hive;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char16_t kMasterPassword[] = u"Master of the source";
constexpr char16_t kExportPassword[] = u"Password of the device";

struct Record {
    RecordKind kind;
    std::string name;  // the file name
    std::u16string text;
};

const std::vector<Record>& VaultRecords() {
    static const std::vector<Record> records = {
        {RecordKind::Identity, "Ann Lee.vxi", u"<fname>Ann</fname>\r\n<lname>Lee</lname>"},
        {RecordKind::WebLogin, "Mail.vxw", u"<url>https://mail.example/</url><user>ann</user>"},
        {RecordKind::SecureNote, "Locker.vxn", u"<note>Locker 12, code 4711</note>"},
    };
    return records;
}

struct Outcome {
    int status = -1;
    std::string out;
};

// The names below `folder`, relative to it and sorted; `recursive` walks the subfolders too.
std::vector<std::string> Listing(const fs::path& folder, bool recursive) {
    std::vector<std::string> names;
    if (recursive) {
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            names.push_back(entry.path().lexically_relative(folder).string());
        }
    } else {
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class DeviceExportCycleTest : public ::testing::Test {
protected:
    // Runs `program` with `args` in a session of its own (no terminal to prompt on) with nothing on
    // standard input; the child is killed when it outlives the time-out.
    Outcome Run(const fs::path& program, const std::vector<std::string>& args) {
        const auto dir = m_env.Root();
        std::string command = "exec setsid -w '" + program.string() + "'";
        for (const auto& arg : args) {
            command += " '" + arg + "'";
        }
        command += " < /dev/null > '" + (dir / "stdout").string() + "'";
        const auto result =
            platform::RunProcess("/bin/sh", {"-c", command}, 30000, platform::OnTimeout::Kill);
        return {result.exitCode, test::ReadFileBytes(dir / "stdout")};
    }

    // The source computer: the records under the master password in the configured folders, the
    // install folder at the built programs, and a current Identity and highlight colour to carry.
    void MakeSourceVault(config::Settings& settings) {
        ASSERT_TRUE(settings.SetInstallPath(U16(test::ProgramFolder()) + u"/"));
        ASSERT_TRUE(settings.SetCurrentIdentity(u"Ann Lee"));
        ASSERT_TRUE(settings.SetHighlightColor(0x12, 0x34, 0x56));
        for (const Record& record : VaultRecords()) {
            const fs::path folder = text::ToUtf8(settings.GetRecordFolder(record.kind));
            fs::create_directories(folder);
            WriteRecord(folder / record.name, record.text, kMasterPassword);
            m_sourceFiles.push_back(folder / record.name);
        }
    }

    // The editor's device export, headless, into the device under the export's password.
    void ExportToDevice(config::Settings& settings) {
        editor::ReencryptRequest request;
        request.title = u"Export";
        request.oldPassword = kMasterPassword;
        request.newPassword = kExportPassword;
        request.destination = U16(m_device / "Backups");
        request.exportMode = true;
        request.device = true;
        editor::CMemoryReencryptView view;
        editor::test_support::RecordingSession session;
        editor::CReencryptJob job(request, settings, view, session);
        ASSERT_TRUE(job.Run());
        EXPECT_EQ(job.State(), editor::ReencryptState::Finished);
        EXPECT_THAT(view.Errors(), IsEmpty());
        EXPECT_EQ(view.Position(), view.Upper());
        EXPECT_TRUE(session.calls.empty());
    }

    void CheckLayout() {
        const fs::path bin = test::ProgramFolder();
        EXPECT_THAT(Listing(m_device, false), ElementsAre("Veltrix Portable", "VeltrixPortable"));
        EXPECT_THAT(Listing(m_folders.portableRoot, false),
                    ElementsAre("Data Files", "Program Files"));
        EXPECT_THAT(Listing(m_folders.data, false),
                    ElementsAre("Ann Lee.vxi", "Locker.vxn", "Mail.vxw", "Veltrix.reg"));
        for (const Record& record : VaultRecords()) {
            EXPECT_EQ(OpenRecord(m_folders.data / record.name, kExportPassword), record.text)
                << record.name;
            EXPECT_EQ(OpenRecord(m_folders.data / record.name, kMasterPassword), std::nullopt)
                << record.name;
        }
        // Every program entry and nothing else, each a copy of the built one.
        std::vector<std::string> expected;
        for (std::u16string_view entry : device::kProgramFiles) {
            std::string name = text::ToUtf8(entry);
            const bool folder = name.ends_with('/');
            if (folder) {
                name.pop_back();
            }
            expected.push_back(name);
            const fs::path copy = m_folders.program / name;
            if (folder) {
                ASSERT_TRUE(fs::is_directory(copy)) << name;
                EXPECT_EQ(Listing(copy, true), Listing(bin / name, true)) << name;
                EXPECT_FALSE(Listing(copy, true).empty()) << name;
            } else {
                ASSERT_TRUE(fs::is_regular_file(copy)) << name;
                EXPECT_TRUE(test::ReadFileBytes(copy) == test::ReadFileBytes(bin / name)) << name;
            }
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Listing(m_folders.program, false), expected);
        // The launcher at the device root, runnable as the built one.
        const fs::path launcher = m_device / text::ToUtf8(device::kLauncher);
        EXPECT_TRUE(test::ReadFileBytes(launcher) ==
                    test::ReadFileBytes(bin / text::ToUtf8(device::kLauncher)));
        EXPECT_NE(fs::status(launcher).permissions() & fs::perms::owner_exec, fs::perms::none);
    }

    std::string PasswordFile() {
        const auto path = m_env.Root() / "export-password";
        test::WriteFileBytes(path, text::ToUtf8(kExportPassword) + "\n");
        return path.string();
    }

    test::IsolatedEnvironment m_env;
    // A temporary folder standing for the removable device's mount point.
    fs::path m_device = m_env.Root() / "media" / "USB STICK";
    test::ScopedEnv m_mounts{platform::kExtraMountPointsVariable, m_device.string()};
    portable::LauncherFolders m_folders =
        portable::FoldersOf(m_device / text::ToUtf8(device::kLauncher));
    std::vector<fs::path> m_sourceFiles;
    test::RecordingLauncherView m_view;
    ui::ScriptedUi m_ui;
};

TEST_F(DeviceExportCycleTest, ExportActivateReadFromTheDeviceAndDeactivate) {
    fs::create_directories(m_device);
    const fs::path sourceRegistry = m_env.Root() / "source-registry";
    const fs::path sourceData = m_env.Root() / "source-data";
    {
        test::ScopedEnv registry("VELTRIX_REGISTRY", sourceRegistry.string());
        test::ScopedEnv data("XDG_DATA_HOME", sourceData.string());
        config::Settings source(platform::Registry::Default());
        MakeSourceVault(source);
        ASSERT_FALSE(HasFatalFailure());
        ExportToDevice(source);
        ASSERT_FALSE(HasFatalFailure());
    }
    // The originals stay under the master password.
    for (std::size_t i = 0; i < m_sourceFiles.size(); ++i) {
        EXPECT_EQ(OpenRecord(m_sourceFiles[i], kMasterPassword), VaultRecords()[i].text);
    }
    CheckLayout();
    ASSERT_FALSE(HasFatalFailure());
    const auto deviceFiles = test::DumpFiles(m_folders.data);

    // Another computer: the source's configuration and vault are gone, the registry is fresh.
    fs::remove_all(sourceRegistry);
    fs::remove_all(sourceData);
    platform::Registry& registry = platform::Registry::Default();
    ASSERT_FALSE(registry.KeyExists(Hive::CurrentUser, u"Software\\Orvane\\Veltrix"));
    config::Settings settings(registry);
    portable::CPortableApp app(m_folders, m_view, settings);
    ASSERT_TRUE(app.Activate()) << text::ToUtf8(app.Errors().empty() ? u"" : app.Errors()[0]);
    EXPECT_TRUE(m_ui.Messages().empty());

    // Every path points at the device; the carried settings came along.
    const std::u16string data = text::FromUtf8(m_folders.data.string());
    EXPECT_EQ(settings.GetDataPath(), data);
    for (RecordKind kind : {RecordKind::Identity, RecordKind::WebLogin, RecordKind::SecureNote}) {
        EXPECT_EQ(settings.GetRecordFolder(kind), data);
    }
    EXPECT_EQ(settings.GetInstallPath(), text::FromUtf8(m_folders.program.string()));
    EXPECT_EQ(settings.GetCurrentIdentity(), u"Ann Lee");
    EXPECT_EQ(settings.GetHighlightColor(), u"123456");
    const auto library = registry.GetValue(
        Hive::ClassesRoot,
        u"CLSID\\" + std::u16string(portable::kHelperObjectClass) + u"\\InprocServer32", u"");
    ASSERT_TRUE(library.has_value());
    EXPECT_EQ(library->AsString(), text::FromUtf8((m_folders.program / "libvtxcore.so").string()));
    EXPECT_TRUE(registry.KeyExists(Hive::LocalMachine, portable::HelperObjectKey()));

    // The device's vtx reads the records under the export's password.
    const auto deviceVtx = m_folders.program / "vtx";
    EXPECT_EQ(Run(deviceVtx, {"list", "identities"}).out, "Ann Lee\n");
    const auto identity =
        Run(deviceVtx, {"--password-file", PasswordFile(), "show", "identity", "Ann Lee"});
    EXPECT_EQ(identity.status, 0);
    EXPECT_EQ(identity.out, text::ToUtf8(VaultRecords()[0].text));
    const auto note = Run(deviceVtx, {"--password-file", PasswordFile(), "show", "note", "Locker"});
    EXPECT_EQ(note.status, 0);
    EXPECT_EQ(note.out, text::ToUtf8(VaultRecords()[2].text));
    EXPECT_EQ(Run(deviceVtx, {"logoff"}).status, 0);

    ASSERT_TRUE(app.Deactivate(false));
    EXPECT_FALSE(registry.KeyExists(Hive::CurrentUser, u"Software\\Orvane\\Veltrix"));
    EXPECT_FALSE(registry.KeyExists(Hive::LocalMachine, portable::HelperObjectKey()));
    EXPECT_TRUE(registry.EnumKeys(Hive::LocalMachine, portable::kExtensionsKey).empty());
    EXPECT_TRUE(registry.EnumValues(Hive::LocalMachine, portable::kToolbarKey).empty());
    // The data files and Veltrix.reg are byte for byte as the export wrote them.
    EXPECT_EQ(test::DumpFiles(m_folders.data), deviceFiles);
}

}  // namespace
}  // namespace veltrix
