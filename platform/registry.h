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
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
};

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
};

}  // namespace veltrix::platform
