#include "tools/vtx_commands.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "core/configuration.h"
#include "core/record_io.h"
#include "core/record_names.h"
#include "core/scoped_wipe.h"
#include "core/session_password_source.h"
#include "core/web_login_index.h"
#include "platform/com/com_runtime.h"
#include "platform/com/registrar.h"
#include "platform/core_dumps.h"
#include "platform/event_loop.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tools/vtx_form_commands.h"
#include "tools/vtx_generate_command.h"
#include "ui/terminal_ui.h"

namespace veltrix::vtx {
namespace {

constexpr char kUsageText[] =
    "Usage: vtx [--password-file FILE] COMMAND\n"
    "\n"
    "Commands:\n"
    "  list identities|weblogins|notes        the record names, one a line, sorted\n"
    "  show identity|weblogin|note NAME       the record's text on standard output (UTF-8)\n"
    "  put identity|weblogin|note NAME        reads the record's text (UTF-8) from standard\n"
    "                                         input and writes the record file\n"
    "  config get NAME                        a value of the Configuration settings\n"
    "  config set NAME VALUE                  changes such a value\n"
    "  form scan PAGE.html                    the forms and fields of a page as recognised\n"
    "  form fill PAGE.html --identity NAME [--card CCID] [--account BAID]\n"
    "                                         fills the page's forms with the Identity and\n"
    "                                         prints every field's value\n"
    "  generate [--length N] [--preferences BITS] [--special TEXT]\n"
    "                                         prints a password made with the generator's\n"
    "                                         settings; the options change them and are stored\n"
    "  hold                                   unlocks the session (asking for the master\n"
    "                                         password if no program knows it) and keeps it\n"
    "                                         open until stopped or until the session ends\n"
    "  logoff                                 ends the session for every program\n"
    "  register | unregister                  registers vtxcore (libvtxcore.so beside vtx)\n"
    "                                         with the system, or removes the registration\n"
    "\n"
    "The master password is shared by every program of the session: vtx asks for it only\n"
    "when none is known, answering from the first line of FILE, else from a prompt on the\n"
    "terminal. Records live in $XDG_DATA_HOME/Orvane/Veltrix/, settings in the registry\n"
    "folder named by VELTRIX_REGISTRY.\n"
    "\n"
    "Configuration values: DataPath, InstallPath, IdentitiesFolder, WebLoginsFolder,\n"
    "SecureNotesFolder, ExportToFolder, HighlightColor, Identity, AutoLogoff, Preferences.\n";

std::u16string RecordFile(config::Settings& settings, RecordKind kind, const std::string& name) {
    return RecordPath(settings.GetRecordFolder(kind), text::FromUtf8(name), kind);
}

// The page address of the Web Login file at `path` before it is replaced, read without showing
// anything: nullopt when there is no such file or it does not open under the session's password.
// NoPassword when the password prompt was cancelled (the write could not run either).
Result<std::optional<std::u16string>, FileStatus> PreviousPageUrl(const std::u16string& path) {
    const auto contents = ReadRecordFile(path);
    IPasswordSource* source = CurrentPasswordSource();
    if (!contents || source == nullptr) {
        return std::optional<std::u16string>();  // the write reports a missing password source
    }
    std::u16string password;
    ScopedWipe wipePassword(password);
    if (!source->GetPassword(password)) {
        return Fail(FileStatus::NoPassword);
    }
    auto text = DecodeRecordFile(*contents, password);
    if (!text) {
        return std::optional<std::u16string>();
    }
    ScopedWipe wipeText(*text);
    return std::optional<std::u16string>(WebLoginFromText(*text).GetPageUrl());
}

// Writes the record of `kind` that `text` holds, stored the way the editor stores it. A Web Login
// that replaces another moves the index entry from the old one's site, read from its file first;
// when that cannot be read, every site's entry is searched for the name.
bool WriteRecord(config::Settings& settings, RecordKind kind, std::u16string_view name,
                 const std::u16string& path, std::u16string_view text) {
    switch (kind) {
        case RecordKind::Identity:
            return WriteIdentity(path, IdentityFromText(text)).HasValue();
        case RecordKind::WebLogin: {
            const auto previousUrl = PreviousPageUrl(path);
            if (!previousUrl) {
                return false;
            }
            const CWebLogin login = WebLoginFromText(text);
            if (!WriteWebLogin(path, login, WebLoginWriter::Editor)) {
                return false;
            }
            if (*previousUrl) {
                MoveWebLoginInIndex(settings, **previousUrl, login.GetPageUrl(), name);
            } else {
                IndexWebLoginUnder(settings, login.GetPageUrl(), name);
            }
            return true;
        }
        default:
            return WriteSecureNote(path, SecureNoteFromText(text)).HasValue();
    }
}

// Standard input up to one byte more than a record file can hold, so that a larger text is
// refused by the write instead of filling the memory.
std::string ReadAll(std::istream& in) {
    std::string bytes;
    char chunk[65536];
    while (bytes.size() <= kMaxRecordFileSize && in.read(chunk, sizeof chunk).gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.erase(0, 3);
    }
    return bytes;
}

// A password file is one line; anything this long is not one.
constexpr std::size_t kMaxPasswordFileBytes = 4096;

// The first line of the file, without its line end; nullopt when it cannot be read. The bytes
// read are wiped: only the returned text holds the password.
std::optional<std::u16string> ReadPasswordFile(const std::string& path) {
    auto contents = platform::ReadWholeFile(path, kMaxPasswordFileBytes);
    if (!contents) {
        return std::nullopt;
    }
    ScopedWipe wipe(*contents);
    if (contents->empty()) {
        return std::nullopt;
    }
    std::string_view line(*contents);
    line = line.substr(0, line.find('\n'));
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return text::FromUtf8(line);
}

constexpr char kCoreLibrary[] = "libvtxcore.so";
constexpr int kHoldPollMs = 250;

// Notes SIGINT and SIGTERM instead of dying, so that vtx hold leaves the session cleanly.
class StopSignals {
public:
    StopSignals() {
        struct sigaction action {};
        action.sa_handler = [](int) { received = 1; };
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~StopSignals() {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    bool Received() const { return received != 0; }

private:
    static inline volatile std::sig_atomic_t received = 0;
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

// Whether the session still knows a password, asked without prompting.
bool SessionAlive(COrvanePasswordSource& passwords) {
    IOrvaneInterface* session = passwords.Session();
    com::ComPtr<IOrvaneSessionState> state;
    bool known = false;
    return session != nullptr &&
           session->QueryInterface(IID_IOrvaneSessionState, state.PutVoid()) == com::S_OK &&
           state->IsPasswordKnown(&known) == com::S_OK && known;
}

// Success when everything reached standard output; a failure (a full disk under a redirection,
// a closed pipe) is said.
int Flushed(std::ostream& out) {
    if (out.flush()) {
        return kSuccess;
    }
    ui::ShowMessage(
        u"Unable to write to standard output: the output was closed or its disk is full.",
        ui::Icon::Exclamation);
    return kFailure;
}

int Misuse(std::ostream& err, const std::string& what) {
    err << "vtx: " << what << "\n\n" << kUsageText;
    return kUsage;
}

}  // namespace

std::optional<RecordKind> ParseRecordKind(const std::string& word, bool plural) {
    struct Name {
        const char* singular;
        const char* plural;
        RecordKind kind;
    };
    static constexpr Name kNames[] = {{"identity", "identities", RecordKind::Identity},
                                      {"weblogin", "weblogins", RecordKind::WebLogin},
                                      {"note", "notes", RecordKind::SecureNote}};
    for (const auto& name : kNames) {
        if (word == (plural ? name.plural : name.singular)) {
            return name.kind;
        }
    }
    return std::nullopt;
}

int ListRecords(config::Settings& settings, RecordKind kind, std::ostream& out) {
    const std::string extension = "." + text::ToUtf8(RecordExtension(kind));
    for (const auto& file : platform::ListFilesWithExtension(
             text::ToUtf8(settings.GetRecordFolder(kind)), text::ToUtf8(RecordExtension(kind)))) {
        out << file.substr(0, file.size() - extension.size()) << '\n';
    }
    return Flushed(out);
}

int ShowRecord(config::Settings& settings, RecordKind kind, const std::string& name,
               std::ostream& out) {
    // The text is shown exactly as stored, so every kind is read as plain tagged text.
    const auto recordText = ReadRecordText(RecordFile(settings, kind, name), kind);
    if (!recordText) {
        return kFailure;
    }
    out << text::ToUtf8(*recordText);
    return Flushed(out);
}

int PutRecord(config::Settings& settings, RecordKind kind, const std::string& name,
              std::istream& in) {
    const std::u16string recordName = text::FromUtf8(name);
    if (recordName.empty() || !IsValidName(recordName)) {
        ui::ShowMessage(
            u"A record name cannot be empty or contain any of the following "
            u"characters:\n \" ' \\ / : * ? < > |",
            ui::Icon::Exclamation);
        return kFailure;
    }
    // A record file's text ends at its first zero unit; so does the text put.
    std::u16string recordText = text::FromUtf8(ReadAll(in));
    recordText.resize(std::min(recordText.size(), recordText.find(u'\0')));
    return WriteRecord(settings, kind, recordName, RecordFile(settings, kind, name), recordText)
               ? kSuccess
               : kFailure;
}

int GetConfig(config::Settings& settings, const std::string& name, std::ostream& out) {
    auto value = settings.GetConfigurationValue(text::FromUtf8(name));
    if (!value) {
        ui::ShowMessage(text::FromUtf8("Unknown setting: " + name), ui::Icon::Exclamation);
        return kFailure;
    }
    out << text::ToUtf8(*value) << '\n';
    return kSuccess;
}

int SetConfig(config::Settings& settings, const std::string& name, const std::string& value) {
    switch (settings.SetConfigurationValue(text::FromUtf8(name), text::FromUtf8(value))) {
        case config::SetValueResult::Ok:
            return kSuccess;
        case config::SetValueResult::UnknownName:
            ui::ShowMessage(text::FromUtf8("Unknown setting: " + name), ui::Icon::Exclamation);
            return kFailure;
        case config::SetValueResult::InvalidValue:
            ui::ShowMessage(text::FromUtf8("Not a valid value for " + name + ": " + value),
                            ui::Icon::Exclamation);
            return kFailure;
        case config::SetValueResult::WriteFailed:
            break;
    }
    ui::ShowMessage(text::FromUtf8("Unable to write the setting " + name), ui::Icon::Exclamation);
    return kFailure;
}

int Hold(COrvanePasswordSource& passwords, std::ostream& err) {
    std::u16string password;
    const bool unlocked = passwords.GetPassword(password);
    // Holding needs the session, not a copy of the password for as long as it holds.
    OPENSSL_cleanse(password.data(), password.size() * sizeof(char16_t));
    password.clear();
    platform::WipeFreeStack();
    if (!unlocked) {
        return kFailure;
    }
    err << "vtx: holding the session; stop with Ctrl-C.\n" << std::flush;
    StopSignals stop;
    platform::IEventLoop& loop = platform::ThreadEventLoop();
    while (!stop.Received() && SessionAlive(passwords)) {
        loop.ProcessEvents(kHoldPollMs);
    }
    return kSuccess;
}

int Logoff(COrvanePasswordSource& passwords) {
    return passwords.EndSession() ? kSuccess : kFailure;
}

// Why the registry folder takes no writes, as far as the file system tells.
std::string RegistryWriteProblem(const std::filesystem::path& folder) {
    if (access(folder.c_str(), W_OK) != 0) {
        return platform::ErrorText(errno);
    }
    struct statvfs disk {};
    if (statvfs(folder.c_str(), &disk) == 0) {
        if (disk.f_bavail == 0) {
            return "the disk is full";
        }
        if (disk.f_favail == 0) {
            return "no free inodes are left on the disk";
        }
    }
    return "the registry database refused the write";
}

// The reason of a failed registration: the loader's message, else what the result means.
std::string RegistrationFailure(com::HRESULT result) {
    if (std::string loader = com::LastLibraryError(); !loader.empty()) {
        return loader;
    }
    if (result == com::kRegistryWriteFailed) {
        const std::filesystem::path folder = platform::Registry::DefaultFolder();
        return "the registry in " + folder.string() + " could not be written (" +
               RegistryWriteProblem(folder) + ")";
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<std::uint32_t>(result));
    return std::string("the library failed with the code ") + code;
}

int Register(bool registering) {
    const std::filesystem::path library = platform::SiblingProgram(kCoreLibrary);
    const com::HRESULT result =
        registering ? com::CallDllRegisterServer(library) : com::CallDllUnregisterServer(library);
    if (com::FAILED(result)) {
        ui::ShowMessage(
            text::FromUtf8((registering ? "Unable to register " : "Unable to unregister ") +
                           library.string() + ": " + RegistrationFailure(result)),
            ui::Icon::Exclamation);
        return kFailure;
    }
    return kSuccess;
}

// form fill PAGE --identity NAME [--card CCID] [--account BAID]
int RunFormFill(config::Settings& settings, const std::vector<std::string>& words,
                std::ostream& out, std::ostream& err) {
    std::optional<std::string> identity, card, account;
    if (words.size() % 2 == 0) {
        return Misuse(err, "every option of form fill needs a value");
    }
    for (std::size_t i = 3; i + 1 < words.size(); i += 2) {
        const std::string& option = words[i];
        if (option == "--identity") {
            identity = words[i + 1];
        } else if (option == "--card") {
            card = words[i + 1];
        } else if (option == "--account") {
            account = words[i + 1];
        } else {
            return Misuse(err, "unknown option " + option);
        }
    }
    if (!identity) {
        return Misuse(err, "form fill needs --identity NAME");
    }
    return FillPage(settings, words[2], *identity, card, account, out);
}

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
    // vtx handles the master password: none of it may end up in a core dump.
    platform::DisableCoreDumps();
    std::size_t i = 0;
    std::optional<std::string> passwordFile;
    for (; i < args.size() && args[i].starts_with("-"); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            out << kUsageText;
            return kSuccess;
        }
        if (args[i] == "--password-file" && i + 1 < args.size()) {
            passwordFile = args[++i];
        } else {
            return Misuse(err, "unknown option " + args[i]);
        }
    }
    std::vector<std::string> words(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    if (words.empty()) {
        return Misuse(err, "no command given");
    }

    ui::TerminalUi terminal;
    config::Settings settings(platform::Registry::Default());
    COrvanePasswordSource passwords;
    SetPasswordSource(&passwords);
    struct ResetSource {
        ~ResetSource() { SetPasswordSource(nullptr); }
    } resetSource;
    if (passwordFile) {
        auto password = ReadPasswordFile(*passwordFile);
        if (!password) {
            err << "vtx: cannot read the password file " << *passwordFile << '\n';
            return kFailure;
        }
        ScopedWipe wipe(*password);  // the prompt's answer is the one copy kept
        terminal.AnswerPasswordWith(*password);
    }
    platform::WipeFreeStack();

    const std::string& command = words[0];
    if (command == "list" && words.size() == 2) {
        if (auto kind = ParseRecordKind(words[1], true)) {
            return ListRecords(settings, *kind, out);
        }
    } else if ((command == "show" || command == "put") && words.size() == 3) {
        if (auto kind = ParseRecordKind(words[1], false)) {
            return command == "show" ? ShowRecord(settings, *kind, words[2], out)
                                     : PutRecord(settings, *kind, words[2], in);
        }
    } else if (command == "hold" && words.size() == 1) {
        return Hold(passwords, err);
    } else if (command == "logoff" && words.size() == 1) {
        return Logoff(passwords);
    } else if ((command == "register" || command == "unregister") && words.size() == 1) {
        return Register(command == "register");
    } else if (command == "form" && words.size() == 3 && words[1] == "scan") {
        return ScanPage(words[2], out);
    } else if (command == "form" && words.size() >= 5 && words[1] == "fill") {
        return RunFormFill(settings, words, out, err);
    } else if (command == "generate") {
        std::string misuse;
        const int status = RunGenerate(settings, words, out, misuse);
        return status == kUsage ? Misuse(err, misuse) : status;
    } else if (command == "config" && words.size() == 3 && words[1] == "get") {
        return GetConfig(settings, words[2], out);
    } else if (command == "config" && words.size() == 4 && words[1] == "set") {
        return SetConfig(settings, words[2], words[3]);
    }
    return Misuse(err, "cannot understand: " + command);
}

}  // namespace veltrix::vtx
