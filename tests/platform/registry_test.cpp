#include "platform/registry.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/process.h"
#include "platform/text.h"
#include "tests/platform/registry_stress.h"
#include "tests/support/test_environment.h"

namespace veltrix::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr Hive kUser = Hive::CurrentUser;

class RegistryTest : public ::testing::Test {
protected:
    test::IsolatedEnvironment env;
    Registry registry{env.RegistryFolder()};
};

std::vector<std::u16string> ValueNames(const std::vector<NamedValue>& values) {
    std::vector<std::u16string> names;
    for (const auto& value : values) {
        names.push_back(value.name);
    }
    return names;
}

// ---- Values ----

TEST(RegistryValueTest, StringIsUtf16LeWithTerminator) {
    const RegistryValue value = RegistryValue::String(u"Aé");
    EXPECT_EQ(value.type, ValueType::String);
    EXPECT_EQ(value.data, (std::vector<std::uint8_t>{'A', 0, 0xE9, 0, 0, 0}));
    EXPECT_EQ(value.AsString(), u"Aé");
    EXPECT_EQ(RegistryValue::String(u"").data, (std::vector<std::uint8_t>{0, 0}));
}

TEST(RegistryValueTest, AsStringStopsAtTheFirstZeroAndAcceptsExpandStrings) {
    RegistryValue value{ValueType::ExpandString, {'a', 0, 0, 0, 'b', 0, 0, 0}};
    EXPECT_EQ(value.AsString(), u"a");
    value.data = {'x', 0, 'y'};  // no terminator, odd length
    EXPECT_EQ(value.AsString(), u"x");
    EXPECT_EQ(RegistryValue::Dword(5).AsString(), std::nullopt);
    EXPECT_EQ(RegistryValue::Binary({'a', 0, 0, 0}).AsString(), std::nullopt);
}

