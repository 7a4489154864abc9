#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "report/testing/FixedTextMetrics.h"
#include "ui/Services.h"
#include "ui/Twips.h"
#include "ui/testing/ScriptedServices.h"

using namespace Qt::StringLiterals;

namespace {

using ui::Answer;
using ui::Buttons;
using ui::Icon;
using ui::testing::ScriptedServices;

TEST(Filter, ConvertsToQtNameFilters) {
    struct Case {
        QString filter;
        QStringList want;
    };
    const Case cases[] = {
        {u"MSAccess database file (*.mdb)|*.mdb|"_s, {u"MSAccess database file (*.mdb)"_s}},
        {u"Scripts|*.psx|All files|*.*|"_s, {u"Scripts (*.psx)"_s, u"All files (*.*)"_s}},
        {u"Images|*.png;*.bmp"_s, {u"Images (*.png *.bmp)"_s}},  // no final "|"
        {u"|*.txt|"_s, {u"*.txt"_s}},
        {u""_s, {}},
        {u"Odd|"_s, {u"Odd"_s}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::qtNameFilters(c.filter), c.want) << c.filter.toStdString();
    EXPECT_EQ(ui::parseFilter(u"A|*.a; *.b|"_s),
              (std::vector<ui::FilterEntry>{{u"A"_s, {u"*.a"_s, u"*.b"_s}}}));
}

TEST(Twips, FifteenToThePixelRounded) {
    EXPECT_EQ(ui::twipsToPixels(120), 8);
    EXPECT_EQ(ui::twipsToPixels(280), 19);  // 18.67
    EXPECT_EQ(ui::twipsToPixels(620), 41);  // 41.33
    EXPECT_EQ(ui::twipsToPixels(-280), -19);
    EXPECT_EQ(ui::twipsRect(1560, 240, 4110, 285), QRect(104, 16, 274, 19));
    EXPECT_EQ(ui::pixelsToTwips(434), 6510);
}

TEST(ScriptedServices, AnswersExpectedBoxesInOrderWithTheProgramTitle) {
    ScriptedServices s(u"Batchrun1"_s);
    int seen = 0;
    s.expectBox({u"first"_s, Buttons::YesNo, Icon::Exclamation, u"Error!"_s, Answer::Yes, {}});
    s.expectBox({u"second"_s, Buttons::OkOnly, Icon::Information, {}, Answer::Ok, [&] { ++seen; }});
    EXPECT_EQ(s.MsgBox(u"first"_s, Buttons::YesNo, Icon::Exclamation, u"Error!"_s), Answer::Yes);
    EXPECT_EQ(s.MsgBox(u"second"_s, Buttons::OkOnly, Icon::Information), Answer::Ok);
    EXPECT_EQ(seen, 1);
    ASSERT_EQ(s.shown().size(), 2u);
    EXPECT_EQ(s.shown()[1].title, u"Batchrun1"_s);
}

TEST(ScriptedServices, FailsTheTestOnAnUnexpectedOrDifferentBox) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedServices s(u"P"_s);
            EXPECT_EQ(s.MsgBox(u"surprise"_s, Buttons::YesNo), Answer::No);
        },
        "unexpected box \"surprise\"");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedServices s(u"P"_s);
            s.expectBox({u"text"_s, Buttons::OkOnly, Icon::None, {}, Answer::Ok, {}});
            (void)s.MsgBox(u"text"_s, Buttons::OkOnly, Icon::Critical);
            s.verify();
        },
        "but expected box \"text\"");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedServices s(u"P"_s);
            s.expectBox({u"never"_s, Buttons::OkOnly, Icon::None, {}, Answer::Ok, {}});
        },
        "was never shown");
}

TEST(ScriptedServices, AnswersFileDialogsAndFailsOnOthers) {
    ScriptedServices s(u"P"_s);
    const ui::FileDialog d{u"Open"_s, u"A|*.a|"_s, {}, {}, ui::dlg::HideReadOnly};
    s.expectOpen(d, u"/x/y.a"_s);
    s.expectOpen(d, std::nullopt);
    EXPECT_EQ(s.ShowOpen(d), std::optional<QString>(u"/x/y.a"_s));
    EXPECT_EQ(s.ShowOpen(d), std::nullopt);
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedServices t(u"P"_s);
            t.expectOpen(d, u"a"_s);
            EXPECT_EQ(t.ShowSave(d), std::nullopt);
            t.verify();
        },
        "but expected open dialog");
}

TEST(BusyPointer, NestsAndIsTakenBackOnEveryExit) {
    ScriptedServices s(u"P"_s);
    try {
        const ui::BusyPointer outer(s);
        {
            const ui::BusyPointer inner(s);
            EXPECT_EQ(s.busyDepth(), 2);
        }
        EXPECT_EQ(s.busyDepth(), 1);
        throw std::runtime_error("boom");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(s.busyDepth(), 0);
}

TEST(ClosedAnswer, IsTheBoxsCancelOrNo) {
    EXPECT_EQ(ui::closedAnswer(Buttons::OkOnly), Answer::Ok);
    EXPECT_EQ(ui::closedAnswer(Buttons::YesNo), Answer::No);
    EXPECT_EQ(ui::closedAnswer(Buttons::YesNoCancel), Answer::Cancel);
    EXPECT_EQ(ui::closedAnswer(Buttons::AbortRetryIgnore), Answer::Abort);
}

}  // namespace

namespace {

TEST(ScriptedServices, AnswersPageSetupAndRecordsPreviews) {
    report::testing::FixedTextMetrics metrics;
    report::Document doc(metrics);
    doc.DocumentTitle("Comparison Details Report");
    doc.PrintLine("line");
    report::PageFormat landscape;
    landscape.orientation = report::Orientation::Landscape;

    ScriptedServices s(u"Parabase1"_s);
    s.expectPageSetup(landscape);
    s.expectPageSetup(std::nullopt);
    int looked = 0;
    s.expectPreview({[&](const report::Document& shown) {
        ++looked;
        EXPECT_EQ(shown.describe(), std::vector<std::string>{"text 0,0 \"line\""});
    }});
    EXPECT_EQ(s.ShowPageSetup(doc.PageFormat()), landscape);
    EXPECT_EQ(s.ShowPageSetup(landscape), std::nullopt);
    s.ShowPreview(doc, nullptr);
    EXPECT_EQ(looked, 1);
    ASSERT_EQ(s.previewsShown().size(), 1u);
    EXPECT_EQ(s.previewsShown()[0].DocumentTitle(), "Comparison Details Report");
    EXPECT_EQ(s.pageSetupsShown(), (std::vector<report::PageFormat>{doc.PageFormat(), landscape}));
}

TEST(ScriptedServices, FailsTheTestOnAnUnexpectedPreviewOrPageSetup) {
    report::testing::FixedTextMetrics metrics;
    report::Document doc(metrics);
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedServices s(u"T"_s);
            s.ShowPreview(doc, nullptr);
        },
        "unexpected print preview");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedServices s(u"T"_s);
            (void)s.ShowPageSetup(doc.PageFormat());
        },
        "unexpected page set-up");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedServices s(u"T"_s);
            s.expectPreview();
        },
        "never shown");
}

}  // namespace
