#pragma once
// Jet's conversion of one value to a column's type: what ALTER COLUMN does to
// every value of the column, and what a value written to a column goes
// through. Every provider converts with these rules, so that a statement
// gives the same rows, and fails on the same rows, whatever stores them.
//
// A value converts as what it stands for:
// - YESNO is -1 (true) or 0; BYTE, SMALLINT, INTEGER, SINGLE, DOUBLE,
//   CURRENCY and DECIMAL are their numbers; DATETIME is its days (to a
//   number) or its text "YYYY-MM-DD HH:MM:SS"; a GUID is its text
//   "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; binary values are their bytes.
// - Text reads as a number (blanks around it allowed), as true / yes / on
//   (-1) and false / no / off (0), or in the form "YYYY-MM-DD HH:MM:SS" as
//   that date's days; other text is no number.
// To a target:
// - YESNO: any number, non-zero being true. BYTE, SMALLINT, INTEGER: the
//   number rounded to the nearest whole one (halves to even), Mismatch
//   outside the type's range. SINGLE: Mismatch beyond its range. CURRENCY:
//   rounded to 4 decimal places; DECIMAL(p,s) to s places; Mismatch when more
//   than p - s digits stand before the point (CURRENCY: 15, and its 64-bit
//   range).
// - DATETIME: text read by parseDate, or a number of days; Mismatch outside
//   the years 100 to 9999.
// - GUID: text of 32 hexadecimal digits, in braces or not, grouped by dashes
//   8-4-4-4-12 or not at all.
// - BINARY(n), VARBINARY(n), OLEOBJECT: binary values and the bytes of text;
//   TooLong beyond n bytes (OLEOBJECT has no limit).
// - TEXT(n), CHAR(n), MEMO: numbers as text (whole ones in full, others to 15
//   significant digits), dates and GUIDs as their text, binary values byte for
//   byte; TooLong beyond n characters (MEMO has no limit).
// Anything else is a Mismatch (a GUID or binary value to a number, say).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "jet/FieldValue.h"

namespace jet::statement {

// A column's type as a conversion's target (ADO type code and the sizes of
// the definition).
struct Target {
    int32_t type = 0;
    int32_t size = 0;  // TEXT(n), CHAR(n), BINARY(n), VARBINARY(n)
    uint8_t precision = 0;
    uint8_t scale = 0;
};

enum class ConvertResult { Ok, Mismatch, TooLong };

// Converts `in` to the value the target's type holds: the FieldValue
// alternative of that type (bool, uint8_t, int16_t, int32_t, Currency, float,
// double, DateTime, Guid, Decimal with the target's scale, Binary, or
// std::string for the text types). Null stays null. `out` is set only when
// the result is Ok.
[[nodiscard]] ConvertResult convertValue(const FieldValue& in, const Target& target,
                                         FieldValue& out);

// A Jet date text: "2024-03-01", "2024/03/01", "3/1/2024" (month first; a
// two-digit year below 30 is 20xx, else 19xx), each with an optional time
// "10:30", "10:30:15", "10:30 PM" (after a blank or "T"), or a time alone
// (on 1899-12-30); blanks around it allowed. nullopt when it is no such date,
// or no day of the years 100 to 9999.
[[nodiscard]] std::optional<DateTime> parseDate(std::string_view text);

// A date as "YYYY-MM-DD HH:MM:SS", to the nearest second; nullopt outside
// the years 100 to 9999 (and for a value that is no number).
[[nodiscard]] std::optional<std::string> dateText(DateTime date);

// A GUID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper case), and back
// from any of the forms a conversion to GUID reads; nullopt for other text.
[[nodiscard]] std::string guidText(const Guid& guid);
[[nodiscard]] std::optional<Guid> parseGuid(std::string_view text);

// A DECIMAL's value as the nearest double.
[[nodiscard]] double decimalValue(const Decimal& d);

}  // namespace jet::statement
