// The Jet SQL schema statements on the shared model (Executor.h).
#include "jet/statement/Executor.h"

#include <algorithm>

#include "jet/Error.h"
#include "jet/QueryText.h"
#include "jet/statement/Dml.h"
#include "text/CaseFold.h"

namespace jet::statement {

namespace {

// Jet keeps the names of its own tables; the store's SQLite keeps those of
// its own, and both providers refuse them alike.
void checkReserved(std::string_view name) {
    const std::string f = text::fold(name);
    if (f.rfind("msys", 0) == 0 || f.rfind("sqlite_", 0) == 0) raise(Err::ReservedName, {name});
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
std::string freeIndexName(const TableDef& t, std::string base) {
    std::string name = base;
    for (int n = 1; t.index(name) || t.foreignKey(name); ++n) name = base + std::to_string(n);
    return name;
}

bool sameType(const ColumnDef& a, const ColumnDef& b) {
    return a.type == b.type && a.size == b.size && a.precision == b.precision && a.scale == b.scale;
}

}  // namespace

FieldValue convertColumnValue(const FieldValue& value, const ColumnConversion& conversion) {
    FieldValue out;
    if (convertValue(value, conversion.target, out) != ConvertResult::Ok)
        raise(Err::ConversionFailed, {conversion.column, conversion.typeText});
    return out;
}

bool isSchemaStatement(const Statement& s) {
    return std::holds_alternative<CreateTable>(s) || std::holds_alternative<AddColumn>(s) ||
           std::holds_alternative<AlterColumn>(s) || std::holds_alternative<DropColumn>(s) ||
           std::holds_alternative<AddConstraint>(s) || std::holds_alternative<DropConstraint>(s) ||
           std::holds_alternative<DropTable>(s) || std::holds_alternative<CreateIndex>(s) ||
           std::holds_alternative<DropIndex>(s) || std::holds_alternative<CreateQuery>(s) ||
           std::holds_alternative<DropQuery>(s);
}

TableDef& Executor::requireTable(std::string_view name) {
    TableDef* t = model_.table(name);
    if (!t) raise(Err::TableNotFound, {name});
    return *t;
}

void Executor::run(const Statement& st) {
    if (auto* a = std::get_if<CreateTable>(&st)) createTable(*a);
    if (auto* a = std::get_if<AddColumn>(&st)) addColumn(*a);
    if (auto* a = std::get_if<AlterColumn>(&st)) alterColumn(*a);
    if (auto* a = std::get_if<DropColumn>(&st)) dropColumn(*a);
    if (auto* a = std::get_if<AddConstraint>(&st))
        addConstraint(requireTable(a->table), a->constraint, "");
    if (auto* a = std::get_if<DropConstraint>(&st)) dropConstraint(*a);
    if (auto* a = std::get_if<DropTable>(&st)) dropTable(*a);
    if (auto* a = std::get_if<CreateIndex>(&st)) createIndex(*a);
    if (auto* a = std::get_if<DropIndex>(&st)) dropIndex(requireTable(a->table), a->name);
    if (auto* a = std::get_if<CreateQuery>(&st)) createQuery(*a);
    if (auto* a = std::get_if<DropQuery>(&st)) dropQuery(*a);
}

// --- tables and columns -----------------------------------------------------------------

void Executor::createTable(const CreateTable& s) {
    checkReserved(s.name);
    if (model_.table(s.name)) raise(Err::TableExists, {s.name});
    if (model_.query(s.name)) raise(Err::ObjectExists, {s.name});
    if (s.columns.size() > limit::ColumnsPerTable) raise(Err::TooManyFields);
    for (const auto& cs : s.columns)
        if (cs.defaultValue) checkDefault(*cs.defaultValue, "CREATE TABLE", model_);
    TableDef t;
    t.name = s.name;
    for (const auto& cs : s.columns) {
        if (t.column(cs.name)) raise(Err::FieldExists, {cs.name, s.name});
        t.columns.push_back(columnFrom(cs));
    }
    storage_.createTable(t);
    TableDef& ref = model_.tables[text::fold(t.name)] = std::move(t);
    for (const auto& c : ref.columns)
        if (c.autoIncrement) storage_.setCounter(ref, c, c.seed);
    for (const auto& cs : s.columns)
        for (const auto& k : cs.constraints) addConstraint(ref, k, cs.name);
    for (const auto& k : s.constraints) addConstraint(ref, k, "");
}

void Executor::addColumn(const AddColumn& s) {
    TableDef& t = requireTable(s.table);
    if (t.column(s.column.name)) raise(Err::FieldExists, {s.column.name, t.name});
    if (t.columns.size() >= limit::ColumnsPerTable) raise(Err::TooManyFields);
    if (s.column.defaultValue) checkDefault(*s.column.defaultValue, "ALTER TABLE", model_);
    const ColumnDef c = columnFrom(s.column);
    TableDef to = t;
    to.columns.push_back(c);
    // Existing rows are numbered in their order, as Jet does.
    int64_t rows = 0;
    if (c.autoIncrement && storage_.hasRows(t)) rows = storage_.rowCount(t);
    storage_.addColumn(t, to, c);
    t = std::move(to);
    if (c.autoIncrement) storage_.setCounter(t, c, c.seed + c.increment * rows);
    for (const auto& k : s.column.constraints) addConstraint(t, k, c.name);
}

void Executor::alterColumn(const AlterColumn& s) {
    TableDef& t = requireTable(s.table);
    const ColumnDef* old = t.column(s.column.name);
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
    const bool retyped = !sameType(c, *old);
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
    const bool populated = storage_.hasRows(t);
    if (c.autoIncrement && !old->autoIncrement && populated)
        raise(Err::CounterOnData, {old->name, t.name});
    const bool wasCounter = old->autoIncrement;
    const int32_t oldSeed = old->seed;

    TableDef to = t;
    *to.column(c.name) = c;
    std::optional<ColumnConversion> conversion;
    if (retyped)
        conversion = ColumnConversion{Target{c.type, c.size, c.precision, c.scale}, old->name,
                                      s.column.type.text};
    storage_.alterColumn(t, to, c, conversion);
    if (c.required && storage_.hasNull(to, {c.name})) raise(Err::NullNotAllowed, {c.name});
    t = std::move(to);
    const ColumnDef& now = *t.column(c.name);
    if (now.autoIncrement && (!wasCounter || (oldSeed != now.seed && !populated)))
        storage_.setCounter(t, now, now.seed);
    for (const auto& k : s.column.constraints) addConstraint(t, k, now.name);
}

void Executor::dropColumn(const DropColumn& s) {
    TableDef& t = requireTable(s.table);
    const ColumnDef* col = t.column(s.column);
    if (!col) raise(Err::FieldNotFound, {s.column, t.name});
    for (const auto& ix : t.indexes)
        for (const auto& ic : ix.columns)
            if (text::equalNoCase(ic.name, col->name)) raise(Err::FieldInIndex);
    if (t.columns.size() == 1) raise(Err::LastColumn, {col->name, t.name});
    const ColumnDef dropped = *col;
    TableDef to = t;
    std::erase_if(to.columns,
                  [&](const ColumnDef& c) { return text::equalNoCase(c.name, dropped.name); });
    storage_.dropColumn(t, to, dropped);
    storage_.dropPermissions(objtype::Column, t.name + "." + dropped.name);
    t = std::move(to);
}

void Executor::dropTable(const DropTable& s) {
    TableDef& t = requireTable(s.name);
    const std::string key = text::fold(t.name);
    for (const auto& [other, n] : model_.referrersOf(t.name))
        if (const TableDef* child = model_.tableByKey(other); child && other != key)
            raise(Err::TableInRelationship, {t.name, child->name});
    storage_.dropTable(t);
    storage_.dropPermissions(objtype::Table, t.name);
    for (const auto& fk : t.foreignKeys) model_.forgetRelationship(t.name, fk);
    model_.tables.erase(key);
}

// --- keys and indexes -------------------------------------------------------------------

size_t Executor::indexCount(const TableDef& t) const {
    size_t n = t.indexes.size();
    for (const auto& [child, keys] : model_.referrersOf(t.name)) n += static_cast<size_t>(keys);
    return n;
}

void Executor::checkIndex(const TableDef& t, IndexDef& ix) {
    if (t.index(ix.name)) raise(Err::IndexExists, {ix.name, t.name});
    if (ix.columns.size() > limit::ColumnsPerIndex) raise(Err::TooManyIndexFields);
    if (indexCount(t) >= limit::IndexesPerTable) raise(Err::TooManyIndexes, {t.name});
    if (ix.primary)
        for (const auto& other : t.indexes)
            if (other.primary) raise(Err::PrimaryKeyExists, {t.name});
    std::vector<std::string> names;
    for (auto& ic : ix.columns) {
        const ColumnDef* c = t.column(ic.name);
        if (!c) raise(Err::FieldNotFound, {ic.name, t.name});
        ic.name = c->name;
        names.push_back(c->name);
    }
    if ((ix.primary || ix.nulls == indexnulls::Disallow) && !names.empty() &&
        storage_.hasNull(t, names))
        raise(Err::IndexNullNotAllowed);
}

void Executor::addIndex(TableDef& t, IndexDef ix) {
    checkIndex(t, ix);
    TableDef to = t;
    to.indexes.push_back(ix);
    storage_.addIndex(t, to, to.indexes.back());
    t = std::move(to);
}

void Executor::addConstraint(TableDef& t, const ConstraintSpec& c, const std::string& column) {
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
                if (storage_.hasNull(t, {n})) raise(Err::NullNotAllowed, {n});
                TableDef to = t;
                ColumnDef& required = *to.column(n);
                required.required = true;
                storage_.alterColumn(t, to, required, std::nullopt);
                t = std::move(to);
            }
            return;
        case ConstraintSpec::Kind::Primary: {
            IndexDef ix;
            ix.name = c.name.empty() ? freeIndexName(t, "PrimaryKey") : c.name;
            ix.unique = true;
            ix.primary = true;
            ix.nulls = indexnulls::Disallow;
            ix.columns = indexColumns();
            addIndex(t, std::move(ix));
            return;
        }
        case ConstraintSpec::Kind::Unique: {
            IndexDef ix;
            ix.name = c.name.empty() ? freeIndexName(t, cols.front()) : c.name;
            ix.unique = true;
            ix.columns = indexColumns();
            addIndex(t, std::move(ix));
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
    for (size_t i = 0; i < cols.size(); ++i) fk.columns.push_back({cols[i], related[i]});
    if (storage_.breaksRelationship(t, fk, r)) raise(Err::RelationshipViolation, {name, t.name});
    IndexDef ix;
    ix.name = name;
    ix.foreign = true;
    ix.columns = indexColumns();
    // A one-to-one relationship's index is unique: it shares the unique index
    // already on its columns. Only an index made before the relationship is
    // shared; one made after it gets a physical index of its own, and so does
    // one the provider keeps as its database held it.
    if (const IndexDef* shared = sharedIndex(t, ix.columns);
        shared && !storage_.keepsOwnIndex(t, fk)) {
        ix.unique = shared->unique;
        ix.nulls = shared->nulls;
    }
    checkIndex(t, ix);
    TableDef to = t;
    to.indexes.push_back(std::move(ix));
    to.foreignKeys.push_back(fk);
    storage_.addRelationship(t, to, to.foreignKeys.back(), r);
    t = std::move(to);
    model_.noteRelationship(t.name, fk);
}

void Executor::createIndex(const CreateIndex& s) {
    TableDef& t = requireTable(s.table);
    IndexDef ix;
    ix.name = s.name;
    ix.primary = s.primary;
    ix.unique = s.unique || s.primary;
    ix.nulls = s.primary ? indexnulls::Disallow : s.nulls;
    ix.columns = s.columns;
    addIndex(t, std::move(ix));
}

void Executor::dropIndex(TableDef& t, const std::string& name) {
    const IndexDef* ix = t.index(name);
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
    const IndexDef dropped = *ix;
    TableDef to = t;
    std::erase_if(to.indexes,
                  [&](const IndexDef& i) { return text::equalNoCase(i.name, dropped.name); });
    storage_.dropIndex(t, to, dropped);
    t = std::move(to);
}

void Executor::dropConstraint(const DropConstraint& s) {
    TableDef& t = requireTable(s.table);
    if (const ForeignKeyDef* fk = t.foreignKey(s.name)) {
        const ForeignKeyDef dropped = *fk;
        TableDef to = t;
        std::erase_if(to.foreignKeys, [&](const ForeignKeyDef& k) {
            return text::equalNoCase(k.name, dropped.name);
        });
        if (const IndexDef* ix = t.index(dropped.name); ix && ix->foreign)
            std::erase_if(to.indexes, [&](const IndexDef& i) {
                return text::equalNoCase(i.name, dropped.name);
            });
        storage_.dropRelationship(t, to, dropped);
        model_.forgetRelationship(t.name, dropped);
        t = std::move(to);
        return;
    }
    if (const IndexDef* ix = t.index(s.name); ix && !ix->foreign && (ix->primary || ix->unique)) {
        dropIndex(t, ix->name);
        return;
    }
    raise(Err::ConstraintNotFound, {s.name, t.name});
}

// --- queries -------------------------------------------------------------------------------

void Executor::createQuery(const CreateQuery& s) {
    checkReserved(s.name);
    if (model_.table(s.name) || model_.query(s.name)) raise(Err::ObjectExists, {s.name});
    QueryDef q{s.name, s.body, isViewQuery(s.body)};
    storage_.createQuery(q);
    model_.queries[text::fold(q.name)] = std::move(q);
}

void Executor::dropQuery(const DropQuery& s) {
    const QueryDef* q = model_.query(s.name);
    if (!q) raise(Err::TableNotFound, {s.name});
    storage_.dropQuery(*q);
    storage_.dropPermissions(q->view ? objtype::View : objtype::Procedure, q->name);
    model_.queries.erase(text::fold(q->name));
}

}  // namespace jet::statement
