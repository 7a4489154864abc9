// The Jet SQL DDL, account and permission statements of the store provider.
#include <algorithm>

#include "jet/Error.h"
#include "jet/QueryText.h"
#include "jet/statement/Dml.h"
#include "jet/store/StoredValue.h"
#include "jet/store/Password.h"
#include "jet/store/StoreDatabase.h"
#include "jet/store/StoreWorkgroup.h"
#include "text/CaseFold.h"

namespace jet::store {

namespace {

void checkReserved(std::string_view name) {
    const std::string f = text::fold(name);
    if (f.rfind("msys", 0) == 0 || f.rfind("sqlite_", 0) == 0) raise(Err::ReservedName, {name});
}

// The provider reaches a table's rows by their own numbers, under a name no
// field of the table takes (rowNumber in Metadata.h).
void checkRowNumber(const TableDef& t) {
    if (rowNumber(t).empty())
        raise(Err::General, {"Table '" + t.name +
                             "' cannot have fields named rowid, _rowid_ and oid all three."});
}

ColumnDef columnFrom(const ColumnSpec& s) {
    ColumnDef c;
    c.name = s.name;
    c.type = s.type.type;
    c.size = s.type.size;
    c.precision = s.type.precision;
    c.scale = s.type.scale;
    c.required = s.notNull;
    c.autoIncrement = s.type.counter;
    c.seed = s.type.seed;
    c.increment = s.type.increment;
    c.compressed = s.compressed;
    c.defaultValue = s.defaultValue.value_or("");
    return c;
}

std::string columnDecl(const ColumnDef& c) {
    return sql::ident(c.name) + " " + std::string(sqlType(c.type));
}

bool sameColumnSet(const std::vector<std::string>& a, const std::vector<IndexColumnData>& b) {
    if (a.size() != b.size()) return false;
    for (const auto& n : a) {
        bool found = false;
        for (const auto& c : b)
            if (text::equalNoCase(c.name, n)) found = true;
        if (!found) return false;
    }
    return true;
}

// The index a new relationship's index shares, as Jet keeps both in one
// physical index: one on the same columns in the same order, all ascending;
// a primary key first, then a unique index, then any other. Null when none.
const IndexDef* sharedIndex(const TableDef& t, const std::vector<IndexColumnData>& cols) {
    const IndexDef* best = nullptr;
    const auto rank = [](const IndexDef& ix) { return ix.primary ? 2 : ix.unique ? 1 : 0; };
    for (const auto& ix : t.indexes) {
        if (ix.foreign || ix.columns.size() != cols.size()) continue;
        bool same = true;
        for (size_t i = 0; i < cols.size() && same; ++i)
            same = text::equalNoCase(ix.columns[i].name, cols[i].name) &&
                   ix.columns[i].sortOrder == cols[i].sortOrder;
        if (same && (!best || rank(ix) > rank(*best))) best = &ix;
    }
    return best;
}

// A name for an unnamed constraint, free among the table's indexes.
std::string freeIndexName(TableDef& t, std::string base) {
    std::string name = base;
    for (int n = 1; t.index(name) || t.foreignKey(name); ++n) name = base + std::to_string(n);
    return name;
}

}  // namespace

TableDef& StoreDatabase::requireTable(std::string_view name) {
    TableDef* t = model_.table(name);
    if (!t) raise(Err::TableNotFound, {name});
    return *t;
}

int32_t StoreDatabase::run(const Parsed& p, Work& w) {
    const Statement& st = p.statement;
    if (auto* a = std::get_if<CreateTable>(&st)) createTable(*a, w);
    if (auto* a = std::get_if<AddColumn>(&st)) addColumn(*a, w);
    if (auto* a = std::get_if<AlterColumn>(&st)) alterColumn(*a, w);
    if (auto* a = std::get_if<DropColumn>(&st)) dropColumn(*a, w);
    if (auto* a = std::get_if<AddConstraint>(&st))
        addConstraint(requireTable(a->table), a->constraint, "", w);
    if (auto* a = std::get_if<DropConstraint>(&st)) dropConstraint(*a, w);
    if (auto* a = std::get_if<DropTable>(&st)) dropTable(*a, w);
    if (auto* a = std::get_if<CreateIndex>(&st)) createIndex(*a, w);
    if (auto* a = std::get_if<DropIndex>(&st)) dropIndex(requireTable(a->table), a->name, w);
    if (auto* a = std::get_if<CreateQuery>(&st)) createQuery(*a);
    if (auto* a = std::get_if<DropQuery>(&st)) dropQuery(*a);
    w.catalogSame = std::holds_alternative<AlterDatabasePassword>(st) ||
                    std::holds_alternative<GrantRevoke>(st) || std::holds_alternative<Dml>(st);
    if (auto* a = std::get_if<AlterDatabasePassword>(&st)) databasePassword(*a);
    if (auto* a = std::get_if<GrantRevoke>(&st)) grantRevoke(*a);
    if (auto* a = std::get_if<Dml>(&st)) return dml(p, *a);
    return -1;
}

// --- tables and columns -----------------------------------------------------------------

void StoreDatabase::createTable(const CreateTable& s, Work& w) {
    checkReserved(s.name);
    if (model_.table(s.name)) raise(Err::TableExists, {s.name});
    if (model_.query(s.name)) raise(Err::ObjectExists, {s.name});
    if (s.columns.size() > limit::ColumnsPerTable) raise(Err::TooManyFields);
    for (const auto& cs : s.columns)
        if (cs.defaultValue) checkDefault(*cs.defaultValue, "CREATE TABLE", model_);
    TableDef t;
    t.name = s.name;
    std::string decl;
    for (const auto& cs : s.columns) {
        if (t.column(cs.name)) raise(Err::FieldExists, {cs.name, s.name});
        t.columns.push_back(columnFrom(cs));
        if (!decl.empty()) decl += ", ";
        decl += columnDecl(t.columns.back());
    }
    checkRowNumber(t);
    db_->exec("CREATE TABLE " + sql::ident(t.name) + " (" + decl + ")");
    saveTable(*db_, t);
    const std::string key = text::fold(t.name);
    TableDef& ref = model_.tables[key] = std::move(t);
    w.touched.insert(key);
    for (const auto& c : ref.columns)
        if (c.autoIncrement) setCounter(ref, c, c.seed);
    for (const auto& cs : s.columns)
        for (const auto& k : cs.constraints) addConstraint(ref, k, cs.name, w);
    for (const auto& k : s.constraints) addConstraint(ref, k, "", w);
}

void StoreDatabase::addColumn(const AddColumn& s, Work& w) {
    TableDef& t = requireTable(s.table);
    if (t.column(s.column.name)) raise(Err::FieldExists, {s.column.name, t.name});
    if (t.columns.size() >= limit::ColumnsPerTable) raise(Err::TooManyFields);
    if (s.column.defaultValue) checkDefault(*s.column.defaultValue, "ALTER TABLE", model_);
    const ColumnDef c = columnFrom(s.column);
    TableDef to = t;
    to.columns.push_back(c);
    checkRowNumber(to);
    if (c.autoIncrement && hasRows(t)) {
        // Existing rows are numbered in their order, as Jet does.
        std::vector<std::string> sources;
        for (const auto& old : t.columns) sources.push_back(sql::ident(old.name));
        sources.push_back(std::to_string(c.seed) + " + " + std::to_string(c.increment) +
                          " * (row_number() OVER (ORDER BY " + std::string(rowNumber(t)) +
                          ") - 1)");
        const int64_t rows = db_->scalar("SELECT count(*) FROM " + sql::ident(t.name));
        rebuild(t, to, sources);
        t = std::move(to);
        setCounter(t, t.columns.back(), c.seed + c.increment * rows);
    } else {
        db_->exec("ALTER TABLE " + sql::ident(t.name) + " ADD COLUMN " + columnDecl(c));
        t.columns.push_back(c);
        if (c.autoIncrement) setCounter(t, c, c.seed);
    }
    w.touched.insert(text::fold(t.name));
    for (const auto& k : s.column.constraints) addConstraint(t, k, c.name, w);
}

void StoreDatabase::alterColumn(const AlterColumn& s, Work& w) {
    TableDef& t = requireTable(s.table);
    ColumnDef* old = t.column(s.column.name);
    if (!old) raise(Err::FieldNotFound, {s.column.name, t.name});
    if (s.column.defaultValue) checkDefault(*s.column.defaultValue, "ALTER TABLE", model_);
    // A new definition of type, size, nullability and compression; the
    // column's other properties stay.
    const ColumnDef fresh = columnFrom(s.column);
    ColumnDef c = *old;
    c.type = fresh.type;
    c.size = fresh.size;
    c.precision = fresh.precision;
    c.scale = fresh.scale;
    c.required = fresh.required;
    c.autoIncrement = fresh.autoIncrement;
    c.seed = fresh.seed;
    c.increment = fresh.increment;
    c.compressed = fresh.compressed;
    if (s.column.defaultValue) c.defaultValue = *s.column.defaultValue;
    const bool retyped = c.type != old->type || c.size != old->size ||
                         c.precision != old->precision || c.scale != old->scale;
    if (retyped) {
        // Jet keeps the fields of a relationship as they are (drop it first).
        for (const auto& fk : t.foreignKeys)
            for (const auto& kc : fk.columns)
                if (text::equalNoCase(kc.name, old->name))
                    raise(Err::FieldInRelationship, {old->name});
        for (const auto& [key, n] : model_.referrersOf(t.name))
            if (const TableDef* child = model_.tableByKey(key))
                for (const auto& fk : child->foreignKeys)
                    if (text::equalNoCase(fk.relatedTable, t.name))
                        for (const auto& kc : fk.columns)
                            if (text::equalNoCase(kc.relatedColumn, old->name))
                                raise(Err::FieldInRelationship, {old->name});
    }
    const bool populated = hasRows(t);
    if (c.autoIncrement && !old->autoIncrement && populated)
        raise(Err::CounterOnData, {old->name, t.name});

    TableDef to = t;
    std::vector<std::string> sources;
    for (auto& col : to.columns) {
        if (!text::equalNoCase(col.name, c.name)) {
            sources.push_back(sql::ident(col.name));
            continue;
        }
        const bool sameType = col.type == c.type && col.size == c.size &&
                              col.precision == c.precision && col.scale == c.scale;
        sources.push_back(
            sameType ? sql::ident(col.name)
                     : "jet_convert(" + sql::ident(col.name) + ", " + std::to_string(c.type) +
                           ", " + std::to_string(c.size) + ", " + std::to_string(c.precision) +
                           ", " + std::to_string(c.scale) + ", 0, " + sql::literal(col.name) +
                           ", " + sql::literal(s.column.type.text) + ")");
        col = c;
    }
    rebuild(t, to, sources);
    if (c.required && hasNull(t, c.name)) raise(Err::NullNotAllowed, {c.name});
    const bool wasCounter = old->autoIncrement;
    const int32_t oldSeed = old->seed;
    t = std::move(to);
    const ColumnDef& now = *t.column(c.name);
    if (now.autoIncrement && (!wasCounter || (oldSeed != now.seed && !populated)))
        setCounter(t, now, now.seed);
    if (!now.autoIncrement && wasCounter)
        db_->cached("DELETE FROM MSysCounters WHERE TableId=? AND ColumnName=?")
            .args(t.id, text::fold(now.name))
            .run();
    w.touched.insert(text::fold(t.name));
    for (const auto& k : s.column.constraints) addConstraint(t, k, now.name, w);
}

void StoreDatabase::dropColumn(const DropColumn& s, Work& w) {
    TableDef& t = requireTable(s.table);
    const ColumnDef* col = t.column(s.column);
    if (!col) raise(Err::FieldNotFound, {s.column, t.name});
    for (const auto& ix : t.indexes)
        for (const auto& ic : ix.columns)
            if (text::equalNoCase(ic.name, col->name)) raise(Err::FieldInIndex);
    if (t.columns.size() == 1) raise(Err::LastColumn, {col->name, t.name});
    const std::string name = col->name;
    TableDef to = t;
    std::erase_if(to.columns, [&](const ColumnDef& c) { return text::equalNoCase(c.name, name); });
    std::vector<std::string> sources;
    for (const auto& c : to.columns) sources.push_back(sql::ident(c.name));
    rebuild(t, to, sources);
    t = std::move(to);
    db_->cached("DELETE FROM MSysCounters WHERE TableId=? AND ColumnName=?")
        .args(t.id, text::fold(name))
        .run();
    dropPermissions(objtype::Column, t.name + "." + name);
    w.touched.insert(text::fold(t.name));
}

void StoreDatabase::dropTable(const DropTable& s, Work& w) {
    TableDef& t = requireTable(s.name);
    const std::string key = text::fold(t.name);
    for (const auto& [other, n] : model_.referrersOf(t.name))
        if (const TableDef* child = model_.tableByKey(other); child && other != key)
            raise(Err::TableInRelationship, {t.name, child->name});
    for (const auto& fk : t.foreignKeys) w.retrigger.insert(text::fold(fk.relatedTable));
    // SQLite drops the table's triggers with it.
    db_->exec("DROP TABLE " + sql::ident(t.name));
    forgetTriggers(t);
    armed_.erase(key);
    dropPermissions(objtype::Table, t.name);
    w.removed.insert(t.id);
    w.touched.erase(key);
    w.retrigger.erase(key);
    for (const auto& fk : t.foreignKeys) model_.forgetRelationship(t.name, fk);
    model_.tables.erase(key);
}

// --- keys and indexes -------------------------------------------------------------------

size_t StoreDatabase::indexCount(const TableDef& t) const {
    size_t n = t.indexes.size();
    for (const auto& [child, keys] : model_.referrersOf(t.name)) n += static_cast<size_t>(keys);
    return n;
}

void StoreDatabase::addIndex(TableDef& t, IndexDef ix, Work& w) {
    if (t.index(ix.name)) raise(Err::IndexExists, {ix.name, t.name});
    if (ix.columns.size() > limit::ColumnsPerIndex) raise(Err::TooManyIndexFields);
    if (indexCount(t) >= limit::IndexesPerTable) raise(Err::TooManyIndexes, {t.name});
    if (ix.primary)
        for (const auto& other : t.indexes)
            if (other.primary) raise(Err::PrimaryKeyExists, {t.name});
    std::string anyNull;
    for (auto& ic : ix.columns) {
        const ColumnDef* c = t.column(ic.name);
        if (!c) raise(Err::FieldNotFound, {ic.name, t.name});
        ic.name = c->name;
        if (!anyNull.empty()) anyNull += " OR ";
        anyNull += sql::ident(c->name) + " IS NULL";
    }
    if ((ix.primary || ix.nulls == indexnulls::Disallow) && !anyNull.empty() &&
        db_->scalar("SELECT EXISTS(SELECT 1 FROM " + sql::ident(t.name) + " WHERE " + anyNull +
                    ")"))
        raise(Err::IndexNullNotAllowed);
    createSqlIndex(t, ix);
    t.indexes.push_back(std::move(ix));
    w.touched.insert(text::fold(t.name));
}

void StoreDatabase::addConstraint(TableDef& t, const ConstraintSpec& c, const std::string& column,
                                  Work& w) {
    std::vector<std::string> cols = c.columns;
    if (cols.empty() && !column.empty()) cols.push_back(column);
    for (auto& n : cols) {
        const ColumnDef* col = t.column(n);
        if (!col) raise(Err::FieldNotFound, {n, t.name});
        n = col->name;
    }
    const auto indexColumns = [&]() {
        std::vector<IndexColumnData> out;
        for (const auto& n : cols) out.push_back({n, kSortAscending});
        return out;
    };
    switch (c.kind) {
        case ConstraintSpec::Kind::NotNull:
            for (const auto& n : cols) {
                if (hasNull(t, n)) raise(Err::NullNotAllowed, {n});
                t.column(n)->required = true;
            }
            w.touched.insert(text::fold(t.name));
            return;
        case ConstraintSpec::Kind::Primary: {
            IndexDef ix;
            ix.name = c.name.empty() ? freeIndexName(t, "PrimaryKey") : c.name;
            ix.unique = true;
            ix.primary = true;
            ix.nulls = indexnulls::Disallow;
            ix.columns = indexColumns();
            addIndex(t, std::move(ix), w);
            return;
        }
        case ConstraintSpec::Kind::Unique: {
            IndexDef ix;
            ix.name = c.name.empty() ? freeIndexName(t, cols.front()) : c.name;
            ix.unique = true;
            ix.columns = indexColumns();
            addIndex(t, std::move(ix), w);
            return;
        }
        case ConstraintSpec::Kind::Foreign:
            break;
    }
    TableDef& r = requireTable(c.relatedTable);
    std::vector<std::string> related = c.relatedColumns;
    if (related.empty()) {
        for (const auto& ix : r.indexes)
            if (ix.primary)
                for (const auto& ic : ix.columns) related.push_back(ic.name);
        if (related.empty()) raise(Err::NoUniqueIndex);
    }
    const std::string name = c.name.empty() ? freeIndexName(t, r.name + t.name) : c.name;
    if (related.size() != cols.size()) raise(Err::RelationshipColumns, {name});
    for (auto& n : related) {
        const ColumnDef* col = r.column(n);
        if (!col) raise(Err::FieldNotFound, {n, r.name});
        n = col->name;
    }
    bool keyed = false;
    for (const auto& ix : r.indexes)
        if (ix.unique && !ix.foreign && sameColumnSet(related, ix.columns)) keyed = true;
    if (!keyed) raise(Err::NoUniqueIndex);
    if (t.index(name) || t.foreignKey(name)) raise(Err::IndexExists, {name, t.name});
    // Relationship names are the database's, not one table's.
    if (model_.relationshipExists(name)) raise(Err::ObjectExists, {name});
    // Jet keeps an index entry for the relationship on the related table too.
    const size_t own = &r == &t ? 1 : 0;  // a table that refers to itself
    if (indexCount(r) + own >= limit::IndexesPerTable) raise(Err::TooManyIndexes, {r.name});
    ForeignKeyDef fk;
    fk.name = name;
    fk.relatedTable = r.name;
    fk.updateRule = c.updateRule;
    fk.deleteRule = c.deleteRule;
    std::string notNull;
    std::string match;
    for (size_t i = 0; i < cols.size(); ++i) {
        fk.columns.push_back({cols[i], related[i]});
        if (i) {
            notNull += " AND ";
            match += " AND ";
        }
        notNull += "c." + sql::ident(cols[i]) + " IS NOT NULL";
        match += "p." + sql::ident(related[i]) + " = c." + sql::ident(cols[i]);
    }
    if (db_->scalar("SELECT EXISTS(SELECT 1 FROM " + sql::ident(t.name) + " AS c WHERE " + notNull +
                    " AND NOT EXISTS (SELECT 1 FROM " + sql::ident(r.name) + " AS p WHERE " +
                    match + "))"))
        raise(Err::RelationshipViolation, {name, t.name});
    IndexDef ix;
    ix.name = name;
    ix.foreign = true;
    ix.columns = indexColumns();
    // A one-to-one relationship's index is unique: it shares the unique index
    // already on its columns. Only an index made before the relationship is
    // shared; one made after it gets a physical index of its own.
    if (const IndexDef* shared = sharedIndex(t, ix.columns)) {
        ix.unique = shared->unique;
        ix.nulls = shared->nulls;
    }
    addIndex(t, std::move(ix), w);
    model_.noteRelationship(t.name, fk);
    t.foreignKeys.push_back(std::move(fk));
    w.retrigger.insert(text::fold(r.name));
}

void StoreDatabase::createIndex(const CreateIndex& s, Work& w) {
    TableDef& t = requireTable(s.table);
    IndexDef ix;
    ix.name = s.name;
    ix.primary = s.primary;
    ix.unique = s.unique || s.primary;
    ix.nulls = s.primary ? indexnulls::Disallow : s.nulls;
    ix.columns = s.columns;
    addIndex(t, std::move(ix), w);
}

void StoreDatabase::dropIndex(TableDef& t, const std::string& name, Work& w) {
    IndexDef* ix = t.index(name);
    if (!ix) raise(Err::IndexNotFound, {name, t.name});
    if (ix->foreign) raise(Err::IndexInRelationship);
    if (ix->unique) {
        // The key a relationship refers to stays while another unique index
        // on the same columns could take its place.
        for (const auto& [key, n] : model_.referrersOf(t.name)) {
            const TableDef* child = model_.tableByKey(key);
            if (!child) continue;
            for (const auto& fk : child->foreignKeys) {
                if (!text::equalNoCase(fk.relatedTable, t.name)) continue;
                std::vector<std::string> related;
                for (const auto& kc : fk.columns) related.push_back(kc.relatedColumn);
                if (!sameColumnSet(related, ix->columns)) continue;
                bool other = false;
                for (const auto& o : t.indexes)
                    if (&o != ix && o.unique && !o.foreign && sameColumnSet(related, o.columns))
                        other = true;
                if (!other) raise(Err::IndexInRelationship);
            }
        }
    }
    db_->exec("DROP INDEX IF EXISTS " + sql::ident(sqlIndexName(t, *ix)));
    const std::string stored = ix->name;
    std::erase_if(t.indexes, [&](const IndexDef& i) { return text::equalNoCase(i.name, stored); });
    w.touched.insert(text::fold(t.name));
}

void StoreDatabase::dropConstraint(const DropConstraint& s, Work& w) {
    TableDef& t = requireTable(s.table);
    if (ForeignKeyDef* fk = t.foreignKey(s.name)) {
        const std::string name = fk->name;
        w.retrigger.insert(text::fold(fk->relatedTable));
        model_.forgetRelationship(t.name, *fk);
        std::erase_if(t.foreignKeys,
                      [&](const ForeignKeyDef& k) { return text::equalNoCase(k.name, name); });
        if (IndexDef* ix = t.index(name); ix && ix->foreign) {
            db_->exec("DROP INDEX IF EXISTS " + sql::ident(sqlIndexName(t, *ix)));
            std::erase_if(t.indexes,
                          [&](const IndexDef& i) { return text::equalNoCase(i.name, name); });
        }
        w.touched.insert(text::fold(t.name));
        return;
    }
    if (IndexDef* ix = t.index(s.name); ix && !ix->foreign && (ix->primary || ix->unique)) {
        dropIndex(t, ix->name, w);
        return;
    }
    raise(Err::ConstraintNotFound, {s.name, t.name});
}

// --- queries -------------------------------------------------------------------------------

void StoreDatabase::createQuery(const CreateQuery& s) {
    checkReserved(s.name);
    if (model_.table(s.name) || model_.query(s.name)) raise(Err::ObjectExists, {s.name});
    QueryDef q{s.name, s.body, isViewQuery(s.body)};
    saveQuery(*db_, q);
    model_.queries[text::fold(q.name)] = std::move(q);
}

void StoreDatabase::dropQuery(const DropQuery& s) {
    QueryDef* q = model_.query(s.name);
    if (!q) raise(Err::TableNotFound, {s.name});
    deleteQuery(*db_, q->name);
    dropPermissions(q->view ? objtype::View : objtype::Procedure, q->name);
    model_.queries.erase(text::fold(q->name));
}

// --- passwords, accounts and permissions ------------------------------------------------------

void StoreDatabase::databasePassword(const AlterDatabasePassword& s) {
    const auto current = databaseProperty(*db_, "PasswordHash");
    const std::string old = s.oldPassword.value_or("");
    if (current ? !verifyPassword(*current, old) : !old.empty()) raise(Err::BadDatabasePassword);
    if (!s.newPassword || s.newPassword->empty())
        setDatabaseProperty(*db_, "PasswordHash", std::nullopt);
    else
        setDatabaseProperty(*db_, "PasswordHash", hashPassword(*s.newPassword));
}

void StoreDatabase::grantRevoke(const GrantRevoke& s) {
    workgroup();
    int32_t type = objtype::Database;
    std::string object;
    if (s.target != 2) {
        if (model_.table(s.object)) {
            type = objtype::Table;
        } else if (const QueryDef* q = model_.query(s.object)) {
            type = q->view ? objtype::View : objtype::Procedure;
        } else {
            type = objtype::Table;
        }
        object = permissionObject(s.object, type);
    }
    for (const auto& p : s.principals) {
        PrincipalKind kind = PrincipalKind::User;
        if (!principalExists(kind, p)) {
            kind = PrincipalKind::Group;
            if (!principalExists(kind, p)) raise(Err::AccountNotFound, {p});
        }
        applyPermission(kind, p, object, type, s.grant ? access::Grant : access::Revoke, s.rights);
    }
}

namespace {

std::string_view nameOf(const Account& a) { return a.name; }
std::string_view nameOf(const std::string& n) { return n; }

// True when the name of items[i] stands earlier in the list too.
template <class T>
bool repeated(const std::vector<T>& items, size_t i) {
    for (size_t k = 0; k < i; ++k)
        if (text::equalNoCase(nameOf(items[k]), nameOf(items[i]))) return true;
    return false;
}

// Applies `change` to each item in turn; when one fails, `undo` takes back
// the ones done before it, so that the statement changes nothing.
template <class T, class Change, class Undo>
void allOrNothing(const std::vector<T>& items, Change change, Undo undo) {
    size_t done = 0;
    try {
        for (; done < items.size(); ++done) change(items[done]);
    } catch (...) {
        while (done > 0) {
            try {
                undo(items[--done]);
            } catch (...) {
            }
        }
        throw;
    }
}

}  // namespace

void StoreDatabase::accounts(const Statement& st) {
    Workgroup& wg = workgroup();
    // Names are checked first, so that a statement that cannot succeed
    // changes nothing.
    const auto checkNew = [&](const std::vector<Account>& list) {
        for (size_t i = 0; i < list.size(); ++i) {
            const std::string& n = list[i].name;
            if (principalExists(PrincipalKind::User, n) ||
                principalExists(PrincipalKind::Group, n) || repeated(list, i))
                raise(Err::AccountExists, {n});
        }
    };
    const auto drop = [&](PrincipalKind kind, const std::vector<std::string>& names) {
        for (size_t i = 0; i < names.size(); ++i)
            if (!principalExists(kind, names[i]) || repeated(names, i))
                raise(Err::AccountNotFound, {names[i]});
        // The rights go in the database's transaction, which commits only
        // once the accounts are gone: a failed drop leaves them in place.
        inTransaction([&](Work& w) -> int32_t {
            w.catalogSame = true;
            for (const auto& n : names) {
                dropPrincipalPermissions(kind, n);
                if (kind == PrincipalKind::User)
                    wg.dropUser(n);
                else
                    wg.dropGroup(n);
            }
            return 0;
        });
    };
    if (auto* cu = std::get_if<CreateUsers>(&st)) {
        checkNew(cu->users);
        allOrNothing(
            cu->users, [&](const Account& a) { wg.createUser(a.name, a.password, a.pid); },
            [&](const Account& a) { wg.dropUser(a.name); });
    } else if (auto* cg = std::get_if<CreateGroups>(&st)) {
        checkNew(cg->groups);
        allOrNothing(
            cg->groups, [&](const Account& a) { wg.createGroup(a.name, a.pid); },
            [&](const Account& a) { wg.dropGroup(a.name); });
    } else if (auto* du = std::get_if<DropUsers>(&st)) {
        drop(PrincipalKind::User, du->names);
    } else if (auto* dg = std::get_if<DropGroups>(&st)) {
        drop(PrincipalKind::Group, dg->names);
    } else if (auto* am = std::get_if<AddMembers>(&st)) {
        allOrNothing(
            am->users, [&](const std::string& u) { wg.addMember(u, am->group); },
            [&](const std::string& u) { wg.removeMember(u, am->group); });
    } else if (auto* rm = std::get_if<RemoveMembers>(&st)) {
        allOrNothing(
            rm->users, [&](const std::string& u) { wg.removeMember(u, rm->group); },
            [&](const std::string& u) { wg.addMember(u, rm->group); });
    } else if (auto* ap = std::get_if<AlterUserPassword>(&st)) {
        auto* own = dynamic_cast<StoreWorkgroup*>(&wg);
        if (!own) raise(Err::ReadOnly);
        own->changePassword(ap->user, ap->newPassword, ap->oldPassword);
    }
}

}  // namespace jet::store
