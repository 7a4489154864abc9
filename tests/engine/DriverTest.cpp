// The engine object: options, counting, inclusion, list failures, events,
// copies of the record, shared ownership.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "jet/Error.h"

using namespace enginetest;
using engine::CCAccess;
using engine::TComparisonResult;

namespace {

void expectEmpty(const TComparisonResult& r) {
    EXPECT_EQ(r.Tables.UBound(), 0);
    EXPECT_EQ(r.Views.UBound(), 0);
    EXPECT_EQ(r.Procedures.UBound(), 0);
    EXPECT_EQ(r.Users.UBound(), 0);
    EXPECT_EQ(r.Groups.UBound(), 0);
}

// One of everything on both sides, users and groups included.
void fillBoth(Bench& b) {
    b.withWorkgroup();
    for (Side* s : {&b.source, &b.destination}) {
        s->data.tables = {makeTable("T", {col("A")})};
        s->data.views = {query("V", "SELECT 1")};
        s->data.procedures = {query("P", "DELETE FROM T")};
        s->data.users = {principal("admin", {"Admins"})};
        s->data.groups = {principal("Admins", {"admin"})};
    }
}

}  // namespace

TEST(Engine, NewEngineHasDefaultOptionsAndAnEmptyRecord) {
    const auto e = CCAccess::create();
    EXPECT_FALSE(e->MatchColumns());
    EXPECT_FALSE(e->CompareIncrementAndSeed());
    EXPECT_FALSE(e->DropOppositeObjects());
    EXPECT_FALSE(e->SkipAutoIncrementColumns());
    EXPECT_TRUE(e->IncludeTables());
    EXPECT_TRUE(e->IncludeIndexes());
    EXPECT_TRUE(e->IncludeKeys());
    EXPECT_TRUE(e->IncludeProcedures());
    EXPECT_TRUE(e->IncludeViews());
    EXPECT_TRUE(e->IncludeUsers());
    EXPECT_TRUE(e->IncludeGroups());
    EXPECT_EQ(e->SourceDatabaseConnectionString(), "");
    EXPECT_EQ(e->DestinationDatabaseConnnectionString(), "");
    EXPECT_FALSE(e->IncludeIncrementAndSeed());
    EXPECT_EQ(e->ProgressTotal(), 0);
    EXPECT_EQ(e->ProgressPosition(), 0);
    expectEmpty(e->Differences());
}

TEST(Engine, SettersStoreValuesUnchanged) {
    const auto e = CCAccess::create();
    e->MatchColumns(true);
    e->CompareIncrementAndSeed(true);
    e->DropOppositeObjects(true);
    e->SkipAutoIncrementColumns(true);
    e->IncludeIncrementAndSeed(true);
    e->IncludeTables(false);
    e->IncludeGroups(false);
    e->SourceDatabaseConnectionString(" odd ;; text ");
    e->DestinationDatabaseConnnectionString("x");
    EXPECT_TRUE(e->MatchColumns() && e->CompareIncrementAndSeed() && e->DropOppositeObjects() &&
                e->SkipAutoIncrementColumns() && e->IncludeIncrementAndSeed());
    EXPECT_FALSE(e->IncludeTables());
    EXPECT_FALSE(e->IncludeGroups());
    EXPECT_EQ(e->SourceDatabaseConnectionString(), " odd ;; text ");
    EXPECT_EQ(e->DestinationDatabaseConnnectionString(), "x");
}

TEST(Engine, NothingIncludedCountsAndRaisesNothing) {
    Bench b;
    fillBoth(b);
    b.engine->IncludeTables(false);
    b.engine->IncludeIndexes(false);
    b.engine->IncludeKeys(false);
    b.engine->IncludeProcedures(false);
    b.engine->IncludeViews(false);
    b.engine->IncludeUsers(false);
    b.engine->IncludeGroups(false);
    Recorder rec;
    b.engine->setEvents(&rec);
    expectEmpty(b.compare());
    EXPECT_TRUE(rec.events.empty());
    EXPECT_TRUE(rec.errors.empty());
    EXPECT_EQ(b.engine->ProgressTotal(), 0);
}

TEST(Engine, TwoEmptyDatabasesRaiseNoEvent) {
    Bench b;
    b.withWorkgroup();
    Recorder rec;
    b.engine->setEvents(&rec);
    expectEmpty(b.compare());
    EXPECT_TRUE(rec.events.empty());
    EXPECT_TRUE(rec.errors.empty());
    EXPECT_EQ(b.engine->ProgressTotal(), 0);
}

