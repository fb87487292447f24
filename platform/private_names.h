// Names of this user's shared objects that other users can neither predict nor occupy.
//
// Shared memory lives in /dev/shm, a folder every user may write to, so an object named only from
// the user id and the logical name can be created by another user first, denying ours. Each
// opening checks what it finds under a name (shared_memory.h); when that is not an object of ours
// as we make them, this user's names switch to ones carrying a secret: 128 random bits kept in the
// file "names.secret" of the user's private runtime folder, which no other user can read. Every
// process of the user reads the secret when it names an object, so all of them find the same
// objects; a secret that was in use when its objects were found wrong is replaced by a new one.
//
// Any platform code that names a per-user object gets this through SharedMemoryObjectName.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace veltrix::platform {

// VELTRIX_NAMESPACE as part of a folder name (".<namespace>", or "" without one): anything but
// letters, digits, '.', '-' and '_' is replaced, so that it can never name another folder.
std::string NamespaceFolderSuffix();

// The user's private runtime folder, per VELTRIX_NAMESPACE: $XDG_RUNTIME_DIR/veltrix[.<namespace>]
// when $XDG_RUNTIME_DIR is a folder of this user that nobody else may enter, else the same under
// $XDG_STATE_HOME (default ~/.local/state). Created 0700; nullopt when it is not a folder of this
// user that only this user may enter, even after tightening.
std::optional<std::filesystem::path> PrivateRuntimeFolder();

// The current secret (32 lower-case hexadecimal digits); nullopt while none was made, or when
// the file is not this user's private regular file.
std::optional<std::string> PrivateNameSecret();

// Makes a new secret from the kernel's random source and puts it in place atomically; from then on
// every process of the user uses it. False when there is no private runtime folder or no
// randomness.
bool RenewPrivateNameSecret();

// Says that something shared was refused and why, on standard error ("Veltrix: ..."), or to the
// receiver a test set.
void ReportSharingProblem(std::string_view text);
void SetSharingProblemReceiverForTesting(std::function<void(std::string_view)> receiver);

}  // namespace veltrix::platform
