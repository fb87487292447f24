#include "browserhost/web/bridge_messages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <algorithm>

#include "formengine/dom/markup_snapshot.h"

namespace veltrix::browserhost {
namespace {

constexpr qsizetype kMaxTokenChars = 64;
constexpr std::size_t kMaxFrameLevels = 16;
constexpr double kMaxKey = 4294967295.0;
// Elements a markup snapshot may hold; the page sends a larger document node by node, cut.
constexpr std::size_t kMaxMarkupElements = 60000;

std::u16string U16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

std::optional<std::uint32_t> Key(const QJsonValue& value) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (number < 0 || number > kMaxKey ||
        number != static_cast<double>(static_cast<std::int64_t>(number))) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(number);
}

std::optional<std::int64_t> Index(const QJsonValue& value) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (number < -1 || number > 1e9 ||
        number != static_cast<double>(static_cast<std::int64_t>(number))) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(number);
}

std::optional<std::u16string> OptionalText(const QJsonValue& value) {
    return value.isString() ? std::optional<std::u16string>(U16(value.toString())) : std::nullopt;
}

std::optional<bool> OptionalFlag(const QJsonValue& value) {
    return value.isBool() ? std::optional<bool>(value.toBool()) : std::nullopt;
}

// [parent, text] or [parent, key, tag, [name, value, ...], state, formOwner]
bool ReadNode(const QJsonValue& value, dom::SnapshotNode& node) {
    if (!value.isArray()) {
        return false;
    }
    const QJsonArray array = value.toArray();
    const auto parent = Index(array.at(0));
    if (!parent) {
        return false;
    }
    node.parent = *parent;
    if (array.size() == 2) {
        if (!array.at(1).isString()) {
            return false;
        }
        node.text = U16(array.at(1).toString());
        return true;
    }
    const auto key = Key(array.at(1));
    const auto owner = Index(array.at(5));
    if (array.size() != 6 || !key || !array.at(2).isString() || !array.at(3).isArray() || !owner) {
        return false;
    }
    node.key = *key;
    node.tag = U16(array.at(2).toString());
    node.formOwner = *owner;
    const QJsonArray attributes = array.at(3).toArray();
    for (qsizetype i = 0; i + 1 < attributes.size(); i += 2) {
        if (!attributes.at(i).isString() || !attributes.at(i + 1).isString()) {
            return false;
        }
        node.attributes.emplace_back(U16(attributes.at(i).toString()),
                                     U16(attributes.at(i + 1).toString()));
    }
    if (array.at(4).isArray()) {
        const QJsonArray state = array.at(4).toArray();
        node.value = OptionalText(state.at(0));
        node.checked = OptionalFlag(state.at(1));
        node.selected = OptionalFlag(state.at(2));
    }
    return true;
}

bool ReadState(const QJsonValue& value, std::vector<ControlState>& out) {
    if (!value.isArray()) {
        return false;
    }
    for (const QJsonValue& entry : value.toArray()) {
        const QJsonArray array = entry.toArray();
        const auto key = Key(array.at(0));
        if (!key || array.size() != 4) {
            return false;
        }
        out.push_back({*key, OptionalText(array.at(1)), OptionalFlag(array.at(2)),
                       OptionalFlag(array.at(3))});
    }
    return true;
}

// The letters of a markup snapshot's controls: the tag, and the checked state of an input or the
// selected state of an option (upper case: on).
struct TagCode {
    char16_t letter;
    std::u16string_view tag;
    bool on;
};
constexpr TagCode kTagCodes[] = {
    {u'f', u"form", false},     {u'i', u"input", false},  {u'I', u"input", true},
    {u's', u"select", false},   {u'o', u"option", false}, {u'O', u"option", true},
    {u't', u"textarea", false}, {u'b', u"button", false},
};

bool ReadTagCode(QChar code, dom::LiveControl& control) {
    for (const TagCode& entry : kTagCodes) {
        if (code == QChar(entry.letter)) {
            control.tag = entry.tag;
            if (entry.tag == u"input") {
                control.checked = entry.on;
            } else if (entry.tag == u"option") {
                control.selected = entry.on;
            }
            return true;
        }
    }
    return false;
}