TEST(Engine, EveryObjectIsAnnouncedInOrderWithCopiesOfTheCounters) {
    Bench b;
    fillBoth(b);
    b.destination.data.tables.push_back(makeTable("U", {col("A")}));
    // A receiver that scribbles on its arguments changes nothing in the engine.
    struct Scribbler : Recorder {
        void Comparing(std::string n, int32_t k, int32_t t, int32_t c) override {
            Recorder::Comparing(n, k, t, c);
            n.clear();
            t = -1;
            c = 1000;
        }
    } rec;
    b.engine->setEvents(&rec);
    b.compare();
    const std::vector<ComparingEvent> expected = {
        {"T", engine::okTable, 11, 1},     {"T", engine::okTable, 11, 2},
        {"U", engine::okTable, 11, 3},     {"P", engine::okProcedure, 11, 4},
        {"P", engine::okProcedure, 11, 5}, {"V", engine::okView, 11, 6},
        {"V", engine::okView, 11, 7},      {"admin", engine::okUser, 11, 8},
        {"admin", engine::okUser, 11, 9},  {"Admins", engine::okGroup, 11, 10},
        {"Admins", engine::okGroup, 11, 11},
    };
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(b.engine->ProgressPosition(), 11);
    EXPECT_EQ(b.engine->ProgressTotal(), 11);
}

TEST(Engine, TablesCountOnlyEntriesOfTypeTableInAnyLetterCase) {
    Bench b;
    b.source.data.tables = {makeTable("A", {}), makeTable("B", {}, {}, {}, "table"),
                            makeTable("MSysX", {}, {}, {}, "SYSTEM TABLE"),
                            makeTable("L", {}, {}, {}, "LINK")};
    b.source.data.views = {query("V", "SELECT 1")};  // also listed among the tables as "VIEW"
    b.compare();
    EXPECT_EQ(b.engine->ProgressTotal(), 2 + 1);
    EXPECT_EQ(b.engine->Result().Tables.UBound(), 2);
}

// Users and groups need a workgroup named in the source string; the
// destination string plays no part.
struct InclusionCase {
    const char* source;
    const char* destination;
    bool compared;
};

class Inclusion : public ::testing::TestWithParam<InclusionCase> {};

TEST_P(Inclusion, UsersAndGroupsFollowTheSourceString) {
    Bench b;
    fillBoth(b);
    b.engine->SourceDatabaseConnectionString(GetParam().source);
    b.engine->DestinationDatabaseConnnectionString(GetParam().destination);
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    EXPECT_TRUE(rec.errors.empty());
    EXPECT_EQ(r.Users.UBound(), GetParam().compared ? 1 : 0);
    EXPECT_EQ(r.Groups.UBound(), GetParam().compared ? 1 : 0);
    EXPECT_EQ(b.engine->ProgressTotal(), GetParam().compared ? 10 : 6);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, Inclusion,
    ::testing::Values(
        InclusionCase{"Data Source=a;Jet OLEDB:System database=w.mdw", "Data Source=b", true},
        InclusionCase{"Data Source=a;JET OLEDB:SYSTEM DATABASE=w.mdw", "Data Source=b", true},
        InclusionCase{"Data Source=a", "Data Source=b;Jet OLEDB:System database=w.mdw", false},
        InclusionCase{"Data Source=a;Jet OLEDB:System database =w.mdw", "Data Source=b", false},
        InclusionCase{"", "", false}));

// A list that cannot be read while counting: the kind's report, the kind
// switched off and emptied, the other kinds compared as usual.
struct ListFailureCase {
    const char* member;  // the Catalog accessor that fails
    bool onSource;
    const char* message;
    bool (CCAccess::*option)() const;
    int kind;  // 0 tables, 1 procedures, 2 views, 3 users, 4 groups
};

class ListFailure : public ::testing::TestWithParam<ListFailureCase> {};

