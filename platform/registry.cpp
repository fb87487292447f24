#include "platform/registry.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <span>
#include <thread>
#include <unordered_map>

#include "platform/folders.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

namespace veltrix::platform {

namespace {

// Another process may hold the write lock for a while (a large import); wait for it this long.
constexpr int kBusyTimeoutMs = 15000;
// Switching a new file to WAL needs an exclusive lock, which the busy handler does not always
// wait for; the switch is retried this many times, 50 ms apart.
constexpr int kSetupAttempts = 200;
// The implicit root key of every hive.
constexpr std::int64_t kRootKey = 0;
// Beside the hive files: a 64-bit counter that every write through any Registry object, in any
// process, increments; mapped shared, so that reading it costs no system call.
constexpr const char* kGenerationFileName = "generation";

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

// A prepared statement kept by its connection for the connection's life. The SQL texts are the
// constants below, so the cache is keyed by their address.
class StatementCache {
public:
    explicit StatementCache(sqlite3* db) : m_db(db) {}
    ~StatementCache() {
        for (auto& entry : m_statements) {
            sqlite3_finalize(entry.second);
        }
    }
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    // The statement of `sql`, prepared on first use; nullptr when it does not prepare.
    sqlite3_stmt* Get(const char* sql) {
        auto found = m_statements.find(sql);
        if (found != m_statements.end()) {
            return found->second;
        }
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(stmt);
            return nullptr;
        }
        m_statements.emplace(sql, stmt);
        return stmt;
    }

private:
    sqlite3* m_db;
    std::map<const char*, sqlite3_stmt*> m_statements;
};

// One use of a cached statement, reset with its bindings cleared at the end; every accessor
// tolerates a statement that failed to prepare.
class Statement {
public:
    Statement(StatementCache& cache, const char* sql) : m_stmt(cache.Get(sql)) {}
    ~Statement() {
        if (m_stmt != nullptr) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, std::int64_t value) {
        if (m_stmt != nullptr) {
            sqlite3_bind_int64(m_stmt, index, value);
        }
        return *this;
    }
    Statement& Bind(int index, std::u16string_view text) {
        if (m_stmt != nullptr) {
            sqlite3_bind_text16(m_stmt, index, text.empty() ? u"" : text.data(),
                                static_cast<int>(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
        }
        return *this;
    }
    Statement& Bind(int index, std::span<const std::uint8_t> bytes) {
        if (m_stmt == nullptr) {
            return *this;
        }
        if (bytes.empty()) {
            sqlite3_bind_zeroblob(m_stmt, index, 0);  // a null pointer would bind NULL
        } else {
            sqlite3_bind_blob(m_stmt, index, bytes.data(), static_cast<int>(bytes.size()),
                              SQLITE_TRANSIENT);
        }
        return *this;
    }

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return m_stmt == nullptr ? SQLITE_ERROR : sqlite3_step(m_stmt); }
    bool Run() { return Step() == SQLITE_DONE; }

    std::int64_t Int(int column) { return sqlite3_column_int64(m_stmt, column); }
    std::u16string Text(int column) {
        const void* text = sqlite3_column_text16(m_stmt, column);
        const int bytes = sqlite3_column_bytes16(m_stmt, column);
        if (text == nullptr) {
            return {};
        }
        return std::u16string(static_cast<const char16_t*>(text),
                              static_cast<std::size_t>(bytes) / sizeof(char16_t));
    }
    std::vector<std::uint8_t> Blob(int column) {
        const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_stmt, column));
        const int size = sqlite3_column_bytes(m_stmt, column);
        if (data == nullptr) {
            return {};
        }
        return std::vector<std::uint8_t>(data, data + size);
    }

private:
    sqlite3_stmt* m_stmt;
};

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