// Pairs [index, x, index, x, ...] of a markup snapshot's controls; false when malformed.
template <typename Take>
bool ReadPairs(const QJsonValue& value, std::size_t count, Take take) {
    if (!value.isArray() || value.toArray().size() % 2 != 0) {
        return false;
    }
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size(); i += 2) {
        const auto index = Index(array.at(i));
        if (!index || *index < 0 || static_cast<std::size_t>(*index) >= count ||
            !take(static_cast<std::size_t>(*index), array.at(i + 1))) {
            return false;
        }
    }
    return true;
}

// The named elements of a markup snapshot, as the page tells them: `tags` a letter each, `keys`
// runs of consecutive keys [first, count, ...], `values` the changed values [index, text, ...],
// `owners` the form owners other than the enclosing form [index, form key, ...].
bool ReadControls(const QJsonValue& value, std::vector<dom::LiveControl>& out) {
    const QJsonObject object = value.toObject();
    const QJsonValue tags = object.value("tags");
    if (!value.isObject() || !tags.isString() ||
        static_cast<std::size_t>(tags.toString().size()) > kMaxMarkupElements) {
        return false;
    }
    const QString codes = tags.toString();
    out.resize(static_cast<std::size_t>(codes.size()));
    for (qsizetype i = 0; i < codes.size(); ++i) {
        if (!ReadTagCode(codes[i], out[static_cast<std::size_t>(i)])) {
            return false;
        }
    }
    const QJsonArray runs = object.value("keys").toArray();
    std::size_t next = 0;
    for (qsizetype i = 0; i + 1 < runs.size(); i += 2) {
        const auto first = Key(runs.at(i));
        const auto count = Index(runs.at(i + 1));
        if (!first || *first == 0 || !count || *count < 1 ||
            static_cast<std::size_t>(*count) > out.size() - next ||
            static_cast<double>(*first) + static_cast<double>(*count) > kMaxKey) {
            return false;
        }
        for (std::int64_t k = 0; k < *count; ++k) {
            out[next++].key = *first + static_cast<std::uint32_t>(k);
        }
    }
    if (next != out.size() || runs.size() % 2 != 0) {
        return false;
    }
    return ReadPairs(object.value("values"), out.size(),
                     [&](std::size_t index, const QJsonValue& text) {
                         out[index].value = OptionalText(text);
                         return text.isString();
                     }) &&
           ReadPairs(object.value("owners"), out.size(),
                     [&](std::size_t index, const QJsonValue& key) {
                         const auto owner = Key(key);
                         out[index].ownerKey = owner.value_or(0);
                         return owner.has_value();
                     });
}

// The nodes of a snapshot sent as markup; false when the message itself is malformed. Markup
// that cannot be read back into the page's tree leaves a reason in `markupRefusal` instead.
bool ReadMarkupSnapshot(const QJsonObject& object, const QString& markup,
                        DocumentMessage& document) {
    std::vector<dom::LiveControl> controls;
    const auto elements = Index(object.value("elements"));
    if (!elements || *elements < 0 || !ReadControls(object.value("controls"), controls)) {
        return false;
    }
    auto read = dom::ReadSerialisedMarkup(
        std::u16string_view(reinterpret_cast<const char16_t*>(markup.utf16()),
                            static_cast<std::size_t>(markup.size())),
        kMaxMarkupElements);
    if (!read.snapshot) {
        document.markupRefusal = read.refusal;
        return true;
    }
    document.markupRefusal =
        dom::MatchLiveControls(*read.snapshot, controls, static_cast<std::size_t>(*elements));
    if (document.markupRefusal.empty()) {
        document.nodes = std::move(read.snapshot->nodes);
    }
    return true;
}

ParsedMessage Refuse(std::string why) {
    return {std::nullopt, std::move(why)};
}

bool IsToken(const QJsonValue& value) {
    if (!value.isString()) {
        return false;
    }
    const QString text = value.toString();
    return text.size() <= kMaxTokenChars;
}

}  // namespace