TEST_P(ListFailure, IsReportedAndSwitchesTheKindOff) {
    const ListFailureCase& c = GetParam();
    Bench b;
    fillBoth(b);
    Side& failing = c.onSource ? b.source : b.destination;
    failing.faults = {{.object = "Catalog", .member = c.member, .number = -2147217865,
                       .description = "List unreadable"}};
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();

    const std::vector<std::string> report = {c.message, "Error Number : -2147217865",
                                             "Error Description : List unreadable"};
    EXPECT_EQ(rec.errors, report);
    EXPECT_FALSE(((*b.engine).*c.option)());
    const int32_t bounds[] = {r.Tables.UBound(), r.Procedures.UBound(), r.Views.UBound(),
                              r.Users.UBound(), r.Groups.UBound()};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(bounds[k], k == c.kind ? 0 : 1) << "kind " << k;
    // The other catalog of the kind is still counted.
    EXPECT_EQ(b.engine->ProgressTotal(), 9);
    EXPECT_EQ(b.engine->ProgressPosition(), 8);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, ListFailure,
    ::testing::Values(
        ListFailureCase{"Tables", true, "Couldn't get tables list, skipping table comparison...",
                        &CCAccess::IncludeTables, 0},
        ListFailureCase{"Procedures", false,
                        "Couldn't get procedures list, skipping procedure comparison...",
                        &CCAccess::IncludeProcedures, 1},
        ListFailureCase{"Views", false, "Couldn't get views list, skipping view comparison...",
                        &CCAccess::IncludeViews, 2},
        ListFailureCase{"Users", true, "Couldn't get users list, skipping user comparison...",
                        &CCAccess::IncludeUsers, 3},
        ListFailureCase{"Groups", false, "Couldn't get groups list, skipping group comparison...",
                        &CCAccess::IncludeGroups, 4}));

TEST(Engine, DestinationWithoutWorkgroupSkipsUsersWithAReport) {
    Bench b;
    fillBoth(b);
    b.destination.data.hasWorkgroup = false;
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    ASSERT_EQ(rec.errors.size(), 6u);
    EXPECT_EQ(rec.errors[0], "Couldn't get users list, skipping user comparison...");
    EXPECT_EQ(rec.errors[3], "Couldn't get groups list, skipping group comparison...");
    EXPECT_EQ(rec.errors[4], "Error Number : " + std::to_string(jet::errorEntry(jet::Err::NoWorkgroup).number));
    EXPECT_EQ(r.Users.UBound(), 0);
    EXPECT_EQ(r.Groups.UBound(), 0);
    EXPECT_EQ(r.Tables.UBound(), 1);
}

TEST(Engine, AnEntryFailingWhileCountingKeepsWhatWasCounted) {
    Bench b;
    b.source.data.tables = {makeTable("A", {}), makeTable("B", {}), makeTable("C", {})};
    b.source.faults = {{.object = "Table", .path = "C", .member = "Type"}};
    Recorder rec;
    b.engine->setEvents(&rec);
    b.compare();
    EXPECT_EQ(b.engine->ProgressTotal(), 2);
    EXPECT_FALSE(b.engine->IncludeTables());
    ASSERT_EQ(rec.errors.size(), 3u);
    EXPECT_EQ(rec.errors[2], "Error Description : Injected fault");
}

TEST(Engine, ACatalogThatCannotBeBoundFailsBeforeAnyEvent) {
    const auto e = CCAccess::create();
    e->SourceDatabaseConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/nonexistent/a.mdb");
    e->DestinationDatabaseConnnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/nonexistent/b.mdb");
    Recorder rec;
    e->setEvents(&rec);
    EXPECT_THROW((void)e->CompareDatabases(), jet::Error);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_TRUE(rec.errors.empty());
}

TEST(Engine, AWrongDestinationFailsAfterTheSourceWasBound) {
    Bench b;
    fillBoth(b);
    std::vector<engine::CompareSide> bound;
    b.engine->setCatalogFactory([&](engine::CompareSide side, const std::string& cs) {
        bound.push_back(side);
        if (side == engine::csDestination) return engine::bindCatalog(side, cs);
        return jet::testing::memoryCatalog(b.source.data);
    });
    b.engine->DestinationDatabaseConnnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/nonexistent/b.mdb");
    Recorder rec;
    b.engine->setEvents(&rec);
    EXPECT_THROW((void)b.engine->CompareDatabases(), jet::Error);
    EXPECT_EQ(bound, (std::vector<engine::CompareSide>{engine::csSource, engine::csDestination}));
    EXPECT_TRUE(rec.events.empty());
}

