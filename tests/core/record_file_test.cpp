#include "core/record_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/blowfish_cipher.h"
#include "core/messages.h"
#include "core/record_io.h"
#include "core/tagged_text.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::u16string U16(const fs::path& path) {
    return text::FromUtf8(path.string());
}

Bytes FileBytes(const fs::path& path) {
    std::string bytes = test::ReadFileBytes(path);
    return Bytes(bytes.begin(), bytes.end());
}

void PutFileBytes(const fs::path& path, const Bytes& bytes) {
    test::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}

Bytes KeyBytes(std::u16string_view password) {
    std::string ansi = text::ToAnsi(password);
    return Bytes(ansi.begin(), ansi.end());
}

std::vector<std::string> TemporaryFilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("orv", 0) == 0) {
            names.push_back(name);
        }
    }
    return names;
}

// Decrypts a record file with the bare cipher.
std::optional<Bytes> DecryptFile(const fs::path& path, std::u16string_view password) {
    Bytes contents = FileBytes(path);
    if (contents.size() < 8) {
        return std::nullopt;
    }
    blowfish::Iv iv;
    std::copy_n(contents.begin(), 8, iv.begin());
    return blowfish::Decrypt(std::span(contents).subspan(8), KeyBytes(password), iv);
}

void AppendInt16(Bytes& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// A plaintext with the given header values, then the password and the payload.
Bytes Plaintext(int headerSize, int payloadOffset, int passwordBytes, int passwordOffset,
                std::u16string_view password, const Bytes& payload) {
    Bytes plain;
    AppendInt16(plain, headerSize);
    AppendInt16(plain, payloadOffset);
    AppendInt16(plain, passwordBytes);
    AppendInt16(plain, passwordOffset);
    for (char16_t unit : password) {
        AppendInt16(plain, unit);
    }
    plain.insert(plain.end(), payload.begin(), payload.end());
    return plain;
}

// Encrypts `plain` under `password` into a record file, as a foreign writer would.
void WriteCraftedFile(const fs::path& path, std::u16string_view password, const Bytes& plain) {
    const blowfish::Iv iv = {1, 2, 3, 4, 5, 6, 7, 8};
    auto cipher = blowfish::Encrypt(plain, KeyBytes(password), iv);
    ASSERT_TRUE(cipher.has_value());
    Bytes file(iv.begin(), iv.end());
    file.insert(file.end(), cipher->begin(), cipher->end());
    PutFileBytes(path, file);
}

std::u16string WithPath(std::u16string_view message, const fs::path& path) {
    std::u16string text(message);
    text.replace(text.find(u"%1"), 2, U16(path));
    return text;
}

class RecordFileTest : public ::testing::Test {
protected:
    void TearDown() override { SetWriteFaultHook({}); }

    fs::path Record(const std::string& name = "Ann Lee.vxi") const { return env.Root() / name; }

    Result<std::u16string, FileStatus> Read(const fs::path& path) {
        return ReadRecordText(U16(path));
    }
    Result<void, FileStatus> Write(const fs::path& path,
                                   RecordPassword password = RecordPassword::Session()) {
        return WriteRecordText(U16(path), text, password);
    }
    // Writes `payload` as the record file at `path`, encrypted under `password`.
    void WritePayload(const fs::path& path, const Bytes& bytes, std::u16string_view password) {
        auto file = EncryptRecord(bytes, password);
        ASSERT_TRUE(file.HasValue());
        ASSERT_TRUE(ReplaceRecordFile(U16(path), *file).HasValue());
    }

    // The read failed, and the only message shown so far is the password mismatch, with the
    // session ended once.
    void ExpectReportedAsWrongPassword(const Result<std::u16string, FileStatus>& read) {
        ASSERT_FALSE(read.HasValue());
        EXPECT_EQ(read.Error(), FileStatus::WrongPassword);
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].text, messages::kPasswordMismatch);
        EXPECT_EQ(ui.Messages()[0].icon, ui::Icon::None);
        EXPECT_EQ(ui.Messages()[0].buttons, ui::Buttons::Ok);
        EXPECT_EQ(source.EndSessionCalls(), 1);
    }

    // The read failed as damaged: the message of its own names the file, and the session stays.
    void ExpectReportedAsDamaged(const Result<std::u16string, FileStatus>& read,
                                 const fs::path& path) {
        ASSERT_FALSE(read.HasValue());
        EXPECT_EQ(read.Error(), FileStatus::ReadError);
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].text, WithPath(messages::kDamagedFile, path));
        EXPECT_EQ(ui.Messages()[0].icon, ui::Icon::Exclamation);
        EXPECT_EQ(source.EndSessionCalls(), 0);
    }

    test::IsolatedEnvironment env;
    ui::ScriptedUi ui;
    test::FakePasswordSource source{u"Secret1"};
    // The record text and its payload.
    std::u16string text = u"Ann";
    const Bytes payload = {0xFF, 0xFE, 'A', 0, 'n', 0, 'n', 0};
};

