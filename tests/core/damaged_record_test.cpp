// Damaged record files: bit flips and truncations over each record kind, and files that are no
// record files at all. None is shown as a success with other contents than were written, none
// is taken for a wrong password, and the stored password never reaches the output.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/identity.h"
#include "core/messages.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/record_text.h"
#include "core/tagged_text.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Neither the record texts nor the messages hold any two successive characters of it.
constexpr std::u16string_view kPassword = u"Qz7#Kv9!";

std::u16string U16(const fs::path& path) {
    return text::FromUtf8(path.string());
}

std::u16string WithPath(std::u16string_view message, const fs::path& path) {
    std::u16string text(message);
    text.replace(text.find(u"%1"), 2, U16(path));
    return text;
}

Bytes FileBytes(const fs::path& path) {
    const std::string bytes = test::ReadFileBytes(path);
    return Bytes(bytes.begin(), bytes.end());
}

void PutFileBytes(const fs::path& path, const Bytes& bytes) {
    test::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}

// Whether `output` holds two successive characters of the password.
bool LeaksPassword(std::u16string_view output) {
    for (std::size_t i = 0; i + 1 < kPassword.size(); ++i) {
        if (output.find(kPassword.substr(i, 2)) != std::u16string_view::npos) {
            return true;
        }
    }
    return false;
}

std::u16string SampleIdentityText() {
    CIdentity identity;
    identity.Set(IdentityKey::FirstName, u"Ann");
    identity.Set(IdentityKey::LastName, u"Lee");
    identity.Set(IdentityKey::PersonalNotes, u"likes <b>tags</b>");
    CCreditCard card;
    card.Set(CardKey::Id, u"Work");
    card.Set(CardKey::Number, u"4111111111111111");
    identity.CreditCards().push_front(card);
    return IdentityToText(identity);
}

std::u16string SampleWebLoginText() {
    CWebLogin login;
    login.SetPageUrl(u"https://example.com/login");
    login.AddField(CWebLoginField{u"user", 0, 0, u"ann", 0});
    login.AddField(CWebLoginField{u"keep", 0, 2, u"on", 1});
    return WebLoginToText(login, WebLoginWriter::Editor);
}

struct Sample {
    const char* file;
    RecordKind kind;
    std::u16string text;
};

std::vector<Sample> Samples() {
    return {{"Ann.vxi", RecordKind::Identity, SampleIdentityText()},
            {"Login.vxw", RecordKind::WebLogin, SampleWebLoginText()},
            {"Locker.vxn", RecordKind::SecureNote, u"combination 12-34-56\r\nsecond line"}};
}

class DamagedRecordTest : public ::testing::Test {
protected:
    fs::path Path(const char* name) const { return env.Root() / name; }

    // Writes the sample; an IV that happens to open like an unencrypted payload (FF FE) is
    // written again, so that every cut of the file is judged the same way on every run.
    Bytes WriteSample(const Sample& sample) {
        Bytes bytes;
        do {
            EXPECT_TRUE(WriteRecordText(U16(Path(sample.file)), sample.text,
                                        RecordPassword::Given(kPassword))
                            .HasValue());
            bytes = FileBytes(Path(sample.file));
        } while (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE);
        return bytes;
    }

    // Reads `bytes` as a record of the sample's kind and checks what every read of a damaged file
    // must hold. Returns whether it was shown as a success.
    bool ReadDamaged(const Sample& sample, const Bytes& bytes) {
        const fs::path path = Path("damaged");
        // A fresh file each time: truncating one that has data makes the file system flush it.
        fs::remove(path);
        PutFileBytes(path, bytes);
        ui.Clear();
        auto read = ReadRecordText(U16(path), sample.kind);
        for (const auto& message : ui.Messages()) {
            // The file's path is ours and random (the temporary folder): leave it out.
            std::u16string text = message.text;
            for (auto at = text.find(U16(path)); at != std::u16string::npos;
                 at = text.find(U16(path))) {
                text.erase(at, U16(path).size());
            }
            EXPECT_FALSE(LeaksPassword(text));
        }
        EXPECT_EQ(source.EndSessionCalls(), 0);
        if (read.HasValue()) {
            EXPECT_FALSE(LeaksPassword(*read));
            EXPECT_TRUE(ui.Messages().empty());
            return true;
        }
        EXPECT_EQ(read.Error(), FileStatus::ReadError);
        EXPECT_EQ(ui.MessageTexts(),
                  std::vector<std::u16string>{WithPath(messages::kDamagedFile, path)});
        return false;
    }

