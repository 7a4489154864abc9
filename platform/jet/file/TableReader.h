#pragma once
// A table's rows in page order: the pages of the table's owned-pages map that
// are data pages owned by its definition, each page's rows in row order, with
// deleted rows skipped and overflow pointers followed to the row's data.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/file/Bytes.h"
#include "jet/file/PageFile.h"
#include "jet/file/TableDefinition.h"
#include "jet/file/UsageMap.h"

namespace jet::file {

// A row id: the page of the row's slot in the upper 24 bits, its row number
// in the lower 8 (what index entries point to).
[[nodiscard]] inline uint32_t makeRowId(uint32_t page, uint8_t row) { return page << 8 | row; }

struct TableRow {
    uint32_t rowId = 0;
    ByteSpan bytes;  // valid during the callback only
};

class TableReader {
public:
    // Reads the owned-pages map. Throws FormatError when it cannot be read.
    TableReader(const PageFile& file, const TableDefinition& def);

    // The pages of the owned-pages map, ascending.
    [[nodiscard]] const std::vector<uint32_t>& ownedPages() const { return owned_.pages(); }
    // Owned pages that hold this table's rows. Throws FormatError for an
    // owned page past the end of the file.
    [[nodiscard]] std::vector<uint32_t> dataPages() const;

    // The live rows, counted from the pages' slots alone (a moved row counts
    // at its slot, once), stopping once `atMost` are found.
    [[nodiscard]] size_t countRows(size_t atMost = SIZE_MAX) const;

    // Calls `visit` for every live row in page order. Throws FormatError on a
    // damaged page or an overflow pointer to no row (or a loop of them).
    void forEachRow(const std::function<void(const TableRow&)>& visit) const;
    // The same, decoded.
    void forEachValues(const std::function<void(uint32_t rowId,
                                                const std::vector<jet::FieldValue>&)>& visit) const;
    // Every row, decoded, with its id.
    [[nodiscard]] std::vector<std::pair<uint32_t, std::vector<jet::FieldValue>>> readAll() const;

private:
    const PageFile& file_;
    const TableDefinition& def_;
    UsageMap owned_;
};

}  // namespace jet::file
