// Jet 3 text in the file's code page: every byte survives a round trip, the
// characters each code page holds and those it does not, and the code page of
// every Access 97 fixture.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "jet/file/CodePage.h"
#include "jet/file/FormatError.h"

namespace {

using jet::file::Bytes;
using jet::file::CodePage;
using jet::file::FormatError;

const std::vector<uint16_t> kCodePages = {874,  1250, 1251, 1252, 1253,
                                          1254, 1255, 1256, 1257, 1258};

class EveryCodePage : public ::testing::TestWithParam<uint16_t> {};

TEST_P(EveryCodePage, EveryByteRoundTripsThroughItsOwnCharacter) {
    const CodePage cp(GetParam());
    EXPECT_EQ(cp.number(), GetParam());
    Bytes all;
    std::vector<std::string> seen;
    for (int b = 0; b < 256; ++b) {
        const Bytes one{static_cast<uint8_t>(b)};
        const std::string text = cp.decode(one);
        EXPECT_EQ(cp.encode(text), one) << "byte " << b;
        EXPECT_EQ(cp.firstUnencodable(text), "") << "byte " << b;
        seen.push_back(text);
        all.push_back(static_cast<uint8_t>(b));
    }
    EXPECT_EQ(cp.encode(cp.decode(all)), all);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end())
        << "two bytes share a character";
    EXPECT_EQ(cp.decode(Bytes{}), "");
    EXPECT_EQ(cp.encode(""), Bytes{});
}

TEST_P(EveryCodePage, RefusesCharactersItLacksAndTextThatIsNotUtf8) {
    const CodePage cp(GetParam());
    // A Chinese character, an emoji (past the BMP), then bytes that are not UTF-8:
    // truncated, a lone continuation, overlong NUL, a surrogate, past U+10FFFF.
    for (const std::string text : {"a\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xC3", "\x80", "\xC0\x80",
                                   "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"}) {
        EXPECT_EQ(cp.encode(text), std::nullopt) << text;
        EXPECT_NE(cp.firstUnencodable(text), "") << text;
    }
}

INSTANTIATE_TEST_SUITE_P(CodePages, EveryCodePage, ::testing::ValuesIn(kCodePages),
                         [](const ::testing::TestParamInfo<uint16_t>& p) {
                             return "Cp" + std::to_string(p.param);
                         });

struct CharacterCase {
    const char* name;
    uint16_t codePage;
    std::string text;
    std::optional<Bytes> stored;
};

class CodePageCharacters : public ::testing::TestWithParam<CharacterCase> {};

