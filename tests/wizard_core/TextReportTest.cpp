// A text printed as a report (the script window's and the compare log's
// print), on a small page with fixed metrics: 20 characters a line, 10 lines
// a page.
#include <gtest/gtest.h>

#include "ReportTestSupport.h"
#include "wizard_core/TextReport.h"

namespace {

using Lines = std::vector<std::string>;

struct SplitCase {
    std::string text;
    std::vector<std::string> lines;
};

TEST(TextReport, TextSplitsAtEveryCrLfPair) {
    for (const SplitCase& c : {SplitCase{"", {}},
                               {"a", {"a"}},
                               {"a\r\n", {"a", ""}},
                               {"\r\n", {"", ""}},
                               {"a\r\n\r\nb", {"a", "", "b"}},
                               // A lone CR or LF is part of its line.
                               {"a\nb\rc", {"a\nb\rc"}},
                               {"a\r\r\nb", {"a\r", "b"}}}) {
        std::vector<std::string> got;
        for (std::string_view line : wizard::SplitAtCrLf(c.text)) got.emplace_back(line);
        EXPECT_EQ(got, c.lines) << ::testing::PrintToString(c.text);
    }
}

struct ReportCase {
    const char* name;
    std::string text;
    Lines want;
};
void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }

class TextReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(TextReportTest, PrintsTheTitleTheLinesAndTheFooters) {
    wizardtest::SmallReport r;
    r.doc.DocumentTitle("old");
    r.doc.NewPage();  // a report left from before
    wizard::PrintTextReport(r.doc, "T", GetParam().text, report::Font{"Mono", 9, false});
    EXPECT_EQ(r.doc.describe(), GetParam().want);
    EXPECT_EQ(r.doc.DocumentTitle(), "T");
    EXPECT_EQ(r.doc.Font(), (report::Font{"Mono", 9, false}));
    EXPECT_EQ(r.doc.ForeColor(), report::kBlack);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextReportTest,
    ::testing::Values(
        // The title line and the empty line under it are grey.
        ReportCase{
            "empty_text_title_only", "", {"text 950,0 \"T\" #B0B0B0", "text 0,200 \"\" #B0B0B0"}},
        ReportCase{"one_short_line",
                   "select 1",
                   {"text 950,0 \"T\" #B0B0B0", "text 0,200 \"\" #B0B0B0",
                    "text 0,400 \"select 1\"", "text 700,1800 \"Page 1\" #B0B0B0"}},
        // A text ending in CR LF ends in an empty line.
        ReportCase{"trailing_line_end",
                   "a\r\nb\r\n",
                   {"text 950,0 \"T\" #B0B0B0", "text 0,200 \"\" #B0B0B0", "text 0,400 \"a\"",
                    "text 0,600 \"b\"", "text 0,800 \"\"", "text 700,1800 \"Page 1\" #B0B0B0"}},
        // A long line wraps at its last blank.
        ReportCase{"wrapped_line",
                   "ab cd ef gh ij kl mn op",
                   {"text 950,0 \"T\" #B0B0B0", "text 0,200 \"\" #B0B0B0",
                    "text 0,400 \"ab cd ef gh ij kl mn\"", "text 0,600 \" op\"",
                    "text 700,1800 \"Page 1\" #B0B0B0"}},
        // Once the next line might not fit in three line heights the page
        // ends with its footer (the wrapping routine prints one, the report's
        // own check another on the same spot) and the next page begins.
        ReportCase{"two_pages",
                   "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7",
                   {"text 950,0 \"T\" #B0B0B0", "text 0,200 \"\" #B0B0B0", "text 0,400 \"1\"",
                    "text 0,600 \"2\"", "text 0,800 \"3\"", "text 0,1000 \"4\"",
                    "text 0,1200 \"5\"", "text 0,1400 \"6\"", "text 700,1800 \"Page 1\" #B0B0B0",
                    "text 700,1800 \"Page 1\" #B0B0B0", "page 2", "text 0,0 \"7\"",
                    "text 700,1800 \"Page 2\" #B0B0B0"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(TextReport, FootersTakeTheColourAsked) {
    wizardtest::SmallReport r;
    wizard::PrintTextReport(r.doc, "Log", "line", report::Font{}, report::kButtonFace);
    EXPECT_EQ(r.doc.describe().back(), "text 700,1800 \"Page 1\" #8000000F");
}

}  // namespace
