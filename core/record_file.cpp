#include "core/record_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <openssl/rand.h>

#include <cerrno>
#include <mutex>
#include <optional>
#include <utility>

#include "core/blowfish_cipher.h"
#include "core/messages.h"
#include "core/scoped_wipe.h"
#include "core/tagged_text.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

namespace veltrix {

namespace {

using platform::UniqueFd;

// The verification block: four signed 16-bit values, then the master password in UTF-16LE.
constexpr std::size_t kHeaderSize = 8;
// "%1" in a message is replaced by the path, cut to this many characters.
constexpr std::size_t kMaxMessagePath = 260;
constexpr std::string_view kTemporaryPrefix = "orvane";

// ---- Test seam -------------------------------------------------------------------------------

std::mutex& HookMutex() {
    static std::mutex mutex;
    return mutex;
}

WriteFaultHook& Hook() {
    static WriteFaultHook hook;
    return hook;
}

// The errno value a test wants this step to fail with; 0 to run it.
int InjectedFault(WriteStep step, const std::filesystem::path& temporary) {
    WriteFaultHook hook;
    {
        std::lock_guard lock(HookMutex());
        hook = Hook();
    }
    return hook ? hook(step, temporary) : 0;
}

// ---- Small helpers ---------------------------------------------------------------------------

// A temporary file that is removed unless it was kept.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)) {}
    ~TemporaryFile() {
        if (!m_kept) {
            std::error_code ignored;
            std::filesystem::remove(m_path, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    void Keep() { m_kept = true; }

private:
    std::filesystem::path m_path;
    bool m_kept = false;
};

std::filesystem::path NativePath(std::u16string_view path) {
    return std::filesystem::path(text::ToUtf8(path));
}

// Makes a completed rename durable; a failure here does not undo the write.
void SyncFolder(const std::filesystem::path& folder) {
    UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid()) {
        fsync(fd.Get());
    }
}

// The folder of the temporary file: the path name up to its last '/', else the current folder.
std::filesystem::path TemporaryFolder(std::u16string_view pathName) {
    std::size_t slash = pathName.rfind(u'/');
    return slash == std::u16string_view::npos ? std::filesystem::path(".")
                                              : NativePath(pathName.substr(0, slash + 1));
}

std::vector<std::uint8_t> KeyOf(std::u16string_view password) {
    std::string ansi = text::ToAnsi(password);
    ScopedWipe wipe(ansi);
    return {ansi.begin(), ansi.end()};
}

void PutInt16(std::vector<std::uint8_t>& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

int GetInt16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::int16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// Header, master password, payload: the text that is encrypted.
std::vector<std::uint8_t> BuildPlaintext(std::u16string_view password,
                                         std::span<const std::uint8_t> payload) {
    const std::size_t passwordBytes = 2 * password.size();
    std::vector<std::uint8_t> plain;
    plain.reserve(kHeaderSize + passwordBytes + payload.size());
    PutInt16(plain, kHeaderSize);
    PutInt16(plain, kHeaderSize + passwordBytes);
    PutInt16(plain, passwordBytes);
    PutInt16(plain, kHeaderSize);
    for (char16_t unit : password) {
        PutInt16(plain, unit);
    }
    plain.insert(plain.end(), payload.begin(), payload.end());
    return plain;
}

// Where the stored password and the payload lie in a decrypted plaintext.
struct PlaintextLayout {
    std::size_t passwordOffset;
    std::size_t passwordBytes;
    std::size_t payloadOffset;
};

bool InsidePlaintext(int offset, int length, std::size_t size) {
    return offset >= static_cast<int>(kHeaderSize) && length >= 0 && offset % 2 == 0 &&
           length % 2 == 0 &&
           static_cast<std::size_t>(offset) + static_cast<std::size_t>(length) <= size;
}

// The layout of a decrypted plaintext; nullopt when the header is not ours or points outside.
std::optional<PlaintextLayout> ParseLayout(std::span<const std::uint8_t> plain) {
    if (plain.size() < kHeaderSize || GetInt16(plain, 0) != static_cast<int>(kHeaderSize)) {
        return std::nullopt;
    }
    const int payloadOffset = GetInt16(plain, 2);
    const int passwordBytes = GetInt16(plain, 4);
    const int passwordOffset = GetInt16(plain, 6);
    if (!InsidePlaintext(passwordOffset, passwordBytes, plain.size()) ||
        !InsidePlaintext(payloadOffset, 0, plain.size())) {
        return std::nullopt;
    }
    return PlaintextLayout{static_cast<std::size_t>(passwordOffset),
                           static_cast<std::size_t>(passwordBytes),
                           static_cast<std::size_t>(payloadOffset)};
}

bool StoredPasswordMatches(std::span<const std::uint8_t> stored, std::u16string_view password) {
    if (stored.size() != 2 * password.size()) {
        return false;
    }
    for (std::size_t i = 0; i < password.size(); ++i) {
        if (static_cast<char16_t>(stored[2 * i] | (stored[2 * i + 1] << 8)) != password[i]) {
            return false;
        }
    }
    return true;
}

// ---- Messages --------------------------------------------------------------------------------

// The error's own text ("%1 was not found."), when it has one.
std::u16string_view OwnText(int error) {
    switch (error) {
        case ENOENT:
            return messages::kFileNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return messages::kAccessDenied;
        case EBUSY:
        case ETXTBSY:
        case EAGAIN:
            return messages::kSharingViolation;
        case ENOSPC:
        case EDQUOT:
            return messages::kDiskFullWhileAccessing;
        default:
            return {};
    }
}

// The generic text for the error's cause, when it has one.
std::u16string_view CauseText(int error, bool saving) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return messages::kCannotFindFile;
        case ENOSPC:
        case EDQUOT:
            return messages::kDiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
        case EBUSY:
        case ETXTBSY:
            return saving ? messages::kReadOnlyOnSave : messages::kOpenedBySomeoneElse;
        default:
            return {};
    }
}

std::u16string ReplacePathMarker(std::u16string_view message, std::u16string_view path) {
    const std::u16string_view shown = path.substr(0, kMaxMessagePath);
    std::u16string result;
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] == u'%' && i + 1 < message.size() && message[i + 1] == u'1') {
            result += shown;
            ++i;
        } else {
            result += message[i];
        }
    }
    return result;
}

}  // namespace

