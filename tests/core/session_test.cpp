// The session operations in one process, with the scripted UI answering the prompts and the
// clock moved through the clock file.
#include "core/session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/configuration.h"
#include "core/messages.h"
#include "core/record_io.h"
#include "core/session_block.h"
#include "core/session_password_source.h"
#include "core/verification_file.h"
#include "platform/event_loop.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/tick.h"
#include "platform/winmsg.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

using ui::PasswordPrompt;

class SessionTest : public ::testing::Test {
protected:
    SessionTest()
        : m_clockFile(m_env.Root() / "clock"),
          m_clockVar(platform::kClockFileVariable, m_clockFile.string()) {
        platform::WriteClockOffset(m_clockFile, 0);
        SetPasswordSource(&m_source);
    }
    ~SessionTest() override {
        SetPasswordSource(nullptr);
        session::CloseProcessHandles();
    }

    std::u16string Folder() { return text::FromUtf8(m_env.VaultFolder().string()) + u"/"; }

    // A record file written under an explicit password, without asking the session.
    void WriteNote(const std::u16string& file, const char16_t* password) {
        std::filesystem::create_directories(m_env.VaultFolder());
        ASSERT_TRUE(
            WriteRecordText(Folder() + file, u"note", RecordPassword::Given(password)).HasValue());
    }

    std::optional<std::u16string> Get() {
        std::u16string password;
        if (!session::GetPassword(m_settings, password)) {
            return std::nullopt;
        }
        return password;
    }

    void AdvanceClock(std::int64_t ms) {
        m_offset += ms;
        ASSERT_TRUE(platform::WriteClockOffset(m_clockFile, m_offset));
    }

    // What the block holds now, read under its lock.
    bool BlockHasPassword() {
        SessionBlock* block = SessionBlock::ForProcess();
        SessionLock lock(*block);
        return block->HasPassword();
    }
    std::uint32_t BlockEditorWindow() {
        SessionBlock* block = SessionBlock::ForProcess();
        SessionLock lock(*block);
        return block->EditorWindow();
    }

    test::IsolatedEnvironment m_env;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings m_settings{platform::Registry::Default()};
    std::filesystem::path m_clockFile;
    test::ScopedEnv m_clockVar;
    std::int64_t m_offset = 0;
    ui::ScriptedUi m_ui;
    CSessionPasswordSource m_source{[this]() -> config::Settings& { return m_settings; }};
};

TEST_F(SessionTest, FirstUseAsksToChooseOnceAndRemembers) {
    m_ui.QueuePassword(u"Secret1");
    EXPECT_EQ(Get(), u"Secret1");
    EXPECT_EQ(Get(), u"Secret1");
    EXPECT_EQ(m_ui.Prompts(), std::vector<PasswordPrompt>{PasswordPrompt::Choose});
}

TEST_F(SessionTest, EnteredPasswordMustOpenAnExistingRecord) {
    WriteNote(u"Locker.vxn", u"Secret1");
    m_ui.QueuePassword(u"secret1");
    m_ui.QueuePassword(u"Secret1");
    EXPECT_EQ(Get(), u"Secret1");
    EXPECT_EQ(m_ui.Prompts(),
              (std::vector<PasswordPrompt>{PasswordPrompt::Enter, PasswordPrompt::Enter}));
    EXPECT_EQ(m_ui.MessageTexts(),
              std::vector<std::u16string>{std::u16string(messages::kPasswordMismatch)});
}

TEST_F(SessionTest, CancelAfterAWrongEntryLeavesNoPassword) {
    WriteNote(u"Locker.vxn", u"Secret1");
    m_ui.QueuePassword(u"wrong password");
    m_ui.QueuePassword(std::nullopt);
    EXPECT_EQ(Get(), std::nullopt);
    EXPECT_FALSE(BlockHasPassword());
    m_ui.QueuePassword(u"Secret1");
    EXPECT_EQ(Get(), u"Secret1");
    EXPECT_EQ(m_ui.Prompts().size(), 3u);
}

TEST_F(SessionTest, ExpiresAfterTheIdleTimeEvenWhenNoTimerFires) {
    m_settings.SetAutoLogoff(1);
    m_ui.QueuePassword(u"Secret1");
    m_ui.QueuePassword(u"Secret2");
    ASSERT_EQ(Get(), u"Secret1");
    AdvanceClock(61000);
    EXPECT_EQ(Get(), u"Secret2");  // asked again: the session had ended
    EXPECT_EQ(m_ui.Prompts().size(), 2u);
}

