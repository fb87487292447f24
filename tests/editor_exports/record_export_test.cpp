#include "editor/exports/record_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/record_file.h"
#include "core/record_io.h"
#include "core/tagged_text.h"
#include "editor/exports/export_texts.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/editor_exports/scripted_export_views.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor::exports {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char16_t kMaster[] = u"Secret1";
constexpr char16_t kOwn[] = u"Other22";

class PaneView : public IRightPaneView {
public:
    bool ValidateSheet(RecordKind) override { return true; }
    void ShowRecord(OpenRecord&) override {}
    void DetachRecord(RecordKind) override {}
    void ShowOptions() override {}
    bool ApplyOptions() override { return true; }
    void HideKind(RecordKind) override {}
    void SetChangesPending(bool pending) override { this->pending = pending; }

    bool pending = false;
};

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
    const std::string bytes = veltrix::test::ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

class RecordExportTest : public ::testing::Test {
protected:
    RecordExportTest() {
        std::filesystem::create_directories(m_exportFolder);
        for (RecordKind kind :
             {RecordKind::Identity, RecordKind::WebLogin, RecordKind::SecureNote}) {
            std::filesystem::create_directories(text::ToUtf8(m_settings.GetRecordFolder(kind)));
        }
    }
    ~RecordExportTest() override { SetWriteFaultHook({}); }

    std::u16string PathOf(std::u16string_view name, RecordKind kind) {
        return RecordPath(m_settings.GetRecordFolder(kind), name, kind);
    }
    std::u16string OpenNote(std::u16string_view name, std::u16string_view text) {
        const std::u16string path = PathOf(name, RecordKind::SecureNote);
        CSecureNote note;
        note.SetText(std::u16string(text));
        EXPECT_TRUE(WriteSecureNote(path, note).HasValue());
        EXPECT_TRUE(m_pane.ShowRecord(path, false));
        return path;
    }
    std::u16string ExportFolderText() const {
        return text::FromUtf8(m_exportFolder.string()) + u"/";
    }
    std::filesystem::path Exported(std::string_view fileTitle) const {
        return m_exportFolder / fileTitle;
    }
    // The record text of an encrypted file under `password`, or nullopt when it does not open.
    static std::optional<std::u16string> TextUnder(const std::filesystem::path& path,
                                                   std::u16string_view password) {
        auto text = DecodeRecordFile(FileBytes(path), password);
        if (!text) {
            return std::nullopt;
        }
        return *text;
    }

    veltrix::test::IsolatedEnvironment m_env;
    std::filesystem::path m_exportFolder = m_env.Root() / "usb stick" / "export";
    veltrix::test::FakePasswordSource m_passwords{kMaster};
    ui::ScriptedUi m_ui;
    config::Settings m_settings{platform::Registry::Default()};
    PaneView m_view;
    RightPane m_pane{m_settings, m_view};
    test::ScriptedExportViews m_views;
    RecordExporter m_exporter{m_settings, m_pane, m_views};
};

