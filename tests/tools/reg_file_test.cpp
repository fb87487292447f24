// Applying parsed registry files in process, where the registry's commit seam can make a hive fail.
#include "tools/reg_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "tests/support/test_environment.h"

namespace veltrix::tools {
namespace {

using platform::Hive;
using platform::Registry;
using platform::RegistryValue;
using ::testing::HasSubstr;

constexpr char kTwoHives[] =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Orvane\\Veltrix\\Configuration]\n"
    "\"AutoLogoff\"=dword:0000000a\n"
    "\"Identity\"=\"imported\"\n\n"
    "[-HKEY_CURRENT_USER\\Software\\Orvane\\Veltrix\\Excluded URLs]\n\n"
    "[HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32]\n"
    "@=\"/opt/new/libvtxcore.so\"\n";

class RegFileApplyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(registry.SetValue(Hive::CurrentUser, kConfiguration, u"AutoLogoff",
                                      RegistryValue::Dword(120)));
        ASSERT_TRUE(registry.CreateKey(Hive::CurrentUser,
                                       u"Software\\Orvane\\Veltrix\\Excluded URLs\\example.com"));
        ASSERT_TRUE(registry.SetValue(Hive::ClassesRoot, kServer, u"",
                                      RegistryValue::String(u"/opt/old/libvtxcore.so")));
        parsed = ParseRegFile(kTwoHives);
        ASSERT_FALSE(parsed.error) << *parsed.error;
    }

    void ExpectUnchanged() {
        EXPECT_EQ(registry.GetValue(Hive::CurrentUser, kConfiguration, u"AutoLogoff"),
                  RegistryValue::Dword(120));
        EXPECT_EQ(registry.GetValue(Hive::CurrentUser, kConfiguration, u"Identity"), std::nullopt);
        EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser,
                                       u"Software\\Orvane\\Veltrix\\Excluded URLs\\example.com"));
        EXPECT_EQ(registry.GetValue(Hive::ClassesRoot, kServer, u""),
                  RegistryValue::String(u"/opt/old/libvtxcore.so"));
    }

    static constexpr std::u16string_view kConfiguration =
        u"Software\\Orvane\\Veltrix\\Configuration";
    static constexpr std::u16string_view kServer = u"CLSID\\{1}\\InprocServer32";
    test::IsolatedEnvironment env;
    Registry registry{env.RegistryFolder()};
    RegParseResult parsed;
};

TEST_F(RegFileApplyTest, AnImportWhoseSecondHiveFailsLeavesTheFirstAsItWas) {
    registry.SetCommitCheckForTesting([](Hive hive) { return hive != Hive::ClassesRoot; });
    std::string error;
    EXPECT_FALSE(ApplyRegChanges(registry, parsed.changes, error));
    EXPECT_THAT(error, HasSubstr("HKEY_CLASSES_ROOT"));
    EXPECT_THAT(error, HasSubstr("nothing was imported"));
    ExpectUnchanged();

    registry.SetCommitCheckForTesting(nullptr);
    ASSERT_TRUE(ApplyRegChanges(registry, parsed.changes, error)) << error;
    EXPECT_EQ(registry.GetValue(Hive::CurrentUser, kConfiguration, u"AutoLogoff"),
              RegistryValue::Dword(10));
    EXPECT_FALSE(
        registry.KeyExists(Hive::CurrentUser, u"Software\\Orvane\\Veltrix\\Excluded URLs"));
    EXPECT_EQ(registry.GetValue(Hive::ClassesRoot, kServer, u""),
              RegistryValue::String(u"/opt/new/libvtxcore.so"));
}

TEST_F(RegFileApplyTest, AnImportWhoseFirstHiveFailsWritesNoHive) {
    registry.SetCommitCheckForTesting([](Hive hive) { return hive != Hive::CurrentUser; });
    std::string error;
    EXPECT_FALSE(ApplyRegChanges(registry, parsed.changes, error));
    EXPECT_THAT(error, HasSubstr("HKEY_CURRENT_USER"));
    ExpectUnchanged();
}

// Depth: the limit is counted in key levels below the hive; a deeper key refuses the file.
std::string ChainFile(std::size_t depth) {
    std::string file = "Windows Registry Editor Version 5.00\n\n[HKCU";
    for (std::size_t level = 0; level < depth; ++level) {
        file += "\\k";
    }
    return file + "]\n\"v\"=dword:1\n";
}

TEST(RegFileDepthTest, KeysUpToTheLimitAreAcceptedAndDeeperOnesRefused) {
    const RegParseResult atLimit = ParseRegFile(ChainFile(kMaxImportKeyDepth));
    ASSERT_FALSE(atLimit.error) << *atLimit.error;
    ASSERT_EQ(atLimit.changes.size(), 2u);

    const RegParseResult deeper = ParseRegFile(ChainFile(kMaxImportKeyDepth + 1));
    ASSERT_TRUE(deeper.error);
    EXPECT_THAT(*deeper.error, HasSubstr("deeper than 512 levels"));
    EXPECT_EQ(deeper.errorLine, 3u);
    EXPECT_TRUE(deeper.changes.empty());

    // Empty components do not count as levels.
    std::string doubled = "Windows Registry Editor Version 5.00\n[HKCU";
    for (std::size_t level = 0; level < kMaxImportKeyDepth; ++level) {
        doubled += "\\\\k";
    }
    EXPECT_FALSE(ParseRegFile(doubled + "]\n").error);
}

TEST(RegFileDepthTest, ADeepTreeExportsAndImportsBackWhole) {
    test::IsolatedEnvironment env;
    Registry registry(env.RegistryFolder());
    std::u16string path = u"Deep";
    for (std::size_t level = 1; level < kMaxImportKeyDepth; ++level) {
        path += u"\\L";
    }
    ASSERT_TRUE(registry.SetValue(Hive::CurrentUser, path, u"bottom", RegistryValue::Dword(7)));
    ASSERT_TRUE(registry.SetValue(Hive::CurrentUser, u"Deep\\Side", u"s", RegistryValue::Dword(8)));
    const auto exported = ExportKeyTree(registry, {Hive::CurrentUser, u"Deep"});
    ASSERT_TRUE(exported);

    ASSERT_TRUE(registry.DeleteKeyTree(Hive::CurrentUser, u"Deep"));
    const RegParseResult parsed = ParseRegFile(*exported);
    ASSERT_FALSE(parsed.error) << *parsed.error;
    EXPECT_EQ(parsed.changes.size(), kMaxImportKeyDepth + 1 + 2) << "one per key and value";
    std::string error;
    ASSERT_TRUE(ApplyRegChanges(registry, parsed.changes, error)) << error;
    EXPECT_EQ(registry.GetValue(Hive::CurrentUser, path, u"bottom"), RegistryValue::Dword(7));
    EXPECT_EQ(registry.GetValue(Hive::CurrentUser, u"Deep\\Side", u"s"), RegistryValue::Dword(8));
    EXPECT_EQ(ExportKeyTree(registry, {Hive::CurrentUser, u"Deep"}), exported);
}

}  // namespace
}  // namespace veltrix::tools
