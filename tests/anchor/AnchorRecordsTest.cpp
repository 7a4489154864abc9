// The anchor records against the form's controls: keys, look-ups, the sync,
// the default list, the design-time Anchorit and AnchorControl.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AnchorRig.h"

namespace {

using anchor::QAnchor;
using anchor::testing::anchorText;
using anchor::testing::Rig;
using host::model::FakeControl;

struct Keyed {
    std::string key;
    std::int32_t index;
    std::string flags;
};

std::vector<Keyed> keyed(const QAnchor& a) {
    std::vector<Keyed> out;
    for (std::size_t i = 1; i < a.records().size(); ++i) {
        const auto& r = a.records()[i];
        out.push_back(
            {r.Key, r.ControlIndex, r.AnchorLeft + r.AnchorTop + r.AnchorRight + r.AnchorBottom});
    }
    return out;
}

bool operator==(const Keyed& a, const Keyed& b) {
    return a.key == b.key && a.index == b.index && a.flags == b.flags;
}
void PrintTo(const Keyed& k, std::ostream* os) { *os << k.key << "@" << k.index << ":" << k.flags; }

// A form with a control array Page(0) … Page(2) between two plain controls.
struct ArrayForm : Rig {
    ArrayForm() {
        rig_add("CmdSave");
        for (int i = 0; i < 3; ++i) {
            auto p = form->add("Page", 0, 0, 100, 100);
            p->index = i;
        }
        rig_add("CmdClose");
    }
    void rig_add(const char* name) { form->add(name, 0, 0, 100, 100); }
};

struct FindCase {
    const char* key;
    std::int32_t position;
};

class FindControl : public ::testing::TestWithParam<FindCase> {};

// The look-up, seen through what a parsed record resolves to.
TEST_P(FindControl, ResolvesAKeyToItsPositionOrToNone) {
    ArrayForm f;
    QAnchor& a = f.load(
        [&](host::MemoryBag& bag) { bag.put("Anchor", std::string(GetParam().key) + "\r1111\r"); });
    f.site.userMode = false;
    // Parse without the sync: the design-time get parses first, so look at
    // what the first parse gave through AnchorControl's table instead.
    a.AnchorControl(nullptr, true, true, true, true);
    ASSERT_GE(a.records().size(), 2u);
    EXPECT_EQ(a.records()[1].ControlIndex, GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(Keys, FindControl,
                         ::testing::Values(FindCase{"CmdSave", 1}, FindCase{"CmdClose", 5},
                                           FindCase{"Page(0)", 2}, FindCase{"Page(2)", 4},
                                           FindCase{"Page( 1 )", 3},
                                           // The array's name alone finds its first member.
                                           FindCase{"Page", 2}, FindCase{"Page(7)", 0},
                                           // Exact, case-sensitive.
                                           FindCase{"cmdsave", 0}, FindCase{"CmdSave ", 0},
                                           // Malformed keys name no control (and raise nothing).
                                           FindCase{"Page(", 0}, FindCase{"Page(x)", 0},
                                           FindCase{"Page)1(", 0}, FindCase{"Page()", 0},
                                           FindCase{"CmdSave(1)", 0}, FindCase{"", 0}));

TEST(AnchorRecords, ControlKeysNameArrayMembersByTheirIndex) {
    Rig rig;
    auto page = rig.form->add("Page", 0, 0, 10, 10);
    page->index = 3;
    auto minus = rig.form->add("Plain", 0, 0, 10, 10);
    minus->index = -1;  // no array
    auto unnamed = rig.form->add("X", 0, 0, 10, 10);
    unnamed->name.reset();
    rig.site.userMode = false;
    QAnchor& a = rig.load();
    EXPECT_EQ(a.Anchorit(), anchorText({{"Page(3)", "1100"}, {"Plain", "1100"}, {"", "1100"}}));
}

TEST(AnchorRecords, TheDefaultListHasAnEntryForEveryControlWithAReadableVisible) {
    Rig rig;
    rig.form->add("Shown", 0, 0, 10, 10);
    rig.form->add("Hidden", 0, 0, 10, 10)->visible = false;
    rig.form->add("NoVisible", 0, 0, 10, 10)->visible.reset();
    rig.site.userMode = false;
    QAnchor& a = rig.load();
    EXPECT_EQ(a.Anchorit(), anchorText({{"Shown", "1100"}, {"Hidden", "1100"}}));
    // The default text is what the next get parses.
    EXPECT_EQ(a.Anchorit(), anchorText({{"Shown", "1100"}, {"Hidden", "1100"}}));
}

TEST(AnchorRecords, TheDesignTimeGetDropsDeletedControlsAndAddsNewOnes) {
    Rig rig;
    auto a1 = rig.form->add("A", 0, 0, 10, 10);
    auto b1 = rig.form->add("B", 0, 0, 10, 10);
    auto c1 = rig.form->add("C", 0, 0, 10, 10);
    rig.site.userMode = false;
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"A", "0011"}, {"B", "1111"}, {"C", "0110"}}));
    });
    rig.form->remove(b1);
    rig.form->add("New", 0, 0, 10, 10);
    // The survivors keep their flags although their positions moved.
    EXPECT_EQ(a.Anchorit(), anchorText({{"A", "0011"}, {"C", "0110"}, {"New", "1100"}}));
    EXPECT_EQ(keyed(a),
              (std::vector<Keyed>{{"A", 1, "0011"}, {"C", 2, "0110"}, {"New", 3, "1100"}}));
    (void)a1;
    (void)c1;
}

