#include "editor/command_line.h"

#include <gtest/gtest.h>

#include "editor/instance_block.h"
#include "platform/shared_memory.h"
#include "tests/support/test_environment.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace veltrix::editor {
namespace {

TEST(CommandLineTest, SwitchesSelectTheirBranchInEitherCaseWithTheRestAsLabel) {
    EXPECT_EQ(ParseCommandLine(u"/I"), (TreeTarget{RecordKind::Identity, u""}));
    EXPECT_EQ(ParseCommandLine(u"/w My  Bank "), (TreeTarget{RecordKind::WebLogin, u"My  Bank "}));
    EXPECT_EQ(ParseCommandLine(u"/n Codes"), (TreeTarget{RecordKind::SecureNote, u"Codes"}));
    EXPECT_EQ(ParseCommandLine(u"/W "), (TreeTarget{RecordKind::WebLogin, u""}));
}

TEST(CommandLineTest, EverythingElseSelectsOptions) {
    for (const char16_t* line : {u"", u"/O", u"/O Bank", u"/X name", u"/IW", u"/Identities", u"I",
                                 u" /I", u"/", u"/FMP"}) {
        EXPECT_EQ(ParseCommandLine(line), (TreeTarget{RecordKind::Options, u""}))
            << std::string(line, line + std::char_traits<char16_t>::length(line));
    }
}

TEST(CommandLineTest, OnlyTheExactEraseSwitchErases) {
    EXPECT_TRUE(IsEraseCommand(u"/FMP"));
    EXPECT_FALSE(IsEraseCommand(u"/fmp"));
    EXPECT_FALSE(IsEraseCommand(u"/FMP "));
    EXPECT_FALSE(IsEraseCommand(u"/FMP x"));
    EXPECT_EQ(JoinArguments({u"/W", u"My", u"Bank"}), u"/W My Bank");
    EXPECT_EQ(JoinArguments({u"", u"x"}), u" x");
    EXPECT_EQ(JoinArguments({}), u"");
}

TEST(CommandLineTest, ForwardedLinesAreCutTo255UnitsWithoutSplittingAPair) {
    const std::u16string longLine(300, u'a');
    EXPECT_EQ(ForwardableCommandLine(longLine).size(), 255u);
    std::u16string paired(254, u'b');
    paired += u"\U0001F511";  // the pair would straddle the cut
    EXPECT_EQ(ForwardableCommandLine(paired), std::u16string(254, u'b'));
    EXPECT_EQ(ForwardableCommandLine(u"/I Ann"), u"/I Ann");
}

class InstanceBlockTest : public ::testing::Test {
protected:
    test::IsolatedEnvironment m_env;
};

TEST_F(InstanceBlockTest, TwoMappingsShareTheWindowAndTheForwardedLine) {
    auto first = InstanceBlock::Open();
    auto second = InstanceBlock::Open();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->EditorWindow(), 0u);
    first->SetEditorWindow(0x1234);
    second->SetForwardedCommandLine(u"/W Bank \u00e9");
    EXPECT_EQ(second->EditorWindow(), 0x1234u);
    EXPECT_EQ(first->ForwardedCommandLine(), u"/W Bank \u00e9");
    second->SetForwardedCommandLine(std::u16string(400, u'x'));
    EXPECT_EQ(first->ForwardedCommandLine(), std::u16string(255, u'x'));
    second->SetForwardedCommandLine(u"/N");
    EXPECT_EQ(first->ForwardedCommandLine(), u"/N");  // no tail of the longer line left behind
    platform::SharedMemory::Remove(kInstanceBlockName);
}

TEST_F(InstanceBlockTest, AnObjectOthersCanOpenIsRefused) {
    const std::string name = platform::SharedMemoryObjectName(kInstanceBlockName);
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(fchmod(fd, 0666), 0);
    ASSERT_EQ(ftruncate(fd, 516), 0);
    close(fd);
    EXPECT_FALSE(InstanceBlock::Open().has_value());
    shm_unlink(name.c_str());
    EXPECT_TRUE(InstanceBlock::Open().has_value());
    platform::SharedMemory::Remove(kInstanceBlockName);
}

}  // namespace
}  // namespace veltrix::editor
