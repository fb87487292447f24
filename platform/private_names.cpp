#include "platform/private_names.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>

#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/unique_fd.h"

namespace veltrix::platform {
namespace {

constexpr const char* kSecretFileName = "names.secret";
constexpr std::size_t kSecretBytes = 16;
constexpr std::size_t kSecretDigits = 2 * kSecretBytes;

// A folder (not a link) of this user that nobody else may enter.
bool IsPrivateFolder(const std::filesystem::path& folder) {
    struct stat info {};
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 077) == 0;
}

std::optional<std::filesystem::path> BaseFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime == '/' && IsPrivateFolder(runtime)) {
        return std::filesystem::path(runtime);
    }
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
        return std::filesystem::path(state);
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        return std::filesystem::path(home) / ".local" / "state";
    }
    return std::nullopt;
}

bool IsSecret(std::string_view text) {
    return text.size() == kSecretDigits &&
           text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::optional<std::string> NewSecret() {
    unsigned char bytes[kSecretBytes];
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        return std::nullopt;
    }
    static const char digits[] = "0123456789abcdef";
    std::string secret;
    for (unsigned char byte : bytes) {
        secret += digits[byte >> 4];
        secret += digits[byte & 0xF];
    }
    return secret;
}

std::mutex receiverMutex;
std::function<void(std::string_view)>& Receiver() {
    static auto* receiver = new std::function<void(std::string_view)>;
    return *receiver;
}

}  // namespace

std::string NamespaceFolderSuffix() {
    const char* value = std::getenv("VELTRIX_NAMESPACE");
    if (value == nullptr || *value == '\0') {
        return {};
    }
    std::string suffix = ".";
    for (const char* c = value; *c != '\0'; ++c) {
        const bool plain = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') ||
                           (*c >= '0' && *c <= '9') || *c == '.' || *c == '-' || *c == '_';
        suffix += plain ? *c : '_';
    }
    return suffix;
}

std::optional<std::filesystem::path> PrivateRuntimeFolder() {
    const auto base = BaseFolder();
    if (!base) {
        return std::nullopt;
    }
    const std::filesystem::path folder = *base / ("veltrix" + NamespaceFolderSuffix());
    std::error_code error;
    if (!CreatePrivateFolders(folder, error)) {
        return std::nullopt;
    }
    TightenToPrivate(folder);
    if (!IsPrivateFolder(folder)) {
        return std::nullopt;
    }
    return folder;
}

std::optional<std::string> PrivateNameSecret() {
    const auto folder = PrivateRuntimeFolder();
    if (!folder) {
        return std::nullopt;
    }
    const UniqueFd fd(open((*folder / kSecretFileName).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!fd || fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
        (info.st_mode & 077) != 0) {
        return std::nullopt;
    }
    std::string contents;
    if (ReadAll(fd.Get(), contents, kSecretDigits + 1) != 0 || !IsSecret(contents)) {
        return std::nullopt;
    }
    return contents;
}

bool RenewPrivateNameSecret() {
    const auto folder = PrivateRuntimeFolder();
    const auto secret = NewSecret();
    if (!folder || !secret) {
        return false;
    }
    // Written beside the file and renamed over it, so that a reader sees the old or the new
    // secret, never a part of one.
    std::string temporary = (*folder / (std::string(kSecretFileName) + ".XXXXXX")).string();
    const UniqueFd fd(mkstemp(temporary.data()));
    if (!fd) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(secret->data());
    if (WriteAll(fd.Get(), std::span(bytes, secret->size())) != 0 ||
        rename(temporary.c_str(), (*folder / kSecretFileName).c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void ReportSharingProblem(std::string_view text) {
    std::lock_guard lock(receiverMutex);
    if (Receiver()) {
        Receiver()(text);
        return;
    }
    std::cerr << "Veltrix: " << text << std::endl;
}

void SetSharingProblemReceiverForTesting(std::function<void(std::string_view)> receiver) {
    std::lock_guard lock(receiverMutex);
    Receiver() = std::move(receiver);
}

}  // namespace veltrix::platform
