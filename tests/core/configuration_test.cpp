#include "core/configuration.h"

#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix::config {
namespace {

using platform::Hive;
using platform::Registry;
using platform::RegistryValue;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::u16string U(const std::filesystem::path& path) {
    return text::FromUtf8(path.string());
}

std::u16string VaultRoot(const test::IsolatedEnvironment& env) {
    return U(env.VaultFolder()) + u"/";
}

std::optional<RegistryValue> Stored(std::u16string_view section, std::u16string_view name,
                                    Hive hive = Hive::CurrentUser) {
    return Registry::Default().GetValue(hive, SectionKey(section), name);
}

void Store(std::u16string_view section, std::u16string_view name, const RegistryValue& value,
           Hive hive = Hive::CurrentUser) {
    ASSERT_TRUE(Registry::Default().SetValue(hive, SectionKey(section), name, value));
}

class ConfigurationTest : public ::testing::Test {
protected:
    test::IsolatedEnvironment m_env;
    ui::ScriptedUi m_ui;
    Settings m_settings{Registry::Default()};
};

// Every value read from an empty registry: its default, and exactly the marked ones written back.
TEST(ConfigurationDefaultsTest, EmptyRegistryGivesDefaultsAndWritesBackTheMarkedOnes) {
    struct Case {
        std::u16string_view section;
        std::u16string_view name;
        std::function<std::u16string(Settings&)> read;
        std::function<std::u16string(const test::IsolatedEnvironment&)> expected;
        std::optional<RegistryValue> writtenBack;
    };
    auto byName = [](std::u16string_view name) {
        return [name](Settings& settings) {
            return settings.GetConfigurationValue(name).value_or(u"<unknown>");
        };
    };
    auto root = [](const test::IsolatedEnvironment& env) { return VaultRoot(env); };
    auto fixed = [](std::u16string_view value) {
        return [value](const test::IsolatedEnvironment&) { return std::u16string(value); };
    };
    const Case cases[] = {
        {kConfigurationSection, u"DataPath", byName(u"DataPath"), root, std::nullopt},
        {kConfigurationSection, u"InstallPath", byName(u"InstallPath"),
         [](const auto&) { return DefaultInstallPath(); },
         RegistryValue::String(DefaultInstallPath())},
        {kConfigurationSection, u"IdentitiesFolder", byName(u"IdentitiesFolder"), root,
         std::nullopt},
        {kConfigurationSection, u"WebLoginsFolder", byName(u"WebLoginsFolder"), root, std::nullopt},
        {kConfigurationSection, u"SecureNotesFolder", byName(u"SecureNotesFolder"), root,
         std::nullopt},
        {kConfigurationSection, u"ExportToFolder", byName(u"ExportToFolder"), fixed(u""),
         std::nullopt},
        {kConfigurationSection, u"HighlightColor", byName(u"HighlightColor"), fixed(u"80FF80"),
         RegistryValue::String(u"80FF80")},
        {kConfigurationSection, u"Identity", byName(u"Identity"), fixed(u""), std::nullopt},
        {kConfigurationSection, u"AutoLogoff", byName(u"AutoLogoff"), fixed(u"120"),
         RegistryValue::Dword(120)},
        {kConfigurationSection, u"Preferences", byName(u"Preferences"), fixed(u"4369"),
         RegistryValue::Dword(0x1111)},
        {kGenerateSection, u"Length",
         [](Settings& s) { return text::FromInt(s.GetGenerateLength(8)); }, fixed(u"8"),
         RegistryValue::Dword(8)},
        {kGenerateSection, u"Preferences",
         [](Settings& s) { return text::FromInt(s.GetGeneratePreferences()); }, fixed(u"31"),
         RegistryValue::Dword(31)},
        {kGenerateSection, u"Special",
         [](Settings& s) { return s.GetGenerateSpecial(kDefaultGenerateSpecial); },
         fixed(kDefaultGenerateSpecial), RegistryValue::String(kDefaultGenerateSpecial)},
        {kToolbarSection, u"Preferences",
         [](Settings& s) { return text::FromInt(s.GetToolbarPreferences()); }, fixed(u"1"),
         RegistryValue::Dword(1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.section) + "\\" + text::ToUtf8(c.name));
        test::IsolatedEnvironment env;
        ui::ScriptedUi ui;
        Settings settings(Registry::Default());
        EXPECT_EQ(c.read(settings), c.expected(env));
        EXPECT_EQ(Stored(c.section, c.name), c.writtenBack);
        EXPECT_EQ(c.read(settings), c.expected(env));
        EXPECT_THAT(ui.Messages(), IsEmpty());
    }
}

TEST_F(ConfigurationTest, ValuesOfTheWrongTypeCountAsMissingAndAreOverwritten) {
    Store(kConfigurationSection, u"AutoLogoff", RegistryValue::String(u"30"));
    Store(kConfigurationSection, u"Preferences", RegistryValue::Binary({1, 2, 3, 4}));
    Store(kConfigurationSection, u"HighlightColor", RegistryValue::Dword(0xFF0000));
    Store(kConfigurationSection, u"WebLoginsFolder", RegistryValue::Dword(1));

    EXPECT_EQ(m_settings.GetAutoLogoff(), 120);
    EXPECT_EQ(Stored(kConfigurationSection, u"AutoLogoff"), RegistryValue::Dword(120));
    EXPECT_EQ(m_settings.GetPreferences(), pref::kDefault);
    EXPECT_EQ(Stored(kConfigurationSection, u"Preferences"), RegistryValue::Dword(0x1111));
    EXPECT_EQ(m_settings.GetHighlightColor(), u"80FF80");
    EXPECT_EQ(Stored(kConfigurationSection, u"HighlightColor"), RegistryValue::String(u"80FF80"));
    EXPECT_EQ(m_settings.GetRecordFolder(RecordKind::WebLogin), VaultRoot(m_env));
}

// The settings cache what they read, yet see every change at the next read: their own writes, a
// write through another connection to the same hive (another process), and a replaced hive file.
TEST_F(ConfigurationTest, CachedValuesFollowEveryChangeOfTheRegistry) {
    EXPECT_EQ(m_settings.GetAutoLogoff(), 120);
    ASSERT_TRUE(m_settings.SetAutoLogoff(5));
    EXPECT_EQ(m_settings.GetAutoLogoff(), 5);

    Registry other(m_env.RegistryFolder());
    ASSERT_TRUE(other.SetValue(Hive::CurrentUser, SectionKey(kConfigurationSection), u"AutoLogoff",
                               RegistryValue::Dword(30)));
    EXPECT_EQ(m_settings.GetAutoLogoff(), 30);
    EXPECT_EQ(m_settings.GetAutoLogoff(), 30);
    ASSERT_TRUE(
        other.DeleteValue(Hive::CurrentUser, SectionKey(kConfigurationSection), u"AutoLogoff"));
    EXPECT_EQ(m_settings.GetAutoLogoff(), 120);  // missing again: the default, written back
    EXPECT_EQ(Stored(kConfigurationSection, u"AutoLogoff"), RegistryValue::Dword(120));

    // A machine value appears in a hive file that did not exist at the first read.
    ASSERT_TRUE(m_settings.SetInstallPath(u""));
    EXPECT_EQ(m_settings.GetInstallPath(), DefaultInstallPath());
    ASSERT_TRUE(m_settings.SetInstallPath(u""));
    ASSERT_TRUE(other.SetValue(Hive::LocalMachine, SectionKey(kConfigurationSection),
                               u"InstallPath", RegistryValue::String(u"/opt/v")));
    EXPECT_EQ(m_settings.GetInstallPath(), u"/opt/v/");

    // The hive file replaced under the open connection.
    std::filesystem::remove(m_env.RegistryFolder() / "current_user.db");
    Registry replacement(m_env.RegistryFolder());
    ASSERT_TRUE(replacement.SetValue(Hive::CurrentUser, SectionKey(kConfigurationSection),
                                     u"Preferences", RegistryValue::Dword(7)));
    EXPECT_EQ(m_settings.GetPreferences(), 7u);
}

TEST_F(ConfigurationTest, LowLevelGettersCheckTheTypeAndLeaveTheOutputAloneOnFailure) {
    const std::u16string key = SectionKey(u"Test");
    ASSERT_TRUE(
        Registry::Default().SetValue(Hive::CurrentUser, key, u"Dword", RegistryValue::Dword(5)));
    ASSERT_TRUE(Registry::Default().SetValue(Hive::CurrentUser, key, u"Short",
                                             RegistryValue::Binary({1, 2})));
    RegistryValue expand = RegistryValue::String(u"x");
    expand.type = platform::ValueType::ExpandString;
    ASSERT_TRUE(Registry::Default().SetValue(Hive::CurrentUser, key, u"Expand", expand));
    ASSERT_TRUE(m_settings.SetConfigString(Hive::CurrentUser, key, u"Text", u"hello"));

    std::u16string text = u"untouched";
    EXPECT_FALSE(m_settings.GetConfigString(Hive::CurrentUser, key, u"Dword", text));
    EXPECT_FALSE(m_settings.GetConfigString(Hive::CurrentUser, key, u"Expand", text));
    EXPECT_FALSE(m_settings.GetConfigString(Hive::CurrentUser, key, u"Missing", text));
    EXPECT_EQ(text, u"untouched");
    EXPECT_TRUE(m_settings.GetConfigString(Hive::CurrentUser, key, u"text", text));
    EXPECT_EQ(text, u"hello");

    std::uint32_t number = 99;
    EXPECT_FALSE(m_settings.GetConfigDword(Hive::CurrentUser, key, u"Text", number));
    EXPECT_FALSE(m_settings.GetConfigDword(Hive::CurrentUser, key, u"Short", number));
    EXPECT_EQ(number, 99u);
    EXPECT_TRUE(m_settings.GetConfigDword(Hive::CurrentUser, key, u"Dword", number));
    EXPECT_EQ(number, 5u);
}

TEST_F(ConfigurationTest, SetConfigStringWithNullsDeletesAValueOrTheWholeTree) {
    const std::u16string key = SectionKey(kIdentitiesSection, u"Ann");
    ASSERT_TRUE(m_settings.SetConfigString(Hive::CurrentUser, key, u"CCC", u"Work"));
    ASSERT_TRUE(m_settings.SetConfigString(Hive::CurrentUser, key, u"CBA", u"Checking"));
    ASSERT_TRUE(m_settings.SetConfigString(Hive::CurrentUser, key + u"\\Nested", u"X", u"y"));

    EXPECT_TRUE(m_settings.SetConfigString(Hive::CurrentUser, key, u"CCC", std::nullopt));
    std::u16string value;
    EXPECT_FALSE(m_settings.GetConfigString(Hive::CurrentUser, key, u"CCC", value));
    EXPECT_TRUE(m_settings.GetConfigString(Hive::CurrentUser, key, u"CBA", value));
    EXPECT_FALSE(m_settings.SetConfigString(Hive::CurrentUser, key, u"CCC", std::nullopt));

    EXPECT_TRUE(m_settings.SetConfigString(Hive::CurrentUser, key, std::nullopt, std::nullopt));
    EXPECT_FALSE(Registry::Default().KeyExists(Hive::CurrentUser, key));
    EXPECT_FALSE(Registry::Default().KeyExists(Hive::CurrentUser, key + u"\\Nested"));
    EXPECT_TRUE(Registry::Default().KeyExists(Hive::CurrentUser, SectionKey(kIdentitiesSection)));
}

TEST_F(ConfigurationTest, DataPathIsCreatedOnFirstUseAndEmptyCountsAsMissing) {
    EXPECT_EQ(m_settings.GetDataPath(), VaultRoot(m_env));
    EXPECT_TRUE(std::filesystem::is_directory(m_env.VaultFolder()));

    ASSERT_TRUE(m_settings.SetDataPath(u""));
    EXPECT_EQ(m_settings.GetDataPath(), VaultRoot(m_env));
    ASSERT_TRUE(m_settings.SetDataPath(u"/media/stick/Data"));
    EXPECT_EQ(m_settings.GetDataPath(), u"/media/stick/Data");
    EXPECT_EQ(m_settings.GetRecordFolder(RecordKind::SecureNote), u"/media/stick/Data");
    EXPECT_THAT(m_ui.Messages(), IsEmpty());
}

TEST_F(ConfigurationTest, TheDataRootIsPrivateToTheUser) {
    const mode_t oldMask = umask(022);
    EXPECT_EQ(m_settings.GetDataPath(), VaultRoot(m_env));
    umask(oldMask);
    const auto mode = [](const std::filesystem::path& path) {
        return std::filesystem::status(path).permissions() & std::filesystem::perms::mask;
    };
    EXPECT_EQ(mode(m_env.VaultFolder()), std::filesystem::perms::owner_all);
    EXPECT_EQ(mode(m_env.VaultFolder().parent_path()), std::filesystem::perms::owner_all);

    // A root an older version left open to everybody is closed at the next use.
    std::filesystem::permissions(m_env.VaultFolder(), std::filesystem::perms(0755));
    EXPECT_EQ(m_settings.GetDataPath(), VaultRoot(m_env));
    EXPECT_EQ(mode(m_env.VaultFolder()), std::filesystem::perms::owner_all);
}

TEST_F(ConfigurationTest, DataFolderThatCannotBeCreatedFallsBackToTheInstallPath) {
    // A "%s" in the folder's path must not be taken for a placeholder of the message.
    const auto dataHome = m_env.Root() / "data %s";
    std::filesystem::create_directories(dataHome);
    test::ScopedEnv xdg("XDG_DATA_HOME", dataHome.string());
    test::WriteFileBytes(dataHome / "Orvane", "not a folder");
    ASSERT_TRUE(m_settings.SetInstallPath(u"/opt/veltrix"));

    EXPECT_EQ(m_settings.GetDataPath(), u"/opt/veltrix/");
    EXPECT_THAT(m_ui.MessageTexts(), ElementsAre(u"Unable to create folder '" +
                                                 U(dataHome / "Orvane") + u"': File exists"));
}

TEST_F(ConfigurationTest, UnusableUserDataFolderFallsBackSilently) {
    const auto file = m_env.Root() / "plain-file";
    test::WriteFileBytes(file, "x");
    test::ScopedEnv dataHome("XDG_DATA_HOME", file.string());
    EXPECT_EQ(m_settings.GetDataPath(), DefaultInstallPath());
    EXPECT_THAT(m_ui.Messages(), IsEmpty());
}

TEST_F(ConfigurationTest, FolderValuesAreReturnedWithATrailingSlash) {
    ASSERT_TRUE(m_settings.SetRecordFolder(RecordKind::Identity, u"/media/stick/Identities"));
    ASSERT_TRUE(m_settings.SetRecordFolder(RecordKind::WebLogin, u"/media/stick/Web/"));
    ASSERT_TRUE(m_settings.SetRecordFolder(RecordKind::SecureNote, u""));
    EXPECT_EQ(m_settings.GetRecordFolder(RecordKind::Identity), u"/media/stick/Identities/");
    EXPECT_EQ(m_settings.GetRecordFolder(RecordKind::WebLogin), u"/media/stick/Web/");
    EXPECT_EQ(m_settings.GetRecordFolder(RecordKind::SecureNote), VaultRoot(m_env));
    EXPECT_EQ(m_settings.GetRecordFolder(RecordKind::Options), u"");
    EXPECT_FALSE(m_settings.SetRecordFolder(RecordKind::None, u"/x"));
}

TEST_F(ConfigurationTest, InstallPathComesFromTheUserThenTheMachine) {
    Store(kConfigurationSection, u"InstallPath", RegistryValue::String(u"/usr/lib/veltrix"),
          Hive::LocalMachine);
    EXPECT_EQ(m_settings.GetInstallPath(), u"/usr/lib/veltrix/");
    EXPECT_EQ(Stored(kConfigurationSection, u"InstallPath"), std::nullopt);

    Store(kConfigurationSection, u"InstallPath", RegistryValue::String(u""));
    EXPECT_EQ(m_settings.GetInstallPath(), u"/usr/lib/veltrix/");
    ASSERT_TRUE(m_settings.SetInstallPath(u"/media/stick/Program/"));
    EXPECT_EQ(m_settings.GetInstallPath(), u"/media/stick/Program/");
}

TEST_F(ConfigurationTest, SettersStoreWhatGettersReturn) {
    ASSERT_TRUE(m_settings.SetHighlightColor(0x80, 0xFF, 0x80));
    EXPECT_EQ(m_settings.GetHighlightColor(), u"80FF80");
    ASSERT_TRUE(m_settings.SetHighlightColor(0x00, 0x0A, 0xFF));
    EXPECT_EQ(m_settings.GetHighlightColor(), u"000AFF");

    ASSERT_TRUE(m_settings.SetAutoLogoff(-1));
    EXPECT_EQ(m_settings.GetAutoLogoff(), -1);
    ASSERT_TRUE(m_settings.SetPreferences(pref::kRunInTray | pref::kAutoFillForms));
    EXPECT_EQ(m_settings.GetPreferences(), 0x80000002u);
    ASSERT_TRUE(m_settings.SetCurrentIdentity(u"Ann Lee"));
    EXPECT_EQ(m_settings.GetCurrentIdentity(), u"Ann Lee");
    ASSERT_TRUE(m_settings.SetExportToFolder(u"/media/stick"));
    EXPECT_EQ(m_settings.GetExportToFolder(), u"/media/stick");

    // A caller-supplied default applies only while the value is missing.
    EXPECT_EQ(m_settings.GetGenerateLength(12), 12u);
    EXPECT_EQ(m_settings.GetGenerateLength(8), 12u);
    ASSERT_TRUE(m_settings.SetGenerateSpecial(u"#$"));
    EXPECT_EQ(m_settings.GetGenerateSpecial(kDefaultGenerateSpecial), u"#$");
    ASSERT_TRUE(m_settings.SetToolbarPreferences(0));
    EXPECT_EQ(m_settings.GetToolbarPreferences(), 0u);
}

TEST_F(ConfigurationTest, ValuesByNameParseAndValidateTheirText) {
    struct Case {
        std::u16string_view name;
        std::u16string_view text;
        SetValueResult result;
        std::u16string_view readBack;  // empty: not checked
    };
    const Case cases[] = {
        {u"Preferences", u"0x1234", SetValueResult::Ok, u"4660"},
        {u"preferences", u"4294967295", SetValueResult::Ok, u"4294967295"},
        {u"Preferences", u"4294967296", SetValueResult::InvalidValue, u"4294967295"},
        {u"AutoLogoff", u"-5", SetValueResult::Ok, u"-5"},
        {u"AutoLogoff", u"abc", SetValueResult::InvalidValue, u"-5"},
        {u"AutoLogoff", u"", SetValueResult::InvalidValue, u"-5"},
        {u"AutoLogoff", u"12 ", SetValueResult::InvalidValue, u"-5"},
        {u"AutoLogoff", u"-2147483648", SetValueResult::Ok, u"-2147483648"},
        {u"AutoLogoff", u"-2147483649", SetValueResult::InvalidValue, u"-2147483648"},
        {u"AutoLogoff", u"+0000000007", SetValueResult::Ok, u"7"},
        {u"AutoLogoff", u"00000000007", SetValueResult::InvalidValue, u"7"},
        {u"Preferences", u"0x", SetValueResult::InvalidValue, u"4294967295"},
        {u"Preferences", u"0x-1", SetValueResult::InvalidValue, u"4294967295"},
        {u"Preferences", u"0x100000000", SetValueResult::InvalidValue, u"4294967295"},
        {u"HighlightColor", u"00ff7f", SetValueResult::Ok, u"00FF7F"},
        {u"HighlightColor", u"green!", SetValueResult::InvalidValue, u"00FF7F"},
        {u"HighlightColor", u"FFF", SetValueResult::InvalidValue, u"00FF7F"},
        {u"WebLoginsFolder", u"/srv/web", SetValueResult::Ok, u"/srv/web/"},
        {u"Identity", u"Ann Lee", SetValueResult::Ok, u"Ann Lee"},
        {u"NoSuchValue", u"1", SetValueResult::UnknownName, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.name) + "=" + text::ToUtf8(c.text));
        EXPECT_EQ(m_settings.SetConfigurationValue(c.name, c.text), c.result);
        if (!c.readBack.empty()) {
            EXPECT_EQ(m_settings.GetConfigurationValue(c.name), c.readBack);
        }
    }
    EXPECT_EQ(m_settings.GetConfigurationValue(u"NoSuchValue"), std::nullopt);
}

