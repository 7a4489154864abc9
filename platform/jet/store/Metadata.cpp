#include "jet/store/Metadata.h"

#include "jet/Types.h"
#include "text/CaseFold.h"

namespace jet::store {

namespace {

constexpr const char* kMetadataSchema = R"sql(
CREATE TABLE MSysDatabase(Property TEXT PRIMARY KEY, Value TEXT);
CREATE TABLE MSysTables(Id INTEGER PRIMARY KEY, Name TEXT NOT NULL);
CREATE TABLE MSysColumns(
  TableId INTEGER NOT NULL, Ordinal INTEGER NOT NULL, Name TEXT NOT NULL,
  Type INTEGER NOT NULL, Size INTEGER NOT NULL, Precision INTEGER NOT NULL,
  Scale INTEGER NOT NULL, Required INTEGER NOT NULL, IsCounter INTEGER NOT NULL,
  Seed INTEGER NOT NULL, Increment INTEGER NOT NULL, Compressed INTEGER NOT NULL,
  AllowZeroLength INTEGER NOT NULL, Hyperlink INTEGER NOT NULL, DefaultValue TEXT NOT NULL,
  Description TEXT NOT NULL, ValidationText TEXT NOT NULL, ValidationRule TEXT NOT NULL,
  PRIMARY KEY(TableId, Ordinal)) WITHOUT ROWID;
CREATE TABLE MSysIndexes(
  TableId INTEGER NOT NULL, Position INTEGER NOT NULL, Name TEXT NOT NULL,
  IsUnique INTEGER NOT NULL, IsPrimary INTEGER NOT NULL, Nulls INTEGER NOT NULL,
  IsForeign INTEGER NOT NULL, PRIMARY KEY(TableId, Position)) WITHOUT ROWID;
CREATE TABLE MSysIndexColumns(
  TableId INTEGER NOT NULL, IndexPosition INTEGER NOT NULL, Position INTEGER NOT NULL,
  ColumnName TEXT NOT NULL, SortOrder INTEGER NOT NULL,
  PRIMARY KEY(TableId, IndexPosition, Position)) WITHOUT ROWID;
CREATE TABLE MSysRelationships(
  TableId INTEGER NOT NULL, Position INTEGER NOT NULL, Name TEXT NOT NULL,
  RelatedTable TEXT NOT NULL, UpdateRule INTEGER NOT NULL, DeleteRule INTEGER NOT NULL,
  PRIMARY KEY(TableId, Position)) WITHOUT ROWID;
CREATE TABLE MSysRelationshipColumns(
  TableId INTEGER NOT NULL, KeyPosition INTEGER NOT NULL, Position INTEGER NOT NULL,
  ColumnName TEXT NOT NULL, RelatedColumn TEXT NOT NULL,
  PRIMARY KEY(TableId, KeyPosition, Position)) WITHOUT ROWID;
CREATE TABLE MSysQueries(Folded TEXT PRIMARY KEY, Name TEXT NOT NULL, Body TEXT NOT NULL,
  IsView INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE MSysPermissions(
  PrincipalKind INTEGER NOT NULL, Principal TEXT NOT NULL, ObjectType INTEGER NOT NULL,
  ObjectName TEXT NOT NULL, Rights INTEGER NOT NULL,
  PRIMARY KEY(PrincipalKind, Principal, ObjectType, ObjectName)) WITHOUT ROWID;
CREATE TABLE MSysCounters(TableId INTEGER NOT NULL, ColumnName TEXT NOT NULL,
  NextValue INTEGER NOT NULL, PRIMARY KEY(TableId, ColumnName)) WITHOUT ROWID;
)sql";

int32_t adoTypeOfDecl(const std::string& decl) {
    if (text::equalNoCase(decl, "INTEGER")) return adtype::Integer;
    if (text::equalNoCase(decl, "TEXT")) return adtype::LongVarWChar;
    return adtype::LongVarBinary;
}

}  // namespace

std::string sqlIndexName(const TableDef& t, const IndexDef& ix) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out = "jetix_" + std::to_string(t.id) + "_";
    for (unsigned char c : text::fold(ix.name)) {
        out.push_back(kDigits[c >> 4]);
        out.push_back(kDigits[c & 15]);
    }
    return out;
}

