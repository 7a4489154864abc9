// QResizer's resize pass on a fake form: proportional geometry and fonts,
// the order of the two passes, lines, hidden tab pages, the events, controls
// that fail or are gone, and the geometry inside tab strips.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ResizerRig.h"

namespace {

using host::Member;
using host::model::FakeControl;
using host::model::FakeLine;
using host::model::FakeTabStrip;
using resizer::QResizer;
using resizer::testing::Rig;

struct Geometry {
    float left, top, width, height;
};

void expectAt(const FakeControl& c, Geometry g, const char* what = "") {
    EXPECT_FLOAT_EQ(c.left, g.left) << what;
    EXPECT_FLOAT_EQ(c.top, g.top) << what;
    EXPECT_FLOAT_EQ(c.width, g.width) << what;
    EXPECT_FLOAT_EQ(c.height, g.height) << what;
}

// ---------------------------------------------------------------- scaling

// A control at 1500, 1200, 3000 x 600 with an 8-point font on a form designed
// at 600 x 400 pixels, resized to the case's size.
struct ScaleCase {
    const char* name;
    bool resizeFont;
    std::int32_t width, height;  // pixels
    Geometry want;
    float font;
};
void PrintTo(const ScaleCase& k, std::ostream* os) { *os << k.name; }

class Scaling : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(Scaling, FollowsEachAxisAndTheSmallerRatioForFonts) {
    const ScaleCase& k = GetParam();
    Rig rig;
    auto c = rig.add("C", 1500, 1200, 3000, 600, 8);
    QResizer& a = rig.load([&](host::MemoryBag& bag) { bag.put("ResizeFont", k.resizeFont); });
    rig.show();
    rig.resize(k.width, k.height);
    expectAt(*c, k.want);
    EXPECT_FLOAT_EQ(*c->fontSize, k.font);
    EXPECT_FLOAT_EQ(rig.record(1).LastFont, k.font);  // read back either way
    EXPECT_FLOAT_EQ(rig.record(1).LastLeft, k.want.left);
    // Back at the design size: the design geometry again.
    rig.resize(600, 400);
    expectAt(*c, {1500, 1200, 3000, 600});
    EXPECT_FLOAT_EQ(*c->fontSize, 8);
    (void)a;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Scaling,
    ::testing::Values(
        ScaleCase{"Double", true, 1200, 800, {3000, 2400, 6000, 1200}, 16},
        ScaleCase{"TwiceAsWide", true, 1200, 400, {3000, 1200, 6000, 600}, 8},
        ScaleCase{"TwiceAsHigh", true, 600, 800, {1500, 2400, 3000, 1200}, 8},
        ScaleCase{"Half", true, 300, 200, {750, 600, 1500, 300}, 4},
        ScaleCase{"HalfAsWideTwiceAsHigh", true, 300, 800, {750, 2400, 1500, 1200}, 4},
        ScaleCase{"OneAndAHalf", true, 900, 600, {2250, 1800, 4500, 900}, 12},
        ScaleCase{"DoubleWithoutFonts", false, 1200, 800, {3000, 2400, 6000, 1200}, 8},
        ScaleCase{"HalfWithoutFonts", false, 300, 200, {750, 600, 1500, 300}, 8}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ResizePass, AHundredResizesLeaveNoDriftAtTheDesignSize) {
    Rig rig;
    auto frame = rig.add("Frame", 150, 150, 4500, 3000, 8);
    rig.form->makeContainer(*frame);
    auto strip = rig.form->add<FakeTabStrip>("Tabs", 4800, 150, 3900, 3000);
    rig.form->makeContainer(*strip);
    strip->pages.resize(2);
    std::vector<std::shared_ptr<FakeControl>> all{frame, strip};
    all.push_back(rig.add("Text", 300, 450, 3900, 300, 9, frame));
    all.push_back(rig.add("OnPage0", 150, 900, 1500, 300, 8, strip));
    all.push_back(rig.add("OnPage1", 150, 900, 1500, 300, 8, strip));
    all.push_back(rig.add("Button", 7500, 5400, 1200, 375, 8.25f));
    strip->pages[0] = {all[3]};
    strip->pages[1] = {all[4]};
    strip->ShowTab(0);
    auto line = rig.form->addLine("Rule", 150, 3300, 8700, 3300);
    for (auto& c : all) c->grid = 15;  // they take whole pixels, as widgets do
    line->grid = 15;
    std::vector<Geometry> design;
    std::vector<float> fonts;
    for (auto& c : all) {
        design.push_back({c->left, c->top, c->width, c->height});
        fonts.push_back(c->fontSize.value_or(0));
    }
    rig.load();
    rig.show();
    std::uint32_t seed = 12345;
    for (int i = 0; i < 100; ++i) {
        seed = seed * 1103515245u + 12345u;
        rig.resize(static_cast<std::int32_t>(150 + (seed >> 8) % 1200),
                   static_cast<std::int32_t>(100 + (seed >> 16) % 900));
        if (i == 50) strip->ShowTab(1);
    }
    strip->ShowTab(0);
    rig.resize(600, 400);
    for (std::size_t i = 0; i < all.size(); ++i) {
        expectAt(*all[i], design[i], all[i]->name->c_str());
        EXPECT_FLOAT_EQ(all[i]->fontSize.value_or(0), fonts[i]) << *all[i]->name;
    }
    EXPECT_FLOAT_EQ(line->x1, 150);
    EXPECT_FLOAT_EQ(line->x2, 8700);
    EXPECT_FLOAT_EQ(line->y2, 3300);
}

TEST(ResizePass, AMinimisedFormPutsItsControlsAtZeroAndTheRestoreBringsThemBack) {
    Rig rig;
    auto c = rig.add("C", 1500, 1200, 3000, 600, 8);
    QResizer& a = rig.load();
    rig.show();
    rig.resize(0, 0);
    expectAt(*c, {0, 0, 0, 0});
    EXPECT_EQ(a.currentClientWidth(), 0);
    rig.resize(600, 400);
    expectAt(*c, {1500, 1200, 3000, 600});
    EXPECT_FLOAT_EQ(*c->fontSize, 8);
}

// ---------------------------------------------------------------- order, yields, events

TEST(ResizePass, FormControlsComeFirstThenThoseInsideContainersAndNoneIsSkipped) {
    Rig rig;
    auto inner = rig.add("Inner", 300, 300, 600, 300, 8);  // placed in the frame below
    auto frame = rig.add("Frame", 150, 150, 4500, 3000, 8);
    rig.form->makeContainer(*frame);
    inner->container = frame;
    auto none = rig.form->add("NoKind", 0, 0, 100, 100);
    none->visible.reset();
    rig.add("Last", 6000, 300, 600, 300, 8);
    QResizer& a = rig.load();
    std::vector<std::string> order;
    a.BeforeResizeControl = [&](host::ObjectRef& c, float&, float&, float&, float&, float&, bool&) {
        order.push_back(c->Name().value_or("?"));
    };
    rig.show();
    EXPECT_EQ(order, (std::vector<std::string>{"Frame", "Last", "Inner"}));
    EXPECT_EQ(none->moves, 0);
    EXPECT_TRUE(none->sets.empty());
    EXPECT_EQ(rig.record(3).Type, "None");
}

TEST(ResizePass, YieldsAfterEveryPositionOfBothPassesAndOnceBetween) {
    Rig rig;
    for (int i = 0; i < 12; ++i) rig.add("C" + std::to_string(i), i * 600.0f, 0, 500, 300, 8);
    rig.load();
    rig.show();
    rig.site.doEvents = 0;
    rig.resize(700, 500);
    EXPECT_EQ(rig.site.doEvents, 12 + 1 + 12);
}

TEST(ResizePass, AFormWithoutControlsStillYieldsOnceAndReportsItsScale) {
    Rig rig;
    QResizer& a = rig.load();
    std::vector<std::pair<float, float>> scales;
    a.AfterResize = [&](float x, float y) { scales.emplace_back(x, y); };
    rig.show();
    rig.site.doEvents = 0;
    rig.resize(900, 500);
    EXPECT_EQ(rig.site.doEvents, 1);
    ASSERT_EQ(scales.size(), 2u);
    EXPECT_FLOAT_EQ(scales.back().first, 1.5f);
    EXPECT_FLOAT_EQ(scales.back().second, 1.25f);
}

TEST(ResizePass, WithoutADesignSizeThereIsNoScaleToReportAndThatAxisIsNotScaled) {
    Rig rig;
    auto c = rig.add("C", 1500, 1200, 3000, 600, 8);
    QResizer& a = rig.load([](host::MemoryBag& bag) { bag.put("FirstWidth", std::int32_t{0}); });
    int reports = 0;
    a.AfterResize = [&](float, float) { ++reports; };
    rig.show();
    rig.resize(1200, 800);
    EXPECT_EQ(reports, 0);
    // The width axis has no first size: kept. The height doubles; the font
    // follows the smaller ratio, the unscaled axis's 1.
    expectAt(*c, {1500, 2400, 3000, 1200});
    EXPECT_FLOAT_EQ(*c->fontSize, 8);
    EXPECT_TRUE(std::isfinite(rig.record(1).LastLeft));
}

TEST(ResizePass, AControlInAContainerThatIsNoWindowIsLeftItsSize) {
    Rig rig;
    auto box = rig.add("Box", 150, 150, 3000, 3000, 8);
    box->window = 0x7777;  // no such window: its client size reads 0
    auto inner = rig.add("Inner", 300, 300, 600, 300, 8, box);
    rig.load();
    rig.show();
    rig.resize(1200, 800);
    expectAt(*inner, {300, 300, 600, 300});
    EXPECT_FLOAT_EQ(*inner->fontSize, 8);
}

TEST(ResizePass, TheHandlerCanChangeTheProposalVetoItOrTurnItToAnotherControl) {
    Rig rig;
    auto a1 = rig.add("A", 1500, 1200, 3000, 600, 8);
    auto b = rig.add("B", 300, 300, 600, 300, 8);
    auto c = rig.add("C", 600, 600, 600, 300, 8);
    auto other = std::make_shared<FakeControl>("Other");  // not on the form
    QResizer& q = rig.load([](host::MemoryBag& bag) { bag.put("ResizeFont", false); });
    std::vector<float> offeredFonts;
    q.BeforeResizeControl = [&](host::ObjectRef& control, float& l, float&, float&, float& w,
                                float& f, bool& ignore) {
        const std::string name = control->Name().value_or("");
        if (name == "A") {
            w = 1234;
            offeredFonts.push_back(f);
        }
        if (name == "B") {
            ignore = true;
            b->left = 777;  // placed by the handler itself
        }
        if (name == "C") {
            control = other;
            l = 4321;
        }
    };
    rig.show();
    rig.resize(1200, 800);
    EXPECT_FLOAT_EQ(a1->width, 1234);
    EXPECT_FLOAT_EQ(a1->left, 3000);
    EXPECT_FLOAT_EQ(offeredFonts.back(), 16);  // offered though fonts are not resized
    EXPECT_FLOAT_EQ(*a1->fontSize, 8);
    // Ignored: not moved, its record reads what the handler did.
    EXPECT_FLOAT_EQ(b->left, 777);
    EXPECT_FLOAT_EQ(b->width, 600);
    EXPECT_FLOAT_EQ(rig.record(2).LastLeft, 777);
    // Turned to another control: that one moves, and is read back into C's record.
    EXPECT_FLOAT_EQ(c->left, 600);
    EXPECT_FLOAT_EQ(other->left, 4321);
    EXPECT_FLOAT_EQ(other->width, 1200);
    EXPECT_FLOAT_EQ(rig.record(3).LastLeft, 4321);
}

TEST(ResizePass, AValueThatIsNotANumberNeverReachesAControl) {
    Rig rig;
    auto c = rig.add("C", 1500, 1200, 3000, 600, 8);
    QResizer& q = rig.load();
    q.BeforeResizeControl = [&](host::ObjectRef&, float&, float&, float&, float& w, float& f,
                                bool&) {
        w = std::nanf("");
        f = std::numeric_limits<float>::infinity();
    };
    rig.show();
    rig.resize(1200, 800);
    EXPECT_EQ(c->moves, 0);
    EXPECT_FLOAT_EQ(c->left, 3000);
    EXPECT_FLOAT_EQ(c->top, 2400);
    EXPECT_FLOAT_EQ(c->height, 1200);
    EXPECT_FLOAT_EQ(c->width, 3000);
    EXPECT_FLOAT_EQ(*c->fontSize, 8);
}

TEST(ResizePass, AMoveThatFailsSetsTheValuesOneByOneAndAFailingFontIsPassedOver) {
    Rig rig;
    auto c = rig.add("C", 1500, 1200, 3000, 600, 8);
    c->moveFails = true;
    c->unsettable = {Member::Width, Member::FontSize};
    rig.load();
    rig.show();
    c->sets.clear();
    rig.resize(1200, 800);
    EXPECT_EQ(c->sets, (std::vector<Member>{Member::Left, Member::Top, Member::Height}));
    EXPECT_FLOAT_EQ(c->left, 3000);
    EXPECT_FLOAT_EQ(c->width, 3000);
    EXPECT_FLOAT_EQ(c->height, 1200);
    EXPECT_FLOAT_EQ(rig.record(1).LastWidth, 3000);
}

TEST(ResizePass, ALineIsSetPointByPointAndHasNoFont) {
    Rig rig;
    auto line = rig.form->addLine("Rule", 150, 3000, 8700, 3300);
    rig.load();
    rig.show();
    line->sets.clear();
    rig.resize(1200, 800);
    EXPECT_EQ(line->sets, (std::vector<Member>{Member::X1, Member::X2, Member::Y1, Member::Y2}));
    EXPECT_FLOAT_EQ(line->x1, 300);
    EXPECT_FLOAT_EQ(line->x2, 17400);
    EXPECT_FLOAT_EQ(line->y1, 6000);
    EXPECT_FLOAT_EQ(line->y2, 6600);
    EXPECT_EQ(rig.record(1).Type, "Line");
    EXPECT_FLOAT_EQ(rig.record(1).LastWidth, 17400);
    EXPECT_FLOAT_EQ(rig.record(1).LastFont, 0);
}

TEST(ResizePass, ASizeChangeDuringAYieldRunsANestedPassAndTheEndIsTheLastSize) {
    Rig rig;
    std::vector<std::shared_ptr<FakeControl>> cs;
    for (int i = 0; i < 4; ++i)
        cs.push_back(rig.add("C" + std::to_string(i), i * 1500.0f, 600, 1200, 300, 8));
    rig.load();
    rig.show();
    bool resized = false;
    rig.site.onDoEvents = [&] {
        if (resized) return;
        resized = true;
        rig.resize(300, 200);  // handled at once: a whole nested pass
    };
    rig.resize(1200, 800);
    for (int i = 0; i < 4; ++i)
        expectAt(*cs[static_cast<std::size_t>(i)], {i * 750.0f, 300, 600, 150});
}

// ---------------------------------------------------------------- the table and the collection

TEST(ResizePass, AControlRemovedSinceTheRecordingNeverGivesItsGeometryToAnother) {
    Rig rig;
    auto first = rig.add("A", 300, 300, 3000, 600, 8);
    auto second = rig.add("B", 6000, 3000, 1500, 450, 8);
    rig.load();
    rig.show();
    rig.resize(1200, 800);
    expectAt(*second, {12000, 6000, 3000, 900});
    rig.form->remove(first);  // B is at position 1 now
    rig.resize(600, 400);
    expectAt(*second, {6000, 3000, 1500, 450});
    EXPECT_FLOAT_EQ(*second->fontSize, 8);
}

TEST(ResizePass, AControlAddedSinceTheRecordingIsScaledFromWhereItWasPut) {
    Rig rig;
    auto a1 = rig.add("A", 300, 300, 3000, 600, 8);
    rig.load();
    rig.show();
    rig.resize(1200, 800);
    auto late = rig.add("Late", 9000, 6000, 3000, 900, 16);  // put at twice the design size
    rig.resize(600, 400);
    expectAt(*late, {4500, 3000, 1500, 450});
    EXPECT_FLOAT_EQ(*late->fontSize, 8);
    expectAt(*a1, {300, 300, 3000, 600});
}

TEST(ResizePass, AControlAddedWhileTheFormIsMinimisedLeavesTheOthersTheirPlaces) {
    Rig rig;
    auto a1 = rig.add("A", 300, 300, 3000, 600, 8);
    auto b = rig.add("B", 6000, 3000, 1500, 450, 8);
    a1->grid = b->grid = 15;
    rig.load();
    rig.show();
    rig.resize(0, 0);
    expectAt(*b, {0, 0, 0, 0});
    auto late = rig.add("Late", 4500, 4500, 1500, 450, 8);  // placed while minimised
    rig.form->remove(a1);
    rig.form->controls.insert(rig.form->controls.begin() + 1, a1);  // A now after B
    rig.resize(600, 400);
    expectAt(*a1, {300, 300, 3000, 600});
    expectAt(*b, {6000, 3000, 1500, 450});
    EXPECT_FLOAT_EQ(*b->fontSize, 8);
    expectAt(*late, {4500, 4500, 1500, 450});
}

TEST(ResizePass, AnotherControlAtARecordedPositionIsNotGivenItsRecord) {
    Rig rig;
    auto first = rig.add("A", 300, 300, 3000, 600, 8);
    auto second = rig.add("B", 6000, 3000, 1500, 450, 8);
    rig.load();
    rig.show();
    rig.resize(1200, 800);
    rig.form->remove(first);
    auto late = rig.add("Late", 600, 600, 1200, 300, 8);  // the count is as recorded
    rig.resize(600, 400);
    expectAt(*second, {6000, 3000, 1500, 450});
    expectAt(*late, {300, 300, 600, 150});
}

TEST(ResizePass, AControlThatCannotBeFetchedIsSkipped) {
    Rig rig;
    auto a1 = rig.add("A", 300, 300, 3000, 600, 8);
    auto b = rig.add("B", 6000, 3000, 1500, 450, 8);
    rig.load();
    rig.show();
    rig.form->unfetchable = {1};
    rig.resize(1200, 800);
    expectAt(*a1, {300, 300, 3000, 600});
    expectAt(*b, {12000, 6000, 3000, 900});
    rig.form->unfetchable.clear();
    rig.resize(1200, 800);
    expectAt(*a1, {600, 600, 6000, 1200});
}

// ---------------------------------------------------------------- hidden tab pages

struct Tabbed {
    Tabbed() {
        strip = rig.form->add<FakeTabStrip>("Tabs", 150, 150, 6000, 4500);
        rig.form->makeContainer(*strip);
        strip->fontSize = 8;
        strip->tabs = 2;
        strip->tabsPerRow = 2;
        strip->tabHeight = 300;  // one row: a band of 300, no allowance
        strip->pages.resize(2);
    }
    Rig rig;
    std::shared_ptr<FakeTabStrip> strip;
};

TEST(ResizePass, AControlOnAHiddenPageStaysHiddenAtItsScaledPlace) {
    Tabbed t;
    auto shown = t.rig.add("Shown", 300, 600, 1500, 450, 8, t.strip);
    auto hidden = t.rig.add("Hidden", 300, 1500, 1500, 450, 8, t.strip);
    auto line = t.rig.form->addLine("Rule", 300, 2400, 3000, 2400, t.strip);
    t.strip->pages[0] = {shown};
    t.strip->pages[1] = {hidden, line};
    t.strip->ShowTab(0);
    t.rig.load();
    t.rig.show();
    t.rig.resize(1200, 800);  // the strip doubles: 12000 x 9000, inner 8700 high
    const double hr = (9000.0 - 300) / (4500 - 300);
    EXPECT_FLOAT_EQ(hidden->left, 600 - 75000);
    EXPECT_FLOAT_EQ(hidden->top, static_cast<float>(hr * (1500 - 300) + 300));
    EXPECT_FLOAT_EQ(t.rig.record(3).LastLeft, 600);
    EXPECT_FLOAT_EQ(line->x1, 600 - 75000);
    EXPECT_FLOAT_EQ(line->x2, 6000 - 75000);
    EXPECT_FLOAT_EQ(t.rig.record(4).LastWidth, 6000);
    EXPECT_FLOAT_EQ(shown->left, 600);
    // Shown, it stands where it belongs; no change is seen in the switch.
    t.strip->ShowTab(1);
    EXPECT_FLOAT_EQ(hidden->left, 600);
    EXPECT_FLOAT_EQ(shown->left, 600 - 75000);
    t.rig.resize(600, 400);
    expectAt(*hidden, {300, 1500, 1500, 450});
    expectAt(*shown, {300 - 75000, 600, 1500, 450});
    EXPECT_FLOAT_EQ(line->x1, 300);
}

TEST(ResizePass, FarLeftOnTheFormItIsScaledAsItStandsAndReadBackWithTheOffset) {
    Rig rig;
    auto c = rig.add("Far", -45000, 300, 1500, 450, 8);
    rig.load();
    rig.show();
    rig.resize(1200, 400);
    EXPECT_FLOAT_EQ(c->left, -90000);  // no offset taken off: not on a strip
    EXPECT_FLOAT_EQ(rig.record(1).LastLeft, -15000);
}

TEST(ResizePass, ADataControlOnAStripIsScaledWithTheFormAndKeepsTheOffset) {
    Tabbed t;
    auto data = t.rig.add("Data1", 300, 600, 1500, 450, 8, t.strip);
    data->typeName = "Data";
    t.strip->pages[1] = {data};
    t.strip->ShowTab(0);
    QResizer& a = t.rig.load();
    std::vector<std::string> order;
    a.BeforeResizeControl = [&](host::ObjectRef& c, float&, float&, float&, float&, float&, bool&) {
        order.push_back(c->Name().value_or("?"));
    };
    t.rig.show();
    t.rig.resize(1200, 800);
    EXPECT_EQ(order.back(), "Data1");
    EXPECT_EQ(order.size(), 4u);               // both in pass 1, both times
    EXPECT_FLOAT_EQ(data->left, 600 - 75000);  // the form's ratio, not the strip's geometry
    EXPECT_FLOAT_EQ(data->top, 1200);
}

TEST(ResizePass, AFrameOnAStripGetsTheStripsGeometryItsControlsTheFramesRatio) {
    Tabbed t;
    auto frame = t.rig.add("Frame", 300, 600, 3000, 1500, 8, t.strip);
    t.rig.form->makeContainer(*frame);
    auto inner = t.rig.add("Inner", 150, 150, 1500, 450, 8, frame);
    t.strip->pages[1] = {frame};
    t.strip->ShowTab(0);
    t.rig.load();
    t.rig.show();
    t.rig.resize(1200, 800);
    const double hr = (9000.0 - 300) / (4500 - 300);
    EXPECT_FLOAT_EQ(frame->left, 600 - 75000);
    EXPECT_FLOAT_EQ(frame->top, static_cast<float>(hr * (600 - 300) + 300));
    // Inside the frame: plain ratios of its client size (its window takes
    // whole pixels), and no offset.
    const double frameHeight = std::round(hr * 1500 / 15) * 15;
    EXPECT_FLOAT_EQ(inner->left, 300);
    EXPECT_FLOAT_EQ(inner->top, static_cast<float>(150 * frameHeight / 1500));
}

// ---------------------------------------------------------------- tab-strip geometry

// A control on a strip whose container measures in twips, one twip a pixel:
// recorded at the strip's first size, then the program sizes the strip and
// says so.
struct StripCase {
    const char* name;
    std::int32_t tabs, tabsPerRow, orientation;
    float tabHeight;
    float firstHeight, firstWidth, lastHeight, lastWidth;
    bool line;
    Geometry first;  // top, left, height, width as the record holds them: see below
    Geometry want;
};
void PrintTo(const StripCase& k, std::ostream* os) { *os << k.name; }
// Geometry here is in the record's slot order: left, top, width, height; a
// line's X1, Y1, X2, Y2.

class StripGeometry : public ::testing::TestWithParam<StripCase> {};

struct StripRun {
    explicit StripRun(const StripCase& k,
                      std::optional<std::int32_t> scaleMode = host::kScaleTwips) {
        rig.desktop.twipsPerPixelX = rig.desktop.twipsPerPixelY = 1;
        rig.form->scaleMode = scaleMode;
        strip = rig.form->add<FakeTabStrip>("Tabs", 100, 100, k.firstWidth, k.firstHeight);
        rig.form->makeContainer(*strip);
        strip->tabs = k.tabs;
        strip->tabsPerRow = k.tabsPerRow;
        strip->tabOrientation = k.orientation;
        strip->tabHeight = k.tabHeight;
        if (k.line)
            control = rig.form->addLine("Rule", k.first.left, k.first.top, k.first.width,
                                        k.first.height, strip);
        else
            control =
                rig.add("C", k.first.left, k.first.top, k.first.width, k.first.height, 8, strip);
    }
    // Shown (nothing changes), then the strip resized by program.
    QResizer& run(const StripCase& k) {
        QResizer& a = rig.load();
        rig.show();
        strip->Move(100, 100, k.lastWidth, k.lastHeight);
        a.ContainerResized();
        return a;
    }
    [[nodiscard]] Geometry at() const {
        if (auto* l = dynamic_cast<FakeLine*>(control.get())) return {l->x1, l->y1, l->x2, l->y2};
        return {control->left, control->top, control->width, control->height};
    }
    Rig rig{10000, 10000};
    std::shared_ptr<FakeTabStrip> strip;
    std::shared_ptr<FakeControl> control;
};

TEST_P(StripGeometry, ScalesWithinThePageAreaAndShiftsPastTheBand) {
    const StripCase& k = GetParam();
    StripRun s(k);
    s.run(k);
    const Geometry g = s.at();
    EXPECT_FLOAT_EQ(g.left, k.want.left);
    EXPECT_FLOAT_EQ(g.top, k.want.top);
    EXPECT_FLOAT_EQ(g.width, k.want.width);
    EXPECT_FLOAT_EQ(g.height, k.want.height);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StripGeometry,
    ::testing::Values(
        // 2 rows of 300: a band of 600, an allowance of 150; inner 2400 x 4000
        // grows to 3600 x 5000 (1.5 and 1.25).
        StripCase{"TopWorkedExample",
                  6,
                  3,
                  0,
                  300,
                  3000,
                  4150,
                  4200,
                  5150,
                  false,
                  {200, 900, 1000, 300},
                  {250, 1050, 1250, 450}},
        StripCase{"TopLine",
                  6,
                  3,
                  0,
                  300,
                  3000,
                  4150,
                  4200,
                  5150,
                  true,
                  {200, 900, 1200, 1500},
                  {250, 1050, 1500, 1950}},
        StripCase{"TopAtTheBandStaysThere",
                  6,
                  3,
                  0,
                  300,
                  3000,
                  4150,
                  4200,
                  5150,
                  false,
                  {0, 600, 1000, 300},
                  {0, 600, 1250, 450}},
        StripCase{"BottomPlainRatiosOfTheInnerSizes",
                  6,
                  3,
                  1,
                  300,
                  3000,
                  4150,
                  4200,
                  5150,
                  false,
                  {200, 900, 1000, 300},
                  {250, 1350, 1250, 450}},
        // Tabs on the left: the allowance from the height, the band from the width.
        StripCase{"LeftWorkedExample",
                  6,
                  3,
                  2,
                  300,
                  3150,
                  4600,
                  4650,
                  5600,
                  false,
                  {1000, 750, 800, 300},
                  {1100, 1050, 1000, 450}},
        StripCase{"LeftLine",
                  6,
                  3,
                  2,
                  300,
                  3150,
                  4600,
                  4650,
                  5600,
                  true,
                  {1000, 750, 1800, 1050},
                  {1100, 1050, 2100, 1500}},
        StripCase{"RightPlainRatiosOfTheInnerSizes",
                  6,
                  3,
                  3,
                  300,
                  3150,
                  4600,
                  4650,
                  5600,
                  false,
                  {1000, 750, 800, 300},
                  {1250, 1125, 1000, 450}},
        StripCase{"Unchanged",
                  6,
                  3,
                  0,
                  300,
                  3000,
                  4150,
                  3000,
                  4150,
                  false,
                  {200, 900, 1000, 300},
                  {200, 900, 1000, 300}},
        // Rows as the strip draws them, a part-full last row included: 5 tabs
        // at 2 a row are 3 rows (a band of 900, an allowance of 300) …
        StripCase{"FiveTabsTwoARow",
                  5,
                  2,
                  0,
                  300,
                  3000,
                  4300,
                  4050,
                  5300,
                  false,
                  {200, 1200, 1000, 300},
                  {250, 1350, 1250, 450}},
        // … 7 at 2 are 4 (a band of 1200, an allowance of 450) …
        StripCase{"SevenTabsTwoARow",
                  7,
                  2,
                  0,
                  300,
                  3000,
                  4450,
                  4800,
                  5450,
                  false,
                  {200, 1500, 1000, 300},
                  {250, 1800, 1250, 600}},
        // … 4 at 3 are 2, as 6 at 3 are …
        StripCase{"FourTabsThreeARow",
                  4,
                  3,
                  0,
                  300,
                  3000,
                  4150,
                  4200,
                  5150,
                  false,
                  {200, 900, 1000, 300},
                  {250, 1050, 1250, 450}},
        // … so a control just below the second row stays below it when the
        // strip shrinks …
        StripCase{"FourTabsThreeARowShrinking",
                  4,
                  3,
                  0,
                  300,
                  3000,
                  4150,
                  2000,
                  4150,
                  false,
                  {200, 700, 1000, 300},
                  {200, 658.33333f, 1000, 175}},
        // … and a single tab is one row (a band of 300, no allowance).
        StripCase{"OneTabThreeARow",
                  1,
                  3,
                  0,
                  300,
                  3000,
                  4000,
                  4350,
                  5000,
                  false,
                  {200, 900, 1000, 300},
                  {250, 1200, 1250, 450}},
        // An axis whose inner first size is 0 is not scaled.
        StripCase{"NoInnerHeight",
                  6,
                  3,
                  0,
                  300,
                  600,
                  4150,
                  1200,
                  5150,
                  false,
                  {200, 600, 1000, 0},
                  {250, 600, 1250, 0}},
        StripCase{"NoInnerWidth",
                  6,
                  3,
                  0,
                  300,
                  3000,
                  150,
                  4200,
                  300,
                  false,
                  {20, 900, 100, 300},
                  {20, 1050, 100, 450}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(StripScale, TheTabHeightIsInTheUnitsOfTheStripsContainer) {
    // A quarter inch: 360 twips, one row.
    const StripCase k{"Inches",
                      3,
                      3,
                      0,
                      0.25f,
                      3360,
                      4000,
                      4860,
                      5000,
                      false,
                      {200, 960, 1000, 300},
                      {250, 1260, 1250, 450}};
    StripRun inches(k, 5);
    inches.run(k);
    EXPECT_FLOAT_EQ(inches.at().top, 1260);
    // A container without a scale: twips (a quarter of a twip).
    StripRun none(k, std::nullopt);
    none.run(k);
    const double hr = 4860.0 / 3360;  // the inner sizes are whole twips
    EXPECT_FLOAT_EQ(none.at().top,
                    static_cast<float>(static_cast<float>(hr * (960 - 0.25)) + 0.25));
}

TEST(StripScale, RowsBeyondTheSixteenBitRangeAreWorkedOut) {
    // 40000 rows of no height: an allowance of 5,999,850 twips.
    const StripCase k{
        "ManyRows", 40000, 1, 0, 0, 3000, 4150, 4200, 5150, false, {200, 900, 1000, 300}, {}};
    StripRun s(k);
    QResizer& a = s.run(k);
    const double wr = (5150 - 5999850.0) / (4150 - 5999850.0);
    EXPECT_FLOAT_EQ(a.tabbed().TabbedLeft, static_cast<float>(wr * 200));
    EXPECT_FLOAT_EQ(s.at().left, static_cast<float>(wr * 200));
}

// When the strip's geometry cannot be worked out the control is scaled over
// the strip's whole client area; what an earlier control's computation left
// is never used.
struct StripFailure {
    const char* name;
    std::function<void(FakeTabStrip&)> spoil;
};
void PrintTo(const StripFailure& k, std::ostream* os) { *os << k.name; }

class StripFailures : public ::testing::TestWithParam<StripFailure> {};

TEST_P(StripFailures, ScaleTheControlOverTheWholeStrip) {
    Rig rig{10000, 10000};
    rig.desktop.twipsPerPixelX = rig.desktop.twipsPerPixelY = 1;
    auto sound = rig.form->add<FakeTabStrip>("Sound", 100, 100, 4150, 3000);
    rig.form->makeContainer(*sound);
    sound->tabs = 6;
    auto before = rig.add("Before", 200, 900, 1000, 300, 8, sound);
    auto spoilt = rig.form->add<FakeTabStrip>("Spoilt", 5000, 100, 4150, 3000);
    rig.form->makeContainer(*spoilt);
    auto c = rig.add("C", 300, 1200, 600, 300, 8, spoilt);
    QResizer& a = rig.load();
    rig.show();
    GetParam().spoil(*spoilt);
    sound->Move(100, 100, 5150, 4200);
    spoilt->Move(5000, 100, 5150, 4200);
    a.ContainerResized();
    EXPECT_FLOAT_EQ(before->left, 250);  // the sound strip's control: tab geometry
    EXPECT_FLOAT_EQ(a.tabbed().TabbedLeft, 250);
    EXPECT_FLOAT_EQ(c->left, static_cast<float>(300 * (5150.0 / 4150)));
    EXPECT_FLOAT_EQ(c->top, static_cast<float>(1200 * (4200.0 / 3000)));
    EXPECT_FLOAT_EQ(c->width, static_cast<float>(600 * (5150.0 / 4150)));
    EXPECT_FLOAT_EQ(c->height, static_cast<float>(300 * (4200.0 / 3000)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StripFailures,
    ::testing::Values(
        StripFailure{"NoTabsPerRow", [](FakeTabStrip& s) { s.tabsPerRow = 0; }},
        StripFailure{"TabsOnNoKnownSide", [](FakeTabStrip& s) { s.tabOrientation = 4; }},
        StripFailure{"TabHeightUnreadable",
                     [](FakeTabStrip& s) { s.unreadable.insert(Member::TabHeight); }}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
