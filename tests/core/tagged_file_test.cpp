#include "core/tagged_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/support/record_file_test.h"

namespace veltrix {
namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- Reading elements -------------------------------------------------------------------------

TEST(TagGrammarFind, ValueBetweenTheFirstOpeningAndTheNextClosingTag) {
    const std::u16string text = u"<fname>Ann</fname>\r\n<lname>Lee</lname>\r\n<fname>Bob</fname>";
    EXPECT_EQ(CTaggedFile::FindTag(text, u"fname"), u"Ann");
    EXPECT_EQ(CTaggedFile::FindTag(text, u"lname"), u"Lee");
    EXPECT_EQ(CTaggedFile::FindTag(text, u"mname"), u"");
}

TEST(TagGrammarFind, MissingClosingTagReadsEmpty) {
    EXPECT_EQ(CTaggedFile::FindTag(u"<fname>Ann", u"fname"), u"");
    // A closing tag before the opening one does not count.
    EXPECT_EQ(CTaggedFile::FindTag(u"</fname><fname>Ann", u"fname"), u"");
}

TEST(TagGrammarFind, KeysMatchExactlyAndCaseSensitively) {
    const std::u16string text = u"<cc10>ten</cc10>\r\n<FNAME>upper</FNAME>\r\n<cc#>4111</cc#>";
    EXPECT_EQ(CTaggedFile::FindTag(text, u"cc1"), u"");
    EXPECT_EQ(CTaggedFile::FindTag(text, u"cc10"), u"ten");
    EXPECT_EQ(CTaggedFile::FindTag(text, u"fname"), u"");
    EXPECT_EQ(CTaggedFile::FindTag(text, u"cc#"), u"4111");
}

TEST(TagGrammarFind, ValuesMayHoldLineBreaksAndSubRecords) {
    const std::u16string text = u"<cc1><ccid>Work</ccid>\r\n<cc#>4111</cc#></cc1>\r\n<x>a\r\nb</x>";
    const std::u16string card = CTaggedFile::FindTag(text, u"cc1");
    EXPECT_EQ(card, u"<ccid>Work</ccid>\r\n<cc#>4111</cc#>");
    EXPECT_EQ(CTaggedFile::FindTag(card, u"cc#"), u"4111");
    EXPECT_EQ(CTaggedFile::FindTag(text, u"x"), u"a\r\nb");
}

TEST(TagGrammarFind, ValueHoldingItsOwnClosingTagIsCutThere) {
    std::u16string text;
    ASSERT_TRUE(CTaggedFile::PutTag(text, u"pnotes", u"see </pnotes> here"));
    EXPECT_EQ(CTaggedFile::FindTag(text, u"pnotes"), u"see ");
}

// ---- Writing elements ---------------------------------------------------------------------

TEST(TagGrammarPut, AppendsElementsSeparatedByCrLf) {
    std::u16string text;
    EXPECT_TRUE(CTaggedFile::PutTag(text, u"title", u"Dr"));
    EXPECT_EQ(text, u"<title>Dr</title>");
    EXPECT_TRUE(CTaggedFile::PutTag(text, u"lname", u"Lee"));
    EXPECT_EQ(text, u"<title>Dr</title>\r\n<lname>Lee</lname>");
}

TEST(TagGrammarPut, EmptyValueChangesNothingUnlessForced) {
    std::u16string text = u"<fname>Ann</fname>";
    EXPECT_TRUE(CTaggedFile::PutTag(text, u"fname", u""));
    EXPECT_TRUE(CTaggedFile::PutTag(text, u"lname", u""));
    EXPECT_EQ(text, u"<fname>Ann</fname>");

    EXPECT_TRUE(CTaggedFile::PutTag(text, u"fname", u"", true));
    EXPECT_EQ(text, u"<fname></fname>");
    EXPECT_TRUE(CTaggedFile::PutTag(text, u"lname", u"", true));
    EXPECT_EQ(text, u"<fname></fname>\r\n<lname></lname>");
}

TEST(TagGrammarPut, ReplacesTheFirstElementInPlace) {
    std::u16string text = u"<a>1</a>\r\n<b>2</b>\r\n<a>3</a>";
    EXPECT_TRUE(CTaggedFile::PutTag(text, u"a", u"one\r\nline"));
    EXPECT_EQ(text, u"<a>one\r\nline</a>\r\n<b>2</b>\r\n<a>3</a>");
}

TEST(TagGrammarPut, OpeningTagWithoutClosingTagFailsAndKeepsTheText) {
    std::u16string text = u"<a>1\r\n<b>2</b>";
    EXPECT_FALSE(CTaggedFile::PutTag(text, u"a", u"x"));
    EXPECT_EQ(text, u"<a>1\r\n<b>2</b>");
}

TEST(TagGrammarPut, WrittenValuesReadBack) {
    const std::vector<std::u16string> values = {u"plain", u"multi\r\nline", u"<inner>x</inner>",
                                                u"\u00e9\U0001F600", u" spaced "};
    std::u16string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_TRUE(
            CTaggedFile::PutTag(text, u"k" + text::FromInt(static_cast<long long>(i)), values[i]));
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(CTaggedFile::FindTag(text, u"k" + text::FromInt(static_cast<long long>(i))),
                  values[i]);
    }
}

// ---- The record object ---------------------------------------------------------------------

