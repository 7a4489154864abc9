#pragma once
// Just enough of a Jet 4 reader for the index tests: a file's tables (from
// MSysObjects), their columns and real indexes, and their rows with row ids.
// It reads the whole file (fixtures are small) and trusts it; the codec's own
// TableReader replaces it once that is in.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/file/IndexKey.h"
#include "jet/file/IndexPage.h"

namespace jet::file::testing {

struct FixtureColumn {
    std::string name;
    uint8_t type = 0;
    uint16_t number = 0;  // as the null mask and index definitions count
    uint16_t varIndex = 0;
    uint16_t fixedOffset = 0;
    uint16_t length = 0;
    uint8_t flags = 0;  // 0x01: fixed length
    SortOrder sortOrder{};
    uint8_t scale = 0;
};

struct FixtureIndex {
    std::vector<std::pair<uint16_t, bool>> columns;  // column number, ascending
    uint32_t usageMap = 0;                           // row pointer: page << 8 | row
    uint32_t firstPage = 0;
    uint8_t flags = 0;
    bool primaryKey = false;         // a logical index of type 1 uses it
    std::vector<std::string> names;  // logical indexes using it
};

struct FixtureRow {
    uint32_t page = 0;
    uint8_t row = 0;
    std::map<uint16_t, FieldValue> values;  // by column number; absent means null
};

struct FixtureTable {
    std::string name;
    uint32_t definitionPage = 0;
    uint32_t rowCount = 0;
    std::vector<FixtureColumn> columns;
    std::vector<FixtureIndex> indexes;
    std::vector<FixtureRow> rows;
    [[nodiscard]] const FixtureColumn* column(uint16_t number) const;
};

class FixtureFile {
public:
    explicit FixtureFile(const std::string& path);
    [[nodiscard]] uint32_t pageCount() const {
        return static_cast<uint32_t>(bytes_.size() / indexpage::kPageSize);
    }
    [[nodiscard]] std::vector<uint8_t> page(uint32_t n) const;
    [[nodiscard]] PageSource pages() const;
    [[nodiscard]] SortOrder sortOrder() const { return sortOrder_; }

    // Every table MSysObjects lists (system tables included), rows read.
    [[nodiscard]] std::vector<FixtureTable> tables() const;
    [[nodiscard]] FixtureTable table(uint32_t definitionPage, const std::string& name) const;

private:
    std::vector<uint8_t> bytes_;
    SortOrder sortOrder_{};
};

}  // namespace jet::file::testing