TEST_F(SessionTest, EachUseRestartsTheIdleTime) {
    m_settings.SetAutoLogoff(1);
    m_ui.QueuePassword(u"Secret1");
    ASSERT_EQ(Get(), u"Secret1");
    AdvanceClock(40000);
    ASSERT_EQ(Get(), u"Secret1");
    AdvanceClock(40000);  // 80 s after the first use, 40 s after the last
    EXPECT_EQ(Get(), u"Secret1");
    EXPECT_EQ(m_ui.Prompts().size(), 1u);
}

TEST_F(SessionTest, AutoLogoffZeroKeepsThePassword) {
    m_settings.SetAutoLogoff(0);
    m_ui.QueuePassword(u"Secret1");
    ASSERT_EQ(Get(), u"Secret1");
    AdvanceClock(10LL * 24 * 3600 * 1000);
    platform::ThreadEventLoop().ProcessEvents(0);
    EXPECT_EQ(Get(), u"Secret1");
    EXPECT_EQ(m_ui.Prompts().size(), 1u);
}

TEST_F(SessionTest, IdleTimerEndsTheSessionWhenItFires) {
    m_settings.SetAutoLogoff(1);
    m_ui.QueuePassword(u"Secret1");
    ASSERT_EQ(Get(), u"Secret1");
    AdvanceClock(60000);
    platform::ThreadEventLoop().ProcessEvents(0);
    EXPECT_FALSE(BlockHasPassword());
}

TEST_F(SessionTest, ExpiryHoldsAcrossTheWrapOfTheTick) {
    // Move the clock so that the expiry tick of a 2-minute idle time wraps past zero.
    AdvanceClock(static_cast<std::int64_t>(0xFFFFFFFFu - platform::TickCount()) - 30000);
    m_settings.SetAutoLogoff(2);
    m_ui.QueuePassword(u"Secret1");
    ASSERT_EQ(Get(), u"Secret1");
    AdvanceClock(60000);  // the tick has wrapped; 1 of 2 minutes passed
    EXPECT_EQ(Get(), u"Secret1");
    EXPECT_EQ(m_ui.Prompts().size(), 1u);
}

// The expiry is compared by signed distance: checked before the tick wraps, an expiry just past
// the wrap lies ahead, and an expiry just before the wrap checked after it lies behind.
TEST_F(SessionTest, ExpiryIsJudgedAcrossTheWrapBothWays) {
    m_settings.SetAutoLogoff(1);
    m_ui.QueuePassword(u"Secret1");
    m_ui.QueuePassword(u"Secret2");
    // 30 s before the wrap: the expiry, 60 s later, lies 30 s past it.
    AdvanceClock(static_cast<std::int64_t>(0xFFFFFFFFu - platform::TickCount()) - 30000);
    ASSERT_EQ(Get(), u"Secret1");
    AdvanceClock(10000);  // still before the wrap, numerically above the expiry
    EXPECT_EQ(Get(), u"Secret1");
    EXPECT_EQ(m_ui.Prompts().size(), 1u);

    // Restarted 20 s before the wrap: the expiry is 40 s past it; 70 s later it has gone.
    AdvanceClock(70000);
    EXPECT_EQ(Get(), u"Secret2");
    EXPECT_EQ(m_ui.Prompts().size(), 2u);

    // Expiry 30 s before the wrap, checked 30 s after it: numerically below, yet past.
    m_ui.QueuePassword(u"Secret3");
    AdvanceClock(static_cast<std::int64_t>(0xFFFFFFFFu - platform::TickCount()) - 90000);
    ASSERT_EQ(Get(), u"Secret2");
    AdvanceClock(120000);
    EXPECT_EQ(Get(), u"Secret3");
    EXPECT_EQ(m_ui.Prompts().size(), 3u);
}

TEST_F(SessionTest, SetPasswordReplacesAndNullEndsTheSession) {
    m_ui.QueuePassword(u"Secret1");
    ASSERT_EQ(Get(), u"Secret1");
    EXPECT_TRUE(session::SetPassword(u"Another1"));
    EXPECT_EQ(Get(), u"Another1");
    EXPECT_FALSE(session::SetPassword(std::u16string(255, u'x').c_str()));  // refused, not cut
    EXPECT_EQ(Get(), u"Another1");
    EXPECT_TRUE(session::SetPassword(std::u16string(254, u'x').c_str()));
    EXPECT_TRUE(session::SetPassword(nullptr));
    EXPECT_FALSE(BlockHasPassword());
}

