// The layout pass on a fake form: every pair of edge flags, containers in
// twips and in pixels, lines, tab strips with hidden pages, controls that fail,
// re-basing, the yields and the event.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "AnchorRig.h"

namespace {

using anchor::QAnchor;
using anchor::testing::anchorText;
using anchor::testing::Rig;
using host::Member;
using host::model::FakeControl;
using host::model::FakeTabStrip;

// One axis: the two flags and where the control ends up on it when its
// container grows by 1500 twips (100 pixels) across and 900 (60) down.
struct AxisCase {
    const char* near;
    const char* far;
    float position;
    float size;
};

// Left 1500, width 1500; grows by 1500.
const AxisCase kHorizontal[] = {
    {"1", "0", 1500, 1500}, {"0", "1", 3000, 1500}, {"1", "1", 1500, 3000},
    {"0", "0", 2250, 1500}, {"x", "1", 2250, 1500},  // any other pair: half the growth
    {"2", "2", 2250, 1500},
};
// Top 1200, height 600; grows by 900.
const AxisCase kVertical[] = {
    {"1", "0", 1200, 600}, {"0", "1", 2100, 600}, {"1", "1", 1200, 1500},
    {"0", "0", 1650, 600}, {"1", "-", 1650, 600},
};

// The form's scale mode, and how many twips one of its units holds: the same
// table, in the form's own units.
struct FormScale {
    std::int32_t mode;
    float twipsPerUnit;
};
const FormScale kFormScales[] = {{host::kScaleTwips, 1}, {host::kScalePixels, 15}};

void PrintTo(const AxisCase& c, std::ostream* os) { *os << '"' << c.near << c.far << '"'; }
void PrintTo(const FormScale& s, std::ostream* os) { *os << "scale mode " << s.mode; }

class EdgeFlags : public ::testing::TestWithParam<std::tuple<AxisCase, AxisCase, FormScale>> {};

TEST_P(EdgeFlags, PlaceTheControlByTheGrowthOfItsContainer) {
    const auto& [h, v, scale] = GetParam();
    const float u = scale.twipsPerUnit;
    Rig rig;
    rig.form->scaleMode = scale.mode;
    auto c = rig.form->add("C", 1500 / u, 1200 / u, 1500 / u, 600 / u);
    const std::string flags = std::string(h.near) + v.near + h.far + v.far;
    rig.load([&](host::MemoryBag& bag) { bag.put("Anchor", anchorText({{"C", flags}})); });
    rig.show();
    EXPECT_EQ(c->moves, 1);  // laid out once at first show, where nothing changed
    EXPECT_FLOAT_EQ(c->left, 1500 / u);
    rig.resize(500, 360);
    EXPECT_FLOAT_EQ(c->left, h.position / u);
    EXPECT_FLOAT_EQ(c->width, h.size / u);
    EXPECT_FLOAT_EQ(c->top, v.position / u);
    EXPECT_FLOAT_EQ(c->height, v.size / u);
    // Back to the design size gives the design geometry again.
    rig.resize(400, 300);
    EXPECT_FLOAT_EQ(c->left, 1500 / u);
    EXPECT_FLOAT_EQ(c->top, 1200 / u);
    EXPECT_FLOAT_EQ(c->width, 1500 / u);
    EXPECT_FLOAT_EQ(c->height, 600 / u);
}

INSTANTIATE_TEST_SUITE_P(AllPairs, EdgeFlags,
                         ::testing::Combine(::testing::ValuesIn(kHorizontal),
                                            ::testing::ValuesIn(kVertical),
                                            ::testing::ValuesIn(kFormScales)));

TEST(LayoutPass, AShrinkingFormGivesANegativeSizeAsZeroWhenMoveRefusesIt) {
    Rig rig;
    auto c = rig.form->add("C", 1500, 1200, 1500, 600);
    rig.load([](host::MemoryBag& bag) { bag.put("Anchor", anchorText({{"C", "1111"}})); });
    rig.show();
    rig.resize(250, 200);  // 2250 narrower, 1500 lower: width -750, height -900
    EXPECT_FLOAT_EQ(c->left, 1500);
    EXPECT_FLOAT_EQ(c->top, 1200);
    EXPECT_FLOAT_EQ(c->width, 0);
    EXPECT_FLOAT_EQ(c->height, 0);
    EXPECT_EQ((std::vector<Member>{Member::Left, Member::Top, Member::Width, Member::Height}),
              std::vector<Member>(c->sets.end() - 4, c->sets.end()));
    // Grown back, it takes its size again from its base.
    rig.resize(400, 300);
    EXPECT_FLOAT_EQ(c->width, 1500);
    EXPECT_FLOAT_EQ(c->height, 600);
}

TEST(LayoutPass, TheFormFirstSizeIsTheDesignSize) {
    // Designed at 400 x 300, shown at 500 x 360: the first layout moves the
    // controls by the difference.
    Rig rig(500, 360);
    auto c = rig.form->add("C", 1500, 1200, 1500, 600);
    rig.load([](host::MemoryBag& bag) {
        bag.put("FirstHeight", 300.0f);
        bag.put("FirstWidth", 400.0f);
        bag.put("Anchor", anchorText({{"C", "0011"}}));
    });
    rig.show();
    EXPECT_FLOAT_EQ(c->left, 3000);
    EXPECT_FLOAT_EQ(c->top, 2100);
}

struct ScaleCase {
    const char* name;
    std::optional<std::int32_t> scaleMode;
    float left, top, width, height;  // the inner control, in the frame's units
    float movedLeft;                 // after the frame grew by 100 pixels
};

class ContainerScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ContainerScale, MovesInsideControlsInTheContainersUnits) {
    const ScaleCase& s = GetParam();
    Rig rig;
    auto frame = rig.form->add("Frame", 300, 300, 3000, 2250);
    rig.form->makeContainer(*frame, s.scaleMode);
    auto inner = rig.form->add("Inner", s.left, s.top, s.width, s.height, frame);
    rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"Frame", "1111"}, {"Inner", "0110"}}));
    });
    rig.show();
    rig.resize(500, 360);
    EXPECT_FLOAT_EQ(frame->width, 4500);
    EXPECT_FLOAT_EQ(inner->left, s.movedLeft);
    EXPECT_FLOAT_EQ(inner->top, s.top);
    EXPECT_FLOAT_EQ(inner->width, s.width);
    const auto* r = rig.record("Inner");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->ContainerHwnd, *frame->window);
    EXPECT_FLOAT_EQ(r->ContainerFirstWidth, 200);
    EXPECT_FLOAT_EQ(r->ContainerWidth, 300);
}

