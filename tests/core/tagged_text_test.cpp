#include "core/tagged_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"

namespace veltrix {
namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- Reading elements -------------------------------------------------------------------------

TEST(TagGrammarFind, ValueBetweenTheFirstOpeningAndTheNextClosingTag) {
    const std::u16string text = u"<fname>Ann</fname>\r\n<lname>Lee</lname>\r\n<fname>Bob</fname>";
    EXPECT_EQ(FindTag(text, u"fname"), u"Ann");
    EXPECT_EQ(FindTag(text, u"lname"), u"Lee");
    EXPECT_EQ(FindTag(text, u"mname"), u"");
}

TEST(TagGrammarFind, MissingClosingTagReadsEmpty) {
    EXPECT_EQ(FindTag(u"<fname>Ann", u"fname"), u"");
    // A closing tag before the opening one does not count.
    EXPECT_EQ(FindTag(u"</fname><fname>Ann", u"fname"), u"");
}

TEST(TagGrammarFind, KeysMatchExactlyAndCaseSensitively) {
    const std::u16string text = u"<cc10>ten</cc10>\r\n<FNAME>upper</FNAME>\r\n<cc#>4111</cc#>";
    EXPECT_EQ(FindTag(text, u"cc1"), u"");
    EXPECT_EQ(FindTag(text, u"cc10"), u"ten");
    EXPECT_EQ(FindTag(text, u"fname"), u"");
    EXPECT_EQ(FindTag(text, u"cc#"), u"4111");
    // Nor does a closing tag of a longer key end the value.
    EXPECT_EQ(FindTag(u"<a>x</ab>y</a>", u"a"), u"x</ab>y");
    EXPECT_EQ(TaggedText(u"<a>x</ab>y</a>").Find(u"a"), u"x</ab>y");
}

TEST(TagGrammarFind, ValuesMayHoldLineBreaksAndSubRecords) {
    const std::u16string text = u"<cc1><ccid>Work</ccid>\r\n<cc#>4111</cc#></cc1>\r\n<x>a\r\nb</x>";
    const std::u16string card = FindTag(text, u"cc1");
    EXPECT_EQ(card, u"<ccid>Work</ccid>\r\n<cc#>4111</cc#>");
    EXPECT_EQ(FindTag(card, u"cc#"), u"4111");
    EXPECT_EQ(FindTag(text, u"x"), u"a\r\nb");
}

TEST(TagGrammarFind, ValueHoldingItsOwnClosingTagIsCutThere) {
    std::u16string text;
    ASSERT_TRUE(PutTag(text, u"pnotes", u"see </pnotes> here"));
    EXPECT_EQ(FindTag(text, u"pnotes"), u"see ");
}

// ---- Writing elements ---------------------------------------------------------------------

TEST(TagGrammarPut, AppendsElementsSeparatedByCrLf) {
    std::u16string text;
    EXPECT_TRUE(PutTag(text, u"title", u"Dr"));
    EXPECT_EQ(text, u"<title>Dr</title>");
    EXPECT_TRUE(PutTag(text, u"lname", u"Lee"));
    EXPECT_EQ(text, u"<title>Dr</title>\r\n<lname>Lee</lname>");
}

TEST(TagGrammarPut, EmptyValueChangesNothingUnlessForced) {
    std::u16string text = u"<fname>Ann</fname>";
    EXPECT_TRUE(PutTag(text, u"fname", u""));
    EXPECT_TRUE(PutTag(text, u"lname", u""));
    EXPECT_EQ(text, u"<fname>Ann</fname>");

    EXPECT_TRUE(PutTag(text, u"fname", u"", true));
    EXPECT_EQ(text, u"<fname></fname>");
    EXPECT_TRUE(PutTag(text, u"lname", u"", true));
    EXPECT_EQ(text, u"<fname></fname>\r\n<lname></lname>");
}

TEST(TagGrammarPut, ReplacesTheFirstElementInPlace) {
    std::u16string text = u"<a>1</a>\r\n<b>2</b>\r\n<a>3</a>";
    EXPECT_TRUE(PutTag(text, u"a", u"one\r\nline"));
    EXPECT_EQ(text, u"<a>one\r\nline</a>\r\n<b>2</b>\r\n<a>3</a>");
}

TEST(TagGrammarPut, OpeningTagWithoutClosingTagFailsAndKeepsTheText) {
    std::u16string text = u"<a>1\r\n<b>2</b>";
    EXPECT_FALSE(PutTag(text, u"a", u"x"));
    EXPECT_EQ(text, u"<a>1\r\n<b>2</b>");
}

TEST(TagGrammarPut, WrittenValuesReadBack) {
    const std::vector<std::u16string> values = {u"plain", u"multi\r\nline", u"<inner>x</inner>",
                                                u"\u00e9\U0001F600", u" spaced "};
    std::u16string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_TRUE(PutTag(text, u"k" + text::FromInt(static_cast<long long>(i)), values[i]));
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(FindTag(text, u"k" + text::FromInt(static_cast<long long>(i))), values[i]);
    }
}

