// The encrypted record file: the base of every record class. A record serializes itself into a
// payload; the file holds an IV and the Blowfish-CBC encryption of a small header, the master
// password (to recognise a wrong one) and the payload.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix {

// Passed as the password of Write: the payload is written as it is, without any encryption.
// Recognised by its address, not its contents.
extern const char16_t* const NO_PASSWORD;

// The longest master password a record file accepts, in UTF-16 code units.
inline constexpr std::size_t kMaxPasswordLength = 254;

// Result of the last Read or Write of a record (the same numbers in both).
enum class FileStatus : int {
    NotDone = 0,        // not yet read / written
    Success = 1,        //
    CannotOpen = 2,     // the file (when writing, the temporary file) could not be opened
    ReadError = 3,      // reading only: error while reading the file
    WriteError = 4,     // writing only: error while writing or replacing the file
    NoPassword = 5,     // no master password: the prompt was cancelled or no session
    WrongPassword = 6,  // reading: wrong password or undecryptable file; writing: cipher failure
};

// What went wrong in a file operation, for ReportSaveLoadException.
struct FileError {
    enum class Kind {
        UserCancel,  // the user cancelled: nothing to show
        BadFormat,   // the contents are not in the expected format
        File,        // an operating-system file error, `error` being its errno value
        Other,
    };
    Kind kind = Kind::Other;
    int error = 0;
    // Whether the error supplies its own text ("%1 was not found."); the generic texts by cause
    // apply when it does not.
    bool ownText = true;

    static FileError FromErrno(int error) { return {Kind::File, error, true}; }
};

// The text ReportSaveLoadException shows for `error` (empty: nothing is shown). "%1" stands for
// `path`, cut to 260 characters.
std::u16string SaveLoadMessage(std::u16string_view path, const FileError& error, bool saving,
                               std::u16string_view defaultMessage);

// The serialization stream of a record: storing appends bytes; loading exposes the payload.
class CArchive {
public:
    // A storing archive, initially empty.
    CArchive() = default;
    // A loading archive over `payload`, which must outlive it.
    explicit CArchive(std::span<const std::uint8_t> payload)
        : m_loading(true), m_payload(payload) {}

    bool IsStoring() const { return !m_loading; }
    bool IsLoading() const { return m_loading; }

    // Storing only: appends `bytes`.
    void Write(std::span<const std::uint8_t> bytes) {
        m_stored.insert(m_stored.end(), bytes.begin(), bytes.end());
    }
    // The bytes stored so far, or the payload being loaded.
    std::span<const std::uint8_t> Bytes() const {
        return m_loading ? m_payload : std::span<const std::uint8_t>(m_stored);
    }

private:
    bool m_loading = false;
    std::span<const std::uint8_t> m_payload;
    std::vector<std::uint8_t> m_stored;
};

class CEncryptedFile {
public:
    CEncryptedFile() = default;
    virtual ~CEncryptedFile() = default;
    CEncryptedFile(const CEncryptedFile&) = delete;
    CEncryptedFile& operator=(const CEncryptedFile&) = delete;

    // Stores the record into, or loads it from, the archive; empty here.
    virtual void Serialize(CArchive& ar);
    // Shows the message of a failed file operation (exclamation icon), if it has one.
    virtual void ReportSaveLoadException(std::u16string_view path, const FileError& error,
                                         bool saving, std::u16string_view defaultMessage);
    virtual void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    virtual bool IsModified() const { return m_modified; }
    virtual FileStatus GetReadStatus() const { return m_readStatus; }
    virtual FileStatus GetWriteStatus() const { return m_writeStatus; }

    // Reads, verifies and loads the record file at `path` (which becomes the path name).
    bool Read(std::u16string_view path);
    // Stores and writes the record. An empty `path` keeps the path name. `password` null or
    // empty: the session's master password; NO_PASSWORD: no encryption; else that password.
    bool Write(std::u16string_view path = {}, const char16_t* password = nullptr);

    // The session's master password (may prompt); false when there is none.
    bool GetSessionPassword(std::u16string& password);
    // Forgets the session's master password, so that the next use prompts again.
    bool EndSession();

    // The path name after its last '/' (all of it when it has none).
    std::u16string GetFileTitle() const;
    // The file title up to its last '.': the record's name as the user sees it.
    std::u16string GetName() const;
    const std::u16string& GetPathName() const { return m_pathName; }

private:
    bool FailRead(FileStatus status);
    bool FailWrite(FileStatus status);
    bool ReportWrongPassword();
    bool LoadPlaintext(std::span<const std::uint8_t> plaintext, std::u16string_view password);
    bool ReplaceFile(std::span<const std::uint8_t> iv, std::span<const std::uint8_t> data);

    FileStatus m_readStatus = FileStatus::NotDone;
    FileStatus m_writeStatus = FileStatus::NotDone;
    bool m_modified = false;
    std::u16string m_pathName;
};

// Test seam: a hook called before each step of replacing a record file, with the temporary file.
// It returns 0 to let the step run, or an errno value with which the step then fails.
enum class WriteStep { OpenTemporary, WriteData, Flush, Replace };
using WriteFaultHook = std::function<int(WriteStep, const std::filesystem::path& temporary)>;
// Installs `hook` for the whole process; an empty hook removes it.
void SetWriteFaultHook(WriteFaultHook hook);

}  // namespace veltrix