TEST_P(CodePageCharacters, EncodeAsWindowsDoes) {
    const auto& c = GetParam();
    const CodePage cp(c.codePage);
    EXPECT_EQ(cp.encode(c.text), c.stored);
    if (c.stored) {
        EXPECT_EQ(cp.decode(*c.stored), c.text);
        EXPECT_EQ(cp.firstUnencodable(c.text), "");
    } else {
        EXPECT_NE(cp.firstUnencodable(c.text), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CodePageCharacters,
    ::testing::Values(
        CharacterCase{"AsciiIsAsciiEverywhere", 1252, "Name_1 ",
                      Bytes{'N', 'a', 'm', 'e', '_', '1', ' '}},
        CharacterCase{"EuroIn1252", 1252, "\xE2\x82\xAC", Bytes{0x80}},
        CharacterCase{"LatinOneIn1252", 1252, "\xC3\xA9\xC3\xBF", Bytes{0xE9, 0xFF}},
        // Bytes 1252 leaves undefined decode to the C1 control of that number.
        CharacterCase{"UndefinedByteIn1252", 1252, "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D",
                      Bytes{0x81, 0x8D, 0x8F, 0x90, 0x9D}},
        CharacterCase{"TurkishNotIn1252", 1252, "\xC4\x9F", std::nullopt},
        CharacterCase{"ArabicNotIn1252", 1252, "\xD8\xA8", std::nullopt},
        CharacterCase{"TurkishIn1254", 1254, "\xC4\x9F\xC5\x9F\xC4\xB0\xC4\xB1",
                      Bytes{0xF0, 0xFE, 0xDD, 0xFD}},
        // 1254 gave the bytes of Icelandic letters to Turkish ones.
        CharacterCase{"EthNotIn1254", 1254, "\xC3\xB0", std::nullopt},
        CharacterCase{"ArabicIn1256", 1256, "\xD8\xA8\xD8\xB9\xD9\x83", Bytes{0xC8, 0xDA, 0xDF}},
        CharacterCase{"CentralEuropeanIn1250", 1250, "\xC5\x91", Bytes{0xF5}},
        CharacterCase{"CyrillicIn1251", 1251, "\xD0\x96", Bytes{0xC6}},
        CharacterCase{"GreekIn1253", 1253, "\xCE\xA9", Bytes{0xD9}},
        CharacterCase{"HebrewIn1255", 1255, "\xD7\x90", Bytes{0xE0}},
        CharacterCase{"BalticIn1257", 1257, "\xC4\x85", Bytes{0xE0}},
        CharacterCase{"DongIn1258", 1258, "\xE2\x82\xAB", Bytes{0xFE}},
        CharacterCase{"ThaiIn874", 874, "\xE0\xB8\x81", Bytes{0xA1}},
        CharacterCase{"CyrillicNotIn1250", 1250, "\xD0\x96", std::nullopt}),
    [](const ::testing::TestParamInfo<CharacterCase>& p) { return std::string(p.param.name); });

TEST(CodePageErrors, FirstUnencodableNamesTheCharacter) {
    const CodePage cp1252(1252);
    EXPECT_EQ(cp1252.firstUnencodable("Stra\xC3\x9F"
                                      "e \xC4\x9F\xE4\xB8\xAD"),
              "\xC4\x9F");
    EXPECT_EQ(cp1252.firstUnencodable("abc"), "");
    EXPECT_EQ(cp1252.firstUnencodable("ab\xC3"), "\xEF\xBF\xBD");
    EXPECT_EQ(CodePage(1254).firstUnencodable("\xC4\x9F"), "");
}

TEST(CodePageErrors, UnknownAndDoubleByteCodePagesThrow) {
    for (const uint16_t n : {0, 437, 850, 932, 936, 949, 950, 1200, 65001})
        EXPECT_THROW(CodePage{n}, FormatError) << n;
}

struct FileCase {
    uint16_t headerCodePage;
    uint16_t sortOrder;
    std::optional<uint16_t> codePage;  // null: refused
};

TEST(CodePageForFile, HeaderCodePageElseTheSortOrdersLocale) {
    const std::vector<FileCase> cases = {
        {1252, 0x0409, 1252},
        {1256, 0x0401, 1256},
        {1254, 0x041F, 1254},
        // The header names the code page; the sort order does not override it.
        {1252, 0x041F, 1252},
        // Code page 0 is the ANSI code page of the locale of the sort order.
        {0, 0x041F, 1254},
        {0, 0x0409, 1252},
        {0, 0x0401, 1256},
        {0, 0x0419, 1251},
        {0, 0x0C1A, 1251},
        {0, 0x041A, 1250},
        {0, 0x0408, 1253},
        {0, 0x040D, 1255},
        {0, 0x0425, 1257},
        {0, 0x042A, 1258},
        {0, 0x041E, 874},
        {0, 0x0000, std::nullopt},
        {0, 0x0411, std::nullopt},  // Japanese: double-byte
        {0, 0x0804, std::nullopt},  // Chinese: double-byte
        {936, 0x0804, std::nullopt},
        {437, 0x0409, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.headerCodePage) + "/" + std::to_string(c.sortOrder));
        if (c.codePage)
            EXPECT_EQ(CodePage::forFile(c.headerCodePage, c.sortOrder).number(), *c.codePage);
        else
            EXPECT_THROW((void)CodePage::forFile(c.headerCodePage, c.sortOrder), FormatError);
    }
}

}  // namespace
