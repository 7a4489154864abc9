#include "jet/statement/Convert.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <variant>

#include "jet/Types.h"
#include "text/CaseFold.h"
#include "text/Trim.h"

namespace jet::statement {

namespace {

// --- dates -----------------------------------------------------------------------

int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

bool validDate(int64_t y, unsigned m, unsigned d) {
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    unsigned max = kDays[m - 1];
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) max = 29;
    return d <= max;
}

// 1899-12-30, the day Jet counts from.
constexpr int64_t kJetEpoch = -25569;  // daysFromCivil(1899, 12, 30)

// Jet's days: the whole part counts days from 1899-12-30, the fraction the
// time of day. Before that day the whole part is negative and the fraction
// still counts forward from midnight (-1.25 is 1899-12-29 06:00).
DateTime jetDays(int64_t y, unsigned m, unsigned d, int64_t secondsOfDay) {
    const int64_t day = daysFromCivil(y, m, d) - kJetEpoch;
    const double time = static_cast<double>(secondsOfDay) / 86400.0;
    return DateTime{day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time};
}

struct Civil {
    int64_t y = 0;
    unsigned m = 0, d = 0, hh = 0, mm = 0, ss = 0;
};

// The day and the time to the nearest second; nullopt outside the years 100
// to 9999.
std::optional<Civil> civilOf(DateTime date) {
    const double v = date.days;
    if (!std::isfinite(v) || std::fabs(v) > 1.0e7) return std::nullopt;
    const double whole = std::trunc(v);
    int64_t secs = std::llround(std::fabs(v - whole) * 86400.0);
    int64_t day = static_cast<int64_t>(whole) + kJetEpoch;
    if (secs >= 86400) {
        secs -= 86400;
        ++day;
    }
    Civil c;
    civilFromDays(day, c.y, c.m, c.d);
    if (c.y < 100 || c.y > 9999) return std::nullopt;
    c.hh = static_cast<unsigned>(secs / 3600);
    c.mm = static_cast<unsigned>(secs / 60 % 60);
    c.ss = static_cast<unsigned>(secs % 60);
    return c;
}

std::string formatDate(const Civil& c) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02u:%02u:%02u", static_cast<long long>(c.y),
                  c.m, c.d, c.hh, c.mm, c.ss);
    return buf;
}

// The form "YYYY-MM-DD HH:MM:SS" only (the fields as they stand, unchecked).
std::optional<double> daysOfDateText(std::string_view s) {
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' ||
        s[16] != ':')
        return std::nullopt;
    auto num = [&](size_t at, size_t len) -> int {
        int v = 0;
        for (size_t i = at; i < at + len; ++i) {
            if (s[i] < '0' || s[i] > '9') return -1;
            v = v * 10 + (s[i] - '0');
        }
        return v;
    };
    const int y = num(0, 4), mo = num(5, 2), d = num(8, 2), h = num(11, 2), mi = num(14, 2),
              se = num(17, 2);
    if (y < 0 || mo < 0 || d < 0 || h < 0 || mi < 0 || se < 0) return std::nullopt;
    return jetDays(y, static_cast<unsigned>(mo), static_cast<unsigned>(d), h * 3600 + mi * 60 + se)
        .days;
}

// Reads unsigned digits at s[i…]; false when none stand there.
bool digits(std::string_view s, size_t& i, unsigned& out, size_t maxLen = 4) {
    const size_t start = i;
    out = 0;
    while (i < s.size() && i - start < maxLen && s[i] >= '0' && s[i] <= '9')
        out = out * 10 + static_cast<unsigned>(s[i++] - '0');
    return i > start;
}

void skipBlanks(std::string_view s, size_t& i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
}

// Time part: H:MM[:SS] [AM|PM]; the whole rest of the text.
bool parseTime(std::string_view s, size_t i, unsigned& hh, unsigned& mm, unsigned& ss) {
    skipBlanks(s, i);
    if (!digits(s, i, hh, 2) || i >= s.size() || s[i] != ':') return false;
    ++i;
    if (!digits(s, i, mm, 2)) return false;
    ss = 0;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!digits(s, i, ss, 2)) return false;
    }
    skipBlanks(s, i);
    if (i < s.size()) {
        const std::string_view rest = s.substr(i);
        const bool am = text::equalNoCase(rest, "AM");
        const bool pm = text::equalNoCase(rest, "PM");
        if (!am && !pm) return false;
        if (hh < 1 || hh > 12) return false;
        if (am && hh == 12) hh = 0;
        if (pm && hh != 12) hh += 12;
    }
    return hh < 24 && mm < 60 && ss < 60;
}

