#pragma once
// Stored values of Jet types in a store database, and the conversions between
// them. Storage: YESNO (-1/0), BYTE, SMALLINT, INTEGER as SQLite integers;
// SINGLE, DOUBLE as reals; CURRENCY and DECIMAL as numbers rounded to their
// scale; DATETIME as text "YYYY-MM-DD HH:MM:SS"; TEXT, CHAR, MEMO and GUID
// ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}") as text; binary types as blobs.
#include <optional>
#include <string>
#include <string_view>

#include <sqlite3.h>

#include "jet/store/Sqlite.h"

namespace jet::store {

struct Target {
    int32_t type = 0;
    int32_t size = 0;
    uint8_t precision = 0;
    uint8_t scale = 0;
};

enum class ConvertResult { Ok, Mismatch, TooLong };

// Converts `in` to the stored form of `target`; NULL stays NULL.
[[nodiscard]] ConvertResult convertValue(const sql::Value& in, const Target& target,
                                         sql::Value& out);

// A Jet date text ("2024-03-01", "3/1/2024 10:30:00 PM", "10:30", …) as the
// stored form; nullopt when it does not read as a date.
[[nodiscard]] std::optional<std::string> parseDate(std::string_view text);

// The declared SQLite type of a column of the given ADO type.
[[nodiscard]] std::string_view sqlType(int32_t adoType);

// Registers the provider's SQL functions on a connection:
//   jet_convert(value, type, size, precision, scale, mode, column, typeText)
// gives the stored form or fails with a marker error: mode 0 (changing a
// column) Err::ConversionFailed naming column and type text; mode 1 (rows
// written) Err::DataTypeMismatch or Err::FieldTooSmall.
void registerFunctions(sqlite3* db);

}  // namespace jet::store
