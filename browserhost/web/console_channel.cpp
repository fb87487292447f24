#include "browserhost/web/console_channel.h"

#include <QStringView>
#include <algorithm>
#include <optional>

#include "browserhost/web/bridge_messages.h"

namespace veltrix::browserhost {
namespace {

constexpr QStringView kMark = u"vtxb ";
constexpr qsizetype kMaxSenderChars = 32;
constexpr qsizetype kMaxOriginChars = 512;

// The next field up to a space; empty when there is none.
QStringView NextField(QStringView& rest) {
    const qsizetype space = rest.indexOf(u' ');
    if (space <= 0) {
        return {};
    }
    const QStringView field = rest.left(space);
    rest = rest.mid(space + 1);
    return field;
}

std::optional<std::int64_t> Number(QStringView field, std::int64_t max) {
    if (field.isEmpty() || field.size() > 10) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const QChar c : field) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= max ? std::optional<std::int64_t>(value) : std::nullopt;
}

bool IsSender(QStringView field) {
    if (field.size() > kMaxSenderChars) {
        return false;
    }
    for (const QChar c : field) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z'))) {
            return false;
        }
    }
    return true;
}

bool IsSchemeChar(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' ||
           c == u'.';
}

bool IsHostChar(QChar c) {
    return c.unicode() > 0x20 && c.unicode() < 0x7f && c != u'/' && c != u'?' && c != u'#' &&
           c != u'@' && c != u'\\';
}

// "null" (an opaque origin), "scheme://" (a file's) or "scheme://host[:port]", which
// postMessage takes as a target.
bool IsOrigin(QStringView field) {
    if (field == u"null") {
        return true;
    }
    const qsizetype separator = field.indexOf(u"://");
    if (separator <= 0 || field.size() > kMaxOriginChars) {
        return false;
    }
    return std::all_of(field.begin(), field.begin() + separator, IsSchemeChar) &&
           std::all_of(field.begin() + separator + 3, field.end(), IsHostChar);
}

ConsoleChannel::Outcome Refuse(std::string why) {
    ConsoleChannel::Outcome outcome;
    outcome.kind = ConsoleChannel::Outcome::Kind::Refused;
    outcome.refusal = std::move(why);
    return outcome;
}

}  // namespace

ConsoleChannel::Outcome ConsoleChannel::Take(const QString& text, Clock::time_point now) {
    QStringView rest(text);
    if (!rest.startsWith(kMark)) {
        return {};
    }
    rest = rest.mid(kMark.size());
    if (NextField(rest) != m_key) {
        // The page's own text, whatever it looks like.
        Outcome outcome;
        outcome.refusal = "a console message without the window's key";
        return outcome;
    }
    const QStringView sender = NextField(rest);
    const auto id = Number(NextField(rest), 1'000'000'000);
    const auto index = Number(NextField(rest), kMaxPieces - 1);
    const auto count = Number(NextField(rest), kMaxPieces);
    const QStringView origin = NextField(rest);
    const auto length = Number(NextField(rest), kMaxBridgeMessageChars);
    if (sender.isEmpty() || !IsSender(sender) || !id || !index || !count || *count == 0 ||
        *index >= *count || !IsOrigin(origin) || !length || rest.size() > kPieceChars) {
        return Refuse("a malformed console piece");
    }
    const std::size_t expired = DropStale(now);
    const auto key = std::make_pair(sender.toString(), *id);
    auto it = m_underWay.find(key);
    if (*index == 0) {
        if (it != m_underWay.end()) {
            m_underWay.erase(it);
            return Refuse("a console message begun twice");
        }
        if (*count > 1 && m_underWay.size() >= kMaxUnderWay) {
            return Refuse("too many console messages under way");
        }
        it = m_underWay
                 .emplace(key,
                          Joining{static_cast<int>(*count), 0, *length, origin.toString(), {}, now})
                 .first;
    } else if (it == m_underWay.end()) {
        return Refuse("a console piece of a message not begun");
    }
    Joining& joining = it->second;
    if (*index != joining.next || *count != joining.count || *length != joining.length ||
        origin != joining.origin) {
        m_underWay.erase(it);
        return Refuse("a console piece out of order");
    }
    if (joining.text.size() + rest.size() > kMaxBridgeMessageChars ||
        WaitingChars() + rest.size() > kMaxWaitingChars) {
        m_underWay.erase(it);
        return Refuse("a console message too large");
    }
    joining.text.append(rest);
    ++joining.next;
    Outcome outcome;
    outcome.expired = expired;
    if (joining.next < joining.count) {
        outcome.kind = Outcome::Kind::Partial;
        return outcome;
    }
    Joining done = std::move(joining);
    m_underWay.erase(it);
    if (done.length > done.text.size()) {
        return Refuse("a console message shorter than it says");
    }
    outcome.kind = Outcome::Kind::Complete;
    outcome.markup = done.text.mid(done.length);
    done.text.truncate(done.length);
    outcome.message = std::move(done.text);
    outcome.origin = std::move(done.origin);
    return outcome;
}

std::size_t ConsoleChannel::DropStale(Clock::time_point now) {
    return std::erase_if(m_underWay,
                         [now](const auto& entry) { return now - entry.second.started > kMaxAge; });
}

qsizetype ConsoleChannel::WaitingChars() const {
    qsizetype total = 0;
    for (const auto& [key, joining] : m_underWay) {
        total += joining.text.size();
    }
    return total;
}

}  // namespace veltrix::browserhost
