// Databases with one-to-one relationships copied into an empty store (compare,
// script, run) compare equal afterwards: the copy's relationship indexes are
// unique where the source's are.
#include <gtest/gtest.h>

#include <memory>

#include "OneToOneCopy.h"
#include "TestSupport.h"
#include "engine/CCAccess.h"
#include "jet/Catalog.h"
#include "jet/Error.h"
#include "jet/testing/StoreBuilder.h"
#include "runner/CScriptRunner.h"
#include "script/Script.h"
#include "script/ScriptFile.h"

namespace {

std::shared_ptr<engine::CCAccess> compare(const std::string& source,
                                          const std::string& destination) {
    auto e = engine::CCAccess::create();
    e->CompareIncrementAndSeed(true);
    e->SourceDatabaseConnectionString(source);
    e->DestinationDatabaseConnnectionString(destination);
    EXPECT_TRUE(e->CompareDatabases());
    return e;
}

// The tables, keys and indexes that differ, one per line.
std::string differences(const engine::TComparisonResult& r) {
    std::string out;
    for (const auto& t : r.Tables) {
        if (t.Action == engine::acEqual) continue;
        out += "table " + t.Name + " " + std::to_string(t.Action) + ":";
        for (const auto& c : t.Columns)
            if (c.Action) out += " column " + c.Name;
        for (const auto& k : t.Keys)
            if (k.Action) out += " key " + k.Name;
        for (const auto& i : t.Indexes)
            if (i.Action)
                out += " index " + i.Name + " (unique " + std::to_string(i.Source.Unique) + "/" +
                       std::to_string(i.Destination.Unique) + ")";
        out += "\n";
    }
    for (const auto& v : r.Views)
        if (v.Action) out += "view " + v.Name + "\n";
    for (const auto& p : r.Procedures)
        if (p.Action) out += "procedure " + p.Name + "\n";
    return out;
}

class FailureLog : public runner::ScriptRunnerEvents {
public:
    void ShowStatement(const std::string& statement) override { last_ = statement; }
    void OnError(int32_t, std::string description, bool& go) override {
        failures += last_ + " -> " + description + "\n";
        go = true;
    }
    std::string failures;

private:
    std::string last_;
};

// Brings the store `target` in line with `source` (compare, script, run);
// returns what still differs.
std::string sync(const std::string& source, const std::string& target,
                 const testsupport::TempDir& dir) {
    script::TScript s;
    {
        auto e = compare(source, target);
        engine::TComparisonResult r = e->Differences();
        for (auto& t : r.Tables) t.Selected = true;
        for (auto& v : r.Views) v.Selected = true;
        for (auto& p : r.Procedures) p.Selected = true;
        e->Differences(r);
        e->IncludeIncrementAndSeed(true);
        s = script::GenerateScript(*e, script::sdSourceToDestination, false);
    }
    EXPECT_TRUE(s.Report.empty()) << s.Report.front();
    const std::string file = dir.file("sync.psx");
    script::WriteScriptFile(file, script::ScriptFileText(s));
    runner::CScriptRunner run;
    FailureLog log;
    run.ConnectionString(target);
    run.ScriptFile(file);
    run.Events(&log);
    EXPECT_TRUE(run.RunScript());
    EXPECT_EQ(log.failures, "") << script::ScriptFileText(s);
    return differences(compare(source, target)->Result());
}

// Copies `source` into a new empty store in `dir`; returns what still differs.
std::string copyIntoEmptyStore(const std::string& source, const testsupport::TempDir& dir) {
    const std::string copy = dir.file("copy.sdb");
    jet::testing::buildStore(copy);
    return sync(source, jet::testing::storeConnectionString(copy), dir);
}

class OneToOneRealFile : public ::testing::TestWithParam<bool> {};

TEST_P(OneToOneRealFile, IntoAnEmptyStoreComparesEqual) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string file = testsupport::oneToOneCopy(dir, GetParam());
    EXPECT_EQ(copyIntoEmptyStore("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file, dir), "");
}

INSTANTIATE_TEST_SUITE_P(Formats, OneToOneRealFile, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Jet4" : "Jet3"; });

// The usual shapes of one-to-one relationships: on the primary key (both
// ways round, cascading), on a unique index, on two columns; beside them a
// one-to-many relationship on an ordinary index.
constexpr const char* kOneToOne = R"(
CREATE TABLE [Person] ([ID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY, [Name] TEXT(40),
  [Badge] TEXT(10), CONSTRAINT [uqNameBadge] UNIQUE ([Name], [Badge]));
CREATE TABLE [Passport] ([PersonID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [Number] TEXT(20),
  CONSTRAINT [PersonPassport] FOREIGN KEY ([PersonID]) REFERENCES [Person] ([ID])
    ON UPDATE CASCADE ON DELETE CASCADE);
CREATE TABLE [Desk] ([DeskID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [Owner] LONG, [Room] TEXT(10));
CREATE UNIQUE INDEX [ixOwner] ON [Desk] ([Owner]) WITH IGNORE NULL;
ALTER TABLE [Desk] ADD CONSTRAINT [PersonDesk] FOREIGN KEY ([Owner]) REFERENCES [Person] ([ID]);
CREATE TABLE [Card] ([Name] TEXT(40), [Badge] TEXT(10), [Issued] DATETIME);
CREATE UNIQUE INDEX [ixHolder] ON [Card] ([Name], [Badge]) WITH DISALLOW NULL;
ALTER TABLE [Card] ADD CONSTRAINT [PersonCard] FOREIGN KEY ([Name], [Badge])
  REFERENCES [Person] ([Name], [Badge]) ON DELETE SET NULL;
CREATE TABLE [Visit] ([VisitID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [PersonID] LONG);
CREATE INDEX [ixPerson] ON [Visit] ([PersonID]);
ALTER TABLE [Visit] ADD CONSTRAINT [PersonVisit] FOREIGN KEY ([PersonID]) REFERENCES [Person] ([ID]);
)";

TEST(OneToOneStore, IntoAnEmptyStoreComparesEqual) {
    testsupport::TempDir dir;
    const std::string source = dir.file("source.sdb");
    jet::testing::buildStore(source, kOneToOne);
    {
        jet::Catalog cat;
        cat.ActiveConnection(jet::testing::storeConnectionString(source));
        EXPECT_TRUE(cat.Tables().Item("Passport").Indexes().Item("PersonPassport").Unique());
        EXPECT_TRUE(cat.Tables().Item("Desk").Indexes().Item("PersonDesk").Unique());
        EXPECT_TRUE(cat.Tables().Item("Card").Indexes().Item("PersonCard").Unique());
        EXPECT_FALSE(cat.Tables().Item("Visit").Indexes().Item("PersonVisit").Unique());
    }
    EXPECT_EQ(copyIntoEmptyStore(jet::testing::storeConnectionString(source), dir), "");
}

// A store whose relationship came before the unique index on its columns
// has a relationship index that is not unique; synced from one where it came
// after, the script drops and re-adds the relationship, which then shares the
// unique index as the source's does.
TEST(OneToOneStore, SyncOfARelationshipMadeBeforeItsUniqueIndexComparesEqual) {
    testsupport::TempDir dir;
    const std::string tables =
        "CREATE TABLE [P] ([ID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY);"
        "CREATE TABLE [C] ([ID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [PID] LONG);";
    const std::string index = "CREATE UNIQUE INDEX [UX] ON [C] ([PID]);";
    const std::string relationship =
        "ALTER TABLE [C] ADD CONSTRAINT [FK] FOREIGN KEY ([PID]) REFERENCES [P] ([ID]);";
    const std::string source = dir.file("source.sdb"), target = dir.file("target.sdb");
    jet::testing::buildStore(source, tables + index + relationship);
    jet::testing::buildStore(target, tables + relationship + index);
    const std::string from = jet::testing::storeConnectionString(source);
    const std::string to = jet::testing::storeConnectionString(target);
    EXPECT_EQ(differences(compare(from, to)->Result()), "table C 1: index FK (unique 1/0)\n");
    EXPECT_EQ(sync(from, to, dir), "");
}

}  // namespace