// --- GUIDs ---------------------------------------------------------------------

// The text's bytes in the order they are written; the first three groups of
// a Guid's bytes are little-endian.
constexpr size_t kGuidTextOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// --- values as the rules read them ---------------------------------------------

// A value reduced to what the rules tell apart: whole numbers, other
// numbers, text (dates and GUIDs as their text), bytes, and dates, which
// also keep their days. Text and bytes are seen in the value, not copied
// (a long text is converted with one copy, into the result).
struct Scalar {
    enum class Kind { Null, Integer, Real, Text, Blob, Date } kind = Kind::Null;
    int64_t i = 0;
    double r = 0;  // Real; Date: its days
    // Text, Blob; Date: its text (empty outside the years 100 to 9999).
    [[nodiscard]] std::string_view s() const { return owned ? made : seen; }

    std::string_view seen;  // in the value converted
    std::string made;       // the text of a date or a GUID
    bool owned = false;
};

Scalar seen(Scalar::Kind kind, std::string_view bytes) { return {kind, 0, 0, bytes, {}, false}; }
Scalar made(Scalar::Kind kind, double r, std::string text) {
    return {kind, 0, r, {}, std::move(text), true};
}
using K = Scalar::Kind;

Scalar integer(int64_t v) { return {K::Integer, v, 0, {}, {}, false}; }
Scalar real(double v) { return {K::Real, 0, v, {}, {}, false}; }

// A number that may be whole: as CURRENCY and DECIMAL values are stored and
// read back by the store, so that both providers read them alike.
Scalar number(double v) {
    if (v == std::floor(v) && std::fabs(v) < 9.0e15) return integer(static_cast<int64_t>(v));
    return real(v);
}

// A whole DECIMAL of scale 0 within 64 bits, exactly.
std::optional<int64_t> wholeDecimal(const Decimal& d) {
    if (d.scale != 0 || d.high != 0) return std::nullopt;
    const uint64_t m = (static_cast<uint64_t>(d.middle) << 32) | d.low;
    constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    if (m <= kMax) return d.negative ? -static_cast<int64_t>(m) : static_cast<int64_t>(m);
    if (d.negative && m == kMax + 1) return std::numeric_limits<int64_t>::min();
    return std::nullopt;
}

Scalar scalarOf(const FieldValue& value) {
    struct Visit {
        Scalar operator()(std::monostate) const { return {}; }
        Scalar operator()(bool b) const { return integer(b ? -1 : 0); }
        Scalar operator()(uint8_t v) const { return integer(v); }
        Scalar operator()(int16_t v) const { return integer(v); }
        Scalar operator()(int32_t v) const { return integer(v); }
        Scalar operator()(const Currency& c) const {
            return number(static_cast<double>(c.units) / 10000.0);
        }
        Scalar operator()(float v) const { return real(static_cast<double>(v)); }
        Scalar operator()(double v) const { return real(v); }
        Scalar operator()(const DateTime& d) const {
            return made(K::Date, d.days, dateText(d).value_or(""));
        }
        Scalar operator()(const std::string& s) const { return seen(K::Text, s); }
        Scalar operator()(const Binary& b) const { return seen(K::Blob, b.bytes); }
        Scalar operator()(const Guid& g) const { return made(K::Text, 0, guidText(g)); }
        Scalar operator()(const Decimal& d) const {
            // Whole numbers of 64 bits stay exact.
            if (auto whole = wholeDecimal(d)) return integer(*whole);
            return number(decimalValue(d));
        }
    };
    return std::visit(Visit{}, value);
}

