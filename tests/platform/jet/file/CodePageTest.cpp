// Jet 3 text in the file's code page: every byte survives a round trip, the
// characters each code page holds and those it does not, and the code page of
// every Access 97 fixture.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "jet/file/Bytes.h"
#include "jet/file/CodePage.h"
#include "jet/file/FormatError.h"
#include "jet/format/JetHeader.h"

namespace {

using jet::file::Bytes;
using jet::file::ByteSpan;
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

struct FixtureCodePage {
    const char* fixture;
    uint16_t codePage;
};

// Every Access 97 file here names 1252 or 1256, but for the Turkish one, whose
// header names 0 with the Turkish sort order.
TEST(CodePageForFile, EveryJet3Fixture) {
    REQUIRE_FIXTURES();
    const FixtureCodePage cases[] = {
        {"jet3/Library97.mdb", 1252},
        {"jet3/arabic97.mdb", 1256},
        {"jet3/biblio97.mdb", 1252},
        {"jet3/blankAccess97.mdb", 1252},
        {"jet3/blankEngine97.mdb", 1252},
        {"jet3/hotel97.mdb", 1252},
        {"jet3/pictures97.mdb", 1252},
        {"jet3/turkish97.mdb", 1254},
        {"jackcess/compIndexTestV1997.mdb", 1252},
        {"jackcess/delColTestV1997.mdb", 1252},
        {"jackcess/delTestV1997.mdb", 1252},
        {"jackcess/indexTestV1997.mdb", 1252},
        {"jackcess/overflowTestV1997.mdb", 1252},
        {"jackcess/queryTestV1997.mdb", 1252},
        {"jackcess/test2V1997.mdb", 1252},
        {"jackcess/testIndexCodesV1997.mdb", 1252},
        {"jackcess/testV1997.mdb", 1252},
        {"mdbtestdata/nwind.mdb", 1252},
        {"secured/many-accounts97.mdw", 1252},
        {"workgroup/system.mdw", 1252},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const auto header = jet::format::readHeader(testsupport::fixture(c.fixture));
        ASSERT_TRUE(header);
        EXPECT_EQ(header->version, 0);
        EXPECT_EQ(CodePage::forFile(header->codePage, header->sortOrder).number(), c.codePage);
    }
}

constexpr size_t kJet3PageSize = 2048;
constexpr uint32_t kCatalogDefinitionPage = 2;  // MSysObjects

ByteSpan jet3Page(const std::string& file, uint32_t page) {
    jet::file::requireRange(file.size(), size_t{page} * kJet3PageSize, kJet3PageSize, "a page");
    return {reinterpret_cast<const uint8_t*>(file.data()) + size_t{page} * kJet3PageSize,
            kJet3PageSize};
}

// Row `row` of a Jet 3 data page (row count at 8, offsets from 10), following
// a row that only points to where its data lies; empty when deleted. The row
// pointed to is flagged deleted, so that a scan of the pages sees it once.
ByteSpan jet3Row(const std::string& file, uint32_t pageNumber, uint16_t row,
                 bool pointedTo = false) {
    const ByteSpan page = jet3Page(file, pageNumber);
    const uint16_t raw = jet::file::readLe16(page, 10 + 2 * size_t{row});
    const size_t start = raw & 0x1FFF;
    const size_t end =
        row == 0 ? kJet3PageSize : jet::file::readLe16(page, 8 + 2 * size_t{row}) & 0x1FFF;
    if (end < start || (!pointedTo && (raw & 0x8000) != 0)) return {};
    const ByteSpan bytes = page.subspan(start, end - start);
    if (pointedTo || (raw & 0x4000) == 0) return bytes;
    jet::file::requireRange(bytes.size(), 0, 4, "a row pointer");
    return jet3Row(file, jet::file::le24(bytes.data() + 1), bytes[0], true);
}

// The bytes of a Jet 3 row's first variable column: 1-byte offsets from the
// end (after the null mask, the variable count and the jump table), each
// jump-table entry adding 256 to the offsets from the column it names on; a
// dummy last entry is there when (length - 1) / 256 exceeds the real ones.
ByteSpan firstVariableColumn(ByteSpan row) {
    jet::file::requireRange(row.size(), 0, 1, "a row");
    const size_t length = row.size();
    const size_t mask = (row[0] + 7u) / 8;
    jet::file::requireRange(length, 0, mask + 4, "a row");
    const size_t varCount = row[length - mask - 1];
    size_t jumps = (length - 1) / 256;
    const size_t offsets = length - mask - jumps - 2;
    if (jumps > 0 && (offsets - varCount) / 256 < jumps) --jumps;
    size_t used = 0;
    size_t at[2] = {};
    for (size_t i = 0; i < 2; ++i) {
        while (used < jumps && i == row[length - mask - 2 - used]) ++used;
        at[i] = row[offsets - i] + 256 * used;
    }
    jet::file::requireRange(length, at[0], at[1] - at[0], "a name");
    return row.subspan(at[0], at[1] - at[0]);
}

// The Name column of every live MSysObjects row, as stored.
std::vector<Bytes> catalogNames(const std::string& file) {
    std::vector<Bytes> names;
    for (uint32_t p = 0; p < file.size() / kJet3PageSize; ++p) {
        const ByteSpan page = jet3Page(file, p);
        if (page[0] != 0x01 || jet::file::le32(page.data() + 4) != kCatalogDefinitionPage) continue;
        for (uint16_t r = 0; r < jet::file::le16(page.data() + 8); ++r) {
            const ByteSpan row = jet3Row(file, p, r);
            if (row.empty()) continue;
            const ByteSpan name = firstVariableColumn(row);
            names.emplace_back(name.begin(), name.end());
        }
    }
    return names;
}

struct CatalogNamesCase {
    const char* fixture;
    size_t count;
    // What mdb-export prints for them: all of them, or those past ASCII.
    bool all;
    std::vector<std::string> expected;
};

// The names Access stored decode to what mdbtools prints (its default for
// Jet 3 is 1252, which agrees with 1254 and 1256 on these bytes), and encode
// back to the stored bytes.
TEST(CodePageFixtures, CatalogNamesDecodeAsMdbtoolsPrintsThem) {
    REQUIRE_FIXTURES();
    const std::vector<std::string> systemNames = {
        "AccessLayout",  "DataAccessPages", "Databases",         "Forms",
        "MSysACEs",      "MSysDb",          "MSysModules",       "MSysModules2",
        "MSysObjects",   "MSysQueries",     "MSysRelationships", "Modules",
        "Relationships", "Reports",         "Scripts",           "SummaryInfo",
        "SysRel",        "Tables",          "UserDefined"};
    auto with = [&](std::vector<std::string> extra, const char* without) {
        for (const auto& n : systemNames)
            if (n != without) extra.push_back(n);
        std::sort(extra.begin(), extra.end());
        return extra;
    };
    const CatalogNamesCase cases[] = {
        {"jet3/turkish97.mdb", 19, true, with({"dbWords"}, "DataAccessPages")},
        {"jet3/arabic97.mdb", 19, true, with({"Report"}, "AccessLayout")},
        {"mdbtestdata/nwind.mdb", 106, false, {"Ums\xC3\xA4tze"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string file = testsupport::readFile(testsupport::fixture(c.fixture));
        const auto header = jet::format::readHeader(testsupport::fixture(c.fixture));
        ASSERT_TRUE(header);
        const CodePage cp = CodePage::forFile(header->codePage, header->sortOrder);
        std::vector<std::string> decoded;
        for (const Bytes& stored : catalogNames(file)) {
            decoded.push_back(cp.decode(stored));
            EXPECT_EQ(cp.encode(decoded.back()), stored) << decoded.back();
        }
        EXPECT_EQ(decoded.size(), c.count);
        if (c.all) {
            std::sort(decoded.begin(), decoded.end());
            EXPECT_EQ(decoded, c.expected);
        } else {
            for (const auto& name : c.expected)
                EXPECT_NE(std::find(decoded.begin(), decoded.end(), name), decoded.end()) << name;
        }
    }
}

// The one text past ASCII in the Turkish file: the author in SummaryInfo's
// properties, which mdb-prop prints as "Suat M. ÖZGÜR". Ö and Ü have the same
// bytes in 1252 and 1254, so neither the file nor mdbtools tells the two apart;
// the sort order does.
TEST(CodePageFixtures, TurkishAuthorDecodesAsMdbPropPrintsIt) {
    REQUIRE_FIXTURES();
    const std::string file = testsupport::readFile(testsupport::fixture("jet3/turkish97.mdb"));
    const std::string stored = "Suat M. \xD6ZG\xDCR";
    ASSERT_NE(file.find(stored), std::string::npos);
    const CodePage cp = CodePage::forFile(0, 0x041F);
    const Bytes bytes(stored.begin(), stored.end());
    EXPECT_EQ(cp.decode(bytes), "Suat M. \xC3\x96ZG\xC3\x9CR");
    EXPECT_EQ(cp.encode("Suat M. \xC3\x96ZG\xC3\x9CR"), bytes);
}

}  // namespace
