// The editor's command line: what the browser extension and a second start ask it to show.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/record_kind.h"

namespace veltrix::editor {

// The switch that erases every record and the Web Login URL index before the start.
inline constexpr std::u16string_view kEraseSwitch = u"/FMP";
// The most characters of a command line that a second start hands over.
inline constexpr std::size_t kMaxForwardedLength = 255;

// What a command line selects: a branch (Identity, Web Login, Secure Note) with an optional record
// label, or Options.
struct TreeTarget {
    RecordKind kind = RecordKind::Options;
    std::u16string label;  // empty: the branch itself

    bool operator==(const TreeTarget&) const = default;
};

// True only for exactly "/FMP" (letter case counts).
bool IsEraseCommand(std::u16string_view commandLine);

// The switch is the text up to the first blank and must be "/" and one of the letters I, W, N (in
// either case); everything after that blank, blanks included, is the label. Anything else selects
// Options.
TreeTarget ParseCommandLine(std::u16string_view commandLine);

// The command line of a program as the text after its name: the arguments joined by blanks.
std::u16string JoinArguments(const std::vector<std::u16string>& arguments);

// The command line cut to what a second start may hand over (kMaxForwardedLength code units),
// never splitting a surrogate pair.
std::u16string_view ForwardableCommandLine(std::u16string_view commandLine);

}  // namespace veltrix::editor
