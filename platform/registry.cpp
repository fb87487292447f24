#include "platform/registry.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <span>
#include <thread>

#include "platform/text.h"

namespace veltrix::platform {

namespace {

// Another process may hold the write lock for a while (a large import); wait for it this long.
constexpr int kBusyTimeoutMs = 15000;
// Switching a new file to WAL needs an exclusive lock, which the busy handler does not always
// wait for; the switch is retried this many times, 50 ms apart.
constexpr int kSetupAttempts = 200;
// The implicit root key of every hive.
constexpr std::int64_t kRootKey = 0;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    "  id INTEGER PRIMARY KEY,"
    "  parent INTEGER NOT NULL,"
    "  name TEXT NOT NULL,"
    "  folded TEXT NOT NULL,"
    "  UNIQUE(parent, folded));"
    "CREATE TABLE IF NOT EXISTS key_values("
    "  key INTEGER NOT NULL,"
    "  name TEXT NOT NULL,"
    "  folded TEXT NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, folded)) WITHOUT ROWID;"
    "PRAGMA user_version = 1;";

constexpr const char* kSubtree =
    "WITH RECURSIVE tree(id) AS ("
    "  SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) ";

using Components = std::vector<std::u16string_view>;

// The non-empty components of a backslash-separated key path.
Components SplitPath(std::u16string_view path) {
    Components parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            parts.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

std::string_view HiveFileName(Hive hive) {
    switch (hive) {
        case Hive::CurrentUser:
            return "current_user.db";
        case Hive::LocalMachine:
            return "local_machine.db";
        case Hive::ClassesRoot:
            return "classes_root.db";
    }
    return "unknown.db";
}

std::optional<std::string> EnvValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// One prepared statement; every accessor tolerates a statement that failed to prepare.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, std::int64_t value) {
        if (stmt_ != nullptr) {
            sqlite3_bind_int64(stmt_, index, value);
        }
        return *this;
    }
    Statement& Bind(int index, std::u16string_view text) {
        if (stmt_ != nullptr) {
            sqlite3_bind_text16(stmt_, index, text.empty() ? u"" : text.data(),
                                static_cast<int>(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
        }
        return *this;
    }
    Statement& Bind(int index, std::span<const std::uint8_t> bytes) {
        if (stmt_ == nullptr) {
            return *this;
        }
        if (bytes.empty()) {
            sqlite3_bind_zeroblob(stmt_, index, 0);  // a null pointer would bind NULL
        } else {
            sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()),
                              SQLITE_TRANSIENT);
        }
        return *this;
    }

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return stmt_ == nullptr ? SQLITE_ERROR : sqlite3_step(stmt_); }
    bool Run() { return Step() == SQLITE_DONE; }