std::optional<double> parseNumber(std::string_view s) {
    s = text::trimWhite(s);
    if (s.empty()) return std::nullopt;
    if (s.front() == '+') s.remove_prefix(1);
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E'))
            return std::nullopt;
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// A value as a number, for numeric targets; nullopt when it does not read as one.
std::optional<double> asNumber(const Scalar& in) {
    switch (in.kind) {
        case K::Integer:
            return static_cast<double>(in.i);
        case K::Real:
            return in.r;
        case K::Date:
            return in.r;
        case K::Text: {
            if (auto n = parseNumber(in.s())) return n;
            const auto t = text::trimWhite(in.s());
            for (auto w : {"true", "yes", "on"})
                if (text::equalNoCase(t, w)) return -1.0;
            for (auto w : {"false", "no", "off"})
                if (text::equalNoCase(t, w)) return 0.0;
            if (auto d = daysOfDateText(t)) return d;
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

// Characters of UTF-8 text (bytes that do not continue a character).
size_t utf8Length(std::string_view s) {
    size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string numberText(const Scalar& in) {
    if (in.kind == K::Integer) return std::to_string(in.i);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", in.r);
    return buf;
}

// A whole number below 2^96 (as a double) as a DECIMAL's magnitude.
Decimal decimalOf(double whole, uint8_t scale) {
    Decimal d;
    d.negative = whole < 0;
    d.scale = scale;
    double m = std::fabs(whole);
    // Each step takes off bits the double holds exactly.
    const double high = std::floor(m / 18446744073709551616.0);
    m -= high * 18446744073709551616.0;
    const double middle = std::floor(m / 4294967296.0);
    m -= middle * 4294967296.0;
    d.high = static_cast<uint32_t>(high);
    d.middle = static_cast<uint32_t>(middle);
    d.low = static_cast<uint32_t>(m);
    if (d.high == 0 && d.middle == 0 && d.low == 0) d.negative = false;
    return d;
}

}  // namespace

double decimalValue(const Decimal& d) {
    const double magnitude = static_cast<double>(d.high) * 18446744073709551616.0 +
                             static_cast<double>(d.middle) * 4294967296.0 +
                             static_cast<double>(d.low);
    const double v = magnitude / std::pow(10.0, d.scale);
    return d.negative ? -v : v;
}

std::optional<DateTime> parseDate(std::string_view textIn) {
    const std::string_view s = text::trimWhite(textIn);
    if (s.empty()) return std::nullopt;
    size_t i = 0;
    unsigned a = 0, b = 0, c = 0;
    unsigned hh = 0, mm = 0, ss = 0;
    // A time alone.
    {
        size_t k = 0;
        unsigned x;
        if (digits(s, k, x, 2) && k < s.size() && s[k] == ':') {
            if (!parseTime(s, 0, hh, mm, ss)) return std::nullopt;
            return jetDays(1899, 12, 30, hh * 3600 + mm * 60 + ss);
        }
    }
    if (!digits(s, i, a, 4) || i >= s.size()) return std::nullopt;
    const char sep = s[i];
    if (sep != '-' && sep != '/') return std::nullopt;
    const size_t firstLen = i;
    ++i;
    if (!digits(s, i, b, 2) || i >= s.size() || s[i] != sep) return std::nullopt;
    ++i;
    if (!digits(s, i, c, 4)) return std::nullopt;
    int64_t y;
    unsigned m, d;
    if (firstLen == 4) {  // year first: 2024-03-01, 2024/03/01
        y = a;
        m = b;
        d = c;
    } else {  // month first: 3/1/2024
        m = a;
        d = b;
        y = c;
        if (y < 100) y += y < 30 ? 2000 : 1900;
    }
    if (!validDate(y, m, d)) return std::nullopt;
    if (i < s.size()) {
        if (s[i] == 'T') ++i;
        if (!parseTime(s, i, hh, mm, ss)) return std::nullopt;
    }
    return jetDays(y, m, d, hh * 3600 + mm * 60 + ss);
}

std::optional<std::string> dateText(DateTime date) {
    const auto c = civilOf(date);
    if (!c) return std::nullopt;
    return formatDate(*c);
}

std::string guidText(const Guid& g) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = "{";
    for (size_t k = 0; k < 16; ++k) {
        if (k == 4 || k == 6 || k == 8 || k == 10) out.push_back('-');
        const uint8_t byte = g.bytes[kGuidTextOrder[k]];
        out.push_back(kDigits[byte >> 4]);
        out.push_back(kDigits[byte & 15]);
    }
    out.push_back('}');
    return out;
}

std::optional<Guid> parseGuid(std::string_view s) {
    s = text::trimWhite(s);
    if (s.size() >= 2 && s.front() == '{' && s.back() == '}') s = s.substr(1, s.size() - 2);
    if (s.size() != 32 && s.size() != 36) return std::nullopt;
    if (s.size() == 36 && (s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-'))
        return std::nullopt;
    std::string hex;
    for (char c : s) {
        if (c == '-' && s.size() == 36) continue;
        if (hexValue(c) < 0) return std::nullopt;
        hex.push_back(c);
    }
    if (hex.size() != 32) return std::nullopt;
    Guid g;
    for (size_t k = 0; k < 16; ++k)
        g.bytes[kGuidTextOrder[k]] =
            static_cast<uint8_t>(hexValue(hex[2 * k]) * 16 + hexValue(hex[2 * k + 1]));
    return g;
}

ConvertResult convertValue(const FieldValue& value, const Target& t, FieldValue& out) {
    const Scalar in = scalarOf(value);
    if (in.kind == K::Null) {
        out = std::monostate{};
        return ConvertResult::Ok;
    }
    switch (t.type) {
        case adtype::Boolean: {
            auto n = asNumber(in);
            if (!n) return ConvertResult::Mismatch;
            out = *n != 0;
            return ConvertResult::Ok;
        }
        case adtype::UnsignedTinyInt:
        case adtype::SmallInt:
        case adtype::Integer: {
            auto n = asNumber(in);
            if (!n) return ConvertResult::Mismatch;
            const double r = std::nearbyint(*n);
            double lo = -2147483648.0, hi = 2147483647.0;
            if (t.type == adtype::UnsignedTinyInt) lo = 0, hi = 255;
            if (t.type == adtype::SmallInt) lo = -32768, hi = 32767;
            if (!(r >= lo && r <= hi)) return ConvertResult::Mismatch;
            if (t.type == adtype::UnsignedTinyInt)
                out = static_cast<uint8_t>(r);
            else if (t.type == adtype::SmallInt)
                out = static_cast<int16_t>(r);
            else
                out = static_cast<int32_t>(r);
            return ConvertResult::Ok;
        }
        case adtype::Single: {
            auto n = asNumber(in);
            if (!n) return ConvertResult::Mismatch;
            if (std::fabs(*n) > 3.402823466e38) return ConvertResult::Mismatch;
            out = static_cast<float>(*n);
            return ConvertResult::Ok;
        }
        case adtype::Double: {
            auto n = asNumber(in);
            if (!n) return ConvertResult::Mismatch;
            out = *n;
            return ConvertResult::Ok;
        }
        case adtype::Currency:
        case adtype::Numeric: {
            auto n = asNumber(in);
            if (!n) return ConvertResult::Mismatch;
            const int scale = t.type == adtype::Currency ? 4 : t.scale;
            const int precision = t.type == adtype::Currency ? 19 : t.precision;
            const double f = std::pow(10.0, scale);
            const double units = std::nearbyint(*n * f);
            const double v = units / f;
            if (!(std::fabs(v) < std::pow(10.0, precision - scale))) return ConvertResult::Mismatch;
            if (t.type == adtype::Currency) {
                // A CURRENCY is a 64-bit count of ten-thousandths.
                if (!(std::fabs(units) < 9223372036854775808.0)) return ConvertResult::Mismatch;
                out = Currency{static_cast<int64_t>(units)};
                return ConvertResult::Ok;
            }
            // A DECIMAL's magnitude has 96 bits.
            if (!(std::fabs(units) < 79228162514264337593543950336.0))
                return ConvertResult::Mismatch;
            out = decimalOf(units, static_cast<uint8_t>(scale));
            return ConvertResult::Ok;
        }
        case adtype::Date: {
            std::optional<DateTime> d;
            if (in.kind == K::Text)
                d = parseDate(in.s());
            else if (in.kind == K::Integer)
                d = DateTime{static_cast<double>(in.i)};
            else if (in.kind == K::Real || in.kind == K::Date)
                d = DateTime{in.r};
            if (!d || !civilOf(*d)) return ConvertResult::Mismatch;
            out = *d;
            return ConvertResult::Ok;
        }
        case adtype::GUID: {
            std::optional<Guid> g;
            if (in.kind == K::Text) g = parseGuid(in.s());
            if (!g) return ConvertResult::Mismatch;
            out = *g;
            return ConvertResult::Ok;
        }
        case adtype::Binary:
        case adtype::VarBinary:
        case adtype::LongVarBinary: {
            if (in.kind != K::Blob && in.kind != K::Text && in.kind != K::Date)
                return ConvertResult::Mismatch;
            if (in.kind == K::Date && in.s().empty()) return ConvertResult::Mismatch;
            if (t.type != adtype::LongVarBinary && in.s().size() > static_cast<size_t>(t.size))
                return ConvertResult::TooLong;
            out = Binary{std::string(in.s())};
            return ConvertResult::Ok;
        }
        default: {  // text types
            if (in.kind == K::Date && in.s().empty()) return ConvertResult::Mismatch;
            std::string s =
                in.kind == K::Integer || in.kind == K::Real ? numberText(in) : std::string(in.s());
            if ((t.type == adtype::VarWChar || t.type == adtype::WChar) &&
                utf8Length(s) > static_cast<size_t>(t.size))
                return ConvertResult::TooLong;
            out = std::move(s);
            return ConvertResult::Ok;
        }
    }
}

}  // namespace jet::statement