constexpr const char* kBeginRead = "BEGIN";
constexpr const char* kBeginWrite = "BEGIN IMMEDIATE";
constexpr const char* kCommit = "COMMIT";
constexpr const char* kRollback = "ROLLBACK";
constexpr const char* kSelectChildKeys = "SELECT name FROM keys WHERE parent = ?1";
constexpr const char* kSelectChildIds = "SELECT id, name FROM keys WHERE parent = ?1";
constexpr const char* kSelectChild = "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2";
constexpr const char* kInsertKey = "INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)";
constexpr const char* kSelectValues = "SELECT name, type, data FROM key_values WHERE key = ?1";
constexpr const char* kSelectValue =
    "SELECT type, data FROM key_values WHERE key = ?1 AND folded = ?2";
// An existing value keeps the letter case of its name, as a rewrite does not rename it.
constexpr const char* kUpsertValue =
    "INSERT INTO key_values(key, name, folded, type, data) "
    "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(key, folded) "
    "DO UPDATE SET type = excluded.type, data = excluded.data";
constexpr const char* kDeleteValue = "DELETE FROM key_values WHERE key = ?1 AND folded = ?2";
constexpr const char* kDeleteSubtreeValues =
    "WITH RECURSIVE tree(id) AS ("
    "  SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) "
    "DELETE FROM key_values WHERE key IN tree";
constexpr const char* kDeleteSubtreeKeys =
    "WITH RECURSIVE tree(id) AS ("
    "  SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) "
    "DELETE FROM keys WHERE id IN tree";

// A transaction rolled back unless committed. Writers take the write lock at the start
// (BEGIN IMMEDIATE), so that two read-modify-write sequences never deadlock on an upgrade.
class Transaction {
public:
    enum class Mode { Read, Write };
    Transaction(StatementCache& cache, Mode mode) : m_cache(cache) {
        m_active = Statement(m_cache, mode == Mode::Write ? kBeginWrite : kBeginRead).Run();
    }
    ~Transaction() {
        if (m_active) {
            Statement(m_cache, kRollback).Run();
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool Active() const { return m_active; }
    bool Commit() {
        if (!m_active) {
            return false;
        }
        if (Statement(m_cache, kCommit).Run()) {
            m_active = false;
            return true;
        }
        return false;  // the destructor rolls back
    }

private:
    StatementCache& m_cache;
    bool m_active = false;
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
        if (!PrepareFile(file)) {
            return nullptr;
        }
        sqlite3* db = nullptr;
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
            sqlite3_close_v2(db);
            return nullptr;
        }
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        std::unique_ptr<HiveDb> hive(new HiveDb(db, file));
        if (!hive->Configure() || stat(file.c_str(), &hive->m_identity) != 0) {
            return nullptr;
        }
        return hive;
    }

    ~HiveDb() {
        EndBatch();
        DropCopy();
        m_statements.reset();
        sqlite3_close_v2(m_db);
    }
    HiveDb(const HiveDb&) = delete;
    HiveDb& operator=(const HiveDb&) = delete;

