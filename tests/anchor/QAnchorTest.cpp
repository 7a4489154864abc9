// QAnchor's interface, saved properties, life and window messages, on a fake
// form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AnchorRig.h"
#include "anchor/QAnchor.h"
#include "host/Error.h"

namespace {

using anchor::QAnchor;
using anchor::testing::anchorText;
using anchor::testing::Rig;
using host::Member;
using Names = std::vector<std::string>;

host::RECT sizing(Rig& rig, host::RECT r) {
    rig.desktop.SendMessage(rig.form->window, host::WM_SIZING, host::WMSZ_BOTTOMRIGHT,
                            reinterpret_cast<host::LParam>(&r));
    return r;
}

host::POINT maxTrack(Rig& rig) {
    host::MINMAXINFO info;
    info.ptMaxTrackSize = {5000, 5000};
    rig.desktop.SendMessage(rig.form->window, host::WM_GETMINMAXINFO, 0,
                            reinterpret_cast<host::LParam>(&info));
    return info.ptMaxTrackSize;
}

TEST(QAnchorLife, ANewControlTakesTheFormsClientSizeAndSetsItselfUpAtOnce) {
    Rig rig(600, 400);
    auto c = rig.form->add("C", 300, 300, 600, 300);
    rig.site.userMode = false;
    QAnchor& a = rig.place();
    EXPECT_TRUE(a.Enabled());
    EXPECT_EQ(a.FirstWidth(), 600);
    EXPECT_EQ(a.FirstHeight(), 400);
    EXPECT_FLOAT_EQ(a.formWidth(), 600);
    EXPECT_TRUE(a.initialised());
    EXPECT_EQ(a.MinFormHeight() + a.MaxFormHeight() + a.MinFormWidth() + a.MaxFormWidth(), 0);
    EXPECT_EQ(rig.site.changes, (Names{"FirstHeight", "FirstWidth"}));
    // The set-up recorded the form's control with the default flags.
    ASSERT_NE(rig.record("C"), nullptr);
    EXPECT_EQ(rig.record("C")->AnchorLeft + rig.record("C")->AnchorRight, "10");
    // In the designer it also takes the end of a size-move.
    EXPECT_EQ(rig.module.GetMsgCount(rig.form->window, host::WM_EXITSIZEMOVE), 1);
    (void)c;
}

TEST(QAnchorLife, ALoadedControlTakesItsSavedValuesStraightAndWaitsForTheFirstShow) {
    Rig rig;
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Enabled", false);
        bag.put("MinFormHeight", std::int32_t{-5});  // kept as read: no clamping
        bag.put("MaxFormWidth", std::int32_t{9000});
        bag.put("Anchor", std::string("A\r1111\r"));
        bag.put("FirstHeight", 250.5f);  // no rounding either
        bag.put("FirstWidth", 333.0f);
    });
    EXPECT_FALSE(a.Enabled());
    EXPECT_EQ(a.MinFormHeight(), -5);
    EXPECT_EQ(a.MaxFormWidth(), 9000);
    EXPECT_EQ(a.anchorList(), "A\r1111\r");
    EXPECT_FLOAT_EQ(a.firstHeightSingle(), 250.5f);
    EXPECT_EQ(a.FirstHeight(), 250);  // the get rounds, halves to even
    EXPECT_FALSE(a.initialised());
    EXPECT_TRUE(rig.site.changes.empty());
    // At run time it does not take the end of a size-move.
    EXPECT_EQ(rig.module.GetMsgCount(rig.form->window, host::WM_EXITSIZEMOVE), 0);
    for (const std::uint32_t msg :
         {host::WM_WINDOWPOSCHANGING, host::WM_GETMINMAXINFO, host::WM_SIZE, host::WM_SIZING})
        EXPECT_EQ(rig.module.GetMsgCount(rig.form->window, static_cast<std::int32_t>(msg)), 1);
}

TEST(QAnchorLife, SavedPropertiesAreWrittenInOrderWithoutDefaults) {
    Rig rig;
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("FirstHeight", 0.0f);
        bag.put("FirstWidth", 0.0f);
    });
    host::MemoryBag defaults;
    a.WriteProperties(defaults);
    EXPECT_TRUE(defaults.empty());

    a.setEnabled(false);
    a.setMaxFormWidth(9000);
    a.setMinFormHeight(1200);
    a.setFirstWidth(457);
    a.setFirstHeight(360);
    host::MemoryBag bag;
    a.WriteProperties(bag);
    EXPECT_EQ(bag.order(),
              (Names{"Enabled", "MinFormHeight", "MaxFormWidth", "FirstHeight", "FirstWidth"}));
    EXPECT_EQ(bag.ReadProperty("FirstWidth", 0.0f), host::Value(457.0f));
    EXPECT_EQ(bag.ReadProperty("Enabled", true), host::Value(false));
}

