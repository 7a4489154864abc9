#pragma once
// Builds a whole index from a table's rows: the entries sorted and checked
// against the index's rules, then packed into new leaf pages and the
// intermediate levels above them as Access lays out an index it builds in
// one go (a compact): leaves filled in key order while the next entry fits,
// a shared prefix only on pages that need it to hold their entries, the last
// leaf kept as the index's tail with no entry above it.
//
// The pages come back as images for page numbers the caller hands out; the
// caller stores the first page in the index's definition and the pages in the
// index's usage map.
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <vector>

#include "jet/ErrorCodes.h"
#include "jet/FieldValue.h"
#include "jet/file/IndexKey.h"
#include "jet/file/IndexPage.h"

namespace jet::file {

// What an index allows, from the flags byte of its definition (0x01 unique,
// 0x02 ignore nulls, 0x08 required) and whether it backs a primary key.
struct IndexRules {
    bool unique = false;       // no two rows share a key; a row with a null shares none
    bool ignoreNulls = false;  // rows whose key columns are all null get no entry
    bool required = false;     // no key column may be null
    [[nodiscard]] static IndexRules fromFlags(uint8_t flags, bool primaryKey);
};

// A row's values in the index's column order, and where the row is.
struct IndexRow {
    uint32_t page = 0;
    uint8_t row = 0;
    std::vector<FieldValue> values;
};

// A row the index's rules refuse; `error()` is Jet's error for it
// (duplicate values, or a null in an index that allows none).
class KeyViolation : public std::runtime_error {
public:
    KeyViolation(Err error, const std::string& what) : std::runtime_error(what), error_(error) {}
    [[nodiscard]] Err error() const { return error_; }

private:
    Err error_;
};

struct BuiltIndex {
    uint32_t root = 0;  // the index's first page
    // Entries with different keys: what Access keeps as the second number of
    // the index's 12-byte slot in the table definition (it matched on most
    // indexes measured; Access lets it go stale as rows change).
    uint32_t distinctKeys = 0;
    // Every page of the index with its bytes, in the order they were handed out.
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> pages;
};

class IndexBuilder {
public:
    // The leaf entries of `rows`, sorted as Jet sorts them. Throws KeyViolation
    // for a row the rules refuse and FormatError for a value the key cannot
    // encode. Provability of text keys is the caller's to check (canProve).
    [[nodiscard]] static std::vector<IndexEntry> entries(std::span<const KeyColumn> columns,
                                                         std::span<const IndexRow> rows,
                                                         const IndexRules& rules);

    // Sorted leaf entries packed into pages of the file's `layout` owned by
    // the definition page `owner`; `allocate` gives each new page its number
    // (the first page first, then the levels down to the leaves, left to
    // right). An index without entries is one empty leaf.
    [[nodiscard]] static BuiltIndex build(std::span<const IndexEntry> sorted, uint32_t owner,
                                          const std::function<uint32_t()>& allocate,
                                          const format::Layout& layout = format::kJet4);

    // How leaf entries fall into pages: the number of entries on each page
    // and its shared prefix length, as build() lays them out.
    struct PageShape {
        size_t count = 0;
        uint16_t prefixLength = 0;
    };
    [[nodiscard]] static std::vector<PageShape> pack(
        std::span<const std::vector<uint8_t>> entryBytes,
        const format::Layout& layout = format::kJet4);
};

}  // namespace jet::file