TEST(AnchorRecords, AControlDeletedAtRunTimeLeavesTheOthersTheirFlags) {
    Rig rig;
    auto first = rig.form->add("First", 300, 300, 600, 300);
    auto gone = rig.form->add("Gone", 300, 900, 600, 300);
    auto last = rig.form->add("Last", 300, 1500, 600, 300);
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"First", "0110"}, {"Gone", "0110"}, {"Last", "0110"}}));
    });
    rig.show();
    rig.form->remove(gone);
    rig.resize(500, 300);
    EXPECT_EQ(keyed(a), (std::vector<Keyed>{{"First", 1, "0110"}, {"Last", 2, "0110"}}));
    EXPECT_FLOAT_EQ(last->left, 1800);
    EXPECT_FLOAT_EQ(first->left, 1800);
    // At run time the text stays as loaded.
    EXPECT_EQ(a.anchorList(), anchorText({{"First", "0110"}, {"Gone", "0110"}, {"Last", "0110"}}));
}

TEST(AnchorRecords, TheSyncKeepsRecordOrderAndAppendsNewControlsInCollectionOrder) {
    Rig rig;
    rig.form->add("B", 0, 0, 10, 10);
    rig.form->add("A", 0, 0, 10, 10);
    rig.form->add("Z", 0, 0, 10, 10);
    rig.form->add("Y", 0, 0, 10, 10);
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"A", "0101"}, {"B", "1010"}, {"Nowhere", "1111"}}));
    });
    rig.show();
    EXPECT_EQ(keyed(a),
              (std::vector<Keyed>{
                  {"A", 2, "0101"}, {"B", 1, "1010"}, {"Z", 3, "1100"}, {"Y", 4, "1100"}}));
}

TEST(AnchorRecords, TwoEntriesWithOneKeyBothSurvive) {
    Rig rig;
    rig.form->add("A", 0, 0, 10, 10);
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"A", "1100"}, {"A", "0011"}}));
    });
    rig.show();
    EXPECT_EQ(keyed(a), (std::vector<Keyed>{{"A", 1, "1100"}, {"A", 1, "0011"}}));
}