TEST(QAnchorLife, TerminateDetachesEveryMessageAndLeavesTheWindowPlain) {
    Rig rig;
    rig.site.userMode = false;
    rig.place();
    rig.anchor->Terminate();
    EXPECT_EQ(rig.desktop.GetWindowProc(rig.form->window), rig.desktop.OwnProc(rig.form->window));
    EXPECT_TRUE(rig.desktop.PropKeys(rig.form->window).empty());
    EXPECT_NO_THROW(rig.anchor->Terminate());
}

TEST(QAnchorLife, AttachErrorsReachTheHost) {
    Rig rig;
    rig.site.parent = nullptr;        // not on a form: the container's window…
    rig.site.containerHwnd = 0x7777;  // …which does not exist
    auto a = std::make_shared<QAnchor>(rig.site, rig.module);
    host::MemoryBag bag;
    try {
        a->ReadProperties(bag);
        FAIL();
    } catch (const host::Error& e) {
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x8004331Bu));
        EXPECT_EQ(e.source(), "Bollard2.WindowProc");
    }
    a->Terminate();
}

TEST(QAnchorLife, AControlNotOnAFormSubclassesItsContainersWindow) {
    Rig rig;
    const host::Hwnd container = rig.desktop.CreateWindow(200, 100);
    rig.site.parent = std::make_shared<host::model::FakeControl>("Box", "PictureBox");
    rig.site.containerHwnd = container;
    QAnchor& a = rig.load();
    EXPECT_EQ(a.formHwnd(), container);
    EXPECT_EQ(rig.desktop.GetWindowProc(container), rig.module.procedure());
    // No form: the limits change no size.
    a.setMinFormWidth(90000);
    EXPECT_EQ(rig.form->clientWidth(), 400);
}

TEST(QAnchorMessages, TheFirstPositionMessageSetsUpOnlyOnceAndOnlyWhenEnabled) {
    Rig rig;
    auto c = rig.form->add("C", 300, 300, 600, 300);
    QAnchor& a = rig.load([](host::MemoryBag& bag) { bag.put("Enabled", false); });
    rig.show();
    EXPECT_FALSE(a.initialised());
    EXPECT_FALSE(a.recordsDimensioned());
    rig.resize(500, 300);  // WM_SIZE before the set-up: nothing
    EXPECT_FLOAT_EQ(c->left, 300);
    a.setEnabled(true);
    rig.show();
    EXPECT_TRUE(a.initialised());
    const auto records = a.records().size();
    rig.form->add("Late", 0, 0, 10, 10);
    rig.show();  // a second one does nothing
    EXPECT_EQ(a.records().size(), records);
}

TEST(QAnchorMessages, ListedMessagesDoNothingWhileDisabled) {
    Rig rig;
    auto c = rig.form->add("C", 300, 300, 600, 300);
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"C", "0110"}}));
        bag.put("MaxFormWidth", std::int32_t{3000});
        bag.put("MinFormWidth", std::int32_t{6000});
    });
    rig.show();
    a.setEnabled(false);
    rig.resize(500, 300);
    EXPECT_FLOAT_EQ(c->left, 300);
    EXPECT_EQ(maxTrack(rig).x, 5000);
    EXPECT_EQ(sizing(rig, {10, 10, 110, 110}), (host::RECT{10, 10, 110, 110}));
}

TEST(QAnchorMessages, MaximumTrackingSizeComesFromTheMaximaRoundedHalfToEven) {
    struct Case {
        float tpp;
        std::int32_t limit;
        std::int32_t pixels;
    };
    for (const Case c : {Case{15, 6000, 400}, Case{15, 6010, 401}, Case{12, 4806, 400},
                         Case{12, 4818, 402}, Case{12, 4830, 402}}) {
        Rig rig;
        rig.desktop.twipsPerPixelX = rig.desktop.twipsPerPixelY = c.tpp;
        QAnchor& a = rig.load([&](host::MemoryBag& bag) {
            bag.put("MaxFormWidth", c.limit);
            bag.put("MaxFormHeight", c.limit);
        });
        rig.show();
        EXPECT_EQ(maxTrack(rig), (host::POINT{c.pixels, c.pixels})) << c.limit << " @" << c.tpp;
        (void)a;
    }
    Rig none;
    none.load();
    none.show();
    EXPECT_EQ(maxTrack(none), (host::POINT{5000, 5000}));
}

struct ClampCase {
    const char* name;
    std::int32_t minW, minH, maxW, maxH;
    host::RECT dragged;
    host::RECT result;
};

class SizeClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(SizeClamp, KeepsLeftAndTopAndClampsTheSize) {
    const ClampCase& c = GetParam();
    Rig rig;
    rig.load([&](host::MemoryBag& bag) {
        bag.put("MinFormWidth", c.minW);
        bag.put("MinFormHeight", c.minH);
        bag.put("MaxFormWidth", c.maxW);
        bag.put("MaxFormHeight", c.maxH);
    });
    rig.show();
    EXPECT_EQ(sizing(rig, c.dragged), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeClamp,
    ::testing::Values(
        // Dragging the left edge inwards to 300 wide: the right edge jumps.
        ClampCase{"MinimumWidthMovesTheRightEdge",
                  6000,
                  0,
                  0,
                  0,
                  {100, 50, 400, 350},
                  {100, 50, 500, 350}},
        ClampCase{"WithinTheLimits", 6000, 4500, 9000, 9000, {0, 0, 500, 400}, {0, 0, 500, 400}},
        ClampCase{"Maxima", 0, 0, 6000, 4500, {10, 20, 900, 900}, {10, 20, 410, 320}},
        ClampCase{"UnevenLimitRounds", 6010, 0, 0, 0, {0, 0, 10, 10}, {0, 0, 401, 10}},
        // A minimum above the maximum: the maximum wins.
        ClampCase{"MaximumWins", 9000, 0, 3000, 0, {0, 0, 100, 100}, {0, 0, 200, 100}},
        ClampCase{"NegativeLimitsMeanNone", -5, -5, -5, -5, {0, 0, 1, 1}, {0, 0, 1, 1}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(QAnchorMessages, TheEndOfASizeMoveRetakesTheDesignSizeOnlyInTheDesigner) {
    Rig rig;
    QAnchor& a = rig.load();
    rig.show();
    rig.desktop.SetClientSize(rig.form->window, 640, 480);
    rig.desktop.SendMessage(rig.form->window, host::WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(a.FirstWidth(), 400);  // run time: nothing (not even attached)

    Rig design;
    design.site.userMode = false;
    QAnchor& d = design.load([](host::MemoryBag& bag) { bag.put("Enabled", false); });
    design.desktop.SetClientSize(design.form->window, 640, 480);
    design.site.changes.clear();
    design.desktop.SendMessage(design.form->window, host::WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(d.FirstWidth(), 640);
    EXPECT_EQ(d.FirstHeight(), 480);
    EXPECT_FLOAT_EQ(d.formWidth(), 400);  // untouched: the design size it was loaded with
    EXPECT_EQ(design.site.changes, (Names{"FirstHeight", "FirstWidth"}));
}

TEST(QAnchorMessages, TheControlAnswersPostProcessAndReturnsZero) {
    Rig rig;
    QAnchor& a = rig.load();
    rig.desktop.setOwnResult(rig.form->window, 17);
    EXPECT_EQ(a.MsgResponse(), subclass::emrPostProcess);
    a.setMsgResponse(subclass::emrConsume);
    EXPECT_EQ(a.MsgResponse(), subclass::emrPostProcess);
    EXPECT_EQ(a.WindowProc(rig.form->window, host::WM_SIZE, 0, 0), 0);
    // The form's own procedure runs after it and its result is the window's.
    rig.desktop.clearReceived(rig.form->window);
    EXPECT_EQ(rig.desktop.SendMessage(rig.form->window, host::WM_SIZE, 0, 0), 17);
    EXPECT_EQ(rig.desktop.received(rig.form->window).size(), 1u);
}

TEST(QAnchorProperties, EnabledSwitchedOnAtRunTimeTakesTheClientSizeAsTheDesignSize) {
    Rig rig(640, 480);
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Enabled", false);
        bag.put("FirstHeight", 360.0f);
        bag.put("FirstWidth", 457.0f);
    });
    a.setEnabled(true);
    EXPECT_EQ(a.FirstWidth(), 640);
    EXPECT_EQ(a.FirstHeight(), 480);
    EXPECT_FLOAT_EQ(a.formWidth(), 640);
    EXPECT_EQ(rig.site.changes, (Names{"Enabled", "FirstHeight", "FirstWidth"}));
    // Already on: only the report.
    rig.desktop.SetClientSize(rig.form->window, 700, 500);
    a.setEnabled(true);
    EXPECT_EQ(a.FirstWidth(), 640);
    EXPECT_EQ(rig.site.changes.back(), "Enabled");
    // No layout pass ran.
    EXPECT_FALSE(a.initialised());
}

TEST(QAnchorProperties, EnabledSwitchedOnInTheDesignerKeepsTheDesignSize) {
    Rig rig(640, 480);
    rig.site.userMode = false;
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Enabled", false);
        bag.put("FirstWidth", 457.0f);
    });
    a.setEnabled(true);
    EXPECT_EQ(a.FirstWidth(), 457);
}

TEST(QAnchorProperties, FirstSizesRoundHalfToEvenAndStoreWholeValues) {
    Rig rig;
    QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("FirstHeight", 2.5f);
        bag.put("FirstWidth", 3.5f);
    });
    EXPECT_EQ(a.FirstHeight(), 2);
    EXPECT_EQ(a.FirstWidth(), 4);
    a.setFirstHeight(361);
    EXPECT_FLOAT_EQ(a.firstHeightSingle(), 361.0f);
}