TEST_F(SessionTest, EditorHearsOfTheEndWhileThePasswordIsStillThere) {
    std::vector<std::uint32_t> received;
    std::optional<std::u16string> seenInHandler;
    auto editor = platform::Window::Create("VeltrixEditor", "Veltrix",
                                           [&](std::uint32_t message, std::uint64_t, std::int64_t) {
                                               received.push_back(message);
                                               if (message == session::WM_EDITOR_SESSIONENDED) {
                                                   seenInHandler = Get();
                                               }
                                               return std::int64_t{0};
                                           });
    ASSERT_TRUE(editor);
    m_ui.QueuePassword(u"Secret1");
    ASSERT_EQ(Get(), u"Secret1");
    ASSERT_TRUE(session::RegisterEditor(editor->Handle()));
    EXPECT_TRUE(session::RefreshEditor());
    EXPECT_TRUE(session::SetPassword(nullptr));
    EXPECT_EQ(received, (std::vector<std::uint32_t>{session::WM_EDITOR_REFRESH,
                                                    session::WM_EDITOR_SESSIONENDED}));
    EXPECT_EQ(seenInHandler, u"Secret1");
    EXPECT_FALSE(BlockHasPassword());
}

TEST_F(SessionTest, AVanishedEditorWindowIsForgottenWithoutAMessage) {
    platform::WindowHandle gone = 0;
    {
        auto editor = platform::Window::Create(
            "VeltrixEditor", "Veltrix",
            [](std::uint32_t, std::uint64_t, std::int64_t) { return std::int64_t{0}; });
        gone = editor->Handle();
    }
    m_ui.QueuePassword(u"Secret1");
    ASSERT_EQ(Get(), u"Secret1");
    ASSERT_TRUE(session::RegisterEditor(gone));
    EXPECT_TRUE(session::SetPassword(nullptr));
    EXPECT_EQ(BlockEditorWindow(), 0u);
    EXPECT_FALSE(BlockHasPassword());
}

TEST_F(SessionTest, VerificationFilePrefersTheCurrentIdentityThenKindOrder) {
    EXPECT_EQ(FindVerificationFile(m_settings), u"");
    WriteNote(u"Note.vxn", u"Secret1");
    EXPECT_EQ(FindVerificationFile(m_settings), Folder() + u"Note.vxn");
    WriteNote(u"Login.vxw", u"Secret1");
    EXPECT_EQ(FindVerificationFile(m_settings), Folder() + u"Login.vxw");
    WriteNote(u"Zed.vxi", u"Secret1");
    WriteNote(u"Amy.vxi", u"Secret1");
    EXPECT_EQ(FindVerificationFile(m_settings), Folder() + u"Amy.vxi");
    m_settings.SetCurrentIdentity(u"Zed");
    EXPECT_EQ(FindVerificationFile(m_settings), Folder() + u"Zed.vxi");
    m_settings.SetCurrentIdentity(u"Gone");  // a current Identity without a file is passed over
    EXPECT_EQ(FindVerificationFile(m_settings), Folder() + u"Amy.vxi");
}

// ---- Damaged records and the password check --------------------------------------------------

// The verification file (the first Identity) cut short, unreadable or damaged in its verification
// block cannot tell: the next record decides, and a right password is taken at the first entry.
TEST_F(SessionTest, ADamagedVerificationFileDefersToTheNextRecord) {
    WriteNote(u"Amy.vxi", u"Secret1");
    WriteNote(u"Locker.vxn", u"Secret1");
    const auto amy = m_env.VaultFolder() / "Amy.vxi";
    const std::string whole = test::ReadFileBytes(amy);
    std::string flipped = whole;
    flipped[9] ^= 0x04;  // the first ciphertext block: header and stored password garbled
    const std::vector<std::string> damages = {whole.substr(0, 5), whole.substr(0, 16), flipped};
    for (const std::string& damaged : damages) {
        SCOPED_TRACE(damaged.size());
        std::filesystem::remove(amy);
        test::WriteFileBytes(amy, damaged);
        ASSERT_TRUE(session::SetPassword(nullptr));
        m_ui.Clear();
        m_ui.QueuePassword(u"Secret1");
        EXPECT_EQ(Get(), u"Secret1");
        EXPECT_EQ(m_ui.Prompts().size(), 1u);
        EXPECT_TRUE(m_ui.Messages().empty());
    }
    // A wrong password is still refused, by the record that can tell.
    ASSERT_TRUE(session::SetPassword(nullptr));
    m_ui.Clear();
    m_ui.QueuePassword(u"Secret2");
    m_ui.QueuePassword(std::nullopt);
    EXPECT_EQ(Get(), std::nullopt);
    EXPECT_EQ(m_ui.MessageTexts(),
              std::vector<std::u16string>{std::u16string(messages::kPasswordMismatch)});
}