std::u16string SaveLoadMessage(std::u16string_view path, const FileError& error, bool saving,
                               std::u16string_view defaultMessage) {
    std::u16string_view message;
    switch (error.kind) {
        case FileError::Kind::UserCancel:
        case FileError::Kind::None:
            return {};
        case FileError::Kind::BadFormat:
            message = messages::kUnexpectedFormat;
            break;
        case FileError::Kind::File:
            message = error.ownText ? OwnText(error.error) : std::u16string_view();
            if (message.empty()) {
                message = CauseText(error.error, saving);
            }
            break;
        case FileError::Kind::Other:
            break;
    }
    if (message.empty()) {
        message = defaultMessage;
    }
    return ReplacePathMarker(message, path);
}

void SetWriteFaultHook(WriteFaultHook hook) {
    std::lock_guard lock(HookMutex());
    Hook() = std::move(hook);
}

// ---- Codec -----------------------------------------------------------------------------------

Result<std::vector<std::uint8_t>, CodecError> EncryptRecord(std::span<const std::uint8_t> payload,
                                                            std::u16string_view password) {
    // The stored password's length must fit the header; longer ones are refused outright.
    if (password.size() > kMaxPasswordLength) {
        return Fail(CodecError::PasswordTooLong);
    }
    std::vector<std::uint8_t> plain = BuildPlaintext(password, payload);
    ScopedWipe wipePlain(plain);
    std::vector<std::uint8_t> key = KeyOf(password);
    ScopedWipe wipeKey(key);
    blowfish::Iv iv;
    if (RAND_bytes(iv.data(), static_cast<int>(iv.size())) != 1) {
        return Fail(CodecError::CipherFailure);
    }
    auto cipher = blowfish::Encrypt(plain, key, iv);
    if (!cipher) {
        return Fail(CodecError::CipherFailure);
    }
    std::vector<std::uint8_t> file(iv.begin(), iv.end());
    file.insert(file.end(), cipher->begin(), cipher->end());
    return file;
}

