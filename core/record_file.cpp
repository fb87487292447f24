#include "core/record_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/rand.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <optional>
#include <set>
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

// The layout of a decrypted plaintext when its header is exactly what a writer produces: size 8,
// the stored password at 8 with an even length, the payload right after it, all inside `size`
// bytes. Anything else is nullopt.
std::optional<PlaintextLayout> ParseLayout(std::span<const std::uint8_t> plain, std::size_t size) {
    if (size < kHeaderSize || plain.size() < kHeaderSize) {
        return std::nullopt;
    }
    const int headerSize = GetInt16(plain, 0);
    const int payloadOffset = GetInt16(plain, 2);
    const int passwordBytes = GetInt16(plain, 4);
    const int passwordOffset = GetInt16(plain, 6);
    const int expected = static_cast<int>(kHeaderSize);
    if (headerSize != expected || passwordOffset != expected || passwordBytes < 0 ||
        passwordBytes % 2 != 0 || payloadOffset != expected + passwordBytes ||
        static_cast<std::size_t>(payloadOffset) > size) {
        return std::nullopt;
    }
    return PlaintextLayout{kHeaderSize, static_cast<std::size_t>(passwordBytes),
                           static_cast<std::size_t>(payloadOffset)};
}

std::u16string StoredPassword(std::span<const std::uint8_t> stored) {
    std::u16string password(stored.size() / 2, u'\0');
    for (std::size_t i = 0; i < password.size(); ++i) {
        password[i] = static_cast<char16_t>(stored[2 * i] | (stored[2 * i + 1] << 8));
    }
    return password;
}

// The number of PKCS#5 padding bytes at the end of `plain`; 0 when the padding is not sound.
std::size_t PaddingLength(std::span<const std::uint8_t> plain) {
    if (plain.empty()) {
        return 0;
    }
    const std::size_t length = plain.back();
    if (length < 1 || length > blowfish::kBlockSize || length > plain.size()) {
        return 0;
    }
    for (std::size_t i = plain.size() - length; i < plain.size(); ++i) {
        if (plain[i] != length) {
            return 0;
        }
    }
    return length;
}

// Whether the whole file is an unencrypted payload (FF FE, then UTF-16LE text without a zero unit),
// as an export without password writes it.
bool LooksUnencrypted(std::span<const std::uint8_t> file) {
    return file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE && IsSoundPayload(file);
}

// Telling a wrong password from a damaged file. The format carries no checksum, but the writer's
// verification block (header and stored password, the first 8 + 2n plaintext bytes) is known in
// advance for a given password, and under a wrong key Blowfish-CBC yields bytes that look random.
// So:
// - A whole header whose stored password converts to the same key bytes proves the key: the file
//   was written under that stored password, which matches or is another one sharing the key
//   (characters outside Windows-1252 all become '?').
// - Otherwise, an aligned 8-byte block of the verification block that matches the expected bytes
//   in at least 6 of its 8 bytes shows the key is right and the block around it damaged. A wrong
//   key matches so by chance with a probability of about 28 * 2^-48 per block. One flipped bit
//   garbles at most one block and flips one bit of the next, so for a password of 4 characters or
//   more (two whole known blocks) a single flip always leaves such a block.
// - Without either sign the file was written under another password, unless it cannot be a record
//   file at all (shorter than an IV and one block, or not whole blocks), which is damage whatever
//   the password; an unencrypted export stays a wrong password, as it always was.
enum class KeyEvidence { StoredPasswordMatches, AnotherPasswordSameKey, BlockMatches, None };

struct Examined {
    KeyEvidence evidence = KeyEvidence::None;
    bool wholeBlocks = false;         // the file is an IV and a non-zero number of whole blocks
    std::vector<std::uint8_t> plain;  // every whole block decrypted, padding still in place
};

constexpr std::size_t kMinMatchingBytes = 6;

bool SomeBlockMatches(std::span<const std::uint8_t> plain, std::u16string_view password) {
    const std::vector<std::uint8_t> expected = BuildPlaintext(password, {});
    const std::size_t known = std::min(expected.size(), plain.size());
    for (std::size_t block = 0; block + blowfish::kBlockSize <= known;
         block += blowfish::kBlockSize) {
        std::size_t same = 0;
        for (std::size_t i = block; i < block + blowfish::kBlockSize; ++i) {
            same += plain[i] == expected[i] ? 1 : 0;
        }
        if (same >= kMinMatchingBytes) {
            return true;
        }
    }
    return false;
}

