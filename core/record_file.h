// Record storage: the codec of a record file (record text <-> file bytes under a password) and the
// file operations (read, atomic replace), apart from the records themselves.
//
// Error convention of the vault core: an operation that can fail returns a Result (platform/
// result.h) or a typed status such as FileStatus, carrying why it failed; no int codes, nothing
// thrown. The storage functions show nothing: which message a failure shows is the caller's
// decision, taken through the one mapping in core/record_io.h. HRESULT appears only at the COM
// boundaries (core/orvane_interface.h and the classes behind it).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace veltrix {

// The longest master password a record file accepts, in UTF-16 code units.
inline constexpr std::size_t kMaxPasswordLength = 254;
// The largest file read as a record: far above any real one (a record is kilobytes, a long Secure
// Note megabytes), low enough that a stray file cannot exhaust memory.
inline constexpr std::size_t kMaxRecordFileSize = 64 * 1024 * 1024;

// The outcome of reading or writing a record file (the same numbers in both).
enum class FileStatus : int {
    NotDone = 0,        // not yet read / written
    Success = 1,        //
    CannotOpen = 2,     // the file (when writing, the temporary file) could not be opened
    ReadError = 3,      // reading only: error while reading the file
    WriteError = 4,     // writing only: error while writing or replacing the file
    NoPassword = 5,     // no master password: the prompt was cancelled or no session
    WrongPassword = 6,  // reading: wrong password or undecryptable file; writing: cipher failure
};

// What went wrong in a file operation, for the message it shows.
struct FileError {
    enum class Kind {
        UserCancel,  // the user cancelled: nothing to show
        BadFormat,   // the contents are not in the expected format
        File,        // an operating-system file error, `error` being its errno value
        Other,
        None,        // no cause worth a message: nothing to show
        Damaged,     // the file is damaged: it opens under the password but does not check out,
                     // or it cannot be a record file under any password
        NotRegular,  // a FIFO, device, folder or socket where a record file was expected
        TooLarge,    // larger than kMaxRecordFileSize
    };
    Kind kind = Kind::Other;
    int error = 0;
    // Whether the error supplies its own text ("%1 was not found."); the generic texts by cause
    // apply when it does not.
    bool ownText = true;

    static FileError FromErrno(int error) { return {Kind::File, error, true}; }
};

// The text a failed file operation shows for `error` (empty: nothing is shown). "%1" stands for
// `path`, cut to 260 characters.
std::u16string SaveLoadMessage(std::u16string_view path, const FileError& error, bool saving,
                               std::u16string_view defaultMessage);

// A failed record file operation: its status (2 to 6), whether it was a write, and the cause.
struct RecordError {
    FileStatus status = FileStatus::NotDone;
    bool saving = false;
    FileError cause{FileError::Kind::None};
    // NoPassword only: no password source is installed, rather than a cancelled prompt.
    bool noPasswordSource = false;
};

// ---- Codec -----------------------------------------------------------------------------------

enum class CodecError {
    WrongPassword,    // decoding: the file was written under another password (or unencrypted)
    Damaged,          // decoding: the file is damaged (see DecryptRecord)
    PasswordTooLong,  // encoding: longer than kMaxPasswordLength
    CipherFailure,    // encoding: no random IV or the cipher failed
};

// What a record file says about a password, from its verification block alone.
enum class PasswordCheck {
    Matches,       // the file's stored password is this one
    DoesNotMatch,  // the file was written under another password
    Undecided,  // the file cannot tell: unreadable, unencrypted or its verification block damaged
};

// The file bytes of `payload`: a fresh IV, then Blowfish-CBC under the password (in Windows-1252)
// of a small header, the password in UTF-16LE (to recognise a wrong one) and the payload.
Result<std::vector<std::uint8_t>, CodecError> EncryptRecord(std::span<const std::uint8_t> payload,
                                                            std::u16string_view password);
// The payload of record file bytes, when `password` is the one they were written under and the
// file's header, stored password and padding are whole. Damaged when the file cannot be a record
// file (too short, not whole blocks) or shows that it was written under this password but does
// not check out; WrongPassword when it was written under another one.
Result<std::vector<std::uint8_t>, CodecError> DecryptRecord(std::span<const std::uint8_t> file,
                                                            std::u16string_view password);
// Checks `password` against the verification block of record file bytes; the payload and the
// padding play no part, so a file damaged further on still answers.
PasswordCheck VerifyRecordPassword(std::span<const std::uint8_t> file,
                                   std::u16string_view password);
// The same as DecryptRecord with the record text as payload (see core/tagged_text.h); Damaged
// also when the payload is not well-formed.
Result<std::vector<std::uint8_t>, CodecError> EncodeRecordFile(std::u16string_view text,
                                                               std::u16string_view password);
Result<std::u16string, CodecError> DecodeRecordFile(std::span<const std::uint8_t> file,
                                                    std::u16string_view password);

// ---- File operations -------------------------------------------------------------------------

// The whole file at `path`; CannotOpen or ReadError with the errno cause. Only a regular file is
// read (a FIFO would block, a device would never end): anything else is CannotOpen with the cause
// NotRegular, a file beyond kMaxRecordFileSize ReadError with the cause TooLarge.
Result<std::vector<std::uint8_t>, RecordError> ReadRecordFile(std::u16string_view path);
// Writes `contents` to a fresh temporary file beside `path`, flushes it to the disk and renames
// it over `path`, so that a failure at any step leaves the old file whole and no temporary file.
// CannotOpen (no path, or no temporary file) or WriteError with the errno cause.
Result<void, RecordError> ReplaceRecordFile(std::u16string_view path,
                                            std::span<const std::uint8_t> contents);

// A write interrupted by a crash leaves its temporary file ("orv" + six characters + ".tmp").
// Removes those in `folder` that are regular files of this user, untouched for at least `minAge`
// and not locked by a live writer (each writer holds a lock on its temporary file). The first
// write into a folder does this once per process with a minAge of ten minutes. Returns how many
// were removed.
std::size_t RemoveStaleTemporaryFiles(const std::filesystem::path& folder,
                                      std::chrono::seconds minAge);

// Test seam: a hook called before each step of replacing a record file, with the temporary file
// (with the folder before CreateTemporary). It returns 0 to let the step run, or an errno value
// with which the step then fails.
enum class WriteStep { CreateTemporary, OpenTemporary, WriteData, Flush, Replace };
using WriteFaultHook = std::function<int(WriteStep, const std::filesystem::path& temporary)>;
// Installs `hook` for the whole process; an empty hook removes it.
void SetWriteFaultHook(WriteFaultHook hook);

// The path after its last '/' (all of it when it has none).
std::u16string RecordFileTitle(std::u16string_view path);
// The file title up to its last '.': the record's name as the user sees it.
std::u16string RecordNameOf(std::u16string_view path);

}  // namespace veltrix
