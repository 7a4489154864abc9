// The conversion rules on field values directly: what ALTER COLUMN makes of a
// value, and which values it refuses, whatever provider stores them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "jet/Types.h"
#include "jet/statement/Convert.h"

namespace {

using jet::FieldValue;
using jet::statement::ConvertResult;
using jet::statement::Target;
namespace adtype = jet::adtype;

std::string describe(const FieldValue& v) {
    struct Visit {
        std::string operator()(std::monostate) const { return "null"; }
        std::string operator()(bool b) const { return b ? "YESNO true" : "YESNO false"; }
        std::string operator()(uint8_t x) const { return "BYTE " + std::to_string(x); }
        std::string operator()(int16_t x) const { return "SMALLINT " + std::to_string(x); }
        std::string operator()(int32_t x) const { return "INTEGER " + std::to_string(x); }
        std::string operator()(const jet::Currency& c) const {
            return "CURRENCY units " + std::to_string(c.units);
        }
        std::string operator()(float x) const { return "SINGLE " + number(x); }
        std::string operator()(double x) const { return "DOUBLE " + number(x); }
        std::string operator()(const jet::DateTime& d) const {
            return "DATETIME " + number(d.days);
        }
        std::string operator()(const std::string& s) const { return "TEXT '" + s + "'"; }
        std::string operator()(const jet::Binary& b) const {
            return "BINARY of " + std::to_string(b.bytes.size()) + " bytes";
        }
        std::string operator()(const jet::Guid& g) const {
            return "GUID " + jet::statement::guidText(g);
        }
        std::string operator()(const jet::Decimal& d) const {
            return std::string("DECIMAL ") + (d.negative ? "-" : "") + std::to_string(d.high) +
                   ":" + std::to_string(d.middle) + ":" + std::to_string(d.low) + " scale " +
                   std::to_string(d.scale);
        }
        static std::string number(double x) {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.17g", x);
            return buf;
        }
    };
    return std::visit(Visit{}, v);
}

jet::Decimal decimal(int64_t value, uint8_t scale) {
    jet::Decimal d;
    d.negative = value < 0;
    const uint64_t m = d.negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    d.low = static_cast<uint32_t>(m);
    d.middle = static_cast<uint32_t>(m >> 32);
    d.scale = scale;
    return d;
}

jet::Guid guid() {
    // {01234567-89AB-CDEF-0123-456789ABCDEF}: the first three groups little-endian.
    return jet::Guid{{0x67, 0x45, 0x23, 0x01, 0xAB, 0x89, 0xEF, 0xCD, 0x01, 0x23, 0x45, 0x67, 0x89,
                      0xAB, 0xCD, 0xEF}};
}

Target type(int32_t t, int32_t size = 0) { return Target{t, size, 0, 0}; }
Target decimalType(uint8_t precision, uint8_t scale) {
    return Target{adtype::Numeric, 0, precision, scale};
}

struct ConvertCase {
    const char* name;
    FieldValue in;
    Target target;
    ConvertResult result;
    FieldValue out;  // when Ok
};

std::ostream& operator<<(std::ostream& os, const ConvertCase& c) { return os << c.name; }

const ConvertCase kCases[] = {
    // Numbers from text and from other numbers.
    {"TextToLong", std::string(" 42 "), type(adtype::Integer), ConvertResult::Ok, int32_t{42}},
    {"HalfRoundsToEven", 2.5, type(adtype::Integer), ConvertResult::Ok, int32_t{2}},
    {"NegativeHalfRoundsToEven", -3.5, type(adtype::SmallInt), ConvertResult::Ok, int16_t{-4}},
    {"SmallIntLowestValue", int32_t{-32768}, type(adtype::SmallInt), ConvertResult::Ok,
     int16_t{-32768}},
    {"YesWordToYesNo", std::string("Yes"), type(adtype::Boolean), ConvertResult::Ok, true},
    {"ZeroToYesNo", int32_t{0}, type(adtype::Boolean), ConvertResult::Ok, false},
    {"YesNoToLong", true, type(adtype::Integer), ConvertResult::Ok, int32_t{-1}},
    {"DoubleToCurrencyRounds", 1.23456, type(adtype::Currency), ConvertResult::Ok,
     jet::Currency{12346}},
    {"TextToDecimal", std::string("-12.34"), decimalType(4, 2), ConvertResult::Ok,
     decimal(-1234, 2)},
    {"DecimalToDouble", decimal(-1234, 2), type(adtype::Double), ConvertResult::Ok, -12.34},
    {"CurrencyToByte", jet::Currency{2550000}, type(adtype::UnsignedTinyInt), ConvertResult::Ok,
     uint8_t{255}},
    {"DoubleToSingle", 0.1, type(adtype::Single), ConvertResult::Ok, 0.1F},
    // Text from numbers and other values.
    {"YesNoToText", true, type(adtype::VarWChar, 10), ConvertResult::Ok, std::string("-1")},
    {"CurrencyToText", jet::Currency{125000}, type(adtype::VarWChar, 10), ConvertResult::Ok,
     std::string("12.5")},
    {"DoubleToTextFifteenDigits", 1.0 / 3, type(adtype::LongVarWChar), ConvertResult::Ok,
     std::string("0.333333333333333")},
    {"WholeDecimalToTextInFull", decimal(9007199254740993, 0), type(adtype::LongVarWChar),
     ConvertResult::Ok, std::string("9007199254740993")},
    {"DateTimeToText", jet::DateTime{45352.5}, type(adtype::VarWChar, 19), ConvertResult::Ok,
     std::string("2024-03-01 12:00:00")},
    {"GuidToText", guid(), type(adtype::VarWChar, 38), ConvertResult::Ok,
     std::string("{01234567-89AB-CDEF-0123-456789ABCDEF}")},
    {"TextCountsCharactersNotBytes", std::string("日本語"), type(adtype::WChar, 3),
     ConvertResult::Ok, std::string("日本語")},
    // Dates.
    {"MonthFirstDateWithTime", std::string("3/1/2024 10:30 PM"), type(adtype::Date),
     ConvertResult::Ok, jet::DateTime{45352.9375}},
    {"TimeAloneIsOnDayZero", std::string("10:30"), type(adtype::Date), ConvertResult::Ok,
     jet::DateTime{0.4375}},
    {"NumberToDateKeepsItsDays", -1.25, type(adtype::Date), ConvertResult::Ok,
     jet::DateTime{-1.25}},
    {"DateBeforeDayZeroToDouble", jet::DateTime{-1.25}, type(adtype::Double), ConvertResult::Ok,
     -1.25},
    {"DateTextBeforeDayZeroToDouble", std::string("1899-12-29 06:00:00"), type(adtype::Double),
     ConvertResult::Ok, -1.25},
    // GUIDs and bytes.
    {"GuidTextAnyCase", std::string("{01234567-89ab-cdef-0123-456789abcdef}"), type(adtype::GUID),
     ConvertResult::Ok, guid()},
    {"GuidTextWithoutDashes", std::string("0123456789abcdef0123456789ABCDEF"), type(adtype::GUID),
     ConvertResult::Ok, guid()},
    {"TextToBinaryKeepsTheBytes", std::string("abc"), type(adtype::VarBinary, 3), ConvertResult::Ok,
     jet::Binary{"abc"}},
    {"NullStaysNull", std::monostate{}, type(adtype::Integer), ConvertResult::Ok, std::monostate{}},
    // Refusals.
    {"LongBinaryIntoText255",
     jet::Binary{std::string(256, 'x')},
     type(adtype::VarWChar, 255),
     ConvertResult::TooLong,
     {}},
    {"TextIntoShorterChar",
     std::string("abcd"),
     type(adtype::WChar, 3),
     ConvertResult::TooLong,
     {}},
    {"BinaryIntoShorterBinary",
     jet::Binary{"12345"},
     type(adtype::Binary, 4),
     ConvertResult::TooLong,
     {}},
    {"ByteAboveRange", int32_t{256}, type(adtype::UnsignedTinyInt), ConvertResult::Mismatch, {}},
    {"ByteBelowRange",
     std::string("-1"),
     type(adtype::UnsignedTinyInt),
     ConvertResult::Mismatch,
     {}},
    {"LongRoundsOutOfRange", 2147483647.5, type(adtype::Integer), ConvertResult::Mismatch, {}},
    {"SingleBeyondRange", 1e39, type(adtype::Single), ConvertResult::Mismatch, {}},
    {"DecimalWithTooManyDigits", 1000.0, decimalType(5, 2), ConvertResult::Mismatch, {}},
    {"CurrencyBeyondItsRange",
     922337203685478.0,
     type(adtype::Currency),
     ConvertResult::Mismatch,
     {}},
    {"InfinityToCurrency",
     std::numeric_limits<double>::infinity(),
     type(adtype::Currency),
     ConvertResult::Mismatch,
     {}},
    {"WordsAreNoNumber", std::string("twelve"), type(adtype::Double), ConvertResult::Mismatch, {}},
    {"BinaryIsNoNumber", jet::Binary{"1"}, type(adtype::Integer), ConvertResult::Mismatch, {}},
    {"NoSuchDay", std::string("2024-02-30"), type(adtype::Date), ConvertResult::Mismatch, {}},
    {"TimeOutOfRange",
     std::string("2024-03-01 24:00"),
     type(adtype::Date),
     ConvertResult::Mismatch,
     {}},
    {"DateBeforeYear100",
     std::string("0099-12-31"),
     type(adtype::Date),
     ConvertResult::Mismatch,
     {}},
    {"DaysAfterYear9999", 2958466.0, type(adtype::Date), ConvertResult::Mismatch, {}},
    {"ShortGuidText", std::string("{0123}"), type(adtype::GUID), ConvertResult::Mismatch, {}},
    {"NumberIsNoGuid", int32_t{1}, type(adtype::GUID), ConvertResult::Mismatch, {}},
    {"NumberIsNoBinary", int32_t{1}, type(adtype::VarBinary, 10), ConvertResult::Mismatch, {}},
};

class ConvertTable : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTable, GivesTheTargetsValueOrRefuses) {
    const ConvertCase& c = GetParam();
    FieldValue out = std::string("untouched");
    const ConvertResult r = jet::statement::convertValue(c.in, c.target, out);
    ASSERT_EQ(r, c.result) << describe(c.in);
    if (r == ConvertResult::Ok)
        EXPECT_TRUE(out == c.out) << describe(out) << ", expected " << describe(c.out);
    else
        EXPECT_TRUE(out == FieldValue(std::string("untouched"))) << describe(out);
}