INSTANTIATE_TEST_SUITE_P(Modes, ContainerScale,
                         ::testing::Values(ScaleCase{"Twips", 1, 1500, 300, 600, 300, 3000},
                                           ScaleCase{"Pixels", 3, 100, 20, 40, 20, 200},
                                           ScaleCase{"NoScaleModeIsTwips", std::nullopt, 1500, 300,
                                                     600, 300, 3000},
                                           ScaleCase{"Points", 2, 75, 15, 30, 15, 150}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(LayoutPass, AContainerWithAnUnknownScaleLeavesItsControlsWhereTheyAre) {
    Rig rig;
    auto frame = rig.form->add("Frame", 300, 300, 3000, 2250);
    rig.form->makeContainer(*frame, 42);
    auto inner = rig.form->add("Inner", 1500, 300, 600, 300, frame);
    auto other = rig.form->add("Other", 0, 0, 300, 300);
    rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"Frame", "1111"}, {"Inner", "0110"}, {"Other", "0011"}}));
    });
    rig.show();
    rig.resize(500, 360);
    EXPECT_FLOAT_EQ(inner->left, 1500);
    EXPECT_FLOAT_EQ(other->left, 1500);
}

struct LineCase {
    const char* flags;
    float x1, y1, x2, y2;
};

class Lines : public ::testing::TestWithParam<LineCase> {};

TEST_P(Lines, ArePlacedThroughTheirEndPoints) {
    const LineCase& c = GetParam();
    Rig rig;
    auto line = rig.form->addLine("Line1", 300, 600, 3300, 600);
    rig.load([&](host::MemoryBag& bag) { bag.put("Anchor", anchorText({{"Line1", c.flags}})); });
    rig.show();
    rig.resize(500, 360);
    EXPECT_FLOAT_EQ(line->x1, c.x1);
    EXPECT_FLOAT_EQ(line->y1, c.y1);
    EXPECT_FLOAT_EQ(line->x2, c.x2);
    EXPECT_FLOAT_EQ(line->y2, c.y2);
    EXPECT_EQ(line->moves, 0);
}