    // Creates the hive file 0600 before SQLite does (which would follow the umask; its WAL and
    // shared-memory files take the database's mode), and tightens the files of an existing hive.
    static bool PrepareFile(const std::filesystem::path& file) {
        const UniqueFd fd(
            open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kPrivateFileMode));
        if (!fd) {
            return false;
        }
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::filesystem::path companion = file;
            companion += suffix;
            TightenToPrivate(companion);
        }
        return true;
    }

    // False once the file was deleted or replaced by another one.
    bool StillCurrent() const {
        struct stat now {};
        return stat(m_file.c_str(), &now) == 0 && SameFile(now, m_identity);
    }

    bool CreateKey(const Components& path) {
        Transaction transaction(*m_statements, Transaction::Mode::Write);
        return transaction.Active() && MakeKey(path) && transaction.Commit();
    }

    bool KeyExists(const Components& path) {
        Transaction transaction(*m_statements, Transaction::Mode::Read);
        return transaction.Active() && FindKey(path).has_value();
    }

    std::vector<std::u16string> EnumKeys(const Components& path) {
        std::vector<std::u16string> names;
        Transaction transaction(*m_statements, Transaction::Mode::Read);
        const auto key = transaction.Active() ? FindKey(path) : std::nullopt;
        if (!key) {
            return names;
        }
        Statement select(*m_statements, kSelectChildKeys);
        select.Bind(1, *key);
        while (select.Step() == SQLITE_ROW) {
            names.push_back(select.Text(0));
        }
        std::sort(names.begin(), names.end(), ByFoldedName);
        return names;
    }

    std::vector<NamedValue> EnumValues(const Components& path) {
        std::vector<NamedValue> values;
        Transaction transaction(*m_statements, Transaction::Mode::Read);
        const auto key = transaction.Active() ? FindKey(path) : std::nullopt;
        if (!key) {
            return values;
        }
        Statement select(*m_statements, kSelectValues);
        select.Bind(1, *key);
        while (select.Step() == SQLITE_ROW) {
            values.push_back({select.Text(0), ValueFromRow(select, 1)});
        }
        std::sort(values.begin(), values.end(), [](const NamedValue& a, const NamedValue& b) {
            return ByFoldedName(a.name, b.name);
        });
        return values;
    }

    // The walk of VisitKeyTree: depth first with an explicit stack. `path` holds the path of the
    // key being visited; a key's parent path is always a prefix of it, so each key only cuts the
    // buffer back to its parent's length and appends its own name.
    bool VisitTree(const Components& start, const KeyVisitor& visit) {
        Transaction transaction(*m_statements, Transaction::Mode::Read);
        const auto top = transaction.Active() ? FindKey(start) : std::nullopt;
        if (!top) {
            return false;
        }
        struct Pending {
            std::int64_t id;
            std::size_t parentLength;
            std::u16string name;
        };
        std::u16string path = JoinComponents(start);
        std::vector<Pending> stack;
        VisitKey(*top, path, visit, stack);
        while (!stack.empty()) {
            Pending next = std::move(stack.back());
            stack.pop_back();
            path.resize(next.parentLength);
            if (!path.empty()) {
                path += u'\\';
            }
            path += next.name;
            VisitKey(next.id, path, visit, stack);
        }
        return true;
    }

    // ---- Batches (Registry::ApplyAll) ----

    // Takes the write lock for a batch; with `keepCopy`, also copies the hive as it is now, so
    // that RestoreCopy can put it back after a later hive of the batch failed.
    bool BeginBatch(bool keepCopy) {
        m_batch = std::make_unique<Transaction>(*m_statements, Transaction::Mode::Write);
        m_batchKeys.clear();
        if (!m_batch->Active()) {
            m_batch.reset();
            return false;
        }
        return !keepCopy || CopyInto(m_copy);
    }

    bool ApplyEdit(const RegistryEdit& edit) {
        const Components path = SplitPath(edit.path);
        switch (edit.kind) {
            case RegistryEdit::Kind::CreateKey:
                return BatchKey(path, true).has_value();
            case RegistryEdit::Kind::SetValue: {
                const auto key = BatchKey(path, true);
                return key && Upsert(*key, edit.name, edit.value);
            }
            case RegistryEdit::Kind::DeleteValue: {
                const auto key = BatchKey(path, false);
                if (!key) {
                    return true;  // nothing to delete
                }
                Statement remove(*m_statements, kDeleteValue);
                remove.Bind(1, *key).Bind(2, text::FoldCase(edit.name));
                return remove.Run();
            }
            case RegistryEdit::Kind::DeleteKeyTree: {
                const auto key = path.empty() ? std::nullopt : BatchKey(path, false);
                if (!key) {
                    return !path.empty();
                }
                m_batchKeys.clear();  // the remembered ids below this key are gone
                return DeleteSubtree(*key);
            }
        }
        return false;
    }

    bool CommitBatch() {
        const bool committed = m_batch && m_batch->Commit();
        EndBatch();
        return committed;
    }

    void RollbackBatch() { EndBatch(); }

    // Puts back the copy BeginBatch kept; false when it cannot be written.
    bool RestoreCopy() {
        if (m_copy == nullptr) {
            return false;
        }
        sqlite3_backup* backup = sqlite3_backup_init(m_db, "main", m_copy, "main");
        const bool restored = backup != nullptr && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
        sqlite3_backup_finish(backup);
        DropCopy();
        return restored;
    }

    void DropCopy() {
        sqlite3_close_v2(m_copy);
        m_copy = nullptr;
    }

    std::optional<RegistryValue> GetValue(const Components& path, std::u16string_view name) {
        Transaction transaction(*m_statements, Transaction::Mode::Read);
        const auto key = transaction.Active() ? FindKey(path) : std::nullopt;
        if (!key) {
            return std::nullopt;
        }
        Statement select(*m_statements, kSelectValue);
        select.Bind(1, *key).Bind(2, text::FoldCase(name));
        if (select.Step() != SQLITE_ROW) {
            return std::nullopt;
        }
        return ValueFromRow(select, 0);
    }

    bool SetValue(const Components& path, std::u16string_view name, const RegistryValue& value) {
        Transaction transaction(*m_statements, Transaction::Mode::Write);
        const auto key = transaction.Active() ? MakeKey(path) : std::nullopt;
        if (!key) {
            return false;
        }
        Statement upsert(*m_statements, kUpsertValue);
        upsert.Bind(1, *key)
            .Bind(2, name)
            .Bind(3, text::FoldCase(name))
            .Bind(4, static_cast<std::int64_t>(value.type))
            .Bind(5, value.data);
        return upsert.Run() && transaction.Commit();
    }

    bool DeleteValue(const Components& path, std::u16string_view name) {
        Transaction transaction(*m_statements, Transaction::Mode::Write);
        const auto key = transaction.Active() ? FindKey(path) : std::nullopt;
        if (!key) {
            return false;
        }
        Statement remove(*m_statements, kDeleteValue);
        remove.Bind(1, *key).Bind(2, text::FoldCase(name));
        return remove.Run() && sqlite3_changes(m_db) > 0 && transaction.Commit();
    }

    bool DeleteKeyTree(const Components& path) {
        Transaction transaction(*m_statements, Transaction::Mode::Write);
        const auto key = transaction.Active() ? FindKey(path) : std::nullopt;
        if (!key || *key == kRootKey) {
            return false;
        }
        Statement removeValues(*m_statements, kDeleteSubtreeValues);
        Statement removeKeys(*m_statements, kDeleteSubtreeKeys);
        removeValues.Bind(1, *key);
        removeKeys.Bind(1, *key);
        return removeValues.Run() && removeKeys.Run() && transaction.Commit();
    }