    test::IsolatedEnvironment env;
    ui::ScriptedUi ui;
    test::FakePasswordSource source{std::u16string(kPassword)};
};

// Every single-bit flip of a small record of each kind. Without a checksum in the format, a flip
// that garbles only the inside of a value (or of a Secure Note) stays readable; everything else
// is damage: the IV, the header, the stored password, the byte-order mark, the padding, a tag.
TEST_F(DamagedRecordTest, EveryBitFlipIsDamageOrConfinedToTheText) {
    for (const Sample& sample : Samples()) {
        SCOPED_TRACE(sample.file);
        const Bytes whole = WriteSample(sample);
        // The IV and the blocks of header, password and mark; the last block garbles the padding.
        const std::size_t verificationEnd = 8 + 8 + 2 * kPassword.size() + 2;
        std::size_t shown = 0;
        for (std::size_t bit = 0; bit < 8 * whole.size(); ++bit) {
            Bytes bytes = whole;
            bytes[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
            const bool success = ReadDamaged(sample, bytes);
            const std::size_t byte = bit / 8;
            const bool inVerificationBlock = byte < verificationEnd;
            const bool inLastBlock = byte >= whole.size() - 8;
            if (inVerificationBlock || inLastBlock) {
                EXPECT_FALSE(success) << "bit " << bit;
            }
            shown += success ? 1 : 0;
        }
        // A tagged record shows far fewer flips than the three quarters of before.
        if (sample.kind != RecordKind::SecureNote) {
            EXPECT_LT(shown, 8 * whole.size() / 4);
        }
    }
}

// Every cut of each kind's file, at every length.
TEST_F(DamagedRecordTest, EveryTruncationIsDamage) {
    for (const Sample& sample : Samples()) {
        SCOPED_TRACE(sample.file);
        const Bytes whole = WriteSample(sample);
        for (std::size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(length);
            EXPECT_FALSE(ReadDamaged(
                sample, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length))));
        }
        ASSERT_TRUE(ReadDamaged(sample, whole));  // the whole file still reads
    }
}

// The flaw once seen: a damaged IV changes only the header, whose offsets then pointed into the
// stored password, which was shown as record text.
TEST_F(DamagedRecordTest, AFlippedIvNeverShowsThePassword) {
    const Sample sample = Samples()[2];
    const Bytes whole = WriteSample(sample);
    for (std::size_t byte = 0; byte < 8; ++byte) {
        for (int value = 0; value < 256; value += 7) {
            Bytes bytes = whole;
            bytes[byte] = static_cast<std::uint8_t>(value);
            if (bytes == whole) {
                continue;
            }
            EXPECT_FALSE(ReadDamaged(sample, bytes)) << byte << " " << value;
        }
    }
}

// A damaged file is never overwritten by reading it, and stays as it was.
TEST_F(DamagedRecordTest, ADamagedFileIsLeftAsItIs) {
    const Sample sample = Samples()[0];
    Bytes bytes = WriteSample(sample);
    bytes[12] ^= 0x10;
    PutFileBytes(Path(sample.file), bytes);
    auto read = ReadIdentity(U16(Path(sample.file)));
    ASSERT_FALSE(read.HasValue());
    EXPECT_EQ(read.Error(), FileStatus::ReadError);
    EXPECT_EQ(FileBytes(Path(sample.file)), bytes);
}