INSTANTIATE_TEST_SUITE_P(Flags, Lines,
                         ::testing::Values(LineCase{"1111", 300, 600, 4800, 1500},
                                           LineCase{"1100", 300, 600, 3300, 600},
                                           LineCase{"0011", 1800, 1500, 4800, 1500},
                                           LineCase{"0000", 1050, 1050, 4050, 1050}));

TEST(LayoutPass, ALineShrinksPastItsStartWithoutASizeCheck) {
    Rig rig;
    auto line = rig.form->addLine("Line1", 300, 600, 1300, 600);
    rig.load([](host::MemoryBag& bag) { bag.put("Anchor", anchorText({{"Line1", "1010"}})); });
    rig.show();
    rig.resize(300, 300);  // 1500 narrower
    EXPECT_FLOAT_EQ(line->x1, 300);
    EXPECT_FLOAT_EQ(line->x2, -200);
}

// A tab strip anchored on all sides, with a control on its second page.
struct TabRig {
    TabRig() {
        tab = rig.form->add<FakeTabStrip>("Tab", 300, 300, 4500, 3000);
        rig.form->makeContainer(*tab);
        onFirst = rig.form->add("OnFirst", 600, 900, 1200, 300, tab);
        onSecond = rig.form->add("OnSecond", 600, 900, 1200, 300, tab);
        line = rig.form->addLine("Rule", 300, 1500, 3300, 1500, tab);
        tab->pages = {{onFirst}, {onSecond, line}};
        tab->ShowTab(0);
    }
    void load(const char* flags) {
        rig.load([&](host::MemoryBag& bag) {
            bag.put(
                "Anchor",
                anchorText(
                    {{"Tab", "1111"}, {"OnFirst", flags}, {"OnSecond", flags}, {"Rule", flags}}));
        });
        rig.show();
    }
    Rig rig;
    std::shared_ptr<FakeTabStrip> tab;
    std::shared_ptr<FakeControl> onFirst, onSecond;
    std::shared_ptr<host::model::FakeLine> line;
};

class HiddenTab : public ::testing::TestWithParam<AxisCase> {};

TEST_P(HiddenTab, KeepsAHiddenPagesControl75000ToTheLeftOfItsPlace) {
    const AxisCase& h = GetParam();
    TabRig t;
    const std::string flags = std::string(h.near) + "1" + h.far + "0";
    t.load(flags.c_str());
    EXPECT_FLOAT_EQ(t.onSecond->left, 600 - 75000);
    t.rig.resize(500, 360);
    // Where the visible page's control stands, 75000 further left.
    const float visible = t.onFirst->left;
    EXPECT_FLOAT_EQ(visible, h.position - 900);
    EXPECT_FLOAT_EQ(t.onSecond->left, visible - 75000);
    EXPECT_FLOAT_EQ(t.onSecond->width, t.onFirst->width);
    const auto* r = t.rig.record("OnSecond");
    EXPECT_FLOAT_EQ(r->LastLeft, visible);
    EXPECT_FLOAT_EQ(r->BaseLeft, 600);
    // Its page shown, it is found at its anchored place and not re-based.
    t.tab->ShowTab(1);
    t.rig.resize(500, 360);
    EXPECT_FLOAT_EQ(t.onSecond->left, visible);
    EXPECT_FLOAT_EQ(t.rig.record("OnSecond")->BaseLeft, 600);
    EXPECT_FLOAT_EQ(t.onFirst->left, visible - 75000);
}

// The tab strip's own left is 300 and it grows by 1500: its controls move by
// that growth, from left 600.
INSTANTIATE_TEST_SUITE_P(Flags, HiddenTab,
                         ::testing::Values(AxisCase{"1", "0", 1500, 0}, AxisCase{"0", "1", 3000, 0},
                                           AxisCase{"1", "1", 1500, 0},
                                           AxisCase{"0", "0", 2250, 0}));