TEST(TaggedRecord, GetAndSetUseTheOwnTextOrTheGivenOne) {
    CTaggedFile record;
    EXPECT_TRUE(record.SetTag(u"fname", u"Ann"));
    EXPECT_EQ(record.GetText(), u"<fname>Ann</fname>");
    EXPECT_EQ(record.GetTag(u"fname"), u"Ann");

    std::u16string other;
    EXPECT_TRUE(record.SetTag(u"ccid", u"Work", &other));
    EXPECT_EQ(other, u"<ccid>Work</ccid>");
    EXPECT_EQ(record.GetTag(u"ccid", &other), u"Work");
    EXPECT_EQ(record.GetTag(u"ccid"), u"");
    EXPECT_EQ(record.GetText(), u"<fname>Ann</fname>");

    record.SetText(u"free text");
    EXPECT_EQ(record.GetText(), u"free text");
}

// ---- Payload -------------------------------------------------------------------------------

TEST(TaggedPayload, StoresMarkThenUtf16LeWithoutTerminator) {
    EXPECT_EQ(CTaggedFile::EncodePayload(u"A\u00e9"), (Bytes{0xFF, 0xFE, 'A', 0, 0xE9, 0}));
    EXPECT_EQ(CTaggedFile::EncodePayload(u""), (Bytes{0xFF, 0xFE}));
}

TEST(TaggedPayload, MarkedPayloadEndsAtTheFirstZeroUnit) {
    EXPECT_EQ(CTaggedFile::DecodePayload(Bytes{0xFF, 0xFE, 'A', 0, 'B', 0, 0, 0, 'C', 0}), u"AB");
    EXPECT_EQ(CTaggedFile::DecodePayload(Bytes{0xFF, 0xFE}), u"");
    EXPECT_EQ(CTaggedFile::DecodePayload(Bytes{0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}), u"\U0001F600");
}

// The payload is read as if two zero bytes followed it: an odd last byte is a unit of its own.
TEST(TaggedPayload, OddLastByteOfAMarkedPayloadIsKept) {
    EXPECT_EQ(CTaggedFile::DecodePayload(Bytes{0xFF, 0xFE, 'A', 0, 'B'}), u"AB");
    EXPECT_EQ(CTaggedFile::DecodePayload(Bytes{0xFF, 0xFE, 0}), u"");
}

TEST(TaggedPayload, UnmarkedPayloadIsWindows1252UpToTheFirstZeroByte) {
    EXPECT_EQ(CTaggedFile::DecodePayload(Bytes{'<', 'a', '>', 0xE4, 0x80, '<', '/', 'a', '>'}),
              u"<a>\u00e4\u20ac</a>");
    EXPECT_EQ(CTaggedFile::DecodePayload(Bytes{'a', 'b', 0, 'c'}), u"ab");
    EXPECT_EQ(CTaggedFile::DecodePayload(Bytes{0xFE, 0xFF, 'x'}), u"\u00fe\u00ffx");
    EXPECT_EQ(CTaggedFile::DecodePayload(Bytes{0xFF}), u"\u00ff");
    EXPECT_EQ(CTaggedFile::DecodePayload(Bytes{}), u"");
}

// ---- Through a record file -----------------------------------------------------------------

// Writes given payload bytes as an ordinary encrypted record.
class CRawPayload : public CEncryptedFile {
public:
    explicit CRawPayload(Bytes payload) : m_payload(std::move(payload)) {}
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.Write(m_payload);
        }
    }

private:
    Bytes m_payload;
};

class TaggedFileOnDisk : public test::RecordFileTest {};

TEST_F(TaggedFileOnDisk, TextRoundTripsExactly) {
    const std::u16string text = u"<a>1</a>\r\n<b>line\r\nbreak \u00e9 \U0001F600</b>";
    CTaggedFile record;
    record.SetText(text);
    ASSERT_TRUE(record.Write(Path("r.vxn")));

    CTaggedFile reader;
    ASSERT_TRUE(reader.Read(Path("r.vxn")));
    EXPECT_EQ(reader.GetText(), text);
    EXPECT_EQ(reader.GetTag(u"a"), u"1");
}

TEST_F(TaggedFileOnDisk, UnmarkedPayloadIsReadAsAnsi) {
    CRawPayload raw({'<', 'n', '>', 'c', 'a', 'f', 0xE9, '<', '/', 'n', '>'});
    ASSERT_TRUE(raw.Write(Path("old.vxn")));
    CTaggedFile reader;
    ASSERT_TRUE(reader.Read(Path("old.vxn")));
    EXPECT_EQ(reader.GetText(), u"<n>caf\u00e9</n>");
}

TEST_F(TaggedFileOnDisk, EmptyTextStillWritesTheMark) {
    CTaggedFile record;
    ASSERT_TRUE(record.Write(Path("empty.vxn"), NO_PASSWORD));
    EXPECT_EQ(test::ReadFileBytes(env.Root() / "empty.vxn"), std::string("\xFF\xFE"));
}

TEST_F(TaggedFileOnDisk, FailedReadKeepsTheText) {
    CTaggedFile record;
    record.SetText(u"kept");
    EXPECT_FALSE(record.Read(Path("missing.vxn")));
    EXPECT_EQ(record.GetText(), u"kept");
}

}  // namespace
}  // namespace veltrix
