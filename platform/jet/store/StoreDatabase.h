#pragma once
// The store provider's session on one database file (a jet::Backend). Every
// statement and property or permission write runs in one SQLite transaction:
// it succeeds whole or leaves file and session as they were.
//
// Jet's rules on rows (required columns, DISALLOW NULL, relationships with
// their cascades) are SQLite triggers that the session derives from its model
// and keeps in SQLite's TEMP schema, never in the file: a table's are made
// before the first statement of the session that writes its rows, together
// with those of every table they can change in turn, and are kept in step
// with later schema changes. A session that only reads makes none.
//
// Statements are parsed, checked and, for the schema, applied to the model
// by the shared statement model (jet/statement/); the session runs them on
// SQLite. A statement that makes a table, column, index, constraint, view or
// procedure gives it a name Jet allows (jet/statement/Names.h): no ".", "!",
// "`", "[" or "]", no leading blank; names of existing objects need not be
// such names.
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "jet/Backend.h"
#include "jet/store/Metadata.h"
#include "jet/store/Sqlite.h"
#include "jet/statement/Statement.h"
#include "jet/statement/Storage.h"

namespace jet::store {

using statement::AlterDatabasePassword;
using statement::ColumnConversion;
using statement::Dml;
using statement::GrantRevoke;
using statement::Parsed;
using statement::Statement;
using statement::Target;

class StoreDatabase final : public Backend {
public:
    StoreDatabase(const OpenRequest& request, std::shared_ptr<Workgroup> workgroup);
    ~StoreDatabase() override;

    // Makes a new, empty database file (with a password hash when the password
    // is not empty). The file must not exist.
    static void create(const std::string& path, const std::string& password);

    [[nodiscard]] std::shared_ptr<const CatalogData> catalog() override;
    int32_t execute(std::string_view sql) override;
    void setColumnProperty(std::string_view table, std::string_view column, int position,
                           const Variant& value) override;
    [[nodiscard]] int32_t getPermissions(PrincipalKind kind, std::string_view principal,
                                         std::string_view objectName, int32_t objectType) override;
    void setPermissions(PrincipalKind kind, std::string_view principal, std::string_view objectName,
                        int32_t objectType, int32_t action, int32_t rights) override;
    [[nodiscard]] bool readOnly() const override { return readOnly_; }
    void close() override;

private:
    // What one statement changed, for the metadata and the triggers.
    struct Work {
        std::set<std::string> touched;    // folded names of tables to store again
        std::set<int64_t> removed;        // ids of dropped tables
        std::set<std::string> retrigger;  // folded names whose triggers to make again
        // Rows, permissions or the password changed, nothing the catalog
        // shows: its snapshot stays.
        bool catalogSame = false;
    };

    void checkOpen() const;
    void checkWritable() const;
    // A new SQLite connection on the file, set up for the provider.
    [[nodiscard]] std::unique_ptr<sql::Db> connect() const;
    // Reads the model again when another connection changed the file or a
    // change failed. Called outside a transaction: a session holding triggers
    // starts on a new SQLite connection when another one changed the file.
    void sync();
    // True when another connection committed since the last sync().
    [[nodiscard]] bool changedOutside();
    // Runs `body` inside one transaction; on failure nothing stays changed.
    template <class F>
    auto inTransaction(F&& body);
    void finish(Work& w);
    // Files made by earlier versions keep the triggers in the file: a session
    // that may write drops them, so that no rule runs twice.
    void dropStoredTriggers();

    // --- statements -----------------------------------------------------------
    // Schema statements run on the shared executor, which makes its changes
    // through this storage on the session's connection (SchemaStorage.cpp).
    class SchemaStorage;
    int32_t run(const Parsed& p, Work& w);
    void accounts(const Statement& s);
    void databasePassword(const AlterDatabasePassword& s);
    void grantRevoke(const GrantRevoke& s);
    int32_t dml(const Parsed& p, const Dml& d);
    // Makes the triggers a write on `table` needs before the statement's own
    // transaction, so that a refused row does not take them back with it.
    void armBeforeWrite(std::string_view table);
    // Counters are numbered by the inserts themselves: the next value of one,
    // and moving them on after `rows` rows were added past row id `lastRow`.
    [[nodiscard]] int64_t counterNext(const TableDef& t, const ColumnDef& c);
    void advanceCounters(const TableDef& t, const std::vector<const ColumnDef*>& numbered,
                         int64_t rows, int64_t lastRow);