std::string_view rowNumber(const TableDef& t) {
    for (std::string_view n : {"rowid", "_rowid_", "oid"})
        if (!t.column(n)) return n;
    return {};
}

void createDatabaseMetadata(sql::Db& db) {
    db.exec(kMetadataSchema);
    setDatabaseProperty(db, "Format", std::string(kDatabaseFormat));
}

bool isStoreDatabase(sql::Db& db) {
    if (db.scalar("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='MSysDatabase'") == 0)
        return false;
    auto format = databaseProperty(db, "Format");
    return format && *format == kDatabaseFormat;
}

std::optional<std::string> databaseProperty(sql::Db& db, std::string_view key) {
    auto& s = db.cached("SELECT Value FROM MSysDatabase WHERE Property=?");
    s.args(key);
    std::optional<std::string> out;
    if (s.step() && !s.isNull(0)) out = s.text(0);
    s.reset();
    return out;
}

void setDatabaseProperty(sql::Db& db, std::string_view key, const std::optional<std::string>& value) {
    if (!value) {
        db.cached("DELETE FROM MSysDatabase WHERE Property=?").args(key).run();
        return;
    }
    db.cached("INSERT OR REPLACE INTO MSysDatabase(Property, Value) VALUES(?, ?)")
        .args(key, *value)
        .run();
}