// A tagged text with a damaged tag reads as damaged through the record's own reader too.
TEST_F(DamagedRecordTest, RecordReadersRefuseTextsTheirWritersCannotMake) {
    struct Case {
        const char* file;
        std::u16string text;
    };
    const Case cases[] = {
        {"a.vxi", u"<fname>Ann</fname>\r\n<lnXme>Lee</lnXme>"},
        {"b.vxi", u"<fname>Ann</fname>\r\n<cc1><ccid>Work</ccid>\r<cc#>4111</cc#></cc1>"},
        {"c.vxw",
         u"<options>0</options>\r\n<fields>1</fields>\r\n<f1><tag>0</tag>\r\n<type>x</type>"
         u"</f1>"},
        {"d.vxw", u"<options>1z</options>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ui.Clear();
        ASSERT_TRUE(WriteRecordText(U16(Path(c.file)), c.text).HasValue());
        const bool identity = std::string(c.file).ends_with(".vxi");
        const bool failed = identity ? !ReadIdentity(U16(Path(c.file))).HasValue()
                                     : !ReadWebLogin(U16(Path(c.file))).HasValue();
        EXPECT_TRUE(failed);
        EXPECT_EQ(ui.MessageTexts(),
                  std::vector<std::u16string>{WithPath(messages::kDamagedFile, Path(c.file))});
        // The plain text reader has no kind to check against, and shows it.
        EXPECT_EQ(ReadRecordText(U16(Path(c.file))).Value(), c.text);
    }
}

// No false alarm: whatever the values hold (tags, their own closing tag, what looks like the
// joint of two elements, a sub-record's opening tag), the writers' texts are sound.
TEST(SoundRecordText, EveryWrittenTextIsSound) {
    const std::u16string tricky[] = {
        u"plain",           u"a</pnotes>b",   u"x</pnotes>\r\n<hstr>y", u"<cc1>junk",
        u"</cc1>\r\n<ba1>", u"line\r\nbreak", u"<f1><tag>x</tag></f1>", u"</f1>\r\n<f2>",
        u"\u00e9\U0001F600"};
    for (const std::u16string& value : tricky) {
        SCOPED_TRACE(text::ToUtf8(value));
        CIdentity identity;
        for (std::size_t key = 0; key < kIdentityKeyNames.size(); ++key) {
            identity.Set(static_cast<IdentityKey>(key), value);
        }
        for (int n = 0; n < 2; ++n) {
            CCreditCard card;
            card.Set(CardKey::Id, value);
            card.Set(CardKey::Notes, value);
            identity.CreditCards().push_front(card);
            CBankAccount account;
            account.Set(AccountKey::Notes, value);
            identity.BankAccounts().push_front(account);
        }
        EXPECT_TRUE(IsSoundIdentityText(IdentityToText(identity)));

        CWebLogin login;
        login.SetPageUrl(value);
        login.SetNotes(value);
        login.SetOptions(-7);
        login.AddField(CWebLoginField{value, 0, 0, value, 0});
        login.AddField(CWebLoginField{value, 0, 3, value, 1});
        EXPECT_TRUE(IsSoundWebLoginText(WebLoginToText(login, WebLoginWriter::Browser)));
        EXPECT_TRUE(IsSoundWebLoginText(WebLoginToText(login, WebLoginWriter::Editor)));
    }
    EXPECT_TRUE(IsSoundIdentityText(IdentityToText(CIdentity())));
    EXPECT_TRUE(IsSoundWebLoginText(WebLoginToText(CWebLogin(), WebLoginWriter::Editor)));
}

// The password check reads the verification block alone: damage further on does not matter, and
// a file that cannot tell says so rather than calling the password wrong.
TEST_F(DamagedRecordTest, ThePasswordCheckTellsMatchMismatchAndUndecided) {
    const Bytes whole = WriteSample(Samples()[2]);
    Bytes tail = whole;
    tail.back() ^= 0x20;
    EXPECT_EQ(DecryptRecord(tail, kPassword).Error(), CodecError::Damaged);
    EXPECT_EQ(VerifyRecordPassword(tail, kPassword), PasswordCheck::Matches);
    EXPECT_EQ(VerifyRecordPassword(whole, kPassword), PasswordCheck::Matches);
    EXPECT_EQ(VerifyRecordPassword(whole, u"Qz7#Kv9?"), PasswordCheck::DoesNotMatch);

    Bytes header = whole;
    header[8] ^= 0x01;  // the first block, header and the start of the password, garbled
    EXPECT_EQ(VerifyRecordPassword(header, kPassword), PasswordCheck::Undecided);
    EXPECT_EQ(VerifyRecordPassword(Bytes(whole.begin(), whole.begin() + 12), kPassword),
              PasswordCheck::Undecided);
    EXPECT_EQ(VerifyRecordPassword(EncodePayload(u"exported"), kPassword),
              PasswordCheck::Undecided);

    // Another password that shares the key (unmapped characters all become '?') is refused by
    // its stored password.
    auto other = EncodeRecordFile(u"note", u"pass\u65e5\u672c");
    ASSERT_TRUE(other.HasValue());
    EXPECT_EQ(VerifyRecordPassword(*other, u"pass??"), PasswordCheck::DoesNotMatch);
    EXPECT_EQ(DecryptRecord(*other, u"pass??").Error(), CodecError::WrongPassword);
    EXPECT_EQ(VerifyRecordPassword(*other, u"pass\u65e5\u672c"), PasswordCheck::Matches);
}

// ---- Files that are no record files ------------------------------------------------------------

TEST_F(DamagedRecordTest, AFifoIsRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo(Path("Pipe.vxn").c_str(), 0600), 0);
    auto read = ReadRecordText(U16(Path("Pipe.vxn")));
    ASSERT_FALSE(read.HasValue());
    EXPECT_EQ(read.Error(), FileStatus::CannotOpen);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::u16string>{WithPath(messages::kNotRegularFile, Path("Pipe.vxn"))});
    EXPECT_EQ(source.GetPasswordCalls(), 0);
}

