#include "core/encrypted_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <cerrno>
#include <mutex>
#include <optional>
#include <utility>

#include "core/blowfish_cipher.h"
#include "core/messages.h"
#include "core/password_source.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "ui/ui_port.h"

namespace veltrix {

namespace {
const char16_t kNoPasswordMarker[] = u"";
}  // namespace

const char16_t* const NO_PASSWORD = kNoPasswordMarker;

namespace {

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

// Overwrites secret bytes (the password, the plaintext) when they go out of scope.
template <typename Container>
class ScopedWipe {
public:
    explicit ScopedWipe(Container& secret) : m_secret(secret) {}
    ~ScopedWipe() {
        if (!m_secret.empty()) {
            OPENSSL_cleanse(m_secret.data(), m_secret.size() * sizeof(m_secret[0]));
        }
    }
    ScopedWipe(const ScopedWipe&) = delete;
    ScopedWipe& operator=(const ScopedWipe&) = delete;

private:
    Container& m_secret;
};

class UniqueFd {
public:
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { Close(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    bool IsOpen() const { return m_fd >= 0; }
    int Get() const { return m_fd; }
    // Closes the file; the errno value of a failure, else 0.
    int Close() {
        int error = 0;
        if (m_fd >= 0 && close(m_fd) != 0) {
            error = errno;
        }
        m_fd = -1;
        return error;
    }

private:
    int m_fd;
};

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

// Reads the whole file; the errno value of a failure, else 0.
int ReadAll(int fd, std::vector<std::uint8_t>& contents) {
    std::uint8_t chunk[8192];
    for (;;) {
        ssize_t count = read(fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return errno;
        }
        if (count == 0) {
            return 0;
        }
        contents.insert(contents.end(), chunk, chunk + count);
    }
}

// Writes all of `bytes`; the errno value of a failure, else 0.
int WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        ssize_t count = write(fd, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return errno;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(count));
    }
    return 0;
}

// Makes a completed rename durable; a failure here does not undo the write.
void SyncFolder(const std::filesystem::path& folder) {
    UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) {
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

// ---- CEncryptedFile --------------------------------------------------------------------------

void CEncryptedFile::Serialize(CArchive&) {}

void CEncryptedFile::ReportSaveLoadException(std::u16string_view path, const FileError& error,
                                             bool saving, std::u16string_view defaultMessage) {
    std::u16string message = SaveLoadMessage(path, error, saving, defaultMessage);
    if (!message.empty()) {
        ui::ShowMessage(message, ui::Icon::Exclamation);
    }
}

bool CEncryptedFile::GetSessionPassword(std::u16string& password) {
    IPasswordSource* source = CurrentPasswordSource();
    if (source == nullptr) {
        ui::ShowMessage(messages::kUnableToLoadCore, ui::Icon::Exclamation);
        return false;
    }
    std::u16string value;
    if (!source->GetPassword(value)) {
        return false;
    }
    password = std::move(value);
    return true;
}

bool CEncryptedFile::EndSession() {
    IPasswordSource* source = CurrentPasswordSource();
    if (source == nullptr) {
        ui::ShowMessage(messages::kUnableToLoadCore, ui::Icon::Exclamation);
        return false;
    }
    return source->EndSession();
}

std::u16string CEncryptedFile::GetFileTitle() const {
    std::size_t slash = m_pathName.rfind(u'/');
    return slash == std::u16string::npos ? m_pathName : m_pathName.substr(slash + 1);
}

std::u16string CEncryptedFile::GetName() const {
    std::u16string title = GetFileTitle();
    std::size_t dot = title.rfind(u'.');
    return dot == std::u16string::npos ? title : title.substr(0, dot);
}

bool CEncryptedFile::FailRead(FileStatus status) {
    m_readStatus = status;
    return false;
}

bool CEncryptedFile::FailWrite(FileStatus status) {
    m_writeStatus = status;
    return false;
}

// A wrong password, and every file that cannot be decrypted or whose header does not check out,
// is reported alike; the session ends so that the next use asks for the password again.
bool CEncryptedFile::ReportWrongPassword() {
    ui::ShowMessage(messages::kPasswordMismatch);
    EndSession();
    return FailRead(FileStatus::WrongPassword);
}

bool CEncryptedFile::Read(std::u16string_view path) {
    m_pathName = path;
    std::vector<std::uint8_t> contents;
    {
        UniqueFd fd(open(NativePath(m_pathName).c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.IsOpen()) {
            ReportSaveLoadException(m_pathName, FileError::FromErrno(errno), false,
                                    messages::kFailedToOpen);
            return FailRead(FileStatus::CannotOpen);
        }
        if (int error = ReadAll(fd.Get(), contents); error != 0) {
            fd.Close();
            ReportSaveLoadException(m_pathName, FileError::FromErrno(error), false,
                                    messages::kFailedToOpen);
            return FailRead(FileStatus::ReadError);
        }
    }

    std::u16string password;
    ScopedWipe wipePassword(password);
    if (!GetSessionPassword(password)) {
        return FailRead(FileStatus::NoPassword);
    }
    // IV, then at least one whole block of ciphertext.
    if (password.size() > kMaxPasswordLength || contents.size() < 2 * blowfish::kBlockSize ||
        contents.size() % blowfish::kBlockSize != 0) {
        return ReportWrongPassword();
    }
    blowfish::Iv iv;
    std::copy_n(contents.begin(), iv.size(), iv.begin());
    std::vector<std::uint8_t> key = KeyOf(password);
    ScopedWipe wipeKey(key);
    auto plaintext = blowfish::Decrypt(std::span(contents).subspan(blowfish::kBlockSize), key, iv);
    if (!plaintext) {
        return ReportWrongPassword();
    }
    ScopedWipe wipePlaintext(*plaintext);
    return LoadPlaintext(*plaintext, password);
}

bool CEncryptedFile::LoadPlaintext(std::span<const std::uint8_t> plaintext,
                                   std::u16string_view password) {
    std::optional<PlaintextLayout> layout = ParseLayout(plaintext);
    if (!layout ||
        !StoredPasswordMatches(plaintext.subspan(layout->passwordOffset, layout->passwordBytes),
                               password)) {
        return ReportWrongPassword();
    }
    std::span<const std::uint8_t> payload = plaintext.subspan(layout->payloadOffset);
    {
        ui::BusyScope busy;
        if (!payload.empty()) {
            CArchive ar(payload);
            Serialize(ar);
        }
    }
    SetModifiedFlag(false);
    m_readStatus = FileStatus::Success;
    return true;
}

bool CEncryptedFile::Write(std::u16string_view path, const char16_t* password) {
    if (!path.empty()) {
        m_pathName = path;
    }
    ui::BusyScope busy;
    if (m_pathName.empty()) {
        ReportSaveLoadException(m_pathName, FileError{}, true, messages::kInvalidFilename);
        return FailWrite(FileStatus::CannotOpen);
    }
    CArchive ar;
    Serialize(ar);
    std::span<const std::uint8_t> payload = ar.Bytes();

    if (password == NO_PASSWORD) {
        return ReplaceFile({}, payload);
    }
    std::u16string master;
    ScopedWipe wipeMaster(master);
    if (password != nullptr && *password != u'\0') {
        master = password;
    } else if (!GetSessionPassword(master)) {
        return FailWrite(FileStatus::NoPassword);
    }
    // The stored password's length must fit the header; longer ones are refused outright.
    if (master.size() > kMaxPasswordLength) {
        return FailWrite(FileStatus::WrongPassword);
    }
    std::vector<std::uint8_t> plain = BuildPlaintext(master, payload);
    ScopedWipe wipePlain(plain);
    std::vector<std::uint8_t> key = KeyOf(master);
    ScopedWipe wipeKey(key);
    blowfish::Iv iv;
    if (RAND_bytes(iv.data(), static_cast<int>(iv.size())) != 1) {
        return FailWrite(FileStatus::WrongPassword);
    }
    auto cipher = blowfish::Encrypt(plain, key, iv);
    if (!cipher) {
        return FailWrite(FileStatus::WrongPassword);
    }
    return ReplaceFile(iv, *cipher);
}

// Writes IV and data to a fresh temporary file beside the record, flushes it to the disk and
// renames it over the record, so that a failure at any step leaves the old record whole. The
// temporary file is removed when a step fails.
bool CEncryptedFile::ReplaceFile(std::span<const std::uint8_t> iv,
                                 std::span<const std::uint8_t> data) {
    const std::filesystem::path folder = TemporaryFolder(m_pathName);
    errno = 0;
    std::optional<std::filesystem::path> created =
        platform::CreateUniqueTempFile(folder, kTemporaryPrefix);
    if (!created) {
        return FailWrite(FileStatus::CannotOpen);
    }
    TemporaryFile temporary(*created);
    auto fail = [&](int error, std::u16string_view defaultMessage, FileStatus status) {
        ReportSaveLoadException(m_pathName, FileError::FromErrno(error), true, defaultMessage);
        return FailWrite(status);
    };

    int error = InjectedFault(WriteStep::OpenTemporary, temporary.Path());
    UniqueFd fd(error != 0 ? -1 : open(temporary.Path().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (error == 0 && !fd.IsOpen()) {
        error = errno;
    }
    if (error != 0) {
        return fail(error, messages::kInvalidFilename, FileStatus::CannotOpen);
    }
    error = InjectedFault(WriteStep::WriteData, temporary.Path());
    if (error == 0) {
        error = WriteAll(fd.Get(), iv);
    }
    if (error == 0) {
        error = WriteAll(fd.Get(), data);
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
        return fail(error, messages::kFailedToSave, FileStatus::WriteError);
    }
    const std::filesystem::path target = NativePath(m_pathName);
    error = InjectedFault(WriteStep::Replace, temporary.Path());
    if (error == 0 && rename(temporary.Path().c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        return fail(error, messages::kFailedToSave, FileStatus::WriteError);
    }
    temporary.Keep();
    SyncFolder(folder);
    SetModifiedFlag(false);
    m_writeStatus = FileStatus::Success;
    return true;
}

}  // namespace veltrix
