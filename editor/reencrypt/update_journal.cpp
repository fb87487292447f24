#include "editor/reencrypt/update_journal.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <vector>

#include "core/record_file.h"
#include "editor/reencrypt/reencrypt_texts.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace veltrix::editor {
namespace {

constexpr std::string_view kHeader = "Veltrix master password change";
constexpr std::string_view kPhaseBackingUp = "phase backing-up";
constexpr std::string_view kPhaseUpdating = "phase updating";
constexpr std::string_view kKindPrefix = "kind ";
// A journal is a few hundred bytes; anything far larger is not one.
constexpr std::size_t kMaxJournalSize = 64 * 1024;

std::string Escape(std::u16string_view path) {
    std::string escaped;
    for (char c : text::ToUtf8(path)) {
        switch (c) {
            case '%':
                escaped += "%25";
                break;
            case '\t':
                escaped += "%09";
                break;
            case '\n':
                escaped += "%0A";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::optional<std::u16string> Unescape(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            plain += text[i];
            continue;
        }
        const std::string_view code = text.substr(i + 1, 2);
        if (code == "25") {
            plain += '%';
        } else if (code == "09") {
            plain += '\t';
        } else if (code == "0A") {
            plain += '\n';
        } else {
            return std::nullopt;
        }
        i += 2;
    }
    return text::FromUtf8(plain);
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        lines.push_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    return lines;
}

// "Saved <kind name> <n>/" with n a positive decimal number and nothing else.
bool IsBackupFolderName(std::u16string_view name, std::u16string_view kindName) {
    const std::u16string prefix = u"Saved " + std::u16string(kindName) + u" ";
    if (!name.starts_with(prefix) || !name.ends_with(u'/')) {
        return false;
    }
    const std::u16string_view number = name.substr(prefix.size(), name.size() - prefix.size() - 1);
    if (number.empty() || number.size() > 9 || number[0] == u'0') {
        return false;
    }
    for (char16_t c : number) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

bool IsSoundEntry(const JournalFolders& entry, std::u16string_view kindName) {
    return !entry.folder.empty() && entry.folder.front() == u'/' && entry.folder.back() == u'/' &&
           entry.folder.find(u"/../") == std::u16string::npos &&
           entry.backup.starts_with(entry.folder) &&
           IsBackupFolderName(std::u16string_view(entry.backup).substr(entry.folder.size()),
                              kindName);
}

}  // namespace

std::filesystem::path JournalPath(config::Settings& settings) {
    return std::filesystem::path(text::ToUtf8(settings.GetDataPath())) / kJournalName;
}

std::string FormatJournal(const UpdateJournal& journal) {
    std::string text(kHeader);
    text += '\n';
    text += journal.phase == JournalPhase::BackingUp ? kPhaseBackingUp : kPhaseUpdating;
    text += '\n';
    for (const auto& entry : journal.kinds) {
        text += kKindPrefix;
        text += Escape(entry.folder);
        text += '\t';
        text += Escape(entry.backup);
        text += '\n';
    }
    return text;
}

std::optional<UpdateJournal> ParseJournal(std::string_view text) {
    const auto lines = Lines(text);
    if (lines.size() != 2 + reencrypt_text::kKindNames.size() || lines[0] != kHeader) {
        return std::nullopt;
    }
    UpdateJournal journal;
    if (lines[1] == kPhaseBackingUp) {
        journal.phase = JournalPhase::BackingUp;
    } else if (lines[1] == kPhaseUpdating) {
        journal.phase = JournalPhase::Updating;
    } else {
        return std::nullopt;
    }
    for (std::size_t kind = 0; kind < journal.kinds.size(); ++kind) {
        std::string_view line = lines[2 + kind];
        const std::size_t tab = line.find('\t');
        if (!line.starts_with(kKindPrefix) || tab == std::string_view::npos) {
            return std::nullopt;
        }
        auto folder = Unescape(line.substr(kKindPrefix.size(), tab - kKindPrefix.size()));
        auto backup = Unescape(line.substr(tab + 1));
        if (!folder || !backup) {
            return std::nullopt;
        }
        journal.kinds[kind] = {std::move(*folder), std::move(*backup)};
        if (!IsSoundEntry(journal.kinds[kind], reencrypt_text::kKindNames[kind])) {
            return std::nullopt;
        }
    }
    return journal;
}

int WriteJournal(const std::filesystem::path& path, const UpdateJournal& journal) {
    const std::string text = FormatJournal(journal);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    auto written = ReplaceRecordFile(text::FromUtf8(path.string()), bytes);
    if (written) {
        return 0;
    }
    const auto& cause = written.Error().cause;
    return cause.kind == FileError::Kind::File && cause.error != 0 ? cause.error : EIO;
}

Result<UpdateJournal, JournalReadError> ReadJournal(const std::filesystem::path& path) {
    auto text = platform::ReadWholeFile(path, kMaxJournalSize);
    if (!text) {
        return Fail(text.Error() == ENOENT ? JournalReadError::Missing
                                           : JournalReadError::Unreadable);
    }
    auto journal = ParseJournal(*text);
    if (!journal) {
        return Fail(JournalReadError::Malformed);
    }
    return std::move(*journal);
}

std::optional<CUpdateLock> CUpdateLock::Take(const std::filesystem::path& dataRoot, bool wait) {
    const std::filesystem::path path = dataRoot / kUpdateLockName;
    platform::UniqueFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.Valid()) {
        return std::nullopt;
    }
    int result = 0;
    do {
        result = flock(fd.Get(), LOCK_EX | (wait ? 0 : LOCK_NB));
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        return std::nullopt;
    }
    return CUpdateLock(std::move(fd));
}

}  // namespace veltrix::editor
