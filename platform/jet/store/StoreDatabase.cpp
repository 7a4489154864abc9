#include "jet/store/StoreDatabase.h"

#include <filesystem>

#include "jet/Error.h"
#include "jet/QueryText.h"
#include "jet/statement/Dml.h"
#include "jet/statement/Executor.h"
#include "jet/store/StoredValue.h"
#include "jet/statement/Names.h"
#include "jet/store/Password.h"
#include "text/CaseFold.h"

namespace jet::store {

using namespace statement;

namespace {

std::string triggerName(const TableDef& t, std::string_view suffix) {
    return "jettr_" + std::to_string(t.id) + "_" + std::string(suffix);
}

std::string raiseIf(Err id, std::initializer_list<std::string_view> args, const std::string& cond) {
    return "SELECT RAISE(ABORT, " + sql::literal(sql::errorMarker(id, args)) + ") WHERE " + cond +
           ";\n";
}

// "a = b AND …" over paired columns, each side with its own prefix.
std::string pairs(const std::vector<KeyColumnData>& cols, std::string_view childPrefix,
                  std::string_view parentPrefix, std::string_view op = " = ",
                  std::string_view join = " AND ") {
    std::string out;
    for (size_t i = 0; i < cols.size(); ++i) {
        if (i) out += join;
        out += std::string(childPrefix) + sql::ident(cols[i].name) + std::string(op) +
               std::string(parentPrefix) + sql::ident(cols[i].relatedColumn);
    }
    return out;
}

}  // namespace

// --- lifecycle -------------------------------------------------------------------------

StoreDatabase::StoreDatabase(const OpenRequest& request, std::shared_ptr<Workgroup> workgroup)
    : path_(request.props.dataSource), workgroup_(std::move(workgroup)) {
    const bool can = sql::canWrite(path_);
    switch (request.mode) {
        case ConnectMode::Read:
            readOnly_ = true;
            break;
        case ConnectMode::ReadWrite:
            if (!can) raise(Err::ReadOnly);
            readOnly_ = false;
            break;
        case ConnectMode::Unknown:
            readOnly_ = !can;
            break;
    }
    db_ = connect();
    if (!isStoreDatabase(*db_)) raise(Err::UnknownFormat, {path_});
    if (auto hash = databaseProperty(*db_, "PasswordHash")) {
        if (!verifyPassword(*hash, request.props.databasePassword.value_or("")))
            raise(Err::BadDatabasePassword);
    }
    if (!readOnly_) dropStoredTriggers();
    db_->exec("BEGIN");
    try {
        model_ = loadModel(*db_);
        systemTables_ = systemTables(*db_);
        dataVersion_ = db_->scalar("PRAGMA data_version");
        db_->exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

StoreDatabase::~StoreDatabase() = default;

std::unique_ptr<sql::Db> StoreDatabase::connect() const {
    auto db =
        std::make_unique<sql::Db>(path_, readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    sqlite3_busy_timeout(db->handle(), 5000);
    // Cascades may reach the same table again (self-relationships). Each
    // statement is its own transaction; FULL syncs the journal before every
    // commit, so that a power loss cannot leave a damaged file (a store of
    // 2,000 tables still takes some 250 statements a second).
    db->exec(
        "PRAGMA recursive_triggers = ON; PRAGMA synchronous = FULL; PRAGMA cache_size = -16384;");
    registerFunctions(db->handle());
    // A double-quoted word is a name, never a text: one that names nothing
    // fails instead of passing as a value.
    sqlite3_db_config(db->handle(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db->handle(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    return db;
}

void StoreDatabase::dropStoredTriggers() {
    std::vector<std::string> names;
    {
        auto s = db_->prepare(
            "SELECT name FROM main.sqlite_master WHERE type = 'trigger' AND name GLOB 'jettr_*'");
        while (s.step()) names.push_back(s.text(0));
    }
    if (names.empty()) return;
    sql::Transaction tx(*db_);
    // Another session may be dropping them at the same time.
    for (const auto& n : names) db_->exec("DROP TRIGGER IF EXISTS main." + sql::ident(n));
    tx.commit();
}

void StoreDatabase::create(const std::string& path, const std::string& password) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) raise(Err::DatabaseExists, {path});
    bool made = false;
    try {
        std::unique_ptr<sql::Db> db;
        try {
            db = std::make_unique<sql::Db>(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        } catch (const Error& e) {
            raise(Err::CannotCreate, {path, e.description()});
        }
        made = true;
        sql::Transaction tx(*db);
        createDatabaseMetadata(*db);
        if (!password.empty()) setDatabaseProperty(*db, "PasswordHash", hashPassword(password));
        tx.commit();
    } catch (...) {
        if (made) std::filesystem::remove(path, ec);
        throw;
    }
}

void StoreDatabase::close() {
    checkOpen();
    snapshot_.reset();
    db_.reset();
    workgroup_.reset();
}

void StoreDatabase::checkOpen() const {
    if (!db_) raise(Err::ObjectClosed);
}

void StoreDatabase::checkWritable() const {
    if (readOnly_) raise(Err::ReadOnly);
}

namespace {

int64_t dataVersion(sql::Db& db) {
    auto& version = db.cached("PRAGMA data_version");
    const int64_t dv = version.step() ? version.integer(0) : 0;
    version.reset();
    return dv;
}

}  // namespace

bool StoreDatabase::changedOutside() { return dataVersion(*db_) != dataVersion_; }

void StoreDatabase::sync() {
    int64_t dv = dataVersion(*db_);
    if (!stale_ && dv == dataVersion_) return;
    if (dv != dataVersion_) {
        // The triggers may follow a schema another connection changed; SQLite
        // keeps one whose table that connection dropped and puts it on any
        // later table of the name. A new connection starts without them.
        if (!triggers_.empty()) {
            auto fresh = connect();
            db_ = std::move(fresh);
            triggers_.clear();
            dv = dataVersion(*db_);
        }
        armed_.clear();
    }
    db_->exec("BEGIN");
    try {
        model_ = loadModel(*db_);
        // A rollback took back the triggers the failed change made.
        if (stale_) loadTriggers();
        db_->exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    stale_ = false;
    dataVersion_ = dv;
    ++generation_;
}

void StoreDatabase::finish(Work& w) {
    for (int64_t id : w.removed) deleteTable(*db_, id);
    std::set<std::string> trig = w.retrigger;
    for (const auto& key : w.touched) {
        auto it = model_.tables.find(key);
        if (it == model_.tables.end()) continue;
        saveTable(*db_, it->second);
        trig.insert(key);
        for (const auto& fk : it->second.foreignKeys) trig.insert(text::fold(fk.relatedTable));
        for (const auto& [child, n] : model_.referrersOf(key)) trig.insert(child);
    }
    // Only the triggers this session made are kept in step; a table that an
    // armed table's triggers now reach is armed as well.
    for (const auto& key : trig) {
        const TableDef* t = model_.tableByKey(key);
        if (!t) continue;
        if (armed_.count(key)) {
            regenerateTriggers(*t);
            armReached(*t);
        } else if (reachedByArmed(*t)) {
            armTriggers(*t);
        }
    }
}

// --- snapshot --------------------------------------------------------------------------

std::shared_ptr<const CatalogData> StoreDatabase::catalog() {
    checkOpen();
    sync();
    const uint64_t wv = workgroup_ ? workgroup_->version() : 0;
    if (snapshot_ && snapshotWorkgroup_ == wv &&
        (snapshotGeneration_ == generation_ || patchSnapshot()))
        return snapshot_;
    pendingColumns_.clear();
    auto d = std::make_shared<CatalogData>();
    d->tables.reserve(model_.tables.size() + systemTables_.size());
    for (const auto& [key, t] : model_.tables) d->tables.push_back(tableData(t));
    for (const auto& t : systemTables_) d->tables.push_back(t);
    for (const auto& [key, q] : model_.queries) {
        QueryData qd{q.name, q.text, {}};
        if (q.view) {
            d->views.push_back(std::move(qd));
        } else {
            qd.parameters = parametersOf(q.text);
            d->procedures.push_back(std::move(qd));
        }
    }
    d->hasWorkgroup = workgroup_ != nullptr;
    if (workgroup_) {
        d->users = workgroup_->users();
        d->groups = workgroup_->groups();
    }
    normalize(*d);
    snapshot_ = std::move(d);
    snapshotGeneration_ = generation_;
    snapshotWorkgroup_ = wv;
    return snapshot_;
}

// --- statements ------------------------------------------------------------------------

int32_t StoreDatabase::execute(std::string_view sqlText) {
    checkOpen();
    const Parsed p = parseStatement(sqlText);
    const auto* d = std::get_if<Dml>(&p.statement);
    if (d && d->kind == Dml::Kind::Select) {
        sync();
        return dml(p, *d);
    }
    checkWritable();
    if (d)
        if (auto table = dmlTable(p, *d)) armBeforeWrite(*table);
    if (isAccountStatement(p.statement)) {
        accounts(p.statement);
        return -1;
    }
    return inTransaction([&](Work& w) { return run(p, w); });
}

int32_t StoreDatabase::run(const Parsed& p, Work& w) {
    const Statement& st = p.statement;
    if (statement::isSchemaStatement(st)) {
        SchemaStorage storage(*this, w);
        statement::Executor(model_, storage).run(st);
        return -1;
    }
    w.catalogSame = std::holds_alternative<AlterDatabasePassword>(st) ||
                    std::holds_alternative<GrantRevoke>(st) || std::holds_alternative<Dml>(st);
    if (auto* a = std::get_if<AlterDatabasePassword>(&st)) databasePassword(*a);
    if (auto* a = std::get_if<GrantRevoke>(&st)) grantRevoke(*a);
    if (auto* a = std::get_if<Dml>(&st)) return dml(p, *a);
    return -1;
}

TableDef& StoreDatabase::requireTable(std::string_view name) {
    TableDef* t = model_.table(name);
    if (!t) raise(Err::TableNotFound, {name});
    return *t;
}

// --- materialized schema -------------------------------------------------------------------

void StoreDatabase::createSqlIndex(const TableDef& t, const IndexDef& ix) {
    // A relationship's index that is unique keeps its rows unique by itself
    // once the index it shared is dropped, as Jet's physical index does.
    std::string s = ix.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
    s += sql::ident(sqlIndexName(t, ix)) + " ON " + sql::ident(t.name) + " (";
    std::string where;
    for (size_t i = 0; i < ix.columns.size(); ++i) {
        if (i) s += ", ";
        s += sql::ident(ix.columns[i].name);
        s += ix.columns[i].sortOrder == kSortDescending ? " DESC" : " ASC";
        if (i) where += " AND ";
        where += sql::ident(ix.columns[i].name) + " IS NOT NULL";
    }
    s += ")";
    // IGNORE NULL leaves rows with nulls out of the index.
    if (ix.nulls == indexnulls::Ignore || ix.nulls == indexnulls::IgnoreAny) s += " WHERE " + where;
    db_->exec(s);
}

void StoreDatabase::rebuild(const TableDef& from, const TableDef& to,
                            const std::vector<std::string>& sources) {
    std::string decl;
    std::string names;
    std::string exprs;
    for (size_t i = 0; i < to.columns.size(); ++i) {
        const auto& c = to.columns[i];
        if (i) {
            decl += ", ";
            names += ", ";
        }
        decl += sql::ident(c.name) + " " + std::string(sqlType(c.type));
        names += sql::ident(c.name);
        exprs += ", " + sources[i] + " AS " + sql::ident("v" + std::to_string(i));
    }
    // The rows wait in a temporary table while the table is made again under
    // its own name (renaming would make SQLite rewrite its whole schema).
    // Values are converted on the way out, so a value that does not fit
    // fails before anything is dropped.
    db_->exec("DROP TABLE IF EXISTS temp.MSysRebuild");
    db_->exec("CREATE TEMP TABLE MSysRebuild AS SELECT " + std::string(rowNumber(from)) +
              " AS jet_rowid" + exprs + " FROM " + sql::ident(from.name));
    db_->exec("DROP TABLE " + sql::ident(to.name));
    forgetTriggers(to);
    db_->exec("CREATE TABLE " + sql::ident(to.name) + " (" + decl + ")");
    db_->exec("INSERT INTO " + sql::ident(to.name) + " (" + std::string(rowNumber(to)) + ", " +
              names + ") SELECT * FROM temp.MSysRebuild ORDER BY jet_rowid");
    db_->exec("DROP TABLE temp.MSysRebuild");
    for (const auto& ix : to.indexes) createSqlIndex(to, ix);
}

bool StoreDatabase::hasRows(const TableDef& t) {
    return db_->scalar("SELECT EXISTS(SELECT 1 FROM " + sql::ident(t.name) + ")") != 0;
}

bool StoreDatabase::hasNull(const TableDef& t, std::string_view column) {
    return db_->scalar("SELECT EXISTS(SELECT 1 FROM " + sql::ident(t.name) + " WHERE " +
                       sql::ident(column) + " IS NULL)") != 0;
}

void StoreDatabase::setCounter(const TableDef& t, const ColumnDef& c, int64_t next) {
    db_->cached("INSERT OR REPLACE INTO MSysCounters(TableId, ColumnName, NextValue) VALUES(?,?,?)")
        .args(t.id, text::fold(c.name), next)
        .run();
}

void StoreDatabase::loadTriggers() {
    triggers_.clear();
    armed_.clear();
    // A table whose rules need no trigger is left out; it is armed again when
    // written or reached (its own triggers change nothing else).
    auto s =
        db_->prepare("SELECT name, tbl_name, sql FROM sqlite_temp_master WHERE type = 'trigger'");
    while (s.step()) {
        triggers_.emplace(s.text(0), s.text(2));
        armed_.insert(text::fold(s.text(1)));
    }
}

void StoreDatabase::armBeforeWrite(std::string_view table) {
    sync();
    const TableDef* t = model_.table(table);
    if (!t || armed_.count(text::fold(t->name))) return;
    db_->exec("BEGIN");
    try {
        armTriggers(*t);
        db_->exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        loadTriggers();
        throw;
    }
}

void StoreDatabase::armTriggers(const TableDef& t) {
    std::vector<const TableDef*> todo{&t};
    while (!todo.empty()) {
        const TableDef* x = todo.back();
        todo.pop_back();
        if (!armed_.insert(text::fold(x->name)).second) continue;
        regenerateTriggers(*x);
        for (const auto& [key, n] : model_.referrersOf(x->name)) {
            if (armed_.count(key)) continue;
            const TableDef* child = model_.tableByKey(key);
            if (!child) continue;
            for (const auto& fk : child->foreignKeys)
                if (changesRows(fk) && text::equalNoCase(fk.relatedTable, x->name)) {
                    todo.push_back(child);
                    break;
                }
        }
    }
}

void StoreDatabase::armReached(const TableDef& t) {
    for (const auto& [key, n] : model_.referrersOf(t.name)) {
        if (armed_.count(key)) continue;
        const TableDef* child = model_.tableByKey(key);
        if (!child) continue;
        for (const auto& fk : child->foreignKeys)
            if (changesRows(fk) && text::equalNoCase(fk.relatedTable, t.name)) {
                armTriggers(*child);
                break;
            }
    }
}

bool StoreDatabase::reachedByArmed(const TableDef& t) const {
    for (const auto& fk : t.foreignKeys)
        if (changesRows(fk) && armed_.count(text::fold(fk.relatedTable))) return true;
    return false;
}

void StoreDatabase::forgetTriggers(const TableDef& t) {
    const std::string prefix = triggerName(t, "");
    for (auto it = triggers_.lower_bound(prefix);
         it != triggers_.end() && it->first.rfind(prefix, 0) == 0;)
        it = triggers_.erase(it);
}

void StoreDatabase::regenerateTriggers(const TableDef& t) {
    const std::string T = sql::ident(t.name);
    std::string bi, bu, bd, ai, au, ad;
    // Required columns and columns of indexes that refuse nulls. New counters
    // get their value after the insert, so inserts do not check them.
    for (const auto& c : t.columns) {
        if (!c.required) continue;
        const std::string cond = "NEW." + sql::ident(c.name) + " IS NULL";
        if (!c.autoIncrement) bi += raiseIf(Err::NullNotAllowed, {c.name}, cond);
        bu += raiseIf(Err::NullNotAllowed, {c.name}, cond);
    }
    for (const auto& ix : t.indexes) {
        if (!ix.primary && ix.nulls != indexnulls::Disallow) continue;
        for (const auto& ic : ix.columns) {
            const ColumnDef* c = t.column(ic.name);
            if (c && c->required) continue;  // refused above already
            const std::string cond = "NEW." + sql::ident(ic.name) + " IS NULL";
            if (!c || !c->autoIncrement) bi += raiseIf(Err::IndexNullNotAllowed, {}, cond);
            bu += raiseIf(Err::IndexNullNotAllowed, {}, cond);
        }
    }
    // This table's relationships: a row needs its related row (unless a key
    // column is null).
    for (const auto& fk : t.foreignKeys) {
        std::string notNull;
        std::string changed;
        for (size_t i = 0; i < fk.columns.size(); ++i) {
            const std::string n = sql::ident(fk.columns[i].name);
            if (i) {
                notNull += " AND ";
                changed += " OR ";
            }
            notNull += "NEW." + n + " IS NOT NULL";
            changed += "NEW." + n + " IS NOT OLD." + n;
        }
        const std::string missing = "NOT EXISTS (SELECT 1 FROM " + sql::ident(fk.relatedTable) +
                                    " AS p WHERE " + pairs(fk.columns, "NEW.", "p.") + ")";
        bi += raiseIf(Err::NoRelatedRecord, {fk.relatedTable}, notNull + " AND " + missing);
        bu += raiseIf(Err::NoRelatedRecord, {fk.relatedTable},
                      "(" + changed + ") AND " + notNull + " AND " + missing);
    }
    // Relationships that refer to this table: restrict or carry changes over.
    for (const auto& [key, count] : model_.referrersOf(t.name)) {
        const TableDef* c = model_.tableByKey(key);
        if (!c) continue;
        const TableDef& child = *c;
        for (const auto& fk : child.foreignKeys) {
            if (!text::equalNoCase(fk.relatedTable, t.name)) continue;
            const std::string C = sql::ident(child.name);
            const std::string oldMatch = pairs(fk.columns, "c.", "OLD.");
            std::string keyChanged;
            for (size_t i = 0; i < fk.columns.size(); ++i) {
                if (i) keyChanged += " OR ";
                const std::string n = sql::ident(fk.columns[i].relatedColumn);
                keyChanged += "OLD." + n + " IS NOT NEW." + n;
            }
            const std::string related =
                "EXISTS (SELECT 1 FROM " + C + " AS c WHERE " + oldMatch + ")";
            const std::string plainMatch = pairs(fk.columns, "", "OLD.");
            const std::string setNew = pairs(fk.columns, "", "NEW.", " = ", ", ");
            std::string setNull;
            for (size_t i = 0; i < fk.columns.size(); ++i)
                setNull += (i ? ", " : "") + sql::ident(fk.columns[i].name) + " = NULL";
            switch (fk.updateRule) {
                case rule::Cascade:
                    au += "UPDATE " + C + " SET " + setNew + " WHERE (" + keyChanged + ") AND " +
                          plainMatch + ";\n";
                    break;
                case rule::SetNull:
                case rule::SetDefault:
                    au += "UPDATE " + C + " SET " + setNull + " WHERE (" + keyChanged + ") AND " +
                          plainMatch + ";\n";
                    break;
                default:
                    bu += raiseIf(Err::HasRelatedRecords, {child.name},
                                  "(" + keyChanged + ") AND " + related);
                    break;
            }
            switch (fk.deleteRule) {
                case rule::Cascade:
                    ad += "DELETE FROM " + C + " WHERE " + plainMatch + ";\n";
                    break;
                case rule::SetNull:
                case rule::SetDefault:
                    ad += "UPDATE " + C + " SET " + setNull + " WHERE " + plainMatch + ";\n";
                    break;
                default:
                    bd += raiseIf(Err::HasRelatedRecords, {child.name}, related);
                    break;
            }
        }
    }
    // Only triggers whose text changes are made again: every DDL statement
    // costs SQLite a pass over its schema table. TEMP triggers belong to this
    // connection; the body's unqualified names find the main tables (the
    // only TEMP table is the provider's own MSysRebuild).
    const auto make = [&](std::string_view sfx, std::string_view when, const std::string& body) {
        const std::string name = triggerName(t, sfx);
        // From the name on, as SQLite keeps it after "CREATE TRIGGER ".
        const std::string tail = body.empty()
                                     ? std::string()
                                     : sql::ident(name) + " " + std::string(when) + " ON main." +
                                           T + " FOR EACH ROW BEGIN\n" + body + "END";
        const std::string kept = tail.empty() ? std::string() : "CREATE TRIGGER " + tail;
        auto it = triggers_.find(name);
        if (it != triggers_.end() && it->second == kept) return;
        if (it != triggers_.end()) {
            db_->exec("DROP TRIGGER IF EXISTS temp." + sql::ident(name));
            triggers_.erase(it);
        }
        if (kept.empty()) return;
        db_->exec("CREATE TEMP TRIGGER " + tail);
        triggers_.emplace(name, kept);
    };
    make("bi", "BEFORE INSERT", bi);
    make("bu", "BEFORE UPDATE", bu);
    make("bd", "BEFORE DELETE", bd);
    make("ai", "AFTER INSERT", ai);
    make("au", "AFTER UPDATE", au);
    make("ad", "AFTER DELETE", ad);
}

// --- column properties -------------------------------------------------------------------

void StoreDatabase::setColumnProperty(std::string_view table, std::string_view column, int position,
                                      const Variant& value) {
    checkOpen();
    if (position < 0 || position >= prop::Count) raise(Err::ItemNotFound);
    checkNameText(table);
    checkNameText(column);
    checkWritable();
    const std::string propName(kColumnPropertyNames[static_cast<size_t>(position)]);
    inTransaction([&](Work& w) -> int32_t {
        TableDef& t = requireTable(table);
        ColumnDef* c = t.column(column);
        if (!c) raise(Err::FieldNotFound, {column, t.name});
        const auto asBool = [&]() {
            try {
                return toBool(value);
            } catch (const Error&) {
                raise(Err::PropertyValueInvalid, {toText(value), propName});
            }
        };
        const auto asInt = [&]() {
            try {
                return toInt32(value);
            } catch (const Error&) {
                raise(Err::PropertyValueInvalid, {toText(value), propName});
            }
        };
        switch (position) {
            case prop::Default:
                c->defaultValue = toText(value);
                break;
            case prop::Description:
                c->description = toText(value);
                break;
            case prop::ValidationText:
                c->validationText = toText(value);
                break;
            case prop::ValidationRule:
                c->validationRule = toText(value);
                break;
            case prop::CompressedUnicode:
                c->compressed = asBool();
                break;
            case prop::AllowZeroLength:
                c->allowZeroLength = asBool();
                break;
            case prop::Hyperlink:
                c->hyperlink = asBool();
                break;
            case prop::Nullable: {
                const bool required = !asBool();
                if (required && hasNull(t, c->name)) raise(Err::NullNotAllowed, {c->name});
                c->required = required;
                break;
            }
            case prop::Seed:
            case prop::Increment: {
                if (!c->autoIncrement) raise(Err::PropertyReadOnly, {propName});
                const int32_t v = asInt();
                if (position == prop::Seed) {
                    c->seed = v;
                    // As in Jet, the next new row takes the seed.
                    setCounter(t, *c, v);
                } else {
                    if (v == 0) raise(Err::PropertyValueInvalid, {toText(value), propName});
                    c->increment = v;
                }
                break;
            }
            default:
                raise(Err::PropertyReadOnly, {propName});
        }
        w.touched.insert(text::fold(t.name));
        return 0;
    });
    // Remembered for the next catalog read, when the handles of this call are gone.
    if (snapshot_ && snapshotGeneration_ + pendingColumns_.size() + 1 == generation_)
        pendingColumns_.emplace_back(text::fold(table), std::string(column));
    else
        pendingColumns_.clear();
}

// A script sets thousands of column properties one by one, reading the catalog
// between them; rebuilding the whole snapshot after each would cost time in
// proportion to the schema. When only property writes came after the snapshot
// and no handle shares it any more, the changed columns are brought up to date
// in place. Returns false when the snapshot must be made anew.
bool StoreDatabase::patchSnapshot() {
    const auto pending = std::move(pendingColumns_);
    pendingColumns_.clear();
    if (pending.empty() || snapshotGeneration_ + pending.size() != generation_ ||
        snapshot_.use_count() != 1)
        return false;
    for (const auto& [tableKey, column] : pending) {
        const auto t = model_.tables.find(tableKey);
        if (t == model_.tables.end()) return false;
        const ColumnDef* c = t->second.column(column);
        if (!c) return false;
        ColumnData* target = nullptr;
        for (auto& td : snapshot_->tables) {
            if (!text::equalNoCase(td.name, t->second.name)) continue;
            for (auto& cd : td.columns)
                if (text::equalNoCase(cd.name, c->name)) target = &cd;
            break;
        }
        if (!target) return false;
        *target = columnData(*c);
    }
    snapshotGeneration_ = generation_;
    return true;
}

// --- permissions ----------------------------------------------------------------------------

Workgroup& StoreDatabase::workgroup() {
    if (!workgroup_) raise(Err::NoWorkgroup);
    return *workgroup_;
}

bool StoreDatabase::principalExists(PrincipalKind kind, std::string_view name) {
    Workgroup& wg = workgroup();
    const uint64_t version = wg.version();
    if (principalsVersion_ != version) {
        userNames_.clear();
        groupNames_.clear();
        for (const auto& p : wg.users()) userNames_.insert(text::fold(p.name));
        for (const auto& p : wg.groups()) groupNames_.insert(text::fold(p.name));
        principalsVersion_ = version;
    }
    return (kind == PrincipalKind::User ? userNames_ : groupNames_).count(text::fold(name)) != 0;
}

std::string StoreDatabase::permissionObject(std::string_view name, int32_t type) {
    const auto notFound = [&]() -> std::string {
        raise(Err::PermissionObjectNotFound, {name, std::to_string(type)});
    };
    switch (type) {
        case objtype::Database:
            return "";
        case objtype::Table: {
            if (model_.table(name)) return text::fold(name);
            for (const auto& s : systemTables_)
                if (text::equalNoCase(s.name, name)) return text::fold(name);
            return notFound();
        }
        case objtype::Column: {
            // "table.column"; the table's name may itself hold dots.
            for (size_t dot = name.find('.'); dot != std::string_view::npos;
                 dot = name.find('.', dot + 1)) {
                if (TableDef* t = model_.table(name.substr(0, dot)))
                    if (t->column(name.substr(dot + 1))) return text::fold(name);
            }
            return notFound();
        }
        case objtype::Procedure:
        case objtype::View: {
            const QueryDef* q = model_.query(name);
            if (!q || q->view != (type == objtype::View)) return notFound();
            return text::fold(name);
        }
        default:
            raise(Err::InvalidArgument);
    }
}

int32_t StoreDatabase::getPermissions(PrincipalKind kind, std::string_view principal,
                                      std::string_view objectName, int32_t objectType) {
    checkOpen();
    checkNameText(principal);
    checkNameText(objectName);
    sync();
    if (!principalExists(kind, principal)) raise(Err::AccountNotFound, {principal});
    const std::string object = permissionObject(objectName, objectType);
    auto& s = db_->cached(
        "SELECT Rights FROM MSysPermissions WHERE PrincipalKind=? AND Principal=? AND "
        "ObjectType=? AND ObjectName=?");
    s.args(kind == PrincipalKind::User ? 0 : 1, text::fold(principal), objectType, object);
    const int32_t rights = s.step() ? static_cast<int32_t>(s.integer(0)) : 0;
    s.reset();
    return rights;
}

void StoreDatabase::applyPermission(PrincipalKind kind, std::string_view principal,
                                    const std::string& object, int32_t type, int32_t action,
                                    int32_t rights) {
    const int k = kind == PrincipalKind::User ? 0 : 1;
    const std::string who = text::fold(principal);
    auto& s = db_->cached(
        "SELECT Rights FROM MSysPermissions WHERE PrincipalKind=? AND Principal=? AND "
        "ObjectType=? AND ObjectName=?");
    s.args(k, who, type, object);
    const auto current = static_cast<uint32_t>(s.step() ? s.integer(0) : 0);
    s.reset();
    const auto bits = static_cast<uint32_t>(rights);
    uint32_t next = 0;
    switch (action) {
        case access::Grant:
            next = current | bits;
            break;
        case access::Set:
            next = bits;
            break;
        case access::Deny:
        case access::Revoke:
            next = current & ~bits;
            break;
        default:
            raise(Err::InvalidArgument);
    }
    if (next == 0) {
        db_->cached(
               "DELETE FROM MSysPermissions WHERE PrincipalKind=? AND Principal=? AND "
               "ObjectType=? AND ObjectName=?")
            .args(k, who, type, object)
            .run();
    } else {
        db_->cached(
               "INSERT OR REPLACE INTO MSysPermissions(PrincipalKind, Principal, ObjectType, "
               "ObjectName, Rights) VALUES(?,?,?,?,?)")
            .args(k, who, type, object, static_cast<int64_t>(static_cast<int32_t>(next)))
            .run();
    }
}

void StoreDatabase::setPermissions(PrincipalKind kind, std::string_view principal,
                                   std::string_view objectName, int32_t objectType, int32_t action,
                                   int32_t rights) {
    checkOpen();
    workgroup();
    checkWritable();
    checkNameText(principal);
    checkNameText(objectName);
    inTransaction([&](Work& w) -> int32_t {
        w.catalogSame = true;
        if (!principalExists(kind, principal)) raise(Err::AccountNotFound, {principal});
        const std::string object = permissionObject(objectName, objectType);
        applyPermission(kind, principal, object, objectType, action, rights);
        return 0;
    });
}

void StoreDatabase::dropPermissions(int32_t objectType, std::string_view object) {
    const std::string key = text::fold(object);
    db_->cached("DELETE FROM MSysPermissions WHERE ObjectType=? AND ObjectName=?")
        .args(objectType, key)
        .run();
    if (objectType == objtype::Table) {
        const std::string prefix = key + ".";
        db_->cached("DELETE FROM MSysPermissions WHERE ObjectType=? AND instr(ObjectName, ?)=1")
            .args(objtype::Column, prefix)
            .run();
    }
}

void StoreDatabase::dropPrincipalPermissions(PrincipalKind kind, std::string_view principal) {
    db_->cached("DELETE FROM MSysPermissions WHERE PrincipalKind=? AND Principal=?")
        .args(kind == PrincipalKind::User ? 0 : 1, text::fold(principal))
        .run();
}

}  // namespace jet::store