// ---- One pass each way -------------------------------------------------------------------

// Every text made of up to four of these fragments reads alike through the one-pass index and
// through the element grammar, for keys that occur, nest, overlap or are cut.
TEST(TaggedTextIndex, FindsWhatTheGrammarFinds) {
    const std::vector<std::u16string> fragments = {u"<a>", u"</a>", u"<b>", u"</b>", u"<<a>",
                                                   u"x",   u"\r\n", u"<a",  u">",    u"<ab>"};
    const std::vector<std::u16string> keys = {u"a", u"b", u"ab", u"c", u"/a"};
    std::vector<std::u16string> texts = {u""};
    for (int length = 0; length < 4; ++length) {
        const std::size_t shorter = texts.size();
        for (std::size_t i = 0; i < shorter; ++i) {
            for (const std::u16string& fragment : fragments) {
                texts.push_back(texts[i] + fragment);
            }
        }
    }
    for (const std::u16string& text : texts) {
        const TaggedText indexed(text);
        for (const std::u16string& key : keys) {
            ASSERT_EQ(indexed.Find(key), FindTag(text, key))
                << text::ToUtf8(text) << " / " << text::ToUtf8(key);
        }
    }
}

// Every sequence of three puts gives the text and the results PutTag gives, including values
// that hold other elements, their own opening tag, or an opening tag without its closing one.
TEST(TaggedTextWriterTest, BuildsWhatPutTagBuilds) {
    const std::vector<std::u16string> keys = {u"a", u"b"};
    const std::vector<std::u16string> values = {u"", u"1", u"<a>", u"</a>", u"<b>x</b>", u"<a"};
    struct Put {
        const std::u16string* key;
        const std::u16string* value;
        bool force;
    };
    std::vector<Put> puts;
    for (const auto& key : keys) {
        for (const auto& value : values) {
            for (bool force : {false, true}) {
                puts.push_back({&key, &value, force});
            }
        }
    }
    for (const Put& first : puts) {
        for (const Put& second : puts) {
            for (const Put& third : puts) {
                TaggedTextWriter writer;
                std::u16string expected;
                for (const Put* put : {&first, &second, &third}) {
                    const bool written = writer.Put(*put->key, *put->value, put->force);
                    ASSERT_EQ(written, PutTag(expected, *put->key, *put->value, put->force));
                    ASSERT_EQ(writer.Text(), expected);
                }
            }
        }
    }
}