// ---- File layout -----------------------------------------------------------------------------

TEST_F(RecordFileTest, WrittenFileHoldsHeaderPasswordAndPayload) {
    ASSERT_TRUE(Write(Record()).HasValue());

    auto plain = DecryptFile(Record(), u"Secret1");
    ASSERT_TRUE(plain.has_value());
    const Bytes expected = Plaintext(8, 8 + 14, 14, 8, u"Secret1", payload);
    EXPECT_EQ(*plain, expected);
}

TEST_F(RecordFileTest, FileLengthIsIvPlusPaddedPlaintext) {
    for (std::size_t extra = 0; extra <= 17; ++extra) {
        SCOPED_TRACE(extra);
        auto file = EncryptRecord(Bytes(extra, 0x41), u"Secret1");
        ASSERT_TRUE(file.HasValue());
        const std::size_t plainLength = 8 + 14 + extra;
        // A whole padding block when the plaintext already fills its last block.
        EXPECT_EQ(file->size(), 8 + (plainLength / 8 + 1) * 8);
    }
}

TEST_F(RecordFileTest, EachWriteUsesAFreshIv) {
    ASSERT_TRUE(Write(Record()).HasValue());
    Bytes first = FileBytes(Record());
    ASSERT_TRUE(Write(Record()).HasValue());
    Bytes second = FileBytes(Record());
    EXPECT_NE(Bytes(first.begin(), first.begin() + 8), Bytes(second.begin(), second.begin() + 8));
}

TEST_F(RecordFileTest, KeyIsThePasswordInWindows1252) {
    ASSERT_TRUE(Write(Record(), RecordPassword::Given(u"P\u00e4ssw\u00f6rd")).HasValue());
    Bytes contents = FileBytes(Record());
    blowfish::Iv iv;
    std::copy_n(contents.begin(), 8, iv.begin());
    const Bytes key = {'P', 0xE4, 's', 's', 'w', 0xF6, 'r', 'd'};
    auto plain = blowfish::Decrypt(std::span(contents).subspan(8), key, iv);
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(*plain, Plaintext(8, 8 + 16, 16, 8, u"P\u00e4ssw\u00f6rd", payload));
}

// Characters outside Windows-1252 share the key byte '?', but the stored password tells them
// apart.
TEST_F(RecordFileTest, UnmappedCharactersShareAKeyButNotThePassword) {
    ASSERT_TRUE(Write(Record(), RecordPassword::Given(u"pass\u65e5\u672c")).HasValue());
    EXPECT_TRUE(DecryptFile(Record(), u"pass??").has_value());

    source.SetPassword(u"pass??");
    ExpectReportedAsWrongPassword(Read(Record()));
}

TEST_F(RecordFileTest, NoPasswordWritesThePayloadAloneAndCannotBeReadBack) {
    ASSERT_TRUE(Write(Record(), RecordPassword::None()).HasValue());
    EXPECT_EQ(FileBytes(Record()), payload);
    EXPECT_EQ(source.GetPasswordCalls(), 0);

    ExpectReportedAsWrongPassword(Read(Record()));
}

// Only None() writes without encryption: an empty given password is the session's.
TEST_F(RecordFileTest, AnEmptyGivenPasswordIsTheSessionPassword) {
    ASSERT_TRUE(Write(Record(), RecordPassword::Given(u"")).HasValue());
    EXPECT_NE(FileBytes(Record()), payload);
    EXPECT_EQ(source.GetPasswordCalls(), 1);
    EXPECT_TRUE(DecryptFile(Record(), u"Secret1").has_value());
}

// ---- Reading back --------------------------------------------------------------------------

