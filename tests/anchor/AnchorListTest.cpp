#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AnchorRig.h"
#include "anchor/AnchorList.h"

namespace {

using anchor::parseAnchorText;
using anchor::TAnchorPageEntry;
using anchor::testing::anchorText;

struct ParseCase {
    const char* name;
    std::string text;
    std::vector<TAnchorPageEntry> entries;
};

class Parse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parse, GivesTheEntriesOfTheText) {
    EXPECT_EQ(parseAnchorText(GetParam().text), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Parse,
    ::testing::Values(
        ParseCase{"Empty", "", {}},
        ParseCase{"TwoEntries",
                  anchorText({{"A", "1100"}, {"B", "0011"}}),
                  {{"A", "1", "1", "0", "0"}, {"B", "0", "0", "1", "1"}}},
        ParseCase{"NoFinalSeparator",
                  "A\r1100\rB\r0011",
                  {{"A", "1", "1", "0", "0"}, {"B", "0", "0", "1", "1"}}},
        ParseCase{"EndsAfterTheKeysSeparator",
                  "A\r1100\rB\r",
                  {{"A", "1", "1", "0", "0"}, {"B", "", "", "", ""}}},
        ParseCase{"EndsAmongTheFlags", "A\r11", {{"A", "1", "1", "", ""}}},
        ParseCase{"TrailingKeyWithoutSeparator", "A\r1100\rB", {{"A", "1", "1", "0", "0"}}},
        ParseCase{"NoCompleteEntry", "Lonely", {}},
        ParseCase{"EmptyKey", "\r1010\r", {{"", "1", "0", "1", "0"}}},
        // Characters between the flags and the next separator are ignored.
        ParseCase{"ExtraCharactersIgnored",
                  "A\r1100xyz\rB\r0011\r",
                  {{"A", "1", "1", "0", "0"}, {"B", "0", "0", "1", "1"}}},
        // The flags are taken blindly: a separator among them is a flag.
        ParseCase{"SeparatorAmongTheFlags",
                  "A\r1\r00\rB\r1111\r",
                  {{"A", "1", "\r", "0", "0"}, {"B", "1", "1", "1", "1"}}},
        // Line feeds are not separators: the text is misread.
        ParseCase{"LineFeedsMisread",
                  "A\r\n1100\r\nB\r\n0011\r\n",
                  {{"A", "\n", "1", "1", "0"}, {"\nB", "\n", "0", "0", "1"}}},
        ParseCase{"KeysTakenUnchanged",
                  " Cmd Save \r1001\rPage(3)\r1111\r",
                  {{" Cmd Save ", "1", "0", "0", "1"}, {"Page(3)", "1", "1", "1", "1"}}},
        // A flag is a character, not a byte.
        ParseCase{"MultiByteCharacters", "Zähler\r1é01\r", {{"Zähler", "1", "é", "0", "1"}}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(AnchorList, BuildingWritesEachEntryWithItsFlagsUnchanged) {
    EXPECT_EQ(anchor::anchorEntryText("RTBox", "1", "1", "1", "1"), "RTBox\r1111\r");
    EXPECT_EQ(anchor::anchorEntryText("X", "", "x", "1", ""), "X\rx1\r");
}

TEST(AnchorList, ALongTextParsesWhole) {
    // No 16-bit limits: 5,000 entries, well past 32,767 characters.
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "Control" + std::to_string(i) + "\r1001\r";
    ASSERT_GT(text.size(), 40000u);
    const auto entries = parseAnchorText(text);
    ASSERT_EQ(entries.size(), 5000u);
    EXPECT_EQ(entries.back().Key, "Control4999");
    EXPECT_EQ(entries.back().AnchorBottom, "1");
}

}  // namespace
