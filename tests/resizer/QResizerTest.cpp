// QResizer's interface, saved properties, life, window messages and form
// limits, on a fake form.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ResizerRig.h"
#include "host/Error.h"

namespace {

using host::Member;
using resizer::QResizer;
using resizer::testing::Rig;
using Names = std::vector<std::string>;

host::RECT sizing(QResizer& a, Rig& rig, host::RECT r) {
    a.WindowProc(rig.form->window, host::WM_SIZING, host::WMSZ_BOTTOMRIGHT,
                 reinterpret_cast<host::LParam>(&r));
    return r;
}

host::POINT maxTrack(QResizer& a, Rig& rig) {
    host::MINMAXINFO info;
    info.ptMaxTrackSize = {5000, 5000};
    info.ptMinTrackSize = {7, 8};
    a.WindowProc(rig.form->window, host::WM_GETMINMAXINFO, 0,
                 reinterpret_cast<host::LParam>(&info));
    EXPECT_EQ(info.ptMinTrackSize, (host::POINT{7, 8}));  // never touched
    return info.ptMaxTrackSize;
}

std::int32_t msgCount(Rig& rig, std::uint32_t msg) {
    return rig.module.GetMsgCount(rig.form->window, static_cast<std::int32_t>(msg));
}

// ---------------------------------------------------------------- life

TEST(QResizerLife, ANewControlTakesTheFormsClientSizeInTwipsAndWaitsForTheFirstShow) {
    Rig rig(600, 400);  // 9000 x 6000 twips
    rig.site.userMode = false;
    QResizer& a = rig.place();
    EXPECT_EQ(a.FirstWidth(), 9000);
    EXPECT_EQ(a.FirstHeight(), 6000);
    EXPECT_EQ(a.currentClientWidth(), 9000);
    EXPECT_EQ(a.currentClientHeight(), 6000);
    EXPECT_EQ(a.MinFormHeight() + a.MaxFormHeight() + a.MinFormWidth() + a.MaxFormWidth(), 0);
    EXPECT_TRUE(a.ResizeFont());
    EXPECT_TRUE(a.Enabled());
    EXPECT_FALSE(a.WorkAtDesignTime());
    EXPECT_FALSE(a.SmartDetect());
    EXPECT_FALSE(a.initialised());
    EXPECT_EQ(a.recordedCount(), 0);
    EXPECT_EQ(rig.site.changes, (Names{"FirstHeight", "FirstWidth"}));
    // In the designer it also takes the end of a size-move.
    for (const std::uint32_t msg : {host::WM_EXITSIZEMOVE, host::WM_WINDOWPOSCHANGING,
                                    host::WM_SIZING, host::WM_SIZE, host::WM_GETMINMAXINFO})
        EXPECT_EQ(msgCount(rig, msg), 1) << msg;
}

TEST(QResizerLife, ALoadedControlTakesItsSavedValuesStraight) {
    Rig rig;
    QResizer& a = rig.load([](host::MemoryBag& bag) {
        bag.put("ResizeFont", false);
        bag.put("MinFormHeight", std::int32_t{-5});  // kept as read: no clamping
        bag.put("MaxFormWidth", std::int32_t{9000});
        bag.put("FirstHeight", std::int32_t{4321});
        bag.put("WorkAtDesignTime", true);  // no side effects either
    });
    EXPECT_FALSE(a.ResizeFont());
    EXPECT_TRUE(a.Enabled());
    EXPECT_EQ(a.MinFormHeight(), -5);
    EXPECT_EQ(a.MaxFormWidth(), 9000);
    EXPECT_EQ(a.FirstHeight(), 4321);
    EXPECT_TRUE(a.WorkAtDesignTime());
    EXPECT_FALSE(a.SmartDetect());
    EXPECT_FALSE(a.initialised());
    EXPECT_TRUE(rig.site.changes.empty());
    EXPECT_EQ(rig.form->clientWidth(), 600);  // the limit is not applied on loading
    // At run time it does not take the end of a size-move.
    EXPECT_EQ(msgCount(rig, host::WM_EXITSIZEMOVE), 0);
    EXPECT_EQ(msgCount(rig, host::WM_SIZE), 1);
}

TEST(QResizerLife, SavedPropertiesAreWrittenInOrderWithoutDefaults) {
    Rig rig;
    QResizer& a = rig.load([](host::MemoryBag& bag) {
        bag.put("FirstHeight", std::int32_t{0});
        bag.put("FirstWidth", std::int32_t{0});
    });
    host::MemoryBag defaults;
    a.WriteProperties(defaults);
    EXPECT_TRUE(defaults.empty());

    rig.site.userMode = false;  // in the designer, so the limits leave the form alone
    a.setSmartDetect(true);
    a.setMaxFormWidth(9000);
    a.setResizeFont(false);
    a.setFirstWidth(8880);
    a.setFirstHeight(5610);
    a.setMinFormHeight(5910);
    host::MemoryBag bag;
    a.WriteProperties(bag);
    EXPECT_EQ(bag.order(), (Names{"ResizeFont", "MinFormHeight", "MaxFormWidth", "FirstHeight",
                                  "FirstWidth", "SmartDetect"}));
    EXPECT_EQ(bag.ReadProperty("FirstWidth", std::int32_t{0}), host::Value(std::int32_t{8880}));
    EXPECT_EQ(bag.ReadProperty("ResizeFont", true), host::Value(false));
    EXPECT_EQ(QResizer::savedPropertyNames().size(), 10u);
}

TEST(QResizerLife, TerminateDetachesEveryMessageAndLeavesTheWindowPlain) {
    Rig rig;
    rig.site.userMode = false;
    rig.place();
    rig.resizer->Terminate();
    EXPECT_EQ(rig.desktop.GetWindowProc(rig.form->window), rig.desktop.OwnProc(rig.form->window));
    EXPECT_TRUE(rig.desktop.PropKeys(rig.form->window).empty());
    EXPECT_NO_THROW(rig.resizer->Terminate());
    // At run time 562 was never attached; detaching it does nothing.
    Rig run;
    run.load();
    run.resizer->Terminate();
    EXPECT_TRUE(run.desktop.PropKeys(run.form->window).empty());
}

TEST(QResizerLife, AttachErrorsReachTheHost) {
    Rig rig;
    rig.site.parent = nullptr;        // not on a form: the container's window…
    rig.site.containerHwnd = 0x7777;  // …which does not exist
    auto a = std::make_shared<QResizer>(rig.site, rig.module);
    host::MemoryBag bag;
    try {
        a->ReadProperties(bag);
        FAIL();
    } catch (const host::Error& e) {
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x8004331Bu));
        EXPECT_EQ(e.source(), "Scalora2.WindowProc");
    }
    a->Terminate();
}

