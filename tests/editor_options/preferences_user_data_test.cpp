// The Preferences and User Data pages: which Preferences bits each reads and writes (and that the
// others stay as they were), the highlight colour, the folders and their choosers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text.h"
#include "tests/editor_options/options_fixture.h"

namespace veltrix::editor::options {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// --- Preferences: loading ---

struct LoadCase {
    std::uint32_t stored;
    int formsMode;
    int loginsMode;
    bool promptToSave;
    bool autoSubmit;
    bool highlight;
    bool runInTray;
};

class PreferencesLoadTest : public OptionsTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(PreferencesLoadTest, ModesAndChecksComeFromTheirBits) {
    const LoadCase& c = GetParam();
    ASSERT_TRUE(m_settings.SetPreferences(c.stored));
    m_sheet.Preferences().Attach(&m_preferencesView);
    m_sheet.Load();
    const PreferencesValues& shown = m_preferencesView.values;
    EXPECT_EQ(shown.formsMode, c.formsMode);
    EXPECT_EQ(shown.loginsMode, c.loginsMode);
    EXPECT_EQ(shown.promptToSave, c.promptToSave);
    EXPECT_EQ(shown.autoSubmit, c.autoSubmit);
    EXPECT_EQ(shown.highlight, c.highlight);
    EXPECT_EQ(shown.runInTray, c.runInTray);
    EXPECT_EQ(m_sheet.RunInTrayTicked(), c.runInTray);
}

INSTANTIATE_TEST_SUITE_P(
    Bits, PreferencesLoadTest,
    ::testing::Values(LoadCase{0x1111, kPromptToFill, kPromptToFill, true, false, true, false},
                      LoadCase{0x80000222, kAutoFill, kAutoFill, false, true, false, true},
                      // Auto-fill wins over prompt, prompt over manual.
                      LoadCase{0x77, kAutoFill, kAutoFill, false, false, false, false},
                      LoadCase{0x55, kPromptToFill, kPromptToFill, false, false, false, false},
                      LoadCase{0x44, kManualFill, kManualFill, false, false, false, false},
                      // No bit of a group: no button chosen. Bits of other pages are not read here.
                      LoadCase{0x7FFFE088, kNoMode, kNoMode, false, false, false, false}));

// --- Preferences: applying ---

struct ApplyCase {
    std::uint32_t stored;
    PreferencesValues values;
    std::uint32_t expected;
};

class PreferencesApplyTest : public OptionsTest, public ::testing::WithParamInterface<ApplyCase> {};

TEST_P(PreferencesApplyTest, OnlyThePagesOwnBitsChange) {
    const ApplyCase& c = GetParam();
    ASSERT_TRUE(m_settings.SetPreferences(c.stored));
    m_sheet.Preferences().Attach(&m_preferencesView);
    m_preferencesView.values = c.values;
    ASSERT_TRUE(m_sheet.Preferences().Apply());
    EXPECT_EQ(m_settings.GetPreferences(), c.expected);
    EXPECT_THAT(m_log, ElementsAre(c.values.runInTray ? "tray on" : "tray off"));
}

PreferencesValues Values(int forms, int logins, bool save, bool submit, bool highlight, bool tray) {
    return {forms, logins, save, submit, highlight, tray, Rgb{0x80, 0xFF, 0x80}};
}

INSTANTIATE_TEST_SUITE_P(
    Bits, PreferencesApplyTest,
    ::testing::Values(
        // Foreign bits 0x30F00400 stay; the stray 0x8 and 0x80 of the two groups go.
        ApplyCase{0x30F00488, Values(kAutoFill, kManualFill, true, false, true, true), 0xB0F01542},
        ApplyCase{0xFFFFFFFF, Values(kPromptToFill, kAutoFill, false, false, false, false),
                  0x7FFFEC21},
        ApplyCase{0x0, Values(kManualFill, kPromptToFill, false, true, false, false), 0x214}));

TEST_F(OptionsTest, APreferencesPageWithoutAChosenModeFailsWithoutWriting) {
    ASSERT_TRUE(m_settings.SetPreferences(0x1111));
    m_sheet.Preferences().Attach(&m_preferencesView);
    m_preferencesView.values = Values(kAutoFill, kNoMode, false, true, false, true);
    m_preferencesView.values.colour = {1, 2, 3};
    EXPECT_FALSE(m_sheet.Preferences().Apply());
    EXPECT_EQ(m_settings.GetPreferences(), 0x1111u);
    EXPECT_EQ(m_settings.GetHighlightColor(), u"80FF80");
    EXPECT_THAT(m_log, IsEmpty());
}

// --- The highlight colour ---

TEST(HighlightColorTest, ParsesAndFormatsTwoDigitsPerComponent) {
    EXPECT_EQ(ParseHighlightColor(u"80FF80"), (Rgb{0x80, 0xFF, 0x80}));
    EXPECT_EQ(ParseHighlightColor(u"0a1B2c"), (Rgb{0x0A, 0x1B, 0x2C}));
    EXPECT_EQ(FormatHighlightColor({0x0A, 0x1B, 0x2C}), u"0A1B2C");
    EXPECT_EQ(FormatHighlightColor({0, 0, 0}), u"000000");
    for (const char16_t* bad : {u"", u"80FF8", u"80FF800", u"80FG80", u"-1FF80"}) {
        EXPECT_EQ(ParseHighlightColor(bad), (Rgb{0x80, 0xFF, 0x80})) << text::ToUtf8(bad);
    }
}

TEST_F(OptionsTest, TheColourDefaultIsWrittenBackAndAChosenColourIsStored) {
    EXPECT_FALSE(StoredText(u"HighlightColor"));
    m_sheet.Load();
    EXPECT_EQ(StoredText(u"HighlightColor"), u"80FF80");
    EXPECT_EQ(m_sheet.Preferences().Values().colour, (Rgb{0x80, 0xFF, 0x80}));

    m_sheet.Preferences().Attach(&m_preferencesView);
    m_preferencesView.colourAnswers = {std::nullopt, Rgb{0x12, 0xAB, 0x05}};
    m_sheet.Preferences().SelectColour();  // cancelled
    EXPECT_FALSE(m_sheet.Changed());
    m_sheet.Preferences().SelectColour();
    EXPECT_TRUE(m_sheet.Changed());
    EXPECT_THAT(m_preferencesView.colourStarts,
                ElementsAre(Rgb{0x80, 0xFF, 0x80}, Rgb{0x80, 0xFF, 0x80}));
    EXPECT_EQ(m_preferencesView.values.colour, (Rgb{0x12, 0xAB, 0x05}));
    ASSERT_TRUE(m_sheet.Apply());
    EXPECT_EQ(StoredText(u"HighlightColor"), u"12AB05");

    m_sheet.Load();
    EXPECT_EQ(m_preferencesView.values.colour, (Rgb{0x12, 0xAB, 0x05}));
}

// --- User Data ---

class UserDataTest : public OptionsTest {
protected:
    UserDataTest() { m_sheet.UserData().Attach(&m_userDataView); }
    std::u16string DataRoot() { return m_settings.GetDataPath(); }
};

TEST_F(UserDataTest, LoadsTheFoldersAndTheTwoExportBits) {
    ASSERT_TRUE(m_settings.SetRecordFolder(RecordKind::WebLogin, u"/srv/logins"));
    ASSERT_TRUE(m_settings.SetExportToFolder(u"/media/stick/"));
    ASSERT_TRUE(m_settings.SetPreferences(0x1111 | config::pref::kChangePasswordForExport));
    m_sheet.Load();
    const UserDataValues& shown = m_userDataView.values;
    EXPECT_EQ(shown.Folder(FolderField::Identities), DataRoot());
    EXPECT_EQ(shown.Folder(FolderField::WebLogins), u"/srv/logins/");
    EXPECT_EQ(shown.Folder(FolderField::SecureNotes), DataRoot());
    EXPECT_EQ(shown.Folder(FolderField::ExportTo), u"/media/stick/");
    EXPECT_TRUE(shown.changePassword);
    EXPECT_FALSE(shown.device);
}

TEST_F(UserDataTest, WritesOnlyTheFoldersThatDifferAndItsTwoBitsThenAsksForRefresh) {
    ASSERT_TRUE(m_settings.SetRecordFolder(RecordKind::SecureNote, u"/srv/Notes/"));
    ASSERT_TRUE(m_settings.SetPreferences(0xC0001111 | config::pref::kExportToDevice));
    m_sheet.Load();
    m_userDataView.values.Folder(FolderField::SecureNotes) = u"/srv/notes/";  // case only
    m_userDataView.values.Folder(FolderField::ExportTo) = u"/media/usb/";
    m_userDataView.values.changePassword = true;
    m_userDataView.values.device = false;
    ASSERT_TRUE(m_sheet.UserData().Apply());

    // The unchanged defaults are not stored; the folder differing in case is.
    EXPECT_FALSE(StoredText(u"IdentitiesFolder"));
    EXPECT_FALSE(StoredText(u"WebLoginsFolder"));
    EXPECT_EQ(StoredText(u"SecureNotesFolder"), u"/srv/notes/");
    EXPECT_EQ(StoredText(u"ExportToFolder"), u"/media/usb/");
    EXPECT_EQ(m_settings.GetPreferences(), 0xE0001111u);
    EXPECT_THAT(m_log, ElementsAre("refresh"));
}

struct ExportBitsCase {
    std::uint32_t stored;
    bool changePassword;
    bool device;
    std::uint32_t expected;
};

class UserDataBitsTest : public UserDataTest,
                         public ::testing::WithParamInterface<ExportBitsCase> {};

TEST_P(UserDataBitsTest, OnlyTheTwoExportBitsChange) {
    const ExportBitsCase& c = GetParam();
    ASSERT_TRUE(m_settings.SetPreferences(c.stored));
    m_sheet.Load();
    m_userDataView.values.changePassword = c.changePassword;
    m_userDataView.values.device = c.device;
    ASSERT_TRUE(m_sheet.UserData().Apply());
    EXPECT_EQ(m_settings.GetPreferences(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Bits, UserDataBitsTest,
                         ::testing::Values(ExportBitsCase{0x0, true, true, 0x30000000},
                                           ExportBitsCase{0xFFFFFFFF, false, false, 0xCFFFFFFF},
                                           ExportBitsCase{0x80001111, false, true, 0x90001111},
                                           ExportBitsCase{0x70001111, true, false, 0x60001111}));

TEST_F(UserDataTest, BrowseStartsAtTheFieldAndTakesADifferentFolderWithASlash) {
    m_sheet.Load();
    const std::u16string start = m_userDataView.values.Folder(FolderField::Identities);
    m_userDataView.folderAnswers = {std::nullopt, start, u"/home/ann/ids"};
    m_sheet.UserData().BrowseFolder(FolderField::Identities);  // nothing chosen
    m_sheet.UserData().BrowseFolder(FolderField::Identities);  // the same folder
    EXPECT_FALSE(m_sheet.Changed());
    m_sheet.UserData().BrowseFolder(FolderField::Identities);
    EXPECT_TRUE(m_sheet.Changed());
    EXPECT_EQ(m_userDataView.values.Folder(FolderField::Identities), u"/home/ann/ids/");
    ASSERT_EQ(m_userDataView.choosers.size(), 3u);
    EXPECT_EQ(m_userDataView.choosers[0].title, u"Select Identities folder");
    EXPECT_EQ(m_userDataView.choosers[0].start, start);

    // An empty field starts at the current folder.
    m_userDataView.values.Folder(FolderField::ExportTo).clear();
    m_sheet.UserData().BrowseFolder(FolderField::ExportTo);
    EXPECT_EQ(m_userDataView.choosers.back().title, u"Select a folder to export to:");
    EXPECT_EQ(m_userDataView.choosers.back().start,
              text::FromUtf8(std::filesystem::current_path().string()));
    EXPECT_EQ(FolderChooserTitle(FolderField::WebLogins), u"Select Web Logins folder");
    EXPECT_EQ(FolderChooserTitle(FolderField::SecureNotes), u"Select Secure Notes folder");
}

class RecordingBulkCommands : public IBulkCommands {
public:
    bool ChangeMasterPassword(std::u16string_view newPassword) override {
        passwords.emplace_back(newPassword);
        return result;
    }
    bool ExportAll(ExportAllChoice& choice) override {
        exports.push_back(choice);
        if (!result) {
            return false;
        }
        choice.folder = u"/media/chosen/";
        return true;
    }

    bool result = true;
    std::vector<std::u16string> passwords;
    std::vector<ExportAllChoice> exports;
};

TEST_F(UserDataTest, ExportRunsWithThePagesCurrentChoicesAndShowsTheChosenFolder) {
    m_sheet.Load();
    m_sheet.UserData().ExportAll();  // no commands: nothing happens
    EXPECT_FALSE(m_sheet.Changed());

    RecordingBulkCommands commands;
    m_sheet.SetBulkCommands(&commands);
    m_userDataView.values.Folder(FolderField::ExportTo) = u"/typed/";
    m_userDataView.values.device = true;
    commands.result = false;
    m_sheet.UserData().ExportAll();
    EXPECT_FALSE(m_sheet.Changed());
    commands.result = true;
    m_sheet.UserData().ExportAll();
    ASSERT_EQ(commands.exports.size(), 2u);
    EXPECT_EQ(commands.exports[0].folder, u"/typed/");
    EXPECT_TRUE(commands.exports[0].device);
    EXPECT_FALSE(commands.exports[0].changePassword);
    EXPECT_EQ(m_userDataView.values.Folder(FolderField::ExportTo), u"/media/chosen/");
    EXPECT_TRUE(m_sheet.Changed());
    EXPECT_FALSE(StoredText(u"ExportToFolder"));  // stored only by Apply
}

}  // namespace
}  // namespace veltrix::editor::options
