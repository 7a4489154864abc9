// The compare request, its progress and log, and the dropping of results, with
// engines over memory catalogs (and, where the real path matters, store files).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "jet/CatalogData.h"
#include "jet/Error.h"
#include "jet/testing/FaultyCatalog.h"
#include "jet/testing/MemoryCatalog.h"
#include "jet/testing/StoreBuilder.h"
#include "wizard/CompareSession.h"

namespace {

using wizard::CompareSession;
using wizard::DatabaseSettings;
using wizard::OptionBox;
using Calls = std::vector<std::string>;

// The window as the session sees it: every call, in order, and what the user
// does while the window yields.
class RecordingView : public wizard::CompareView {
public:
    void SetLog(const std::string& text) override {
        log = text;
        calls.push_back("log=" + text);
    }
    void AppendLog(const std::string& text) override {
        log += text;
        calls.push_back("log+" + text);
    }
    void SetProcessLabel(const std::string& text) override {
        label = text;
        calls.push_back("label " + text);
    }
    void SetProgressMaximum(int32_t maximum) override {
        calls.push_back("max " + std::to_string(maximum));
    }
    void SetProgressValue(int32_t v) override {
        value = v;
        calls.push_back("value " + std::to_string(v));
    }
    void SetCompareEnabled(bool enabled) override {
        calls.push_back(enabled ? "compare on" : "compare off");
    }
    void ResultsDropped() override { calls.push_back("results dropped"); }
    void MsgBox(const std::string& text, wizard::BoxIcon icon, const std::string& title) override {
        calls.push_back("box " + std::to_string(static_cast<int>(icon)) + " " + title + ": " +
                        text);
    }
    void DoEvents() override {
        calls.push_back("yield");
        ++yields;
        if (onYield) onYield(yields);
    }

    Calls calls;
    std::string log;
    std::string label;  // the current-object box
    int32_t value = 0;  // the progress bar's
    int yields = 0;
    // The user's doing during the n-th yield (1 = the one before the engine starts).
    std::function<void(int n)> onYield;
};

jet::TableData table(std::string name) {
    jet::TableData t;
    t.name = std::move(name);
    return t;
}

// Engines over two memory catalogs; test opens that succeed unless told
// otherwise.
struct Fakes {
    jet::CatalogData source;
    jet::CatalogData destination;
    std::vector<jet::testing::Fault> sourceFaults;
    std::function<void(engine::CompareSide)> onBind;  // may throw
    std::function<void(const std::string&)> onOpen;   // may throw
    std::vector<std::string> opened;
    std::vector<std::weak_ptr<engine::CCAccess>> made;

    CompareSession::EngineFactory engines() {
        return [this] {
            auto e = engine::CCAccess::create();
            e->setCatalogFactory([this](engine::CompareSide side, const std::string&) {
                if (onBind) onBind(side);
                const bool s = side == engine::csSource;
                jet::Catalog c = jet::testing::memoryCatalog(s ? source : destination);
                if (s && !sourceFaults.empty()) jet::testing::injectFaults(c, sourceFaults);
                return c;
            });
            made.push_back(e);
            return e;
        };
    }
    CompareSession::ConnectionTest opens() {
        return [this](const std::string& s) {
            opened.push_back(s);
            if (onOpen) onOpen(s);
        };
    }
};

const DatabaseSettings kPlain{{"src.sdb", "", "", ""}, {"dst.sdb", "", "", ""}};

// The calls of one comparing event and its yield.
Calls event(const std::string& label, int total, int current) {
    return {"max " + std::to_string(total), "value " + std::to_string(current), "label " + label,
            "log+Comparing : " + label + "\r\n", "yield"};
}

Calls join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Calls kStart = {"results dropped", "label ", "value 0", "log=Compare process started...\r\n",
                      "log+Checking database connections...\r\n"};
const Calls kSuccess = {"label Compare process completed...", "log+Compare process completed...",
                        "box 64 Orvel! Parabase: Successfully compared databases!", "compare on"};
const Calls kDropped = {"results dropped", "label ", "value 0"};

class CompareRun : public ::testing::Test {
protected:
    CompareRun() {
        fakes.source.tables = {table("A"), table("B")};
        fakes.destination.tables = {table("A")};
        fakes.destination.views = {{"V", "SELECT 1", {}}};
    }
    // Made on first use, so that a test may set the fakes up first.
    CompareSession& session() {
        if (!session_)
            session_ = std::make_unique<CompareSession>(view, fakes.engines(), fakes.opens());
        return *session_;
    }
    // A finished comparison, its calls forgotten.
    void compareOnce() {
        session().CmdCompare_Click(kPlain);
        ASSERT_TRUE(session().Compared());
        view.calls.clear();
        view.yields = 0;
    }

