// Batches applied all or nothing across hives, and tree walks and batches over deep keys.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tests/support/test_environment.h"

namespace veltrix::platform {
namespace {

using ::testing::ElementsAre;
using Kind = RegistryEdit::Kind;
using Reason = BatchFailure::Reason;

constexpr Hive kUser = Hive::CurrentUser;
constexpr Hive kMachine = Hive::LocalMachine;

RegistryEdit Set(Hive hive, std::u16string path, std::u16string name, std::uint32_t number) {
    return {Kind::SetValue, hive, std::move(path), std::move(name), RegistryValue::Dword(number)};
}

RegistryEdit Edit(Kind kind, Hive hive, std::u16string path, std::u16string name = {}) {
    return {kind, hive, std::move(path), std::move(name), {}};
}

// Every key of a hive with its values, through the tree walk.
std::map<std::u16string, std::vector<NamedValue>> Contents(Registry& registry, Hive hive) {
    std::map<std::u16string, std::vector<NamedValue>> contents;
    registry.VisitKeyTree(hive, u"", [&](std::u16string_view path, const auto& values) {
        contents[std::u16string(path)] = values;
    });
    return contents;
}

class RegistryBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(registry.SetValue(kUser, u"Soft\\Keep", u"v", RegistryValue::Dword(1)));
        ASSERT_TRUE(registry.SetValue(kUser, u"Soft\\Old\\Deep", u"v", RegistryValue::Dword(2)));
        ASSERT_TRUE(registry.SetValue(kMachine, u"Soft", u"m", RegistryValue::Dword(3)));
        m_user = Contents(registry, kUser);
        m_machine = Contents(registry, kMachine);
    }

    void ExpectUnchanged() {
        EXPECT_EQ(Contents(registry, kUser), m_user);
        EXPECT_EQ(Contents(registry, kMachine), m_machine);
    }

    // Changes in both hives: a new value, a rewritten one, a deleted tree, a deleted value.
    const std::vector<RegistryEdit> m_twoHives{
        Set(kUser, u"Soft\\New", u"n", 10),
        Set(kUser, u"Soft\\Keep", u"v", 11),
        Edit(Kind::DeleteKeyTree, kUser, u"Soft\\Old"),
        Set(kMachine, u"Soft\\Sub", u"s", 12),
        Edit(Kind::DeleteValue, kMachine, u"Soft", u"m"),
    };

    test::IsolatedEnvironment env;
    Registry registry{env.RegistryFolder()};
    std::map<std::u16string, std::vector<NamedValue>> m_user, m_machine;
};

TEST_F(RegistryBatchTest, AppliesEveryEditOfEveryHive) {
    ASSERT_TRUE(registry.ApplyAll(m_twoHives));
    EXPECT_EQ(registry.GetValue(kUser, u"Soft\\New", u"n"), RegistryValue::Dword(10));
    EXPECT_EQ(registry.GetValue(kUser, u"Soft\\Keep", u"v"), RegistryValue::Dword(11));
    EXPECT_FALSE(registry.KeyExists(kUser, u"Soft\\Old"));
    EXPECT_EQ(registry.GetValue(kMachine, u"Soft\\Sub", u"s"), RegistryValue::Dword(12));
    EXPECT_EQ(registry.GetValue(kMachine, u"Soft", u"m"), std::nullopt);
}

TEST_F(RegistryBatchTest, ASecondHiveFailingToCommitPutsTheFirstBack) {
    std::vector<Hive> asked;
    registry.SetCommitCheckForTesting([&](Hive hive) {
        asked.push_back(hive);
        return hive != kMachine;
    });
    const auto applied = registry.ApplyAll(m_twoHives);
    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.Error().reason, Reason::CommitFailed);
    EXPECT_EQ(applied.Error().hive, kMachine);
    EXPECT_THAT(asked, ElementsAre(kUser, kMachine)) << "the user hive had committed";
    ExpectUnchanged();

    // Another object on the folder sees the restored state too, and the registry stays usable.
    Registry other(env.RegistryFolder());
    EXPECT_EQ(Contents(other, kUser), m_user);
    registry.SetCommitCheckForTesting(nullptr);
    ASSERT_TRUE(registry.ApplyAll(m_twoHives));
    EXPECT_EQ(other.GetValue(kMachine, u"Soft\\Sub", u"s"), RegistryValue::Dword(12));
}

