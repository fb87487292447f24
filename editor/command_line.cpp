#include "editor/command_line.h"

namespace veltrix::editor {
namespace {

RecordKind KindOfSwitchLetter(char16_t letter) {
    switch (letter) {
        case u'I':
        case u'i':
            return RecordKind::Identity;
        case u'W':
        case u'w':
            return RecordKind::WebLogin;
        case u'N':
        case u'n':
            return RecordKind::SecureNote;
        default:
            return RecordKind::Options;
    }
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

}  // namespace

bool IsEraseCommand(std::u16string_view commandLine) {
    return commandLine == kEraseSwitch;
}

TreeTarget ParseCommandLine(std::u16string_view commandLine) {
    const std::size_t blank = commandLine.find(u' ');
    const std::u16string_view token = commandLine.substr(0, blank);
    if (token.size() != 2 || token[0] != u'/') {
        return {};
    }
    const RecordKind kind = KindOfSwitchLetter(token[1]);
    if (kind == RecordKind::Options) {
        return {};
    }
    TreeTarget target{kind, {}};
    if (blank != std::u16string_view::npos) {
        target.label = std::u16string(commandLine.substr(blank + 1));
    }
    return target;
}

std::u16string JoinArguments(const std::vector<std::u16string>& arguments) {
    std::u16string line;
    for (const auto& argument : arguments) {
        if (!line.empty() || &argument != &arguments.front()) {
            line += u' ';
        }
        line += argument;
    }
    return line;
}

std::u16string_view ForwardableCommandLine(std::u16string_view commandLine) {
    if (commandLine.size() <= kMaxForwardedLength) {
        return commandLine;
    }
    std::size_t length = kMaxForwardedLength;
    if (IsHighSurrogate(commandLine[length - 1])) {
        --length;
    }
    return commandLine.substr(0, length);
}

}  // namespace veltrix::editor
