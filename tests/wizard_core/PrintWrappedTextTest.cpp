#include <gtest/gtest.h>

#include "ReportTestSupport.h"
#include "wizard_core/MFunctions.h"

namespace {

using wizard::MFunctions::PrintWrappedText;
using Lines = std::vector<std::string>;

struct WrapCase {
    const char* name;
    std::string text;
    int32_t width, wrap, align;
    int32_t x0 = 0, y0 = 0;
    Lines want;
};

void PrintTo(const WrapCase& c, std::ostream* os) { *os << c.name; }

class PrintWrappedTextTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(PrintWrappedTextTest, LaysOutLines) {
    const WrapCase& c = GetParam();
    wizardtest::SmallReport r;
    r.metrics.setWidth(U'W', 500);
    r.doc.CurrentX(c.x0);
    r.doc.CurrentY(c.y0);
    PrintWrappedText(r.doc, c.text, c.width, c.wrap, c.align);
    EXPECT_EQ(r.doc.describe(), c.want);
    EXPECT_EQ(r.doc.CurrentX(), c.x0);
}

INSTANTIATE_TEST_SUITE_P(
    Wrapping, PrintWrappedTextTest,
    ::testing::Values(
        WrapCase{"fitsWhole", "abc", 300, -1, 0, 0, 0, {"text 0,0 \"abc\""}},
        WrapCase{"emptyTextIsOneEmptyLine", "", 300, -1, 0, 0, 0, {"text 0,0 \"\""}},
        // The continuation starts with the blank the line was broken at.
        WrapCase{"breaksAtTheLastBlank",
                 "ab cd ef",
                 500,
                 -1,
                 0,
                 0,
                 0,
                 {"text 0,0 \"ab cd\"", "text 0,200 \" ef\""}},
        WrapCase{"cutsAWordWiderThanTheWidth",
                 "abcdefg",
                 300,
                 -1,
                 0,
                 0,
                 0,
                 {"text 0,0 \"abc\"", "text 0,200 \"def\"", "text 0,400 \"g\""}},
        // The blank at the head of a continuation is no place to break again.
        WrapCase{"leadingBlankOfARestIsNoBreak",
                 "ab cdef",
                 300,
                 -1,
                 0,
                 0,
                 0,
                 {"text 0,0 \"ab\"", "text 0,200 \" cd\"", "text 0,400 \"ef\""}},
        WrapCase{"aCharacterWiderThanTheWidth",
                 "W",
                 300,
                 -1,
                 0,
                 0,
                 0,
                 {"text 0,0 \"\"", "text 0,200 \"W\""}},
        WrapCase{"aRestOfBlanksIsDropped", "abc   ", 300, -1, 0, 0, 0, {"text 0,0 \"abc\""}},
        WrapCase{"linesOfBlanksCutBeforeTheRestStay",
                 "ab      ",
                 300,
                 -1,
                 0,
                 0,
                 0,
                 {"text 0,0 \"ab \"", "text 0,200 \"   \""}},
        WrapCase{"crLfSeparatesLines",
                 "a\r\n\r\nb",
                 300,
                 -1,
                 0,
                 0,
                 0,
                 {"text 0,0 \"a\"", "text 0,200 \"\"", "text 0,400 \"b\""}},
        WrapCase{"aLoneLineFeedDoesNot", "a\nb", 300, -1, 0, 0, 0, {"text 0,0 \"a\nb\""}},
        WrapCase{"oneLineModePrintsTheFirstPieceOnly",
                 "ab cd ef\r\nsecond",
                 500,
                 0,
                 0,
                 0,
                 0,
                 {"text 0,0 \"ab cd\""}},
        WrapCase{"oneLineModeFirstLineFits", "ab\r\nsecond", 500, 0, 0, 0, 0, {"text 0,0 \"ab\""}},
        WrapCase{"anyOtherWrapValueIsOneLine", "abcdef", 300, 1, 0, 0, 0, {"text 0,0 \"abc\""}},
        WrapCase{"startsAtTheCurrentPosition",
                 "ab cd",
                 300,
                 -1,
                 0,
                 1000,
                 400,
                 {"text 1000,400 \"ab\"", "text 1000,600 \" cd\""}},
        WrapCase{"rightAligned", "ab", 500, -1, 1, 1000, 0, {"text 1300,0 \"ab\""}},
        // Centred by half the room left, not rounded.
        WrapCase{"centred", "abcd", 1001, 0, 2, 0, 0, {"text 300.5,0 \"abcd\""}},
        WrapCase{"centredEachLine",
                 "ab cdef",
                 500,
                 -1,
                 2,
                 100,
                 0,
                 {"text 250,0 \"ab\"", "text 100,200 \" cdef\""}},
        WrapCase{"negativeWidthDoesNotHang",
                 "ab",
                 -10,
                 -1,
                 0,
                 0,
                 0,
                 {"text 0,0 \"\"", "text 0,200 \"a\"", "text 0,400 \"b\""}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(PrintWrappedText, EndsAPageWithItsFooterWhenTheNextLineMightNotFit) {
    wizardtest::SmallReport r;
    r.doc.CurrentY(1200);
    r.doc.ForeColor(report::kGrey);  // the caller's colour, back to black after the footer
    PrintWrappedText(r.doc, "a\r\nb\r\nc", 2000, -1, 0);
    EXPECT_EQ(r.doc.describe(),
              (Lines{"text 0,1200 \"a\" #B0B0B0", "text 0,1400 \"b\" #B0B0B0",
                     "text 700,1800 \"Page 1\" #B0B0B0", "page 2", "text 0,0 \"c\""}));
    EXPECT_EQ(r.doc.CurrentY(), 200);
}

TEST(PrintWrappedText, TheLastLineOfTheTextStartsNoNewPage) {
    wizardtest::SmallReport r;
    r.doc.CurrentY(1400);
    PrintWrappedText(r.doc, "a", 2000, -1, 0);
    EXPECT_EQ(r.doc.describe(), (Lines{"text 0,1400 \"a\"", "text 700,1800 \"Page 1\" #B0B0B0"}));
    // The caller's next output goes to the position after the footer.
    EXPECT_EQ(r.doc.CurrentY(), 2000);
    EXPECT_EQ(r.doc.pages().size(), 1u);
    EXPECT_EQ(r.doc.ForeColor(), report::kBlack);
}

TEST(PrintWrappedText, OneLineModePrintsNoFooter) {
    wizardtest::SmallReport r;
    r.doc.CurrentY(1600);
    PrintWrappedText(r.doc, "a\r\nb", 2000, 0, 0);
    EXPECT_EQ(r.doc.describe(), (Lines{"text 0,1600 \"a\""}));
}

// The script window prints each line of its text and checks the page itself
// afterwards, so a line that ended a page is followed by a second footer.
TEST(PrintWrappedText, ACallerThatChecksTooPrintsTheFooterTwice) {
    wizardtest::SmallReport r;
    r.doc.CurrentY(1400);
    const std::string line = "last on the page";
    PrintWrappedText(r.doc, line, r.doc.PageWidth(), -1, 0);
    if (r.doc.CurrentY() + 3 * r.doc.TextHeight(line) > r.doc.PageHeight()) {
        r.doc.CurrentY(r.doc.PageHeight() - r.doc.TextHeight(line));
        r.doc.ForeColor(report::kGrey);
        r.doc.PrintAligned("Page " + std::to_string(r.doc.CurrentPage()), 2);
        r.doc.ForeColor(report::kBlack);
        r.doc.NewPage();
    }
    EXPECT_EQ(r.doc.describe(),
              (Lines{"text 0,1400 \"last on the page\"", "text 700,1800 \"Page 1\" #B0B0B0",
                     "text 700,1800 \"Page 1\" #B0B0B0", "page 2"}));
}

}  // namespace
