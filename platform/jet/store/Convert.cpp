#include "jet/store/Convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "jet/Types.h"
#include "text/CaseFold.h"
#include "text/Trim.h"

namespace jet::store {

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

std::string formatDate(int64_t y, unsigned m, unsigned d, unsigned hh, unsigned mm, unsigned ss) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02u:%02u:%02u", static_cast<long long>(y), m,
                  d, hh, mm, ss);
    return buf;
}

// Days since 1899-12-30, as Jet keeps dates.
constexpr int64_t kOleEpoch = -25569;  // daysFromCivil(1899, 12, 30)

std::optional<std::string> dateFromOle(double v) {
    if (!std::isfinite(v) || v < -657434.0 || v > 2958465.999999) return std::nullopt;
    const double days = std::floor(v);
    int64_t secs = std::llround((v - days) * 86400.0);
    int64_t day = static_cast<int64_t>(days) + kOleEpoch;
    if (secs >= 86400) {
        secs -= 86400;
        ++day;
    }
    int64_t y;
    unsigned m, d;
    civilFromDays(day, y, m, d);
    return formatDate(y, m, d, static_cast<unsigned>(secs / 3600),
                      static_cast<unsigned>(secs / 60 % 60), static_cast<unsigned>(secs % 60));
}

std::optional<double> oleFromStoredDate(std::string_view s) {
    // The stored form only: YYYY-MM-DD HH:MM:SS.
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || s[16] != ':')
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
    const int64_t days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) - kOleEpoch;
    return static_cast<double>(days) + (h * 3600 + mi * 60 + se) / 86400.0;
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

// --- numbers ---------------------------------------------------------------------

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
std::optional<double> asNumber(const sql::Value& in, bool boolWords) {
    switch (in.kind) {
        case sql::Value::Kind::Integer: return static_cast<double>(in.i);
        case sql::Value::Kind::Real: return in.r;
        case sql::Value::Kind::Text: {
            if (auto n = parseNumber(in.s)) return n;
            const auto t = text::trimWhite(in.s);
            if (boolWords) {
                for (auto w : {"true", "yes", "on"})
                    if (text::equalNoCase(t, w)) return -1.0;
                for (auto w : {"false", "no", "off"})
                    if (text::equalNoCase(t, w)) return 0.0;
            }
            if (auto d = oleFromStoredDate(t)) return d;
            return std::nullopt;
        }
        default: return std::nullopt;
    }
}

size_t utf8Length(std::string_view s) {
    size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string numberText(const sql::Value& in) {
    if (in.kind == sql::Value::Kind::Integer) return std::to_string(in.i);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", in.r);
    return buf;
}

std::optional<std::string> normalizeGuid(std::string_view s) {
    s = text::trimWhite(s);
    if (s.size() >= 2 && s.front() == '{' && s.back() == '}') s = s.substr(1, s.size() - 2);
    std::string hex;
    for (char c : s) {
        if (c == '-') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        hex.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    if (hex.size() != 32) return std::nullopt;
    if (s.size() != 32 && s.size() != 36) return std::nullopt;
    if (s.size() == 36 && (s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-'))
        return std::nullopt;
    return "{" + hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" +
           hex.substr(16, 4) + "-" + hex.substr(20) + "}";
}

sql::Value fromSqlite(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER: return sql::Value::integer(sqlite3_value_int64(v));
        case SQLITE_FLOAT: return sql::Value::real(sqlite3_value_double(v));
        case SQLITE_TEXT: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
            return sql::Value::text(std::string(p, static_cast<size_t>(sqlite3_value_bytes(v))));
        }
        case SQLITE_BLOB: {
            const auto* p = static_cast<const char*>(sqlite3_value_blob(v));
            const auto n = static_cast<size_t>(sqlite3_value_bytes(v));
            return sql::Value::blob(p ? std::string(p, n) : std::string());
        }
        default: return sql::Value::null();
    }
}

void jetConvert(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc != 8) return;
    Target t;
    t.type = sqlite3_value_int(argv[1]);
    t.size = sqlite3_value_int(argv[2]);
    t.precision = static_cast<uint8_t>(sqlite3_value_int(argv[3]));
    t.scale = static_cast<uint8_t>(sqlite3_value_int(argv[4]));
    const int mode = sqlite3_value_int(argv[5]);
    sql::Value out;
    const auto r = convertValue(fromSqlite(argv[0]), t, out);
    if (r != ConvertResult::Ok) {
        std::string msg;
        if (mode == 0) {
            const auto* col = reinterpret_cast<const char*>(sqlite3_value_text(argv[6]));
            const auto* type = reinterpret_cast<const char*>(sqlite3_value_text(argv[7]));
            msg = sql::errorMarker(Err::ConversionFailed, {col ? col : "", type ? type : ""});
        } else {
            msg = sql::errorMarker(r == ConvertResult::TooLong ? Err::FieldTooSmall
                                                               : Err::DataTypeMismatch);
        }
        sqlite3_result_error(ctx, msg.c_str(), static_cast<int>(msg.size()));
        return;
    }
    switch (out.kind) {
        case sql::Value::Kind::Null: sqlite3_result_null(ctx); break;
        case sql::Value::Kind::Integer: sqlite3_result_int64(ctx, out.i); break;
        case sql::Value::Kind::Real: sqlite3_result_double(ctx, out.r); break;
        case sql::Value::Kind::Text:
            sqlite3_result_text(ctx, out.s.data(), static_cast<int>(out.s.size()), SQLITE_TRANSIENT);
            break;
        case sql::Value::Kind::Blob:
            sqlite3_result_blob(ctx, out.s.data(), static_cast<int>(out.s.size()), SQLITE_TRANSIENT);
            break;
    }
}

}  // namespace