TEST(LayoutPass, ALineOnAHiddenPageIsOffsetThroughX1) {
    TabRig t;
    t.load("1111");
    EXPECT_FLOAT_EQ(t.line->x1, 300 - 75000);
    t.rig.resize(500, 360);
    EXPECT_FLOAT_EQ(t.line->x1, 300 - 75000);
    EXPECT_FLOAT_EQ(t.line->x2, 4800 - 75000);
    EXPECT_FLOAT_EQ(t.line->y2, 1500 + 900);
    EXPECT_FLOAT_EQ(t.rig.record("Rule")->LastLeft, 300);
    t.tab->ShowTab(1);
    t.rig.resize(500, 360);
    EXPECT_FLOAT_EQ(t.line->x1, 300);
    EXPECT_FLOAT_EQ(t.line->x2, 4800);
}

TEST(LayoutPass, TheReadBackIsWhatTheContainerRoundedTo) {
    Rig rig;
    auto c = rig.form->add("C", 1500, 1200, 1500, 600);
    c->grid = 15;  // whole pixels
    rig.load([](host::MemoryBag& bag) { bag.put("Anchor", anchorText({{"C", "0000"}})); });
    rig.show();
    rig.resize(401, 301);            // half of 15 twips each way
    EXPECT_FLOAT_EQ(c->left, 1500);  // 1507.5 rounded to the pixel (halves to even)
    const auto* r = rig.record("C");
    EXPECT_FLOAT_EQ(r->LastLeft, 1500);
    EXPECT_FLOAT_EQ(r->BaseLeft, 1500);
    // Its own rounding is no move of someone else's: not re-based.
    rig.resize(403, 303);
    EXPECT_FLOAT_EQ(rig.record("C")->BaseLeft, 1500);
    EXPECT_FLOAT_EQ(c->left, 1530);  // 1522.5, to the even pixel
}

TEST(LayoutPass, AControlMovedByTheProgramIsReBasedAndFollowsOnlyLaterGrowth) {
    Rig rig;
    auto c = rig.form->add("C", 1500, 1200, 1500, 600);
    rig.load([](host::MemoryBag& bag) { bag.put("Anchor", anchorText({{"C", "0110"}})); });
    rig.show();
    rig.resize(500, 300);
    EXPECT_FLOAT_EQ(c->left, 3000);
    c->left = 600;  // the program puts it elsewhere
    rig.resize(500, 300);
    EXPECT_FLOAT_EQ(c->left, 600);
    EXPECT_FLOAT_EQ(rig.record("C")->BaseLeft, 600);
    rig.resize(520, 300);
    EXPECT_FLOAT_EQ(c->left, 900);
}

TEST(LayoutPass, ContainerResizedReplacesAContainersControlsAfterTheProgramSizedIt) {
    Rig rig;
    auto frame = rig.form->add("Frame", 300, 300, 3000, 2250);
    rig.form->makeContainer(*frame);
    auto inner = rig.form->add("Inner", 1500, 300, 600, 300, frame);
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"Frame", "1100"}, {"Inner", "0110"}}));
    });
    a.ContainerResized();  // not set up yet: nothing
    EXPECT_FALSE(a.initialised());
    rig.show();
    frame->Set(Member::Width, 4500);  // the program widens the frame
    a.ContainerResized();
    EXPECT_FLOAT_EQ(inner->left, 3000);
    EXPECT_FLOAT_EQ(frame->width, 4500);  // re-based, not put back
}

TEST(LayoutPass, AnEmptyKeyStopsRecordingThere) {
    Rig rig;
    auto unnamed = rig.form->add("", 0, 0, 300, 300);
    auto later = rig.form->add("Later", 1500, 1200, 1500, 600);
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"", "1100"}, {"Later", "0110"}}));
    });
    rig.show();
    ASSERT_EQ(a.records().size(), 3u);
    // Never recorded: no base, so it is placed from zeros.
    EXPECT_FLOAT_EQ(rig.record("Later")->BaseWidth, 0);
    EXPECT_FLOAT_EQ(later->width, 0);
    (void)unnamed;
}

TEST(LayoutPass, AControlThatCannotBeFetchedIsSkippedNotReplaced) {
    Rig rig;
    auto a1 = rig.form->add("A", 300, 300, 600, 300);
    auto b1 = rig.form->add("B", 1500, 1200, 1500, 600);
    rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"A", "0110"}, {"B", "0110"}}));
    });
    rig.show();
    rig.form->unfetchable = {2};  // B's position
    rig.resize(500, 300);
    EXPECT_FLOAT_EQ(a1->left, 1800);
    EXPECT_FLOAT_EQ(b1->left, 1500);
    // A was not given B's record.
    EXPECT_FLOAT_EQ(a1->width, 600);
    EXPECT_EQ(a1->moves, 2);
    rig.form->unfetchable.clear();
    rig.resize(500, 300);
    EXPECT_FLOAT_EQ(b1->left, 3000);
}

