// The way up from frames of another origin: such a frame cannot reach the top frame's channel,
// so the bridge in its isolated world writes each message to its own console (which the page
// cannot read) in numbered pieces, each one
//
//     "vtxb KEY SENDER ID INDEX COUNT ORIGIN LENGTH TEXT"
//
// KEY is the window's channel key (only the bridge's scripts hold it), SENDER a random name of
// the bridge in that document, ID the message's number from that sender, INDEX and COUNT the
// piece's place, ORIGIN the frame's origin (where the host's writes may be posted), LENGTH the
// characters of the message proper (a snapshot's markup follows it) and TEXT the piece of the
// message and markup. The channel joins the pieces of each message, within bounds on pieces,
// size, messages under way and time; anything else is refused with a reason, and what does not
// begin with "vtxb " is the page's own console text.
#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace veltrix::browserhost {

class ConsoleChannel {
public:
    using Clock = std::chrono::steady_clock;

    // Characters of one piece the page side writes at most.
    static constexpr qsizetype kPieceChars = 256 * 1024;
    // Pieces of one message, messages under way at once, and how long a message may take.
    static constexpr int kMaxPieces = 160;
    static constexpr std::size_t kMaxUnderWay = 16;
    static constexpr std::chrono::seconds kMaxAge{10};
    // Characters waiting in unfinished messages, all senders together.
    static constexpr qsizetype kMaxWaitingChars = 48 * 1024 * 1024;

    explicit ConsoleChannel(QString key) : m_key(std::move(key)) {}

    struct Outcome {
        enum class Kind {
            NotOurs,   // the page's own console text; `refusal` set when it looks like a piece
            Refused,   // looks like a piece but is not one: `refusal` says why
            Partial,   // a piece taken; the message is not complete yet
            Complete,  // `message`, `markup` and `origin` hold the joined message
        };
        Kind kind = Kind::NotOurs;
        QString message;
        QString markup;
        QString origin;
        std::string refusal;
        // Unfinished messages dropped as too old before this one was taken.
        std::size_t expired = 0;
    };
    // Takes one console message.
    Outcome Take(const QString& text, Clock::time_point now = Clock::now());

    // Messages under way (for tests).
    std::size_t UnderWay() const { return m_underWay.size(); }

private:
    struct Joining {
        int count = 0;
        int next = 0;
        qsizetype length = 0;
        QString origin;
        QString text;
        Clock::time_point started;
    };
    std::size_t DropStale(Clock::time_point now);
    qsizetype WaitingChars() const;

    QString m_key;
    // By sender and message number.
    std::map<std::pair<QString, std::int64_t>, Joining> m_underWay;
};

}  // namespace veltrix::browserhost
