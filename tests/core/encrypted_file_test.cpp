#include "core/encrypted_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "core/blowfish_cipher.h"
#include "core/messages.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A record whose payload is given bytes; remembers what it loaded.
class CBlobFile : public CEncryptedFile {
public:
    Bytes stored;
    Bytes loaded;
    int loads = 0;

    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.Write(stored);
        } else {
            auto bytes = ar.Bytes();
            loaded.assign(bytes.begin(), bytes.end());
            ++loads;
        }
    }
};

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

class EncryptedFileTest : public ::testing::Test {
protected:
    void TearDown() override { SetWriteFaultHook({}); }

    fs::path Record(const std::string& name = "Ann Lee.vxi") const { return env.Root() / name; }

    // The only message shown so far is the password mismatch, with the session ended once.
    void ExpectReportedAsWrongPassword(const CEncryptedFile& file) {
        EXPECT_EQ(file.GetReadStatus(), FileStatus::WrongPassword);
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].text, messages::kPasswordMismatch);
        EXPECT_EQ(ui.Messages()[0].icon, ui::Icon::None);
        EXPECT_EQ(ui.Messages()[0].buttons, ui::Buttons::Ok);
        EXPECT_EQ(source.EndSessionCalls(), 1);
    }

    test::IsolatedEnvironment env;
    ui::ScriptedUi ui;
    test::FakePasswordSource source{u"Secret1"};
    const Bytes payload = {0xFF, 0xFE, 'A', 0, 'n', 0, 'n', 0};
};

// ---- File layout -----------------------------------------------------------------------------

TEST_F(EncryptedFileTest, WrittenFileHoldsHeaderPasswordAndPayload) {
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record())));
    EXPECT_EQ(file.GetWriteStatus(), FileStatus::Success);

    auto plain = DecryptFile(Record(), u"Secret1");
    ASSERT_TRUE(plain.has_value());
    const Bytes expected = Plaintext(8, 8 + 14, 14, 8, u"Secret1", payload);
    EXPECT_EQ(*plain, expected);
}

TEST_F(EncryptedFileTest, FileLengthIsIvPlusPaddedPlaintext) {
    for (std::size_t extra = 0; extra <= 17; ++extra) {
        SCOPED_TRACE(extra);
        CBlobFile file;
        file.stored = Bytes(extra, 0x41);
        ASSERT_TRUE(file.Write(U16(Record())));
        const std::size_t plainLength = 8 + 14 + extra;
        // A whole padding block when the plaintext already fills its last block.
        EXPECT_EQ(fs::file_size(Record()), 8 + (plainLength / 8 + 1) * 8);
    }
}

TEST_F(EncryptedFileTest, EachWriteUsesAFreshIv) {
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record())));
    Bytes first = FileBytes(Record());
    ASSERT_TRUE(file.Write());
    Bytes second = FileBytes(Record());
    EXPECT_NE(Bytes(first.begin(), first.begin() + 8), Bytes(second.begin(), second.begin() + 8));
}

TEST_F(EncryptedFileTest, KeyIsThePasswordInWindows1252) {
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record()), u"P\u00e4ssw\u00f6rd"));
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
TEST_F(EncryptedFileTest, UnmappedCharactersShareAKeyButNotThePassword) {
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record()), u"pass\u65e5\u672c"));
    EXPECT_TRUE(DecryptFile(Record(), u"pass??").has_value());

    source.SetPassword(u"pass??");
    CBlobFile reader;
    EXPECT_FALSE(reader.Read(U16(Record())));
    ExpectReportedAsWrongPassword(reader);
}

TEST_F(EncryptedFileTest, NoPasswordWritesThePayloadAloneAndCannotBeReadBack) {
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record()), NO_PASSWORD));
    EXPECT_EQ(FileBytes(Record()), payload);
    EXPECT_EQ(source.GetPasswordCalls(), 0);

    CBlobFile reader;
    EXPECT_FALSE(reader.Read(U16(Record())));
    ExpectReportedAsWrongPassword(reader);
}

