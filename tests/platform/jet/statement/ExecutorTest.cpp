// The schema executor over a storage whose rows live in memory: the
// interface a provider implements without SQLite, the calls it receives,
// Jet's refusals, and a failed statement taken back by restoring a copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "jet/Error.h"
#include "jet/Types.h"
#include "jet/statement/Dml.h"
#include "jet/statement/Executor.h"
#include "jet/statement/Statement.h"
#include "text/CaseFold.h"

namespace {

using jet::FieldValue;
using namespace jet::statement;

// Rows by table id, each row's values in the order of the table's columns.
class MemoryStorage final : public Storage {
public:
    struct Rows {
        std::vector<std::vector<FieldValue>> rows;
    };
    std::map<int64_t, Rows> tables;
    std::map<std::string, int64_t> counters;  // "table.column" (folded) -> next value
    std::vector<std::string> calls;           // the physical calls, in order
    int64_t nextId = 100;

    static size_t position(const TableDef& t, std::string_view column) {
        for (size_t i = 0; i < t.columns.size(); ++i)
            if (text::equalNoCase(t.columns[i].name, column)) return i;
        ADD_FAILURE() << "no column " << column;
        return 0;
    }
    std::vector<std::vector<FieldValue>>& rowsOf(const TableDef& t) { return tables.at(t.id).rows; }

    bool hasRows(const TableDef& t) override { return !rowsOf(t).empty(); }
    int64_t rowCount(const TableDef& t) override { return static_cast<int64_t>(rowsOf(t).size()); }
    bool hasNull(const TableDef& t, const std::vector<std::string>& columns) override {
        for (const auto& row : rowsOf(t))
            for (const auto& c : columns)
                if (jet::isNull(row[position(t, c)])) return true;
        return false;
    }
    bool breaksRelationship(const TableDef& t, const ForeignKeyDef& fk,
                            const TableDef& related) override {
        for (const auto& row : rowsOf(t)) {
            bool complete = true;
            for (const auto& kc : fk.columns)
                complete = complete && !jet::isNull(row[position(t, kc.name)]);
            if (!complete) continue;
            bool found = false;
            for (const auto& other : rowsOf(related)) {
                bool same = true;
                for (const auto& kc : fk.columns)
                    same = same &&
                           row[position(t, kc.name)] == other[position(related, kc.relatedColumn)];
                found = found || same;
            }
            if (!found) return true;
        }
        return false;
    }

    void createTable(TableDef& t) override {
        t.id = nextId++;
        tables[t.id] = {};
        calls.push_back("createTable " + t.name);
    }
    void dropTable(const TableDef& t) override {
        tables.erase(t.id);
        calls.push_back("dropTable " + t.name);
    }
    void addColumn(const TableDef& was, const TableDef&, const ColumnDef& c) override {
        int32_t next = c.seed;
        for (auto& row : rowsOf(was)) {
            row.push_back(c.autoIncrement ? FieldValue(next) : FieldValue());
            next += c.increment;
        }
        calls.push_back("addColumn " + was.name + "." + c.name);
    }
    void alterColumn(const TableDef& was, const TableDef&, const ColumnDef& c,
                     const std::optional<ColumnConversion>& conversion) override {
        calls.push_back("alterColumn " + was.name + "." + c.name +
                        (conversion ? " converted" : ""));
        if (!conversion) return;
        const size_t at = position(was, c.name);
        // Converted into a copy first: the first value that does not convert
        // leaves every row as it was.
        auto rows = rowsOf(was);
        for (auto& row : rows) row[at] = convertColumnValue(row[at], *conversion);
        rowsOf(was) = std::move(rows);
    }
    void dropColumn(const TableDef& was, const TableDef&, const ColumnDef& c) override {
        const size_t at = position(was, c.name);
        for (auto& row : rowsOf(was)) row.erase(row.begin() + static_cast<ptrdiff_t>(at));
        counters.erase(text::fold(was.name + "." + c.name));
        calls.push_back("dropColumn " + was.name + "." + c.name);
    }
    void addIndex(const TableDef& was, const TableDef& now, const IndexDef& ix) override {
        calls.push_back("addIndex " + now.name + "." + ix.name);
        if (ix.unique) refuseDuplicates(was, ix);
    }
    void dropIndex(const TableDef&, const TableDef& now, const IndexDef& ix) override {
        calls.push_back("dropIndex " + now.name + "." + ix.name);
    }
    void addRelationship(const TableDef& was, const TableDef& now, const ForeignKeyDef& fk,
                         const TableDef& related) override {
        calls.push_back("addRelationship " + now.name + "." + fk.name + " -> " + related.name);
        if (const IndexDef* ix = now.index(fk.name); ix && ix->unique) refuseDuplicates(was, *ix);
    }
    void dropRelationship(const TableDef&, const TableDef& now, const ForeignKeyDef& fk) override {
        calls.push_back("dropRelationship " + now.name + "." + fk.name);
    }
    void setCounter(const TableDef& t, const ColumnDef& c, int64_t next) override {
        counters[text::fold(t.name + "." + c.name)] = next;
        calls.push_back("setCounter " + t.name + "." + c.name + " " + std::to_string(next));
    }
    void createQuery(const QueryDef& q) override { calls.push_back("createQuery " + q.name); }
    void dropQuery(const QueryDef& q) override { calls.push_back("dropQuery " + q.name); }
    void dropPermissions(int32_t type, std::string_view name) override {
        calls.push_back("dropPermissions " + std::to_string(type) + " " + std::string(name));
    }

private:
    // Rows with a null in one of the key's columns share no key.
    void refuseDuplicates(const TableDef& t, const IndexDef& ix) {
        std::vector<std::vector<FieldValue>> keys;
        for (const auto& row : rowsOf(t)) {
            std::vector<FieldValue> key;
            for (const auto& ic : ix.columns) key.push_back(row[position(t, ic.name)]);
            if (std::any_of(key.begin(), key.end(), [](const auto& v) { return jet::isNull(v); }))
                continue;
            if (std::find(keys.begin(), keys.end(), key) != keys.end())
                jet::raise(jet::Err::DuplicateValues);
            keys.push_back(std::move(key));
        }
    }
};

// A provider's session over the memory storage: each statement all or
// nothing, by a copy of the model and the rows taken before it.
struct Session {
    Model model;
    MemoryStorage storage;