private:
    HiveDb(sqlite3* db, std::filesystem::path file)
        : m_db(db), m_file(std::move(file)), m_statements(std::make_unique<StatementCache>(db)) {}

    // WAL lets readers run beside the one writer; NORMAL synchronisation is safe in WAL mode.
    bool Configure() {
        for (int attempt = 0; attempt < kSetupAttempts; ++attempt) {
            if (TryConfigure()) {
                return true;
            }
            const int code = sqlite3_errcode(m_db);
            if (code != SQLITE_BUSY && code != SQLITE_LOCKED) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    bool TryConfigure() {
        if (!EnableWal() || !Exec(m_db, "PRAGMA synchronous = NORMAL")) {
            return false;
        }
        if (HasSchema()) {
            return true;
        }
        Transaction transaction(*m_statements, Transaction::Mode::Write);
        return transaction.Active() && Exec(m_db, kSchema) && transaction.Commit();
    }

    bool EnableWal() {
        Statement wal(*m_statements, "PRAGMA journal_mode = WAL");
        return wal.Step() == SQLITE_ROW && wal.Text(0) == u"wal";
    }

    bool HasSchema() {
        Statement select(*m_statements,
                         "SELECT count(*) FROM sqlite_master WHERE name = 'key_values'");
        return select.Step() == SQLITE_ROW && select.Int(0) == 1;
    }

    static RegistryValue ValueFromRow(Statement& row, int firstColumn) {
        RegistryValue value;
        value.type = static_cast<ValueType>(row.Int(firstColumn));
        value.data = row.Blob(firstColumn + 1);
        return value;
    }

    std::optional<std::int64_t> FindChild(std::int64_t parent, std::u16string_view name) {
        Statement select(*m_statements, kSelectChild);
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

    static std::u16string JoinComponents(const Components& path) {
        std::u16string joined;
        for (std::u16string_view name : path) {
            if (!joined.empty()) {
                joined += u'\\';
            }
            joined += name;
        }
        return joined;
    }

    template <typename Stack>
    void VisitKey(std::int64_t id, std::u16string_view path, const KeyVisitor& visit,
                  Stack& stack) {
        std::vector<NamedValue> values;
        Statement selectValues(*m_statements, kSelectValues);
        selectValues.Bind(1, id);
        while (selectValues.Step() == SQLITE_ROW) {
            values.push_back({selectValues.Text(0), ValueFromRow(selectValues, 1)});
        }
        std::sort(values.begin(), values.end(), [](const NamedValue& a, const NamedValue& b) {
            return ByFoldedName(a.name, b.name);
        });
        visit(path, values);

        std::vector<std::pair<std::int64_t, std::u16string>> children;
        Statement selectChildren(*m_statements, kSelectChildIds);
        selectChildren.Bind(1, id);
        while (selectChildren.Step() == SQLITE_ROW) {
            children.emplace_back(selectChildren.Int(0), selectChildren.Text(1));
        }
        // Pushed last first, so that they are visited in name order.
        std::sort(children.begin(), children.end(),
                  [](const auto& a, const auto& b) { return ByFoldedName(b.second, a.second); });
        for (auto& child : children) {
            stack.push_back({child.first, path.size(), std::move(child.second)});
        }
    }

    bool Upsert(std::int64_t key, std::u16string_view name, const RegistryValue& value) {
        Statement upsert(*m_statements, kUpsertValue);
        upsert.Bind(1, key)
            .Bind(2, name)
            .Bind(3, text::FoldCase(name))
            .Bind(4, static_cast<std::int64_t>(value.type))
            .Bind(5, value.data);
        return upsert.Run();
    }

    bool DeleteSubtree(std::int64_t key) {
        Statement removeValues(*m_statements, kDeleteSubtreeValues);
        Statement removeKeys(*m_statements, kDeleteSubtreeKeys);
        removeValues.Bind(1, key);
        removeKeys.Bind(1, key);
        return removeValues.Run() && removeKeys.Run();
    }

    // The key of `path` within a batch: the ids of the keys found or created so far are kept by
    // their folded path, so a key below a known one costs one query whatever its depth.
    std::optional<std::int64_t> BatchKey(const Components& path, bool create) {
        // The folded path, and where each level's prefix ends in it.
        std::u16string folded;
        std::vector<std::size_t> ends;
        ends.reserve(path.size());
        for (std::u16string_view name : path) {
            if (!folded.empty()) {
                folded += u'\\';
            }
            folded += text::FoldCase(name);
            ends.push_back(folded.size());
        }
        // The deepest known level, tried from the whole path up (a file names a key right after
        // its parent, so this is found in one or two tries); -1: none, start at the root.
        std::ptrdiff_t known = static_cast<std::ptrdiff_t>(path.size()) - 1;
        std::int64_t key = kRootKey;
        for (; known >= 0; --known) {
            const auto found =
                m_batchKeys.find(folded.substr(0, ends[static_cast<std::size_t>(known)]));
            if (found != m_batchKeys.end()) {
                key = found->second;
                break;
            }
        }
        for (auto level = static_cast<std::size_t>(known + 1); level < path.size(); ++level) {
            auto child = FindChild(key, path[level]);
            if (!child && create) {
                child = InsertChild(key, path[level]);
            }
            if (!child) {
                return std::nullopt;
            }
            key = *child;
            m_batchKeys.emplace(folded.substr(0, ends[level]), key);
        }
        return key;
    }

    std::optional<std::int64_t> InsertChild(std::int64_t parent, std::u16string_view name) {
        Statement insert(*m_statements, kInsertKey);
        insert.Bind(1, parent).Bind(2, name).Bind(3, text::FoldCase(name));
        if (!insert.Run()) {
            return std::nullopt;
        }
        return sqlite3_last_insert_rowid(m_db);
    }

    // Copies the hive as committed into a new in-memory database at `copy`. Read through a
    // connection of its own: this one holds the write lock, so the committed state is the state
    // before the batch, and no other writer can change it meanwhile.
    bool CopyInto(sqlite3*& copy) {
        DropCopy();
        sqlite3* source = nullptr;
        const bool opened =
            sqlite3_open_v2(m_file.c_str(), &source, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
            sqlite3_open(":memory:", &copy) == SQLITE_OK;
        sqlite3_backup* backup =
            opened ? sqlite3_backup_init(copy, "main", source, "main") : nullptr;
        const bool copied = backup != nullptr && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
        sqlite3_backup_finish(backup);
        sqlite3_close_v2(source);
        if (!copied) {
            DropCopy();
        }
        return copied;
    }

    void EndBatch() {
        m_batch.reset();  // rolls back unless committed
        m_batchKeys.clear();
    }

    // Finds or creates each component in turn; runs inside a write transaction.
    std::optional<std::int64_t> MakeKey(const Components& path) {
        std::int64_t key = kRootKey;
        for (std::u16string_view name : path) {
            auto child = FindChild(key, name);
            if (!child) {
                Statement insert(*m_statements, kInsertKey);
                insert.Bind(1, key).Bind(2, name).Bind(3, text::FoldCase(name));
                if (!insert.Run()) {
                    return std::nullopt;
                }
                child = sqlite3_last_insert_rowid(m_db);
            }
            key = *child;
        }
        return key;
    }

    sqlite3* m_db;
    std::filesystem::path m_file;
    struct stat m_identity {};
    std::unique_ptr<StatementCache> m_statements;
    // The open batch: its transaction, the keys it found or made, the copy to restore.
    std::unique_ptr<Transaction> m_batch;
    std::unordered_map<std::u16string, std::int64_t> m_batchKeys;
    sqlite3* m_copy = nullptr;
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

Registry::Registry(std::filesystem::path folder) : m_folder(std::move(folder)) {}

Registry::~Registry() {
    if (m_generation != nullptr) {
        munmap(m_generation, sizeof(std::uint64_t));
    }
}

std::uint64_t* Registry::Generation() {
    if (m_generation != nullptr) {
        return m_generation;
    }
    // Opened only in an existing folder: a registry that has no folder yet has nothing to watch.
    const std::filesystem::path file = m_folder / kGenerationFileName;
    const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kPrivateFileMode);
    if (fd < 0) {
        return nullptr;
    }
    TightenToPrivate(file);
    struct stat info {};
    void* mapped = MAP_FAILED;
    if (fstat(fd, &info) == 0 && (info.st_size >= static_cast<off_t>(sizeof(std::uint64_t)) ||
                                  ftruncate(fd, sizeof(std::uint64_t)) == 0)) {
        mapped = mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
    close(fd);
    if (mapped == MAP_FAILED) {
        return nullptr;
    }
    m_generation = static_cast<std::uint64_t*>(mapped);
    ++m_localChanges;  // whatever was read before the counter was watched may be stale
    return m_generation;
}

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
    m_machineReadOnly = readOnly;
}

bool Registry::IsMachineReadOnly() const {
    return m_machineReadOnly || EnvValue("VELTRIX_REGISTRY_MACHINE_READONLY") == "1";
}

bool Registry::Writable(Hive hive) const {
    return hive == Hive::CurrentUser || !IsMachineReadOnly();
}

Registry::HiveDb* Registry::Open(Hive hive, bool create) {
    auto& slot = m_hives[static_cast<int>(hive)];
    if (slot && !slot->StillCurrent()) {
        slot.reset();
        ++m_localChanges;
    }
    if (slot) {
        return slot.get();
    }
    const std::filesystem::path file = m_folder / HiveFileName(hive);
    std::error_code error;
    if (!create && !std::filesystem::exists(file, error)) {
        return nullptr;
    }
    // The folder is ours alone: created 0700, and tightened when an older version made it wider.
    if (CreatePrivateFolders(m_folder, error)) {
        TightenToPrivate(m_folder);
    }
    slot = HiveDb::Open(file);
    ++m_localChanges;
    return slot.get();
}

void Registry::ReleaseVanishedHives() {
    std::lock_guard lock(m_mutex);
    for (auto& hive : m_hives) {
        if (hive && !hive->StillCurrent()) {
            hive.reset();
            ++m_localChanges;
        }
    }
}

// Every public operation runs here: under the mutex, on the hive's connection (created on first
// write only), with any exception (out of memory, a filesystem error) turned into `failed`.
template <typename Operation, typename Value>
Value Registry::Run(Hive hive, Access access, Value failed, Operation&& operation) {
    try {
        std::lock_guard lock(m_mutex);
        if (access != Access::Read && !Writable(hive)) {
            return failed;
        }
        HiveDb* db = Open(hive, access == Access::Write);
        if (db == nullptr) {
            return failed;
        }
        Value result = operation(*db);
        if (access != Access::Read) {
            ++m_localChanges;
            if (std::uint64_t* generation = Generation()) {
                std::atomic_ref<std::uint64_t>(*generation).fetch_add(1);
            }
        }
        return result;
    } catch (...) {
        return failed;
    }
}

std::uint64_t Registry::ChangeStamp() {
    std::lock_guard lock(m_mutex);
    std::uint64_t* generation = Generation();
    const std::uint64_t shared =
        generation == nullptr ? 0 : std::atomic_ref<std::uint64_t>(*generation).load();
    // This object's own writes and (re)openings in the high bits, every writer's count in the low.
    return m_localChanges << 40 ^ shared;
}

bool Registry::CreateKey(Hive hive, std::u16string_view path) {
    return Run(hive, Access::Write, false,
               [&](HiveDb& db) { return db.CreateKey(SplitPath(path)); });
}

bool Registry::KeyExists(Hive hive, std::u16string_view path) {
    return Run(hive, Access::Read, false,
               [&](HiveDb& db) { return db.KeyExists(SplitPath(path)); });
}

std::vector<std::u16string> Registry::EnumKeys(Hive hive, std::u16string_view path) {
    return Run(hive, Access::Read, std::vector<std::u16string>{},
               [&](HiveDb& db) { return db.EnumKeys(SplitPath(path)); });
}

std::vector<NamedValue> Registry::EnumValues(Hive hive, std::u16string_view path) {
    return Run(hive, Access::Read, std::vector<NamedValue>{},
               [&](HiveDb& db) { return db.EnumValues(SplitPath(path)); });
}

std::optional<RegistryValue> Registry::GetValue(Hive hive, std::u16string_view path,
                                                std::u16string_view name) {
    return Run(hive, Access::Read, std::optional<RegistryValue>{},
               [&](HiveDb& db) { return db.GetValue(SplitPath(path), name); });
}

bool Registry::SetValue(Hive hive, std::u16string_view path, std::u16string_view name,
                        const RegistryValue& value) {
    return Run(hive, Access::Write, false,
               [&](HiveDb& db) { return db.SetValue(SplitPath(path), name, value); });
}

bool Registry::DeleteValue(Hive hive, std::u16string_view path, std::u16string_view name) {
    return Run(hive, Access::Change, false,
               [&](HiveDb& db) { return db.DeleteValue(SplitPath(path), name); });
}

bool Registry::DeleteKeyTree(Hive hive, std::u16string_view path) {
    const Components components = SplitPath(path);
    if (components.empty()) {
        return false;
    }
    return Run(hive, Access::Change, false,
               [&](HiveDb& db) { return db.DeleteKeyTree(components); });
}

bool Registry::VisitKeyTree(Hive hive, std::u16string_view path, const KeyVisitor& visit) {
    return Run(hive, Access::Read, false,
               [&](HiveDb& db) { return db.VisitTree(SplitPath(path), visit); });
}

void Registry::SetCommitCheckForTesting(std::function<bool(Hive)> check) {
    std::lock_guard lock(m_mutex);
    m_commitCheck = std::move(check);
}

namespace {

// The hives a batch writes, in the fixed order of the enumeration, so that two batches lock
// shared hives in the same order.
std::vector<Hive> HivesOf(std::span<const RegistryEdit> edits) {
    std::vector<Hive> hives;
    for (Hive hive : {Hive::CurrentUser, Hive::LocalMachine, Hive::ClassesRoot}) {
        if (std::any_of(edits.begin(), edits.end(),
                        [hive](const RegistryEdit& edit) { return edit.hive == hive; })) {
            hives.push_back(hive);
        }
    }
    return hives;
}

}  // namespace

Result<void, BatchFailure> Registry::ApplyAll(std::span<const RegistryEdit> edits) {
    using Reason = BatchFailure::Reason;
    std::lock_guard lock(m_mutex);
    const std::vector<Hive> hives = HivesOf(edits);
    for (Hive hive : hives) {
        if (!Writable(hive)) {
            return Fail(BatchFailure{Reason::ReadOnly, 0, hive});
        }
    }
    // Every hive taken before anything is written; a copy is kept only when another hive could
    // fail after this one committed.
    std::vector<HiveDb*> open;
    const auto rollBack = [&open] {
        for (HiveDb* db : open) {
            db->RollbackBatch();
            db->DropCopy();
        }
    };
    try {
        for (Hive hive : hives) {
            HiveDb* db = Open(hive, true);
            if (db == nullptr || !db->BeginBatch(hives.size() > 1)) {
                rollBack();
                return Fail(BatchFailure{Reason::Unavailable, 0, hive});
            }
            open.push_back(db);
        }
        for (std::size_t i = 0; i < edits.size(); ++i) {
            const auto slot = std::find(hives.begin(), hives.end(), edits[i].hive) - hives.begin();
            if (!open[static_cast<std::size_t>(slot)]->ApplyEdit(edits[i])) {
                rollBack();
                return Fail(BatchFailure{Reason::EditFailed, i, edits[i].hive});
            }
        }
    } catch (...) {
        rollBack();
        return Fail(
            BatchFailure{Reason::EditFailed, 0, hives.empty() ? Hive::CurrentUser : hives[0]});
    }
    const Result<void, BatchFailure> committed = CommitBatches(hives, open);
    // Counted after the commits, so that a reader never caches old values under the new stamp.
    ++m_localChanges;
    if (std::uint64_t* generation = Generation()) {
        std::atomic_ref<std::uint64_t>(*generation).fetch_add(1);
    }
    return committed;
}

Result<void, BatchFailure> Registry::CommitBatches(const std::vector<Hive>& hives,
                                                   const std::vector<HiveDb*>& open) {
    using Reason = BatchFailure::Reason;
    for (std::size_t i = 0; i < open.size(); ++i) {
        const bool allowed = !m_commitCheck || m_commitCheck(hives[i]);
        if (allowed && open[i]->CommitBatch()) {
            continue;
        }
        for (std::size_t later = i; later < open.size(); ++later) {
            open[later]->RollbackBatch();
            open[later]->DropCopy();
        }
        std::optional<Hive> unrestored;
        for (std::size_t done = 0; done < i; ++done) {
            if (!open[done]->RestoreCopy() && !unrestored) {
                unrestored = hives[done];
            }
        }
        if (unrestored) {
            return Fail(BatchFailure{Reason::RestoreFailed, 0, *unrestored});
        }
        return Fail(BatchFailure{Reason::CommitFailed, 0, hives[i]});
    }
    for (HiveDb* db : open) {
        db->DropCopy();
    }
    return {};
}

}  // namespace veltrix::platform
