#include "core/process_password_source.h"

#include <gtest/gtest.h>

#include "core/configuration.h"
#include "core/messages.h"
#include "core/secure_note.h"
#include "platform/text.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

class ProcessPasswordSourceTest : public ::testing::Test {
protected:
    std::u16string Folder() { return text::FromUtf8(env_.VaultFolder().string()) + u"/"; }

    // Writes a record file under an explicit password, without asking any source.
    void WriteNote(const std::u16string& file, const char16_t* password) {
        std::filesystem::create_directories(env_.VaultFolder());
        CSecureNote note;
        note.SetText(u"note");
        ASSERT_TRUE(note.Write(Folder() + file, password));
    }

    test::IsolatedEnvironment env_;
    ui::ScriptedUi ui_;
    CProcessPasswordSource source_;
};

TEST_F(ProcessPasswordSourceTest, FirstUseAsksToChooseAndRemembers) {
    ui_.QueuePassword(u"Secret1");
    std::u16string password;
    ASSERT_TRUE(source_.GetPassword(password));
    EXPECT_EQ(password, u"Secret1");
    ASSERT_TRUE(source_.GetPassword(password));
    EXPECT_EQ(ui_.Prompts(), std::vector<ui::PasswordPrompt>{ui::PasswordPrompt::Choose});
}

TEST_F(ProcessPasswordSourceTest, EnteredPasswordMustOpenAnExistingRecord) {
    WriteNote(u"Locker.vxn", u"Secret1");
    ui_.QueuePassword(u"secret1");
    ui_.QueuePassword(u"Secret1");
    std::u16string password;
    ASSERT_TRUE(source_.GetPassword(password));
    EXPECT_EQ(password, u"Secret1");
    EXPECT_EQ(ui_.Prompts(),
              (std::vector<ui::PasswordPrompt>{ui::PasswordPrompt::Enter, ui::PasswordPrompt::Enter}));
    EXPECT_EQ(ui_.MessageTexts(), std::vector<std::u16string>{std::u16string(messages::kPasswordMismatch)});
}

TEST_F(ProcessPasswordSourceTest, CancelAfterAWrongEntryLeavesNoPassword) {
    WriteNote(u"Locker.vxn", u"Secret1");
    ui_.QueuePassword(u"wrong password");
    ui_.QueuePassword(std::nullopt);
    std::u16string password;
    EXPECT_FALSE(source_.GetPassword(password));
    // Nothing was remembered: the next request prompts again.
    ui_.QueuePassword(u"Secret1");
    ASSERT_TRUE(source_.GetPassword(password));
    EXPECT_EQ(ui_.Prompts().size(), 3u);
}

TEST_F(ProcessPasswordSourceTest, EndSessionForgetsThePassword) {
    ui_.QueuePassword(u"Secret1");
    ui_.QueuePassword(u"Secret2");
    std::u16string password;
    ASSERT_TRUE(source_.GetPassword(password));
    EXPECT_TRUE(source_.EndSession());
    ASSERT_TRUE(source_.GetPassword(password));
    EXPECT_EQ(password, u"Secret2");
}

TEST_F(ProcessPasswordSourceTest, VerificationFilePrefersTheCurrentIdentityThenKindOrder) {
    EXPECT_EQ(FindVerificationFile(), u"");
    WriteNote(u"Note.vxn", u"Secret1");
    EXPECT_EQ(FindVerificationFile(), Folder() + u"Note.vxn");
    WriteNote(u"Login.vxw", u"Secret1");
    EXPECT_EQ(FindVerificationFile(), Folder() + u"Login.vxw");
    WriteNote(u"Zed.vxi", u"Secret1");
    WriteNote(u"Amy.vxi", u"Secret1");
    EXPECT_EQ(FindVerificationFile(), Folder() + u"Amy.vxi");
    config::SetCurrentIdentity(u"Zed");
    EXPECT_EQ(FindVerificationFile(), Folder() + u"Zed.vxi");
    config::SetCurrentIdentity(u"Gone");  // a current Identity without a file is passed over
    EXPECT_EQ(FindVerificationFile(), Folder() + u"Amy.vxi");
}

}  // namespace
}  // namespace veltrix
