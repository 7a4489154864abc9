// The schema statements' storage on SQLite: each physical change of the
// shared executor made on the session's connection, inside the statement's
// transaction, and noted in its Work for the metadata and the triggers.
#include "jet/Error.h"
#include "jet/store/StoreDatabase.h"
#include "jet/store/StoredValue.h"
#include "text/CaseFold.h"

namespace jet::store {

namespace {

// The provider reaches a table's rows by their own numbers, under a name no
// field of the table takes (rowNumber in Metadata.h).
void checkRowNumber(const TableDef& t) {
    if (rowNumber(t).empty())
        raise(Err::General, {"Table '" + t.name +
                             "' cannot have fields named rowid, _rowid_ and oid all three."});
}

std::string columnDecl(const ColumnDef& c) {
    return sql::ident(c.name) + " " + std::string(sqlType(c.type));
}

}  // namespace

bool StoreDatabase::SchemaStorage::hasRows(const TableDef& table) { return db_.hasRows(table); }

int64_t StoreDatabase::SchemaStorage::rowCount(const TableDef& table) {
    return db_.db_->scalar("SELECT count(*) FROM " + sql::ident(table.name));
}

bool StoreDatabase::SchemaStorage::hasNull(const TableDef& table,
                                           const std::vector<std::string>& columns) {
    std::string anyNull;
    for (const auto& c : columns) {
        if (!anyNull.empty()) anyNull += " OR ";
        anyNull += sql::ident(c) + " IS NULL";
    }
    return db_.db_->scalar("SELECT EXISTS(SELECT 1 FROM " + sql::ident(table.name) + " WHERE " +
                           anyNull + ")") != 0;
}

bool StoreDatabase::SchemaStorage::breaksRelationship(const TableDef& table,
                                                      const ForeignKeyDef& fk,
                                                      const TableDef& related) {
    std::string notNull;
    std::string match;
    for (size_t i = 0; i < fk.columns.size(); ++i) {
        if (i) {
            notNull += " AND ";
            match += " AND ";
        }
        notNull += "c." + sql::ident(fk.columns[i].name) + " IS NOT NULL";
        match += "p." + sql::ident(fk.columns[i].relatedColumn) + " = c." +
                 sql::ident(fk.columns[i].name);
    }
    return db_.db_->scalar("SELECT EXISTS(SELECT 1 FROM " + sql::ident(table.name) +
                           " AS c WHERE " + notNull + " AND NOT EXISTS (SELECT 1 FROM " +
                           sql::ident(related.name) + " AS p WHERE " + match + "))") != 0;
}

void StoreDatabase::SchemaStorage::createTable(TableDef& table) {
    checkRowNumber(table);
    std::string decl;
    for (const auto& c : table.columns) {
        if (!decl.empty()) decl += ", ";
        decl += columnDecl(c);
    }
    db_.db_->exec("CREATE TABLE " + sql::ident(table.name) + " (" + decl + ")");
    saveTable(*db_.db_, table);
    work_.touched.insert(text::fold(table.name));
}

void StoreDatabase::SchemaStorage::dropTable(const TableDef& table) {
    const std::string key = text::fold(table.name);
    for (const auto& fk : table.foreignKeys) work_.retrigger.insert(text::fold(fk.relatedTable));
    // SQLite drops the table's triggers with it.
    db_.db_->exec("DROP TABLE " + sql::ident(table.name));
    db_.forgetTriggers(table);
    db_.armed_.erase(key);
    work_.removed.insert(table.id);
    work_.touched.erase(key);
    work_.retrigger.erase(key);
}

void StoreDatabase::SchemaStorage::addColumn(const TableDef& was, const TableDef& now,
                                             const ColumnDef& column) {
    checkRowNumber(now);
    if (column.autoIncrement && db_.hasRows(was)) {
        // Existing rows are numbered in their order.
        std::vector<std::string> sources;
        for (const auto& old : was.columns) sources.push_back(sql::ident(old.name));
        sources.push_back(std::to_string(column.seed) + " + " + std::to_string(column.increment) +
                          " * (row_number() OVER (ORDER BY " + std::string(rowNumber(was)) +
                          ") - 1)");
        db_.rebuild(was, now, sources);
    } else {
        db_.db_->exec("ALTER TABLE " + sql::ident(was.name) + " ADD COLUMN " + columnDecl(column));
    }
    work_.touched.insert(text::fold(now.name));
}

void StoreDatabase::SchemaStorage::alterColumn(const TableDef& was, const TableDef& now,
                                               const ColumnDef& column,
                                               const std::optional<ColumnConversion>& conversion) {
    std::vector<std::string> sources;
    for (const auto& col : now.columns) {
        if (!conversion || !text::equalNoCase(col.name, column.name)) {
            sources.push_back(sql::ident(col.name));
            continue;
        }
        const Target& t = conversion->target;
        sources.push_back("jet_convert(" + sql::ident(conversion->column) + ", " +
                          std::to_string(t.type) + ", " + std::to_string(t.size) + ", " +
                          std::to_string(t.precision) + ", " + std::to_string(t.scale) + ", 0, " +
                          sql::literal(conversion->column) + ", " +
                          sql::literal(conversion->typeText) + ")");
    }
    db_.rebuild(was, now, sources);
    const ColumnDef* before = was.column(column.name);
    if (before && before->autoIncrement && !column.autoIncrement)
        db_.db_->cached("DELETE FROM MSysCounters WHERE TableId=? AND ColumnName=?")
            .args(was.id, text::fold(column.name))
            .run();
    work_.touched.insert(text::fold(now.name));
}

void StoreDatabase::SchemaStorage::dropColumn(const TableDef& was, const TableDef& now,
                                              const ColumnDef& column) {
    std::vector<std::string> sources;
    for (const auto& c : now.columns) sources.push_back(sql::ident(c.name));
    db_.rebuild(was, now, sources);
    db_.db_->cached("DELETE FROM MSysCounters WHERE TableId=? AND ColumnName=?")
        .args(was.id, text::fold(column.name))
        .run();
    work_.touched.insert(text::fold(now.name));
}

void StoreDatabase::SchemaStorage::addIndex(const TableDef&, const TableDef& now,
                                            const IndexDef& index) {
    db_.createSqlIndex(now, index);
    work_.touched.insert(text::fold(now.name));
}

void StoreDatabase::SchemaStorage::dropIndex(const TableDef& was, const TableDef& now,
                                             const IndexDef& index) {
    db_.db_->exec("DROP INDEX IF EXISTS " + sql::ident(sqlIndexName(was, index)));
    work_.touched.insert(text::fold(now.name));
}

void StoreDatabase::SchemaStorage::addRelationship(const TableDef&, const TableDef& now,
                                                   const ForeignKeyDef& fk,
                                                   const TableDef& related) {
    db_.createSqlIndex(now, *now.index(fk.name));
    work_.touched.insert(text::fold(now.name));
    work_.retrigger.insert(text::fold(related.name));
}

void StoreDatabase::SchemaStorage::dropRelationship(const TableDef& was, const TableDef& now,
                                                    const ForeignKeyDef& fk) {
    work_.retrigger.insert(text::fold(fk.relatedTable));
    if (const IndexDef* ix = was.index(fk.name); ix && ix->foreign)
        db_.db_->exec("DROP INDEX IF EXISTS " + sql::ident(sqlIndexName(was, *ix)));
    work_.touched.insert(text::fold(now.name));
}

void StoreDatabase::SchemaStorage::setCounter(const TableDef& table, const ColumnDef& column,
                                              int64_t next) {
    db_.setCounter(table, column, next);
}

void StoreDatabase::SchemaStorage::createQuery(const QueryDef& query) {
    saveQuery(*db_.db_, query);
}

void StoreDatabase::SchemaStorage::dropQuery(const QueryDef& query) {
    deleteQuery(*db_.db_, query.name);
}

void StoreDatabase::SchemaStorage::dropPermissions(int32_t objectType, std::string_view name) {
    db_.dropPermissions(objectType, name);
}

}  // namespace jet::store