    void exec(const std::string& sql) {
        const Parsed p = parseStatement(sql);
        ASSERT_TRUE(isSchemaStatement(p.statement)) << sql;
        const Model modelBefore = model;
        const auto rowsBefore = storage.tables;
        const auto countersBefore = storage.counters;
        try {
            Executor(model, storage).run(p.statement);
        } catch (...) {
            model = modelBefore;
            storage.tables = rowsBefore;
            storage.counters = countersBefore;
            throw;
        }
    }
    void insert(const std::string& table, std::vector<FieldValue> row) {
        const TableDef* t = model.table(table);
        ASSERT_TRUE(t) << table;
        ASSERT_EQ(row.size(), t->columns.size());
        storage.tables.at(t->id).rows.push_back(std::move(row));
    }
    const std::vector<std::vector<FieldValue>>& rows(const std::string& table) {
        return storage.tables.at(model.table(table)->id).rows;
    }
};

// Everything the model and the rows hold, to show that a refusal changed nothing.
std::string dump(const Session& s) {
    std::string out;
    for (const auto& [key, t] : s.model.tables) {
        out += "table " + t.name + " #" + std::to_string(t.id) + "\n";
        for (const auto& c : t.columns)
            out += " column " + c.name + " " + std::to_string(c.type) + " " +
                   std::to_string(c.size) + (c.required ? " required" : "") +
                   (c.autoIncrement ? " counter" : "") + "\n";
        for (const auto& ix : t.indexes) {
            out += " index " + ix.name + (ix.primary ? " primary" : "") +
                   (ix.unique ? " unique" : "") + (ix.foreign ? " foreign" : "") + " nulls " +
                   std::to_string(ix.nulls);
            for (const auto& ic : ix.columns) out += " " + ic.name;
            out += "\n";
        }
        for (const auto& fk : t.foreignKeys)
            out += " key " + fk.name + " -> " + fk.relatedTable + "\n";
        const auto rows = s.storage.tables.find(t.id);
        out += " rows " +
               std::to_string(rows == s.storage.tables.end() ? 0 : rows->second.rows.size());
        if (rows != s.storage.tables.end())
            for (const auto& row : rows->second.rows)
                for (const auto& v : row) out += " " + std::to_string(v.index());
        out += "\n";
    }
    for (const auto& [key, n] : s.model.relationshipNames) out += "relationship " + key + "\n";
    for (const auto& [key, q] : s.model.queries) out += "query " + q.name + "\n";
    for (const auto& [key, next] : s.storage.counters)
        out += "counter " + key + " " + std::to_string(next) + "\n";
    return out;
}

const char* kSchema[] = {
    "CREATE TABLE [Parent] ([ID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY, [Name] TEXT(20))",
    "CREATE TABLE [Child] ([ParentID] LONG, [Name] TEXT(20), [Qty] TEXT(10), CONSTRAINT "
    "[ParentChild] "
    "FOREIGN KEY ([ParentID]) REFERENCES [Parent] ([ID]) ON DELETE CASCADE)",
    "CREATE VIEW [Names] AS SELECT [Name] FROM [Parent]",
};

Session withRows() {
    Session s;
    for (const char* sql : kSchema) s.exec(sql);
    s.insert("Parent", {int32_t{1}, std::string("one")});
    s.insert("Parent", {int32_t{2}, std::string("two")});
    s.insert("Child", {int32_t{1}, std::string("a"), std::string("10")});
    s.insert("Child", {int32_t{2}, std::string("b"), std::string(" 7 ")});
    s.insert("Child", {FieldValue(), std::string("a"), FieldValue()});
    return s;
}

TEST(SchemaExecutor, StatementsReachTheStorageAsOneCallPerChange) {
    Session s;
    s.exec(kSchema[0]);
    s.exec(kSchema[1]);
    EXPECT_EQ(s.storage.calls, (std::vector<std::string>{
                                   "createTable Parent",
                                   "setCounter Parent.ID 1",
                                   "addIndex Parent.PrimaryKey",
                                   "createTable Child",
                                   "addRelationship Child.ParentChild -> Parent",
                               }));
    const TableDef& child = *s.model.table("child");
    ASSERT_EQ(child.indexes.size(), 1u);
    EXPECT_TRUE(child.indexes[0].foreign);
    EXPECT_EQ(s.model.referrersOf("Parent").count("child"), 1u);
    const jet::TableData data = tableData(child);
    ASSERT_EQ(data.keys.size(), 1u);
    EXPECT_EQ(data.keys[0].type, jet::keytype::Foreign);
    EXPECT_EQ(data.keys[0].relatedTable, "Parent");
}

TEST(SchemaExecutor, ChangesKeepAndConvertTheRows) {
    Session s = withRows();
    s.exec("ALTER TABLE [Child] ALTER COLUMN [Qty] SMALLINT");
    s.exec("ALTER TABLE [Child] ADD COLUMN [No] COUNTER(10, 5)");
    s.exec("ALTER TABLE [Child] DROP COLUMN [Name]");
    const std::vector<std::vector<FieldValue>> expected = {
        {int32_t{1}, int16_t{10}, int32_t{10}},
        {int32_t{2}, int16_t{7}, int32_t{15}},
        {FieldValue(), FieldValue(), int32_t{20}},
    };
    EXPECT_TRUE(s.rows("Child") == expected);
    EXPECT_EQ(s.storage.counters["child.no"], 25);
    s.exec("DROP VIEW [Names]");
    s.exec("ALTER TABLE [Child] DROP CONSTRAINT [ParentChild]");
    s.exec("DROP TABLE [Parent]");
    EXPECT_EQ(s.model.table("Parent"), nullptr);
    EXPECT_TRUE(s.model.referrers.empty());
    EXPECT_EQ(s.storage.calls.back(), "dropPermissions 1 Parent");
}

struct Refusal {
    const char* statement;
    jet::Err error;
};

class SchemaRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(SchemaRefusals, FailWithJetsErrorAndChangeNothing) {
    Session s = withRows();
    const std::string before = dump(s);
    try {
        s.exec(GetParam().statement);
        ADD_FAILURE() << "no error";
    } catch (const jet::Error& e) {
        const std::string text(jet::errorEntry(GetParam().error).text);
        EXPECT_EQ(e.description().rfind(text.substr(0, text.find('%')), 0), 0u) << e.description();
    }
    EXPECT_EQ(dump(s), before);
}

const Refusal kRefusals[] = {
    {"CREATE TABLE [MSysThing] ([A] LONG)", jet::Err::ReservedName},
    {"CREATE TABLE [Names] ([A] LONG)", jet::Err::ObjectExists},
    {"DROP TABLE [Parent]", jet::Err::TableInRelationship},
    {"DROP INDEX [PrimaryKey] ON [Parent]", jet::Err::IndexInRelationship},
    {"DROP INDEX [ParentChild] ON [Child]", jet::Err::IndexInRelationship},
    {"ALTER TABLE [Child] DROP COLUMN [ParentID]", jet::Err::FieldInIndex},
    {"ALTER TABLE [Child] ALTER COLUMN [ParentID] TEXT(10)", jet::Err::FieldInRelationship},
    {"ALTER TABLE [Child] ALTER COLUMN [Name] LONG", jet::Err::ConversionFailed},
    {"ALTER TABLE [Child] ALTER COLUMN [Qty] TEXT(10) NOT NULL", jet::Err::NullNotAllowed},
    {"ALTER TABLE [Child] ALTER COLUMN [Qty] COUNTER", jet::Err::CounterOnData},
    {"ALTER TABLE [Child] ADD COLUMN [X] LONG DEFAULT Foo(1)", jet::Err::UndefinedFunction},
    {"CREATE UNIQUE INDEX [U] ON [Child] ([Name])", jet::Err::DuplicateValues},
    {"CREATE INDEX [N] ON [Child] ([Qty]) WITH DISALLOW NULL", jet::Err::IndexNullNotAllowed},
    {"ALTER TABLE [Child] ADD CONSTRAINT [PK] PRIMARY KEY ([Qty])", jet::Err::IndexNullNotAllowed},
    {"ALTER TABLE [Child] ADD CONSTRAINT [PK] PRIMARY KEY ([Name])", jet::Err::DuplicateValues},
    {"ALTER TABLE [Parent] ADD CONSTRAINT [PK2] PRIMARY KEY ([Name])", jet::Err::PrimaryKeyExists},
    {"ALTER TABLE [Child] ADD CONSTRAINT [Two] FOREIGN KEY ([Name], [Qty]) REFERENCES [Parent]",
     jet::Err::RelationshipColumns},
    {"ALTER TABLE [Child] ADD CONSTRAINT [ByName] FOREIGN KEY ([Name]) REFERENCES [Parent] "
     "([Name])",
     jet::Err::NoUniqueIndex},
    {"ALTER TABLE [Parent] ADD CONSTRAINT [Back] FOREIGN KEY ([ID]) REFERENCES [Child] "
     "([ParentID])",
     jet::Err::NoUniqueIndex},
    {"ALTER TABLE [Child] DROP CONSTRAINT [Nope]", jet::Err::ConstraintNotFound},
    {"DROP PROCEDURE [Nope]", jet::Err::TableNotFound},
};

INSTANTIATE_TEST_SUITE_P(Statements, SchemaRefusals, ::testing::ValuesIn(kRefusals));

// A row whose value the related table lacks breaks a new relationship.
TEST(SchemaExecutor, RelationshipTheRowsBreakIsRefused) {
    Session s = withRows();
    s.exec("CREATE TABLE [Other] ([K] LONG CONSTRAINT [PK] PRIMARY KEY)");
    s.insert("Other", {int32_t{1}});
    const std::string before = dump(s);
    EXPECT_THROW(s.exec("ALTER TABLE [Child] ADD CONSTRAINT [OC] FOREIGN KEY ([ParentID]) "
                        "REFERENCES [Other]"),
                 jet::Error);
    EXPECT_EQ(dump(s), before);
    s.insert("Other", {int32_t{2}});
    s.exec("ALTER TABLE [Child] ADD CONSTRAINT [OC] FOREIGN KEY ([ParentID]) REFERENCES [Other]");
    EXPECT_EQ(s.model.referrersOf("Other").count("child"), 1u);
}

// What a provider needs of the generator's column rename: UPDATE [T] SET [new]=[old].
TEST(DmlReading, UpdateNamesTheColumnItCopies) {
    Model model;
    TableDef t;
    t.name = "T";
    t.columns.push_back({});
    t.columns.back().name = "Old";
    t.columns.push_back({});
    t.columns.back().name = "New";
    model.tables["t"] = t;
    struct Plain final : Dialect {
        std::string name(std::string_view n) override { return std::string(n); }
        std::string text(std::string v, bool) override { return "'" + v + "'"; }
        std::string date(jet::DateTime) override { return "#date#"; }
        std::string call(std::string_view f, const std::vector<std::string>&) override {
            return std::string(f);
        }
        [[nodiscard]] std::string_view concatenation() const override { return "&"; }
        [[nodiscard]] std::string_view modulo() const override { return "MOD"; }
    } dialect;
    const auto read = [&](const std::string& sql) {
        const Parsed p = parseStatement(sql);
        return readUpdate(p, std::get<Dml>(p.statement), model, dialect);
    };
    const UpdateParts copy = read("UPDATE [T] SET [New]=[Old];");
    ASSERT_EQ(copy.sets.size(), 1u);
    EXPECT_EQ(copy.table->name, "T");
    EXPECT_EQ(copy.sets[0].column->name, "New");
    ASSERT_NE(copy.sets[0].value.column, nullptr);
    EXPECT_EQ(copy.sets[0].value.column->name, "Old");
    EXPECT_FALSE(copy.where);
    EXPECT_EQ(read("UPDATE [T] SET [New]=-[Old]").sets[0].value.column, nullptr);
    EXPECT_EQ(read("UPDATE [T] SET [New]=[Old] & 'x'").sets[0].value.column, nullptr);
    EXPECT_TRUE(read("UPDATE [T] SET [New]=[Old] WHERE [Old] IS NULL").where);
    EXPECT_THROW(read("UPDATE [T] SET [Gone]=[Old]"), jet::Error);
    EXPECT_THROW(read("UPDATE [T] SET [New]=[Gone]"), jet::Error);  // too few parameters
    EXPECT_THROW(read("UPDATE [U] SET [New]=[Old]"), jet::Error);
}

}  // namespace
