#include <gtest/gtest.h>

#include <functional>

#include "report/Document.h"
#include "report/testing/FixedTextMetrics.h"

namespace {

using report::Document;
using Lines = std::vector<std::string>;

// Letter paper with half-inch margins: a printable area of 10800 x 14400
// twips. Every character 100 twips wide, every line 200 high.
class DocumentTest : public ::testing::Test {
protected:
    DocumentTest() {
        report::PageFormat format;
        format.paper = report::Paper::Letter();
        doc.PageFormat(format);
    }
    report::testing::FixedTextMetrics metrics;
    Document doc{metrics};
};

TEST_F(DocumentTest, StartsWithOneEmptyPageAtTheTopLeft) {
    EXPECT_EQ(doc.pages().size(), 1u);
    EXPECT_EQ(doc.CurrentPage(), 1);
    EXPECT_EQ(doc.CurrentX(), 0);
    EXPECT_EQ(doc.CurrentY(), 0);
    EXPECT_EQ(doc.PageWidth(), 10800);
    EXPECT_EQ(doc.PageHeight(), 14400);
    EXPECT_EQ(doc.ForeColor(), report::kBlack);
}

struct PrintCase {
    const char* name;
    std::function<void(Document&)> print;
    Lines want;
    int32_t x, y;  // the position afterwards
};

TEST_F(DocumentTest, PrintsLinesAndMovesBelowThem) {
    const PrintCase cases[] = {
        {"lineAtThePosition",
         [](Document& d) {
             d.CurrentX(300);
             d.CurrentY(50);
             d.PrintLine("abc");
         },
         {"text 300,50 \"abc\""},
         0,
         250},
        {"twoLinesStack",
         [](Document& d) {
             d.PrintLine("a");
             d.PrintLine("");
             d.PrintLine("b");
         },
         {"text 0,0 \"a\"", "text 0,200 \"\"", "text 0,400 \"b\""},
         0,
         600},
        {"alignedLeftIgnoresX",
         [](Document& d) {
             d.CurrentX(500);
             d.PrintAligned("ab", 0);
         },
         {"text 0,0 \"ab\""},
         0,
         200},
        {"alignedRight",
         [](Document& d) { d.PrintAligned("ab", 1); },
         {"text 10600,0 \"ab\""},
         0,
         200},
        {"alignedCentre",
         [](Document& d) { d.PrintAligned("abc", 2); },
         {"text 5250,0 \"abc\""},
         0,
         200},
        {"otherAlignmentIsLeft",
         [](Document& d) { d.PrintAligned("ab", 7); },
         {"text 0,0 \"ab\""},
         0,
         200},
        {"colourAndBoldAreRecorded",
         [](Document& d) {
             d.ForeColor(report::kGrey);
             d.FontBold(true);
             d.PrintLine("T");
         },
         {"text 0,0 \"T\" #B0B0B0 bold"},
         0,
         200},
        {"fractionalPositionKept",
         [](Document& d) {
             d.CurrentX(348.5);
             d.PrintLine("x");
         },
         {"text 348.5,0 \"x\""},
         0,
         200},
    };
    for (const auto& c : cases) {
        doc.NewDocument();
        doc.FontBold(false);
        c.print(doc);
        EXPECT_EQ(doc.describe(), c.want) << c.name;
        EXPECT_EQ(doc.CurrentX(), c.x) << c.name;
        EXPECT_EQ(doc.CurrentY(), c.y) << c.name;
    }
}

TEST_F(DocumentTest, ALineThatWouldReachBelowThePageStartsANewOne) {
    doc.CurrentX(400);
    doc.CurrentY(14200);  // exactly one line left
    doc.PrintLine("fits");
    doc.CurrentX(400);
    doc.PrintLine("next");
    EXPECT_EQ(doc.describe(), (Lines{"text 400,14200 \"fits\"", "page 2", "text 400,0 \"next\""}));
    EXPECT_EQ(doc.CurrentPage(), 2);
    // A line taller than the page is printed at the top all the same.
    report::testing::FixedTextMetrics tall(100, 20000);
    Document d(tall);
    d.PrintLine("huge");
    EXPECT_EQ(d.pages().size(), 1u);
}

TEST_F(DocumentTest, RecordsBoxesAndPictures) {
    doc.Box(0, 0, 1500, 270, report::kGrey, report::BoxStyle::Filled);
    doc.Box(0, 0, 1500, 270, report::kBlack, report::BoxStyle::Frame);
    doc.PrintPicture("/img/3.bmp", 30, 15, report::PictureFallback{"MGridImg", 2});
    doc.PrintPicture("/img/1.bmp", 0.5, 1);
    EXPECT_EQ(
        doc.describe(),
        (Lines{"box 0,0-1500,270 fill #B0B0B0", "box 0,0-1500,270 frame #000000",
               "picture \"/img/3.bmp\" 30,15 or MGridImg#2", "picture \"/img/1.bmp\" 0.5,1"}));
    // Neither moves the print position.
    EXPECT_EQ(doc.CurrentX(), 0);
    EXPECT_EQ(doc.CurrentY(), 0);
    const auto& picture = std::get<report::PictureItem>(doc.pages()[0].items[2]);
    ASSERT_TRUE(picture.fallback);
    EXPECT_EQ(picture.fallback->index, 2);
}

TEST_F(DocumentTest, NewPageAndNewDocument) {
    doc.DocumentTitle("Comparison Results Report");
    doc.Font({"Courier New", 10, true});
    doc.ForeColor(report::kGrey);
    doc.CurrentX(100);
    doc.PrintLine("one");
    doc.NewPage();
    EXPECT_EQ(doc.CurrentPage(), 2);
    EXPECT_EQ(doc.CurrentX(), 0);
    EXPECT_EQ(doc.CurrentY(), 0);
    doc.PrintLine("two");
    EXPECT_EQ(doc.describe(), (Lines{"text 100,0 \"one\" #B0B0B0 bold", "page 2",
                                     "text 0,0 \"two\" #B0B0B0 bold"}));
    EXPECT_EQ(std::get<report::TextItem>(doc.pages()[1].items[0]).font.name, "Courier New");

    doc.NewDocument();
    EXPECT_EQ(doc.pages().size(), 1u);
    EXPECT_TRUE(doc.pages()[0].items.empty());
    EXPECT_EQ(doc.DocumentTitle(), "");
    EXPECT_EQ(doc.ForeColor(), report::kBlack);
    // The font is the preview's own setting and stays.
    EXPECT_EQ(doc.Font(), (report::Font{"Courier New", 10, true}));
}

TEST_F(DocumentTest, PageSizeFollowsPaperOrientationAndMargins) {
    struct Case {
        report::Paper paper;
        report::Orientation orientation;
        report::Margins margins;
        int32_t width, height;
    };
    const Case cases[] = {
        {report::Paper::A4(), report::Orientation::Portrait, {}, 11906 - 1440, 16838 - 1440},
        {report::Paper::A4(), report::Orientation::Landscape, {}, 16838 - 1440, 11906 - 1440},
        {report::Paper::Letter(), report::Orientation::Portrait, {0, 0, 0, 0}, 12240, 15840},
        {report::Paper::Letter(),
         report::Orientation::Landscape,
         {100, 200, 300, 400},
         15440,
         11640},
        {{0, 1000, 1000}, report::Orientation::Portrait, {600, 600, 600, 600}, 0, 0},
    };
    for (const auto& c : cases) {
        doc.Paper(c.paper);
        doc.Orientation(c.orientation);
        report::PageFormat f = doc.PageFormat();
        f.margins = c.margins;
        doc.PageFormat(f);
        EXPECT_EQ(doc.PageWidth(), c.width);
        EXPECT_EQ(doc.PageHeight(), c.height);
    }
}

TEST_F(DocumentTest, PositionsReadBackAsWholeTwipsHalvesToEvenBeyondSixteenBits) {
    struct Case {
        double set;
        int32_t read;
    };
    const Case cases[] = {{348.5, 348},   {349.5, 350},     {-2.5, -2},        {100.4, 100},
                          {40000, 40000}, {70000.5, 70000}, {3e10, 2147483647}};
    for (const auto& c : cases) {
        doc.CurrentX(c.set);
        doc.CurrentY(c.set);
        EXPECT_EQ(doc.CurrentX(), c.read) << c.set;
        EXPECT_EQ(doc.CurrentY(), c.read) << c.set;
    }
}

TEST_F(DocumentTest, MeasuresInTheCurrentFont) {
    metrics.setWidth(U'é', 250);
    EXPECT_EQ(doc.TextWidth("abc"), 300);
    EXPECT_EQ(doc.TextWidth("\xC3\xA9t\xC3\xA9"), 600);  // characters, not bytes
    EXPECT_EQ(doc.TextHeight(""), 200);
    EXPECT_EQ(doc.TextWidths("a\xC3\xA9"
                             "b"),
              (std::vector<double>{100, 350, 450}));
    EXPECT_TRUE(doc.TextWidths("").empty());
}

}  // namespace
