#include "browserhost/browse_script.h"

#include "browserhost/band_script.h"

#include <algorithm>

#include "browserhost/menu_script_verbs.h"

#include "browserhost/generator_script.h"

namespace veltrix::browserhost {
namespace {

constexpr std::size_t kAny = kAnyArgs;

const CommandShape kCommands[] = {
    {"page", nullptr, 2, 2, {}},
    {"load", nullptr, 1, 1, {}},
    {"open", nullptr, 1, 1, {}},
    {"navigate", nullptr, 1, 2, {}},
    {"reload", nullptr, 0, 0, {}},
    {"type", nullptr, 2, 2, {}},
    {"check", nullptr, 1, 1, {}},
    {"uncheck", nullptr, 1, 1, {}},
    {"select", nullptr, 2, kAny, {}},
    {"click", nullptr, 1, 1, {}},
    {"enter", nullptr, 1, 1, {}},
    {"submit", nullptr, 1, 1, {}},
    {"download", nullptr, 0, 1, {}},
    {"command", nullptr, 1, 1, {}},
    {"window", nullptr, 1, 2, {"visible", "hidden"}},
    {"close", nullptr, 0, 0, {}},
    {"answer", "password", 1, 1, {}},
    {"answer", "message", 1, 1, {"yes", "no", "ok", "cancel", "retry"}},
    {"answer", "save", 1, 2, {"yes", "no", "exclude"}},
    {"prompt", "identity", 1, 4, {"yes", "no", "exclude"}},
    {"prompt", "weblogin", 1, 2, {"yes", "no", "exclude"}},
    {"expect", "value", 2, 2, {}},
    {"expect", "checked", 1, 1, {}},
    {"expect", "unchecked", 1, 1, {}},
    {"expect", "message", 1, 1, {}},
    {"expect", "prompt", 2, 2, {"identity", "weblogin"}},
    {"expect", "save-offer", 0, 1, {}},
    {"expect", "no-save-offer", 0, 0, {}},
    {"expect", "address", 1, 1, {}},
};

std::string Join(std::initializer_list<const char*> words, const char* separator) {
    std::string out;
    for (const char* word : words) {
        if (!out.empty()) {
            out += separator;
        }
        out += word;
    }
    return out;
}

bool Check(const ScriptLine& line, std::string& error) {
    if (IsBandLine(line.words)) {
        return CheckBandLine(line, error);
    }
    const std::string& command = line.words[0];
    if (command == "generator") {
        return CheckGeneratorLine(line.words, error);
    }
    bool known = false;
    std::vector<std::string> subs;
    std::vector<const CommandShape*> shapes;
    for (const auto& shape : kCommands) {
        shapes.push_back(&shape);
    }
    for (const auto& shape : MenuVerbShapes()) {
        shapes.push_back(&shape);
    }
    for (const CommandShape* each : shapes) {
        const CommandShape& shape = *each;
        if (command != shape.command) {
            continue;
        }
        known = true;
        std::size_t first = 1;
        if (shape.sub) {
            subs.push_back(shape.sub);
            if (line.words.size() < 2 || line.words[1] != shape.sub) {
                continue;
            }
            first = 2;
        }
        const std::size_t count = line.words.size() - first;
        if (count < shape.minArgs || count > shape.maxArgs) {
            std::string expected =
                shape.minArgs == shape.maxArgs ? std::to_string(shape.minArgs)
                : shape.maxArgs == kAny
                    ? "at least " + std::to_string(shape.minArgs)
                    : std::to_string(shape.minArgs) + " to " + std::to_string(shape.maxArgs);
            error = "'" + line.words[0] + (shape.sub ? std::string(" ") + shape.sub : "") +
                    "' takes " + expected + " argument(s), not " + std::to_string(count);
            return false;
        }
        if (count > 0 && shape.firstArg.size() > 0 &&
            std::none_of(shape.firstArg.begin(), shape.firstArg.end(),
                         [&](const char* allowed) { return line.words[first] == allowed; })) {
            error = "'" + line.words[first] + "' is not one of " + Join(shape.firstArg, ", ");
            return false;
        }
        if (command == "window" && count == 2 && line.words[2] != "enabled" &&
            line.words[2] != "disabled") {
            error = "'" + line.words[2] + "' is not one of enabled, disabled";
            return false;
        }
        if (command == "expect" && line.words[1] == "prompt" && line.words[3] != "visible" &&
            line.words[3] != "hidden") {
            error = "'" + line.words[3] + "' is not one of visible, hidden";
            return false;
        }
        return CheckMenuVerb(line.words, error);
    }
    if (!known) {
        error = "unknown command '" + command + "'";
    } else {
        std::string list;
        for (const auto& sub : subs) {
            list += (list.empty() ? "" : ", ") + sub;
        }
        error = "'" + command + "' needs one of " + list +
                (line.words.size() > 1 ? ", not '" + line.words[1] + "'" : "");
    }
    return false;
}

}  // namespace

bool SplitScriptWords(std::string_view line, std::vector<std::string>& words, std::string& error) {
    words.clear();
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) {
            ++i;
        }
        if (i >= line.size()) {
            return true;
        }
        std::string word;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            if (line[i] != '"') {
                word += line[i++];
                continue;
            }
            // A quoted part, which may hold blanks; it can sit inside a word.
            const std::size_t start = i++;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    const char next = line[i];
                    if (next == '"' || next == '\\') {
                        word += next;
                        ++i;
                        continue;
                    }
                    if (next == 'n' || next == 't') {
                        word += next == 'n' ? '\n' : '\t';
                        ++i;
                        continue;
                    }
                }
                word += c;
            }
            if (!closed) {
                error = "unterminated quote at column " + std::to_string(start + 1);
                return false;
            }
        }
        words.push_back(std::move(word));
    }
}

bool ParseScript(std::string_view text, std::vector<ScriptLine>& lines, std::string& error) {
    lines.clear();
    int number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view raw = text.substr(start, end - start);
        ++number;
        start = end + 1;
        const std::size_t first = raw.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || raw[first] == '#') {
            continue;
        }
        ScriptLine line;
        line.number = number;
        std::string problem;
        if (!SplitScriptWords(raw, line.words, problem) || !Check(line, problem)) {
            error = "line " + std::to_string(number) + ": " + problem;
            return false;
        }
        lines.push_back(std::move(line));
    }
    return true;
}

}  // namespace veltrix::browserhost