// NO_PASSWORD is recognised by its address: an equal text elsewhere is an ordinary password.
TEST_F(EncryptedFileTest, NoPasswordIsRecognisedByIdentityOnly) {
    const std::u16string copy = NO_PASSWORD;
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record()), copy.c_str()));
    EXPECT_NE(FileBytes(Record()), payload);
    EXPECT_TRUE(DecryptFile(Record(), u"Secret1").has_value());
}

// ---- Reading back --------------------------------------------------------------------------

TEST_F(EncryptedFileTest, RoundTripLoadsThePayloadAndClearsTheModifiedFlag) {
    CBlobFile file;
    file.stored = payload;
    file.SetModifiedFlag();
    ASSERT_TRUE(file.Write(U16(Record())));
    EXPECT_FALSE(file.IsModified());

    CBlobFile reader;
    reader.SetModifiedFlag(true);
    ASSERT_TRUE(reader.Read(U16(Record())));
    EXPECT_EQ(reader.GetReadStatus(), FileStatus::Success);
    EXPECT_EQ(reader.loaded, payload);
    EXPECT_FALSE(reader.IsModified());
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(EncryptedFileTest, PlainRecordWithEmptyPayloadReadsBackWithoutLoading) {
    CEncryptedFile plain;
    ASSERT_TRUE(plain.Write(U16(Record())));
    CBlobFile reader;
    ASSERT_TRUE(reader.Read(U16(Record())));
    EXPECT_EQ(reader.loads, 0);

    // Any record file opens with a plain record exactly when the password matches.
    CBlobFile blob;
    blob.stored = payload;
    ASSERT_TRUE(blob.Write(U16(Record("b.vxn"))));
    CEncryptedFile check;
    EXPECT_TRUE(check.Read(U16(Record("b.vxn"))));
}

TEST_F(EncryptedFileTest, ExplicitPasswordWritesForThatPasswordOnly) {
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record()), u"Other pw"));
    EXPECT_EQ(source.GetPasswordCalls(), 0);

    source.SetPassword(u"Other pw");
    CBlobFile reader;
    EXPECT_TRUE(reader.Read(U16(Record())));
}

TEST_F(EncryptedFileTest, EmptyPasswordMeansTheSessionPassword) {
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record()), u""));
    EXPECT_EQ(source.GetPasswordCalls(), 1);
    EXPECT_TRUE(DecryptFile(Record(), u"Secret1").has_value());
}

TEST_F(EncryptedFileTest, PasswordsDifferingInCaseDoNotOpenEachOther) {
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record()), u"secret1"));
    CBlobFile reader;
    EXPECT_FALSE(reader.Read(U16(Record())));
    ExpectReportedAsWrongPassword(reader);
    EXPECT_EQ(reader.loads, 0);
}

TEST_F(EncryptedFileTest, FailedReadKeepsTheRecordButTakesThePath) {
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record()), u"elsewhere"));
    CBlobFile reader;
    reader.loaded = {1, 2, 3};
    EXPECT_FALSE(reader.Read(U16(Record())));
    EXPECT_EQ(reader.loaded, (Bytes{1, 2, 3}));
    EXPECT_EQ(reader.GetPathName(), U16(Record()));
}

// ---- Damaged files ----------------------------------------------------------------------------