TEST(QAnchorProperties, ANegativeLimitIsStoredAsZeroAndReported) {
    Rig rig;
    QAnchor& a = rig.load();
    a.setMinFormWidth(-5);
    a.setMaxFormHeight(-1);
    EXPECT_EQ(a.MinFormWidth(), 0);
    EXPECT_EQ(a.MaxFormHeight(), 0);
    EXPECT_EQ(rig.site.changes, (Names{"MinFormWidth", "MaxFormHeight"}));
}

TEST(QAnchorProperties, AnchorReadsEmptyAndTakesNothingAnchoritOnlyInTheDesigner) {
    Rig rig;
    rig.form->add("A", 0, 0, 10, 10);
    QAnchor& a =
        rig.load([](host::MemoryBag& bag) { bag.put("Anchor", std::string("A\r1111\r")); });
    EXPECT_EQ(a.Anchor(), "");
    a.setAnchor("X\r0000\r");
    EXPECT_EQ(a.anchorList(), "A\r1111\r");
    EXPECT_EQ(a.Anchorit(), "");
    a.setAnchorit("B\r0000\r");
    EXPECT_EQ(a.anchorList(), "A\r1111\r");
    EXPECT_TRUE(rig.site.changes.empty());

    rig.site.userMode = false;
    EXPECT_EQ(a.Anchor(), "");
    EXPECT_EQ(a.Anchorit(), "A\r1111\r");
    a.setAnchorit("A\r0011\r");
    EXPECT_EQ(a.anchorList(), "A\r0011\r");
    EXPECT_EQ(rig.site.changes, (Names{"Anchorit"}));
}

// Keeping the form within its limits compares the form's outer size, which is
// what the limits are, so a form that is within them is left alone.
struct LimitCase {
    const char* name;
    std::int32_t minW, minH, maxW, maxH;
    std::int32_t clientW, clientH;  // the form's client size afterwards
};

class FormLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(FormLimits, SetTheOuterSizeOnlyWhenItIsOutsideTheLimits) {
    const LimitCase& c = GetParam();
    Rig rig(400, 300);  // outer 416 x 338 pixels: 6240 x 5070 twips
    rig.desktop.SetFrame(rig.form->window, 16, 38);
    QAnchor& a = rig.load();
    rig.show();
    a.setMinFormWidth(c.minW);
    a.setMinFormHeight(c.minH);
    a.setMaxFormWidth(c.maxW);
    a.setMaxFormHeight(c.maxH);
    EXPECT_EQ(rig.form->clientWidth(), c.clientW);
    EXPECT_EQ(rig.form->clientHeight(), c.clientH);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormLimits,
    ::testing::Values(LimitCase{"None", 0, 0, 0, 0, 400, 300},
                      // The client is below the minimum but the outer size is not.
                      LimitCase{"OuterSizeAtTheMinimum", 6240, 5070, 0, 0, 400, 300},
                      LimitCase{"OuterSizeBetween", 6000, 4500, 9000, 9000, 400, 300},
                      LimitCase{"MinimumBetweenClientAndOuter", 6100, 4800, 0, 0, 400, 300},
                      LimitCase{"BelowTheMinimum", 7500, 6000, 0, 0, 484, 362},
                      LimitCase{"AboveTheMaximum", 0, 0, 4500, 3000, 284, 162},
                      LimitCase{"MaximumBelowMinimumEndsAtTheMinimum", 7500, 0, 3000, 0, 484, 300}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(FormLimitsOff, NothingChangesWhenDisabled) {
    Rig rig;
    QAnchor& a = rig.load([](host::MemoryBag& bag) { bag.put("Enabled", false); });
    a.setMinFormWidth(90000);
    EXPECT_EQ(rig.form->clientWidth(), 400);
}

TEST(FormLimitsOff, AFormThatRefusesItsSizeReportsTheErrorToTheLetter) {
    Rig rig;
    QAnchor& a = rig.load();
    rig.show();
    rig.form->sizeFails = true;
    EXPECT_THROW(a.setMinFormWidth(90000), host::Error);
    EXPECT_EQ(a.MinFormWidth(), 90000);
}

TEST(QAnchorAbout, ShowsTheHostsAboutBox) {
    Rig rig;
    QAnchor& a = rig.load();
    int shown = 0;
    a.showAbout = [&] { ++shown; };
    a.About();
    EXPECT_EQ(shown, 1);
}

}  // namespace