TEST_F(ConfigurationTest, ExcludedSitesAreKeyedBySite) {
    EXPECT_TRUE(m_settings.AddExcludedSite(u"https://www.example.com/login"));
    EXPECT_TRUE(m_settings.AddExcludedSite(u"http://example.com/other?x=1"));
    EXPECT_TRUE(m_settings.AddExcludedSite(u"https://bank.test:8443/"));
    EXPECT_THAT(m_settings.ListExcludedSites(), ElementsAre(u"bank.test:8443", u"example.com"));

    EXPECT_TRUE(m_settings.IsExcludedSite(u"https://example.com/anything"));
    EXPECT_FALSE(m_settings.IsExcludedSite(u"https://example.com:8080/"));
    EXPECT_FALSE(m_settings.IsExcludedSite(u"https://example.org/"));
    // An address without a site never matches, though the section key exists.
    EXPECT_FALSE(m_settings.IsExcludedSite(u"http:///x"));
    EXPECT_FALSE(m_settings.AddExcludedSite(u"http:///x"));

    EXPECT_TRUE(m_settings.RemoveExcludedSite(u"example.com"));
    EXPECT_FALSE(m_settings.RemoveExcludedSite(u"example.com"));
    EXPECT_FALSE(m_settings.RemoveExcludedSite(u""));
    EXPECT_FALSE(m_settings.IsExcludedSite(u"https://www.example.com/login"));
    EXPECT_THAT(m_settings.ListExcludedSites(), ElementsAre(u"bank.test:8443"));
}

