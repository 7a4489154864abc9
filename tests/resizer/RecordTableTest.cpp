// QResizer's record table: what a recording takes of each kind of control,
// and which changes the detection between passes sees.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "ResizerRig.h"

namespace {

using host::Member;
using host::model::FakeControl;
using host::model::FakeLine;
using host::model::FakeTabStrip;
using resizer::QResizer;
using resizer::testing::Rig;

TEST(RecordTable, TheFirstRecordingTakesEveryPositionButTheForm) {
    Rig rig;
    rig.add("A", 150, 300, 1500, 450, 8.25f);
    rig.add("B", 3000, 300, 1500, 450, 10);
    QResizer& a = rig.load();
    a.ContainerResized();  // records, before any set-up
    EXPECT_EQ(a.recordedCount(), 3);
    ASSERT_EQ(a.ResizeTable().size(), 3u);
    EXPECT_TRUE(rig.record(0).Type.empty());
    EXPECT_FLOAT_EQ(rig.record(0).FirstWidth, 0);
    const resizer::ResizeType& b = rig.record(2);
    EXPECT_EQ(b.Type, "Std");
    EXPECT_FLOAT_EQ(b.FirstLeft, 3000);
    EXPECT_FLOAT_EQ(b.FirstTop, 300);
    EXPECT_FLOAT_EQ(b.FirstWidth, 1500);
    EXPECT_FLOAT_EQ(b.FirstHeight, 450);
    EXPECT_FLOAT_EQ(b.FirstFont, 10);
    EXPECT_FLOAT_EQ(b.LastFont, 10);
    EXPECT_FLOAT_EQ(b.LastLeft, 3000);
    EXPECT_EQ(b.ContainerHwnd, rig.form->window);
    EXPECT_FLOAT_EQ(rig.record(1).FirstFont, 8.25f);
}

// The kind of control each gets, decided afresh at every recording.
struct KindCase {
    const char* name;
    std::function<std::shared_ptr<FakeControl>(Rig&)> make;
    const char* type;
};
void PrintTo(const KindCase& k, std::ostream* os) { *os << k.name; }

class Kinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(Kinds, FollowTheTypeNameThenWhatCanBeRead) {
    Rig rig;
    auto c = GetParam().make(rig);
    QResizer& a = rig.load();
    a.ContainerResized();
    EXPECT_EQ(rig.record(1).Type, GetParam().type);
    if (rig.record(1).Type == "Line" || rig.record(1).Type == "Shape") {
        EXPECT_FLOAT_EQ(rig.record(1).FirstFont, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Controls, Kinds,
    ::testing::Values(
        KindCase{"WithAFont", [](Rig& r) { return r.add("C", 0, 0, 10, 10, 9); }, "Std"},
        KindCase{"WithoutAFont", [](Rig& r) { return r.form->add("C", 0, 0, 10, 10); }, "Shape"},
        KindCase{"NeitherFontNorVisible",
                 [](Rig& r) {
                     auto c = r.form->add("C", 0, 0, 10, 10);
                     c->visible.reset();
                     return c;
                 },
                 "None"},
        KindCase{"ALine",
                 [](Rig& r) {
                     auto l = r.form->addLine("L", 0, 0, 100, 100);
                     l->fontSize = 9;  // a font does not make it a "Std"
                     return l;
                 },
                 "Line"},
        KindCase{"ATabStrip",
                 [](Rig& r) { return r.form->add<FakeTabStrip>("Tabs", 0, 0, 3000, 3000); },
                 "SSTab"},
        KindCase{"AStripWithoutAFont",
                 [](Rig& r) {
                     auto s = r.form->add<FakeTabStrip>("Tabs", 0, 0, 3000, 3000);
                     s->fontSize.reset();
                     return s;
                 },
                 "SSTab"},
        KindCase{"AData",
                 [](Rig& r) {
                     auto d = r.add("Data1", 0, 0, 10, 10);
                     d->typeName = "Data";
                     return d;
                 },
                 "Std"}),
    [](const auto& p) { return std::string(p.param.name); });

// Change detection: each control sits in a frame, recorded, then changed (or
// not); the frame's client area is widened unseen before the detection, so a
// control recorded again shows the new width as its container's first width.
struct Detection {
    Rig rig;
    std::shared_ptr<FakeControl> frame;
    std::shared_ptr<FakeTabStrip> strip;
    std::shared_ptr<FakeControl> control;
};

struct ChangeCase {
    const char* name;
    std::function<std::shared_ptr<FakeControl>(Detection&)> make;
    std::function<void(Detection&)> change;
    bool recordedAgain;
};
void PrintTo(const ChangeCase& k, std::ostream* os) { *os << k.name; }

class ChangeDetection : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangeDetection, RecordsAgainOnlyWhatChanged) {
    const ChangeCase& k = GetParam();
    Detection d;
    d.frame = d.rig.add("Frame", 150, 150, 4500, 3000);
    d.rig.form->makeContainer(*d.frame);
    d.strip = d.rig.form->add<FakeTabStrip>("Tabs", 4800, 150, 3000, 3000);
    d.rig.form->makeContainer(*d.strip);
    d.strip->pages.resize(2);
    d.control = k.make(d);
    QResizer& a = d.rig.load();
    a.ContainerResized();
    const std::size_t at = d.rig.form->controls.size();  // the control is the last one
    const float before = d.rig.record(at).ContainerFirstWidth;
    ASSERT_GT(before, 0);
    k.change(d);
    const host::Hwnd container = *d.control->container.lock()->hwnd();
    d.rig.desktop.SetClientSize(container, 1000, 1000);
    a.ContainerResized();
    EXPECT_EQ(d.rig.record(at).ContainerFirstWidth != before, k.recordedAgain);
}

std::shared_ptr<FakeControl> inFrame(Detection& d) {
    return d.rig.add("C", 300, 300, 1500, 450, 8, d.frame);
}
std::shared_ptr<FakeControl> shapeInFrame(Detection& d) {
    return d.rig.form->add("S", 300, 300, 1500, 450, d.frame);
}
std::shared_ptr<FakeControl> lineInFrame(Detection& d) {
    return d.rig.form->addLine("L", 300, 300, 1800, 300, d.frame);
}
std::shared_ptr<FakeControl> onPage1(Detection& d) {
    auto c = d.rig.add("C", 300, 600, 1500, 450, 8, d.strip);
    d.strip->pages[1].push_back(c);
    return c;
}
// Recorded while its page is hidden.
std::shared_ptr<FakeControl> lineOnPage1(Detection& d) {
    auto l = d.rig.form->addLine("L", 300, 600, 1800, 600, d.strip);
    d.strip->pages[1].push_back(l);
    d.strip->ShowTab(0);
    return l;
}
void nothing(Detection&) {}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangeDetection,
    ::testing::Values(
        ChangeCase{"Untouched", inFrame, nothing, false},
        ChangeCase{"MovedByOneUnit", inFrame, [](Detection& d) { d.control->left += 1; }, true},
        ChangeCase{"OnlyItsFontSize", inFrame, [](Detection& d) { d.control->fontSize = 9; }, true},
        ChangeCase{"AShapeResized", shapeInFrame, [](Detection& d) { d.control->height += 15; },
                   true},
        ChangeCase{"AShapeUntouched", shapeInFrame, nothing, false},
        ChangeCase{"ANoneMoved",
                   [](Detection& d) {
                       auto c = shapeInFrame(d);
                       c->visible.reset();
                       return c;
                   },
                   [](Detection& d) { d.control->left += 900; }, false},
        ChangeCase{"ALineEndMoved", lineInFrame,
                   [](Detection& d) { static_cast<FakeLine&>(*d.control).y2 += 15; }, true},
        ChangeCase{"ALineUntouched", lineInFrame, nothing, false},
        // Showing another page moves the hidden page's controls by the offset,
        // which the test takes out again.
        ChangeCase{"ItsTabPageHidden", onPage1, [](Detection& d) { d.strip->ShowTab(0); }, false},
        ChangeCase{"ALinesTabPageShown", lineOnPage1, [](Detection& d) { d.strip->ShowTab(1); },
                   false},
        // Far left outside a strip: recorded as it is, but the test adds the
        // offset, so it counts as changed until a pass rewrites its last place.
        ChangeCase{"FarLeftOutsideAStrip",
                   [](Detection& d) { return d.rig.add("C", -40000, 300, 1500, 450, 8, d.frame); },
                   nothing, true},
        // A line outside a strip never gets the offset.
        ChangeCase{"ALineFarLeftOutsideAStrip",
                   [](Detection& d) {
                       return d.rig.form->addLine("L", -40000, 300, -39000, 300, d.frame);
                   },
                   nothing, false},
        // A read that fails counts as a change.
        ChangeCase{"TopUnreadable", inFrame,
                   [](Detection& d) { d.control->unreadable.insert(Member::Top); }, true},
        ChangeCase{"FontUnreadable", inFrame, [](Detection& d) { d.control->fontSize.reset(); },
                   true},
        ChangeCase{"ALinesContainerUnreadable", lineInFrame,
                   [](Detection& d) { d.control->containerUnreadable = true; }, true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(RecordTable, ControlsOnHiddenPagesAreRecordedAtTheirPlaceOnTheVisiblePage) {
    Rig rig;
    auto strip = rig.form->add<FakeTabStrip>("Tabs", 150, 150, 6000, 4500);
    rig.form->makeContainer(*strip);
    strip->pages.resize(2);
    auto shown = rig.add("Shown", 300, 600, 1500, 450, 8, strip);
    auto hidden = rig.add("Hidden", 300, 1200, 1500, 450, 8, strip);
    auto line = rig.form->addLine("Rule", 300, 2000, 5000, 2000, strip);
    strip->pages[0] = {shown};
    strip->pages[1] = {hidden, line};
    strip->ShowTab(0);
    ASSERT_FLOAT_EQ(hidden->left, 300 - 75000);
    ASSERT_FLOAT_EQ(line->x2, 5000 - 75000);
    // The same offset on the form itself is taken as it is.
    auto farLeft = rig.add("FarLeft", -50000, 0, 100, 100);
    auto farLine = rig.form->addLine("FarLine", -50000, 0, -45000, 0);
    QResizer& a = rig.load();
    a.ContainerResized();
    EXPECT_FLOAT_EQ(rig.record(2).FirstLeft, 300);
    EXPECT_FLOAT_EQ(rig.record(3).FirstLeft, 300);
    EXPECT_FLOAT_EQ(rig.record(3).LastLeft, 300);
    EXPECT_FLOAT_EQ(rig.record(4).FirstLeft, 300);
    EXPECT_FLOAT_EQ(rig.record(4).FirstWidth, 5000);   // a line's X2
    EXPECT_FLOAT_EQ(rig.record(4).FirstHeight, 2000);  // a line's Y2
    EXPECT_FLOAT_EQ(rig.record(5).FirstLeft, -50000);
    EXPECT_FLOAT_EQ(rig.record(6).FirstLeft, -50000);
    EXPECT_FLOAT_EQ(rig.record(6).FirstWidth, -45000);
    EXPECT_EQ(rig.record(2).ContainerHwnd, *strip->hwnd());
    EXPECT_FLOAT_EQ(rig.record(2).ContainerFirstWidth, 6000);
}

TEST(RecordTable, ADataControlCountsAsOnTheFormWhereverItSits) {
    Rig rig;
    auto frame = rig.add("Frame", 150, 150, 4500, 3000);
    rig.form->makeContainer(*frame);
    auto data = rig.add("Data1", 300, 300, 1500, 450, 8, frame);
    data->typeName = "Data";
    auto plain = rig.add("Plain", 300, 900, 1500, 450, 8, frame);
    QResizer& a = rig.place();  // its present size taken: 9000 x 6000
    a.ContainerResized();
    EXPECT_EQ(rig.record(2).ContainerHwnd, rig.form->window);
    EXPECT_FLOAT_EQ(rig.record(2).ContainerFirstWidth, 9000);
    EXPECT_EQ(rig.record(3).ContainerHwnd, *frame->hwnd());
    EXPECT_FLOAT_EQ(rig.record(3).ContainerFirstWidth, 4500);
}

TEST(RecordTable, AContainerWhoseWindowCannotBeReadCountsAsTheForm) {
    Rig rig;
    auto c = rig.add("C", 300, 300, 1500, 450);
    c->containerUnreadable = true;
    QResizer& a = rig.place();
    a.ContainerResized();
    EXPECT_EQ(rig.record(1).ContainerHwnd, rig.form->window);
    EXPECT_FLOAT_EQ(rig.record(1).ContainerFirstHeight, 6000);
}

TEST(RecordTable, AFailedReadLeavesItsFieldAsItWas) {
    Rig rig;
    auto c = rig.add("C", 300, 600, 1500, 450, 8);
    c->unreadable = {Member::Top, Member::Width};
    QResizer& a = rig.load();
    a.ContainerResized();
    EXPECT_FLOAT_EQ(rig.record(1).FirstLeft, 300);
    EXPECT_FLOAT_EQ(rig.record(1).FirstTop, 0);  // zero after a full recording
    EXPECT_FLOAT_EQ(rig.record(1).FirstWidth, 0);
    EXPECT_FLOAT_EQ(rig.record(1).FirstHeight, 450);
}

TEST(RecordTable, AControlThatCannotBeFetchedIsSkippedNotGivenAnothersGeometry) {
    Rig rig;
    rig.add("A", 300, 300, 1500, 450);
    rig.add("B", 3000, 900, 600, 300);
    rig.form->unfetchable = {1};
    QResizer& a = rig.load();
    a.ContainerResized();
    EXPECT_TRUE(rig.record(1).Type.empty());
    EXPECT_FLOAT_EQ(rig.record(1).FirstLeft, 0);
    EXPECT_FLOAT_EQ(rig.record(2).FirstLeft, 3000);
    // Fetched again, the next detection records it.
    rig.form->unfetchable.clear();
    a.ContainerResized();
    EXPECT_EQ(rig.record(1).Type, "Std");
    EXPECT_FLOAT_EQ(rig.record(1).FirstLeft, 300);
}

TEST(RecordTable, AnAddedControlMakesTheNextRecordingAFullOne) {
    Rig rig;
    rig.add("A", 300, 300, 1500, 450);
    QResizer& a = rig.load();
    a.ContainerResized();
    rig.add("B", 3000, 900, 600, 300);
    a.ContainerResized();
    EXPECT_EQ(a.recordedCount(), 3);
    EXPECT_FLOAT_EQ(rig.record(2).FirstLeft, 3000);
}

TEST(RecordTable, AnotherControlAtARecordedPositionIsRecordedAfresh) {
    Rig rig;
    auto first = rig.add("A", 300, 300, 1500, 450);
    rig.add("B", 3000, 900, 600, 300);
    QResizer& a = rig.load();
    a.ContainerResized();
    rig.form->remove(first);  // same count, B moves to position 1
    rig.add("C", 6000, 1500, 900, 300);
    a.ContainerResized();
    EXPECT_EQ(a.recordedCount(), 3);
    EXPECT_FLOAT_EQ(rig.record(1).FirstLeft, 3000);
    EXPECT_FLOAT_EQ(rig.record(2).FirstLeft, 6000);
}

TEST(RecordTable, AContainerThatIsNoWindowMeasuresZero) {
    Rig rig;
    auto box = rig.add("Box", 150, 150, 3000, 3000);
    box->window = 0x7777;  // no such window
    rig.add("Inner", 300, 300, 600, 300, 8, box);
    QResizer& a = rig.load();
    a.ContainerResized();
    EXPECT_EQ(rig.record(2).ContainerHwnd, 0x7777);
    EXPECT_FLOAT_EQ(rig.record(2).ContainerFirstWidth, 0);
    EXPECT_FLOAT_EQ(rig.record(2).ContainerFirstHeight, 0);
}

}  // namespace