// A wrong password, and every file that cannot be decrypted or whose header does not check out,
// is the same error.
Result<std::vector<std::uint8_t>, CodecError> DecryptRecord(std::span<const std::uint8_t> file,
                                                            std::u16string_view password) {
    // IV, then at least one whole block of ciphertext.
    if (password.size() > kMaxPasswordLength || file.size() < 2 * blowfish::kBlockSize ||
        file.size() % blowfish::kBlockSize != 0) {
        return Fail(CodecError::WrongPassword);
    }
    blowfish::Iv iv;
    std::copy_n(file.begin(), iv.size(), iv.begin());
    std::vector<std::uint8_t> key = KeyOf(password);
    ScopedWipe wipeKey(key);
    auto plaintext = blowfish::Decrypt(file.subspan(blowfish::kBlockSize), key, iv);
    if (!plaintext) {
        return Fail(CodecError::WrongPassword);
    }
    ScopedWipe wipePlaintext(*plaintext);
    const std::span<const std::uint8_t> plain(*plaintext);
    std::optional<PlaintextLayout> layout = ParseLayout(plain);
    if (!layout || !StoredPasswordMatches(
                       plain.subspan(layout->passwordOffset, layout->passwordBytes), password)) {
        return Fail(CodecError::WrongPassword);
    }
    const std::span<const std::uint8_t> payload = plain.subspan(layout->payloadOffset);
    return std::vector<std::uint8_t>(payload.begin(), payload.end());
}

Result<std::vector<std::uint8_t>, CodecError> EncodeRecordFile(std::u16string_view text,
                                                               std::u16string_view password) {
    std::vector<std::uint8_t> payload = EncodePayload(text);
    ScopedWipe wipePayload(payload);
    return EncryptRecord(payload, password);
}

Result<std::u16string, CodecError> DecodeRecordFile(std::span<const std::uint8_t> file,
                                                    std::u16string_view password) {
    auto payload = DecryptRecord(file, password);
    if (!payload) {
        return Fail(payload.Error());
    }
    ScopedWipe wipePayload(*payload);
    return DecodePayload(*payload);
}

// ---- File operations -------------------------------------------------------------------------

Result<std::vector<std::uint8_t>, RecordError> ReadRecordFile(std::u16string_view path) {
    UniqueFd fd(open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) {
        return Fail(RecordError{FileStatus::CannotOpen, false, FileError::FromErrno(errno)});
    }
    std::string contents;
    if (int error = platform::ReadAll(fd.Get(), contents); error != 0) {
        return Fail(RecordError{FileStatus::ReadError, false, FileError::FromErrno(error)});
    }
    return std::vector<std::uint8_t>(contents.begin(), contents.end());
}

Result<void, RecordError> ReplaceRecordFile(std::u16string_view path,
                                            std::span<const std::uint8_t> contents) {
    if (path.empty()) {
        return Fail(RecordError{FileStatus::CannotOpen, true, FileError{}});
    }
    const std::filesystem::path folder = TemporaryFolder(path);
    std::optional<std::filesystem::path> created =
        platform::CreateUniqueTempFile(folder, kTemporaryPrefix);
    if (!created) {
        return Fail(RecordError{FileStatus::CannotOpen, true, FileError{FileError::Kind::None}});
    }
    TemporaryFile temporary(*created);
    auto fail = [](FileStatus status, int error) {
        return Fail(RecordError{status, true, FileError::FromErrno(error)});
    };

    int error = InjectedFault(WriteStep::OpenTemporary, temporary.Path());
    UniqueFd fd(error != 0 ? -1 : open(temporary.Path().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (error == 0 && !fd.Valid()) {
        error = errno;
    }
    if (error != 0) {
        return fail(FileStatus::CannotOpen, error);
    }
    error = InjectedFault(WriteStep::WriteData, temporary.Path());
    if (error == 0) {
        error = platform::WriteAll(fd.Get(), contents);
    }
    if (error == 0) {
        error = InjectedFault(WriteStep::Flush, temporary.Path());
    }
    if (error == 0 && fsync(fd.Get()) != 0) {
        error = errno;
    }
    if (int closeError = fd.Close(); error == 0) {
        error = closeError;
    }
    if (error != 0) {
        return fail(FileStatus::WriteError, error);
    }
    const std::filesystem::path target = NativePath(path);
    error = InjectedFault(WriteStep::Replace, temporary.Path());
    if (error == 0 && rename(temporary.Path().c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        return fail(FileStatus::WriteError, error);
    }
    temporary.Keep();
    SyncFolder(folder);
    return {};
}

std::u16string RecordFileTitle(std::u16string_view path) {
    const std::size_t slash = path.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

std::u16string RecordNameOf(std::u16string_view path) {
    std::u16string title = RecordFileTitle(path);
    const std::size_t dot = title.rfind(u'.');
    return dot == std::u16string::npos ? title : title.substr(0, dot);
}

}  // namespace veltrix
