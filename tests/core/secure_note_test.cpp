#include "core/secure_note.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "platform/text.h"
#include "tests/support/record_file_test.h"

namespace veltrix {
namespace {

class SecureNoteTest : public test::RecordFileTest {};

TEST_F(SecureNoteTest, TextThatLooksLikeElementsIsKeptVerbatim) {
    const std::u16string note =
        u"Locker combination: 12-34-56\r\n<fname>not a tag record</fname>\r\n<open only";
    CSecureNote written;
    written.SetText(note);
    ASSERT_TRUE(written.Write(Path("Locker.vxn")));

    CSecureNote read(Path("Locker.vxn"));
    EXPECT_EQ(read.GetReadStatus(), FileStatus::Success);
    EXPECT_EQ(read.GetText(), note);
    EXPECT_EQ(read.GetName(), u"Locker");
}

TEST_F(SecureNoteTest, StoredAsMarkedUtf16Text) {
    CSecureNote note;
    note.SetText(u"\u00e9\U0001F600\r\n");
    ASSERT_TRUE(note.Write(Path("n.vxn"), NO_PASSWORD));
    EXPECT_EQ(test::ReadFileBytes(env.Root() / "n.vxn"),
              std::string("\xFF\xFE\xE9\x00\x3D\xD8\x00\xDE\x0D\x00\x0A\x00", 12));
}

TEST_F(SecureNoteTest, EmptyNoteReadsBackEmpty) {
    CSecureNote empty;
    ASSERT_TRUE(empty.Write(Path("e.vxn")));
    CSecureNote read(Path("e.vxn"));
    EXPECT_EQ(read.GetReadStatus(), FileStatus::Success);
    EXPECT_EQ(read.GetText(), u"");
}

TEST_F(SecureNoteTest, ConstructorReportsAFailedRead) {
    CSecureNote written;
    written.SetText(u"secret");
    ASSERT_TRUE(written.Write(Path("w.vxn"), u"another"));

    CSecureNote wrong(Path("w.vxn"));
    EXPECT_EQ(wrong.GetReadStatus(), FileStatus::WrongPassword);
    EXPECT_EQ(wrong.GetText(), u"");
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::u16string>{std::u16string(messages::kPasswordMismatch)});

    CSecureNote missing(Path("none.vxn"));
    EXPECT_EQ(missing.GetReadStatus(), FileStatus::CannotOpen);

    CSecureNote unread;
    EXPECT_EQ(unread.GetReadStatus(), FileStatus::NotDone);
    EXPECT_EQ(unread.GetPathName(), u"");
}

}  // namespace
}  // namespace veltrix