Model loadModel(sql::Db& db) {
    Model m;
    std::map<int64_t, TableDef> byId;
    {
        auto s = db.prepare("SELECT Id, Name FROM MSysTables");
        while (s.step()) {
            TableDef t;
            t.id = s.integer(0);
            t.name = s.text(1);
            byId.emplace(t.id, std::move(t));
        }
    }
    {
        auto s = db.prepare(
            "SELECT TableId, Name, Type, Size, Precision, Scale, Required, IsCounter, Seed, "
            "Increment, Compressed, AllowZeroLength, Hyperlink, DefaultValue, Description, "
            "ValidationText, ValidationRule FROM MSysColumns ORDER BY TableId, Ordinal");
        TableDef* t = nullptr;
        while (s.step()) {
            const int64_t id = s.integer(0);
            if (!t || t->id != id) {
                auto it = byId.find(id);
                t = it == byId.end() ? nullptr : &it->second;
                if (!t) continue;
            }
            ColumnDef c;
            c.name = s.text(1);
            c.type = static_cast<int32_t>(s.integer(2));
            c.size = static_cast<int32_t>(s.integer(3));
            c.precision = static_cast<uint8_t>(s.integer(4));
            c.scale = static_cast<uint8_t>(s.integer(5));
            c.required = s.integer(6) != 0;
            c.autoIncrement = s.integer(7) != 0;
            c.seed = static_cast<int32_t>(s.integer(8));
            c.increment = static_cast<int32_t>(s.integer(9));
            c.compressed = s.integer(10) != 0;
            c.allowZeroLength = s.integer(11) != 0;
            c.hyperlink = s.integer(12) != 0;
            c.defaultValue = s.text(13);
            c.description = s.text(14);
            c.validationText = s.text(15);
            c.validationRule = s.text(16);
            t->columns.push_back(std::move(c));
        }
    }
    {
        auto s = db.prepare(
            "SELECT TableId, Name, IsUnique, IsPrimary, Nulls, IsForeign FROM MSysIndexes "
            "ORDER BY TableId, Position");
        while (s.step()) {
            auto it = byId.find(s.integer(0));
            if (it == byId.end()) continue;
            IndexDef ix;
            ix.name = s.text(1);
            ix.unique = s.integer(2) != 0;
            ix.primary = s.integer(3) != 0;
            ix.nulls = static_cast<int32_t>(s.integer(4));
            ix.foreign = s.integer(5) != 0;
            it->second.indexes.push_back(std::move(ix));
        }
    }
    {
        auto s = db.prepare(
            "SELECT TableId, IndexPosition, ColumnName, SortOrder FROM MSysIndexColumns "
            "ORDER BY TableId, IndexPosition, Position");
        while (s.step()) {
            auto it = byId.find(s.integer(0));
            if (it == byId.end()) continue;
            const auto pos = static_cast<size_t>(s.integer(1));
            if (pos >= it->second.indexes.size()) continue;
            it->second.indexes[pos].columns.push_back(
                {s.text(2), static_cast<int32_t>(s.integer(3))});
        }
    }
    {
        auto s = db.prepare(
            "SELECT TableId, Name, RelatedTable, UpdateRule, DeleteRule FROM MSysRelationships "
            "ORDER BY TableId, Position");
        while (s.step()) {
            auto it = byId.find(s.integer(0));
            if (it == byId.end()) continue;
            ForeignKeyDef fk;
            fk.name = s.text(1);
            fk.relatedTable = s.text(2);
            fk.updateRule = static_cast<int32_t>(s.integer(3));
            fk.deleteRule = static_cast<int32_t>(s.integer(4));
            it->second.foreignKeys.push_back(std::move(fk));
        }
    }
    {
        auto s = db.prepare(
            "SELECT TableId, KeyPosition, ColumnName, RelatedColumn FROM MSysRelationshipColumns "
            "ORDER BY TableId, KeyPosition, Position");
        while (s.step()) {
            auto it = byId.find(s.integer(0));
            if (it == byId.end()) continue;
            const auto pos = static_cast<size_t>(s.integer(1));
            if (pos >= it->second.foreignKeys.size()) continue;
            it->second.foreignKeys[pos].columns.push_back({s.text(2), s.text(3)});
        }
    }
    for (auto& [id, t] : byId) {
        std::string key = text::fold(t.name);
        m.tables.emplace(std::move(key), std::move(t));
    }
    {
        auto s = db.prepare("SELECT Name, Body, IsView FROM MSysQueries");
        while (s.step()) {
            QueryDef q{s.text(0), s.text(1), s.integer(2) != 0};
            std::string key = text::fold(q.name);
            m.queries.emplace(std::move(key), std::move(q));
        }
    }
    m.indexRelationships();
    return m;
}

namespace {

// The rows of a table's definition, written again whole by saveTable.
void deleteDefinition(sql::Db& db, int64_t id) {
    for (const char* sqlText : {
             "DELETE FROM MSysColumns WHERE TableId=?",
             "DELETE FROM MSysIndexes WHERE TableId=?",
             "DELETE FROM MSysIndexColumns WHERE TableId=?",
             "DELETE FROM MSysRelationships WHERE TableId=?",
             "DELETE FROM MSysRelationshipColumns WHERE TableId=?",
         })
        db.cached(sqlText).args(id).run();
}

}  // namespace

void deleteTable(sql::Db& db, int64_t id) {
    deleteDefinition(db, id);
    db.cached("DELETE FROM MSysCounters WHERE TableId=?").args(id).run();
    db.cached("DELETE FROM MSysTables WHERE Id=?").args(id).run();
}