TEST_F(RecordFileTest, RoundTripReadsTheTextWithoutMessages) {
    text = u"<a>1</a>\r\n<b>line\r\nbreak \u00e9 \U0001F600</b>";
    ASSERT_TRUE(Write(Record()).HasValue());
    auto read = Read(Record());
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(*read, text);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(RecordFileTest, CodecRoundTripsTextUnderThePassword) {
    auto file = EncodeRecordFile(u"<n>caf\u00e9</n>", u"Secret1");
    ASSERT_TRUE(file.HasValue());
    auto back = DecodeRecordFile(*file, u"Secret1");
    ASSERT_TRUE(back.HasValue());
    EXPECT_EQ(*back, u"<n>caf\u00e9</n>");
    auto wrong = DecodeRecordFile(*file, u"Secret2");
    ASSERT_FALSE(wrong.HasValue());
    EXPECT_EQ(wrong.Error(), CodecError::WrongPassword);
}

// Any record file reads, as text, exactly when the password matches; an empty payload (no mark)
// reads as empty text.
TEST_F(RecordFileTest, EmptyPayloadReadsAsEmptyText) {
    WritePayload(Record(), {}, u"Secret1");
    auto read = Read(Record());
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(*read, u"");

    WritePayload(Record("b.vxn"), payload, u"Secret1");
    EXPECT_TRUE(Read(Record("b.vxn")).HasValue());
}

TEST_F(RecordFileTest, UnmarkedPayloadIsReadAsAnsi) {
    WritePayload(Record("old.vxn"), {'<', 'n', '>', 'c', 'a', 'f', 0xE9, '<', '/', 'n', '>'},
                 u"Secret1");
    auto read = Read(Record("old.vxn"));
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(*read, u"<n>caf\u00e9</n>");
}

TEST_F(RecordFileTest, EmptyTextStillWritesTheMark) {
    text.clear();
    ASSERT_TRUE(Write(Record("empty.vxn"), RecordPassword::None()).HasValue());
    EXPECT_EQ(test::ReadFileBytes(Record("empty.vxn")), std::string("\xFF\xFE"));
}

TEST_F(RecordFileTest, ExplicitPasswordWritesForThatPasswordOnly) {
    ASSERT_TRUE(Write(Record(), RecordPassword::Given(u"Other pw")).HasValue());
    EXPECT_EQ(source.GetPasswordCalls(), 0);

    source.SetPassword(u"Other pw");
    EXPECT_TRUE(Read(Record()).HasValue());
}

TEST_F(RecordFileTest, PasswordsDifferingInCaseDoNotOpenEachOther) {
    ASSERT_TRUE(Write(Record(), RecordPassword::Given(u"secret1")).HasValue());
    ExpectReportedAsWrongPassword(Read(Record()));
}

// ---- Damaged files ----------------------------------------------------------------------------

// No writer makes a file shorter than an IV and one block or cut inside a block, and a file cut
// at a block boundary still shows the right password in its first blocks: all are damaged, with
// the message naming the file, and the session stays.
TEST_F(RecordFileTest, TruncatedAndOddLengthFilesAreDamaged) {
    WritePayload(Record(), Bytes(40, 0x41), u"Secret1");
    const Bytes whole = FileBytes(Record());

    const std::vector<std::size_t> lengths = {
        0, 1, 7, 8, 15, 16, whole.size() - 3, whole.size() - 8};
    for (std::size_t length : lengths) {
        SCOPED_TRACE(length);
        ui.Clear();
        PutFileBytes(Record("cut.vxn"),
                     Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
        ExpectReportedAsDamaged(Read(Record("cut.vxn")), Record("cut.vxn"));
    }

    Bytes longer = whole;
    longer.insert(longer.end(), {1, 2, 3});
    PutFileBytes(Record("odd.vxn"), longer);
    ui.Clear();
    ExpectReportedAsDamaged(Read(Record("odd.vxn")), Record("odd.vxn"));
}

TEST_F(RecordFileTest, CraftedFileWithAValidHeaderReads) {
    WriteCraftedFile(Record(), u"Secret1", Plaintext(8, 22, 14, 8, u"Secret1", payload));
    auto read = Read(Record());
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(*read, text);
    auto bare = DecryptRecord(FileBytes(Record()), u"Secret1");
    ASSERT_TRUE(bare.HasValue());
    EXPECT_EQ(*bare, payload);
}

// The stored password at 8 shows the key is right: a header that is not exactly the writer's is
// damage, never a password mismatch, and no offset may lead the reader into the stored password.
TEST_F(RecordFileTest, HeaderSizeOtherThanEightIsDamaged) {
    WriteCraftedFile(Record(), u"Secret1", Plaintext(10, 22, 14, 8, u"Secret1", payload));
    ExpectReportedAsDamaged(Read(Record()), Record());
}

TEST_F(RecordFileTest, InconsistentHeaderOffsetsAreDamaged) {
    struct Header {
        const char* what;
        int payloadOffset, passwordBytes, passwordOffset;
    };
    // The plaintext is 8 + 14 + 8 = 30 bytes long.
    const Header headers[] = {
        {"password past the end", 22, 40, 8},
        {"password offset past the end", 22, 14, 30},
        {"negative password length", 22, -2, 8},
        {"odd password length", 22, 13, 8},
        {"password inside the header", 22, 14, 0},
        {"negative password offset", 22, 14, -8},
        {"payload past the end", 32, 14, 8},
        {"negative payload offset", -4, 14, 8},
        {"odd payload offset", 23, 14, 8},
        {"payload inside the header", 4, 14, 8},
        // Consistent in itself, but the payload would start inside the stored password.
        {"payload inside the password", 16, 14, 8},
        {"short password", 18, 10, 8},
    };
    for (const Header& h : headers) {
        SCOPED_TRACE(h.what);
        ui.Clear();
        WriteCraftedFile(
            Record(), u"Secret1",
            Plaintext(8, h.payloadOffset, h.passwordBytes, h.passwordOffset, u"Secret1", payload));
        ExpectReportedAsDamaged(Read(Record()), Record());
    }
}

TEST_F(RecordFileTest, PayloadAtTheVeryEndIsEmpty) {
    WriteCraftedFile(Record(), u"Secret1", Plaintext(8, 22, 14, 8, u"Secret1", {}));
    auto read = Read(Record());
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(*read, u"");
}

// ---- Master password ------------------------------------------------------------------------

TEST_F(RecordFileTest, PasswordsUpTo254CharactersAreAccepted) {
    const std::u16string longest(kMaxPasswordLength, u'x');
    ASSERT_TRUE(Write(Record(), RecordPassword::Given(longest)).HasValue());
    source.SetPassword(longest);
    auto read = Read(Record());
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(*read, text);
}

TEST_F(RecordFileTest, LongerPasswordsAreRefused) {
    const std::u16string tooLong(kMaxPasswordLength + 1, u'x');
    auto written = Write(Record(), RecordPassword::Given(tooLong));
    ASSERT_FALSE(written.HasValue());
    EXPECT_EQ(written.Error(), FileStatus::WrongPassword);
    EXPECT_FALSE(fs::exists(Record()));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(EncryptRecord(payload, tooLong).Error(), CodecError::PasswordTooLong);

    ASSERT_TRUE(Write(Record()).HasValue());
    source.SetPassword(tooLong);
    ExpectReportedAsWrongPassword(Read(Record()));
}

TEST_F(RecordFileTest, CancelledPasswordIsStatusFiveWithoutMessage) {
    ASSERT_TRUE(Write(Record()).HasValue());
    source.SetPassword(std::nullopt);

    auto read = Read(Record());
    ASSERT_FALSE(read.HasValue());
    EXPECT_EQ(read.Error(), FileStatus::NoPassword);
    auto written = Write(Record("new.vxn"));
    ASSERT_FALSE(written.HasValue());
    EXPECT_EQ(written.Error(), FileStatus::NoPassword);
    EXPECT_FALSE(fs::exists(Record("new.vxn")));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(source.EndSessionCalls(), 0);
}

TEST(RecordFileWithoutSession, ReportsThatTheCoreCannotBeLoaded) {
    test::IsolatedEnvironment env;
    ui::ScriptedUi ui;
    SetPasswordSource(nullptr);
    test::WriteFileBytes(env.Root() / "a.vxn", std::string(32, 'x'));

    auto read = ReadRecordText(text::FromUtf8((env.Root() / "a.vxn").string()));
    ASSERT_FALSE(read.HasValue());
    EXPECT_EQ(read.Error(), FileStatus::NoPassword);
    auto written = WriteRecordText(text::FromUtf8((env.Root() / "b.vxn").string()), u"x");
    ASSERT_FALSE(written.HasValue());
    EXPECT_EQ(written.Error(), FileStatus::NoPassword);
    EXPECT_FALSE(EndPasswordSession());
    ASSERT_EQ(ui.Messages().size(), 3u);
    for (const auto& message : ui.Messages()) {
        EXPECT_EQ(message.text, messages::kUnableToLoadCore);
        EXPECT_EQ(message.icon, ui::Icon::Exclamation);
    }
    EXPECT_FALSE(fs::exists(env.Root() / "b.vxn"));
}

// ---- File errors -----------------------------------------------------------------------------

TEST_F(RecordFileTest, MissingFileCannotBeOpened) {
    auto read = Read(Record("none.vxi"));
    ASSERT_FALSE(read.HasValue());
    EXPECT_EQ(read.Error(), FileStatus::CannotOpen);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, WithPath(messages::kFileNotFound, Record("none.vxi")));
    EXPECT_EQ(ui.Messages()[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(source.GetPasswordCalls(), 0);
}

TEST_F(RecordFileTest, UnreadableFileIsAReadError) {
    fs::create_directory(Record("folder.vxi"));
    auto read = Read(Record("folder.vxi"));
    ASSERT_FALSE(read.HasValue());
    EXPECT_EQ(read.Error(), FileStatus::ReadError);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::u16string>{std::u16string(messages::kFailedToOpen)});
}

TEST_F(RecordFileTest, WriteWithoutFolderUsesTheCurrentFolder) {
    const fs::path previous = fs::current_path();
    fs::current_path(env.Root());
    fs::path seenTemporary;
    SetWriteFaultHook([&](WriteStep step, const fs::path& temporary) {
        if (step == WriteStep::Replace) {
            seenTemporary = temporary;
        }
        return 0;
    });
    const bool written = WriteRecordText(u"Plain name.vxn", text).HasValue();
    fs::current_path(previous);

    ASSERT_TRUE(written);
    EXPECT_EQ(seenTemporary.parent_path(), fs::path("."));
    EXPECT_EQ(seenTemporary.filename().string().substr(0, 3), "orv");
    EXPECT_TRUE(fs::exists(env.Root() / "Plain name.vxn"));
    EXPECT_TRUE(TemporaryFilesIn(env.Root()).empty());
}

TEST_F(RecordFileTest, TemporaryFileLiesBesideTheRecord) {
    fs::create_directory(env.Root() / "Identities");
    fs::path seenTemporary;
    SetWriteFaultHook([&](WriteStep, const fs::path& temporary) {
        seenTemporary = temporary;
        return 0;
    });
    ASSERT_TRUE(Write(env.Root() / "Identities" / "Ann.vxi").HasValue());
    EXPECT_EQ(fs::canonical(seenTemporary.parent_path()), fs::canonical(env.Root() / "Identities"));
}

// A write that fails at any step keeps the old record whole and leaves no temporary file.
TEST_F(RecordFileTest, FailedWriteKeepsTheOldRecord) {
    struct Fault {
        WriteStep step;
        int error;
        FileStatus status;
        std::u16string_view message;
    };
    const Fault faults[] = {
        {WriteStep::OpenTemporary, EACCES, FileStatus::CannotOpen, messages::kAccessDenied},
        {WriteStep::OpenTemporary, EMFILE, FileStatus::CannotOpen, messages::kInvalidFilename},
        {WriteStep::WriteData, ENOSPC, FileStatus::WriteError, messages::kDiskFullWhileAccessing},
        {WriteStep::WriteData, EIO, FileStatus::WriteError, messages::kFailedToSave},
        {WriteStep::Flush, EIO, FileStatus::WriteError, messages::kFailedToSave},
        {WriteStep::Replace, EXDEV, FileStatus::WriteError, messages::kFailedToSave},
    };
    ASSERT_TRUE(Write(Record()).HasValue());
    const Bytes before = FileBytes(Record());

    for (const Fault& fault : faults) {
        SCOPED_TRACE(static_cast<int>(fault.step));
        SCOPED_TRACE(fault.error);
        ui.Clear();
        SetWriteFaultHook(
            [&](WriteStep step, const fs::path&) { return step == fault.step ? fault.error : 0; });
        auto written = WriteRecordText(U16(Record()), std::u16string(100, u'B'));
        ASSERT_FALSE(written.HasValue());
        EXPECT_EQ(written.Error(), fault.status);
        EXPECT_EQ(FileBytes(Record()), before);
        EXPECT_TRUE(TemporaryFilesIn(env.Root()).empty());
        ASSERT_EQ(ui.Messages().size(), 1u);
        std::u16string expected(fault.message);
        if (expected.find(u"%1") != std::u16string::npos) {
            expected = WithPath(expected, Record());
        }
        EXPECT_EQ(ui.Messages()[0].text, expected);
        EXPECT_EQ(ui.Messages()[0].icon, ui::Icon::Exclamation);
    }
}

TEST_F(RecordFileTest, ReplacingAFolderFailsAndLeavesNoTemporaryFile) {
    fs::create_directories(Record("busy.vxi") / "inside");
    auto written = Write(Record("busy.vxi"));
    ASSERT_FALSE(written.HasValue());
    EXPECT_EQ(written.Error(), FileStatus::WriteError);
    EXPECT_TRUE(fs::is_directory(Record("busy.vxi") / "inside"));
    EXPECT_TRUE(TemporaryFilesIn(env.Root()).empty());
}

// The failure names the path and says why (a bad path), instead of failing silently.
TEST_F(RecordFileTest, MissingFolderCannotTakeTheTemporaryFile) {
    auto written = Write(env.Root() / "missing" / "a.vxn");
    ASSERT_FALSE(written.HasValue());
    EXPECT_EQ(written.Error(), FileStatus::CannotOpen);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::u16string>{WithPath(
                                     messages::kCannotFindFile, env.Root() / "missing" / "a.vxn")});

    ui.Clear();
    test::WriteFileBytes(env.Root() / "plain", "x");
    written = Write(env.Root() / "plain" / "a.vxn");
    ASSERT_FALSE(written.HasValue());
    EXPECT_EQ(written.Error(), FileStatus::CannotOpen);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::u16string>{WithPath(
                                     messages::kCannotFindFile, env.Root() / "plain" / "a.vxn")});
}

