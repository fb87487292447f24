// Record files made by an independent implementation must read to exactly their expected text.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/identity.h"
#include "core/messages.h"
#include "core/record_io.h"
#include "core/secure_note.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/support/test_environment.h"
#include "ui/scripted_ui.h"

namespace veltrix {
namespace {

namespace fs = std::filesystem;

struct ExpectedRecord {
    std::string file;
    std::u16string password;
    std::u16string text;
};

// The text of a TSV cell: "\r\n" written out stands for CR LF.
std::u16string Unescape(const std::string& cell) {
    std::u16string text = text::FromUtf8(cell);
    for (std::size_t at = text.find(u"\\r\\n"); at != std::u16string::npos;
         at = text.find(u"\\r\\n", at + 2)) {
        text.replace(at, 4, u"\r\n");
    }
    return text;
}

fs::path VaultFolder() {
    return test::TestDataFolder() / "vault";
}

std::vector<ExpectedRecord> LoadExpected() {
    std::ifstream in(VaultFolder() / "EXPECTED.tsv");
    std::vector<ExpectedRecord> records;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t first = line.find('\t');
        const std::size_t second = line.find('\t', first + 1);
        if (first == std::string::npos || second == std::string::npos) {
            ADD_FAILURE() << "malformed line: " << line;
            continue;
        }
        records.push_back({line.substr(0, first),
                           text::FromUtf8(line.substr(first + 1, second - first - 1)),
                           Unescape(line.substr(second + 1))});
    }
    return records;
}

std::u16string PathOf(const std::string& file) {
    return text::FromUtf8((VaultFolder() / file).string());
}

class VaultFixtures : public ::testing::Test {
protected:
    test::IsolatedEnvironment env;
    ui::ScriptedUi ui;
};

TEST_F(VaultFixtures, EveryFileReadsToItsExpectedText) {
    const std::vector<ExpectedRecord> records = LoadExpected();
    ASSERT_FALSE(records.empty());
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(VaultFolder())) {
        files += entry.path().filename() != "EXPECTED.tsv" ? 1 : 0;
    }
    EXPECT_EQ(records.size(), files) << "every record file has an expected text";

    for (const ExpectedRecord& record : records) {
        SCOPED_TRACE(record.file);
        test::FakePasswordSource source(record.password);
        const auto text = ReadRecordText(PathOf(record.file));
        ASSERT_TRUE(text.HasValue());
        EXPECT_EQ(*text, record.text);
    }
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(VaultFixtures, WrongOrDifferentlyCasedPasswordIsRefused) {
    for (const ExpectedRecord& record : LoadExpected()) {
        SCOPED_TRACE(record.file);
        ui.Clear();
        test::FakePasswordSource source(text::FoldCase(record.password));
        const auto text = ReadRecordText(PathOf(record.file));
        ASSERT_FALSE(text.HasValue());
        EXPECT_EQ(text.Error(), FileStatus::WrongPassword);
        EXPECT_EQ(source.EndSessionCalls(), 1);
        EXPECT_EQ(ui.MessageTexts(),
                  std::vector<std::u16string>{std::u16string(messages::kPasswordMismatch)});
    }
}

TEST_F(VaultFixtures, IdentityFileLoadsItsFieldsAndSubRecords) {
    test::FakePasswordSource source(u"Secret1");
    const auto read = ReadIdentity(PathOf("Ann Lee.vxi"));
    ASSERT_TRUE(read.HasValue());
    const CIdentity& identity = *read;
    EXPECT_EQ(RecordNameOf(PathOf("Ann Lee.vxi")), u"Ann Lee");
    EXPECT_EQ(identity.GetFullName(), u"Ann B. Lee");
    EXPECT_EQ(identity.Get(IdentityKey::HomeStreet), u"12 Elm St\r\nApt 4");
    ASSERT_EQ(identity.CreditCardCount(), 2u);
    // Loaded to the front: the file's cc2 comes first.
    EXPECT_EQ(identity.CreditCards().front().GetId(), u"Home");
    ASSERT_NE(identity.FindCreditCard(u"Work"), nullptr);
    EXPECT_EQ(identity.FindCreditCard(u"Work")->Get(CardKey::ExpiryMonth), u"07");
    ASSERT_NE(identity.FindBankAccount(u"Checking"), nullptr);
    EXPECT_EQ(identity.FindBankAccount(u"Checking")->Get(AccountKey::Bank), u"First Bank");
}

// Our own writer produces files the fixtures' reader rules accept: a rewritten fixture reads to
// the same text, apart from the reversed sub-records of an Identity.
TEST_F(VaultFixtures, RewrittenNoteReadsToTheSameText) {
    for (const ExpectedRecord& record : LoadExpected()) {
        if (!record.file.ends_with(".vxn")) {
            continue;
        }
        SCOPED_TRACE(record.file);
        test::FakePasswordSource source(record.password);
        const auto note = ReadSecureNote(PathOf(record.file));
        ASSERT_TRUE(note.HasValue());
        const std::u16string copy = text::FromUtf8((env.Root() / record.file).string());
        ASSERT_TRUE(WriteSecureNote(copy, *note).HasValue());
        const auto reread = ReadSecureNote(copy);
        ASSERT_TRUE(reread.HasValue());
        EXPECT_EQ(reread->GetText(), record.text);
        EXPECT_EQ(fs::file_size(env.Root() / record.file),
                  fs::file_size(VaultFolder() / record.file));
    }
}

}  // namespace
}  // namespace veltrix