TEST_F(RecordExportTest, ExportWithoutPasswordWritesEachKindInTheClear) {
    CIdentity identity;
    identity.Set(IdentityKey::FirstName, u"Ann");
    CWebLogin login;
    login.SetPageUrl(u"https://bank.example/login");
    login.AddField({u"user", 0, 0, u"annlee", 0});
    CSecureNote note;
    note.SetText(u"Locker code: 4711");
    const std::u16string identityPath = PathOf(u"Ann", RecordKind::Identity);
    const std::u16string loginPath = PathOf(u"Bank", RecordKind::WebLogin);
    const std::u16string notePath = PathOf(u"Codes", RecordKind::SecureNote);
    ASSERT_TRUE(WriteIdentity(identityPath, identity).HasValue());
    ASSERT_TRUE(WriteWebLogin(loginPath, login).HasValue());
    ASSERT_TRUE(WriteSecureNote(notePath, note).HasValue());

    const struct {
        std::u16string path;
        std::string title;
        std::u16string text;
    } cases[] = {
        {identityPath, "Ann.vxi", IdentityToText(identity)},
        {loginPath, "Bank.vxw", WebLoginToText(login, WebLoginWriter::Editor)},
        {notePath, "Codes.vxn", SecureNoteToText(note)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        ASSERT_TRUE(m_pane.ShowRecord(c.path, false));
        m_views.folders.push_back(ExportFolderText());
        ASSERT_TRUE(m_exporter.ExportWithoutPassword());

        // The payload alone: FF FE and the record text, readable without any password.
        const std::vector<std::uint8_t> bytes = FileBytes(Exported(c.title));
        ASSERT_GE(bytes.size(), 2U);
        EXPECT_EQ(bytes[0], 0xFF);
        EXPECT_EQ(bytes[1], 0xFE);
        EXPECT_EQ(DecodePayload(bytes), c.text);
        EXPECT_FALSE(TextUnder(Exported(c.title), kMaster));
        // The record itself stays its own file, under the master password.
        EXPECT_EQ(m_pane.Record()->path, c.path);
        EXPECT_TRUE(TextUnder(text::ToUtf8(c.path), kMaster));
    }
    EXPECT_THAT(m_ui.MessageTexts(), IsEmpty());
}

TEST_F(RecordExportTest, ExportUnderItsOwnPasswordOpensOnlyWithItAndRefusesTheMasterPassword) {
    OpenNote(u"Codes", u"Locker code: 4711");
    // The master password is refused and the dialog shown again; then one of its own is taken.
    m_views.passwords = {std::u16string(kMaster), std::u16string(kOwn)};
    m_views.folders.push_back(ExportFolderText());

    ASSERT_TRUE(m_exporter.ExportWithNewPassword());

    EXPECT_THAT(m_views.passwordPrompts, ElementsAre(kExportFilePrompt, kExportFilePrompt));
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(kSamePassword));
    EXPECT_EQ(TextUnder(Exported("Codes.vxn"), kOwn), u"Locker code: 4711");
    EXPECT_FALSE(TextUnder(Exported("Codes.vxn"), kMaster));
    EXPECT_FALSE(TextUnder(Exported("Codes.vxn"), u"other22"));  // case counts
}

TEST_F(RecordExportTest, ExportWithNewPasswordStopsWithoutTheMasterPasswordOrOnCancel) {
    OpenNote(u"Codes", u"text");
    m_passwords.SetPassword(std::nullopt);
    EXPECT_FALSE(m_exporter.ExportWithNewPassword());
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(kUnableToObtainMasterPassword));
    EXPECT_THAT(m_views.passwordPrompts, IsEmpty());

    m_passwords.SetPassword(std::u16string(kMaster));
    m_views.folders.push_back(ExportFolderText());
    EXPECT_FALSE(m_exporter.ExportWithNewPassword());  // the Choose Password dialog is cancelled
    EXPECT_THAT(m_views.folderRequests, IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(Exported("Codes.vxn")));
}

TEST_F(RecordExportTest, ExportOntoTheRecordsOwnFolderIsOverwrittenByTheNextSave) {
    const std::u16string path = OpenNote(u"Codes", u"first");
    const std::filesystem::path own = text::ToUtf8(path);
    m_views.passwords.push_back(std::u16string(kOwn));
    m_views.folders.push_back(m_settings.GetRecordFolder(RecordKind::SecureNote));

    ASSERT_TRUE(m_exporter.ExportWithNewPassword());
    EXPECT_EQ(TextUnder(own, kOwn), u"first");
    EXPECT_FALSE(TextUnder(own, kMaster));
    EXPECT_EQ(m_pane.Record()->path, path);

    m_pane.NoteEdited(u"second");
    ASSERT_TRUE(m_pane.Apply());
    EXPECT_EQ(TextUnder(own, kMaster), u"second");
    EXPECT_FALSE(TextUnder(own, kOwn));
}

