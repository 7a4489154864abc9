#include <gtest/gtest.h>

#include "text/TextDecoding.h"

namespace {

using Lines = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string text;
    Lines lines;
};

TEST(TextDecoding, EveryLineEndEndsALine) {
    const SplitCase cases[] = {
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lfOnly", "a\nb\n", {"a", "b"}},
        {"crOnly", "a\rb\r", {"a", "b"}},
        {"mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"blankLinesKept", "a\r\n\r\n\r\nb\r\n", {"a", "", "", "b"}},
        {"lfCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
        {"noFinalEnd", "a\r\nb", {"a", "b"}},
        {"onlyLineEnd", "\r\n", {""}},
        {"empty", "", {}},
        {"tabsAndSpacesStay", " a\t\r\n", {" a\t"}},
    };
    for (const auto& c : cases) EXPECT_EQ(text::splitLines(c.text), c.lines) << c.name;
}

TEST(TextDecoding, KeepsValidUtf8AndDropsItsByteOrderMark) {
    EXPECT_EQ(text::decodeText("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(text::decodeText("\xEF\xBB\xBFRUN"), "RUN");
    EXPECT_EQ(text::decodeText(""), "");
}

TEST(TextDecoding, ReadsInvalidUtf8AsWindows1252) {
    // 0xE9 é, 0x80 €, 0x93/0x94 curly quotes: not UTF-8 on their own.
    EXPECT_EQ(text::decodeText("Caf\xE9 \x80 \x93x\x94"),
              "Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D");
    // One bad byte decides for the whole file.
    EXPECT_EQ(text::decodeText("\xC3\xA9\xE9"), "\xC3\x83\xC2\xA9\xC3\xA9");
}

}  // namespace