TEST(Engine, AFailureOutsideTheDeferredStepsEndsTheComparison) {
    Bench b;
    fillBoth(b);
    b.source.faults = {{.object = "View", .member = "Command", .number = 7, .description = "boom"}};
    Recorder rec;
    b.engine->setEvents(&rec);
    try {
        (void)b.engine->CompareDatabases();
        FAIL() << "expected a failure";
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), 7);
    }
    EXPECT_TRUE(rec.errors.empty());
    // What was written before stays: tables and procedures, the view named.
    EXPECT_EQ(b.engine->Result().Tables.UBound(), 1);
    EXPECT_EQ(b.engine->Result().Procedures.UBound(), 1);
    EXPECT_EQ(b.engine->Result().Views[1].Name, "");
}

TEST(Engine, DifferencesAreIndependentCopies) {
    Bench b;
    fillBoth(b);
    b.compare();
    TComparisonResult copy = b.engine->Differences();
    EXPECT_EQ(copy, b.engine->Result());
    copy.Tables[1].Selected = true;
    copy.Tables[1].Columns[1].Name = "changed";
    EXPECT_FALSE(b.engine->Result().Tables[1].Selected);
    EXPECT_EQ(b.engine->Result().Tables[1].Columns[1].Name, "A");

    b.engine->Differences(copy);
    copy.Tables[1].Name = "later";
    EXPECT_TRUE(b.engine->Result().Tables[1].Selected);
    EXPECT_EQ(b.engine->Result().Tables[1].Columns[1].Name, "changed");
    EXPECT_EQ(b.engine->Result().Tables[1].Name, "T");
}

TEST(Engine, ASecondComparisonKeepsNothingOfTheFirstRecord) {
    Bench b;
    fillBoth(b);
    b.compare();
    TComparisonResult selected = b.engine->Differences();
    selected.Tables[1].Selected = true;
    b.engine->Differences(selected);
    b.source.data.tables.clear();
    b.destination.data.tables.clear();
    EXPECT_EQ(b.compare().Tables.UBound(), 0);
}

TEST(Engine, SurvivesItsReceiverReplacingItDuringAComparison) {
    Bench b;
    fillBoth(b);
    struct Wizard : engine::CCAccessEvents {
        std::shared_ptr<CCAccess> Access;
        std::weak_ptr<CCAccess> previous;
        int events = 0;
        bool aliveThroughout = true;
        void Comparing(std::string, int32_t, int32_t, int32_t) override {
            if (++events == 1) {
                previous = Access;
                Access = CCAccess::create();  // the last reference to the running engine goes
            } else if (previous.expired()) {
                aliveThroughout = false;
            }
        }
    } wizard;
    wizard.Access = std::move(b.engine);
    wizard.Access->setEvents(&wizard);
    EXPECT_TRUE(wizard.Access->CompareDatabases());
    EXPECT_EQ(wizard.events, 10);
    EXPECT_TRUE(wizard.aliveThroughout);
    EXPECT_TRUE(wizard.previous.expired());  // released once its run ended
}

TEST(Engine, AReceiverMayDetachInsideAnEvent) {
    Bench b;
    fillBoth(b);
    struct Once : Recorder {
        CCAccess* engine = nullptr;
        void Comparing(std::string n, int32_t k, int32_t t, int32_t c) override {
            Recorder::Comparing(std::move(n), k, t, c);
            engine->setEvents(nullptr);
        }
    } rec;
    rec.engine = b.engine.get();
    b.engine->setEvents(&rec);
    b.compare();
    EXPECT_EQ(rec.events.size(), 1u);
    EXPECT_EQ(b.engine->ProgressPosition(), 10);
}

TEST(Engine, CompareDatabasesInsideARunFails) {
    Bench b;
    fillBoth(b);
    struct Reentrant : Recorder {
        CCAccess* engine = nullptr;
        int refused = 0;
        void Comparing(std::string, int32_t, int32_t, int32_t) override {
            try {
                (void)engine->CompareDatabases();
            } catch (const jet::Error& e) {
                if (e.number() == jet::errorEntry(jet::Err::ObjectOpen).number) ++refused;
            }
        }
    } rec;
    rec.engine = b.engine.get();
    b.engine->setEvents(&rec);
    b.compare();
    EXPECT_EQ(rec.refused, 10);
    EXPECT_EQ(b.engine->ProgressPosition(), 10);
}