TEST_F(RecordExportTest, TheFolderBrowserStartsAtExportToFolderWhichFollowsTheChoice) {
    OpenNote(u"Codes", u"text");
    // No folder chosen: nothing is written and the setting stays as it was.
    EXPECT_FALSE(m_exporter.ExportWithSessionPassword());
    EXPECT_EQ(m_settings.GetExportToFolder(), u"");

    // A folder chosen without a trailing separator gets one and becomes ExportToFolder.
    m_views.folders.push_back(text::FromUtf8(m_exportFolder.string()));
    ASSERT_TRUE(m_exporter.ExportWithSessionPassword());
    EXPECT_EQ(m_settings.GetExportToFolder(), ExportFolderText());
    EXPECT_EQ(TextUnder(Exported("Codes.vxn"), kMaster), u"text");

    // The next export starts there.
    m_views.folders.push_back(ExportFolderText());
    ASSERT_TRUE(m_exporter.ExportWithSessionPassword());
    ASSERT_EQ(m_views.folderRequests.size(), 3U);
    EXPECT_EQ(m_views.folderRequests[0].start, u"");
    EXPECT_EQ(m_views.folderRequests[2].start, ExportFolderText());
    for (const auto& request : m_views.folderRequests) {
        EXPECT_EQ(request.title, kSelectExportFolder);
    }
}

TEST_F(RecordExportTest, PendingChangesAreAskedAboutAndTheExportGoesOnEitherWay) {
    const std::u16string path = OpenNote(u"Codes", u"saved");
    const std::filesystem::path own = text::ToUtf8(path);

    // Yes: the change is saved, Apply and Cancel are disabled, the export holds it.
    m_pane.NoteEdited(u"edited");
    ASSERT_TRUE(m_view.pending);
    m_ui.QueueAnswer(ui::Answer::Yes);
    m_views.folders.push_back(ExportFolderText());
    ASSERT_TRUE(m_exporter.ExportWithoutPassword());
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(u"Save changes to Codes?"));
    EXPECT_FALSE(m_view.pending);
    EXPECT_EQ(TextUnder(own, kMaster), u"edited");
    EXPECT_EQ(DecodePayload(FileBytes(Exported("Codes.vxn"))), u"edited");

    // No: the change is dropped, and the export holds the record as its file has it.
    m_pane.NoteEdited(u"dropped");
    m_ui.QueueAnswer(ui::Answer::No);
    m_views.folders.push_back(ExportFolderText());
    ASSERT_TRUE(m_exporter.ExportWithoutPassword());
    EXPECT_FALSE(m_view.pending);
    EXPECT_EQ(TextUnder(own, kMaster), u"edited");
    EXPECT_EQ(DecodePayload(FileBytes(Exported("Codes.vxn"))), u"edited");
}

TEST_F(RecordExportTest, AFailedWriteLeavesTheRecordAndItsFileAsTheyWere) {
    const std::u16string path = OpenNote(u"Codes", u"text");
    const std::string before = veltrix::test::ReadFileBytes(text::ToUtf8(path));
    m_views.folders.push_back(text::FromUtf8((m_env.Root() / "no such folder").string()));

    EXPECT_FALSE(m_exporter.ExportWithoutPassword());
    EXPECT_EQ(m_ui.Messages().size(), 1U);  // the record layer's file message
    EXPECT_EQ(m_pane.Record()->path, path);
    EXPECT_EQ(veltrix::test::ReadFileBytes(text::ToUtf8(path)), before);
}

TEST_F(RecordExportTest, NothingHappensWithoutAnOpenRecord) {
    m_views.folders.push_back(ExportFolderText());
    EXPECT_FALSE(m_exporter.ExportWithSessionPassword());
    EXPECT_FALSE(m_exporter.ExportWithNewPassword());
    EXPECT_FALSE(m_exporter.ExportWithoutPassword());
    EXPECT_THAT(m_views.folderRequests, IsEmpty());
    EXPECT_EQ(m_passwords.GetPasswordCalls(), 0);
}

}  // namespace
}  // namespace veltrix::editor::exports