    RecordingView view;
    Fakes fakes;

private:
    std::unique_ptr<CompareSession> session_;
};

TEST_F(CompareRun, LogsEveryObjectMovesTheProgressAndReportsSuccess) {
    const auto before = session().Access();
    session().CmdCompare_Click(kPlain);

    // Two tables in the source, one in the destination, one view there: four
    // objects, tables forward then backward, then the view.
    EXPECT_EQ(view.calls, join({kStart,
                                {"compare off", "yield"},
                                event("Table (A)...", 4, 1),
                                event("Table (B)...", 4, 2),
                                event("Table (A)...", 4, 3),
                                event("View (V)...", 4, 4),
                                kSuccess}));
    EXPECT_EQ(view.log,
              "Compare process started...\r\nChecking database connections...\r\n"
              "Comparing : Table (A)...\r\nComparing : Table (B)...\r\n"
              "Comparing : Table (A)...\r\nComparing : View (V)...\r\n"
              "Compare process completed...");
    EXPECT_TRUE(session().Compared());
    EXPECT_FALSE(session().Comparing());

    const auto& e = session().Access();
    EXPECT_NE(e, before);
    EXPECT_EQ(fakes.opened,
              (std::vector<std::string>{wizard::BuildConnectionString(kPlain.Source),
                                        wizard::BuildConnectionString(kPlain.Destination)}));
    EXPECT_EQ(e->SourceDatabaseConnectionString(), fakes.opened[0]);
    EXPECT_EQ(e->DestinationDatabaseConnnectionString(), fakes.opened[1]);
    const auto r = e->Differences();
    EXPECT_EQ(r.Tables.UBound(), 2);
    EXPECT_EQ(r.Views.UBound(), 1);
    // Without workgroups users and groups were switched off before comparing.
    EXPECT_EQ(session().Options().Value(OptionBox::CUser), 0);
    EXPECT_EQ(session().Options().Value(OptionBox::CGroup), 0);
    EXPECT_FALSE(e->IncludeUsers());
    EXPECT_FALSE(e->IncludeGroups());
}

TEST_F(CompareRun, OptionsReachTheEngineBeforeItCompares) {
    session().Options().SetValue(OptionBox::CMatch, 1);
    session().Options().SetValue(OptionBox::CISeed, 1);
    session().Options().SetValue(OptionBox::CView, 2);
    session().Options().SetValue(OptionBox::CKey, 0);
    std::optional<std::vector<bool>> seen;
    view.onYield = [&](int n) {
        if (n != 1) return;
        const auto& e = *session().Access();
        seen = {e.IncludeTables(),          e.IncludeIndexes(), e.IncludeKeys(),
                e.IncludeProcedures(),      e.IncludeViews(),   e.MatchColumns(),
                e.CompareIncrementAndSeed()};
    };
    session().CmdCompare_Click(kPlain);
    EXPECT_EQ(seen, (std::vector<bool>{true, true, false, true, false, true, true}));
}

TEST_F(CompareRun, ADestinationThatDoesNotOpenIsLoggedAndReported) {
    compareOnce();
    fakes.onOpen = [](const std::string& s) {
        if (s.find("dst.sdb") != std::string::npos) throw jet::Error(-2147467259, "No such file");
    };
    session().CmdCompare_Click(kPlain);
    EXPECT_EQ(view.calls,
              join({kStart,
                    {"log+Can't connect to the destination database...\r\n",
                     "log+Error No : -2147467259\r\n", "log+Error Description : No such file\r\n",
                     "log+Process stopped...\r\n",
                     "box 16 Connection error!: Can't connect to the destination database.Please "
                     "check your settings and try again!"}}));
    // A fresh engine with the source string only; Compared stays as it was.
    const auto& e = session().Access();
    EXPECT_EQ(e->SourceDatabaseConnectionString(), wizard::BuildConnectionString(kPlain.Source));
    EXPECT_EQ(e->DestinationDatabaseConnnectionString(), "");
    EXPECT_EQ(e->Differences().Tables.UBound(), 0);
    EXPECT_TRUE(session().Compared());
    EXPECT_FALSE(session().Comparing());
}

TEST_F(CompareRun, AFailureOtherThanTheLayersIsLoggedWithTheGeneralNumber) {
    fakes.onOpen = [](const std::string&) { throw std::runtime_error("disk on fire"); };
    session().CmdCompare_Click(kPlain);
    EXPECT_EQ(
        view.calls,
        join({kStart,
              {"log+Can't connect to the source database...\r\n", "log+Error No : -2147467259\r\n",
               "log+Error Description : disk on fire\r\n", "log+Process stopped...\r\n",
               "box 16 Connection error!: Can't connect to the source database.Please "
               "check your settings and try again!"}}));
    EXPECT_EQ(fakes.opened.size(), 1u);
    EXPECT_FALSE(session().Compared());
}

struct WorkgroupCase {
    const char* name;
    const char* sourceWorkgroup;
    const char* destinationWorkgroup;
    bool kept;
};

void PrintTo(const WorkgroupCase& c, std::ostream* os) { *os << c.name; }

class UsersAndGroups : public ::testing::TestWithParam<WorkgroupCase> {};

TEST_P(UsersAndGroups, AreComparedOnlyWhenBothSidesNameAWorkgroup) {
    const auto& c = GetParam();
    RecordingView view;
    Fakes fakes;
    fakes.onOpen = [](const std::string&) { throw jet::Error(-1, "stop here"); };
    CompareSession s(view, fakes.engines(), fakes.opens());
    s.CmdCompare_Click(
        {{"a.sdb", c.sourceWorkgroup, "", ""}, {"b.sdb", c.destinationWorkgroup, "", ""}});
    EXPECT_EQ(s.Options().Value(OptionBox::CUser), c.kept ? 1 : 0);
    EXPECT_EQ(s.Options().Value(OptionBox::CGroup), c.kept ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, UsersAndGroups,
                         ::testing::Values(WorkgroupCase{"both", "s.sdw", "d.sdw", true},
                                           WorkgroupCase{"sourceOnly", "s.sdw", "", false},
                                           WorkgroupCase{"destinationOnly", "", "d.sdw", false},
                                           WorkgroupCase{"neither", "", "", false},
                                           WorkgroupCase{"blankIsNone", "s.sdw", "   ", false}),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(CompareRun, TheWorkgroupRuleDropsAnEarlierResultOnce) {
    session().CmdCompare_Click({{"a.sdb", "s.sdw", "", ""}, {"b.sdb", "d.sdw", "", ""}});
    ASSERT_TRUE(session().Compared());
    view.calls.clear();
    fakes.onOpen = [](const std::string&) { throw jet::Error(-1, "stop here"); };
    session().CmdCompare_Click(kPlain);
    // The request's own fresh engine, then one more from the rule's invalidation.
    ASSERT_GE(view.calls.size(), 4u);
    EXPECT_EQ(Calls(view.calls.begin(), view.calls.begin() + 4),
              (Calls{"results dropped", "results dropped", "label ", "value 0"}));
    EXPECT_FALSE(session().Compared());
}

struct ChangeCase {
    const char* name;
    std::function<void(CompareSession&)> change;
    bool drops;
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class AfterAComparison : public CompareRun, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(AfterAComparison, AComparisonSettingDropsTheResultAndAScriptSettingKeepsIt) {
    compareOnce();
    const auto compared = session().Access();
    const std::string log = view.log;
    GetParam().change(session());
    if (GetParam().drops) {
        EXPECT_EQ(view.calls, kDropped);
        EXPECT_NE(session().Access(), compared);
        EXPECT_EQ(session().Access()->Differences().Tables.UBound(), 0);
        EXPECT_FALSE(session().Compared());
    } else {
        EXPECT_EQ(view.calls, Calls{});
        EXPECT_EQ(session().Access(), compared);
        EXPECT_TRUE(session().Compared());
    }
    EXPECT_EQ(view.log, log);
}

ChangeCase box(const char* name, OptionBox b, int16_t v, bool drops) {
    return {name, [b, v](CompareSession& s) { s.Options().SetValue(b, v); }, drops};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AfterAComparison,
    ::testing::Values(
        ChangeCase{"aDatabaseField", [](CompareSession& s) { s.InvalidateResults(); }, true},
        // Three Clicks (tables, then indexes and keys), one new engine.
        box("tables", OptionBox::CTable, 0, true), box("indexes", OptionBox::CIndex, 0, true),
        box("keys", OptionBox::CKey, 0, true), box("procedures", OptionBox::CProcedure, 0, true),
        box("views", OptionBox::CView, 0, true), box("users", OptionBox::CUser, 1, true),
        box("groups", OptionBox::CGroup, 1, true), box("match", OptionBox::CMatch, 1, true),
        box("seedComparison", OptionBox::CISeed, 1, true),
        box("dropOpposite", OptionBox::DObject, 1, false),
        box("seedScripting", OptionBox::IIncSeed, 1, false),
        box("skipAutoIncrement", OptionBox::SAIncrement, 0, false)),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(CompareRun, BeforeAnyComparisonChangesRunTheRulesAlone) {
    const auto first = session().Access();
    session().InvalidateResults();
    session().Options().SetValue(OptionBox::CTable, 0);
    EXPECT_EQ(view.calls, Calls{});
    EXPECT_EQ(session().Access(), first);
}

TEST_F(CompareRun, PressingCompareAgainStartsTheLogAndTheEngineAfresh) {
    compareOnce();
    const auto first = session().Access();
    session().CmdCompare_Click(kPlain);
    EXPECT_NE(session().Access(), first);
    EXPECT_EQ(view.log.rfind("Compare process started...\r\n", 0), 0u);
    EXPECT_EQ(view.log.find("Compare process started...", 1), std::string::npos);
    EXPECT_TRUE(session().Compared());
}

// While a second request opens its databases (and while it reports that one
// does not open), nothing of the first run is on show.
TEST_F(CompareRun, ASecondRequestShowsNothingOfTheFirstWhileItOpensTheDatabases) {
    compareOnce();
    ASSERT_EQ(view.label, "Compare process completed...");
    ASSERT_EQ(view.value, 4);
    std::vector<std::pair<std::string, int32_t>> seen;
    fakes.onOpen = [&](const std::string& s) {
        seen.emplace_back(view.label, view.value);
        if (s.find("dst.sdb") != std::string::npos) throw jet::Error(-1, "No such file");
    };
    session().CmdCompare_Click(kPlain);
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, int32_t>>{{"", 0}, {"", 0}}));
    EXPECT_EQ(view.label, "");
    EXPECT_EQ(view.value, 0);
}

// A setting changed while the engine works (the run yields after every
// object): the engine goes, its comparison stops at once, nothing of it is
// shown afterwards and no success is claimed.
TEST_F(CompareRun, ASettingChangedDuringTheRunDropsItAndStopsIt) {
    fakes.source.tables = {table("A"), table("B"), table("C")};
    std::weak_ptr<engine::CCAccess> running;
    view.onYield = [&](int n) {
        if (n != 2) return;
        running = session().Access();
        session().Options().SetValue(OptionBox::CMatch, 1);
        // The comparison still holds its own engine.
        EXPECT_FALSE(running.expired());
    };
    session().CmdCompare_Click(kPlain);

    EXPECT_EQ(view.calls, join({kStart,
                                {"compare off", "yield"},
                                event("Table (A)...", 5, 1),
                                kDropped,
                                {"log+Process stopped...\r\n", "compare on"}}));
    EXPECT_TRUE(running.expired());
    EXPECT_FALSE(session().Compared());
    EXPECT_FALSE(session().Comparing());
    EXPECT_EQ(session().Access()->Differences().Tables.UBound(), 0);
    // The next request compares on its own engine, with the new setting.
    view.onYield = nullptr;
    session().CmdCompare_Click(kPlain);
    EXPECT_TRUE(session().Compared());
    EXPECT_TRUE(session().Access()->MatchColumns());
    EXPECT_EQ(view.calls.back(), "compare on");
}

TEST_F(CompareRun, ASettingChangedBeforeTheEngineStartsDropsTheRun) {
    view.onYield = [&](int n) {
        if (n == 1) session().InvalidateResults();
    };
    session().CmdCompare_Click(kPlain);
    EXPECT_EQ(view.calls, join({kStart,
                                {"compare off", "yield"},
                                kDropped,
                                {"log+Process stopped...\r\n", "compare on"}}));
    // The engine that replaced it never compared.
    EXPECT_EQ(session().Access()->SourceDatabaseConnectionString(), "");
    EXPECT_FALSE(session().Compared());
}

TEST_F(CompareRun, AScriptingOptionChangedDuringTheRunKeepsIt) {
    view.onYield = [&](int n) {
        if (n == 2) session().Options().SetValue(OptionBox::DObject, 1);
    };
    session().CmdCompare_Click(kPlain);
    EXPECT_EQ(Calls(view.calls.end() - 4, view.calls.end()), kSuccess);
    EXPECT_TRUE(session().Compared());
}

TEST_F(CompareRun, ACompareClickDuringTheRunIsLeftAlone) {
    size_t before = 0;
    view.onYield = [&](int n) {
        if (n != 3) return;
        EXPECT_TRUE(session().Comparing());
        before = view.calls.size();
        session().CmdCompare_Click(kPlain);
        EXPECT_EQ(view.calls.size(), before);
    };
    session().CmdCompare_Click(kPlain);
    EXPECT_GT(before, 0u);
    EXPECT_EQ(Calls(view.calls.end() - 4, view.calls.end()), kSuccess);
    EXPECT_EQ(fakes.opened.size(), 2u);
}

TEST_F(CompareRun, ExitDuringTheRunEndsItWithoutAnotherWord) {
    view.onYield = [&](int n) {
        if (n == 2) session().Shutdown();
    };
    session().CmdCompare_Click(kPlain);
    EXPECT_EQ(view.calls, join({kStart, {"compare off", "yield"}, event("Table (A)...", 4, 1)}));
    EXPECT_FALSE(session().Comparing());
    // Later requests do nothing.
    view.calls.clear();
    session().CmdCompare_Click(kPlain);
    EXPECT_EQ(view.calls, Calls{});
}

struct ThrowCase {
    const char* name;
    std::function<void()> fail;
    const char* number;
    const char* description;
};

void PrintTo(const ThrowCase& c, std::ostream* os) { *os << c.name; }

class FailingComparison : public CompareRun, public ::testing::WithParamInterface<ThrowCase> {};

// The engine throws instead of comparing: the failure is logged with the
// wizard's lines, no success is claimed, Compare comes back, and what the
// engine read before failing is no result.
TEST_P(FailingComparison, IsLoggedReportedAndDropped) {
    const auto& c = GetParam();
    fakes.onBind = [&c](engine::CompareSide side) {
        if (side == engine::csDestination) c.fail();
    };
    session().CmdCompare_Click(kPlain);
    EXPECT_EQ(view.calls,
              join({kStart,
                    {"compare off", "yield", std::string("log+Error No : ") + c.number + "\r\n",
                     std::string("log+Error Description : ") + c.description + "\r\n",
                     "log+Process stopped...\r\n"},
                    kDropped,
                    {std::string("box 16 Orvel! Parabase: ") + c.description, "compare on"}}));
    EXPECT_FALSE(session().Compared());
    EXPECT_FALSE(session().Comparing());
    EXPECT_EQ(session().Access()->SourceDatabaseConnectionString(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingComparison,
    ::testing::Values(ThrowCase{"layerError",
                                [] { throw jet::Error(-2147217865, "Cannot open the catalog"); },
                                "-2147217865", "Cannot open the catalog"},
                      ThrowCase{"otherError", [] { throw std::runtime_error("out of luck"); },
                                "-2147467259", "out of luck"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(CompareRun, TheEnginesErrorLinesAreLoggedAsTheyCome) {
    fakes.source.procedures = {{"P", "DELETE FROM A", {}}};
    fakes.sourceFaults = {{.object = "Catalog",
                           .member = "Procedures",
                           .number = -2147217865,
                           .description = "List unreadable"}};
    session().CmdCompare_Click(kPlain);
    EXPECT_NE(view.log.find("\r\nCouldn't get procedures list, skipping procedure comparison..."
                            "\r\nError Number : -2147217865\r\nError Description : List "
                            "unreadable\r\nComparing : Table (A)...\r\n"),
              std::string::npos)
        << view.log;
    EXPECT_EQ(Calls(view.calls.end() - 4, view.calls.end()), kSuccess);
}

// The real path: store files opened through the data-access layer.
TEST(CompareRunOnStores, ComparesUsersAndGroupsWhenBothSidesNameAWorkgroup) {
    testsupport::TempDir dir;
    const std::string sdb = dir.file("s.sdb"), sdw = dir.file("s.sdw");
    const std::string ddb = dir.file("d.sdb"), ddw = dir.file("d.sdw");
    jet::testing::buildWorkgroup(sdw, "CREATE USER [ann];");
    jet::testing::buildWorkgroup(ddw);
    jet::testing::buildStore(sdb, "CREATE TABLE [T] ([ID] LONG);", sdw);
    jet::testing::buildStore(ddb, "", ddw);

    RecordingView view;
    CompareSession s(view);
    s.CmdCompare_Click({{" " + sdb + " ", sdw, "admin", ""}, {ddb, ddw, "", "  "}});
    EXPECT_EQ(view.log.rfind("Compare process started...\r\nChecking database connections...\r\n"
                             "Comparing : Table (T)...\r\n",
                             0),
              0u)
        << view.log;
    EXPECT_NE(view.log.find("Comparing : User (ann)...\r\n"), std::string::npos);
    EXPECT_NE(view.log.find("Comparing : Group (Admins)...\r\n"), std::string::npos);
    EXPECT_EQ(Calls(view.calls.end() - 4, view.calls.end()), kSuccess);
    const auto r = s.Access()->Differences();
    ASSERT_EQ(r.Tables.UBound(), 1);
    EXPECT_EQ(r.Tables[1].Action, engine::acOnlyInSource);
    bool annOnlyInSource = false;
    for (const auto& u : r.Users)
        annOnlyInSource |= u.Name == "ann" && u.Action == engine::acOnlyInSource;
    EXPECT_TRUE(annOnlyInSource);
}

TEST(CompareRunOnStores, ASourceThatDoesNotOpenIsLoggedAndReported) {
    testsupport::TempDir dir;
    const std::string missing = dir.file("missing.sdb");
    RecordingView view;
    CompareSession s(view);
    const auto first = s.Access();
    s.CmdCompare_Click({{missing, "", "", ""}, {missing, "", "", ""}});
    const jet::Error expected = jet::makeError(jet::Err::FileNotFound, {missing});
    EXPECT_EQ(view.calls,
              join({kStart,
                    {"log+Can't connect to the source database...\r\n",
                     "log+Error No : " + std::to_string(expected.number()) + "\r\n",
                     "log+Error Description : " + expected.description() + "\r\n",
                     "log+Process stopped...\r\n",
                     "box 16 Connection error!: Can't connect to the source database.Please "
                     "check your settings and try again!"}}));
    EXPECT_NE(s.Access(), first);
    EXPECT_EQ(s.Access()->SourceDatabaseConnectionString(), "");
    EXPECT_FALSE(s.Compared());
}

}  // namespace