TEST(TaggedTextWriterTest, AppendsInOrderAndHandsOverTheText) {
    TaggedTextWriter writer;
    EXPECT_TRUE(writer.Put(u"fname", u"Ann"));
    EXPECT_TRUE(writer.Put(u"mname", u""));
    EXPECT_TRUE(writer.Put(u"cc1", u"<ccid>Work</ccid>\r\n<cc#>4111</cc#>"));
    EXPECT_TRUE(writer.Put(u"lname", u"", true));
    const std::u16string text = writer.Take();
    EXPECT_EQ(text,
              u"<fname>Ann</fname>\r\n<cc1><ccid>Work</ccid>\r\n<cc#>4111</cc#></cc1>\r\n"
              u"<lname></lname>");
    const TaggedText read(text);
    EXPECT_EQ(read.Find(u"cc1"), u"<ccid>Work</ccid>\r\n<cc#>4111</cc#>");
    // Reading takes the first opening tag anywhere, inside a sub-record too.
    EXPECT_EQ(read.Find(u"ccid"), u"Work");
    EXPECT_EQ(read.Find(u"lname"), u"");
}

// ---- Payload -------------------------------------------------------------------------------

TEST(TaggedPayload, StoresMarkThenUtf16LeWithoutTerminator) {
    EXPECT_EQ(EncodePayload(u"A\u00e9"), (Bytes{0xFF, 0xFE, 'A', 0, 0xE9, 0}));
    EXPECT_EQ(EncodePayload(u""), (Bytes{0xFF, 0xFE}));
}

TEST(TaggedPayload, MarkedPayloadEndsAtTheFirstZeroUnit) {
    EXPECT_EQ(DecodePayload(Bytes{0xFF, 0xFE, 'A', 0, 'B', 0, 0, 0, 'C', 0}), u"AB");
    EXPECT_EQ(DecodePayload(Bytes{0xFF, 0xFE}), u"");
    EXPECT_EQ(DecodePayload(Bytes{0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}), u"\U0001F600");
}

// The payload is read as if two zero bytes followed it: an odd last byte is a unit of its own.
TEST(TaggedPayload, OddLastByteOfAMarkedPayloadIsKept) {
    EXPECT_EQ(DecodePayload(Bytes{0xFF, 0xFE, 'A', 0, 'B'}), u"AB");
    EXPECT_EQ(DecodePayload(Bytes{0xFF, 0xFE, 0}), u"");
}

TEST(TaggedPayload, UnmarkedPayloadIsWindows1252UpToTheFirstZeroByte) {
    EXPECT_EQ(DecodePayload(Bytes{'<', 'a', '>', 0xE4, 0x80, '<', '/', 'a', '>'}),
              u"<a>\u00e4\u20ac</a>");
    EXPECT_EQ(DecodePayload(Bytes{'a', 'b', 0, 'c'}), u"ab");
    EXPECT_EQ(DecodePayload(Bytes{0xFE, 0xFF, 'x'}), u"\u00fe\u00ffx");
    EXPECT_EQ(DecodePayload(Bytes{0xFF}), u"\u00ff");
    EXPECT_EQ(DecodePayload(Bytes{}), u"");
}

// ---- Soundness
// -----------------------------------------------------------------------------------

TEST(SoundPayload, OnlyWhatAWriterProduces) {
    EXPECT_TRUE(IsSoundPayload(Bytes{}));
    EXPECT_TRUE(IsSoundPayload(EncodePayload(u"")));
    EXPECT_TRUE(IsSoundPayload(EncodePayload(u"Ann \u00e9 \U0001F600")));
    EXPECT_TRUE(IsSoundPayload(Bytes{'c', 'a', 'f', 0xE9}));  // unmarked ANSI

    EXPECT_FALSE(IsSoundPayload(Bytes{0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0}));  // a zero unit
    EXPECT_FALSE(IsSoundPayload(Bytes{0xFF, 0xFE, 'A', 0, 'B'}));           // half a unit
    EXPECT_FALSE(IsSoundPayload(Bytes{0xFF, 0xFE, 0x3D, 0xD8, 'A', 0}));    // lone high surrogate
    EXPECT_FALSE(IsSoundPayload(Bytes{0xFF, 0xFE, 0x3D, 0xD8}));            // high one at the end
    EXPECT_FALSE(IsSoundPayload(Bytes{0xFF, 0xFE, 0x00, 0xDE, 'A', 0}));    // lone low surrogate
    // A damaged mark leaves UTF-16 text read as ANSI, whose zero high bytes give it away.
    EXPECT_FALSE(IsSoundPayload(Bytes{0xFF, 0xFA, 'A', 0, 'n', 0}));
}