TEST(AnchorRecords, AnArraysNameAloneIsDroppedForTheMembersOwnKey) {
    ArrayForm f;
    QAnchor& a = f.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"Page", "1111"}, {"Page(1)", "0011"}}));
    });
    f.show();
    const auto k = keyed(a);
    ASSERT_GE(k.size(), 1u);
    EXPECT_EQ(k[0], (Keyed{"Page(1)", 3, "0011"}));
    for (std::size_t i = 1; i < k.size(); ++i) EXPECT_EQ(k[i].flags, "1100") << k[i].key;
    EXPECT_EQ(k.size(), 5u);
}

TEST(AnchorRecords, MalformedKeysAndLineFeedsResolveToNothingWithoutAnError) {
    Rig rig;
    auto c = rig.form->add("C", 300, 300, 600, 300);
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", std::string("Foo(\r1111\rC(x)\r1111\rC\r\n0110\r\n"));
    });
    rig.show();
    EXPECT_TRUE(a.initialised());
    // "C" was misread (a line feed as its left flag): centred horizontally.
    EXPECT_EQ(keyed(a), (std::vector<Keyed>{{"C", 1, "\n011"}}));
    rig.resize(500, 300);
    EXPECT_FLOAT_EQ(c->left, 1050);
}

TEST(AnchorRecords, AnchorControlSetsTheFlagsOfAKnownControlAndLaysOutAtOnce) {
    Rig rig;
    auto c = rig.form->add("C", 300, 300, 600, 300);
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"C", "1100"}}));
    });
    rig.show();
    rig.resize(500, 300);
    EXPECT_FLOAT_EQ(c->left, 300);
    a.AnchorControl(rig.form->Item(1), false, true, true, false);
    // Recorded where it stands now, so the next growth moves it.
    EXPECT_EQ(keyed(a), (std::vector<Keyed>{{"C", 1, "0110"}}));
    EXPECT_FLOAT_EQ(rig.record("C")->BaseLeft, 300);
    EXPECT_FLOAT_EQ(rig.record("C")->ContainerFirstWidth, 500);
    rig.resize(600, 300);
    EXPECT_FLOAT_EQ(c->left, 1800);
    // The text is not rebuilt by it.
    EXPECT_EQ(a.anchorList(), anchorText({{"C", "1100"}}));
}

TEST(AnchorRecords, AnchorControlAppendsAControlItHasNoRecordFor) {
    Rig rig;
    rig.form->add("C", 300, 300, 600, 300);
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"C", "1100"}}));
    });
    auto late = rig.form->add("Late", 900, 900, 300, 300);
    a.AnchorControl(late, true, true, true, true);  // before the first show
    EXPECT_EQ(keyed(a), (std::vector<Keyed>{{"C", 1, "1100"}, {"Late", 2, "1111"}}));
    EXPECT_FLOAT_EQ(rig.record("Late")->BaseWidth, 300);
}

// AnchorControl before the form is first shown: the control is recorded
// against the size the form was designed at, where it stands, so that the
// show moves nothing and later growth moves it by its new flags. The form
// is designed 6000 x 4500 twips, grows by 1500 x 900 afterwards.
struct EarlyAnchorCase {
    const char* name;
    const char* listed;  // its flags in the saved list; nullptr: not in it
    bool left, top, right, bottom;
    bool formSizedFirst;  // the form was 450 x 330 pixels before it was shown
    float wantLeft, wantTop, wantWidth, wantHeight;
};
void PrintTo(const EarlyAnchorCase& k, std::ostream* os) { *os << k.name; }

class AnchorControlBeforeTheFirstShow : public ::testing::TestWithParam<EarlyAnchorCase> {};