TEST_F(ConfigurationTest, IdentityChoicesArePerIdentity) {
    EXPECT_EQ(m_settings.GetIdentityCreditCard(u"Ann Lee"), u"");
    ASSERT_TRUE(m_settings.SetIdentityCreditCard(u"Ann Lee", u"Work"));
    ASSERT_TRUE(m_settings.SetIdentityBankAccount(u"Ann Lee", u"Checking"));
    ASSERT_TRUE(m_settings.SetIdentityCreditCard(u"Bob", u"Home"));
    EXPECT_EQ(m_settings.GetIdentityCreditCard(u"Ann Lee"), u"Work");
    EXPECT_EQ(m_settings.GetIdentityBankAccount(u"Ann Lee"), u"Checking");
    EXPECT_EQ(m_settings.GetIdentityBankAccount(u"Bob"), u"");

    EXPECT_TRUE(m_settings.DeleteIdentityChoices(u"Ann Lee"));
    EXPECT_FALSE(m_settings.DeleteIdentityChoices(u""));
    EXPECT_EQ(m_settings.GetIdentityCreditCard(u"Ann Lee"), u"");
    EXPECT_EQ(m_settings.GetIdentityCreditCard(u"Bob"), u"Home");
    EXPECT_FALSE(Registry::Default().KeyExists(Hive::CurrentUser,
                                               SectionKey(kIdentitiesSection, u"Ann Lee")));
}

