// The script format of the headless browser: one action per line, words separated by blanks,
// double quotes around words that hold blanks (inside them \" is a quote, \\ a backslash, \n a
// line break and \t a tab), and lines whose first non-blank character is '#' are comments.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix::browserhost {

struct ScriptLine {
    int number = 0;                  // 1 for the first line of the text
    std::vector<std::string> words;  // the command first, UTF-8
};

// The shape of one kind of line: its command, subcommand and number of arguments.
struct CommandShape {
    const char* command;
    const char* sub;  // nullptr: the command takes no subcommand
    std::size_t minArgs;
    std::size_t maxArgs;
    // The words allowed as the first argument (after the subcommand); empty: any word.
    std::initializer_list<const char*> firstArg;
};
// A number of arguments without an upper bound.
inline constexpr std::size_t kAnyArgs = std::numeric_limits<std::size_t>::max();

// The words of one line; false with `error` set for an unterminated quote.
bool SplitScriptWords(std::string_view line, std::vector<std::string>& words, std::string& error);

// Every non-empty, non-comment line of `text`, each checked against the commands the script
// runner knows (name, subcommand, number of arguments, keyword arguments). False at the first
// bad line, with `error` as "line N: what is wrong".
bool ParseScript(std::string_view text, std::vector<ScriptLine>& lines, std::string& error);

}  // namespace veltrix::browserhost