void saveTable(sql::Db& db, TableDef& t) {
    if (t.id == 0) {
        db.cached("INSERT INTO MSysTables(Name) VALUES(?)").args(t.name).run();
        t.id = sqlite3_last_insert_rowid(db.handle());
    } else {
        db.cached("UPDATE MSysTables SET Name=? WHERE Id=?").args(t.name, t.id).run();
        deleteDefinition(db, t.id);
    }
    auto& col = db.cached(
        "INSERT INTO MSysColumns(TableId, Ordinal, Name, Type, Size, Precision, Scale, Required, "
        "IsCounter, Seed, Increment, Compressed, AllowZeroLength, Hyperlink, DefaultValue, "
        "Description, ValidationText, ValidationRule) "
        "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (size_t i = 0; i < t.columns.size(); ++i) {
        const auto& c = t.columns[i];
        col.reset();
        col.args(t.id, static_cast<int64_t>(i), c.name, c.type, c.size, int{c.precision},
                 int{c.scale}, c.required, c.autoIncrement, c.seed, c.increment, c.compressed,
                 c.allowZeroLength, c.hyperlink, c.defaultValue, c.description, c.validationText,
                 c.validationRule);
        col.run();
    }
    auto& ix = db.cached(
        "INSERT INTO MSysIndexes(TableId, Position, Name, IsUnique, IsPrimary, Nulls, IsForeign) "
        "VALUES(?,?,?,?,?,?,?)");
    auto& ixc = db.cached(
        "INSERT INTO MSysIndexColumns(TableId, IndexPosition, Position, ColumnName, SortOrder) "
        "VALUES(?,?,?,?,?)");
    for (size_t i = 0; i < t.indexes.size(); ++i) {
        const auto& x = t.indexes[i];
        ix.reset();
        ix.args(t.id, static_cast<int64_t>(i), x.name, x.unique, x.primary, x.nulls, x.foreign);
        ix.run();
        for (size_t k = 0; k < x.columns.size(); ++k) {
            ixc.reset();
            ixc.args(t.id, static_cast<int64_t>(i), static_cast<int64_t>(k), x.columns[k].name,
                     x.columns[k].sortOrder);
            ixc.run();
        }
    }
    auto& fk = db.cached(
        "INSERT INTO MSysRelationships(TableId, Position, Name, RelatedTable, UpdateRule, "
        "DeleteRule) VALUES(?,?,?,?,?,?)");
    auto& fkc = db.cached(
        "INSERT INTO MSysRelationshipColumns(TableId, KeyPosition, Position, ColumnName, "
        "RelatedColumn) VALUES(?,?,?,?,?)");
    for (size_t i = 0; i < t.foreignKeys.size(); ++i) {
        const auto& k = t.foreignKeys[i];
        fk.reset();
        fk.args(t.id, static_cast<int64_t>(i), k.name, k.relatedTable, k.updateRule, k.deleteRule);
        fk.run();
        for (size_t c = 0; c < k.columns.size(); ++c) {
            fkc.reset();
            fkc.args(t.id, static_cast<int64_t>(i), static_cast<int64_t>(c), k.columns[c].name,
                     k.columns[c].relatedColumn);
            fkc.run();
        }
    }
}

void saveQuery(sql::Db& db, const QueryDef& q) {
    db.cached("INSERT OR REPLACE INTO MSysQueries(Folded, Name, Body, IsView) VALUES(?,?,?,?)")
        .args(text::fold(q.name), q.name, q.text, q.view)
        .run();
}

void deleteQuery(sql::Db& db, std::string_view name) {
    db.cached("DELETE FROM MSysQueries WHERE Folded=?").args(text::fold(name)).run();
}

std::vector<TableData> systemTables(sql::Db& db) {
    std::vector<TableData> out;
    std::vector<std::string> names;
    {
        auto s = db.prepare(
            "SELECT name FROM sqlite_master WHERE type='table' AND name LIKE 'MSys%' ORDER BY name");
        while (s.step()) names.push_back(s.text(0));
    }
    for (const auto& n : names) {
        TableData t;
        t.name = n;
        t.type = "SYSTEM TABLE";
        auto s = db.prepare("SELECT name, type, \"notnull\" FROM pragma_table_info(?)");
        s.args(n);
        while (s.step()) {
            ColumnDef c;
            c.name = s.text(0);
            c.type = adoTypeOfDecl(s.text(1));
            c.required = s.integer(2) != 0;
            t.columns.push_back(columnData(c));
        }
        out.push_back(std::move(t));
    }
    return out;
}

}  // namespace jet::store