TEST_F(EncryptedFileTest, ShortTruncatedAndOddLengthFilesAreWrongPasswords) {
    CBlobFile file;
    file.stored = Bytes(40, 0x41);
    ASSERT_TRUE(file.Write(U16(Record())));
    const Bytes whole = FileBytes(Record());

    // The first block decrypts to the header, whose last byte is no valid padding.
    const std::vector<std::size_t> lengths = {
        0, 1, 7, 8, 15, 16, whole.size() - 3, whole.size() - 8};
    for (std::size_t length : lengths) {
        SCOPED_TRACE(length);
        ui.Clear();
        source.SetPassword(u"Secret1");
        const int ended = source.EndSessionCalls();
        PutFileBytes(Record("cut.vxn"),
                     Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
        CBlobFile reader;
        EXPECT_FALSE(reader.Read(U16(Record("cut.vxn"))));
        EXPECT_EQ(reader.GetReadStatus(), FileStatus::WrongPassword);
        EXPECT_EQ(ui.MessageTexts(),
                  std::vector<std::u16string>{std::u16string(messages::kPasswordMismatch)});
        EXPECT_EQ(source.EndSessionCalls(), ended + 1);
    }

    Bytes longer = whole;
    longer.insert(longer.end(), {1, 2, 3});
    PutFileBytes(Record("odd.vxn"), longer);
    CBlobFile reader;
    EXPECT_FALSE(reader.Read(U16(Record("odd.vxn"))));
    EXPECT_EQ(reader.GetReadStatus(), FileStatus::WrongPassword);
}

TEST_F(EncryptedFileTest, CraftedFileWithAValidHeaderReads) {
    WriteCraftedFile(Record(), u"Secret1", Plaintext(8, 22, 14, 8, u"Secret1", payload));
    CBlobFile reader;
    ASSERT_TRUE(reader.Read(U16(Record())));
    EXPECT_EQ(reader.loaded, payload);
}

TEST_F(EncryptedFileTest, HeaderSizeOtherThanEightIsAWrongPassword) {
    WriteCraftedFile(Record(), u"Secret1", Plaintext(10, 22, 14, 8, u"Secret1", payload));
    CBlobFile reader;
    EXPECT_FALSE(reader.Read(U16(Record())));
    ExpectReportedAsWrongPassword(reader);
}

TEST_F(EncryptedFileTest, HeaderOffsetsOutsideThePlaintextAreWrongPasswords) {
    struct Header {
        const char* what;
        int payloadOffset, passwordBytes, passwordOffset;
    };
    // The plaintext is 8 + 14 + 8 = 30 bytes long.
    const Header headers[] = {
        {"password past the end", 22, 40, 8},      {"password offset past the end", 22, 14, 30},
        {"negative password length", 22, -2, 8},   {"odd password length", 22, 13, 8},
        {"password inside the header", 22, 14, 0}, {"negative password offset", 22, 14, -8},
        {"payload past the end", 32, 14, 8},       {"negative payload offset", -4, 14, 8},
        {"odd payload offset", 23, 14, 8},         {"payload inside the header", 4, 14, 8},
    };
    for (const Header& h : headers) {
        SCOPED_TRACE(h.what);
        ui.Clear();
        WriteCraftedFile(
            Record(), u"Secret1",
            Plaintext(8, h.payloadOffset, h.passwordBytes, h.passwordOffset, u"Secret1", payload));
        CBlobFile reader;
        EXPECT_FALSE(reader.Read(U16(Record())));
        EXPECT_EQ(reader.GetReadStatus(), FileStatus::WrongPassword);
        EXPECT_EQ(ui.MessageTexts(),
                  std::vector<std::u16string>{std::u16string(messages::kPasswordMismatch)});
        EXPECT_EQ(reader.loads, 0);
    }
}

TEST_F(EncryptedFileTest, PayloadAtTheVeryEndIsEmpty) {
    WriteCraftedFile(Record(), u"Secret1", Plaintext(8, 22, 14, 8, u"Secret1", {}));
    CBlobFile reader;
    ASSERT_TRUE(reader.Read(U16(Record())));
    EXPECT_EQ(reader.loads, 0);
}

// ---- Master password ------------------------------------------------------------------------

TEST_F(EncryptedFileTest, PasswordsUpTo254CharactersAreAccepted) {
    const std::u16string longest(kMaxPasswordLength, u'x');
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record()), longest.c_str()));
    source.SetPassword(longest);
    CBlobFile reader;
    ASSERT_TRUE(reader.Read(U16(Record())));
    EXPECT_EQ(reader.loaded, payload);
}

TEST_F(EncryptedFileTest, LongerPasswordsAreRefused) {
    const std::u16string tooLong(kMaxPasswordLength + 1, u'x');
    CBlobFile file;
    file.stored = payload;
    EXPECT_FALSE(file.Write(U16(Record()), tooLong.c_str()));
    EXPECT_EQ(file.GetWriteStatus(), FileStatus::WrongPassword);
    EXPECT_FALSE(fs::exists(Record()));

    ASSERT_TRUE(file.Write(U16(Record())));
    source.SetPassword(tooLong);
    CBlobFile reader;
    EXPECT_FALSE(reader.Read(U16(Record())));
    ExpectReportedAsWrongPassword(reader);
}