// Decrypts the file's whole blocks, at most `maxBlocks` of them, and looks for the signs above.
Examined Examine(std::span<const std::uint8_t> file, std::u16string_view password,
                 std::size_t maxBlocks = static_cast<std::size_t>(-1)) {
    Examined examined;
    const std::size_t size = file.size();
    examined.wholeBlocks = size >= 2 * blowfish::kBlockSize && size % blowfish::kBlockSize == 0;
    const std::size_t blocks =
        size < 2 * blowfish::kBlockSize
            ? 0
            : std::min(maxBlocks, (size - blowfish::kBlockSize) / blowfish::kBlockSize);
    if (blocks == 0) {
        return examined;
    }
    blowfish::Iv iv;
    std::copy_n(file.begin(), iv.size(), iv.begin());
    std::vector<std::uint8_t> key = KeyOf(password);
    ScopedWipe wipeKey(key);
    auto plain = blowfish::DecryptBlocks(
        file.subspan(blowfish::kBlockSize, blocks * blowfish::kBlockSize), key, iv);
    if (!plain) {
        return examined;
    }
    examined.plain = std::move(*plain);
    const std::span<const std::uint8_t> bytes(examined.plain);
    if (auto layout = ParseLayout(bytes, bytes.size())) {
        std::u16string stored =
            StoredPassword(bytes.subspan(layout->passwordOffset, layout->passwordBytes));
        ScopedWipe wipeStored(stored);
        if (stored == password) {
            examined.evidence = KeyEvidence::StoredPasswordMatches;
            return examined;
        }
        std::vector<std::uint8_t> storedKey = KeyOf(stored);
        ScopedWipe wipeStoredKey(storedKey);
        if (storedKey == key) {
            examined.evidence = KeyEvidence::AnotherPasswordSameKey;
            return examined;
        }
    }
    if (SomeBlockMatches(bytes, password)) {
        examined.evidence = KeyEvidence::BlockMatches;
    }
    return examined;
}

// The verdict on a file that shows no sign of the key: another password, or damage whatever the
// password.
CodecError WithoutEvidence(std::span<const std::uint8_t> file, const Examined& examined) {
    return examined.wholeBlocks || LooksUnencrypted(file) ? CodecError::WrongPassword
                                                          : CodecError::Damaged;
}

// ---- Stale temporary files -------------------------------------------------------------------

constexpr std::chrono::minutes kStaleTemporaryAge{10};

// "orv", six characters of the unique-name service, ".tmp".
bool IsOurTemporaryName(const std::string& name) {
    constexpr std::size_t kUniqueLength = 6;
    const std::string_view prefix = kTemporaryPrefix.substr(0, 3);
    if (name.size() != prefix.size() + kUniqueLength + 4 || !name.starts_with(prefix) ||
        !name.ends_with(".tmp")) {
        return false;
    }
    return std::all_of(name.begin() + 3, name.end() - 4, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

// Removes `path` when it is a stale temporary file of ours: a regular file (not a link) of this
// user, unchanged for `minAge`, whose lock no live writer holds. The lock is kept while removing,
// and the name is checked to still be the file locked, so a writer cannot slip in between.
bool RemoveIfStale(const std::filesystem::path& path, std::chrono::seconds minAge) {
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!fd.Valid() || fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != geteuid()) {
        return false;
    }
    const auto changed = std::chrono::system_clock::from_time_t(info.st_mtime);
    if (std::chrono::system_clock::now() - changed < minAge) {
        return false;
    }
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        return false;  // a live writer holds it
    }
    struct stat now {};
    if (lstat(path.c_str(), &now) != 0 || now.st_ino != info.st_ino || now.st_dev != info.st_dev) {
        return false;
    }
    return unlink(path.c_str()) == 0;
}

