#include "editor/record_naming.h"

#include <stdio.h>
#include <sys/stat.h>

#include <fcntl.h>

#include <cerrno>
#include <cstdio>

#include "core/record_names.h"
#include "editor/editor_messages.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix::editor {
namespace {

bool FileExists(std::u16string_view path) {
    struct stat info {};
    return stat(text::ToUtf8(path).c_str(), &info) == 0;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

NameCheck CheckCharacters(std::u16string_view name) {
    if (name.empty()) {
        return NameCheck::Empty;
    }
    return IsValidName(name) ? NameCheck::Ok : NameCheck::InvalidChars;
}

// The reason codes of a failed file operation and their texts.
struct Reason {
    int code;
    std::u16string_view text;
};
constexpr Reason kReasons[] = {
    {0, u"No error occured"},
    {2, u"File not found"},
    {3, u"Invalid path"},
    {4, u"Too many open files"},
    {5, u"Access denied"},
    {6, u"Invalid file handle"},
    {7, u"The current directory cannot be removed"},
    {8, u"The directory is full"},
    {9, u"Error setting file pointer"},
    {10, u"Hardware I/O error"},
    {11, u"Sharing violation"},
    {12, u"Lock violation"},
    {13, u"The disk is full"},
    {14, u"End-of-file"},
};
constexpr std::u16string_view kUnspecified = u"Unspecified error";

int ReasonCode(int error) {
    switch (error) {
        case 0:
            return 0;
        case ENOENT:
            return 2;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EROFS:
        case EEXIST:
            return 5;
        case EBADF:
            return 6;
        case EBUSY:
            return 7;
        case EMLINK:
            return 8;
        case ESPIPE:
            return 9;
        case EIO:
            return 10;
        case ETXTBSY:
            return 11;
        case ENOLCK:
            return 12;
        case ENOSPC:
        case EDQUOT:
            return 13;
        default:
            return -1;
    }
}

}  // namespace

NameCheck CheckNewName(std::u16string_view folder, RecordKind kind, std::u16string_view name) {
    const NameCheck characters = CheckCharacters(name);
    if (characters != NameCheck::Ok) {
        return characters;
    }
    return FileExists(RecordPath(folder, name, kind)) ? NameCheck::Exists : NameCheck::Ok;
}

NameCheck CheckRename(std::u16string_view folder, RecordKind kind, std::u16string_view oldPath,
                      std::u16string_view newName) {
    const NameCheck characters = CheckCharacters(newName);
    if (characters != NameCheck::Ok) {
        return characters;
    }
    const std::u16string newPath = RecordPath(folder, newName, kind);
    if (FileExists(newPath) && !text::EqualsNoCase(newPath, oldPath)) {
        return NameCheck::Exists;
    }
    return NameCheck::Ok;
}

std::u16string_view NameCheckMessage(NameCheck check) {
    switch (check) {
        case NameCheck::InvalidChars:
            return messages::kInvalidName;
        case NameCheck::Exists:
            return messages::kNameExists;
        default:
            return {};
    }
}

Result<void, int> MoveRecordFile(std::u16string_view oldPath, std::u16string_view newPath) {
    const std::string from = text::ToUtf8(oldPath);
    const std::string to = text::ToUtf8(newPath);
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    int error = errno;
    // On a file system that ignores letter case the new name of a case-only rename is the file
    // itself; only then may the move go over it.
    if (error == EEXIST && text::EqualsNoCase(oldPath, newPath) && SameFile(from, to)) {
        if (std::rename(from.c_str(), to.c_str()) == 0) {
            return {};
        }
        error = errno;
    }
    return Fail(error);
}

std::u16string_view FileErrorReason(int error) {
    const int code = ReasonCode(error);
    for (const auto& reason : kReasons) {
        if (reason.code == code) {
            return reason.text;
        }
    }
    return kUnspecified;
}

std::u16string RenameFailureMessage(int error) {
    return text::ReplaceFirst(messages::kUnableToRename, u"%s", FileErrorReason(error));
}

}  // namespace veltrix::editor

namespace veltrix::editor {

std::optional<std::u16string> NameNewRecord(std::u16string_view folder, RecordKind kind,
                                            const NamePrompt& prompt) {
    for (;;) {
        std::optional<std::u16string> name = prompt();
        if (!name) {
            return std::nullopt;
        }
        const NameCheck check = CheckNewName(folder, kind, *name);
        if (check == NameCheck::Ok) {
            return name;
        }
        if (check != NameCheck::Empty) {
            ui::ShowMessage(NameCheckMessage(check), ui::Icon::Exclamation);
        }
    }
}

}  // namespace veltrix::editor
