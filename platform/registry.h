// The registry: three hives of keys holding typed values, each hive an SQLite database in WAL
// mode. Key and value names compare case-insensitively; every read goes to the database, so one
// process sees another's writes at once. Key paths use backslashes ("Software\Orvane\Veltrix");
// empty components are ignored. Readers that cache values ask ChangeStamp whether anything changed.
//
// Errors in this layer: an operation reports failure through its result (false, nullopt, an
// empty list) or, where the caller needs the reason, a typed status or Result (platform/result.h);
// HRESULT only at COM boundaries; no int status codes; nothing is thrown out of a function.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace veltrix::platform {

enum class Hive { CurrentUser, LocalMachine, ClassesRoot };

// The hive's name as the registry editor writes it ("HKEY_CURRENT_USER", ...).
std::u16string_view HiveName(Hive hive);
std::optional<Hive> HiveFromName(std::u16string_view name);

// Value types with their Windows numbers, so that exported files keep them.
enum class ValueType : std::uint32_t {
    None = 0,
    String = 1,        // REG_SZ: UTF-16LE with a terminating zero
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Dword = 4,         // REG_DWORD: 4 bytes little-endian
    MultiString = 7,   // REG_MULTI_SZ
};

struct RegistryValue {
    ValueType type = ValueType::None;
    std::vector<std::uint8_t> data;

    static RegistryValue String(std::u16string_view text);
    static RegistryValue Dword(std::uint32_t value);
    static RegistryValue Binary(std::vector<std::uint8_t> bytes);

    // The text of a REG_SZ / REG_EXPAND_SZ value up to its first zero; nullopt for other types.
    std::optional<std::u16string> AsString() const;
    // The number of a REG_DWORD of exactly 4 bytes; nullopt otherwise.
    std::optional<std::uint32_t> AsDword() const;

    bool operator==(const RegistryValue&) const = default;
};

struct NamedValue {
    std::u16string name;  // empty for the key's default value
    RegistryValue value;

    bool operator==(const NamedValue&) const = default;
};

// One change of a batch that Registry::ApplyAll makes all or nothing.
struct RegistryEdit {
    enum class Kind { CreateKey, DeleteKeyTree, SetValue, DeleteValue };
    Kind kind = Kind::CreateKey;
    Hive hive = Hive::CurrentUser;
    std::u16string path;
    std::u16string name;  // value edits only; empty for the key's default value
    RegistryValue value;  // SetValue only
};

// Why a batch was not applied; in every case the registry is as it was before.
struct BatchFailure {
    enum class Reason {
        ReadOnly,       // the batch writes to a machine hive kept read-only
        Unavailable,    // a hive could not be opened or locked for writing
        EditFailed,     // `edit` could not be made (full disk, damaged hive, ...)
        CommitFailed,   // the hive `hive` could not commit; the hives committed before it were
                        // put back as they were
        RestoreFailed,  // as CommitFailed, but putting back `hive` failed too: it holds the batch
    };
    Reason reason = Reason::EditFailed;
    std::size_t edit = 0;
    Hive hive = Hive::CurrentUser;
};

// Called with each key of a tree walk: its path from the hive's root and its values sorted by
// name. Runs under the registry's lock: it must not call the registry.
using KeyVisitor =
    std::function<void(std::u16string_view path, const std::vector<NamedValue>& values)>;

class Registry {
public:
    // Opens (and creates on first write) the hive files in `folder`.
    explicit Registry(std::filesystem::path folder);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // The process's registry: the folder named by VELTRIX_REGISTRY, else
    // $XDG_CONFIG_HOME/veltrix/registry (default ~/.config). The environment is read at each
    // call, so a test that points VELTRIX_REGISTRY elsewhere gets a registry of its own.
    static Registry& Default();
    // The folder Default() uses under the current environment.
    static std::filesystem::path DefaultFolder();

    const std::filesystem::path& Folder() const { return m_folder; }

