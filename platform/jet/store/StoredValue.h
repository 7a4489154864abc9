#pragma once
// Values of Jet types as a store database keeps them in SQLite, and the
// provider's SQL function that converts them by the shared rules
// (jet/statement/Convert.h). Storage: YESNO (-1/0), BYTE, SMALLINT, INTEGER
// as SQLite integers; SINGLE, DOUBLE as reals; CURRENCY and DECIMAL as numbers
// rounded to their scale (integers when whole and below 9e15); DATETIME as
// text "YYYY-MM-DD HH:MM:SS"; TEXT, CHAR, MEMO and GUID
// ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}") as text; binary types as blobs.
#include <sqlite3.h>

#include <string_view>

#include "jet/FieldValue.h"
#include "jet/store/Sqlite.h"

namespace jet::store {

// A stored value as the conversion rules read it. SQLite keeps no Jet type
// with a value: integers read as INTEGER (beyond 32 bits as a whole DECIMAL),
// reals as DOUBLE, text as text (a stored date or GUID is read from its
// text), blobs as binary.
[[nodiscard]] FieldValue fromStored(sql::Value value);
// The stored form of a value.
[[nodiscard]] sql::Value toStored(FieldValue value);

// The declared SQLite type of a column of the given ADO type.
[[nodiscard]] std::string_view sqlType(int32_t adoType);

// Registers the provider's SQL functions on a connection:
//   jet_convert(value, type, size, precision, scale, mode, column, typeText)
// gives the stored form or fails with a marker error: mode 0 (changing a
// column) Err::ConversionFailed naming column and type text; mode 1 (rows
// written) Err::DataTypeMismatch or Err::FieldTooSmall.
void registerFunctions(sqlite3* db);

}  // namespace jet::store
