#include "editor/record_tree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "editor/record_listing.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/test_environment.h"

namespace veltrix::editor {
namespace {

using ::testing::ElementsAre;

std::vector<std::u16string> LabelsOf(const RecordTree& tree, RecordKind kind) {
    std::vector<std::u16string> labels;
    for (const auto& item : tree.Items(kind)) {
        labels.push_back(item.label);
    }
    return labels;
}

class RecordTreeTest : public ::testing::Test {
protected:
    void Touch(const std::string& name) {
        std::filesystem::create_directories(m_env.VaultFolder());
        test::WriteFileBytes(m_env.VaultFolder() / name, "x");
    }

    test::IsolatedEnvironment m_env;
    config::Settings m_settings{platform::Registry::Default()};
};

TEST_F(RecordTreeTest, OnlyExactLowerCaseEndingsAreListedInCaseBlindOrder) {
    for (const char* name : {"zed.vxi", "Anna.vxi", "anna.vxi.bak", "Bob.VXI", "carlvxi", ".vxi",
                             "bea.vxw", "b.c d.vxi", "\xc3\x89mile.vxi", "note.vxn"}) {
        Touch(name);
    }
    std::filesystem::create_directories(m_env.VaultFolder() / "folder.vxi");
    EXPECT_THAT(
        ListRecordLabels(text::FromUtf8(m_env.VaultFolder().string() + "/"), RecordKind::Identity),
        ElementsAre(u"Anna", u"b.c d", u"zed", u"\u00c9mile"));

    RecordTree tree;
    tree.Build(m_settings);
    EXPECT_THAT(LabelsOf(tree, RecordKind::WebLogin), ElementsAre(u"bea"));
    EXPECT_THAT(LabelsOf(tree, RecordKind::SecureNote), ElementsAre(u"note"));
    const auto& identities = tree.Items(RecordKind::Identity);
    ASSERT_EQ(identities.size(), 4u);
    EXPECT_EQ(tree.PathOf(identities[0].pathIndex),
              text::FromUtf8((m_env.VaultFolder() / "Anna.vxi").string()));
    EXPECT_EQ(tree.PathOf(-2), u"");
}

TEST_F(RecordTreeTest, TargetsResolveToTheRecordInAnyCaseElseToTheBranch) {
    Touch("My Bank.vxw");
    RecordTree tree;
    tree.Build(m_settings);
    EXPECT_EQ(ResolveTarget(tree, {RecordKind::WebLogin, u"my BANK"}),
              (TreeSelection{RecordKind::WebLogin, u"My Bank"}));
    EXPECT_EQ(ResolveTarget(tree, {RecordKind::WebLogin, u"Other"}),
              (TreeSelection{RecordKind::WebLogin, u""}));
    EXPECT_EQ(ResolveTarget(tree, {RecordKind::Identity, u"My Bank"}),
              (TreeSelection{RecordKind::Identity, u""}));
    EXPECT_EQ(ResolveTarget(tree, {RecordKind::Options, u""}),
              (TreeSelection{RecordKind::Options, u""}));
}

TEST_F(RecordTreeTest, InsertRemoveAndRelabelKeepTheOrderAndThePathArray) {
    RecordTree tree;
    tree.Build(m_settings);
    EXPECT_EQ(tree.Insert(RecordKind::SecureNote, u"m", u"/v/m.vxn"), 0u);
    EXPECT_EQ(tree.Insert(RecordKind::SecureNote, u"B", u"/v/B.vxn"), 0u);
    EXPECT_EQ(tree.Insert(RecordKind::SecureNote, u"z", u"/v/z.vxn"), 2u);
    EXPECT_EQ(tree.Remove(RecordKind::SecureNote, u"M"), std::optional<std::size_t>(1));
    EXPECT_EQ(tree.Remove(RecordKind::SecureNote, u"M"), std::nullopt);
    EXPECT_EQ(tree.PathCount(), 3u);  // removed items leave their path behind
    EXPECT_EQ(tree.Relabel(RecordKind::SecureNote, 0, u"zz", u"/v/zz.vxn"), 1u);
    EXPECT_THAT(LabelsOf(tree, RecordKind::SecureNote), ElementsAre(u"z", u"zz"));
    EXPECT_EQ(tree.PathOf(tree.Items(RecordKind::SecureNote)[1].pathIndex), u"/v/zz.vxn");
}

TEST(RecordKindsTest, KindsFollowFromTheCaseSensitiveEnding) {
    EXPECT_EQ(KindOfPath(u"/a/x.vxi"), RecordKind::Identity);
    EXPECT_EQ(KindOfPath(u"/a/x.vxw"), RecordKind::WebLogin);
    EXPECT_EQ(KindOfPath(u"/a/x.vxn"), RecordKind::SecureNote);
    EXPECT_EQ(KindOfPath(u"/a/x.VXN"), RecordKind::None);
    EXPECT_EQ(KindOfFixedItem(kWebLoginsItem), RecordKind::WebLogin);
    EXPECT_EQ(KindOfFixedItem(0), RecordKind::None);
    EXPECT_EQ(FixedItemData(RecordKind::Options), kOptionsItem);
}

}  // namespace
}  // namespace veltrix::editor
