#include "editor/reencrypt/record_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "core/scoped_wipe.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

namespace veltrix::editor {
namespace {

void SyncFolder(const std::filesystem::path& folder) {
    platform::UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid()) {
        fsync(fd.Get());
    }
}

RecordError ReadFailure(CodecError error) {
    if (error == CodecError::Damaged) {
        return {FileStatus::ReadError, false, FileError{FileError::Kind::Damaged, 0, false}};
    }
    return {FileStatus::WrongPassword, false, FileError{FileError::Kind::None, 0, false}};
}

// Copies one regular file over `target`, keeping its permission bits.
int CopyRegularFile(const std::filesystem::path& source, const std::filesystem::path& target) {
    std::error_code error;
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing,
                               error);
    return error.value();
}

}  // namespace

Result<void, RecordError> ReencryptRecordFile(std::u16string_view source,
                                              std::u16string_view target,
                                              std::u16string_view oldPassword,
                                              std::u16string_view newPassword) {
    auto contents = ReadRecordFile(source);
    if (!contents) {
        return Fail(contents.Error());
    }
    auto payload = DecryptRecord(*contents, oldPassword);
    if (!payload) {
        return Fail(ReadFailure(payload.Error()));
    }
    ScopedWipe wipe(*payload);
    auto encrypted = EncryptRecord(*payload, newPassword);
    if (!encrypted) {
        return Fail(RecordError{FileStatus::WrongPassword, true, FileError{FileError::Kind::None}});
    }
    return ReplaceRecordFile(target, *encrypted);
}

Result<void, RecordError> CopyRecordFile(std::u16string_view source, std::u16string_view target) {
    auto contents = ReadRecordFile(source);
    if (!contents) {
        return Fail(contents.Error());
    }
    return ReplaceRecordFile(target, *contents);
}

int ErrorNumberOf(const RecordError& error) {
    switch (error.cause.kind) {
        case FileError::Kind::File:
            return error.cause.error != 0 ? error.cause.error : EIO;
        case FileError::Kind::NotRegular:
            return EISDIR;
        case FileError::Kind::TooLarge:
            return EFBIG;
        case FileError::Kind::Damaged:
        case FileError::Kind::BadFormat:
            return EILSEQ;
        default:
            return error.status == FileStatus::WrongPassword ? EACCES : EIO;
    }
}

int RemoveFileDurably(const std::filesystem::path& path) {
    if (unlink(path.c_str()) != 0) {
        return errno;
    }
    SyncFolder(path.parent_path());
    return 0;
}

int RemoveEmptyFolder(const std::filesystem::path& path) {
    std::filesystem::path folder = path;
    if (!folder.has_filename()) {
        folder = folder.parent_path();  // "…/Saved Identities 1/" names the folder itself
    }
    if (rmdir(folder.c_str()) != 0) {
        return errno;
    }
    SyncFolder(folder.parent_path());
    return 0;
}

int CopyProgramEntry(const std::filesystem::path& source, const std::filesystem::path& target) {
    std::error_code error;
    // The entry itself may be a link (to a versioned library, say): its target is copied.
    const auto status = std::filesystem::status(source, error);
    if (error) {
        return error.value();
    }
    if (!std::filesystem::is_directory(status)) {
        return std::filesystem::is_regular_file(status) ? CopyRegularFile(source, target) : EINVAL;
    }
    std::filesystem::create_directories(target, error);
    if (error) {
        return error.value();
    }
    // An iterative walk that does not follow links, so a link cannot lead it in circles.
    std::filesystem::recursive_directory_iterator it(source, error);
    for (; !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const auto relative = it->path().lexically_relative(source);
        const auto entryStatus = it->symlink_status(error);
        if (error) {
            break;
        }
        if (std::filesystem::is_directory(entryStatus)) {
            std::filesystem::create_directories(target / relative, error);
        } else if (std::filesystem::is_regular_file(entryStatus)) {
            if (int failure = CopyRegularFile(it->path(), target / relative); failure != 0) {
                return failure;
            }
        }
    }
    return error.value();
}

}  // namespace veltrix::editor