TEST(QResizerLife, AControlNotOnAFormSubclassesItsContainersWindowAndNeverSizesIt) {
    Rig rig;
    const host::Hwnd container = rig.desktop.CreateWindow(200, 100);
    rig.site.parent = std::make_shared<host::model::FakeControl>("Box", "PictureBox");
    rig.site.containerHwnd = container;
    QResizer& a = rig.load();
    EXPECT_EQ(a.formHwnd(), container);
    EXPECT_EQ(rig.desktop.GetWindowProc(container), rig.module.procedure());
    a.setMinFormWidth(90000);
    EXPECT_EQ(rig.form->clientWidth(), 600);
    EXPECT_FALSE(a.busy());
}

TEST(QResizerLife, AboutShowsTheHostsBox) {
    Rig rig;
    QResizer& a = rig.load();
    int shown = 0;
    a.showAbout = [&] { ++shown; };
    a.About();
    EXPECT_EQ(shown, 1);
}

// ---------------------------------------------------------------- messages

// The conditions of each message, as the form's states combine them.
struct ConditionCase {
    const char* name;
    bool enabled;
    bool initialised;
    bool userMode;
    bool workAtDesignTime;
    bool maxInfo;        // WM_GETMINMAXINFO caps the tracking size
    bool size;           // WM_SIZE runs the pass
    bool sizing;         // WM_SIZING clamps
    bool exitSizeMove;   // WM_EXITSIZEMOVE takes the design size
    bool positionSetUp;  // WM_WINDOWPOSCHANGING sets up (when not yet set up)
};
void PrintTo(const ConditionCase& k, std::ostream* os) { *os << k.name; }