std::optional<std::string> parseDate(std::string_view text) {
    const std::string_view s = text::trimWhite(text);
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
            return formatDate(1899, 12, 30, hh, mm, ss);
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
    return formatDate(y, m, d, hh, mm, ss);
}

std::string_view sqlType(int32_t type) {
    switch (type) {
        case adtype::Boolean:
        case adtype::UnsignedTinyInt:
        case adtype::SmallInt:
        case adtype::Integer:
            return "INTEGER";
        case adtype::Single:
        case adtype::Double:
            return "REAL";
        case adtype::Currency:
        case adtype::Numeric:
            return "NUMERIC";
        case adtype::Date:
            return "TEXT";
        case adtype::Binary:
        case adtype::VarBinary:
        case adtype::LongVarBinary:
            return "BLOB";
        default:
            // Jet compares text without regard to case, in keys and criteria alike.
            return "TEXT COLLATE NOCASE";
    }
}

ConvertResult convertValue(const sql::Value& in, const Target& t, sql::Value& out) {
    using K = sql::Value::Kind;
    if (in.kind == K::Null) {
        out = sql::Value::null();
        return ConvertResult::Ok;
    }
    switch (t.type) {
        case adtype::Boolean: {
            auto n = asNumber(in, true);
            if (!n) return ConvertResult::Mismatch;
            out = sql::Value::integer(*n != 0 ? -1 : 0);
            return ConvertResult::Ok;
        }
        case adtype::UnsignedTinyInt:
        case adtype::SmallInt:
        case adtype::Integer: {
            auto n = asNumber(in, true);
            if (!n) return ConvertResult::Mismatch;
            const double r = std::nearbyint(*n);
            double lo = -2147483648.0, hi = 2147483647.0;
            if (t.type == adtype::UnsignedTinyInt) lo = 0, hi = 255;
            if (t.type == adtype::SmallInt) lo = -32768, hi = 32767;
            if (r < lo || r > hi) return ConvertResult::Mismatch;
            out = sql::Value::integer(static_cast<int64_t>(r));
            return ConvertResult::Ok;
        }
        case adtype::Single:
        case adtype::Double: {
            auto n = asNumber(in, true);
            if (!n) return ConvertResult::Mismatch;
            double v = *n;
            if (t.type == adtype::Single) {
                if (std::fabs(v) > 3.402823466e38) return ConvertResult::Mismatch;
                v = static_cast<double>(static_cast<float>(v));
            }
            out = sql::Value::real(v);
            return ConvertResult::Ok;
        }
        case adtype::Currency:
        case adtype::Numeric: {
            auto n = asNumber(in, true);
            if (!n) return ConvertResult::Mismatch;
            const int scale = t.type == adtype::Currency ? 4 : t.scale;
            const int precision = t.type == adtype::Currency ? 19 : t.precision;
            const double f = std::pow(10.0, scale);
            const double v = std::nearbyint(*n * f) / f;
            if (std::fabs(v) >= std::pow(10.0, precision - scale)) return ConvertResult::Mismatch;
            if (v == std::floor(v) && std::fabs(v) < 9.0e15)
                out = sql::Value::integer(static_cast<int64_t>(v));
            else
                out = sql::Value::real(v);
            return ConvertResult::Ok;
        }
        case adtype::Date: {
            std::optional<std::string> d;
            if (in.kind == K::Text) d = parseDate(in.s);
            else if (in.kind == K::Integer) d = dateFromOle(static_cast<double>(in.i));
            else if (in.kind == K::Real) d = dateFromOle(in.r);
            if (!d) return ConvertResult::Mismatch;
            out = sql::Value::text(*d);
            return ConvertResult::Ok;
        }
        case adtype::GUID: {
            std::optional<std::string> g;
            if (in.kind == K::Text) g = normalizeGuid(in.s);
            if (!g) return ConvertResult::Mismatch;
            out = sql::Value::text(*g);
            return ConvertResult::Ok;
        }
        case adtype::Binary:
        case adtype::VarBinary:
        case adtype::LongVarBinary: {
            if (in.kind != K::Blob && in.kind != K::Text) return ConvertResult::Mismatch;
            if (t.type != adtype::LongVarBinary && in.s.size() > static_cast<size_t>(t.size))
                return ConvertResult::TooLong;
            out = sql::Value::blob(in.s);
            return ConvertResult::Ok;
        }
        default: {  // text types
            std::string s = in.kind == K::Integer || in.kind == K::Real ? numberText(in) : in.s;
            if ((t.type == adtype::VarWChar || t.type == adtype::WChar) &&
                utf8Length(s) > static_cast<size_t>(t.size))
                return ConvertResult::TooLong;
            out = sql::Value::text(std::move(s));
            return ConvertResult::Ok;
        }
    }
}

void registerFunctions(sqlite3* db) {
    sqlite3_create_function_v2(db, "jet_convert", 8, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               jetConvert, nullptr, nullptr, nullptr);
}

}  // namespace jet::store
