// The two sample databases the build puts beside parabase1 for a new user's
// first comparison: they differ in every kind of object the program compares,
// and a script generated either way and applied by the runner to a copy makes
// the two compare equal.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "OracleComparison.h"
#include "TestSupport.h"
#include "engine/CCAccess.h"
#include "jet/Error.h"
#include "runner/CScriptRunner.h"
#include "runner/RunnerSettings.h"
#include "script/Script.h"
#include "script/ScriptFile.h"
#include "text/CaseFold.h"
#include "wizard/DatabaseSettings.h"

namespace {

namespace fs = std::filesystem;
using namespace engine;

const fs::path kProgramDir = PARABASE1_DIR;
const fs::path kSamples = kProgramDir / "samples";

struct Side {
    std::string database;
    std::string workgroup;
    // As the wizard builds it from the two file fields: the workgroup's admin.
    [[nodiscard]] std::string connection() const {
        return wizard::BuildConnectionString({database, workgroup, "", ""});
    }
};

struct Pair {
    Side source;
    Side destination;
};

Pair samples(const fs::path& dir) {
    return {{(dir / "Development.sdb").string(), (dir / "Development.sdw").string()},
            {(dir / "Production.sdb").string(), (dir / "Production.sdw").string()}};
}

// A copy of the samples, so that a test may change them.
Pair copyOfSamples(const testsupport::TempDir& dir) {
    for (const char* name :
         {"Development.sdb", "Development.sdw", "Production.sdb", "Production.sdw"})
        fs::copy_file(kSamples / name, dir.path() / name);
    return samples(dir.path());
}

std::shared_ptr<CCAccess> compare(const Pair& p, bool matchColumns = false) {
    auto e = CCAccess::create();
    e->CompareIncrementAndSeed(true);
    e->MatchColumns(matchColumns);
    e->SourceDatabaseConnectionString(p.source.connection());
    e->DestinationDatabaseConnnectionString(p.destination.connection());
    EXPECT_TRUE(e->CompareDatabases());
    return e;
}

// Every element that is not equal, one line each, for failure messages.
std::string differences(const TComparisonResult& r) { return oracles::engineDifferences(r); }

template <class List>
std::set<int32_t> actions(const List& list) {
    std::set<int32_t> s;
    for (const auto& e : list) s.insert(e.Action);
    return s;
}

const std::set<int32_t> kEveryAction = {acEqual, acDifferent, acOnlyInDestination, acOnlyInSource};

TEST(Samples, AndTheHelpPageAreBesideTheProgram) {
    for (const char* name :
         {"Development.sdb", "Development.sdw", "Production.sdb", "Production.sdw"})
        EXPECT_TRUE(fs::is_regular_file(kSamples / name)) << name;
    EXPECT_TRUE(fs::is_regular_file(kProgramDir / "Parabase1.html"));
}

// The help page tells what batchrun1 does to an Access file: that it writes
// one, where the earlier version is kept, and what it refuses.
TEST(Samples, TheHelpPageSaysWhatTheRunnerWritesKeepsAndRefuses) {
    const std::string page = testsupport::readFile((kProgramDir / "Parabase1.html").string());
    EXPECT_EQ(page.find("read but never"), std::string::npos);
    for (const char* said :
         {"Applying a script: batchrun1", "NAME-backup-YYYYMMDD-HHMMSS.mdb",
          "never written in place", "It changes Access 97 files", "<code>NAME.ldb</code>",
          "Encoded databases are written encoded", "another run", "folder, cannot be written",
          "Such a refusal is said once", "failed and were skipped", "hard links",
          "the permissions of\nthe workgroup's users and groups",
          "dropping users and groups and removing memberships",
          "written into the workgroup file"})
        EXPECT_NE(page.find(said), std::string::npos) << said;
}

TEST(Samples, DifferInEveryKindOfObjectTheProgramCompares) {
    const auto e = compare(samples(kSamples));
    const TComparisonResult r = e->Differences();

    EXPECT_EQ(actions(r.Tables), kEveryAction);
    EXPECT_EQ(actions(r.Views), kEveryAction);
    EXPECT_EQ(actions(r.Procedures), kEveryAction);
    // A user or group on both sides differs as soon as one database has an
    // object the other lacks (its rights entry there has no partner).
    const std::set<int32_t> kEveryDifference = {acDifferent, acOnlyInDestination, acOnlyInSource};
    EXPECT_EQ(actions(r.Users), kEveryDifference);
    EXPECT_EQ(actions(r.Groups), kEveryDifference);

    std::set<int32_t> columns, keys, indexes;
    std::set<std::string> columnProperties, keyProperties, indexProperties;
    for (const auto& t : r.Tables) {
        if (t.Action != acDifferent) continue;
        for (const auto& c : t.Columns) {
            columns.insert(c.Action);
            if (c.Action != acDifferent) continue;
            const auto &s = c.Source, &d = c.Destination;
            if (s.Type != d.Type) columnProperties.insert("Type");
            if (s.DefinedSize != d.DefinedSize) columnProperties.insert("DefinedSize");
            if (s.NotNull != d.NotNull) columnProperties.insert("NotNull");
            if (s.Compressed != d.Compressed) columnProperties.insert("Compressed");
            if (s.AllowZeroLength != d.AllowZeroLength) columnProperties.insert("AllowZeroLength");
            if (s.Default != d.Default) columnProperties.insert("Default");
            if (s.AutoIncrement != d.AutoIncrement) columnProperties.insert("AutoIncrement");
            if (s.Description != d.Description) columnProperties.insert("Description");
            if (s.Seed != d.Seed) columnProperties.insert("Seed");
        }
        for (const auto& k : t.Keys) {
            keys.insert(k.Action);
            if (k.Action != acDifferent) continue;
            if (k.Source.UpdateRule != k.Destination.UpdateRule) keyProperties.insert("UpdateRule");
            if (k.Source.DeleteRule != k.Destination.DeleteRule) keyProperties.insert("DeleteRule");
            if (k.Source.Columns.UBound() != k.Destination.Columns.UBound())
                keyProperties.insert("Columns");
        }
        for (const auto& i : t.Indexes) {
            indexes.insert(i.Action);
            if (i.Action != acDifferent) continue;
            const auto &s = i.Source, &d = i.Destination;
            if (s.Unique != d.Unique) indexProperties.insert("Unique");
            if (s.IndexNulls != d.IndexNulls) indexProperties.insert("IndexNulls");
            if (s.Columns.UBound() != d.Columns.UBound()) indexProperties.insert("Columns");
            if (s.Columns.UBound() == d.Columns.UBound())
                for (int32_t k = 1; k <= s.Columns.UBound(); ++k)
                    if (s.Columns[k].SortOrder != d.Columns[k].SortOrder)
                        indexProperties.insert("SortOrder");
        }
    }
    EXPECT_EQ(columns, kEveryAction);
    EXPECT_EQ(keys, kEveryAction);
    EXPECT_EQ(indexes, kEveryAction);
    EXPECT_EQ(columnProperties,
              (std::set<std::string>{"AllowZeroLength", "AutoIncrement", "Compressed", "Default",
                                     "DefinedSize", "Description", "NotNull", "Seed", "Type"}));
    EXPECT_EQ(keyProperties, (std::set<std::string>{"Columns", "DeleteRule", "UpdateRule"}));
    EXPECT_EQ(indexProperties,
              (std::set<std::string>{"Columns", "IndexNulls", "SortOrder", "Unique"}));

    // Users and groups differ both in memberships and in rights.
    bool membership = false, rights = false;
    for (const auto* list : {&r.Users, &r.Groups})
        for (const auto& p : *list) {
            if (p.Action != acDifferent) continue;
            for (const auto* side : {&p.Source, &p.Destination}) {
                for (const auto& m : side->Members) membership |= m.Action != acEqual;
                for (const auto& x : side->Permissions) rights |= x.Action != acEqual;
            }
        }
    EXPECT_TRUE(membership);
    EXPECT_TRUE(rights);
}

TEST(Samples, HoldAColumnThatOnlyMatchingByPositionPairs) {
    const auto e = compare(samples(kSamples), true);
    bool paired = false;
    for (const auto& t : e->Result().Tables)
        for (const auto& c : t.Columns)
            paired |= c.Action != acOnlyInSource && c.Action != acOnlyInDestination &&
                      !text::equalNoCase(c.Name, c.DestinationName);
    EXPECT_TRUE(paired);
}

// Records every failed statement and lets the run go on.
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

class SamplesRoundTrip : public ::testing::TestWithParam<script::ScriptDirection> {};

TEST_P(SamplesRoundTrip, AScriptAppliedToACopyMakesThemEqual) {
    testsupport::TempDir dir;
    const Pair p = copyOfSamples(dir);
    const script::ScriptDirection direction = GetParam();
    const Side& target = direction == script::sdSourceToDestination ? p.destination : p.source;

    script::TScript s;
    {
        auto e = compare(p);
        ASSERT_NE(differences(e->Result()), "");
        TComparisonResult r = e->Differences();
        for (auto& t : r.Tables) t.Selected = true;
        for (auto& v : r.Views) v.Selected = true;
        for (auto& q : r.Procedures) q.Selected = true;
        for (auto& u : r.Users) u.Selected = true;
        for (auto& g : r.Groups) g.Selected = true;
        e->Differences(r);
        // Everything carried over: objects only on the target dropped,
        // AutoNumber changes and seeds written.
        e->DropOppositeObjects(true);
        e->SkipAutoIncrementColumns(false);
        e->IncludeIncrementAndSeed(true);
        s = script::GenerateScript(*e, direction, false);
    }
    EXPECT_TRUE(s.Report.empty()) << s.Report.front();

    const std::string file = dir.file("sync.psx");
    script::WriteScriptFile(file, script::ScriptFileText(s));
    runner::CScriptRunner run;
    FailureLog log;
    run.ConnectionString(
        runner::BuildConnectionString({target.database, target.workgroup, "", ""}));
    run.ScriptFile(file);
    run.Events(&log);
    bool finished = false;
    try {
        finished = run.RunScript();
    } catch (const jet::Error& e) {
        ADD_FAILURE() << "block line refused: " << e.description();
    }
    EXPECT_TRUE(finished);
    EXPECT_EQ(log.failures, "") << script::ScriptFileText(s);

    EXPECT_EQ(differences(compare(p)->Result()), "") << script::ScriptFileText(s);
}

INSTANTIATE_TEST_SUITE_P(BothDirections, SamplesRoundTrip,
                         ::testing::Values(script::sdSourceToDestination,
                                           script::sdDestinationToSource));

}  // namespace