TEST_F(EncryptedFileTest, CancelledPasswordIsStatusFiveWithoutMessage) {
    CBlobFile file;
    file.stored = payload;
    ASSERT_TRUE(file.Write(U16(Record())));
    source.SetPassword(std::nullopt);

    CBlobFile reader;
    EXPECT_FALSE(reader.Read(U16(Record())));
    EXPECT_EQ(reader.GetReadStatus(), FileStatus::NoPassword);
    EXPECT_FALSE(file.Write(U16(Record("new.vxn"))));
    EXPECT_EQ(file.GetWriteStatus(), FileStatus::NoPassword);
    EXPECT_FALSE(fs::exists(Record("new.vxn")));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(source.EndSessionCalls(), 0);
}

TEST(EncryptedFileWithoutSession, ReportsThatTheCoreCannotBeLoaded) {
    test::IsolatedEnvironment env;
    ui::ScriptedUi ui;
    SetPasswordSource(nullptr);
    test::WriteFileBytes(env.Root() / "a.vxn", std::string(32, 'x'));

    CEncryptedFile file;
    EXPECT_FALSE(file.Read(text::FromUtf8((env.Root() / "a.vxn").string())));
    EXPECT_EQ(file.GetReadStatus(), FileStatus::NoPassword);
    EXPECT_FALSE(file.Write(text::FromUtf8((env.Root() / "b.vxn").string())));
    EXPECT_EQ(file.GetWriteStatus(), FileStatus::NoPassword);
    EXPECT_FALSE(file.EndSession());
    ASSERT_EQ(ui.Messages().size(), 3u);
    for (const auto& message : ui.Messages()) {
        EXPECT_EQ(message.text, messages::kUnableToLoadCore);
        EXPECT_EQ(message.icon, ui::Icon::Exclamation);
    }
    EXPECT_FALSE(fs::exists(env.Root() / "b.vxn"));
}

// ---- File errors -----------------------------------------------------------------------------

TEST_F(EncryptedFileTest, MissingFileCannotBeOpened) {
    CBlobFile reader;
    EXPECT_FALSE(reader.Read(U16(Record("none.vxi"))));
    EXPECT_EQ(reader.GetReadStatus(), FileStatus::CannotOpen);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, WithPath(messages::kFileNotFound, Record("none.vxi")));
    EXPECT_EQ(ui.Messages()[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(source.GetPasswordCalls(), 0);
}

TEST_F(EncryptedFileTest, UnreadableFileIsAReadError) {
    fs::create_directory(Record("folder.vxi"));
    CBlobFile reader;
    EXPECT_FALSE(reader.Read(U16(Record("folder.vxi"))));
    EXPECT_EQ(reader.GetReadStatus(), FileStatus::ReadError);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::u16string>{std::u16string(messages::kFailedToOpen)});
}

TEST_F(EncryptedFileTest, WriteWithoutFolderUsesTheCurrentFolder) {
    const fs::path previous = fs::current_path();
    fs::current_path(env.Root());
    fs::path seenTemporary;
    SetWriteFaultHook([&](WriteStep step, const fs::path& temporary) {
        if (step == WriteStep::Replace) {
            seenTemporary = temporary;
        }
        return 0;
    });
    CBlobFile file;
    file.stored = payload;
    const bool written = file.Write(u"Plain name.vxn");
    fs::current_path(previous);

    ASSERT_TRUE(written);
    EXPECT_EQ(seenTemporary.parent_path(), fs::path("."));
    EXPECT_EQ(seenTemporary.filename().string().substr(0, 3), "orv");
    EXPECT_TRUE(fs::exists(env.Root() / "Plain name.vxn"));
    EXPECT_TRUE(TemporaryFilesIn(env.Root()).empty());
}

