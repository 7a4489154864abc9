#pragma once
#include <cstdint>
#include <string>

namespace script::MFunctions {

// The Jet SQL data type text of a column (TEXT(50), COUNTER, DECIMAL(18,4), …)
// for an ADO type code; the empty text for a code Jet SQL has no type for.
// With `autoIncrement` on code 3 the type is COUNTER, and with
// `includeIncrementAndSeed` too it is COUNTER(seed,increment).
[[nodiscard]] std::string ColumnTypeDdl(int16_t type, int32_t definedSize,
                                        bool includeIncrementAndSeed, bool autoIncrement,
                                        int32_t increment, int32_t seed, uint8_t numericScale,
                                        uint8_t precision);

}  // namespace script::MFunctions
