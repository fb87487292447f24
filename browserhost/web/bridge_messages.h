// The messages of the page bridge, read from the JSON text the page side sends: a document
// snapshot, the user's changes to controls, a form event and a held submission. A snapshot comes
// either as nodes in the JSON text or as the document's markup beside it with the live state of
// its controls. The text comes from a page and is checked as such: its size is bounded, every
// field is checked for its type and range, and a message that does not fit is refused with a
// reason.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "formengine/dom/snapshot_builder.h"

namespace veltrix::browserhost {

// Characters of one message taken at most (a snapshot at the page side's limits is far less).
inline constexpr qsizetype kMaxBridgeMessageChars = 32 * 1024 * 1024;

// The frame and the document a message comes from.
struct MessageSource {
    std::string frame;           // "" for the top frame, else "0", "0/2", ...
    std::string document;        // the document's token
    std::string parentDocument;  // the token of the document holding the frame ("" for the top)
};

struct ControlState {
    std::uint32_t key = 0;
    std::optional<std::u16string> value;
    std::optional<bool> checked;
    std::optional<bool> selected;
};

struct DocumentMessage {
    enum class Reason { Ready, Load, Change };
    Reason reason = Reason::Load;
    std::u16string url;
    std::u16string title;
    bool complete = true;  // false: the page side stopped at its limits
    // A load whose forms are those of the document's ready snapshot: no nodes are sent.
    bool unchanged = false;
    double pageMs = 0;  // what the snapshot took on the page's side
    double sentAt = 0;  // when the page sent it, in milliseconds since the epoch; 0: not said
    // When the page's markup could not be read back into the same tree: why. The page is then
    // asked for a node-by-node snapshot, and `nodes` is empty.
    std::string markupRefusal;
    std::vector<dom::SnapshotNode> nodes;
};

struct StateMessage {
    std::vector<ControlState> state;
};

struct EventMessage {
    enum class Kind { Click, Reset };
    Kind kind = Kind::Click;
    std::uint32_t node = 0;
    std::vector<ControlState> state;
};

struct SubmitMessage {
    std::int64_t id = 0;
    std::uint32_t form = 0;
    std::uint32_t submitter = 0;  // 0: none (the Enter key, a script)
    bool byUser = false;
    std::vector<ControlState> state;
};

struct BridgeMessage {
    MessageSource source;
    std::variant<DocumentMessage, StateMessage, EventMessage, SubmitMessage> body;
};

// The message, or why it was refused.
struct ParsedMessage {
    std::optional<BridgeMessage> message;
    std::string refusal;
};
// `markup`: the document's serialised markup sent beside a snapshot message; empty otherwise.
ParsedMessage ParseBridgeMessage(const QString& text, const QString& markup = {});

// True for "" and for keys of the form "N/N/..." (at most 16 levels of at most 4 digits).
bool IsFrameKey(const std::string& key);

}  // namespace veltrix::browserhost