TEST(LayoutPass, AFailingMoveFallsBackToTheFourMembers) {
    Rig rig;
    auto c = rig.form->add("C", 1500, 1200, 1500, 600);
    c->moveFails = true;
    c->unsettable = {Member::Top};  // the others still take
    rig.load([](host::MemoryBag& bag) { bag.put("Anchor", anchorText({{"C", "0011"}})); });
    rig.show();
    rig.resize(500, 360);
    EXPECT_FLOAT_EQ(c->left, 3000);
    EXPECT_FLOAT_EQ(c->top, 1200);
    EXPECT_FLOAT_EQ(c->width, 1500);
    EXPECT_FLOAT_EQ(rig.record("C")->LastTop, 1200);
}

TEST(LayoutPass, YieldsOncePerRecordInBothPassesAndOnceBetween) {
    Rig rig;
    for (int i = 0; i < 7; ++i) rig.form->add("C" + std::to_string(i), 100.0f * i, 0, 90, 90);
    QAnchor& a = rig.load();
    rig.show();
    ASSERT_EQ(a.records().size(), 8u);
    const int before = rig.site.doEvents;
    rig.resize(500, 360);
    EXPECT_EQ(rig.site.doEvents - before, 7 + 1 + 7);
}

TEST(LayoutPass, ASizeChangeDuringAYieldRunsANestedPassAndTheEndIsTheLastSize) {
    Rig rig;
    std::vector<std::shared_ptr<FakeControl>> cs;
    std::string text;
    for (int i = 0; i < 6; ++i) {
        cs.push_back(rig.form->add("C" + std::to_string(i), 300, 300.0f * i, 600, 300));
        text += "C" + std::to_string(i) + "\r0110\r";
    }
    rig.load([&](host::MemoryBag& bag) { bag.put("Anchor", text); });
    rig.show();
    int yields = 0;
    rig.site.onDoEvents = [&] {
        if (++yields == 3) rig.resize(600, 300);  // the user drags on
    };
    rig.resize(500, 300);
    rig.site.onDoEvents = {};
    for (const auto& c : cs) EXPECT_FLOAT_EQ(c->left, 300 + 3000) << *c->name;
}

TEST(LayoutPass, RecordsRemovedDuringAYieldAreSkippedByTheSuspendedPass) {
    Rig rig;
    std::vector<std::shared_ptr<FakeControl>> cs;
    for (int i = 0; i < 6; ++i)
        cs.push_back(rig.form->add("C" + std::to_string(i), 300, 0, 60, 60));
    QAnchor& a = rig.load();
    rig.show();
    int yields = 0;
    rig.site.onDoEvents = [&] {
        if (++yields != 2) return;
        for (int i = 0; i < 4; ++i) rig.form->remove(cs[static_cast<std::size_t>(i)]);
        rig.resize(450, 300);  // its sync drops four records
    };
    rig.resize(500, 300);
    rig.site.onDoEvents = {};
    EXPECT_EQ(a.records().size(), 3u);
}

TEST(LayoutPass, AfterResizeReportsTheScaleAfterEveryPassWhenTheDesignSizeIsKnown) {
    Rig rig;
    std::vector<std::pair<float, float>> events;
    QAnchor& a = rig.load();
    a.AfterResize = [&](float x, float y) { events.emplace_back(x, y); };
    rig.show();
    rig.resize(600, 450);
    ASSERT_EQ(events.size(), 2u);  // no control at all, still raised
    EXPECT_FLOAT_EQ(events[1].first, 1.5f);
    EXPECT_FLOAT_EQ(events[1].second, 1.5f);

    Rig zero;
    std::vector<std::pair<float, float>> none;
    QAnchor& b = zero.load([](host::MemoryBag& bag) { bag.put("FirstWidth", 0.0f); });
    b.AfterResize = [&](float x, float y) { none.emplace_back(x, y); };
    zero.show();
    zero.resize(600, 450);
    EXPECT_TRUE(none.empty());
}

}  // namespace