    std::int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
    std::u16string Text(int column) {
        const void* text = sqlite3_column_text16(stmt_, column);
        const int bytes = sqlite3_column_bytes16(stmt_, column);
        if (text == nullptr) {
            return {};
        }
        return std::u16string(static_cast<const char16_t*>(text),
                              static_cast<std::size_t>(bytes) / sizeof(char16_t));
    }
    std::vector<std::uint8_t> Blob(int column) {
        const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
        const int size = sqlite3_column_bytes(stmt_, column);
        if (data == nullptr) {
            return {};
        }
        return std::vector<std::uint8_t>(data, data + size);
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A transaction rolled back unless committed. Writers take the write lock at the start
// (BEGIN IMMEDIATE), so that two read-modify-write sequences never deadlock on an upgrade.
class Transaction {
public:
    enum class Mode { Read, Write };
    Transaction(sqlite3* db, Mode mode) : db_(db) {
        active_ = Exec(db_, mode == Mode::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    }
    ~Transaction() {
        if (active_) {
            Exec(db_, "ROLLBACK");
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool Active() const { return active_; }
    bool Commit() {
        if (!active_) {
            return false;
        }
        if (Exec(db_, "COMMIT")) {
            active_ = false;
            return true;
        }
        return false;  // the destructor rolls back
    }

private:
    sqlite3* db_;
    bool active_ = false;
};

bool ByFoldedName(std::u16string_view a, std::u16string_view b) {
    const std::u16string foldedA = text::FoldCase(a);
    const std::u16string foldedB = text::FoldCase(b);
    return foldedA != foldedB ? foldedA < foldedB : a < b;
}

}  // namespace

// One hive file and its connection. Every call runs in a transaction of its own, so a reader
// sees either all of a write or none of it.
class Registry::HiveDb {
public:
    static std::unique_ptr<HiveDb> Open(const std::filesystem::path& file) {
        sqlite3* db = nullptr;
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
            sqlite3_close_v2(db);
            return nullptr;
        }
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        std::unique_ptr<HiveDb> hive(new HiveDb(db, file));
        if (!hive->Configure() || stat(file.c_str(), &hive->identity_) != 0) {
            return nullptr;
        }
        return hive;
    }

    ~HiveDb() { sqlite3_close_v2(db_); }
    HiveDb(const HiveDb&) = delete;
    HiveDb& operator=(const HiveDb&) = delete;

    // False once the file was deleted or replaced by another one.
    bool StillCurrent() const {
        struct stat now {};
        return stat(file_.c_str(), &now) == 0 && SameFile(now, identity_);
    }

    bool CreateKey(const Components& path) {
        Transaction transaction(db_, Transaction::Mode::Write);
        return transaction.Active() && MakeKey(path) && transaction.Commit();
    }

    bool KeyExists(const Components& path) {
        Transaction transaction(db_, Transaction::Mode::Read);
        return transaction.Active() && FindKey(path).has_value();
    }

    std::vector<std::u16string> EnumKeys(const Components& path) {
        std::vector<std::u16string> names;
        Transaction transaction(db_, Transaction::Mode::Read);
        const auto key = transaction.Active() ? FindKey(path) : std::nullopt;
        if (!key) {
            return names;
        }
        Statement select(db_, "SELECT name FROM keys WHERE parent = ?1");
        select.Bind(1, *key);
        while (select.Step() == SQLITE_ROW) {
            names.push_back(select.Text(0));
        }
        std::sort(names.begin(), names.end(), ByFoldedName);
        return names;
    }

    std::vector<NamedValue> EnumValues(const Components& path) {
        std::vector<NamedValue> values;
        Transaction transaction(db_, Transaction::Mode::Read);
        const auto key = transaction.Active() ? FindKey(path) : std::nullopt;
        if (!key) {
            return values;
        }
        Statement select(db_, "SELECT name, type, data FROM key_values WHERE key = ?1");
        select.Bind(1, *key);
        while (select.Step() == SQLITE_ROW) {
            values.push_back({select.Text(0), ValueFromRow(select, 1)});
        }
        std::sort(values.begin(), values.end(), [](const NamedValue& a, const NamedValue& b) {
            return ByFoldedName(a.name, b.name);
        });
        return values;
    }

    std::optional<RegistryValue> GetValue(const Components& path, std::u16string_view name) {
        Transaction transaction(db_, Transaction::Mode::Read);
        const auto key = transaction.Active() ? FindKey(path) : std::nullopt;
        if (!key) {
            return std::nullopt;
        }
        Statement select(db_, "SELECT type, data FROM key_values WHERE key = ?1 AND folded = ?2");
        select.Bind(1, *key).Bind(2, text::FoldCase(name));
        if (select.Step() != SQLITE_ROW) {
            return std::nullopt;
        }
        return ValueFromRow(select, 0);
    }

    bool SetValue(const Components& path, std::u16string_view name, const RegistryValue& value) {
        Transaction transaction(db_, Transaction::Mode::Write);
        const auto key = transaction.Active() ? MakeKey(path) : std::nullopt;
        if (!key) {
            return false;
        }
        // An existing value keeps the letter case of its name, as a rewrite does not rename it.
        Statement upsert(db_,
                         "INSERT INTO key_values(key, name, folded, type, data) "
                         "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(key, folded) "
                         "DO UPDATE SET type = excluded.type, data = excluded.data");
        upsert.Bind(1, *key)
            .Bind(2, name)
            .Bind(3, text::FoldCase(name))
            .Bind(4, static_cast<std::int64_t>(value.type))
            .Bind(5, value.data);
        return upsert.Run() && transaction.Commit();
    }

    bool DeleteValue(const Components& path, std::u16string_view name) {
        Transaction transaction(db_, Transaction::Mode::Write);
        const auto key = transaction.Active() ? FindKey(path) : std::nullopt;
        if (!key) {
            return false;
        }
        Statement remove(db_, "DELETE FROM key_values WHERE key = ?1 AND folded = ?2");
        remove.Bind(1, *key).Bind(2, text::FoldCase(name));
        return remove.Run() && sqlite3_changes(db_) > 0 && transaction.Commit();
    }

    bool DeleteKeyTree(const Components& path) {
        Transaction transaction(db_, Transaction::Mode::Write);
        const auto key = transaction.Active() ? FindKey(path) : std::nullopt;
        if (!key || *key == kRootKey) {
            return false;
        }
        const std::string values =
            std::string(kSubtree) + "DELETE FROM key_values WHERE key IN tree";
        const std::string keys = std::string(kSubtree) + "DELETE FROM keys WHERE id IN tree";
        Statement removeValues(db_, values.c_str());
        Statement removeKeys(db_, keys.c_str());
        removeValues.Bind(1, *key);
        removeKeys.Bind(1, *key);
        return removeValues.Run() && removeKeys.Run() && transaction.Commit();
    }

private:
    HiveDb(sqlite3* db, std::filesystem::path file) : db_(db), file_(std::move(file)) {}

    // WAL lets readers run beside the one writer; NORMAL synchronisation is safe in WAL mode.
    bool Configure() {
        for (int attempt = 0; attempt < kSetupAttempts; ++attempt) {
            if (TryConfigure()) {
                return true;
            }
            const int code = sqlite3_errcode(db_);
            if (code != SQLITE_BUSY && code != SQLITE_LOCKED) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    bool TryConfigure() {
        if (!EnableWal() || !Exec(db_, "PRAGMA synchronous = NORMAL")) {
            return false;
        }
        if (HasSchema()) {
            return true;
        }
        Transaction transaction(db_, Transaction::Mode::Write);
        return transaction.Active() && Exec(db_, kSchema) && transaction.Commit();
    }

    bool EnableWal() {
        Statement wal(db_, "PRAGMA journal_mode = WAL");
        return wal.Step() == SQLITE_ROW && wal.Text(0) == u"wal";
    }

    bool HasSchema() {
        Statement select(db_, "SELECT count(*) FROM sqlite_master WHERE name = 'key_values'");
        return select.Step() == SQLITE_ROW && select.Int(0) == 1;
    }

    static RegistryValue ValueFromRow(Statement& row, int firstColumn) {
        RegistryValue value;
        value.type = static_cast<ValueType>(row.Int(firstColumn));
        value.data = row.Blob(firstColumn + 1);
        return value;
    }

    std::optional<std::int64_t> FindChild(std::int64_t parent, std::u16string_view name) {
        Statement select(db_, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
        select.Bind(1, parent).Bind(2, text::FoldCase(name));
        if (select.Step() != SQLITE_ROW) {
            return std::nullopt;
        }
        return select.Int(0);
    }

    std::optional<std::int64_t> FindKey(const Components& path) {
        std::int64_t key = kRootKey;
        for (std::u16string_view name : path) {
            const auto child = FindChild(key, name);
            if (!child) {
                return std::nullopt;
            }
            key = *child;
        }
        return key;
    }

    // Finds or creates each component in turn; runs inside a write transaction.
    std::optional<std::int64_t> MakeKey(const Components& path) {
        std::int64_t key = kRootKey;
        for (std::u16string_view name : path) {
            auto child = FindChild(key, name);
            if (!child) {
                Statement insert(db_, "INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)");
                insert.Bind(1, key).Bind(2, name).Bind(3, text::FoldCase(name));
                if (!insert.Run()) {
                    return std::nullopt;
                }
                child = sqlite3_last_insert_rowid(db_);
            }
            key = *child;
        }
        return key;
    }

    sqlite3* db_;
    std::filesystem::path file_;
    struct stat identity_ {};
};

// ---- Hive names ----

std::u16string_view HiveName(Hive hive) {
    switch (hive) {
        case Hive::CurrentUser:
            return u"HKEY_CURRENT_USER";
        case Hive::LocalMachine:
            return u"HKEY_LOCAL_MACHINE";
        case Hive::ClassesRoot:
            return u"HKEY_CLASSES_ROOT";
    }
    return {};
}

std::optional<Hive> HiveFromName(std::u16string_view name) {
    struct Alias {
        std::u16string_view name;
        Hive hive;
    };
    static constexpr Alias kAliases[] = {
        {u"HKEY_CURRENT_USER", Hive::CurrentUser},   {u"HKCU", Hive::CurrentUser},
        {u"HKEY_LOCAL_MACHINE", Hive::LocalMachine}, {u"HKLM", Hive::LocalMachine},
        {u"HKEY_CLASSES_ROOT", Hive::ClassesRoot},   {u"HKCR", Hive::ClassesRoot},
    };
    for (const Alias& alias : kAliases) {
        if (text::EqualsNoCase(name, alias.name)) {
            return alias.hive;
        }
    }
    return std::nullopt;
}

// ---- Values ----

RegistryValue RegistryValue::String(std::u16string_view text) {
    RegistryValue value{ValueType::String, {}};
    value.data.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        value.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    value.data.push_back(0);
    value.data.push_back(0);
    return value;
}

RegistryValue RegistryValue::Dword(std::uint32_t number) {
    RegistryValue value{ValueType::Dword, {}};
    for (int shift = 0; shift < 32; shift += 8) {
        value.data.push_back(static_cast<std::uint8_t>(number >> shift));
    }
    return value;
}

RegistryValue RegistryValue::Binary(std::vector<std::uint8_t> bytes) {
    return RegistryValue{ValueType::Binary, std::move(bytes)};
}

std::optional<std::u16string> RegistryValue::AsString() const {
    if (type != ValueType::String && type != ValueType::ExpandString) {
        return std::nullopt;
    }
    std::u16string text;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const auto c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (c == 0) {
            break;
        }
        text.push_back(c);
    }
    return text;
}

std::optional<std::uint32_t> RegistryValue::AsDword() const {
    if (type != ValueType::Dword || data.size() != 4) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
           static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

// ---- Registry ----

Registry::Registry(std::filesystem::path folder) : folder_(std::move(folder)) {}

Registry::~Registry() = default;

std::filesystem::path Registry::DefaultFolder() {
    if (auto folder = EnvValue("VELTRIX_REGISTRY")) {
        return *folder;
    }
    std::filesystem::path config;
    if (auto xdg = EnvValue("XDG_CONFIG_HOME")) {
        config = *xdg;
    } else {
        config = std::filesystem::path(EnvValue("HOME").value_or(".")) / ".config";
    }
    return config / "veltrix" / "registry";
}

Registry& Registry::Default() {
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::unique_ptr<Registry>> registries;

    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(DefaultFolder(), error);
    folder = (error ? DefaultFolder() : folder).lexically_normal();

    std::lock_guard lock(mutex);
    auto found = registries.find(folder);
    if (found != registries.end()) {
        return *found->second;
    }
    for (auto& entry : registries) {
        entry.second->ReleaseVanishedHives();
    }
    auto& registry = registries[folder];
    registry = std::make_unique<Registry>(folder);
    return *registry;
}

void Registry::SetMachineReadOnly(bool readOnly) {
    machineReadOnly_ = readOnly;
}

bool Registry::IsMachineReadOnly() const {
    return machineReadOnly_ || EnvValue("VELTRIX_REGISTRY_MACHINE_READONLY") == "1";
}

bool Registry::Writable(Hive hive) const {
    return hive == Hive::CurrentUser || !IsMachineReadOnly();
}

Registry::HiveDb* Registry::Open(Hive hive, bool create) {
    auto& slot = hives_[static_cast<int>(hive)];
    if (slot && !slot->StillCurrent()) {
        slot.reset();
    }
    if (slot) {
        return slot.get();
    }
    const std::filesystem::path file = folder_ / HiveFileName(hive);
    std::error_code error;
    if (!create && !std::filesystem::exists(file, error)) {
        return nullptr;
    }
    std::filesystem::create_directories(folder_, error);
    slot = HiveDb::Open(file);
    return slot.get();
}

void Registry::ReleaseVanishedHives() {
    std::lock_guard lock(mutex_);
    for (auto& hive : hives_) {
        if (hive && !hive->StillCurrent()) {
            hive.reset();
        }
    }
}

// Every public operation runs under the mutex and turns any exception (out of memory, a
// filesystem error) into a failed result.

bool Registry::CreateKey(Hive hive, std::u16string_view path) {
    try {
        std::lock_guard lock(mutex_);
        if (!Writable(hive)) {
            return false;
        }
        HiveDb* db = Open(hive, true);
        return db != nullptr && db->CreateKey(SplitPath(path));
    } catch (...) {
        return false;
    }
}

bool Registry::KeyExists(Hive hive, std::u16string_view path) {
    try {
        std::lock_guard lock(mutex_);
        HiveDb* db = Open(hive, false);
        return db != nullptr && db->KeyExists(SplitPath(path));
    } catch (...) {
        return false;
    }
}

std::vector<std::u16string> Registry::EnumKeys(Hive hive, std::u16string_view path) {
    try {
        std::lock_guard lock(mutex_);
        HiveDb* db = Open(hive, false);
        return db == nullptr ? std::vector<std::u16string>{} : db->EnumKeys(SplitPath(path));
    } catch (...) {
        return {};
    }
}

std::vector<NamedValue> Registry::EnumValues(Hive hive, std::u16string_view path) {
    try {
        std::lock_guard lock(mutex_);
        HiveDb* db = Open(hive, false);
        return db == nullptr ? std::vector<NamedValue>{} : db->EnumValues(SplitPath(path));
    } catch (...) {
        return {};
    }
}

std::optional<RegistryValue> Registry::GetValue(Hive hive, std::u16string_view path,
                                                std::u16string_view name) {
    try {
        std::lock_guard lock(mutex_);
        HiveDb* db = Open(hive, false);
        return db == nullptr ? std::nullopt : db->GetValue(SplitPath(path), name);
    } catch (...) {
        return std::nullopt;
    }
}

bool Registry::SetValue(Hive hive, std::u16string_view path, std::u16string_view name,
                        const RegistryValue& value) {
    try {
        std::lock_guard lock(mutex_);
        if (!Writable(hive)) {
            return false;
        }
        HiveDb* db = Open(hive, true);
        return db != nullptr && db->SetValue(SplitPath(path), name, value);
    } catch (...) {
        return false;
    }
}

bool Registry::DeleteValue(Hive hive, std::u16string_view path, std::u16string_view name) {
    try {
        std::lock_guard lock(mutex_);
        if (!Writable(hive)) {
            return false;
        }
        HiveDb* db = Open(hive, false);
        return db != nullptr && db->DeleteValue(SplitPath(path), name);
    } catch (...) {
        return false;
    }
}

bool Registry::DeleteKeyTree(Hive hive, std::u16string_view path) {
    try {
        std::lock_guard lock(mutex_);
        const Components components = SplitPath(path);
        if (!Writable(hive) || components.empty()) {
            return false;
        }
        HiveDb* db = Open(hive, false);
        return db != nullptr && db->DeleteKeyTree(components);
    } catch (...) {
        return false;
    }
}

}  // namespace veltrix::platform