// The first write into each folder clears that folder of stale temporary files.
void RemoveStaleTemporaryFilesOnce(const std::filesystem::path& folder) {
    static std::mutex mutex;
    static std::set<std::string> done;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    {
        std::lock_guard lock(mutex);
        if (!done.insert(error ? folder.string() : absolute.lexically_normal().string()).second) {
            return;
        }
    }
    RemoveStaleTemporaryFiles(folder, kStaleTemporaryAge);
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
        case FileError::Kind::Damaged:
            message = messages::kDamagedFile;
            break;
        case FileError::Kind::NotRegular:
            message = messages::kNotRegularFile;
            break;
        case FileError::Kind::TooLarge:
            message = messages::kFileTooLarge;
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

std::size_t RemoveStaleTemporaryFiles(const std::filesystem::path& folder,
                                      std::chrono::seconds minAge) {
    std::size_t removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator entries(folder, error), end; !error && entries != end;
         entries.increment(error)) {
        const std::filesystem::path& path = entries->path();
        if (IsOurTemporaryName(path.filename().string()) && RemoveIfStale(path, minAge)) {
            ++removed;
        }
    }
    return removed;
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

Result<std::vector<std::uint8_t>, CodecError> DecryptRecord(std::span<const std::uint8_t> file,
                                                            std::u16string_view password) {
    if (password.empty() || password.size() > kMaxPasswordLength) {
        return Fail(CodecError::WrongPassword);
    }
    Examined examined = Examine(file, password);
    ScopedWipe wipePlain(examined.plain);
    switch (examined.evidence) {
        case KeyEvidence::StoredPasswordMatches:
            break;
        case KeyEvidence::AnotherPasswordSameKey:
            return Fail(CodecError::WrongPassword);
        case KeyEvidence::BlockMatches:
            return Fail(CodecError::Damaged);
        case KeyEvidence::None:
            return Fail(WithoutEvidence(file, examined));
    }
    const std::size_t padding = PaddingLength(examined.plain);
    if (!examined.wholeBlocks || padding == 0) {
        return Fail(CodecError::Damaged);
    }
    const std::span<const std::uint8_t> plain =
        std::span<const std::uint8_t>(examined.plain).first(examined.plain.size() - padding);
    const std::optional<PlaintextLayout> layout = ParseLayout(plain, plain.size());
    if (!layout) {
        return Fail(CodecError::Damaged);  // the padding reached into the stored password
    }
    const std::span<const std::uint8_t> payload = plain.subspan(layout->payloadOffset);
    return std::vector<std::uint8_t>(payload.begin(), payload.end());
}

PasswordCheck VerifyRecordPassword(std::span<const std::uint8_t> file,
                                   std::u16string_view password) {
    if (password.empty() || password.size() > kMaxPasswordLength) {
        return PasswordCheck::DoesNotMatch;
    }
    // The verification block and the block after it (the stored password may run into it).
    const std::size_t blocks = (kHeaderSize + 2 * password.size()) / blowfish::kBlockSize + 2;
    Examined examined = Examine(file, password, blocks);
    ScopedWipe wipePlain(examined.plain);
    switch (examined.evidence) {
        case KeyEvidence::StoredPasswordMatches:
            return PasswordCheck::Matches;
        case KeyEvidence::AnotherPasswordSameKey:
            return PasswordCheck::DoesNotMatch;
        case KeyEvidence::BlockMatches:
            return PasswordCheck::Undecided;
        case KeyEvidence::None:
            break;
    }
    // Random-looking blocks under this key mean another password; a file that is no record file
    // (unencrypted, or too short or cut inside a block) cannot tell.
    return examined.wholeBlocks && !LooksUnencrypted(file) ? PasswordCheck::DoesNotMatch
                                                           : PasswordCheck::Undecided;
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
    if (!IsSoundPayload(*payload)) {
        return Fail(CodecError::Damaged);
    }
    return DecodePayload(*payload);
}

// ---- File operations -------------------------------------------------------------------------

Result<std::vector<std::uint8_t>, RecordError> ReadRecordFile(std::u16string_view path) {
    // Non-blocking, so that opening a FIFO does not wait for a writer; a regular file ignores it.
    UniqueFd fd(open(NativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        return Fail(RecordError{FileStatus::CannotOpen, false, FileError::FromErrno(errno)});
    }
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0) {
        return Fail(RecordError{FileStatus::ReadError, false, FileError::FromErrno(errno)});
    }
    if (S_ISDIR(info.st_mode)) {
        return Fail(RecordError{FileStatus::ReadError, false, FileError::FromErrno(EISDIR)});
    }
    if (!S_ISREG(info.st_mode)) {
        return Fail(
            RecordError{FileStatus::CannotOpen, false, FileError{FileError::Kind::NotRegular}});
    }
    const RecordError tooLarge{FileStatus::ReadError, false, FileError{FileError::Kind::TooLarge}};
    if (static_cast<std::uint64_t>(info.st_size) > kMaxRecordFileSize) {
        return Fail(tooLarge);
    }
    std::string contents;
    // The limit holds even for a file that grows while it is read.
    if (int error = platform::ReadAll(fd.Get(), contents, kMaxRecordFileSize); error != 0) {
        return Fail(error == EFBIG
                        ? tooLarge
                        : RecordError{FileStatus::ReadError, false, FileError::FromErrno(error)});
    }
    return std::vector<std::uint8_t>(contents.begin(), contents.end());
}

Result<void, RecordError> ReplaceRecordFile(std::u16string_view path,
                                            std::span<const std::uint8_t> contents) {
    if (path.empty()) {
        return Fail(RecordError{FileStatus::CannotOpen, true, FileError{}});
    }
    const std::filesystem::path folder = TemporaryFolder(path);
    RemoveStaleTemporaryFilesOnce(folder);
    const int injected = InjectedFault(WriteStep::CreateTemporary, folder);
    std::optional<std::filesystem::path> created =
        injected != 0 ? std::nullopt : platform::CreateUniqueTempFile(folder, kTemporaryPrefix);
    if (!created) {
        // A missing folder is a bad path rather than a missing record file.
        const int error = injected != 0 ? injected : errno;
        return Fail(RecordError{FileStatus::CannotOpen, true,
                                FileError{FileError::Kind::File, error, error != ENOENT}});
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
    if (error == 0) {
        // Marks the temporary file as in use, so that no clean-up takes it from a live writer.
        flock(fd.Get(), LOCK_EX | LOCK_NB);
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