bool IsFrameKey(const std::string& key) {
    std::size_t levels = 0;
    std::size_t digits = 0;
    for (char c : key) {
        if (c >= '0' && c <= '9') {
            if (++digits > 4) {
                return false;
            }
        } else if (c == '/' && digits > 0) {
            digits = 0;
            ++levels;
        } else {
            return false;
        }
    }
    return key.empty() || (digits > 0 && levels < kMaxFrameLevels);
}

ParsedMessage ParseBridgeMessage(const QString& text, const QString& markup) {
    if (text.size() + markup.size() > kMaxBridgeMessageChars) {
        return Refuse("message of " + std::to_string(text.size()) + " characters is too large");
    }
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !json.isObject()) {
        return Refuse("message is not a JSON object");
    }
    const QJsonObject object = json.object();
    BridgeMessage message;
    const std::string frame = object.value("frame").toString().toStdString();
    if (!object.value("frame").isString() || !IsFrameKey(frame) || !IsToken(object.value("doc")) ||
        !IsToken(object.value("parent"))) {
        return Refuse("message without a valid frame or document");
    }
    message.source = {frame, object.value("doc").toString().toStdString(),
                      object.value("parent").toString().toStdString()};
    const QString type = object.value("t").toString();
    if (type == "doc") {
        DocumentMessage document;
        const QString reason = object.value("reason").toString();
        if (reason == "ready") {
            document.reason = DocumentMessage::Reason::Ready;
        } else if (reason == "load") {
            document.reason = DocumentMessage::Reason::Load;
        } else if (reason == "change") {
            document.reason = DocumentMessage::Reason::Change;
        } else {
            return Refuse("snapshot with an unknown reason");
        }
        document.url = U16(object.value("url").toString());
        document.title = U16(object.value("title").toString().left(4096));
        document.complete = object.value("complete").toBool(true);
        document.unchanged = object.value("unchanged").toBool(false);
        document.pageMs = std::max(0.0, object.value("ms").toDouble(0));
        document.sentAt = std::max(0.0, object.value("sent").toDouble(0));
        if (object.contains("controls")) {
            if (!ReadMarkupSnapshot(object, markup, document)) {
                return Refuse("snapshot with malformed controls");
            }
            message.body = std::move(document);
            return {std::move(message), {}};
        }
        const QJsonArray nodes = object.value("nodes").toArray();
        document.nodes.reserve(static_cast<std::size_t>(nodes.size()));
        for (const QJsonValue& value : nodes) {
            dom::SnapshotNode node;
            if (!ReadNode(value, node)) {
                return Refuse("snapshot with a malformed node");
            }
            document.nodes.push_back(std::move(node));
        }
        message.body = std::move(document);
    } else if (type == "state") {
        StateMessage state;
        if (!ReadState(object.value("state"), state.state)) {
            return Refuse("malformed control state");
        }
        message.body = std::move(state);
    } else if (type == "event") {
        EventMessage event;
        const QString kind = object.value("kind").toString();
        const auto node = Key(object.value("node"));
        if ((kind != "click" && kind != "reset") || !node ||
            !ReadState(object.value("state"), event.state)) {
            return Refuse("malformed form event");
        }
        event.kind = kind == "click" ? EventMessage::Kind::Click : EventMessage::Kind::Reset;
        event.node = *node;
        message.body = std::move(event);
    } else if (type == "submit") {
        SubmitMessage submit;
        const auto id = Index(object.value("id"));
        const auto form = Key(object.value("form"));
        const auto submitter = Key(object.value("submitter"));
        if (!id || *id <= 0 || !form || !submitter || !object.value("user").isBool() ||
            !ReadState(object.value("state"), submit.state)) {
            return Refuse("malformed submission");
        }
        submit.id = *id;
        submit.form = *form;
        submit.submitter = *submitter;
        submit.byUser = object.value("user").toBool();
        message.body = std::move(submit);
    } else {
        return Refuse("message of an unknown type");
    }
    return {std::move(message), {}};
}

}  // namespace veltrix::browserhost
