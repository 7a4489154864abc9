#pragma once
// The index oracle: an index's entries rebuilt from its table's rows against
// the leaf entries Access wrote, for every real index of every table of a file.
#include <filesystem>
#include <string>
#include <vector>

#include "FixtureReader.h"
#include "jet/file/IndexBuilder.h"

namespace jet::file::testing {

struct IndexCheck {
    std::string table;
    std::string index;     // the logical index names, joined
    size_t entries = 0;    // entries compared
    bool skipped = false;  // a key the encoder does not claim
    std::string reason;    // why it was skipped, or how it differs
    bool matched = false;
};

[[nodiscard]] std::vector<KeyColumn> keyColumns(const FixtureTable& table,
                                                const FixtureIndex& index);
[[nodiscard]] std::vector<IndexRow> indexRows(const FixtureTable& table, const FixtureIndex& index);
[[nodiscard]] std::vector<IndexCheck> checkIndexes(const FixtureFile& file);

// One row's entry of one index, its key written whenever the encoder has
// codes for it (claimed or not), against the file's entry for the same row.
struct EntryCheck {
    std::string table;
    std::vector<std::pair<SortOrder, std::u16string>> texts;  // the key's text values
    bool descending = false;                                  // a descending text column
    bool matched = false;
    std::string difference;
};
[[nodiscard]] std::vector<EntryCheck> checkEntries(const FixtureFile& file);

// Every Jet 4 file of the fixtures folder (empty when it is missing).
[[nodiscard]] std::vector<std::filesystem::path> jet4Fixtures();

// Text as the oracle reports it: UTF-8 with characters past ASCII as U+XXXX.
[[nodiscard]] std::string describe(const FieldValue& value);
[[nodiscard]] std::string hex(const std::vector<uint8_t>& bytes);

}  // namespace jet::file::testing
