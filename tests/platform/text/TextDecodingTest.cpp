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

TEST(TextDecoding, ReadsUtf16AfterItsByteOrderMark) {
    // "RUN é€" and a surrogate pair (U+1F600) in either byte order.
    EXPECT_EQ(text::decodeText(std::string("\xFF\xFER\0U\0N\0 \0\xE9\0\xAC\x20"
                                           "\x3D\xD8\x00\xDE\r\0\n\0",
                                           22)),
              "RUN \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\r\n");
    EXPECT_EQ(text::decodeText(std::string("\xFE\xFF\0R\0U\0N\0 \0\xE9\x20\xAC", 14)),
              "RUN \xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(text::decodeText("\xFF\xFE"), "");
}

TEST(TextDecoding, DamagedUtf16FailsClearly) {
    const std::string cases[] = {
        std::string("\xFF\xFER\0U\0N", 7),         // cut in the middle of a character
        std::string("\xFF\xFER\0\x3D\xD8U\0", 8),  // a high surrogate alone
        std::string("\xFE\xFF\xDC\x00", 4),        // a low surrogate alone
    };
    for (const auto& bytes : cases) {
        try {
            (void)text::decodeText(bytes);
            ADD_FAILURE() << "decoded " << bytes.size() << " bytes";
        } catch (const text::DecodeError& e) {
            EXPECT_NE(std::string(e.what()).find("UTF-16"), std::string::npos);
        }
    }
}

struct EightBitCase {
    const char* name;
    std::string bytes;
    bool text;
};

class EightBitText : public ::testing::TestWithParam<EightBitCase> {};

TEST_P(EightBitText, TellsTypedTextFromBinary) {
    EXPECT_EQ(text::isEightBitText(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EightBitText,
    ::testing::Values(EightBitCase{"Empty", "", true},
                      EightBitCase{"Utf8", "Note: caf\xC3\xA9 \xE2\x82\xAC\r\n", true},
                      EightBitCase{"Windows1252", "caf\xE9 \x80 \x93x\x94\r\n", true},
                      // Valid UTF-8 holds 0x81 and 0x90 as continuation bytes.
                      EightBitCase{"Utf8WithC1Bytes", "\xC3\x81\xE2\x80\x90", true},
                      EightBitCase{"Nul", std::string("Key=1\0", 6), false},
                      EightBitCase{"Utf16", std::string("\xFF\xFEK\0", 4), false},
                      EightBitCase{"UndefinedIn1252", "caf\xE9 \x81", false},
                      EightBitCase{"Undefined9D", "\x9D", false}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
