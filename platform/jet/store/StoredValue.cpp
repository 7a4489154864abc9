#include "jet/store/StoredValue.h"

#include <cmath>
#include <limits>
#include <variant>

#include "jet/Types.h"
#include "jet/statement/Convert.h"

namespace jet::store {

namespace {

// CURRENCY and DECIMAL values: integers while whole and exact, else reals.
sql::Value storedNumber(double v) {
    if (v == std::floor(v) && std::fabs(v) < 9.0e15)
        return sql::Value::integer(static_cast<int64_t>(v));
    return sql::Value::real(v);
}

sql::Value fromSqlite(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            return sql::Value::integer(sqlite3_value_int64(v));
        case SQLITE_FLOAT:
            return sql::Value::real(sqlite3_value_double(v));
        case SQLITE_TEXT: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
            return sql::Value::text(std::string(p, static_cast<size_t>(sqlite3_value_bytes(v))));
        }
        case SQLITE_BLOB: {
            const auto* p = static_cast<const char*>(sqlite3_value_blob(v));
            const auto n = static_cast<size_t>(sqlite3_value_bytes(v));
            return sql::Value::blob(p ? std::string(p, n) : std::string());
        }
        default:
            return sql::Value::null();
    }
}

void jetConvert(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc != 8) return;
    statement::Target t;
    t.type = sqlite3_value_int(argv[1]);
    t.size = sqlite3_value_int(argv[2]);
    t.precision = static_cast<uint8_t>(sqlite3_value_int(argv[3]));
    t.scale = static_cast<uint8_t>(sqlite3_value_int(argv[4]));
    const int mode = sqlite3_value_int(argv[5]);
    FieldValue converted;
    const auto r = statement::convertValue(fromStored(fromSqlite(argv[0])), t, converted);
    if (r != statement::ConvertResult::Ok) {
        std::string msg;
        if (mode == 0) {
            const auto* col = reinterpret_cast<const char*>(sqlite3_value_text(argv[6]));
            const auto* type = reinterpret_cast<const char*>(sqlite3_value_text(argv[7]));
            msg = sql::errorMarker(Err::ConversionFailed, {col ? col : "", type ? type : ""});
        } else {
            msg = sql::errorMarker(r == statement::ConvertResult::TooLong ? Err::FieldTooSmall
                                                                          : Err::DataTypeMismatch);
        }
        sqlite3_result_error(ctx, msg.c_str(), static_cast<int>(msg.size()));
        return;
    }
    const sql::Value out = toStored(std::move(converted));
    switch (out.kind) {
        case sql::Value::Kind::Null:
            sqlite3_result_null(ctx);
            break;
        case sql::Value::Kind::Integer:
            sqlite3_result_int64(ctx, out.i);
            break;
        case sql::Value::Kind::Real:
            sqlite3_result_double(ctx, out.r);
            break;
        case sql::Value::Kind::Text:
            sqlite3_result_text(ctx, out.s.data(), static_cast<int>(out.s.size()),
                                SQLITE_TRANSIENT);
            break;
        case sql::Value::Kind::Blob:
            sqlite3_result_blob(ctx, out.s.data(), static_cast<int>(out.s.size()),
                                SQLITE_TRANSIENT);
            break;
    }
}

}  // namespace

FieldValue fromStored(sql::Value v) {
    switch (v.kind) {
        case sql::Value::Kind::Integer: {
            if (v.i >= std::numeric_limits<int32_t>::min() &&
                v.i <= std::numeric_limits<int32_t>::max())
                return static_cast<int32_t>(v.i);
            Decimal d;
            d.negative = v.i < 0;
            // The magnitude of the most negative integer is 2^63, which fits.
            const uint64_t m =
                d.negative ? 0 - static_cast<uint64_t>(v.i) : static_cast<uint64_t>(v.i);
            d.low = static_cast<uint32_t>(m);
            d.middle = static_cast<uint32_t>(m >> 32);
            return d;
        }
        case sql::Value::Kind::Real:
            return v.r;
        case sql::Value::Kind::Text:
            return std::move(v.s);
        case sql::Value::Kind::Blob:
            return Binary{std::move(v.s)};
        case sql::Value::Kind::Null:
            break;
    }
    return std::monostate{};
}

sql::Value toStored(FieldValue value) {
    struct Visit {
        sql::Value operator()(std::monostate) const { return sql::Value::null(); }
        sql::Value operator()(bool b) const { return sql::Value::integer(b ? -1 : 0); }
        sql::Value operator()(uint8_t v) const { return sql::Value::integer(v); }
        sql::Value operator()(int16_t v) const { return sql::Value::integer(v); }
        sql::Value operator()(int32_t v) const { return sql::Value::integer(v); }
        sql::Value operator()(const Currency& c) const {
            return storedNumber(static_cast<double>(c.units) / 10000.0);
        }
        sql::Value operator()(float v) const { return sql::Value::real(static_cast<double>(v)); }
        sql::Value operator()(double v) const { return sql::Value::real(v); }
        sql::Value operator()(const DateTime& d) const {
            const auto text = statement::dateText(d);
            return text ? sql::Value::text(*text) : sql::Value::null();
        }
        sql::Value operator()(std::string& s) const { return sql::Value::text(std::move(s)); }
        sql::Value operator()(Binary& b) const { return sql::Value::blob(std::move(b.bytes)); }
        sql::Value operator()(const Guid& g) const {
            return sql::Value::text(statement::guidText(g));
        }
        sql::Value operator()(const Decimal& d) const {
            return storedNumber(statement::decimalValue(d));
        }
    };
    return std::visit(Visit{}, value);
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

void registerFunctions(sqlite3* db) {
    sqlite3_create_function_v2(db, "jet_convert", 8, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               jetConvert, nullptr, nullptr, nullptr);
}

}  // namespace jet::store