TEST_F(DamagedRecordTest, ALinkToADeviceIsRefusedAndALinkToAFileRead) {
    fs::create_symlink("/dev/zero", Path("Zero.vxn"));
    auto read = ReadRecordText(U16(Path("Zero.vxn")));
    ASSERT_FALSE(read.HasValue());
    EXPECT_EQ(read.Error(), FileStatus::CannotOpen);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::u16string>{WithPath(messages::kNotRegularFile, Path("Zero.vxn"))});

    WriteSample(Samples()[2]);
    fs::create_symlink(Path("Locker.vxn"), Path("Link.vxn"));
    EXPECT_EQ(ReadRecordText(U16(Path("Link.vxn"))).Value(), Samples()[2].text);
}

TEST_F(DamagedRecordTest, AFileBeyondTheSizeLimitIsRefusedUnread) {
    const fs::path huge = Path("Huge.vxn");
    test::WriteFileBytes(huge, "x");
    fs::resize_file(huge, kMaxRecordFileSize + 1);  // sparse: nothing is written to the disk
    auto read = ReadRecordText(U16(huge));
    ASSERT_FALSE(read.HasValue());
    EXPECT_EQ(read.Error(), FileStatus::ReadError);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::u16string>{WithPath(messages::kFileTooLarge, huge)});
    EXPECT_EQ(source.GetPasswordCalls(), 0);

    // Exactly at the limit the file is read.
    fs::resize_file(huge, kMaxRecordFileSize);
    auto bytes = ReadRecordFile(U16(huge));
    ASSERT_TRUE(bytes.HasValue());
    EXPECT_EQ(bytes->size(), kMaxRecordFileSize);
}

TEST_F(DamagedRecordTest, ATextTooLargeToReadBackIsNotWritten) {
    const std::u16string text(kMaxRecordFileSize / 2, u'a');
    auto written = WriteRecordText(U16(Path("Big.vxn")), text, RecordPassword::None());
    ASSERT_FALSE(written.HasValue());
    EXPECT_EQ(written.Error(), FileStatus::WriteError);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::u16string>{WithPath(messages::kFileTooLarge, Path("Big.vxn"))});
    EXPECT_FALSE(fs::exists(Path("Big.vxn")));
}

}  // namespace
}  // namespace veltrix
