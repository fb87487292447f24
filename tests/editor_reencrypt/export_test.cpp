// The export of every record into a folder and onto a removable device: the records re-encrypted
// beside their untouched originals, the device layout with the programs, the launcher and the
// configuration, and the failures that stop it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/device_layout.h"
#include "editor/reencrypt/reencrypt_job.h"
#include "platform/mounts.h"
#include "platform/process.h"
#include "tests/editor_reencrypt/vault_fixture.h"

namespace veltrix::editor {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace test_support;

class ExportTest : public VaultFixture {
protected:
    ExportTest() {
        std::filesystem::create_directories(m_device);
        std::filesystem::create_directories(m_install / "help" / "pictures");
        for (std::u16string_view entry : device::kProgramFiles) {
            if (!entry.ends_with(u'/')) {
                test::WriteFileBytes(m_install / text::ToUtf8(entry),
                                     "program " + text::ToUtf8(entry));
            }
        }
        test::WriteFileBytes(m_install / "help" / "903.html", "<p>help</p>");
        test::WriteFileBytes(m_install / "help" / "pictures" / "a.png", "png");
        std::filesystem::create_directories(m_install / "screenshots");
        EXPECT_TRUE(m_settings.SetInstallPath(U16(m_install) + u"/"));
    }

    ReencryptRequest Request(std::filesystem::path destination, bool device) const {
        ReencryptRequest request;
        request.title = u"Export";
        request.oldPassword = kOldPassword;
        request.newPassword = kNewPassword;
        request.destination = U16(destination);
        request.exportMode = true;
        request.device = device;
        return request;
    }
    bool RunExport(const ReencryptRequest& request) {
        CReencryptJob job(request, m_settings, m_view, m_session);
        EXPECT_EQ(job.WindowTitle(), u"Export - Veltrix");
        const bool succeeded = job.Run();
        EXPECT_EQ(job.State(), ReencryptState::Finished);
        return succeeded;
    }
    static std::vector<std::string> Listing(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            names.push_back(entry.path().lexically_relative(folder).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // A temporary folder standing for the removable device's mount point.
    std::filesystem::path m_device = m_env.Root() / "media" / "USB STICK";
    test::ScopedEnv m_mounts{platform::kExtraMountPointsVariable, m_device.string()};
    std::filesystem::path m_install = m_env.Root() / "install";
    CMemoryReencryptView m_view;
};

TEST_F(ExportTest, PlainExportWritesACopyUnderTheNewPasswordAndLeavesTheOriginals) {
    const auto paths = WriteVault(2, kOldPassword);
    const auto folder = m_device / "Backup" / "Vault";
    ASSERT_TRUE(RunExport(Request(folder, false)));

    EXPECT_EQ(CountOpening(paths, kOldPassword), 6);
    std::vector<std::filesystem::path> copies;
    for (const auto& path : paths) {
        copies.push_back(folder / path.filename());
    }
    EXPECT_EQ(CountOpening(copies, kNewPassword), 6);
    EXPECT_THAT(Listing(m_device),
                ElementsAre("Backup", "Backup/Vault", "Backup/Vault/I0.vxi", "Backup/Vault/I1.vxi",
                            "Backup/Vault/N0.vxn", "Backup/Vault/N1.vxn", "Backup/Vault/W0.vxw",
                            "Backup/Vault/W1.vxw"));
    const auto statuses = m_view.Statuses();
    EXPECT_THAT(statuses, Contains(u"Status: Exporting your data files..."));
    EXPECT_THAT(statuses, Contains(u"Status: Exporting W1.vxw"));
    EXPECT_EQ(statuses.back(), u"Status: Finished! Click OK to exit...");
    EXPECT_EQ(m_view.Upper(), 6);
    EXPECT_EQ(m_view.Position(), 6);
    // Both buttons once an export is over; the session is not touched.
    EXPECT_TRUE(m_view.OkEnabled());
    EXPECT_TRUE(m_view.CancelEnabled());
    EXPECT_TRUE(m_session.calls.empty());
}

TEST_F(ExportTest, DeviceExportBuildsTheLayoutOnTheMountPointOfTheChosenFolder) {
    const auto paths = WriteVault(1, kOldPassword);
    ASSERT_TRUE(m_settings.SetHighlightColor(0x12, 0x34, 0x56));
    ASSERT_TRUE(RunExport(Request(m_device / "Backup", true)));

    // The folder part of the chosen path is not used.
    EXPECT_THAT(
        Listing(m_device),
        ElementsAre(
            "Veltrix Portable", "Veltrix Portable/Data Files", "Veltrix Portable/Data Files/I0.vxi",
            "Veltrix Portable/Data Files/N0.vxn", "Veltrix Portable/Data Files/Veltrix.reg",
            "Veltrix Portable/Data Files/W0.vxw", "Veltrix Portable/Program Files",
            "Veltrix Portable/Program Files/VeltrixPortable", "Veltrix Portable/Program Files/help",
            "Veltrix Portable/Program Files/help/903.html",
            "Veltrix Portable/Program Files/help/pictures",
            "Veltrix Portable/Program Files/help/pictures/a.png",
            "Veltrix Portable/Program Files/libvtxcore.so",
            "Veltrix Portable/Program Files/libvtxui_qt.so",
            "Veltrix Portable/Program Files/screenshots", "Veltrix Portable/Program Files/vtx",
            "Veltrix Portable/Program Files/vtxbrowse", "Veltrix Portable/Program Files/vtxedit",
            "Veltrix Portable/Program Files/vtxreg", "Veltrix Portable/Program Files/vtxsessiond",
            "VeltrixPortable"));
    const auto data = m_device / "Veltrix Portable" / "Data Files";
    EXPECT_EQ(CountOpening({data / "I0.vxi", data / "W0.vxw", data / "N0.vxn"}, kNewPassword), 3);
    EXPECT_EQ(test::ReadFileBytes(m_device / "VeltrixPortable"), "program VeltrixPortable");
    EXPECT_EQ(CountOpening(paths, kOldPassword), 3);
    // Steps: the records, each program entry, the launcher at the root.
    EXPECT_EQ(m_view.Upper(), 3 + 10 + 1);
    EXPECT_EQ(m_view.Position(), m_view.Upper());
    EXPECT_THAT(m_view.Statuses(), Contains(u"Status: Copying help"));

    // The configuration file imports into another registry with the registry editor.
    const auto second = m_env.Root() / "second registry";
    {
        test::ScopedEnv registry("VELTRIX_REGISTRY", second.string());
        const auto imported = platform::RunProcess(test::ProgramFolder() / "vtxreg",
                                                   {"/S", (data / "Veltrix.reg").string()}, 10000);
        ASSERT_TRUE(imported.Succeeded());
    }
    platform::Registry secondRegistry(second);
    config::Settings imported(secondRegistry);
    EXPECT_EQ(imported.GetHighlightColor(), u"123456");
}

TEST_F(ExportTest, APathWithoutAMountPointFailsAtOnce) {
    WriteVault(1, kOldPassword);
    ReencryptRequest request = Request("relative/folder", false);
    ASSERT_FALSE(RunExport(request));
    EXPECT_EQ(m_view.Status(), u"Status: Export failed! Click OK to exit...");
    EXPECT_THAT(m_view.Errors(), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists("relative"));

    CMemoryReencryptView view;
    CReencryptJob job(Request(m_device / "x", true), m_settings, view, m_session);
    job.SetMountResolver([](const std::filesystem::path&) { return std::nullopt; });
    EXPECT_FALSE(job.Run());
    EXPECT_EQ(view.Status(), u"Status: Export failed! Click OK to exit...");
    EXPECT_TRUE(std::filesystem::is_empty(m_device));
}

TEST_F(ExportTest, AMissingLauncherFailsTheDeviceExportWithTheSystemsText) {
    WriteVault(1, kOldPassword);
    std::filesystem::remove(m_install / "VeltrixPortable");
    ASSERT_FALSE(RunExport(Request(m_device, true)));
    EXPECT_THAT(m_view.Errors(),
                ElementsAre(u"Error copying file VeltrixPortable to folder " + U16(m_device) +
                            u"/Veltrix Portable/Program Files/: No such file or directory"));
    EXPECT_EQ(m_view.Status(), u"Status: Export failed! Click OK to exit...");
    // The records exported so far stay.
    EXPECT_TRUE(std::filesystem::exists(m_device / "Veltrix Portable" / "Data Files" / "I0.vxi"));
}

TEST_F(ExportTest, StoppingAnExportKeepsTheFilesWrittenSoFar) {
    WriteVault(2, kOldPassword);
    m_view.RequestStopAfter(2);
    ASSERT_FALSE(RunExport(Request(m_device / "out", false)));
    EXPECT_THAT(Listing(m_device / "out"), ElementsAre("I0.vxi", "I1.vxi"));
    EXPECT_EQ(m_view.Status(), u"Status: Export failed! Click OK to exit...");
}

// Exporting into the records' own folder would rewrite them under the export's password while the
// session keeps the master password: refused before anything is written.
TEST_F(ExportTest, AnExportIntoTheRecordsOwnFolderIsRefused) {
    ASSERT_TRUE(m_settings.SetRecordFolder(RecordKind::SecureNote, U16(m_device / "Notes") + u"/"));
    const auto paths = WriteVault(1, kOldPassword);
    ASSERT_FALSE(RunExport(Request(m_device / "Notes" / ".", false)));
    EXPECT_THAT(m_view.Errors(),
                ElementsAre(u"The folder " + U16(m_device / "Notes" / ".") +
                            u"/ holds your record files themselves. Please choose another folder "
                            u"to export to."));
    EXPECT_EQ(CountOpening(paths, kOldPassword), 3);
    EXPECT_EQ(m_view.Status(), u"Status: Export failed! Click OK to exit...");
}

TEST_F(ExportTest, ARecordThatCannotBeReadFailsTheExportAfterItsMessage) {
    WriteVault(1, kOldPassword);
    WriteRecord(Vault() / "I5.vxi", u"<note>x</note>", u"Another one");
    ASSERT_FALSE(RunExport(Request(m_device / "out", false)));
    EXPECT_THAT(m_view.Errors(),
                ElementsAre(u"The password does not match the existing password."));
    EXPECT_THAT(Listing(m_device / "out"), ElementsAre("I0.vxi"));
}

}  // namespace
}  // namespace veltrix::editor