TEST_F(ConfigurationTest, ExportWritesTheConfigurationTreeThroughTheRegistryEditor) {
    ASSERT_TRUE(std::filesystem::exists(test::ProgramFolder() / "vtxreg"));
    ASSERT_TRUE(m_settings.SetCurrentIdentity(u"Ann Lee"));
    ASSERT_TRUE(m_settings.AddExcludedSite(u"https://example.com/"));
    const auto file = m_env.Root() / "Veltrix.reg";

    ASSERT_TRUE(m_settings.ExportConfiguration(U(file)));
    const std::string bytes = test::ReadFileBytes(file);
    ASSERT_GE(bytes.size(), 2u);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::u16string exported = bytes.starts_with("\xFF\xFE")
                                        ? text::FromUtf16Le({data + 2, bytes.size() - 2})
                                        : text::FromUtf8(bytes);
    EXPECT_THAT(text::ToUtf8(exported), HasSubstr("HKEY_CURRENT_USER\\Software\\Orvane\\Veltrix"));
    EXPECT_THAT(text::ToUtf8(exported), HasSubstr("Ann Lee"));
    EXPECT_THAT(text::ToUtf8(exported), HasSubstr("Excluded URLs\\example.com"));
}

TEST_F(ConfigurationTest, ExportFailsWhenTheFileCannotBeWritten) {
    ASSERT_TRUE(m_settings.SetCurrentIdentity(u"Ann Lee"));
    const auto file = m_env.Root() / "no such folder" / "Veltrix.reg";
    EXPECT_FALSE(m_settings.ExportConfiguration(U(file)));
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace veltrix::config