    // A number that changes whenever any hive of the folder may have changed: a write through any
    // Registry object of any process (each bumps a counter shared through a mapped file beside
    // the hives), or this object opening a hive file anew. Costs no system call, so it can be
    // asked before every cached read. A hive file replaced by other means than a Registry write
    // is noticed at the next write.
    std::uint64_t ChangeStamp();

    // HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT refuse writes while set, as for a user without
    // administrator rights. Also set when VELTRIX_REGISTRY_MACHINE_READONLY is "1".
    void SetMachineReadOnly(bool readOnly);
    bool IsMachineReadOnly() const;

    // Creates the key and its missing parents; true when it exists afterwards.
    bool CreateKey(Hive hive, std::u16string_view path);
    bool KeyExists(Hive hive, std::u16string_view path);
    // Names of the direct subkeys, in the letter case they were created with, sorted.
    std::vector<std::u16string> EnumKeys(Hive hive, std::u16string_view path);
    // Values of the key, sorted by name; empty when the key is missing.
    std::vector<NamedValue> EnumValues(Hive hive, std::u16string_view path);

    std::optional<RegistryValue> GetValue(Hive hive, std::u16string_view path,
                                          std::u16string_view name);
    // Writes the value, creating the key when missing.
    bool SetValue(Hive hive, std::u16string_view path, std::u16string_view name,
                  const RegistryValue& value);
    // False when the value did not exist.
    bool DeleteValue(Hive hive, std::u16string_view path, std::u16string_view name);
    // Deletes the key with every subkey and value under it; false when it did not exist.
    // The root of a hive (empty path) cannot be deleted.
    bool DeleteKeyTree(Hive hive, std::u16string_view path);

    // Visits the key and every key below it, each key before its subkeys, subkeys in name order,
    // in one consistent read; the walk is iterative and costs one query per key whatever the
    // depth. False when the key does not exist.
    bool VisitKeyTree(Hive hive, std::u16string_view path, const KeyVisitor& visit);

    // Applies the edits in order, all or nothing across hives: each hive written by the batch
    // is locked for writing and changed in one transaction, and the transactions commit only when
    // every edit was made; a hive that fails to commit makes the hives committed before it go
    // back to the state they had. Deleting a missing key or value is no error. Key lookups are
    // remembered within the batch, so a deep tree costs one query per key.
    Result<void, BatchFailure> ApplyAll(std::span<const RegistryEdit> edits);

    // Test seam: asked before each hive of a batch commits; false makes that commit fail as a
    // full disk would. Null (the default) lets every commit go ahead.
    void SetCommitCheckForTesting(std::function<bool(Hive)> check);

private:
    class HiveDb;
    // Read: on an existing hive only. Write: creates the hive and refuses a read-only one.
    // Change: refuses a read-only hive, does not create one.
    enum class Access { Read, Write, Change };
    template <typename Operation, typename Value>
    Value Run(Hive hive, Access access, Value failed, Operation&& operation);
    // The open database of the hive; nullptr when it cannot be opened, or when the file is
    // missing and `create` is false. A connection whose file was deleted or replaced is reopened.
    HiveDb* Open(Hive hive, bool create);
    bool Writable(Hive hive) const;
    // The commits of ApplyAll, hive by hive; on a failure the hives committed before are restored.
    Result<void, BatchFailure> CommitBatches(const std::vector<Hive>& hives,
                                             const std::vector<HiveDb*>& open);
    // Closes the connections of hive files that no longer exist (Default() keeps registries of
    // folders that tests have since removed).
    void ReleaseVanishedHives();

    std::filesystem::path m_folder;
    std::atomic<bool> m_machineReadOnly{false};
    std::mutex m_mutex;
    std::unique_ptr<HiveDb> m_hives[3];
    // The folder's shared write counter; null until the folder exists.
    std::uint64_t* Generation();

    // Writes and (re)openings through this object; part of ChangeStamp.
    std::uint64_t m_localChanges = 0;
    std::uint64_t* m_generation = nullptr;
    std::function<bool(Hive)> m_commitCheck;
};

}  // namespace veltrix::platform
