#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/CCAccess.h"
#include "wizard/OptionRules.h"

namespace {

using wizard::OptionBox;
using wizard::OptionRules;
using enum OptionBox;

// Every box and its value, "CMatch=0 CISeed=0 …", in the page's order.
std::string values(const OptionRules& r) {
    std::string s;
    for (OptionBox b : wizard::kOptionBoxes) {
        if (!s.empty()) s += ' ';
        s += std::string(wizard::OptionBoxName(b)) + "=" + std::to_string(r.Value(b));
    }
    return s;
}

// Records the value changes the window would show and the invalidations.
struct Watched {
    OptionRules rules;
    std::string changes;
    int invalidations = 0;

    Watched() {
        rules.OnValueChanged([this](OptionBox b, int16_t v) {
            if (!changes.empty()) changes += ' ';
            changes += std::string(wizard::OptionBoxName(b)) + "=" + std::to_string(v);
        });
        rules.OnInvalidate([this] { ++invalidations; });
    }
    void forget() {
        changes.clear();
        invalidations = 0;
    }
};

TEST(OptionRules, StartWithTheSevenCompareBoxesAndSkippingOn) {
    const OptionRules r;
    EXPECT_EQ(values(r),
              "CMatch=0 CISeed=0 CTable=1 CGroup=1 CUser=1 CView=1 CProcedure=1 CKey=1 CIndex=1 "
              "DObject=0 IIncSeed=0 SAIncrement=1");
}

struct CascadeCase {
    const char* name;
    std::vector<std::pair<OptionBox, int16_t>> before;  // set first, not watched
    OptionBox box;
    int16_t value;
    const char* changes;  // in the order the Clicks ran
    int invalidations;
    const char* after;  // the boxes that differ from the start values, "" for none
};

void PrintTo(const CascadeCase& c, std::ostream* os) { *os << c.name; }

// The boxes whose values differ from the start, "CTable=0 CKey=0".
std::string differing(const OptionRules& r) {
    const OptionRules start;
    std::string s;
    for (OptionBox b : wizard::kOptionBoxes)
        if (r.Value(b) != start.Value(b)) {
            if (!s.empty()) s += ' ';
            s += std::string(wizard::OptionBoxName(b)) + "=" + std::to_string(r.Value(b));
        }
    return s;
}

class OptionCascade : public ::testing::TestWithParam<CascadeCase> {};

TEST_P(OptionCascade, RunsTheRulesOfEveryBoxThatChanges) {
    const auto& c = GetParam();
    Watched w;
    for (const auto& [box, value] : c.before) w.rules.SetValue(box, value);
    w.forget();
    w.rules.SetValue(c.box, c.value);
    EXPECT_EQ(w.changes, c.changes);
    EXPECT_EQ(w.invalidations, c.invalidations);
    EXPECT_EQ(differing(w.rules), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionCascade,
    ::testing::Values(
        CascadeCase{"tablesOffTurnsIndexesAndKeysOff",
                    {},
                    CTable,
                    0,
                    "CTable=0 CIndex=0 CKey=0",
                    3,
                    "CTable=0 CKey=0 CIndex=0"},
        CascadeCase{"indexesOnWhileTablesOffTurnsTablesAndKeysOn",
                    {{CTable, 0}},
                    CIndex,
                    1,
                    "CIndex=1 CTable=1 CKey=1",
                    3,
                    ""},
        CascadeCase{"keysOnWhileTablesOffTurnsTablesAndIndexesOn",
                    {{CTable, 0}},
                    CKey,
                    1,
                    "CKey=1 CTable=1 CIndex=1",
                    3,
                    ""},
        CascadeCase{"indexesOffLeavesTheOthers", {}, CIndex, 0, "CIndex=0", 1, "CIndex=0"},
        CascadeCase{"keysOffLeavesTheOthers", {}, CKey, 0, "CKey=0", 1, "CKey=0"},
        CascadeCase{"tablesOffAfterIndexesOffTurnsKeysOff",
                    {{CIndex, 0}},
                    CTable,
                    0,
                    "CTable=0 CKey=0",
                    2,
                    "CTable=0 CKey=0 CIndex=0"},
        CascadeCase{"tablesOnTurnsOnlyUncheckedBoxesOn",
                    {{CTable, 0}, {CIndex, 2}},
                    CTable,
                    1,
                    "CTable=1 CKey=1",
                    2,
                    "CIndex=2"},
        CascadeCase{"greyTablesCountsAsOff",
                    {},
                    CTable,
                    2,
                    "CTable=2 CIndex=0 CKey=0",
                    3,
                    "CTable=2 CKey=0 CIndex=0"},
        CascadeCase{"greyIndexesTurnsNothingOn",
                    {{CTable, 0}},
                    CIndex,
                    2,
                    "CIndex=2",
                    1,
                    "CTable=0 CKey=0 CIndex=2"},
        CascadeCase{"seedComparisonOffTurnsSeedScriptingOff",
                    {{CISeed, 1}, {IIncSeed, 1}},
                    CISeed,
                    0,
                    "CISeed=0 IIncSeed=0",
                    1,
                    ""},
        CascadeCase{
            "seedComparisonOnLeavesSeedScripting", {}, CISeed, 1, "CISeed=1", 1, "CISeed=1"},
        CascadeCase{"greySeedComparisonLeavesSeedScripting",
                    {{CISeed, 1}, {IIncSeed, 1}},
                    CISeed,
                    2,
                    "CISeed=2",
                    1,
                    "CISeed=2 IIncSeed=1"},
        CascadeCase{"seedScriptingOnIsNotTiedToSeedComparison",
                    {},
                    IIncSeed,
                    1,
                    "IIncSeed=1",
                    0,
                    "IIncSeed=1"},
        CascadeCase{"dropOppositeNeverInvalidates", {}, DObject, 1, "DObject=1", 0, "DObject=1"},
        CascadeCase{"skipAutoIncrementNeverInvalidates",
                    {},
                    SAIncrement,
                    0,
                    "SAIncrement=0",
                    0,
                    "SAIncrement=0"},
        CascadeCase{"matchColumnsInvalidates", {}, CMatch, 1, "CMatch=1", 1, "CMatch=1"},
        CascadeCase{"proceduresInvalidate", {}, CProcedure, 0, "CProcedure=0", 1, "CProcedure=0"},
        CascadeCase{"viewsInvalidate", {}, CView, 0, "CView=0", 1, "CView=0"},
        CascadeCase{"usersInvalidate", {}, CUser, 0, "CUser=0", 1, "CUser=0"},
        CascadeCase{"groupsInvalidate", {}, CGroup, 2, "CGroup=2", 1, "CGroup=2"},
        CascadeCase{"theSameValueRunsNothing", {}, CTable, 1, "", 0, ""}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(OptionRules, AValueOtherThanZeroOneOrTwoIsRefusedAndChangesNothing) {
    Watched w;
    for (int16_t bad : {int16_t{3}, int16_t{-1}, int16_t{255}}) {
        EXPECT_THROW(w.rules.SetValue(CTable, bad), std::invalid_argument);
        EXPECT_THROW(w.rules.SetValue(DObject, bad), std::invalid_argument);
    }
    EXPECT_EQ(w.changes, "");
    EXPECT_EQ(w.invalidations, 0);
    EXPECT_EQ(differing(w.rules), "");
}

// A window that writes a box back as it is told of it (its own signal echoing
// the change) does not start the cascade again.
TEST(OptionRules, AnEchoOfTheNewValueRunsNothingMore) {
    Watched w;
    w.rules.OnValueChanged([&w](OptionBox b, int16_t v) {
        w.changes += std::string(wizard::OptionBoxName(b)) + "=" + std::to_string(v) + " ";
        w.rules.SetValue(b, v);
    });
    w.rules.SetValue(CTable, 0);
    EXPECT_EQ(w.changes, "CTable=0 CIndex=0 CKey=0 ");
    EXPECT_EQ(w.invalidations, 3);
}

struct EngineOptions {
    bool tables, indexes, keys, procedures, views, users, groups, match, compareSeed;
    bool includeSeed, skipAuto, dropOpposite;
    bool operator==(const EngineOptions&) const = default;
};

EngineOptions of(const engine::CCAccess& e) {
    return {e.IncludeTables(),
            e.IncludeIndexes(),
            e.IncludeKeys(),
            e.IncludeProcedures(),
            e.IncludeViews(),
            e.IncludeUsers(),
            e.IncludeGroups(),
            e.MatchColumns(),
            e.CompareIncrementAndSeed(),
            e.IncludeIncrementAndSeed(),
            e.SkipAutoIncrementColumns(),
            e.DropOppositeObjects()};
}

TEST(OptionRules, CompareOptionsReachTheEngineOnlyWhenChecked) {
    OptionRules r;
    r.SetValue(CMatch, 1);
    r.SetValue(CISeed, 1);
    r.SetValue(CView, 2);  // grey counts as off
    r.SetValue(CGroup, 0);
    r.SetValue(DObject, 1);  // a script option: not handed over here
    auto e = engine::CCAccess::create();
    wizard::ApplyCompareOptions(*e, r);
    EXPECT_EQ(of(*e), (EngineOptions{true, true, true, true, false, true, false, true, true, false,
                                     false, false}));
}

TEST(OptionRules, ScriptOptionsReachTheEngineOnlyWhenChecked) {
    OptionRules r;
    r.SetValue(CISeed, 1);
    r.SetValue(IIncSeed, 1);
    r.SetValue(SAIncrement, 2);  // grey counts as off
    r.SetValue(DObject, 1);
    r.SetValue(CTable, 0);  // a comparison option: not handed over here
    auto e = engine::CCAccess::create();
    wizard::ApplyScriptOptions(*e, r);
    EXPECT_EQ(of(*e), (EngineOptions{true, true, true, true, true, true, true, false, true, true,
                                     false, true}));
}

}  // namespace