    TableDef& requireTable(std::string_view name);
    // Copies the rows of `from` into a SQLite table made for `to`, column by
    // column as `sources` says (an SQL expression over the old table per new
    // column), then puts indexes back.
    void rebuild(const TableDef& from, const TableDef& to, const std::vector<std::string>& sources);
    // Brings the columns of the property writes since the snapshot up to date
    // in it; false when the snapshot must be made anew.
    [[nodiscard]] bool patchSnapshot();
    // Makes the triggers of `t` again where their text changed.
    void regenerateTriggers(const TableDef& t);
    // Makes the triggers of `t` and of every table they can change in turn,
    // where this session has not made them yet.
    void armTriggers(const TableDef& t);
    // Arms the tables whose rows the triggers of armed `t` can change.
    void armReached(const TableDef& t);
    // True when the rows of `t` can be changed by the triggers of an armed table.
    [[nodiscard]] bool reachedByArmed(const TableDef& t) const;
    // Reads this session's triggers back from SQLite (after a rollback).
    void loadTriggers();
    // Triggers go with their table when SQLite drops it.
    void forgetTriggers(const TableDef& t);
    void createSqlIndex(const TableDef& t, const IndexDef& ix);
    [[nodiscard]] bool hasRows(const TableDef& t);
    // True when a row of `t` holds a null in `column`.
    [[nodiscard]] bool hasNull(const TableDef& t, std::string_view column);
    void setCounter(const TableDef& t, const ColumnDef& c, int64_t next);
    void dropPermissions(int32_t objectType, std::string_view object);
    void dropPrincipalPermissions(PrincipalKind kind, std::string_view principal);

    // --- accounts and permissions -------------------------------------------------
    Workgroup& workgroup();
    // Looks the name up among the workgroup's accounts as last read; they are
    // read again only when the workgroup's version changes (the engine asks
    // for every principal's rights on every object).
    [[nodiscard]] bool principalExists(PrincipalKind kind, std::string_view name);
    // The object a permission names, by type; throws Err::PermissionObjectNotFound.
    [[nodiscard]] std::string permissionObject(std::string_view name, int32_t type);
    void applyPermission(PrincipalKind kind, std::string_view principal, const std::string& object,
                         int32_t type, int32_t action, int32_t rights);

    std::string path_;
    std::unique_ptr<sql::Db> db_;
    bool readOnly_ = false;
    std::shared_ptr<Workgroup> workgroup_;
    Model model_;
    bool stale_ = false;
    int64_t dataVersion_ = 0;
    uint64_t generation_ = 1;
    // Made here and handed out as const; patched in place only while nobody
    // else holds it (see setColumnProperty).
    std::shared_ptr<CatalogData> snapshot_;
    // (folded table name, column name) of each property write since the snapshot.
    std::vector<std::pair<std::string, std::string>> pendingColumns_;
    uint64_t snapshotGeneration_ = 0;
    uint64_t snapshotWorkgroup_ = 0;
    std::vector<TableData> systemTables_;
    // Folded names of the workgroup's users and groups, and the version they
    // were read at (none before the first look-up).
    std::set<std::string> userNames_;
    std::set<std::string> groupNames_;
    std::optional<uint64_t> principalsVersion_;
    // This session's triggers: name -> SQL text as SQLite keeps it.
    std::map<std::string, std::string> triggers_;
    // Folded names of the tables whose triggers this session made. Closed:
    // whatever an armed table's triggers change is armed too.
    std::set<std::string> armed_;
};

class StoreDatabase::SchemaStorage final : public statement::Storage {
public:
    SchemaStorage(StoreDatabase& db, Work& work) : db_(db), work_(work) {}

    bool hasRows(const TableDef& table) override;
    int64_t rowCount(const TableDef& table) override;
    bool hasNull(const TableDef& table, const std::vector<std::string>& columns) override;
    bool breaksRelationship(const TableDef& table, const ForeignKeyDef& fk,
                            const TableDef& related) override;
    void createTable(TableDef& table) override;
    void dropTable(const TableDef& table) override;
    void addColumn(const TableDef& was, const TableDef& now, const ColumnDef& column) override;
    void alterColumn(const TableDef& was, const TableDef& now, const ColumnDef& column,
                     const std::optional<ColumnConversion>& conversion) override;
    void dropColumn(const TableDef& was, const TableDef& now, const ColumnDef& column) override;
    void addIndex(const TableDef& was, const TableDef& now, const IndexDef& index) override;
    void dropIndex(const TableDef& was, const TableDef& now, const IndexDef& index) override;
    void addRelationship(const TableDef& was, const TableDef& now, const ForeignKeyDef& fk,
                         const TableDef& related) override;
    void dropRelationship(const TableDef& was, const TableDef& now,
                          const ForeignKeyDef& fk) override;
    void setCounter(const TableDef& table, const ColumnDef& column, int64_t next) override;
    void createQuery(const QueryDef& query) override;
    void dropQuery(const QueryDef& query) override;
    void dropPermissions(int32_t objectType, std::string_view name) override;

private:
    StoreDatabase& db_;
    Work& work_;
};

template <class F>
inline auto StoreDatabase::inTransaction(F&& body) {
    for (;;) {
        sync();
        sql::Transaction tx(*db_);
        try {
            // Another connection wrote between sync() and the lock: look again.
            if (changedOutside()) continue;
            Work w;
            auto result = body(w);
            finish(w);
            tx.commit();
            if (!w.catalogSame) ++generation_;
            return result;
        } catch (...) {
            // The session's model may hold part of the failed change: read it again.
            stale_ = true;
            throw;
        }
    }
}

}  // namespace jet::store