TEST_P(AnchorControlBeforeTheFirstShow, RecordsTheControlAgainstTheDesignedForm) {
    const EarlyAnchorCase& k = GetParam();
    Rig rig(400, 300);
    auto button = rig.form->add("CmdOK", 4500, 3900, 900, 375);
    auto other = rig.form->add("Other", 300, 300, 600, 300);
    QAnchor& a = rig.load([&](host::MemoryBag& bag) {
        std::string list = anchorText({{"Other", "0011"}});
        if (k.listed != nullptr) list += anchorText({{"CmdOK", k.listed}});
        bag.put("Anchor", list);
    });
    if (k.formSizedFirst) rig.desktop.SetClientSize(rig.form->window, 450, 330);
    a.AnchorControl(button, k.left, k.top, k.right, k.bottom);
    rig.show();
    rig.resize(500, 360);
    EXPECT_FLOAT_EQ(button->left, k.wantLeft);
    EXPECT_FLOAT_EQ(button->top, k.wantTop);
    EXPECT_FLOAT_EQ(button->width, k.wantWidth);
    EXPECT_FLOAT_EQ(button->height, k.wantHeight);
    // The controls it records on the way keep their distances too.
    EXPECT_FLOAT_EQ(other->left, 1800);
    EXPECT_FLOAT_EQ(other->top, 1200);
    // At the design size everything is back where it was designed.
    rig.resize(400, 300);
    EXPECT_FLOAT_EQ(button->left, 4500);
    EXPECT_FLOAT_EQ(button->top, 3900);
    EXPECT_FLOAT_EQ(other->left, 300);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnchorControlBeforeTheFirstShow,
    ::testing::Values(EarlyAnchorCase{"ReAnchorsAListedControl", "1100", false, false, true, true,
                                      false, 6000, 4800, 900, 375},
                      EarlyAnchorCase{"AddsAControlTheListLacks", nullptr, false, false, true, true,
                                      false, 6000, 4800, 900, 375},
                      EarlyAnchorCase{"StretchesAControlAcross", "0011", true, true, true, false,
                                      false, 4500, 3900, 2400, 375},
                      EarlyAnchorCase{"KeepsAControlAtTheTopLeft", "0011", true, true, false, false,
                                      false, 4500, 3900, 900, 375},
                      EarlyAnchorCase{"CentresAControl", "1100", false, false, false, false, false,
                                      5250, 4350, 900, 375},
                      EarlyAnchorCase{"OnAFormTheProgramSizedFirst", "1100", false, false, true,
                                      true, true, 6000, 4800, 900, 375}),
    [](const auto& p) { return std::string(p.param.name); });

// In the designer the property page writes a new list through Anchorit: the
// next resize of the form lays it out by the new flags, taken from where the
// controls stand, and the list saved with the form is the one written (kept
// in step with the form's controls).
struct PageEditCase {
    const char* name;
    std::string written;
    std::int32_t widthBefore, heightBefore;  // the form's client size when it is written
    float okLeft, okTop, okWidth;            // after the form grows to 500 x 360
    float gridLeft, gridWidth, gridHeight;
    std::string saved;
};
void PrintTo(const PageEditCase& k, std::ostream* os) { *os << k.name; }

class AnEditWrittenInTheDesigner : public ::testing::TestWithParam<PageEditCase> {};

