// Index keys of single values: the bytes Jet writes, and that keys sort as
// their values do.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "IndexOracle.h"
#include "jet/file/FormatError.h"
#include "jet/file/IndexKey.h"

namespace jet::file {
namespace {

using testing::hex;

std::string keyOf(const KeyColumn& column, const FieldValue& value) {
    std::vector<uint8_t> key;
    IndexKey::append(key, column, value);
    return hex(key);
}

KeyColumn col(uint8_t type, bool ascending = true, SortOrder order = kGeneralLegacy,
              uint8_t scale = 0) {
    return {type, ascending, order, scale};
}

Guid guidOf(std::initializer_list<uint8_t> bytes) {
    Guid g;
    std::copy(bytes.begin(), bytes.end(), g.bytes.begin());
    return g;
}

struct KeyCase {
    const char* name;
    KeyColumn column;
    FieldValue value;
    const char* key;
};

class KeyBytes : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyBytes, AreJetsBytes) {
    EXPECT_EQ(keyOf(GetParam().column, GetParam().value), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    IndexKey, KeyBytes,
    ::testing::Values(
        KeyCase{"NullAscending", col(jettype::Integer), FieldValue{}, "00"},
        KeyCase{"NullDescending", col(jettype::Integer, false), FieldValue{}, "FF"},
        KeyCase{"IntegerOne", col(jettype::Integer), int32_t{1}, "7F80000001"},
        KeyCase{"IntegerMinusOne", col(jettype::Integer), int32_t{-1}, "7F7FFFFFFF"},
        KeyCase{"IntegerDescending", col(jettype::Integer, false), int32_t{1}, "807FFFFFFE"},
        KeyCase{"SmallIntZero", col(jettype::SmallInt), int16_t{0}, "7F8000"},
        KeyCase{"ByteUnsigned", col(jettype::Byte), uint8_t{200}, "7FC8"},
        KeyCase{"ByteDescending", col(jettype::Byte, false), uint8_t{5}, "80FA"},
        KeyCase{"CurrencyOneUnit", col(jettype::Currency), Currency{1}, "7F8000000000000001"},
        KeyCase{"DoubleOne", col(jettype::Double), 1.0, "7FBFF0000000000000"},
        KeyCase{"DoubleMinusOne", col(jettype::Double), -1.0, "7F400FFFFFFFFFFFFF"},
        KeyCase{"DoubleMinusOneDescending", col(jettype::Double, false), -1.0,
                "80BFF0000000000000"},
        KeyCase{"SingleHalf", col(jettype::Single), 0.5f, "7FBF000000"},
        KeyCase{"DateTimeEpoch", col(jettype::DateTime), DateTime{0.0}, "7F8000000000000000"},
        KeyCase{"YesNoTrue", col(jettype::YesNo), true, "7F00"},
        KeyCase{"YesNoFalse", col(jettype::YesNo), false, "7FFF"},
        KeyCase{"YesNoNullIsFalse", col(jettype::YesNo), FieldValue{}, "7FFF"},
        KeyCase{"YesNoDescending", col(jettype::YesNo, false), true, "80FF"},
        // The first three groups turned big-endian, then groups of eight bytes.
        KeyCase{"Guid", col(jettype::Guid),
                guidOf({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}),
                "7F03020100050407060908090A0B0C0D0E0F08"},
        KeyCase{"BinaryShort", col(jettype::Binary), Binary{"abc"}, "7F616263000000000003"},
        KeyCase{"BinaryEmpty", col(jettype::Binary), Binary{""}, "7F"},
        KeyCase{"BinaryNineBytes", col(jettype::Binary), Binary{"abcdefghi"},
                "7F616263646566676809690000000000000001"},
        KeyCase{"BinaryDescendingKeepsInnerNines", col(jettype::Binary, false), Binary{"abcdefghi"},
                "809E9D9C9B9A9998970996FFFFFFFFFFFFFFFE"},
        KeyCase{"NumericOne", col(jettype::Numeric), Decimal{false, 0, 1, 0, 0},
                "7FFF00000000000000000000000000000001"},
        KeyCase{"NumericMinusOne", col(jettype::Numeric), Decimal{true, 0, 1, 0, 0},
                "7F00FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFE"},
        KeyCase{"NumericBroughtToColumnScale", col(jettype::Numeric, true, kGeneralLegacy, 2),
                Decimal{false, 1, 15, 0, 0}, "7FFF00000000000000000000000000000096"},
        KeyCase{"NumericMinusZeroIsZero", col(jettype::Numeric), Decimal{true, 0, 0, 0, 0},
                "7FFF00000000000000000000000000000000"},
        KeyCase{"TextPlain", col(jettype::Text), std::string("abc"), "7F4A4C4D0100"},
        KeyCase{"TextEmpty", col(jettype::Text), std::string(""), "7F0100"},
        KeyCase{"TextCaseDoesNotCount", col(jettype::Text), std::string("ABC"), "7F4A4C4D0100"},
        KeyCase{"TextTrailingBlanksDropped", col(jettype::Text), std::string("ab  "), "7F4A4C0100"},
        KeyCase{"TextInnerBlankKept", col(jettype::Text), std::string("a b"), "7F4A074C0100"},
        KeyCase{"TextAccentFirst", col(jettype::Text),
                std::string("\xC3\xA9"
                            "e"),
                "7F5151010E00"},
        KeyCase{"TextAccentSecond", col(jettype::Text), std::string("e\xC3\xA9"), "7F515101020E00"},
        KeyCase{"TextHyphenIsUnprintable", col(jettype::Text), std::string("a-b"),
                "7F4A4C0101010180"
                "0B068200"},
        KeyCase{"TextSymbolOfTwoBytes", col(jettype::Text), std::string("a^"), "7F4A2B020100"},
        KeyCase{"TextSharpSGeneral", col(jettype::Text), std::string("\xC3\x9F\xC3\xA9"),
                "7F6B6B5101020E00"},
        KeyCase{"TextDescending", col(jettype::Text, false), std::string("a"), "80B5FEFF00"},
        // French: accents from the end, ß as two positions.
        KeyCase{"FrenchAccentSecond", col(jettype::Text, true, kFrench), std::string("e\xC3\xA9"),
                "7F5151010E00"},
        KeyCase{"FrenchAccentFirst", col(jettype::Text, true, kFrench),
                std::string("\xC3\xA9"
                            "e"),
                "7F515101020E00"},
        KeyCase{"FrenchSharpS", col(jettype::Text, true, kFrench), std::string("\xC3\xA9\xC3\x9F"),
                "7F516B6B010202"
                "0E00"},
        KeyCase{"FrenchHyphenAfterSharpS", col(jettype::Text, true, kFrench),
                std::string("\xC3\x9F-a"),
                "7F6B6B4A0101010180"
                "0F068200"},
        // General past U+00FF: Cyrillic, and Greek with a letter variant
        // marked in the accent section.
        KeyCase{"GeneralCyrillic", col(jettype::Text), std::string("\xD0\x9C\xD0\xB8\xD1\x80"),
                "7F7943793B79480100"},
        KeyCase{"GeneralGreekKappaSymbol", col(jettype::Text), std::string("\xCF\xB0\xCE\xB1"),
                "7F7915790C010300"},
        // Turkish: I is the dotless ı's capital, i keeps General's code.
        KeyCase{"TurkishCapitalI", col(jettype::Text, true, kTurkish), std::string("Ii"),
                "7F5806590100"},
        KeyCase{"TurkishDotlessI", col(jettype::Text, true, kTurkish), std::string("\xC4\xB1"),
                "7F58060100"},
        // Croatian: letters of their own, and pairs that sort as one.
        KeyCase{"CroatianCCaronAndCAcute", col(jettype::Text, true, kCroatian),
                std::string("\xC4\x8D\xC4\x87"), "7F4E024E030100"},
        KeyCase{"CroatianLjAndNj", col(jettype::Text, true, kCroatian), std::string("Ljnj"),
                "7F5F0363040100"},
        KeyCase{"CroatianDzCaronIsOneMarkedLetter", col(jettype::Text, true, kCroatian),
                std::string("Amid\xC5\xBEi\xC4\x87"),
                "7F4A6059500459"
                "4E030102020204"
                "00"},
        KeyCase{"CroatianNAndJApartInOtherOrders", col(jettype::Text), std::string("nj"),
                "7F625B0100"},
        KeyCase{"SpanishModernAsGeneral", col(jettype::Text, true, kSpanishModern),
                std::string("Libros"), "7F5E594C69646B0100"},
        KeyCase{"ChinesePrcIdeographs", col(jettype::Text, true, kChinesePrc),
                std::string("\xE5\xB7\xA5\xE5\xBA\x8F"), "7F92E6C54D0100"},
        // Access 97's General: one code a character, no case section, 0x00
        // when no letter has a mark.
        KeyCase{"General97Plain", col(jettype::Text, true, kGeneral97), std::string("abc"),
                "7F60616200"},
        KeyCase{"General97Empty", col(jettype::Text, true, kGeneral97), std::string(""), "7F00"},
        KeyCase{"General97CaseDoesNotCount", col(jettype::Text, true, kGeneral97),
                std::string("ABC"), "7F60616200"},
        KeyCase{"General97TrailingBlanksDropped", col(jettype::Text, true, kGeneral97),
                std::string("ab  "), "7F606100"},
        KeyCase{"General97InnerBlankKept", col(jettype::Text, true, kGeneral97), std::string("a b"),
                "7F60116100"},
        // Marks: nibbles framed by 0 nibbles, a 2 for each markable letter
        // (A C E I N O S U Y) without a mark before it, padded to a byte.
        KeyCase{"General97MarkAfterTwoLetters", col(jettype::Text, true, kGeneral97),
                std::string("AA\xC3\x80"
                            "AA"),
                "7F6060606060022300"},
        KeyCase{"General97MarkFirst", col(jettype::Text, true, kGeneral97), std::string("\xC3\x81"),
                "7F600400"},
        KeyCase{"General97TwoMarksFillTheLastByte", col(jettype::Text, true, kGeneral97),
                std::string("-\xC3\x81-\xC3\x81-"), "7F1E601E601E0440"},
        KeyCase{"General97OtherLettersDoNotCount", col(jettype::Text, true, kGeneral97),
                std::string("bd\xC3\x81"), "7F6164600400"},
        KeyCase{"General97SharpSCountsTwo", col(jettype::Text, true, kGeneral97),
                std::string("\xC3\x9F\xC3\xA4"), "7F767660022600"},
        KeyCase{"General97Ligature", col(jettype::Text, true, kGeneral97), std::string("\xC3\xA6"),
                "7F606600"},
        // Characters past U+00FF are coded as their Windows-1252 byte.
        KeyCase{"General97EuroIsAControl", col(jettype::Text, true, kGeneral97),
                std::string("\xE2\x82\xAC"), "7F1000"},
        KeyCase{"General97SCaronMarked", col(jettype::Text, true, kGeneral97),
                std::string("a\xC5\xA0"
                            "a"),
                "7F60766002A0"},
        KeyCase{"General97OELigature", col(jettype::Text, true, kGeneral97),
                std::string("\xC5\x93"), "7F726600"},
        KeyCase{"General97TradeMark", col(jettype::Text, true, kGeneral97),
                std::string("\xE2\x84\xA2"), "7F3A00"},
        KeyCase{"General97QuotesAsApostrophe", col(jettype::Text, true, kGeneral97),
                std::string("\xE2\x80\x98'\xE2\x80\x99"), "7F18181800"},
        KeyCase{"General97NulIsAControl", col(jettype::Text, true, kGeneral97),
                std::string("Lock\0", 5), "7F6D72626C1000"},
        KeyCase{"General97UndefinedByteKept", col(jettype::Text, true, kGeneral97),
                std::string("\xC2\x81"), "7F1000"},
        KeyCase{"General97Descending", col(jettype::Text, false, kGeneral97), std::string("row9"),
                "808A8D84A0FF"},
        KeyCase{"Arabic97AsGeneral97", col(jettype::Text, true, kArabic97), std::string("Tables"),
                "7F7760616D667600"},
        // Access 97's Turkish: two bytes a character, four ends of section.
        KeyCase{"Turkish97Letters", col(jettype::Text, true, kTurkish97), std::string("Atom"),
                "7F0E020E990E7C0E510101010100"},
        KeyCase{"Turkish97HyphenIsUnprintable", col(jettype::Text, true, kTurkish97),
                std::string("Z-or"), "7F0EA90E7C0E8A01010101800B068200"}),
    [](const ::testing::TestParamInfo<KeyCase>& p) { return std::string(p.param.name); });

TEST(IndexKey, TextIsCutAt255Characters) {
    for (const SortOrder order : {kGeneralLegacy, kGeneral97}) {
        const KeyColumn text = col(jettype::Text, true, order);
        const std::string longer(300, 'a');
        const std::string limit(255, 'a');
        EXPECT_EQ(keyOf(text, longer), keyOf(text, limit)) << order.jetVersion;
        EXPECT_NE(keyOf(text, limit), keyOf(text, std::string(254, 'a'))) << order.jetVersion;
        // The cut comes first: blanks it leaves at the end are dropped.
        EXPECT_EQ(keyOf(text, std::string(254, 'a') + "  b"), keyOf(text, std::string(254, 'a')))
            << order.jetVersion;
    }
}

TEST(IndexKey, General97IsNotJet4sGeneral) {
    // The same sort order id in an Access 97 file's column codes otherwise.
    EXPECT_NE(keyOf(col(jettype::Text, true, kGeneral97), std::string("a")),
              keyOf(col(jettype::Text), std::string("a")));
    EXPECT_NE(kGeneral97, kGeneralLegacy);
    EXPECT_EQ(kGeneral97.id, kGeneralLegacy.id);
}

TEST(IndexKey, RefusesWhatItCannotCode) {
    std::vector<uint8_t> key;
    // Past U+00FF, no code but for the few characters the fixtures show
    // (U+041C is one, U+041D is not).
    EXPECT_THROW(IndexKey::append(key, col(jettype::Text), std::string("\xD0\x9D")), FormatError);
    // A pair of letters whose form no fixture shows (Croatian "NJ").
    EXPECT_THROW(IndexKey::append(key, col(jettype::Text, true, kCroatian), std::string("NJ")),
                 FormatError);
    // Access 97: a character outside the code page, and one the Turkish
    // fixture does not show.
    EXPECT_THROW(
        IndexKey::append(key, col(jettype::Text, true, kGeneral97), std::string("\xD0\x9C")),
        FormatError);
    EXPECT_THROW(
        IndexKey::append(key, col(jettype::Text, true, kGeneral97), std::string("\xC2\x80")),
        FormatError);
    EXPECT_THROW(
        IndexKey::append(key, col(jettype::Text, true, kTurkish97), std::string("\xC3\xA7")),
        FormatError);
    EXPECT_THROW(
        IndexKey::append(key, col(jettype::Text, true, jet3SortOrder(0x040C)), std::string("a")),
        FormatError);
    // A sort order without codes.
    EXPECT_THROW(
        IndexKey::append(key, col(jettype::Text, true, SortOrder{0x0407, 0}), std::string("a")),
        FormatError);
    EXPECT_THROW(IndexKey::append(key, col(jettype::Text), std::string("\xC3")),
                 FormatError);  // not UTF-8
    EXPECT_THROW(IndexKey::append(key, col(jettype::Integer), std::string("1")),
                 FormatError);  // wrong kind
    EXPECT_THROW(IndexKey::append(key, col(jettype::OleObject), Binary{"x"}), FormatError);
    EXPECT_THROW(IndexKey::append(key, col(jettype::Numeric, true, kGeneralLegacy, 0),
                                  Decimal{false, 2, 5, 0, 0}),
                 FormatError);  // more places than the column
}

struct ProofCase {
    const char* name;
    KeyColumn column;
    FieldValue value;
    bool provable;
};

class KeyProof : public ::testing::TestWithParam<ProofCase> {};

TEST_P(KeyProof, IsClaimedOnlyWhereMeasured) {
    EXPECT_EQ(IndexKey::canProve(GetParam().column, GetParam().value), GetParam().provable);
}

INSTANTIATE_TEST_SUITE_P(
    IndexKey, KeyProof,
    ::testing::Values(
        ProofCase{"GeneralLatin1", col(jettype::Text), std::string("\xC3\xA9t\xC3\xA9 \xC3\x86"),
                  true},
        ProofCase{"GeneralPastLatin1", col(jettype::Text), std::string("\xE2\x82\xAC"), false},
        ProofCase{"GeneralNul", col(jettype::Text), std::string(1, '\0'), false},
        ProofCase{"FrenchMeasured", col(jettype::Text, true, kFrench),
                  std::string("P\xC3\xA2t\xC3\xA9s"), true},
        ProofCase{"FrenchAEUnmeasured", col(jettype::Text, true, kFrench), std::string("\xC3\x86"),
                  false},
        ProofCase{"FrenchCapitalEAcuteUnmeasured", col(jettype::Text, true, kFrench),
                  std::string("\xC3\x89"), false},
        ProofCase{"OtherSortOrder", col(jettype::Text, true, SortOrder{0x0407, 0}),
                  std::string("a"), false},
        ProofCase{"Thai", col(jettype::Text, true, SortOrder{0x041E, 0}), std::string("zz"), false},
        ProofCase{"GeneralCyrillicMeasured", col(jettype::Text),
                  std::string("\xD0\x9C\xD0\xB8\xD1\x80"), true},
        ProofCase{"GeneralCyrillicUnmeasured", col(jettype::Text), std::string("\xD0\x9D"), false},
        ProofCase{"GeneralCapitalLStroke", col(jettype::Text), std::string("\xC5\x81"), false},
        ProofCase{"GeneralGBreve", col(jettype::Text), std::string("\xC4\x9F"), false},
        ProofCase{"GeneralCapitalIDot", col(jettype::Text), std::string("\xC4\xB0"), false},
        ProofCase{"GeneralEmoji", col(jettype::Text), std::string("\xF0\x9F\x98\x80"), false},
        ProofCase{"GeneralCombiningAccent", col(jettype::Text), std::string("e\xCC\x81"), false},
        ProofCase{"GeneralGreekTraceless", col(jettype::Text), std::string("\xE1\xBD\xB6"), false},
        ProofCase{"ChinesePrcNames", col(jettype::Text, true, kChinesePrc),
                  std::string("tbl_Order2"), true},
        ProofCase{"ChinesePrcIdeographMeasured", col(jettype::Text, true, kChinesePrc),
                  std::string("\xE7\x8F\xAD\xE6\xAC\xA1"), true},
        ProofCase{"ChinesePrcIdeographUnmeasured", col(jettype::Text, true, kChinesePrc),
                  std::string("\xE4\xB8\xAD"), false},
        ProofCase{"ChinesePrcBlankUnmeasured", col(jettype::Text, true, kChinesePrc),
                  std::string("a b"), false},
        ProofCase{"TurkishKUnmeasured", col(jettype::Text, true, kTurkish), std::string("Kitap"),
                  false},
        ProofCase{"TurkishMeasured", col(jettype::Text, true, kTurkish),
                  std::string("Tablo Ad\xC4\xB1_2"), true},
        ProofCase{"TurkishCapitalIDotUnmeasured", col(jettype::Text, true, kTurkish),
                  std::string("\xC4\xB0"), false},
        ProofCase{"CroatianMeasured", col(jettype::Text, true, kCroatian),
                  std::string("Akcionari Ljubi\xC4\x8Di\xC4\x87 - Kne\xC5\xBE"
                              "evo"),
                  true},
        ProofCase{"CroatianDzCaronMeasured", col(jettype::Text, true, kCroatian),
                  std::string("D\xC5\xBE"
                              "akula"),
                  true},
        ProofCase{"CroatianNjUpperUnmeasured", col(jettype::Text, true, kCroatian),
                  std::string("Njegos"), false},
        ProofCase{"CroatianLJUnmeasured", col(jettype::Text, true, kCroatian),
                  std::string("LJUBINJE"), false},
        ProofCase{"CroatianDZCaronUnmeasured", col(jettype::Text, true, kCroatian),
                  std::string("d\xC5\xBD"), false},
        ProofCase{"SpanishModernMeasured", col(jettype::Text, true, kSpanishModern),
                  std::string("Reservas"), true},
        ProofCase{"SpanishModernNTildeUnmeasured", col(jettype::Text, true, kSpanishModern),
                  std::string("A\xC3\xB1o"), false},
        ProofCase{"GeneralNewVersion", col(jettype::Text, true, SortOrder{0x0409, 1}),
                  std::string("a"), false},
        ProofCase{"DescendingText", col(jettype::Text, false), std::string("a"), false},
        ProofCase{"General97CodePage", col(jettype::Text, true, kGeneral97),
                  std::string("\xC3\xA9t\xC3\xA9 \xC3\x9F\xE2\x82\xAC\xC5\x92"), true},
        ProofCase{"General97Descending", col(jettype::Text, false, kGeneral97),
                  std::string("\xC3\xA9t\xC3\xA9"), true},
        ProofCase{"General97PastTheCodePage", col(jettype::Text, true, kGeneral97),
                  std::string("\xD0\x9C"), false},
        ProofCase{"General97Nul", col(jettype::Text, true, kGeneral97), std::string("Lock\0", 5),
                  true},
        ProofCase{"General97CtrlZUnshown", col(jettype::Text, true, kGeneral97),
                  std::string("\x1A"), false},
        ProofCase{"General97LigatureBeforeAMark", col(jettype::Text, true, kGeneral97),
                  std::string("\xC3\x86\xC3\xA9"), false},
        ProofCase{"General97LigatureAfterAMark", col(jettype::Text, true, kGeneral97),
                  std::string("\xC3\xA9\xC3\x86"), true},
        ProofCase{"General97OtherSortOrder", col(jettype::Text, true, jet3SortOrder(0x0407)),
                  std::string("a"), false},
        ProofCase{"Arabic97CatalogNames", col(jettype::Text, true, kArabic97),
                  std::string("MSysObjects"), true},
        ProofCase{"Arabic97MarkUnmeasured", col(jettype::Text, true, kArabic97),
                  std::string("\xC3\xA9"), false},
        ProofCase{"Arabic97ArabicLetterUnmeasured", col(jettype::Text, true, kArabic97),
                  std::string("\xD8\xA7"), false},
        ProofCase{"Turkish97Measured", col(jettype::Text, true, kTurkish97),
                  std::string("Z-order Window Class"), true},
        ProofCase{"Turkish97DotlessIUnmeasured", col(jettype::Text, true, kTurkish97),
                  std::string("\xC4\xB1"), false},
        ProofCase{"Turkish97DescendingUnmeasured", col(jettype::Text, false, kTurkish97),
                  std::string("a"), false},
        ProofCase{"NullText", col(jettype::Text, false), FieldValue{}, true},
        ProofCase{"Integer", col(jettype::Integer, false), int32_t{5}, true},
        ProofCase{"YesNo", col(jettype::YesNo), true, false},
        ProofCase{"YesNoOfAccess97", col(jettype::YesNo, false, kGeneral97), true, true},
        ProofCase{"Numeric", col(jettype::Numeric), Decimal{}, false}),
    [](const ::testing::TestParamInfo<ProofCase>& p) { return std::string(p.param.name); });

// Keys must sort as their values: a table of values in order per type.
struct OrderCase {
    const char* name;
    uint8_t type;
    std::vector<FieldValue> ascending;  // strictly increasing values
    bool descendingReverses = true;
};

class KeyOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(KeyOrder, FollowsTheValues) {
    const OrderCase& c = GetParam();
    for (const bool ascending : {true, false}) {
        if (!ascending && !c.descendingReverses) continue;
        std::vector<std::vector<uint8_t>> keys;
        for (const FieldValue& v : c.ascending) {
            std::vector<uint8_t> key;
            IndexKey::append(key, col(c.type, ascending), v);
            keys.push_back(key);
        }
        for (size_t i = 1; i < keys.size(); ++i) {
            if (ascending)
                EXPECT_LT(keys[i - 1], keys[i]) << "values " << i - 1 << " and " << i;
            else
                EXPECT_GT(keys[i - 1], keys[i])
                    << "values " << i - 1 << " and " << i << " descending";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    IndexKey, KeyOrder,
    ::testing::Values(
        OrderCase{"Integer",
                  jettype::Integer,
                  {FieldValue{}, std::numeric_limits<int32_t>::min(), int32_t{-256}, int32_t{-1},
                   int32_t{0}, int32_t{1}, int32_t{255}, int32_t{256},
                   std::numeric_limits<int32_t>::max()}},
        OrderCase{"SmallInt",
                  jettype::SmallInt,
                  {int16_t{-32768}, int16_t{-1}, int16_t{0}, int16_t{32767}}},
        OrderCase{"Byte",
                  jettype::Byte,
                  {FieldValue{}, uint8_t{0}, uint8_t{127}, uint8_t{128}, uint8_t{255}}},
        OrderCase{"Currency",
                  jettype::Currency,
                  {Currency{INT64_MIN}, Currency{-10000}, Currency{0}, Currency{1}}},
        OrderCase{"Double",
                  jettype::Double,
                  {-std::numeric_limits<double>::infinity(), -1e300, -2.5, -1.0, -1e-300, 0.0,
                   1e-300, 1.0, 2.5, 1e300, std::numeric_limits<double>::infinity()}},
        OrderCase{"Single", jettype::Single, {-3.5f, -0.25f, 0.0f, 0.25f, 3.5f}},
        OrderCase{"DateTime",
                  jettype::DateTime,
                  {DateTime{-700000.5}, DateTime{-1.25}, DateTime{0.0}, DateTime{0.5},
                   DateTime{45000.75}}},
        OrderCase{
            "Numeric",
            jettype::Numeric,
            {Decimal{true, 0, 0, 0, 1}, Decimal{true, 0, 300, 0, 0}, Decimal{true, 0, 1, 0, 0},
             Decimal{false, 0, 0, 0, 0}, Decimal{false, 0, 1, 0, 0}, Decimal{false, 0, 0, 1, 0},
             Decimal{false, 0, 0, 0, 1}},
            // Jet 4 puts negative decimals first in a descending index too.
            false},
        OrderCase{
            "Binary",
            jettype::Binary,
            {Binary{"a"}, Binary{"a\x01"}, Binary{"abcdefgh"}, Binary{"abcdefgha"}, Binary{"b"}}},
        OrderCase{"Text",
                  jettype::Text,
                  {FieldValue{}, std::string(""), std::string("a"), std::string("ab"),
                   std::string("b"), std::string("\xC3\xA9t\xC3\xA9"), std::string("z")}}),
    [](const ::testing::TestParamInfo<OrderCase>& p) { return std::string(p.param.name); });

TEST(IndexKey, EncodesEveryColumnInOrder) {
    const std::vector<KeyColumn> columns = {col(jettype::Integer), col(jettype::Text, false)};
    const std::vector<FieldValue> values = {int32_t{2}, FieldValue{}};
    EXPECT_EQ(hex(IndexKey::encode(columns, values)), "7F80000002FF");
    EXPECT_THROW((void)IndexKey::encode(columns, std::vector<FieldValue>{int32_t{2}}), FormatError);
}

}  // namespace
}  // namespace jet::file