bool IsSimpleKey(std::u16string_view key) {
    return key == u"a" || key == u"b" || key == u"note";
}

TEST(SoundTaggedText, ElementsOfKnownKeysJoinedByCrLf) {
    EXPECT_TRUE(IsWellFormedTaggedText(u"", IsSimpleKey));
    EXPECT_TRUE(IsWellFormedTaggedText(u"<a>1</a>", IsSimpleKey));
    EXPECT_TRUE(IsWellFormedTaggedText(u"<a>1</a>\r\n<b></b>\r\n<a>x\r\ny</a>", IsSimpleKey));

    EXPECT_FALSE(IsWellFormedTaggedText(u"<c>1</c>", IsSimpleKey));            // unknown key
    EXPECT_FALSE(IsWellFormedTaggedText(u"<a>1</a><b>2</b>", IsSimpleKey));    // no CR LF
    EXPECT_FALSE(IsWellFormedTaggedText(u"<a>1</a>\n<b>2</b>", IsSimpleKey));  // LF alone
    EXPECT_FALSE(IsWellFormedTaggedText(u"<a>1</a>\r\n", IsSimpleKey));        // trailing CR LF
    EXPECT_FALSE(IsWellFormedTaggedText(u"x<a>1</a>", IsSimpleKey));           // leading text
    EXPECT_FALSE(IsWellFormedTaggedText(u"<a>1</a>x", IsSimpleKey));           // trailing text
    EXPECT_FALSE(IsWellFormedTaggedText(u"<a>1</b>", IsSimpleKey));            // wrong closing
    EXPECT_FALSE(IsWellFormedTaggedText(u"<a>1", IsSimpleKey));                // not closed
}

// Values are free: a writer stores a value holding its own closing tag, or what looks like the
// joint of two elements, and the text is still one it could have made.
TEST(SoundTaggedText, ValuesMayHoldTagsAndJoints) {
    EXPECT_TRUE(IsWellFormedTaggedText(u"<note>a</note>b</note>", IsSimpleKey));
    EXPECT_TRUE(IsWellFormedTaggedText(u"<note>x</note>\r\n<a>y</note>\r\n<b>2</b>", IsSimpleKey));
    EXPECT_TRUE(IsWellFormedTaggedText(u"<a><b>1</b>\r\n<b>2</b></a>", IsSimpleKey));
    // The a element's value may run to the end, where </a> closes it.
    EXPECT_TRUE(IsWellFormedTaggedText(u"<note>x</note>\r\n<a>y</note>\r\n<b>2</a>", IsSimpleKey));
    EXPECT_FALSE(IsWellFormedTaggedText(u"<note>x</note>\r\n<a>y</note>\r\n<b>2</c>", IsSimpleKey));
}

// The check is one pass over the text whatever it holds: a text of twenty thousand elements,
// each value a possible joint, takes no time to speak of.
TEST(SoundTaggedText, LinearInTheSizeOfTheText) {
    std::u16string text;
    for (int i = 0; i < 20000; ++i) {
        text += u"<a>\r\n<b></a>\r\n";
    }
    text += u"<b>end</b>";
    EXPECT_TRUE(IsWellFormedTaggedText(text, IsSimpleKey));
    text.back() = u'x';
    EXPECT_FALSE(IsWellFormedTaggedText(text, IsSimpleKey));
}

}  // namespace
}  // namespace veltrix