TEST_F(RegistryBatchTest, AFailingEditChangesNoHive) {
    std::vector<RegistryEdit> edits = m_twoHives;
    edits.push_back(Edit(Kind::DeleteKeyTree, kMachine, u"\\"));  // a hive's root
    const auto applied = registry.ApplyAll(edits);
    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.Error().reason, Reason::EditFailed);
    EXPECT_EQ(applied.Error().edit, edits.size() - 1);
    ExpectUnchanged();
}

TEST_F(RegistryBatchTest, AReadOnlyMachineHiveRefusesTheWholeBatch) {
    registry.SetMachineReadOnly(true);
    const auto applied = registry.ApplyAll(m_twoHives);
    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.Error().reason, Reason::ReadOnly);
    ExpectUnchanged();
}

TEST_F(RegistryBatchTest, MissingKeysAndValuesDeleteWithoutError) {
    const std::vector<RegistryEdit> edits{
        Edit(Kind::DeleteKeyTree, kUser, u"No\\Such"),
        Edit(Kind::DeleteValue, kUser, u"No\\Such", u"v"),
        Edit(Kind::DeleteValue, kUser, u"Soft\\Keep", u"none"),
    };
    ASSERT_TRUE(registry.ApplyAll(edits));
    ExpectUnchanged();
}

TEST_F(RegistryBatchTest, LaterEditsSeeEarlierOnesWithinTheBatch) {
    const std::vector<RegistryEdit> edits{
        Set(kUser, u"A\\B\\C", u"v", 1),
        Edit(Kind::DeleteKeyTree, kUser, u"a\\b"),  // forgets the ids below it
        Set(kUser, u"A\\B\\C\\D", u"w", 2),
        Edit(Kind::CreateKey, kUser, u"a\\B\\c\\E"),
    };
    ASSERT_TRUE(registry.ApplyAll(edits));
    EXPECT_EQ(registry.GetValue(kUser, u"A\\B\\C", u"v"), std::nullopt) << "recreated empty";
    EXPECT_EQ(registry.GetValue(kUser, u"A\\B\\C\\D", u"w"), RegistryValue::Dword(2));
    EXPECT_THAT(registry.EnumKeys(kUser, u"A\\B\\C"), ElementsAre(u"D", u"E"));
}

// A chain far deeper than any import may be: the batch and the walk are one query per key.
TEST(RegistryDeepTreeTest, BuildsAndWalksAChainOfThousandsOfKeys) {
    constexpr int kDepth = 2500;
    test::IsolatedEnvironment env;
    Registry registry(env.RegistryFolder());
    std::vector<RegistryEdit> edits;
    std::u16string path = u"Top";
    for (int level = 0; level < kDepth; ++level) {
        path += level % 2 == 0 ? u"\\k" : u"\\K";
        edits.push_back(Set(kUser, path, u"level", static_cast<std::uint32_t>(level)));
    }
    edits.push_back(Set(kUser, u"Top\\z", u"level", 0));  // a sibling after the chain
    ASSERT_TRUE(registry.ApplyAll(edits));

    std::vector<std::size_t> depths;
    std::u16string last;
    ASSERT_TRUE(registry.VisitKeyTree(kUser, u"\\Top\\", [&](std::u16string_view at, const auto&) {
        depths.push_back(static_cast<std::size_t>(std::count(at.begin(), at.end(), u'\\')));
        last = at;
    }));
    ASSERT_EQ(depths.size(), static_cast<std::size_t>(kDepth) + 2);
    for (std::size_t i = 0; i <= kDepth; ++i) {
        ASSERT_EQ(depths[i], i) << "each key right after its parent";
    }
    EXPECT_EQ(last, u"Top\\z") << "subkeys in name order, whole subtree first";
    EXPECT_EQ(registry.GetValue(kUser, path, u"level"), RegistryValue::Dword(kDepth - 1));
    EXPECT_FALSE(registry.VisitKeyTree(kUser, u"Top\\missing", [](auto, const auto&) {}));
}

}  // namespace
}  // namespace veltrix::platform
