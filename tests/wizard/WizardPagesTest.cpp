// The main window's decisions without a window: page texts and navigation,
// the page's place, the anchor list, and the compare log's report.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ReportTestSupport.h"
#include "wizard/CompareLogReport.h"
#include "wizard/FrmMainDesign.h"
#include "wizard/WizardPages.h"

namespace {

using Lines = std::vector<std::string>;

TEST(WizardPages, EachPageHasItsHeaderAndButtons) {
    struct Want {
        int page;
        const char* header;
        bool back, next;
    };
    for (const Want& w : {Want{1, "Welcome", false, true}, Want{2, "Databases", true, true},
                          Want{3, "Options", true, true}, Want{4, "Compare", true, true},
                          Want{5, "Results", true, false}}) {
        const auto t = wizard::PageTexts(w.page);
        ASSERT_TRUE(t) << w.page;
        EXPECT_EQ(t->header, w.header);
        EXPECT_EQ(t->back, w.back) << w.page;
        EXPECT_EQ(t->next, w.next) << w.page;
    }
    EXPECT_EQ(wizard::PageTexts(1)->title, "Welcome to Orvel! Parabase v1.2 for MSAccess...");
    EXPECT_EQ(wizard::PageTexts(2)->description,
              "Please specify your source and destination databases by filling the textboxes "
              "below.Selecting a workgroup file and username and password sections are optional "
              "depending on your databases...");
    EXPECT_EQ(wizard::PageTexts(4)->description,
              "If you're ready, you can begin compare by simply pressing the 'Compare' button...");
    EXPECT_EQ(wizard::PageTexts(5)->title, "Results Page...");
    for (const int none : {0, 6, 255, -1}) EXPECT_FALSE(wizard::PageTexts(none)) << none;
}

TEST(WizardPages, TheBarChangesThePageOnlyToAnotherOne) {
    wizard::PageNavigator nav;
    EXPECT_EQ(nav.PageNumber(), 0);  // while the window loads
    EXPECT_TRUE(nav.Bar_ButtonClick(1));
    EXPECT_EQ(nav.PageNumber(), 1);
    EXPECT_FALSE(nav.Bar_ButtonClick(1));  // the page shown marks its own button
    EXPECT_TRUE(nav.Bar_ButtonClick(4));
    EXPECT_EQ(nav.PageNumber(), 4);
    nav.CmdNext_Click();
    EXPECT_EQ(nav.PageNumber(), 5);
    nav.CmdBack_Click();
    nav.CmdBack_Click();
    EXPECT_EQ(nav.PageNumber(), 3);
    // No range check: the window's disabled buttons are the guard, and a page
    // outside 1 to 5 has no texts (nothing is shown).
    nav.PageNumber(0);
    nav.CmdBack_Click();
    EXPECT_EQ(nav.PageNumber(), 255);
    EXPECT_FALSE(wizard::PageTexts(nav.PageNumber()));
}

TEST(WizardPages, APageFillsTheSpaceBetweenBarAndHeaders) {
    EXPECT_EQ(wizard::PlacePage(1950, 1140, 300, 11400, 6840),
              (wizard::PagePlace{1950, 1440, 9450, 5400}));
    EXPECT_EQ(wizard::PlaceWelcome(9450, 5400), (wizard::PagePlace{100, 100, 9350, 5300}));
}

TEST(FrmMainDesign, EveryControlKeepsTheEdgesItWasDesignedFor) {
    using wizard::design::AnchorFlags;
    struct Want {
        const char* flags;
        std::vector<const char*> controls;
    };
    const Want wants[] = {
        {"1111",
         {"Page(0)", "Page(4)", "LabelWelcome", "DDBFRame", "MGrid", "CFrame", "TxtDetail"}},
        {"1101", {"OFrame"}},
        {"1110",
         {"PTop", "HeaderTop", "SDBFrame", "SPassword", "DPassword", "CTable", "SFRame", "CMatch",
          "CDescLabel", "CompFrame", "ProcessLabel", "PBar", "TBar"}},
        {"1100", {"SBar", "Bar", "Label1", "Label8", "SDBLabel", "CompLabel", "Anchor"}},
        {"1011", {"HeaderBottom"}},
        {"1001", {"CmdHelp", "CmdAbout", "CmdLoad", "CmdSave", "CmdPrinterSetup"}},
        {"0011", {"CmdBack", "CmdNext", "CmdExit"}},
        {"0110", {"WizardImage", "SDBOpen", "DWFOpen", "CmdPrint"}},
        {"0100", {"CmdCompare"}},
    };
    for (const Want& w : wants)
        for (const char* c : w.controls) EXPECT_EQ(AnchorFlags(c), w.flags) << c;
    EXPECT_EQ(AnchorFlags("NotAControl"), "1100");

    // Each control once; the saved list is "name LF flags LF" per control.
    std::set<std::string_view> seen;
    for (const auto& e : wizard::design::AnchorEntries())
        EXPECT_TRUE(seen.insert(e.control).second) << e.control;
    EXPECT_EQ(seen.size(), 78u);
    const std::string list = wizard::design::AnchorList();
    EXPECT_EQ(list.substr(0, 24), "Page(0)\n1111\nPage(1)\n111");
    EXPECT_EQ(list.find('\r'), std::string::npos);
}

TEST(FrmMainDesign, TheDesignSizeIsAboveTheMinimum) {
    EXPECT_GE(wizard::design::kClientWidth, wizard::design::kMinFormWidth);
    EXPECT_GE(wizard::design::kClientHeight, wizard::design::kMinFormHeight);
    EXPECT_EQ(wizard::design::kMinFormHeight, 7200);
    EXPECT_EQ(wizard::design::kMinFormWidth, 10650);
}

// ---- the compare log's report (2000 x 2000 twips, 100 a character, 200 a line) ----

// The empty line after the title is still grey: black comes after it.
TEST(CompareLogReport, AnEmptyLogGivesTheTitleAlone) {
    wizardtest::SmallReport r;
    r.doc.NewDocument();
    r.doc.PrintAligned("left over", 0);
    wizard::PrintCompareLog(r.doc, "", report::Font{"Verdana", 8.25, false});
    EXPECT_EQ(r.doc.DocumentTitle(), "Comparison Details Report");
    EXPECT_EQ(r.doc.describe(), (Lines{"text -250,0 \"Comparison Details Report\" #B0B0B0",
                                       "text 0,200 \"\" #B0B0B0"}));
}

// The footer is grey, as on every other report.
TEST(CompareLogReport, EndsTheLastPageWithAGreyFooter) {
    wizardtest::SmallReport r;
    wizard::PrintCompareLog(r.doc, "ab\r\ncd", report::Font{"DejaVu Sans", 9, true});
    EXPECT_EQ(r.doc.Font(), (report::Font{"DejaVu Sans", 9, true}));
    EXPECT_EQ(r.doc.describe(),
              (Lines{"text -250,0 \"Comparison Details Report\" #B0B0B0 bold",
                     "text 0,200 \"\" #B0B0B0 bold", "text 0,400 \"ab\" bold",
                     "text 0,600 \"cd\" bold", "text 700,1800 \"Page 1\" #B0B0B0 bold"}));
}

TEST(CompareLogReport, WrapsLongLinesAndBreaksPages) {
    wizardtest::SmallReport r;
    // A final line end leaves an empty last line, as the log always has one
    // until the comparison ends.
    std::string log = "Compare process started...\r\n";
    for (int i = 1; i <= 6; ++i) log += "line " + std::to_string(i) + "\r\n";
    wizard::PrintCompareLog(r.doc, log, report::Font{});
    // The first line wraps at its last blank that fits (20 characters).
    // After "line 5" at 1400 the next line might not fit: the wrapping
    // routine closes the page, and the report's own check closes it once more.
    EXPECT_EQ(
        r.doc.describe(),
        (Lines{"text -250,0 \"Comparison Details Report\" #B0B0B0", "text 0,200 \"\" #B0B0B0",
               "text 0,400 \"Compare process\"", "text 0,600 \" started...\"",
               "text 0,800 \"line 1\"", "text 0,1000 \"line 2\"", "text 0,1200 \"line 3\"",
               "text 0,1400 \"line 4\"", "text 700,1800 \"Page 1\" #B0B0B0",
               "text 700,1800 \"Page 1\" #B0B0B0", "page 2", "text 0,0 \"line 5\"",
               "text 0,200 \"line 6\"", "text 0,400 \"\"", "text 700,1800 \"Page 2\" #B0B0B0"}));
}

}  // namespace