// A verification file that is no record file at all (a FIFO, which would block a read, or a link
// to a device) is passed over the same way, without waiting.
TEST_F(SessionTest, AVerificationFileThatIsNoFileIsPassedOver) {
    m_settings.SetCurrentIdentity(u"Pipe");
    std::filesystem::create_directories(m_env.VaultFolder());
    ASSERT_EQ(mkfifo((m_env.VaultFolder() / "Pipe.vxi").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", m_env.VaultFolder() / "Zero.vxi");
    WriteNote(u"Login.vxw", u"Secret1");
    m_ui.QueuePassword(u"wrong one");
    m_ui.QueuePassword(u"Secret1");
    EXPECT_EQ(Get(), u"Secret1");
    EXPECT_EQ(m_ui.Prompts().size(), 2u);
    EXPECT_EQ(m_ui.MessageTexts(),
              std::vector<std::u16string>{std::u16string(messages::kPasswordMismatch)});
}

// When no record can tell, the vault cannot refuse a password, as an empty one cannot; an
// unencrypted export lying in the vault tells nothing either.
TEST_F(SessionTest, AVaultWhoseRecordsAllCannotTellTakesThePassword) {
    std::filesystem::create_directories(m_env.VaultFolder());
    test::WriteFileBytes(m_env.VaultFolder() / "Cut.vxi", "12345");
    ASSERT_TRUE(WriteRecordText(Folder() + u"Export.vxn", u"exported note", RecordPassword::None())
                    .HasValue());
    EXPECT_EQ(CheckPasswordAgainstVault(m_settings, u"Secret1"),
              VaultPasswordCheck::NoRecordCanTell);
    m_ui.QueuePassword(u"Secret1");
    EXPECT_EQ(Get(), u"Secret1");
    EXPECT_EQ(m_ui.Prompts(), std::vector<PasswordPrompt>{PasswordPrompt::Enter});
    EXPECT_TRUE(m_ui.Messages().empty());

    WriteNote(u"Zed.vxw", u"Secret1");
    EXPECT_EQ(CheckPasswordAgainstVault(m_settings, u"Secret1"), VaultPasswordCheck::Matches);
    EXPECT_EQ(CheckPasswordAgainstVault(m_settings, u"secret1"), VaultPasswordCheck::DoesNotMatch);
}

// The lock-out once seen: with the current Identity's file damaged, a right password opens every
// other record, and reading the damaged one says so without ending the session.
TEST_F(SessionTest, ADamagedRecordDoesNotLockTheOthers) {
    WriteNote(u"Amy.vxi", u"Secret1");
    WriteNote(u"Bob.vxi", u"Secret1");
    m_settings.SetCurrentIdentity(u"Amy");
    const auto amy = m_env.VaultFolder() / "Amy.vxi";
    const std::string whole = test::ReadFileBytes(amy);
    std::filesystem::remove(amy);
    test::WriteFileBytes(amy, whole.substr(0, whole.size() - 4));

    m_ui.QueuePassword(u"Secret1");
    EXPECT_EQ(ReadRecordText(Folder() + u"Bob.vxi").Value(), u"note");
    EXPECT_FALSE(ReadRecordText(Folder() + u"Amy.vxi").HasValue());
    EXPECT_EQ(ReadRecordText(Folder() + u"Bob.vxi").Value(), u"note");
    EXPECT_EQ(m_ui.Prompts().size(), 1u);
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_NE(m_ui.Messages()[0].text, messages::kPasswordMismatch);
    EXPECT_TRUE(BlockHasPassword());
}

}  // namespace
}  // namespace veltrix
