#include "platform/com/registrar.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/platform/registry_tree.h"
#include "tests/support/test_environment.h"

namespace veltrix::com {
namespace {

using platform::Hive;
using platform::RegistryValue;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RegistrarTest : public ::testing::Test {
protected:
    platform::Registry& Registry() { return platform::Registry::Default(); }
    std::vector<std::string> Tree(Hive hive, const std::u16string& path) {
        return test::RegistryTree(Registry(), hive, path);
    }

    test::IsolatedEnvironment m_env;
};

const Replacements kReplacements = {{u"%NAME%", u"Thing"}, {u"%CLSID%", u"{K}"}};

// A removal-marked key with a subkey, inside a shared parent that is never removed, and a value
// in a shared key.
const RegistrationScript kScript{{
    {Hive::ClassesRoot, u"Shared\\%NAME%", true, {{u"", u"%NAME% Class"}}},
    {Hive::ClassesRoot, u"Shared\\%NAME%\\Sub", false, {{u"Id", u"%CLSID%"}}},
    {Hive::ClassesRoot, u"Shared\\Empty", false, {}},
    {Hive::LocalMachine, u"Software\\List", false, {{u"%CLSID%", u"%NAME%"}}},
}};

TEST(PlaceholderTest, ReplacesKnownPlaceholdersOnly) {
    EXPECT_EQ(ExpandPlaceholders(u"Vtx.%NAME%.1", kReplacements), u"Vtx.Thing.1");
    EXPECT_EQ(ExpandPlaceholders(u"%NAME%%CLSID%", kReplacements), u"Thing{K}");
    EXPECT_EQ(ExpandPlaceholders(u"%OTHER% 50% %NAME", kReplacements), u"%OTHER% 50% %NAME");
    EXPECT_EQ(ExpandPlaceholders(u"%%NAME%%", kReplacements), u"%Thing%");
    EXPECT_EQ(ExpandPlaceholders(u"", kReplacements), u"");
}

TEST_F(RegistrarTest, ApplyWritesEveryKeyAndValue) {
    ASSERT_EQ(ApplyScript(Registry(), kScript, kReplacements), S_OK);
    EXPECT_THAT(Tree(Hive::ClassesRoot, u"Shared"),
                ElementsAre("KEY Shared", "KEY Shared\\Empty", "KEY Shared\\Thing",
                            "Shared\\Thing | @ = \"Thing Class\"", "KEY Shared\\Thing\\Sub",
                            "Shared\\Thing\\Sub | Id = \"{K}\""));
    EXPECT_THAT(Tree(Hive::LocalMachine, u"Software\\List"),
                ElementsAre("KEY Software\\List", "Software\\List | {K} = \"Thing\""));
}

TEST_F(RegistrarTest, ApplyReplacesMarkedKeysAndKeepsWhatOthersHold) {
    Registry().SetValue(Hive::ClassesRoot, u"Shared\\Thing\\Stale", u"Old",
                        RegistryValue::Dword(1));
    Registry().SetValue(Hive::ClassesRoot, u"Shared\\Thing", u"Old", RegistryValue::Dword(2));
    Registry().SetValue(Hive::ClassesRoot, u"Shared", u"Mine", RegistryValue::Dword(3));
    Registry().SetValue(Hive::LocalMachine, u"Software\\List", u"Other", RegistryValue::Dword(4));
    ASSERT_EQ(ApplyScript(Registry(), kScript, kReplacements), S_OK);

    EXPECT_FALSE(Registry().KeyExists(Hive::ClassesRoot, u"Shared\\Thing\\Stale"));
    EXPECT_FALSE(Registry().GetValue(Hive::ClassesRoot, u"Shared\\Thing", u"Old"));
    EXPECT_EQ(Registry().GetValue(Hive::ClassesRoot, u"Shared", u"Mine"), RegistryValue::Dword(3));
    EXPECT_EQ(Registry().GetValue(Hive::LocalMachine, u"Software\\List", u"Other"),
              RegistryValue::Dword(4));
}

TEST_F(RegistrarTest, RemoveDeletesMarkedTreesAndListedValuesOnly) {
    Registry().SetValue(Hive::LocalMachine, u"Software\\List", u"Other", RegistryValue::Dword(4));
    ASSERT_EQ(ApplyScript(Registry(), kScript, kReplacements), S_OK);
    ASSERT_EQ(RemoveScript(Registry(), kScript, kReplacements), S_OK);

    EXPECT_THAT(Tree(Hive::ClassesRoot, u"Shared"), ElementsAre("KEY Shared", "KEY Shared\\Empty"));
    EXPECT_THAT(Tree(Hive::LocalMachine, u"Software\\List"),
                ElementsAre("KEY Software\\List", "Software\\List | Other = 4"));
    // Removing again finds nothing to remove and is no failure.
    EXPECT_EQ(RemoveScript(Registry(), kScript, kReplacements), S_OK);
    EXPECT_THAT(Tree(Hive::ClassesRoot, u"Shared\\Thing"), IsEmpty());
}

TEST_F(RegistrarTest, ReadOnlyMachineHivesFailRegistrationAndRemoval) {
    Registry().SetMachineReadOnly(true);
    EXPECT_EQ(ApplyScript(Registry(), kScript, kReplacements), kRegistryWriteFailed);
    // Nothing there: nothing to fail on.
    EXPECT_EQ(RemoveScript(Registry(), kScript, kReplacements), S_OK);

    Registry().SetMachineReadOnly(false);
    ASSERT_EQ(ApplyScript(Registry(), kScript, kReplacements), S_OK);
    Registry().SetMachineReadOnly(true);
    EXPECT_EQ(RemoveScript(Registry(), kScript, kReplacements), kRegistryWriteFailed);
    Registry().SetMachineReadOnly(false);
    EXPECT_TRUE(Registry().KeyExists(Hive::ClassesRoot, u"Shared\\Thing"));
}

TEST_F(RegistrarTest, RemovalGoesOnPastAFailure) {
    ASSERT_EQ(ApplyScript(Registry(), kScript, kReplacements), S_OK);
    Registry().SetMachineReadOnly(true);
    // The current user's hive stays writable: the failing first key does not stop the last one.
    const RegistrationScript script{{
        {Hive::ClassesRoot, u"Shared\\%NAME%", true, {}},
        {Hive::CurrentUser, u"Software\\Mine", true, {}},
    }};
    Registry().CreateKey(Hive::CurrentUser, u"Software\\Mine");
    EXPECT_EQ(RemoveScript(Registry(), script, kReplacements), kRegistryWriteFailed);
    EXPECT_FALSE(Registry().KeyExists(Hive::CurrentUser, u"Software\\Mine"));
    Registry().SetMachineReadOnly(false);
}

constexpr Guid kClassA = GuidLiteral("{B0000001-0000-0000-0000-000000000001}");
constexpr Guid kClassB = GuidLiteral("{B0000001-0000-0000-0000-000000000002}");
constexpr Guid kLibrary = GuidLiteral("{B0000001-0000-0000-0000-0000000000AA}");

const RegistrationScript kClassScript{{
    {Hive::ClassesRoot, u"CLSID\\%CLSID%", true, {{u"", u"%DESCRIPTION%"}}},
    {Hive::ClassesRoot, u"CLSID\\%CLSID%\\InprocServer32", false, {{u"", u"%MODULE%"}}},
    {Hive::ClassesRoot, u"CLSID\\%CLSID%\\TypeLib", false, {{u"", u"%TYPELIB%"}}},
}};

HRESULT NoCreation(const Guid&, void**) {
    return E_FAIL;
}

TEST_F(RegistrarTest, ServerRegistrationWritesTheTypeLibraryAndEachScriptedClass) {
    const ClassEntry classes[] = {
        {u"Alpha", kClassA, &NoCreation, &kClassScript},
        {u"Beta", kClassB, &NoCreation, nullptr},  // served but never registered
    };
    const ServerDescription server{classes, {kLibrary, u"1.0", u"test 1.0 Type Library"}};
    ASSERT_EQ(RegisterServer(Registry(), server, "/opt/lib/libserver.so"), S_OK);

    EXPECT_THAT(
        Tree(Hive::ClassesRoot, u"CLSID"),
        ElementsAre(
            "KEY CLSID", "KEY CLSID\\" + kClassA.ToString(),
            "CLSID\\" + kClassA.ToString() + " | @ = \"Alpha Class\"",
            "KEY CLSID\\" + kClassA.ToString() + "\\InprocServer32",
            "CLSID\\" + kClassA.ToString() + "\\InprocServer32 | @ = \"/opt/lib/libserver.so\"",
            "KEY CLSID\\" + kClassA.ToString() + "\\TypeLib",
            "CLSID\\" + kClassA.ToString() + "\\TypeLib | @ = \"" + kLibrary.ToString() + "\""));
    const std::string lib = "TypeLib\\" + kLibrary.ToString();
    EXPECT_THAT(
        Tree(Hive::ClassesRoot, u"TypeLib"),
        ElementsAre("KEY TypeLib", "KEY " + lib, "KEY " + lib + "\\1.0",
                    lib + "\\1.0 | @ = \"test 1.0 Type Library\"", "KEY " + lib + "\\1.0\\0",
                    "KEY " + lib + "\\1.0\\0\\win64",
                    lib + "\\1.0\\0\\win64 | @ = \"/opt/lib/libserver.so\"",
                    "KEY " + lib + "\\1.0\\FLAGS", lib + "\\1.0\\FLAGS | @ = \"0\"",
                    "KEY " + lib + "\\1.0\\HELPDIR", lib + "\\1.0\\HELPDIR | @ = \"/opt/lib\""));

    ASSERT_EQ(UnregisterServer(Registry(), server, "/opt/lib/libserver.so"), S_OK);
    EXPECT_THAT(Tree(Hive::ClassesRoot, u""), ElementsAre("KEY ", "KEY CLSID", "KEY TypeLib"));
}

TEST_F(RegistrarTest, ServerRegistrationStopsAtTheFirstFailure) {
    const RegistrationScript machineScript{{
        {Hive::LocalMachine, u"Software\\%NAME%", true, {}},
    }};
    const RegistrationScript userScript{{
        {Hive::CurrentUser, u"Software\\%NAME%", true, {}},
    }};
    const ClassEntry classes[] = {
        {u"Alpha", kClassA, &NoCreation, &machineScript},
        {u"Beta", kClassB, &NoCreation, &userScript},
    };
    const ServerDescription server{classes, {kLibrary, u"1.0", u"test"}};
    // The type library goes to the classes root, which a read-only machine refuses first.
    Registry().SetMachineReadOnly(true);
    EXPECT_EQ(RegisterServer(Registry(), server, "/lib/x.so"), kRegistryWriteFailed);
    EXPECT_FALSE(Registry().KeyExists(Hive::CurrentUser, u"Software\\Beta"));
    Registry().SetMachineReadOnly(false);
}

}  // namespace
}  // namespace veltrix::com
