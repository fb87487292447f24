#include "core/secure_note.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "core/record_io.h"
#include "platform/text.h"
#include "tests/support/record_file_test.h"

namespace veltrix {
namespace {

class SecureNoteTest : public test::RecordFileTest {};

TEST_F(SecureNoteTest, TextThatLooksLikeElementsIsKeptVerbatim) {
    const std::u16string text =
        u"Locker combination: 12-34-56\r\n<fname>not a tag record</fname>\r\n<open only";
    CSecureNote written;
    written.SetText(text);
    ASSERT_TRUE(WriteSecureNote(Path("Locker.vxn"), written).HasValue());

    const auto read = ReadSecureNote(Path("Locker.vxn"));
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(read->GetText(), text);
}

TEST_F(SecureNoteTest, StoredAsMarkedUtf16Text) {
    CSecureNote note;
    note.SetText(u"\u00e9\U0001F600\r\n");
    ASSERT_TRUE(WriteSecureNote(Path("n.vxn"), note, RecordPassword::None()).HasValue());
    EXPECT_EQ(test::ReadFileBytes(env.Root() / "n.vxn"),
              std::string("\xFF\xFE\xE9\x00\x3D\xD8\x00\xDE\x0D\x00\x0A\x00", 12));
}

TEST_F(SecureNoteTest, EmptyNoteReadsBackEmpty) {
    ASSERT_TRUE(WriteSecureNote(Path("e.vxn"), CSecureNote{}).HasValue());
    const auto read = ReadSecureNote(Path("e.vxn"));
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(read->GetText(), u"");
}

TEST_F(SecureNoteTest, AFailedReadGivesItsStatusAndMessage) {
    CSecureNote written;
    written.SetText(u"secret");
    ASSERT_TRUE(
        WriteSecureNote(Path("w.vxn"), written, RecordPassword::Given(u"another")).HasValue());

    const auto wrong = ReadSecureNote(Path("w.vxn"));
    ASSERT_FALSE(wrong.HasValue());
    EXPECT_EQ(wrong.Error(), FileStatus::WrongPassword);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::u16string>{std::u16string(messages::kPasswordMismatch)});

    const auto missing = ReadSecureNote(Path("none.vxn"));
    ASSERT_FALSE(missing.HasValue());
    EXPECT_EQ(missing.Error(), FileStatus::CannotOpen);
}

}  // namespace
}  // namespace veltrix
