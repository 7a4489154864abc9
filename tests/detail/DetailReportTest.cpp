// The detail report as recorded in the report document, laid out with fixed
// text metrics (every character 100 twips wide, every line 200 high).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DetailTestSupport.h"
#include "detail/DetailReport.h"
#include "detail/DetailView.h"
#include "report/testing/FixedTextMetrics.h"

namespace {

using namespace engine;
using detail::DetailReportSource;
using detail::DetailView;
using detail::PrintDetailReport;
using Lines = std::vector<std::string>;

constexpr const char* kFolder = "/prog/Detail Images";

class Report : public ::testing::Test {
protected:
    Report() {
        report::PageFormat page;
        page.paper = {0, 12000, 16000};
        page.margins = {0, 0, 0, 0};
        doc.PageFormat(page);
        view.tree().SetUp();
    }

    // Shows element 1 of a kind and prints what the window would show.
    void print(int32_t kind, const TComparisonResult& r, bool expandAll = false) {
        view.Differences(r);
        const auto head = view.ShowDetails(kind, 1);
        if (expandAll) view.tree().ExpandAll();
        DetailReportSource shown;
        shown.caption = head->caption;
        shown.kind = view.DetailKind();
        shown.action = view.shownAction();
        shown.sourceText = head->sourceText;
        shown.destinationText = head->destinationText;
        PrintDetailReport(doc, grid, kFolder, shown);
    }
    // The texts printed, in order (a bold one marked with "*"), without the
    // grid's header and the page footers.
    Lines texts() const {
        Lines out;
        for (const report::Page& page : doc.pages())
            for (const report::Item& item : page.items)
                if (const auto* t = std::get_if<report::TextItem>(&item)) {
                    if (t->text.rfind("Page ", 0) == 0) continue;
                    out.push_back((t->font.bold ? "*" : "") + t->text);
                }
        return out;
    }
    Lines pictures() const {
        Lines out;
        for (const std::string& line : doc.describe())
            if (line.rfind("picture ", 0) == 0) out.push_back(line);
        return out;
    }

    report::testing::FixedTextMetrics metrics;
    report::Document doc{metrics};
    ui::grid::GridModel grid;
    detailtest::Options options;
    DetailView view{grid, options};
};

TComparisonResult oneTable() {
    TComparisonResult r;
    r.Tables = rb::arr({rb::table("T", acDifferent, false, {rb::sourceOnly("A", rb::integer())})});
    return r;
}

TEST_F(Report, ATableReportHasTheHeadingAndTheShownRowsOnly) {
    print(okTable, oneTable());
    EXPECT_EQ(doc.DocumentTitle(), "Details of Table (T) Report");
    const Lines lines = doc.describe();
    // The heading, grey and centred on the 12000-twip page, then an empty line.
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "text 4650,0 \"Details of Table (T) Report\" #B0B0B0");
    EXPECT_EQ(lines[1], "text 0,200 \"\" #B0B0B0");
    const Lines t = texts();
    EXPECT_EQ(t, (Lines{"Details of Table (T) Report", "", "Object / Property", "Source Value",
                        "Action", "Destination Value", "Columns"}));
    // The collapsed group's glyph and icon, from their bitmaps or the list.
    EXPECT_EQ(pictures().size(), 2u);
    EXPECT_NE(pictures()[0].find("\"/prog/Detail Images/1.bmp\""), std::string::npos);
    EXPECT_NE(pictures()[0].find(" or DGridImg#0"), std::string::npos);
    EXPECT_NE(pictures()[1].find("\"/prog/Detail Images/10.bmp\""), std::string::npos);
}

TEST_F(Report, ExpandAllBeforePrintPrintsTheWholeTree) {
    print(okTable, oneTable(), true);
    const Lines t = texts();
    // Header (4 texts), the group, the column and its twelve properties with both values.
    EXPECT_EQ(t.size(), 2u + 4 + 1 + 1 + 12 * 3);
    EXPECT_EQ(t[6], "Columns");
    EXPECT_EQ(t[7], "A");
    EXPECT_EQ(t[8], "Column Type");
    EXPECT_EQ(t[9], "Long Integer");
    EXPECT_EQ(t[10], "-");
    // Icon position 5 (only in the source) prints as the bitmap "6.bmp".
    bool sixth = false;
    for (const std::string& p : pictures())
        sixth = sixth || p.find("/6.bmp\"") != std::string::npos;
    EXPECT_TRUE(sixth);
}

