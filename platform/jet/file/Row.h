#pragma once
// A table row's bytes to and from field values, by the table's definition
// (and its layout: Jet 3 keeps counts and offsets in single bytes, with a jump
// table for rows past 256 bytes). Layout: a 16-bit column count, the fixed area (each fixed column
// at its offset), the variable area, then from the end backwards: the null mask (one bit per column
// number, set when not null; a boolean's value is its bit), the count of variable offsets, the
// offsets themselves (last first) and the offset where the variable area ends. A row may hold fewer
// columns than its definition (columns added later read as null); data of dropped columns is still
// there and is ignored.
#include <cstdint>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/file/Bytes.h"
#include "jet/file/LongValue.h"
#include "jet/file/PageFile.h"
#include "jet/file/TableDefinition.h"

namespace jet::file {

// The most bytes one Jet 4 row may take (a definition's layout has its own).
inline constexpr size_t kMaxRowSize = format::kJet4.maxRowSize;

// The parts of a row as stored.
struct RowLayout {
    uint16_t columnCount = 0;
    uint16_t variableCount = 0;
    uint16_t variableEnd = 0;               // where the variable area ends
    std::vector<uint16_t> variableOffsets;  // by variable slot
    size_t nullMaskOffset = 0;
    [[nodiscard]] bool notNull(ByteSpan row, uint16_t columnNumber) const;
};

// Throws FormatError when the row's counts and offsets do not fit its bytes.
[[nodiscard]] RowLayout readRowLayout(const TableDefinition& def, ByteSpan row);

// The row's values, one per column of def.columns (in that order). Long values
// are read from `file`. Throws FormatError on damage.
[[nodiscard]] std::vector<jet::FieldValue> decodeRow(const TableDefinition& def, ByteSpan row,
                                                     const PageFile& file);

// The bytes of a row holding `values` (one per column of def.columns), laid
// out as Access lays a new row: every column of max columns in the mask and
// the count, the fixed area up to its last column, variable data in slot order.
// Long values go inline or through `longValues` (which may be null when the
// table has no long value to write). Throws FormatError when a value does not
// suit its column (wrong type, too long, a text the file's code page cannot
// hold) or the row grows past the layout's maxRowSize.
[[nodiscard]] Bytes encodeRow(const TableDefinition& def,
                              const std::vector<jet::FieldValue>& values,
                              LongValueWriter* longValues);

// The value kind a column of `type` reads as (the index of the FieldValue
// alternative); Binary for types this codec does not know.
[[nodiscard]] size_t fieldKindOf(uint8_t type);

}  // namespace jet::file