INSTANTIATE_TEST_SUITE_P(Values, ConvertTable, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct DateTextCase {
    double days;
    std::optional<std::string> text;
};

TEST(ConvertDates, TextOfDaysToTheNearestSecond) {
    const DateTextCase cases[] = {
        {0, "1899-12-30 00:00:00"},
        {-1.25, "1899-12-29 06:00:00"},  // the fraction counts forward from midnight
        {-0.5, "1899-12-30 12:00:00"},
        {0.9999999, "1899-12-31 00:00:00"},  // rounds up into the next day
        {-657434, "0100-01-01 00:00:00"},
        {2958465.99998, "9999-12-31 23:59:58"},
        {2958465.9999999, std::nullopt},  // rounds into the year 10000
        {-657435, std::nullopt},
        {std::nan(""), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.days);
        EXPECT_EQ(jet::statement::dateText(jet::DateTime{c.days}), c.text);
    }
}

TEST(ConvertDates, ParsedDatesReadBackAsTheirText) {
    for (const char* text : {"1899-12-29 06:00:00", "0100-01-01 00:00:01", "9999-12-31 23:59:59",
                             "2024-02-29 13:14:15", "1700-03-01 00:00:00"}) {
        SCOPED_TRACE(text);
        const auto d = jet::statement::parseDate(text);
        ASSERT_TRUE(d);
        EXPECT_EQ(jet::statement::dateText(*d), std::string(text));
    }
}

TEST(ConvertGuids, TextReadsBackAsTheSameGuid) {
    EXPECT_EQ(jet::statement::parseGuid(jet::statement::guidText(guid())), guid());
    for (const char* bad :
         {"", "{}", "01234567-89ab-cdef-0123-456789abcde", "0123-4567-89ab-cdef-0123456789abcdef",
          "01234567-89ab-cdef-0123-456789abcdeg"})
        EXPECT_FALSE(jet::statement::parseGuid(bad)) << bad;
}

}  // namespace