TEST_P(AnEditWrittenInTheDesigner, LaysOutTheFormAndIsSaved) {
    const PageEditCase& k = GetParam();
    Rig rig(400, 300);
    auto ok = rig.form->add("CmdOK", 4500, 3900, 900, 375);
    auto grid = rig.form->add("Grid", 300, 300, 3000, 2400);
    rig.site.userMode = false;
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"Grid", "1111"}, {"CmdOK", "0011"}}));
    });
    rig.show();
    rig.resize(k.widthBefore, k.heightBefore);
    a.setAnchorit(k.written);
    EXPECT_EQ(rig.site.changes.back(), "Anchorit");
    rig.resize(500, 360);
    EXPECT_FLOAT_EQ(ok->left, k.okLeft);
    EXPECT_FLOAT_EQ(ok->top, k.okTop);
    EXPECT_FLOAT_EQ(ok->width, k.okWidth);
    EXPECT_FLOAT_EQ(grid->left, k.gridLeft);
    EXPECT_FLOAT_EQ(grid->width, k.gridWidth);
    EXPECT_FLOAT_EQ(grid->height, k.gridHeight);
    EXPECT_EQ(a.anchorList(), k.saved);
    EXPECT_EQ(a.Anchorit(), k.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnEditWrittenInTheDesigner,
    ::testing::Values(
        PageEditCase{"OneEntrysFlags", anchorText({{"Grid", "1111"}, {"CmdOK", "1100"}}), 400, 300,
                     4500, 3900, 900, 300, 4500, 3300,
                     anchorText({{"Grid", "1111"}, {"CmdOK", "1100"}})},
        PageEditCase{"EveryEntrysFlags", anchorText({{"Grid", "1100"}, {"CmdOK", "1111"}}), 400,
                     300, 4500, 3900, 2400, 300, 3000, 2400,
                     anchorText({{"Grid", "1100"}, {"CmdOK", "1111"}})},
        PageEditCase{"EntriesInAnotherOrder", anchorText({{"CmdOK", "1100"}, {"Grid", "0011"}}),
                     400, 300, 4500, 3900, 900, 1800, 3000, 2400,
                     anchorText({{"CmdOK", "1100"}, {"Grid", "0011"}})},
        // A control the text leaves out comes back with the default flags.
        PageEditCase{"AnEntryLeftOut", anchorText({{"Grid", "0011"}}), 400, 300, 4500, 3900, 900,
                     1800, 3000, 2400, anchorText({{"Grid", "0011"}, {"CmdOK", "1100"}})},
        // Written while the form is larger than designed: the controls keep
        // the places they had then.
        PageEditCase{"AtAnotherSize", anchorText({{"Grid", "1111"}, {"CmdOK", "1100"}}), 450, 330,
                     5250, 4350, 900, 300, 4500, 3300,
                     anchorText({{"Grid", "1111"}, {"CmdOK", "1100"}})}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(AnchorRecords, ArrayIndexesAreNotLimitedTo16Bits) {
    Rig rig;
    auto big = rig.form->add("Big", 300, 300, 600, 300);
    big->index = 40000;
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"Big(40000)", "0110"}}));
    });
    rig.show();
    EXPECT_EQ(keyed(a), (std::vector<Keyed>{{"Big(40000)", 1, "0110"}}));
    rig.resize(500, 300);
    EXPECT_FLOAT_EQ(big->left, 1800);
}

TEST(AnchorRecords, AnchorControlOnAControlNotOnTheFormNeverMovesTheForm) {
    Rig rig;
    rig.form->add("C", 300, 300, 600, 300);
    QAnchor& a = rig.load();
    rig.show();
    auto stranger = std::make_shared<FakeControl>("Stranger");
    stranger->left = 9000;
    stranger->width = 100;
    a.AnchorControl(stranger, true, true, true, true);
    // Its record names no position of the form (0 would be the form itself).
    EXPECT_EQ(rig.record("Stranger")->ControlIndex, 0);
    rig.resize(500, 300);
    EXPECT_EQ(rig.form->clientWidth(), 500);
    EXPECT_EQ(stranger->moves, 0);
}

TEST(AnchorRecords, AnchorControlOnALineTakesItsEndPoints) {
    Rig rig;
    auto line = rig.form->addLine("Rule", 300, 600, 3300, 900);
    QAnchor& a = rig.load();
    rig.show();
    a.AnchorControl(line, true, true, true, false);
    const auto* r = rig.record("Rule");
    EXPECT_FLOAT_EQ(r->BaseLeft, 300);
    EXPECT_FLOAT_EQ(r->BaseWidth, 3000);
    EXPECT_FLOAT_EQ(r->BaseHeight, 300);
    rig.resize(500, 300);
    EXPECT_FLOAT_EQ(line->x2, 4800);
}

}  // namespace