class MessageConditions : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(MessageConditions, DecideWhichMessagesAreHandled) {
    const ConditionCase& k = GetParam();
    Rig rig;
    auto c = rig.add("C", 1500, 1500, 1500, 600);
    QResizer& a = rig.load([&](host::MemoryBag& bag) {
        bag.put("MaxFormWidth", std::int32_t{12000});
        bag.put("MinFormWidth", std::int32_t{3000});
        bag.put("WorkAtDesignTime", k.workAtDesignTime);
    });
    if (k.initialised) {
        rig.show();
        ASSERT_TRUE(a.initialised());
    }
    rig.site.userMode = k.userMode;
    if (!k.enabled) a.setEnabled(false);
    rig.site.changes.clear();

    EXPECT_EQ(maxTrack(a, rig).x, k.maxInfo ? 800 : 5000);
    EXPECT_EQ(sizing(a, rig, {10, 10, 110, 110}).right, k.sizing ? 210 : 110);

    // The form twice as wide without any message, then WM_SIZE alone.
    rig.desktop.SetClientSize(rig.form->window, 1200, 400);
    a.WindowProc(rig.form->window, host::WM_SIZE, 0, 0);
    EXPECT_FLOAT_EQ(c->left, k.size ? 3000 : 1500) << "WM_SIZE";