TEST(RegistryValueTest, DwordIsFourBytesLittleEndian) {
    const RegistryValue value = RegistryValue::Dword(0x12345678);
    EXPECT_EQ(value.data, (std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(value.AsDword(), 0x12345678u);
    EXPECT_EQ(RegistryValue::Dword(0xFFFFFFFF).AsDword(), 0xFFFFFFFFu);
    EXPECT_EQ((RegistryValue{ValueType::Dword, {1, 2, 3}}).AsDword(), std::nullopt);
    EXPECT_EQ(RegistryValue::Binary({1, 0, 0, 0}).AsDword(), std::nullopt);
    EXPECT_EQ(RegistryValue::String(u"7").AsDword(), std::nullopt);
}

TEST(HiveNameTest, FullAndShortNamesInAnyCase) {
    EXPECT_EQ(HiveName(Hive::LocalMachine), u"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(HiveFromName(u"HKEY_CURRENT_USER"), Hive::CurrentUser);
    EXPECT_EQ(HiveFromName(u"hkey_classes_root"), Hive::ClassesRoot);
    EXPECT_EQ(HiveFromName(u"HKLM"), Hive::LocalMachine);
    EXPECT_EQ(HiveFromName(u"hkcu"), Hive::CurrentUser);
    EXPECT_EQ(HiveFromName(u"HKEY_USERS"), std::nullopt);
    EXPECT_EQ(HiveFromName(u""), std::nullopt);
    for (Hive hive : {Hive::CurrentUser, Hive::LocalMachine, Hive::ClassesRoot}) {
        EXPECT_EQ(HiveFromName(HiveName(hive)), hive);
    }
}

// ---- Keys ----

TEST_F(RegistryTest, EmptyRegistryReadsNothingAndCreatesNoFiles) {
    EXPECT_FALSE(registry.KeyExists(kUser, u"Software"));
    EXPECT_THAT(registry.EnumKeys(kUser, u""), IsEmpty());
    EXPECT_THAT(registry.EnumValues(kUser, u"Software"), IsEmpty());
    EXPECT_EQ(registry.GetValue(kUser, u"Software", u"x"), std::nullopt);
    EXPECT_FALSE(registry.DeleteValue(kUser, u"Software", u"x"));
    EXPECT_FALSE(registry.DeleteKeyTree(kUser, u"Software"));
    EXPECT_TRUE(std::filesystem::is_empty(env.RegistryFolder()));
}

TEST_F(RegistryTest, CreateKeyMakesMissingParents) {
    ASSERT_TRUE(registry.CreateKey(kUser, u"Software\\Orvane\\Veltrix"));
    EXPECT_TRUE(registry.KeyExists(kUser, u"Software"));
    EXPECT_TRUE(registry.KeyExists(kUser, u"Software\\Orvane"));
    EXPECT_TRUE(registry.KeyExists(kUser, u"Software\\Orvane\\Veltrix"));
    EXPECT_FALSE(registry.KeyExists(kUser, u"Software\\Orvane\\Veltrix\\Missing"));
    EXPECT_TRUE(registry.CreateKey(kUser, u"Software\\Orvane"));  // existing key: still true
    EXPECT_TRUE(registry.KeyExists(kUser, u""));                  // the root always exists
}

TEST_F(RegistryTest, EmptyPathComponentsAreIgnored) {
    ASSERT_TRUE(registry.CreateKey(kUser, u"\\A\\\\B\\"));
    EXPECT_TRUE(registry.KeyExists(kUser, u"A\\B"));
    EXPECT_THAT(registry.EnumKeys(kUser, u"A\\"), ElementsAre(u"B"));
    EXPECT_THAT(registry.EnumKeys(kUser, u""), ElementsAre(u"A"));
}

TEST_F(RegistryTest, KeysCompareWithoutCaseAndKeepTheirFirstSpelling) {
    ASSERT_TRUE(registry.CreateKey(kUser, u"Software\\Orvane"));
    ASSERT_TRUE(registry.CreateKey(kUser, u"SOFTWARE\\orvane\\Ärger"));
    EXPECT_TRUE(registry.KeyExists(kUser, u"software\\ORVANE\\ärger"));
    EXPECT_THAT(registry.EnumKeys(kUser, u""), ElementsAre(u"Software"));
    EXPECT_THAT(registry.EnumKeys(kUser, u"software\\orvane"), ElementsAre(u"Ärger"));
}

TEST_F(RegistryTest, EnumKeysListsDirectSubkeysSortedWithoutCase) {
    for (const char16_t* name : {u"b", u"A", u"c\\deep", u"B2"}) {
        ASSERT_TRUE(registry.CreateKey(kUser, std::u16string(u"Root\\") + name));
    }
    EXPECT_THAT(registry.EnumKeys(kUser, u"Root"), ElementsAre(u"A", u"b", u"B2", u"c"));
    EXPECT_THAT(registry.EnumKeys(kUser, u"Missing"), IsEmpty());
}

TEST_F(RegistryTest, HivesAreSeparate) {
    ASSERT_TRUE(registry.SetValue(Hive::LocalMachine, u"Software", u"v", RegistryValue::Dword(1)));
    ASSERT_TRUE(registry.CreateKey(Hive::ClassesRoot, u"CLSID"));
    EXPECT_FALSE(registry.KeyExists(kUser, u"Software"));
    EXPECT_FALSE(registry.KeyExists(Hive::LocalMachine, u"CLSID"));
    EXPECT_EQ(registry.GetValue(Hive::LocalMachine, u"software", u"V"), RegistryValue::Dword(1));
}

// ---- Values ----

TEST_F(RegistryTest, TypedValuesRoundTrip) {
    const std::vector<NamedValue> values = {
        {u"", RegistryValue::String(u"default")},
        {u"Binary", RegistryValue::Binary({0, 1, 2, 0xFF})},
        {u"Dword", RegistryValue::Dword(120)},
        {u"Empty", RegistryValue::Binary({})},
        {u"Expand", RegistryValue{ValueType::ExpandString, {'%', 0, 'x', 0, 0, 0}}},
        {u"Multi", RegistryValue{ValueType::MultiString, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}}},
        {u"None", RegistryValue{ValueType::None, {9}}},
        {u"Text", RegistryValue::String(u"c:\\Program Files\\\"x\" ñ 中")},
    };
    for (const auto& value : values) {
        ASSERT_TRUE(registry.SetValue(kUser, u"Key", value.name, value.value));
    }
    for (const auto& value : values) {
        EXPECT_EQ(registry.GetValue(kUser, u"Key", value.name), value.value);
    }
    const auto listed = registry.EnumValues(kUser, u"Key");
    ASSERT_EQ(listed.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(listed[i].name, values[i].name);
        EXPECT_EQ(listed[i].value, values[i].value);
    }
}

TEST_F(RegistryTest, SetValueCreatesTheKeyAndOverwritesKeepingTheNameSpelling) {
    ASSERT_TRUE(registry.SetValue(kUser, u"A\\B", u"Length", RegistryValue::Dword(8)));
    EXPECT_TRUE(registry.KeyExists(kUser, u"A\\B"));
    ASSERT_TRUE(registry.SetValue(kUser, u"a\\b", u"LENGTH", RegistryValue::String(u"x")));
    EXPECT_EQ(registry.GetValue(kUser, u"A\\B", u"length"), RegistryValue::String(u"x"));
    EXPECT_THAT(ValueNames(registry.EnumValues(kUser, u"A\\B")), ElementsAre(u"Length"));
}

TEST_F(RegistryTest, ValuesAreSortedWithoutCase) {
    for (const char16_t* name : {u"b", u"A", u"C", u""}) {
        ASSERT_TRUE(registry.SetValue(kUser, u"K", name, RegistryValue::Dword(0)));
    }
    EXPECT_THAT(ValueNames(registry.EnumValues(kUser, u"K")), ElementsAre(u"", u"A", u"b", u"C"));
}

TEST_F(RegistryTest, DeleteValueRemovesOnlyThatValue) {
    ASSERT_TRUE(registry.SetValue(kUser, u"K", u"keep", RegistryValue::Dword(1)));
    ASSERT_TRUE(registry.SetValue(kUser, u"K", u"Gone", RegistryValue::Dword(2)));
    EXPECT_TRUE(registry.DeleteValue(kUser, u"k", u"GONE"));
    EXPECT_FALSE(registry.DeleteValue(kUser, u"K", u"Gone"));
    EXPECT_FALSE(registry.DeleteValue(kUser, u"Missing", u"keep"));
    EXPECT_EQ(registry.GetValue(kUser, u"K", u"Gone"), std::nullopt);
    EXPECT_EQ(registry.GetValue(kUser, u"K", u"keep"), RegistryValue::Dword(1));
    EXPECT_TRUE(registry.KeyExists(kUser, u"K"));
}

// ---- Key deletion ----

TEST_F(RegistryTest, DeleteKeyTreeRemovesEverythingBelowAndNothingElse) {
    ASSERT_TRUE(registry.SetValue(kUser, u"P\\A", u"v", RegistryValue::Dword(1)));
    ASSERT_TRUE(registry.SetValue(kUser, u"P\\A\\X\\Y", u"v", RegistryValue::Dword(2)));
    ASSERT_TRUE(registry.SetValue(kUser, u"P\\AB", u"v", RegistryValue::Dword(3)));
    ASSERT_TRUE(registry.SetValue(kUser, u"P", u"v", RegistryValue::Dword(4)));

    EXPECT_TRUE(registry.DeleteKeyTree(kUser, u"p\\a"));
    EXPECT_FALSE(registry.KeyExists(kUser, u"P\\A"));
    EXPECT_FALSE(registry.KeyExists(kUser, u"P\\A\\X\\Y"));
    EXPECT_THAT(registry.EnumKeys(kUser, u"P"), ElementsAre(u"AB"));
    EXPECT_EQ(registry.GetValue(kUser, u"P\\AB", u"v"), RegistryValue::Dword(3));
    EXPECT_EQ(registry.GetValue(kUser, u"P", u"v"), RegistryValue::Dword(4));
    EXPECT_FALSE(registry.DeleteKeyTree(kUser, u"P\\A"));
}

TEST_F(RegistryTest, RecreatedKeyStartsEmpty) {
    ASSERT_TRUE(registry.SetValue(kUser, u"K\\Sub", u"v", RegistryValue::Dword(1)));
    ASSERT_TRUE(registry.DeleteKeyTree(kUser, u"K"));
    ASSERT_TRUE(registry.CreateKey(kUser, u"K\\Sub"));
    EXPECT_THAT(registry.EnumValues(kUser, u"K\\Sub"), IsEmpty());
    EXPECT_EQ(registry.GetValue(kUser, u"K\\Sub", u"v"), std::nullopt);
}

TEST_F(RegistryTest, HiveRootCannotBeDeleted) {
    ASSERT_TRUE(registry.CreateKey(kUser, u"K"));
    EXPECT_FALSE(registry.DeleteKeyTree(kUser, u""));
    EXPECT_FALSE(registry.DeleteKeyTree(kUser, u"\\"));
    EXPECT_TRUE(registry.KeyExists(kUser, u"K"));
}

// ---- Machine hives read-only ----

void ExpectMachineWritesRefused(Registry& registry) {
    EXPECT_TRUE(registry.IsMachineReadOnly());
    for (Hive hive : {Hive::LocalMachine, Hive::ClassesRoot}) {
        EXPECT_FALSE(registry.CreateKey(hive, u"New"));
        EXPECT_FALSE(registry.SetValue(hive, u"Old", u"v", RegistryValue::Dword(2)));
        EXPECT_FALSE(registry.DeleteValue(hive, u"Old", u"v"));
        EXPECT_FALSE(registry.DeleteKeyTree(hive, u"Old"));
        EXPECT_FALSE(registry.KeyExists(hive, u"New"));
        EXPECT_EQ(registry.GetValue(hive, u"Old", u"v"), RegistryValue::Dword(1));
    }
    EXPECT_TRUE(registry.SetValue(kUser, u"Old", u"v", RegistryValue::Dword(2)));
}

class MachineReadOnlyTest : public RegistryTest {
protected:
    void SetUp() override {
        for (Hive hive : {Hive::LocalMachine, Hive::ClassesRoot}) {
            ASSERT_TRUE(registry.SetValue(hive, u"Old", u"v", RegistryValue::Dword(1)));
        }
    }
};

TEST_F(MachineReadOnlyTest, SwitchRefusesMachineWritesUntilCleared) {
    registry.SetMachineReadOnly(true);
    ExpectMachineWritesRefused(registry);
    registry.SetMachineReadOnly(false);
    EXPECT_FALSE(registry.IsMachineReadOnly());
    EXPECT_TRUE(registry.SetValue(Hive::LocalMachine, u"Old", u"v", RegistryValue::Dword(3)));
}

TEST_F(MachineReadOnlyTest, EnvironmentVariableRefusesMachineWrites) {
    {
        test::ScopedEnv readOnly("VELTRIX_REGISTRY_MACHINE_READONLY", "1");
        ExpectMachineWritesRefused(registry);
    }
    test::ScopedEnv other("VELTRIX_REGISTRY_MACHINE_READONLY", "0");
    EXPECT_FALSE(registry.IsMachineReadOnly());
    EXPECT_TRUE(registry.CreateKey(Hive::ClassesRoot, u"New"));
}

// ---- Files and folders ----

TEST_F(RegistryTest, FolderIsCreatedOnFirstWrite) {
    const auto folder = env.Root() / "not" / "yet" / "there";
    Registry fresh(folder);
    EXPECT_FALSE(fresh.KeyExists(kUser, u"K"));
    EXPECT_FALSE(std::filesystem::exists(folder));
    ASSERT_TRUE(fresh.SetValue(kUser, u"K", u"v", RegistryValue::Dword(1)));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(fresh.Folder(), folder);
}

TEST_F(RegistryTest, UnusableFolderFailsWithoutThrowing) {
    const auto file = env.Root() / "plain-file";
    test::WriteFileBytes(file, "x");
    Registry broken(file / "registry");
    EXPECT_FALSE(broken.CreateKey(kUser, u"K"));
    EXPECT_FALSE(broken.SetValue(kUser, u"K", u"v", RegistryValue::Dword(1)));
    EXPECT_FALSE(broken.KeyExists(kUser, u"K"));
    EXPECT_THAT(broken.EnumKeys(kUser, u""), IsEmpty());
}

TEST_F(RegistryTest, RemovedFolderStartsAgainEmpty) {
    ASSERT_TRUE(registry.SetValue(kUser, u"K", u"v", RegistryValue::Dword(1)));
    std::filesystem::remove_all(env.RegistryFolder());
    EXPECT_FALSE(registry.KeyExists(kUser, u"K"));
    ASSERT_TRUE(registry.SetValue(kUser, u"K2", u"v", RegistryValue::Dword(2)));
    // The write went to the new file, where a second reader finds it.
    Registry other(env.RegistryFolder());
    EXPECT_EQ(other.GetValue(kUser, u"K2", u"v"), RegistryValue::Dword(2));
    EXPECT_FALSE(other.KeyExists(kUser, u"K"));
}

// ---- The process's registry ----

TEST(RegistryDefaultTest, FolderFollowsTheEnvironment) {
    test::IsolatedEnvironment env;
    EXPECT_EQ(Registry::DefaultFolder(), env.RegistryFolder());
    {
        test::ScopedEnv noRegistry("VELTRIX_REGISTRY", std::nullopt);
        EXPECT_EQ(Registry::DefaultFolder(), env.Root() / "config" / "veltrix" / "registry");
        test::ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(Registry::DefaultFolder(), env.Home() / ".config" / "veltrix" / "registry");
    }
    const auto elsewhere = env.Root() / "elsewhere";
    test::ScopedEnv moved("VELTRIX_REGISTRY", elsewhere.string());
    EXPECT_EQ(Registry::DefaultFolder(), elsewhere);
}

TEST(RegistryDefaultTest, OneRegistryPerFolder) {
    test::IsolatedEnvironment env;
    Registry& first = Registry::Default();
    EXPECT_EQ(&Registry::Default(), &first);
    EXPECT_EQ(first.Folder(), env.RegistryFolder());
    ASSERT_TRUE(first.SetValue(kUser, u"K", u"v", RegistryValue::Dword(1)));

    const auto elsewhere = env.Root() / "elsewhere";
    test::ScopedEnv moved("VELTRIX_REGISTRY", elsewhere.string());
    Registry& second = Registry::Default();
    EXPECT_NE(&second, &first);
    EXPECT_EQ(second.Folder(), elsewhere);
    EXPECT_FALSE(second.KeyExists(kUser, u"K"));
}

// ---- Sharing ----

TEST_F(RegistryTest, TwoRegistriesOnOneFolderSeeEachOthersWrites) {
    Registry other(env.RegistryFolder());
    ASSERT_TRUE(registry.SetValue(kUser, u"K\\Sub", u"v", RegistryValue::Dword(1)));
    EXPECT_EQ(other.GetValue(kUser, u"K\\Sub", u"v"), RegistryValue::Dword(1));
    ASSERT_TRUE(other.SetValue(kUser, u"K\\Sub", u"v", RegistryValue::Dword(2)));
    EXPECT_EQ(registry.GetValue(kUser, u"K\\Sub", u"v"), RegistryValue::Dword(2));
    ASSERT_TRUE(other.DeleteKeyTree(kUser, u"K"));
    EXPECT_FALSE(registry.KeyExists(kUser, u"K\\Sub"));
    EXPECT_EQ(registry.GetValue(kUser, u"K\\Sub", u"v"), std::nullopt);
}

TEST_F(RegistryTest, ThreadsShareOneRegistry) {
    constexpr int kThreads = 4;
    constexpr int kValues = 50;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kValues; ++i) {
                const auto key = u"Threads\\T" + text::FromInt(t);
                const auto value = RegistryValue::Dword(static_cast<std::uint32_t>(i));
                if (!registry.SetValue(kUser, key, u"v" + text::FromInt(i), value) ||
                    registry.GetValue(kUser, key, u"v" + text::FromInt(i)) != value) {
                    ++failures;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, 0);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(registry.EnumValues(kUser, u"Threads\\T" + text::FromInt(t)).size(),
                  static_cast<std::size_t>(kValues));
    }
}

// Several registry_writer processes at once: every distinct value arrives, each writer's own
// read-modify-write counter counts every round, and no reader ever sees a torn blob.
TEST_F(RegistryTest, ConcurrentProcessesLoseNoWritesAndTearNoValues) {
    constexpr unsigned kWriters = 4;
    constexpr unsigned kRounds = 120;
    const auto program = test::ProgramFolder() / "registry_writer";
    ASSERT_TRUE(std::filesystem::exists(program));

    std::atomic<bool> writing{true};
    std::atomic<int> tornReads{0};
    std::thread reader([&] {
        Registry own(env.RegistryFolder());
        while (writing) {
            auto blob = own.GetValue(kUser, test::stress::kSharedKey, test::stress::kBlobName);
            if (blob && !test::stress::IsWholePattern(blob->data)) {
                ++tornReads;
            }
        }
    });
    std::vector<ProcessResult> results(kWriters);
    std::vector<std::thread> writers;
    for (unsigned id = 0; id < kWriters; ++id) {
        writers.emplace_back([&, id] {
            results[id] = RunProcess(
                program,
                {env.RegistryFolder().string(), std::to_string(id), std::to_string(kRounds)},
                120000);
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    writing = false;
    reader.join();

    EXPECT_EQ(tornReads, 0);
    for (unsigned id = 0; id < kWriters; ++id) {
        SCOPED_TRACE("writer " + std::to_string(id));
        EXPECT_EQ(results[id].status, ProcessResult::Status::Exited);
        EXPECT_EQ(results[id].exitCode, 0);
        const auto values = registry.EnumValues(kUser, test::stress::WriterKey(id));
        EXPECT_EQ(values.size(), kRounds);
        for (unsigned round = 0; round < kRounds; ++round) {
            EXPECT_EQ(registry.GetValue(kUser, test::stress::WriterKey(id),
                                        test::stress::ValueName(round)),
                      RegistryValue::String(test::stress::ValueText(id, round)));
        }
        const auto counter =
            registry.GetValue(kUser, test::stress::kCountersKey, test::stress::CounterName(id));
        ASSERT_TRUE(counter.has_value());
        EXPECT_EQ(counter->AsDword(), kRounds);
    }
    const auto blob = registry.GetValue(kUser, test::stress::kSharedKey, test::stress::kBlobName);
    ASSERT_TRUE(blob.has_value());
    EXPECT_TRUE(test::stress::IsWholePattern(blob->data));
}

}  // namespace
}  // namespace veltrix::platform
