#pragma once
// The index oracle: an index's entries rebuilt from its table's rows against
// the leaf entries Access wrote, for every real index of every table of a file
// (system tables too), read through the codec.
#include <string>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/file/IndexKey.h"
#include "jet/file/PageFile.h"

namespace jet::file::testing {

struct IndexCheck {
    std::string table;
    std::string index;     // the logical index names, joined
    size_t entries = 0;    // entries compared
    bool skipped = false;  // a key the encoder does not claim
    std::string reason;    // why it was skipped, or how it differs
    bool matched = false;
};
[[nodiscard]] std::vector<IndexCheck> checkIndexes(const PageFile& file);

// One row's entry of one index, its key written whenever the encoder has
// codes for it (claimed or not), against the file's entry for the same row.
struct EntryCheck {
    std::string table;
    std::vector<std::pair<SortOrder, std::u16string>> texts;  // the key's text values
    bool descending = false;                                  // a descending text column
    bool matched = false;
    std::string difference;
};
[[nodiscard]] std::vector<EntryCheck> checkEntries(const PageFile& file);

// A value as the oracle reports it: text with characters past ASCII as <U+XXXX>.
[[nodiscard]] std::string describe(const FieldValue& value);
[[nodiscard]] std::string hex(const std::vector<uint8_t>& bytes);

}  // namespace jet::file::testing