// A read-only folder, a full disk or no free inode: the temporary file cannot be made, and the
// message says why, naming the record.
TEST_F(RecordFileTest, TemporaryFileFailuresSayWhy) {
    const struct {
        int error;
        std::u16string_view message;
    } faults[] = {{EROFS, messages::kAccessDenied},
                  {EACCES, messages::kAccessDenied},
                  {ENOSPC, messages::kDiskFullWhileAccessing},
                  {EDQUOT, messages::kDiskFullWhileAccessing}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.error);
        ui.Clear();
        SetWriteFaultHook([&](WriteStep step, const fs::path& folder) {
            EXPECT_EQ(fs::canonical(folder), fs::canonical(env.Root()));
            return step == WriteStep::CreateTemporary ? fault.error : 0;
        });
        auto written = Write(Record());
        ASSERT_FALSE(written.HasValue());
        EXPECT_EQ(written.Error(), FileStatus::CannotOpen);
        EXPECT_EQ(ui.MessageTexts(),
                  std::vector<std::u16string>{WithPath(fault.message, Record())});
        EXPECT_FALSE(fs::exists(Record()));
    }
}

// ---- Stale temporary files -------------------------------------------------------------------

void MakeOld(const fs::path& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

// Only old regular files of our own pattern whose writer is gone are removed: never a fresh one,
// one a live writer holds, a link, or a file merely named alike.
TEST_F(RecordFileTest, StaleTemporaryFilesOfOursAreRemovedAndNothingElse) {
    const fs::path folder = env.Root() / "vault";
    fs::create_directory(folder);
    const char* stale[] = {"orvAbC123.tmp", "orv000000.tmp"};
    const char* kept[] = {"orvAbC12.tmp",  "orvAbC1234.tmp", "xorvAbC123.tmp",
                          "orvAbC123.txt", "orvAb-123.tmp",  "Ann.vxi"};
    for (const char* name : stale) {
        test::WriteFileBytes(folder / name, "encrypted copy");
        MakeOld(folder / name);
    }
    for (const char* name : kept) {
        test::WriteFileBytes(folder / name, "x");
        MakeOld(folder / name);
    }
    test::WriteFileBytes(folder / "orvFresh1.tmp", "being written");
    test::WriteFileBytes(folder / "orvLocked.tmp", "being written slowly");
    MakeOld(folder / "orvLocked.tmp");
    fs::create_symlink(folder / "Ann.vxi", folder / "orvLinked.tmp");
    fs::create_directory(folder / "orvFolder.tmp");
    fs::last_write_time(folder / "orvFolder.tmp",
                        fs::file_time_type::clock::now() - std::chrono::hours(1));

    const int held = open((folder / "orvLocked.tmp").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    EXPECT_EQ(RemoveStaleTemporaryFiles(folder, std::chrono::minutes(10)), 2u);
    for (const char* name : stale) {
        EXPECT_FALSE(fs::exists(folder / name)) << name;
    }
    for (const char* name : kept) {
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    }
    EXPECT_TRUE(fs::exists(folder / "orvFresh1.tmp"));
    EXPECT_TRUE(fs::exists(folder / "orvLocked.tmp"));
    EXPECT_TRUE(fs::is_symlink(folder / "orvLinked.tmp"));
    EXPECT_TRUE(fs::is_directory(folder / "orvFolder.tmp"));

    // Once its writer is gone, the old file goes too.
    close(held);
    EXPECT_EQ(RemoveStaleTemporaryFiles(folder, std::chrono::minutes(10)), 1u);
    EXPECT_FALSE(fs::exists(folder / "orvLocked.tmp"));
}

// The first write into a folder clears it of what interrupted writes left.
TEST_F(RecordFileTest, TheFirstWriteIntoAFolderRemovesStaleTemporaryFiles) {
    const fs::path folder = env.Root() / "first-write";
    fs::create_directory(folder);
    test::WriteFileBytes(folder / "orvQ1w2E3.tmp", "left by a crash");
    MakeOld(folder / "orvQ1w2E3.tmp");
    ASSERT_TRUE(Write(folder / "Ann.vxi").HasValue());
    EXPECT_FALSE(fs::exists(folder / "orvQ1w2E3.tmp"));
    EXPECT_TRUE(TemporaryFilesIn(folder).empty());
}

// A writer marks its temporary file as in use while it writes it.
TEST_F(RecordFileTest, AWriterHoldsItsTemporaryFileAgainstTheCleanUp) {
    std::optional<bool> lockedWhileWriting;
    SetWriteFaultHook([&](WriteStep step, const fs::path& temporary) {
        if (step == WriteStep::Flush) {
            const int other = open(temporary.c_str(), O_RDONLY);
            lockedWhileWriting = flock(other, LOCK_EX | LOCK_NB) != 0;
            close(other);
            MakeOld(temporary);
            EXPECT_EQ(RemoveStaleTemporaryFiles(temporary.parent_path(), std::chrono::minutes(10)),
                      0u);
        }
        return 0;
    });
    ASSERT_TRUE(Write(Record()).HasValue());
    EXPECT_EQ(lockedWhileWriting, true);
    auto read = Read(Record());
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(*read, text);
}

TEST_F(RecordFileTest, WriteWithoutAnyPathIsAnInvalidFilename) {
    auto written = WriteRecordText(u"", text);
    ASSERT_FALSE(written.HasValue());
    EXPECT_EQ(written.Error(), FileStatus::CannotOpen);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::u16string>{std::u16string(messages::kInvalidFilename)});
    EXPECT_EQ(source.GetPasswordCalls(), 0);
}

// The storage functions show nothing: the caller's mapping decides every message.
TEST_F(RecordFileTest, StorageFailuresCarryTheirCauseAndShowNothing) {
    auto missing = ReadRecordFile(U16(Record("none.vxi")));
    ASSERT_FALSE(missing.HasValue());
    EXPECT_EQ(missing.Error().status, FileStatus::CannotOpen);
    EXPECT_EQ(missing.Error().cause.kind, FileError::Kind::File);
    EXPECT_EQ(missing.Error().cause.error, ENOENT);

    SetWriteFaultHook(
        [](WriteStep step, const fs::path&) { return step == WriteStep::Flush ? EIO : 0; });
    auto replaced = ReplaceRecordFile(U16(Record()), payload);
    ASSERT_FALSE(replaced.HasValue());
    EXPECT_EQ(replaced.Error().status, FileStatus::WriteError);
    EXPECT_TRUE(replaced.Error().saving);
    EXPECT_EQ(replaced.Error().cause.error, EIO);
    EXPECT_TRUE(ui.Messages().empty());
}

// ---- Names and messages ---------------------------------------------------------------------

TEST(RecordFileNames, TitleAndNameComeFromTheLastSlashAndDot) {
    struct Case {
        std::u16string_view path, title, name;
    };
    const Case cases[] = {
        {u"/vault/Identities/Ann Lee.vxi", u"Ann Lee.vxi", u"Ann Lee"},
        {u"Ann Lee.vxi", u"Ann Lee.vxi", u"Ann Lee"},
        {u"/vault/v1.2.backup.vxn", u"v1.2.backup.vxn", u"v1.2.backup"},
        {u"/vault.d/plain", u"plain", u"plain"},
        {u"/vault/", u"", u""},
        {u"C:\\dir\\x.vxn", u"C:\\dir\\x.vxn", u"C:\\dir\\x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RecordFileTitle(c.path), c.title);
        EXPECT_EQ(RecordNameOf(c.path), c.name);
    }
}

TEST(SaveLoadMessages, ChosenByErrorKindAndCause) {
    const std::u16string_view path = u"/v/a.vxi";
    using Kind = FileError::Kind;
    EXPECT_EQ(SaveLoadMessage(path, {Kind::UserCancel, 0, true}, false, u"default"), u"");
    EXPECT_EQ(SaveLoadMessage(path, {Kind::BadFormat, 0, true}, false, u"default"),
              messages::kUnexpectedFormat);
    EXPECT_EQ(SaveLoadMessage(path, {Kind::Other, 0, true}, true, u"default"), u"default");
    // The error's own texts.
    EXPECT_EQ(SaveLoadMessage(path, FileError::FromErrno(ENOENT), false, u"d"),
              u"/v/a.vxi was not found.");
    EXPECT_EQ(SaveLoadMessage(path, FileError::FromErrno(EACCES), true, u"d"),
              u"Access to /v/a.vxi was denied.");
    EXPECT_EQ(SaveLoadMessage(path, FileError::FromErrno(EBUSY), false, u"d"),
              u"A sharing violation occurred while accessing /v/a.vxi.");
    EXPECT_EQ(SaveLoadMessage(path, FileError::FromErrno(ENOSPC), true, u"d"),
              u"Disk full while accessing /v/a.vxi.");
    EXPECT_EQ(SaveLoadMessage(path, FileError::FromErrno(EIO), true, u"d"), u"d");
}

TEST(SaveLoadMessages, GenericTextsByCauseWhenTheErrorHasNoText) {
    const std::u16string_view path = u"/v/a.vxi";
    auto bare = [](int error) { return FileError{FileError::Kind::File, error, false}; };
    EXPECT_EQ(SaveLoadMessage(path, bare(ENOENT), false, u"d"),
              u"/v/a.vxi\nCannot find this file.\nPlease verify that the correct path and file "
              u"name are given.");
    EXPECT_EQ(SaveLoadMessage(path, bare(ENOTDIR), false, u"d"),
              SaveLoadMessage(path, bare(ENOENT), false, u"d"));
    EXPECT_EQ(SaveLoadMessage(path, bare(ENOSPC), true, u"d"), messages::kDiskFull);
    EXPECT_EQ(SaveLoadMessage(path, bare(EACCES), true, u"d"),
              u"Unable to write to /v/a.vxi, it is read-only or opened by someone else.");
    EXPECT_EQ(SaveLoadMessage(path, bare(EACCES), false, u"d"),
              u"Unable to read from /v/a.vxi, it is opened by someone else.");
    EXPECT_EQ(SaveLoadMessage(path, bare(EIO), false, u"d"), u"d");
    // A bad path is found from its own text too.
    EXPECT_EQ(SaveLoadMessage(path, FileError::FromErrno(ENOTDIR), false, u"d"),
              SaveLoadMessage(path, bare(ENOENT), false, u"d"));
}

TEST(SaveLoadMessages, PathIsCutTo260Characters) {
    const std::u16string path = u"/" + std::u16string(300, u'p');
    std::u16string message = SaveLoadMessage(path, FileError::FromErrno(ENOENT), false, u"d");
    EXPECT_EQ(message, path.substr(0, 260) + u" was not found.");
}

// The one mapping from a failed record operation to what it shows.
TEST(RecordErrorMessages, EachStatusShowsTheSystemsText) {
    const std::u16string_view path = u"/v/a.vxi";
    const FileError gone = FileError::FromErrno(ENOENT);
    const FileError io = FileError::FromErrno(EIO);
    const FileError none{FileError::Kind::None};
    struct Case {
        RecordError error;
        std::u16string text;
        ui::Icon icon = ui::Icon::Exclamation;
        bool endsSession = false;
    };
    const Case cases[] = {
        {{FileStatus::CannotOpen, false, gone}, u"/v/a.vxi was not found.", ui::Icon::Exclamation},
        {{FileStatus::ReadError, false, io}, std::u16string(messages::kFailedToOpen)},
        {{FileStatus::CannotOpen, true, io}, std::u16string(messages::kInvalidFilename)},
        {{FileStatus::CannotOpen, true, FileError{}}, std::u16string(messages::kInvalidFilename)},
        {{FileStatus::CannotOpen, true, none}, u""},
        {{FileStatus::WriteError, true, io}, std::u16string(messages::kFailedToSave)},
        {{FileStatus::NoPassword, false, none, true}, std::u16string(messages::kUnableToLoadCore)},
        {{FileStatus::NoPassword, true, none, false}, u""},
        {{FileStatus::WrongPassword, false, none},
         std::u16string(messages::kPasswordMismatch),
         ui::Icon::None,
         true},
        {{FileStatus::WrongPassword, true, none}, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.error.status));
        const RecordErrorReport report = RecordErrorMessage(path, c.error);
        EXPECT_EQ(report.text, c.text);
        if (!c.text.empty()) {
            EXPECT_EQ(report.icon, c.icon);
        }
        EXPECT_EQ(report.endsSession, c.endsSession);
    }
}

}  // namespace
}  // namespace veltrix