    a.WindowProc(rig.form->window, host::WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(a.FirstWidth(), k.exitSizeMove ? 18000 : 9000) << "WM_EXITSIZEMOVE";
    if (k.exitSizeMove) {
        EXPECT_EQ(rig.site.changes, (Names{"FirstHeight", "FirstWidth"}));
    }

    if (!k.initialised) {
        a.WindowProc(rig.form->window, host::WM_WINDOWPOSCHANGING, 0, 0);
        EXPECT_EQ(a.initialised(), k.positionSetUp) << "WM_WINDOWPOSCHANGING";
    }
}

INSTANTIATE_TEST_SUITE_P(
    States, MessageConditions,
    ::testing::Values(
        //           name                   E      I      U      W     36     5   532   562    70
        ConditionCase{"RunTime", true, true, true, false, true, true, true, false, false},
        ConditionCase{"RunTimeDisabled", false, true, true, false, false, false, false, false,
                      false},
        ConditionCase{"RunTimeWaiting", true, false, true, false, false, false, true, false, true},
        ConditionCase{"RunTimeWaitingDisabled", false, false, true, false, false, false, false,
                      false, false},
        ConditionCase{"RunTimeWorkingAtDesignTime", true, true, true, true, true, true, true, false,
                      false},
        ConditionCase{"Designer", true, true, false, false, false, false, false, true, false},
        ConditionCase{"DesignerDisabled", false, true, false, false, false, false, false, true,
                      false},
        ConditionCase{"DesignerWaiting", true, false, false, false, false, false, false, true,
                      false},
        ConditionCase{"DesignerWorking", true, true, false, true, true, true, true, true, false},
        ConditionCase{"DesignerWorkingWaiting", true, false, false, true, false, false, true, true,
                      true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(QResizerMessages, MaximumTrackingSizeComesFromTheMaximaRoundedHalfToEven) {
    struct Case {
        float tpp;
        std::int32_t limit;
        std::int32_t pixels;
    };
    for (const Case c : {Case{15, 6000, 400}, Case{12, 1014, 84}, Case{12, 1026, 86},
                         Case{12, 4818, 402}, Case{15, 0, 5000}}) {
        Rig rig;
        rig.desktop.twipsPerPixelX = rig.desktop.twipsPerPixelY = c.tpp;
        QResizer& a = rig.load([&](host::MemoryBag& bag) {
            bag.put("MaxFormWidth", c.limit);
            bag.put("MaxFormHeight", c.limit);
        });
        rig.show();
        EXPECT_EQ(maxTrack(a, rig), (host::POINT{c.pixels, c.pixels})) << c.limit << " @" << c.tpp;
    }
}

struct ClampCase {
    const char* name;
    std::int32_t minWidth, maxWidth, minHeight, maxHeight;
    host::RECT in;
    host::RECT out;
};
void PrintTo(const ClampCase& k, std::ostream* os) { *os << k.name; }

class SizeClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(SizeClamp, KeepsLeftAndTopAndMovesRightAndBottom) {
    const ClampCase& k = GetParam();
    Rig rig;
    QResizer& a = rig.load([&](host::MemoryBag& bag) {
        bag.put("MinFormWidth", k.minWidth);
        bag.put("MaxFormWidth", k.maxWidth);
        bag.put("MinFormHeight", k.minHeight);
        bag.put("MaxFormHeight", k.maxHeight);
    });
    // Through the form's procedure chain, before the set-up: it clamps already.
    host::RECT r = k.in;
    rig.desktop.SendMessage(rig.form->window, host::WM_SIZING, 1,
                            reinterpret_cast<host::LParam>(&r));
    EXPECT_FALSE(a.initialised());
    EXPECT_EQ(r, k.out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeClamp,
    ::testing::Values(
        ClampCase{"MaximumWidth", 0, 6000, 0, 0, {0, 0, 500, 300}, {0, 0, 400, 300}},
        // 150 pixels is 2250 twips: a drag of the left edge keeps the left where it was
        ClampCase{"MinimumWidth", 3000, 0, 0, 0, {100, 50, 250, 350}, {100, 50, 300, 350}},
        ClampCase{"MaximumBelowMinimumWins", 5000, 3000, 0, 0, {0, 0, 100, 90}, {0, 0, 200, 90}},
        ClampCase{"Heights", 0, 0, 1500, 3000, {5, 5, 50, 55}, {5, 5, 50, 105}},
        ClampCase{"NegativeLimitsAreNone", -5, -1, -5, -1, {0, 0, 9, 9}, {0, 0, 9, 9}},
        ClampCase{"WithinLimits", 3000, 6000, 1500, 3000, {0, 0, 300, 150}, {0, 0, 300, 150}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(QResizerMessages, TheFirstPositionMessageSetsUpOnceFromTheDesignSize) {
    // Designed at 9000 x 6000 twips, shown at 1200 x 400 pixels.
    Rig rig(1200, 400);
    auto c = rig.add("C", 1500, 1500, 1500, 600, 8);
    QResizer& a = rig.load([](host::MemoryBag& bag) {
        bag.put("FirstWidth", std::int32_t{9000});
        bag.put("FirstHeight", std::int32_t{6000});
    });
    rig.show();
    EXPECT_TRUE(a.initialised());
    EXPECT_FALSE(a.busy());
    EXPECT_EQ(a.recordedCount(), 2);
    EXPECT_FLOAT_EQ(a.ResizeTable()[1].ContainerFirstWidth, 9000);  // the design size
    EXPECT_FLOAT_EQ(c->left, 3000);
    EXPECT_FLOAT_EQ(c->width, 3000);
    EXPECT_FLOAT_EQ(c->top, 1500);
    EXPECT_FLOAT_EQ(*c->fontSize, 8);  // the smaller ratio is 1
    EXPECT_EQ(a.currentClientWidth(), 18000);
    const int moves = c->moves;
    rig.show();  // a second one does nothing
    EXPECT_EQ(c->moves, moves);
}

TEST(QResizerMessages, WhileBusyTheLimitsAskNothingButASizeChangeIsLaidOut) {
    Rig rig;
    rig.desktop.SetFrame(rig.form->window, 10, 30);
    auto c = rig.add("C", 1500, 1500, 1500, 600);
    QResizer& a =
        rig.load([](host::MemoryBag& bag) { bag.put("MinFormWidth", std::int32_t{1500}); });
    rig.show();
    // The form's own procedure (after the control) asks the size questions
    // while the limit is being applied.
    std::vector<bool> busyInSize;
    std::optional<host::POINT> asked;
    std::optional<host::RECT> dragged;
    rig.desktop.setOwnHandler(
        rig.form->window,
        [&](host::Hwnd h, std::uint32_t msg, host::WParam, host::LParam) -> host::LResult {
            if (msg != host::WM_SIZE) return 0;
            busyInSize.push_back(a.busy());
            host::MINMAXINFO info;
            info.ptMaxTrackSize = {5000, 5000};
            rig.desktop.SendMessage(h, host::WM_GETMINMAXINFO, 0,
                                    reinterpret_cast<host::LParam>(&info));
            asked = info.ptMaxTrackSize;
            host::RECT r{0, 0, 10, 10};
            rig.desktop.SendMessage(h, host::WM_SIZING, 8, reinterpret_cast<host::LParam>(&r));
            dragged = r;
            return 0;
        });
    a.setMaxFormWidth(7650);  // outer 510 pixels: the client area becomes 500 wide
    EXPECT_EQ(rig.form->clientWidth(), 500);
    EXPECT_EQ(busyInSize, (std::vector<bool>{true}));
    EXPECT_EQ(asked->x, 5000);                       // not answered while busy
    EXPECT_EQ(dragged, (host::RECT{0, 0, 10, 10}));  // not clamped while busy
    EXPECT_FLOAT_EQ(c->left, 1250);                  // the pass ran: 1500 x 500 / 600
    EXPECT_FALSE(a.busy());
}

// ---------------------------------------------------------------- form limits

// The limits are the form's outer size; the form has a frame of 10 x 30 pixels.
struct LimitCase {
    const char* name;
    std::int32_t minWidth, maxWidth, minHeight, maxHeight;
    std::int32_t outerWidth, outerHeight;  // pixels, before
    std::int32_t wantWidth, wantHeight;    // pixels, after
};
void PrintTo(const LimitCase& k, std::ostream* os) { *os << k.name; }

class FormLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(FormLimits, KeepTheOuterSizeWithinThem) {
    const LimitCase& k = GetParam();
    Rig rig(k.outerWidth - 10, k.outerHeight - 30);
    rig.desktop.SetFrame(rig.form->window, 10, 30);
    QResizer& a = rig.load();
    // Setting the last limit applies all four.
    a.setMaxFormWidth(k.maxWidth);
    a.setMinFormHeight(k.minHeight);
    a.setMaxFormHeight(k.maxHeight);
    a.setMinFormWidth(k.minWidth);
    EXPECT_EQ(rig.form->clientWidth() + 10, k.wantWidth);
    EXPECT_EQ(rig.form->clientHeight() + 30, k.wantHeight);
    EXPECT_FALSE(a.busy());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormLimits,
    ::testing::Values(LimitCase{"Maximum", 0, 6000, 0, 0, 600, 400, 400, 400},
                      LimitCase{"Minimum", 3000, 0, 6000, 0, 100, 100, 200, 400},
                      // the maximum is applied, the width measured again, the minimum applied
                      LimitCase{"MinimumAboveMaximum", 5000, 3000, 0, 0, 600, 400, 333, 400},
                      // outer size just above the minimum, client size below it: it stays
                      LimitCase{"OuterAboveMinimumClientBelow", 0, 0, 6000, 0, 600, 410, 600, 410},
                      LimitCase{"OuterAtTheMinimum", 0, 0, 6000, 0, 600, 400, 600, 400},
                      LimitCase{"WithinAll", 3000, 12000, 3000, 12000, 600, 400, 600, 400}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(FormLimitsOff, InTheDesignerWithoutWorkAtDesignTimeTheFormKeepsItsSize) {
    Rig rig;
    rig.site.userMode = false;
    QResizer& a = rig.load();
    a.setMaxFormWidth(3000);
    EXPECT_EQ(rig.form->clientWidth(), 600);
    EXPECT_EQ(a.MaxFormWidth(), 3000);
    EXPECT_EQ(rig.site.changes, (Names{"MaxFormWidth"}));
}

TEST(FormLimitsOff, ANegativeLimitReadsBackAsZero) {
    Rig rig;
    QResizer& a = rig.load();
    a.setMinFormHeight(-5);
    EXPECT_EQ(a.MinFormHeight(), 0);
    a.setMaxFormWidth(-1);
    EXPECT_EQ(a.MaxFormWidth(), 0);
}

TEST(FormLimitsOff, AFormThatRefusesItsSizeFailsTheSetButLeavesTheControlWorking) {
    Rig rig;
    QResizer& a =
        rig.load([](host::MemoryBag& bag) { bag.put("MaxFormHeight", std::int32_t{7500}); });
    rig.show();
    rig.form->sizeFails = true;  // minimised or maximised
    try {
        a.setMinFormWidth(12000);
        FAIL();
    } catch (const host::Error& e) {
        EXPECT_EQ(e.number(), host::err::InvalidPropertyValue);
    }
    EXPECT_EQ(a.MinFormWidth(), 12000);
    EXPECT_FALSE(a.busy());
    // Still clamps and caps.
    EXPECT_EQ(maxTrack(a, rig).y, 500);
    EXPECT_EQ(sizing(a, rig, {0, 0, 10, 10}).right, 800);
}

TEST(FormLimitsOff, AFailureWhileSettingUpStillLeavesTheFormLaidOutAndTheControlListening) {
    Rig rig(1200, 400);
    auto c = rig.add("C", 1500, 1500, 1500, 600);
    QResizer& a = rig.load([](host::MemoryBag& bag) {
        bag.put("FirstWidth", std::int32_t{9000});
        bag.put("MaxFormWidth", std::int32_t{12000});
    });
    rig.form->sizeFails = true;
    rig.show();
    EXPECT_TRUE(a.initialised());
    EXPECT_FALSE(a.busy());
    EXPECT_FLOAT_EQ(c->left, 3000);
    EXPECT_EQ(maxTrack(a, rig).x, 800);
    EXPECT_EQ(sizing(a, rig, {0, 0, 900, 10}).right, 800);
}

// ---------------------------------------------------------------- properties

TEST(QResizerProperties, PlainValuesAreStoredAndReported) {
    Rig rig;
    QResizer& a = rig.load();
    a.setFirstHeight(100);
    a.setFirstWidth(200);
    a.setResizeFont(false);
    EXPECT_EQ(a.FirstHeight(), 100);
    EXPECT_EQ(a.FirstWidth(), 200);
    EXPECT_FALSE(a.ResizeFont());
    EXPECT_EQ(rig.site.changes, (Names{"FirstHeight", "FirstWidth", "ResizeFont"}));
}

TEST(QResizerProperties, EnabledSwitchedOnRetakesTheDesignSizeAndEveryControl) {
    Rig rig;
    auto c = rig.add("C", 1500, 1500, 1500, 600);
    QResizer& a =
        rig.load([](host::MemoryBag& bag) { bag.put("MinFormWidth", std::int32_t{6000}); });
    rig.show();
    a.setEnabled(true);  // already on: only the report
    EXPECT_EQ(rig.site.changes, (Names{"Enabled"}));
    a.setEnabled(false);  // only the store and the report
    EXPECT_EQ(rig.site.changes, (Names{"Enabled", "Enabled"}));
    EXPECT_FALSE(a.Enabled());

    // Meanwhile the form and the control change, unwatched.
    rig.resize(800, 500);
    EXPECT_FLOAT_EQ(c->left, 1500);
    c->left = 4500;
    rig.site.changes.clear();
    a.setEnabled(true);
    EXPECT_EQ(rig.site.changes, (Names{"Enabled", "FirstHeight", "FirstWidth"}));
    EXPECT_EQ(a.FirstWidth(), 12000);
    EXPECT_EQ(a.FirstHeight(), 7500);
    EXPECT_EQ(a.currentClientWidth(), 12000);
    EXPECT_FLOAT_EQ(rig.record(1).FirstLeft, 4500);  // its present place is its base
    EXPECT_FLOAT_EQ(rig.record(1).ContainerFirstWidth, 12000);
    // Half as wide again: from the new base.
    rig.resize(400, 500);
    EXPECT_FLOAT_EQ(c->left, 2250);
}

TEST(QResizerProperties, WorkAtDesignTimeSwitchesEnabledAndSmartDetectOn) {
    Rig rig;
    auto c = rig.add("C", 1500, 1500, 1500, 600);
    QResizer& a = rig.load([](host::MemoryBag& bag) { bag.put("Enabled", false); });
    rig.site.userMode = false;
    rig.desktop.SetClientSize(rig.form->window, 700, 450);
    c->left = 3000;
    a.setWorkAtDesignTime(true);
    EXPECT_TRUE(a.WorkAtDesignTime());
    EXPECT_TRUE(a.Enabled());
    EXPECT_TRUE(a.SmartDetect());
    EXPECT_EQ(a.FirstWidth(), 10500);
    EXPECT_EQ(a.FirstHeight(), 6750);
    EXPECT_FLOAT_EQ(rig.record(1).FirstLeft, 3000);
    EXPECT_EQ(rig.site.changes,
              (Names{"Enabled", "FirstHeight", "FirstWidth", "SmartDetect", "WorkAtDesignTime"}));

    // Again: the re-take again, SmartDetect is on already.
    rig.site.changes.clear();
    a.setWorkAtDesignTime(true);
    EXPECT_EQ(rig.site.changes, (Names{"FirstHeight", "FirstWidth", "WorkAtDesignTime"}));
    // Off: only the store and the report.
    rig.site.changes.clear();
    a.setWorkAtDesignTime(false);
    EXPECT_FALSE(a.WorkAtDesignTime());
    EXPECT_TRUE(a.SmartDetect());
    EXPECT_EQ(rig.site.changes, (Names{"WorkAtDesignTime"}));
}

TEST(QResizerProperties, SmartDetectCannotBeDroppedInTheDesignerWhileWorkingThere) {
    Rig rig;
    rig.site.userMode = false;
    QResizer& a = rig.load();
    a.setWorkAtDesignTime(true);
    ASSERT_TRUE(a.SmartDetect());
    rig.site.changes.clear();
    a.setSmartDetect(false);
    EXPECT_TRUE(a.SmartDetect());
    EXPECT_TRUE(rig.site.changes.empty());
    ASSERT_EQ(rig.site.boxes.size(), 1u);
    EXPECT_EQ(rig.site.boxes[0].text,
              "You can't set 'SmartDetect' to False when you're at Design-Time and "
              "'WorkAtDesignTime' is set to True.");
    EXPECT_EQ(rig.site.boxes[0].title, "Orvel! Resizer Control");
    EXPECT_EQ(rig.site.boxes[0].style, 48);
    // At run time it is taken.
    rig.site.userMode = true;
    a.setSmartDetect(false);
    EXPECT_FALSE(a.SmartDetect());
    EXPECT_EQ(rig.site.changes, (Names{"SmartDetect"}));
    EXPECT_EQ(rig.site.boxes.size(), 1u);
}

// ---------------------------------------------------------------- ContainerResized

TEST(ContainerResized, BeforeTheSetUpItRecordsAndMovesNothing) {
    Rig rig;
    auto c = rig.add("C", 1500, 1500, 1500, 600);
    QResizer& a = rig.load([](host::MemoryBag& bag) { bag.put("Enabled", false); });
    rig.desktop.SetClientSize(rig.form->window, 1200, 400);
    a.ContainerResized();
    EXPECT_EQ(a.recordedCount(), 2);
    EXPECT_FLOAT_EQ(rig.record(1).FirstLeft, 1500);
    EXPECT_FLOAT_EQ(c->left, 1500);
    EXPECT_EQ(c->moves, 0);
}

// ContainerResized before the form is first shown records the controls
// against the size the form was designed at (9000 x 6000 twips), so that they
// scale with it afterwards.
struct EarlyRecording {
    const char* name;
    bool programMovedIt;  // to 3000, 3000 first
    bool formLarger;      // the form already 1.5 times its design size
    int calls;
};
void PrintTo(const EarlyRecording& k, std::ostream* os) { *os << k.name; }

class ContainerResizedBeforeTheShow : public ::testing::TestWithParam<EarlyRecording> {};

TEST_P(ContainerResizedBeforeTheShow, LeavesTheControlsScalingWithTheForm) {
    const EarlyRecording& k = GetParam();
    Rig rig(600, 400);
    auto c = rig.add("CmdOK", 4500, 3900, 1350, 450, 8);
    auto other = rig.add("Other", 300, 300, 600, 300, 8);
    QResizer& a = rig.load();
    if (k.programMovedIt) c->Move(3000, 3000, 1350, 450);
    if (k.formLarger) rig.desktop.SetClientSize(rig.form->window, 900, 600);
    for (int i = 0; i < k.calls; ++i) a.ContainerResized();
    EXPECT_FLOAT_EQ(rig.record(1).ContainerFirstWidth, 9000);
    EXPECT_FLOAT_EQ(rig.record(1).ContainerFirstHeight, 6000);
    rig.show();
    rig.resize(900, 600);
    const float left = k.programMovedIt ? 3000 : 4500;
    const float top = k.programMovedIt ? 3000 : 3900;
    EXPECT_FLOAT_EQ(c->left, left * 1.5f);
    EXPECT_FLOAT_EQ(c->top, top * 1.5f);
    EXPECT_FLOAT_EQ(c->width, 2025);
    EXPECT_FLOAT_EQ(c->height, 675);
    EXPECT_FLOAT_EQ(*c->fontSize, 12);
    EXPECT_FLOAT_EQ(other->left, 450);
    rig.resize(600, 400);
    EXPECT_FLOAT_EQ(c->left, left);
    EXPECT_FLOAT_EQ(c->width, 1350);
    EXPECT_FLOAT_EQ(*c->fontSize, 8);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContainerResizedBeforeTheShow,
    ::testing::Values(EarlyRecording{"Once", false, false, 1},
                      EarlyRecording{"Twice", false, false, 2},
                      EarlyRecording{"AfterTheProgramMovedAControl", true, false, 1},
                      EarlyRecording{"WhileTheFormIsLargerThanDesigned", false, true, 1}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ContainerResized, WithSmartDetectBeforeTheSetUpItDoesNothing) {
    Rig rig;
    rig.add("C", 1500, 1500, 1500, 600);
    QResizer& a = rig.load([](host::MemoryBag& bag) { bag.put("SmartDetect", true); });
    a.ContainerResized();
    EXPECT_EQ(a.recordedCount(), 0);
}

TEST(ContainerResized, AControlTheProgramMovedKeepsItsPlaceAndScalesFromThere) {
    Rig rig;
    auto c = rig.add("C", 1500, 1500, 1500, 600);
    auto other = rig.add("Other", 300, 300, 600, 300);
    QResizer& a = rig.load();
    rig.show();
    rig.resize(1200, 800);
    EXPECT_FLOAT_EQ(c->left, 3000);
    c->Move(6000, 3000, 3000, 1200);  // by program, at twice the design size
    a.ContainerResized();
    EXPECT_FLOAT_EQ(c->left, 6000);
    EXPECT_FLOAT_EQ(rig.record(1).FirstLeft, 6000);
    EXPECT_FLOAT_EQ(rig.record(1).ContainerFirstWidth, 18000);
    EXPECT_FLOAT_EQ(rig.record(2).FirstLeft, 300);  // unchanged: its base stays
    rig.resize(600, 400);
    EXPECT_FLOAT_EQ(c->left, 3000);
    EXPECT_FLOAT_EQ(c->width, 1500);
    EXPECT_FLOAT_EQ(other->left, 300);
}

}  // namespace