TEST_F(Report, AViewOnlyInTheDestinationPrintsItsPictureBetweenTheTexts) {
    TComparisonResult r;
    r.Views = rb::arr({rb::view("V", acOnlyInDestination, false, "", "SELECT *\r\nFROM T;")});
    print(okView, r);
    EXPECT_EQ(texts(), (Lines{"Details of View (V) Report", "", "Object / Property", "Source Value",
                              "Action", "Destination Value", "", "*Source Command Text : ", "", "",
                              "", "", "*Destination Command Text : ", "", "SELECT *", "FROM T;"}));
    ASSERT_EQ(pictures().size(), 1u);
    // Below the empty source text: heading (400), grid header (270), three
    // lines and the text's one empty line (800).
    EXPECT_EQ(pictures()[0], "picture \"/prog/Detail Images/5.bmp\" 0,1470 or DGridImg#4");
}

// The report's picture follows the element's code, whatever the texts say.
TEST_F(Report, TheReportsPictureFollowsTheCode) {
    struct Case {
        int32_t action;
        const char* file;
    };
    for (const Case& c :
         {Case{acEqual, "3.bmp"}, Case{acDifferent, "4.bmp"}, Case{acOnlyInDestination, "5.bmp"},
          Case{acOnlyInSource, "6.bmp"}, Case{7, "3.bmp"}}) {
        TComparisonResult r;
        r.Procedures = rb::arr({rb::procedure("P", c.action, false, "same", "same")});
        print(okProcedure, r);
        ASSERT_EQ(pictures().size(), 1u) << c.action;
        EXPECT_NE(pictures()[0].find(std::string("/") + c.file), std::string::npos)
            << pictures()[0];
    }
}

TEST_F(Report, LongLinesWrapAtTheirLastBlankAndWordsWiderThanThePageAreCut) {
    // 120 characters fit the page's width.
    const std::string words = std::string(100, 'a') + " " + std::string(30, 'b');
    const std::string word(130, 'c');
    TComparisonResult r;
    r.Views = rb::arr({rb::view("V", acEqual, false, "one\r\n" + words, word)});
    print(okView, r);
    const Lines t = texts();
    const auto one = std::find(t.begin(), t.end(), "one");
    ASSERT_LE(one + 3, t.end());
    EXPECT_EQ(*(one + 1), std::string(100, 'a'));
    EXPECT_EQ(*(one + 2), " " + std::string(30, 'b'));
    auto at = [&](const std::string& s) { return std::find(t.begin(), t.end(), s) != t.end(); };
    EXPECT_TRUE(at(std::string(120, 'c')));
    EXPECT_TRUE(at(std::string(10, 'c')));
}

TEST_F(Report, AnElementNoLongerInTheCopyPrintsItsTextsWithoutAPicture) {
    DetailReportSource shown;
    shown.caption = "Details of View (Gone)";
    shown.kind = okView;
    shown.sourceText = "a";
    shown.destinationText = "b";
    PrintDetailReport(doc, grid, kFolder, shown);
    EXPECT_TRUE(pictures().empty());
    const Lines t = texts();
    EXPECT_EQ(t[t.size() - 3], "*Destination Command Text : ");
    EXPECT_EQ(t.back(), "b");
}

TEST_F(Report, AWideTableAndALongViewPrintOnManyPages) {
    TComparisonResult r;
    TTable wide = rb::table("Wide", acDifferent, false, {});
    for (int i = 1; i <= 255; ++i)
        wide.Columns.Append() = rb::both("C" + std::to_string(i), rb::text(i), rb::text(i));
    r.Tables = rb::arr({wide});
    print(okTable, r, true);
    // 3,316 rows of 270 twips on pages of 16,000: about 56 pages.
    EXPECT_GT(doc.pages().size(), 50u);
    size_t rowsPrinted = 0;
    for (const std::string& s : texts()) rowsPrinted += s == "Column Type";
    EXPECT_EQ(rowsPrinted, 255u);

    std::string text;
    while (text.size() < 64 * 1024) text += "SELECT Field" + std::to_string(text.size()) + "\r\n";
    TComparisonResult v;
    v.Views = rb::arr({rb::view("Long", acEqual, false, text, text)});
    print(okView, v);
    size_t lines = 0;
    for (const std::string& s : texts()) lines += s.rfind("SELECT Field", 0) == 0;
    EXPECT_EQ(lines, 2 * static_cast<size_t>(std::count(text.begin(), text.end(), '\n')));
    EXPECT_GT(doc.pages().size(), 50u);
}

}  // namespace