TEST_F(EncryptedFileTest, TemporaryFileLiesBesideTheRecord) {
    fs::create_directory(env.Root() / "Identities");
    fs::path seenTemporary;
    SetWriteFaultHook([&](WriteStep, const fs::path& temporary) {
        seenTemporary = temporary;
        return 0;
    });
    CBlobFile file;
    ASSERT_TRUE(file.Write(U16(env.Root() / "Identities" / "Ann.vxi")));
    EXPECT_EQ(fs::canonical(seenTemporary.parent_path()), fs::canonical(env.Root() / "Identities"));
}

// A write that fails at any step keeps the old record whole and leaves no temporary file.
TEST_F(EncryptedFileTest, FailedWriteKeepsTheOldRecord) {
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
    CBlobFile original;
    original.stored = payload;
    ASSERT_TRUE(original.Write(U16(Record())));
    const Bytes before = FileBytes(Record());

    for (const Fault& fault : faults) {
        SCOPED_TRACE(static_cast<int>(fault.step));
        SCOPED_TRACE(fault.error);
        ui.Clear();
        SetWriteFaultHook(
            [&](WriteStep step, const fs::path&) { return step == fault.step ? fault.error : 0; });
        CBlobFile changed;
        changed.stored = Bytes(100, 0x42);
        changed.SetModifiedFlag();
        EXPECT_FALSE(changed.Write(U16(Record())));
        EXPECT_EQ(changed.GetWriteStatus(), fault.status);
        EXPECT_TRUE(changed.IsModified());
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

TEST_F(EncryptedFileTest, ReplacingAFolderFailsAndLeavesNoTemporaryFile) {
    fs::create_directories(Record("busy.vxi") / "inside");
    CBlobFile file;
    file.stored = payload;
    EXPECT_FALSE(file.Write(U16(Record("busy.vxi"))));
    EXPECT_EQ(file.GetWriteStatus(), FileStatus::WriteError);
    EXPECT_TRUE(fs::is_directory(Record("busy.vxi") / "inside"));
    EXPECT_TRUE(TemporaryFilesIn(env.Root()).empty());
}

TEST_F(EncryptedFileTest, MissingFolderCannotTakeTheTemporaryFile) {
    CBlobFile file;
    EXPECT_FALSE(file.Write(U16(env.Root() / "missing" / "a.vxn")));
    EXPECT_EQ(file.GetWriteStatus(), FileStatus::CannotOpen);
    EXPECT_TRUE(ui.Messages().empty());

    test::WriteFileBytes(env.Root() / "plain", "x");
    EXPECT_FALSE(file.Write(U16(env.Root() / "plain" / "a.vxn")));
    EXPECT_EQ(file.GetWriteStatus(), FileStatus::CannotOpen);
}

TEST_F(EncryptedFileTest, WriteWithoutAnyPathIsAnInvalidFilename) {
    CBlobFile file;
    EXPECT_FALSE(file.Write());
    EXPECT_EQ(file.GetWriteStatus(), FileStatus::CannotOpen);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::u16string>{std::u16string(messages::kInvalidFilename)});
}

TEST_F(EncryptedFileTest, WriteWithoutPathKeepsThePathName) {
    CBlobFile file;
    ASSERT_TRUE(file.Write(U16(Record("first.vxn"))));
    fs::remove(Record("first.vxn"));
    ASSERT_TRUE(file.Write());
    EXPECT_TRUE(fs::exists(Record("first.vxn")));
    EXPECT_EQ(file.GetPathName(), U16(Record("first.vxn")));
}

// ---- Names and messages ---------------------------------------------------------------------

TEST(EncryptedFileNames, TitleAndNameComeFromTheLastSlashAndDot) {
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
    test::IsolatedEnvironment env;
    ui::ScriptedUi ui;
    test::FakePasswordSource source(std::nullopt);
    for (const Case& c : cases) {
        CEncryptedFile file;
        file.Read(c.path);  // sets the path name even though it fails
        EXPECT_EQ(file.GetFileTitle(), c.title);
        EXPECT_EQ(file.GetName(), c.name);
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

}  // namespace
}  // namespace veltrix
