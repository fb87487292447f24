// The page bridge's messages come from pages: well-formed ones are read whole, anything else is
// refused with a reason, and nothing a page writes into them can make the host misbehave.
#include "browserhost/web/bridge_messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace veltrix::browserhost {
namespace {

QString Message(const QString& type, const QString& fields, const QString& frame = "\"0/1\"") {
    return QStringLiteral("{\"t\":\"%1\",\"frame\":%2,\"doc\":\"d1\",\"parent\":\"p1\",%3}")
        .arg(type, frame, fields);
}

TEST(BridgeMessagesTest, ReadsEachKindOfMessage) {
    const auto snapshot = ParseBridgeMessage(
        Message("doc",
                "\"reason\":\"load\",\"url\":\"http://x/\",\"title\":\"T\",\"complete\":false,"
                "\"nodes\":[[-1,1,\"form\",[\"id\",\"f\"],0,-1],[0,\"User\"],"
                "[0,2,\"input\",[\"name\",\"u\"],[\"typed\",null,null],0]]"));
    ASSERT_TRUE(snapshot.message) << snapshot.refusal;
    EXPECT_EQ(snapshot.message->source.frame, "0/1");
    EXPECT_EQ(snapshot.message->source.parentDocument, "p1");
    const auto& document = std::get<DocumentMessage>(snapshot.message->body);
    EXPECT_EQ(document.reason, DocumentMessage::Reason::Load);
    EXPECT_FALSE(document.complete);
    ASSERT_EQ(document.nodes.size(), 3u);
    EXPECT_EQ(document.nodes[1].text, u"User");
    EXPECT_EQ(document.nodes[2].key, 2u);
    EXPECT_EQ(document.nodes[2].formOwner, 0);
    EXPECT_EQ(document.nodes[2].value, std::optional<std::u16string>(u"typed"));
    EXPECT_FALSE(document.nodes[2].checked.has_value());

    const auto submit =
        ParseBridgeMessage(Message("submit",
                                   "\"id\":3,\"form\":1,\"submitter\":0,\"user\":true,"
                                   "\"state\":[[2,\"v\",null,null],[5,null,true,null]]"));
    ASSERT_TRUE(submit.message) << submit.refusal;
    const auto& held = std::get<SubmitMessage>(submit.message->body);
    EXPECT_EQ(held.id, 3);
    EXPECT_TRUE(held.byUser);
    ASSERT_EQ(held.state.size(), 2u);
    EXPECT_EQ(held.state[1].checked, std::optional<bool>(true));

    const auto event =
        ParseBridgeMessage(Message("event", "\"kind\":\"reset\",\"node\":1,\"state\":[]", "\"\""));
    ASSERT_TRUE(event.message) << event.refusal;
    EXPECT_EQ(std::get<EventMessage>(event.message->body).kind, EventMessage::Kind::Reset);
}

TEST(BridgeMessagesTest, RefusesWhatDoesNotFit) {
    const auto refusal = [](const QString& text) { return ParseBridgeMessage(text).refusal; };
    EXPECT_EQ(refusal("not json"), "message is not a JSON object");
    EXPECT_EQ(refusal("[1,2]"), "message is not a JSON object");
    EXPECT_EQ(refusal(Message("doc", "\"reason\":\"load\",\"nodes\":[]", "\"../0\"")),
              "message without a valid frame or document");
    EXPECT_EQ(refusal(Message("doc", "\"reason\":\"load\",\"nodes\":[]", "7")),
              "message without a valid frame or document");
    EXPECT_EQ(refusal(Message("doc", "\"reason\":\"later\",\"nodes\":[]")),
              "snapshot with an unknown reason");
    EXPECT_EQ(refusal(Message("doc", "\"reason\":\"load\",\"nodes\":[[\"0\",\"x\"]]")),
              "snapshot with a malformed node");
    EXPECT_EQ(refusal(Message("doc", "\"reason\":\"load\",\"nodes\":[[-1,1.5,\"a\",[],0,-1]]")),
              "snapshot with a malformed node");
    EXPECT_EQ(refusal(Message("doc", "\"reason\":\"load\",\"nodes\":[[-1,-4,\"a\",[],0,-1]]")),
              "snapshot with a malformed node");
    EXPECT_EQ(refusal(Message("doc", "\"reason\":\"load\",\"nodes\":[[-1,1,\"a\",[1,2],0,-1]]")),
              "snapshot with a malformed node");
    EXPECT_EQ(refusal(Message("submit",
                              "\"id\":0,\"form\":1,\"submitter\":0,\"user\":true,"
                              "\"state\":[]")),
              "malformed submission");
    EXPECT_EQ(refusal(Message("event", "\"kind\":\"hover\",\"node\":1,\"state\":[]")),
              "malformed form event");
    EXPECT_EQ(refusal(Message("state", "\"state\":[[1,2]]")), "malformed control state");
    EXPECT_EQ(refusal(Message("other", "\"x\":1")), "message of an unknown type");
    const QString token(65, QLatin1Char('a'));
    EXPECT_EQ(refusal(QStringLiteral("{\"t\":\"state\",\"frame\":\"\",\"doc\":\"%1\",\"parent\":"
                                     "\"\",\"state\":[]}")
                          .arg(token)),
              "message without a valid frame or document");
    EXPECT_THAT(refusal(QString(kMaxBridgeMessageChars + 1, QLatin1Char(' '))),
                ::testing::EndsWith("characters is too large"));
}

QString MarkupMessage(const QString& controls, int elements = 5) {
    return Message("doc",
                   QStringLiteral("\"reason\":\"load\",\"url\":\"http://x/\",\"title\":\"T\","
                                  "\"elements\":%1,\"controls\":%2")
                       .arg(elements)
                       .arg(controls));
}

const QString kMarkup = QStringLiteral(
    "<body><form id=\"f\"><input name=\"u\" value=\"old\"><input type=\"checkbox\">"
    "</form><input form=\"f\"></body>");

// A snapshot sent as markup: the controls' letters, key runs, changed values and owners other
// than the enclosing form come to the nodes read from the markup.
TEST(BridgeMessagesTest, ReadsASnapshotSentAsMarkup) {
    const auto parsed = ParseBridgeMessage(
        MarkupMessage("{\"tags\":\"fiIi\",\"keys\":[7,3,2,1],\"values\":[1,\"typed\"],"
                      "\"owners\":[3,7]}"),
        kMarkup);
    ASSERT_TRUE(parsed.message) << parsed.refusal;
    const auto& document = std::get<DocumentMessage>(parsed.message->body);
    EXPECT_EQ(document.markupRefusal, "");
    ASSERT_EQ(document.nodes.size(), 5u);
    EXPECT_EQ(document.nodes[1].key, 7u);
    EXPECT_EQ(document.nodes[2].value, std::optional<std::u16string>(u"typed"));
    EXPECT_EQ(document.nodes[2].checked, std::optional<bool>(false));
    EXPECT_FALSE(document.nodes[3].value.has_value());  // unchanged: the markup has it
    EXPECT_EQ(document.nodes[3].checked, std::optional<bool>(true));
    EXPECT_EQ(document.nodes[4].key, 2u);
    EXPECT_EQ(document.nodes[4].formOwner, 1);
    EXPECT_EQ(document.nodes[2].formOwner, -1);  // the form it is in, found when built

    // Markup that does not match what the page counted is not an error of the message: the
    // host asks for the nodes instead.
    const auto mismatch = ParseBridgeMessage(
        MarkupMessage("{\"tags\":\"fiIi\",\"keys\":[7,4],\"values\":[],\"owners\":[]}", 6),
        kMarkup);
    ASSERT_TRUE(mismatch.message) << mismatch.refusal;
    EXPECT_THAT(std::get<DocumentMessage>(mismatch.message->body).markupRefusal,
                ::testing::HasSubstr("the page 6"));
    EXPECT_TRUE(std::get<DocumentMessage>(mismatch.message->body).nodes.empty());
}

TEST(BridgeMessagesTest, RefusesMalformedControlsOfAMarkupSnapshot) {
    for (const char* controls : {
             R"({"tags":"fiIx","keys":[7,4],"values":[],"owners":[]})",  // unknown letter
             R"({"tags":"fiIi","keys":[7,3],"values":[],"owners":[]})",  // keys too few
             R"({"tags":"fiIi","keys":[7,5],"values":[],"owners":[]})",  // keys too many
             R"({"tags":"fiIi","keys":[0,4],"values":[],"owners":[]})",  // key 0
             R"({"tags":"fiIi","keys":[4294967295,4],"values":[],"owners":[]})",
             R"({"tags":"fiIi","keys":[7,4,1],"values":[],"owners":[]})",
             R"({"tags":"fiIi","keys":[7,4],"values":[4,"x"],"owners":[]})",  // past the end
             R"({"tags":"fiIi","keys":[7,4],"values":[1,2],"owners":[]})",
             R"({"tags":"fiIi","keys":[7,4],"values":[],"owners":[-1,7]})",
             R"({"tags":"fiIi","keys":[7,4],"values":[]})",
             R"([1,2])",
         }) {
        EXPECT_EQ(ParseBridgeMessage(MarkupMessage(controls), kMarkup).refusal,
                  "snapshot with malformed controls")
            << controls;
    }
}

TEST(BridgeMessagesTest, FrameKeys) {
    EXPECT_TRUE(IsFrameKey(""));
    EXPECT_TRUE(IsFrameKey("0"));
    EXPECT_TRUE(IsFrameKey("12/0/3"));
    EXPECT_FALSE(IsFrameKey("/0"));
    EXPECT_FALSE(IsFrameKey("0/"));
    EXPECT_FALSE(IsFrameKey("0//1"));
    EXPECT_FALSE(IsFrameKey("12345"));
    EXPECT_FALSE(IsFrameKey("a"));
    std::string deep = "0";
    for (int i = 0; i < 15; ++i) {
        deep += "/0";
    }
    EXPECT_TRUE(IsFrameKey(deep));
    EXPECT_FALSE(IsFrameKey(deep + "/0"));
}

}  // namespace
}  // namespace veltrix::browserhost
