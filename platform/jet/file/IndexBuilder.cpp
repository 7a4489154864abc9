#include "jet/file/IndexBuilder.h"

#include <algorithm>

#include "jet/file/FormatError.h"

namespace jet::file {

using namespace indexpage;

namespace {

constexpr uint8_t kUniqueFlag = 0x01;
constexpr uint8_t kIgnoreNullsFlag = 0x02;
constexpr uint8_t kRequiredFlag = 0x08;
// Byte 26 of every intermediate page Access wrote that was measured; its
// meaning is not known.
constexpr uint8_t kIntermediateFlags = 0x01;

size_t commonPrefix(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    const size_t n = std::min(a.size(), b.size());
    size_t k = 0;
    while (k < n && a[k] == b[k]) ++k;
    return k;
}

// The prefix length Access gives a page: none while the entries fit whole,
// else everything the first and last entries share (entries are sorted, so
// every entry shares it).
struct Fit {
    bool fits = false;
    size_t prefix = 0;
};
Fit fitOf(const format::Layout& layout, size_t wholeSize, size_t count,
          const std::vector<uint8_t>& first, const std::vector<uint8_t>& last) {
    const size_t space = entrySpace(layout);
    if (wholeSize <= space) return {true, 0};
    const size_t prefix = std::min(commonPrefix(first, last), maxPrefix(layout));
    return {wholeSize - prefix * (count - 1) <= space, prefix};
}

struct Level {
    std::vector<std::vector<IndexEntry>> pages;
    std::vector<uint16_t> prefixes;
};

Level packEntries(std::span<const IndexEntry> entries, bool leaf, const format::Layout& layout) {
    std::vector<std::vector<uint8_t>> bytes;
    bytes.reserve(entries.size());
    for (const IndexEntry& e : entries) bytes.push_back(leaf ? e.leafBytes() : e.nodeBytes());
    Level level;
    size_t at = 0;
    for (const IndexBuilder::PageShape& shape : IndexBuilder::pack(bytes, layout)) {
        level.pages.emplace_back(entries.begin() + static_cast<ptrdiff_t>(at),
                                 entries.begin() + static_cast<ptrdiff_t>(at + shape.count));
        level.prefixes.push_back(shape.prefixLength);
        at += shape.count;
    }
    return level;
}

bool allNull(const IndexRow& row) {
    return std::all_of(row.values.begin(), row.values.end(),
                       [](const FieldValue& v) { return isNull(v); });
}
bool anyNull(const IndexRow& row) {
    return std::any_of(row.values.begin(), row.values.end(),
                       [](const FieldValue& v) { return isNull(v); });
}

}  // namespace

IndexRules IndexRules::fromFlags(uint8_t flags, bool primaryKey) {
    IndexRules r;
    r.unique = primaryKey || (flags & kUniqueFlag) != 0;
    r.ignoreNulls = (flags & kIgnoreNullsFlag) != 0;
    r.required = primaryKey || (flags & kRequiredFlag) != 0;
    return r;
}

std::vector<IndexEntry> IndexBuilder::entries(std::span<const KeyColumn> columns,
                                              std::span<const IndexRow> rows,
                                              const IndexRules& rules) {
    struct Keyed {
        IndexEntry entry;
        std::vector<uint8_t> bytes;
        bool anyNull = false;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (const IndexRow& row : rows) {
        if (row.values.size() != columns.size())
            throw FormatError("index: a row has the wrong number of key values");
        if (row.page > 0xFFFFFF)
            throw FormatError("index: a row's page is past what an entry can point at");
        const bool nulls = allNull(row);
        if (nulls && rules.ignoreNulls) continue;
        if (rules.required && anyNull(row))
            throw KeyViolation(Err::IndexNullNotAllowed, "index: a key column of a row is null");
        Keyed k;
        k.entry.key = IndexKey::encode(columns, row.values);
        k.entry.dataPage = row.page;
        k.entry.dataRow = row.row;
        k.bytes = k.entry.leafBytes();
        k.anyNull = anyNull(row);
        keyed.push_back(std::move(k));
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const Keyed& a, const Keyed& b) { return a.bytes < b.bytes; });
    std::vector<IndexEntry> out;
    out.reserve(keyed.size());
    for (size_t i = 0; i < keyed.size(); ++i) {
        if (i > 0 && keyed[i].bytes == keyed[i - 1].bytes)
            throw FormatError("index: two entries point at the same row");
        // Jet compares only the key bytes, so texts that differ in case
        // collide too; a row with a null in a key column collides with none
        // (equal keys have their nulls in the same columns).
        if (rules.unique && !out.empty() && !keyed[i].anyNull &&
            keyed[i].entry.key == out.back().key)
            throw KeyViolation(Err::DuplicateValues, "index: two rows have the same key");
        out.push_back(std::move(keyed[i].entry));
    }
    return out;
}

std::vector<IndexBuilder::PageShape> IndexBuilder::pack(
    std::span<const std::vector<uint8_t>> entryBytes, const format::Layout& layout) {
    const size_t space = entrySpace(layout);
    std::vector<PageShape> shapes;
    size_t first = 0;
    size_t whole = 0;
    size_t prefix = 0;
    for (size_t i = 0; i < entryBytes.size(); ++i) {
        const size_t n = entryBytes[i].size();
        if (n > space) throw FormatError("index: an entry is longer than a page holds");
        if (i > first) {
            const Fit fit =
                fitOf(layout, whole + n, i - first + 1, entryBytes[first], entryBytes[i]);
            if (fit.fits) {
                whole += n;
                prefix = fit.prefix;
                continue;
            }
            shapes.push_back({i - first, static_cast<uint16_t>(prefix)});
        }
        first = i;
        whole = n;
        prefix = 0;
    }
    if (!entryBytes.empty())
        shapes.push_back({entryBytes.size() - first, static_cast<uint16_t>(prefix)});
    return shapes;
}

BuiltIndex IndexBuilder::build(std::span<const IndexEntry> sorted, uint32_t owner,
                               const std::function<uint32_t()>& allocate,
                               const format::Layout& layout) {
    for (size_t i = 1; i < sorted.size(); ++i)
        if (!entryLess(sorted[i - 1], sorted[i]))
            throw FormatError("index: entries to build are not sorted");

    // Levels from the leaves up. Above the leaves, every page but the last
    // gets an entry (its last entry and the page); the last leaf is the tail,
    // which the intermediate pages name instead. Higher levels point at every
    // page below them.
    std::vector<Level> levels;
    levels.push_back(packEntries(sorted, true, layout));
    if (levels[0].pages.empty()) {
        levels[0].pages.emplace_back();
        levels[0].prefixes.push_back(0);
    }
    while (levels.back().pages.size() > 1) {
        const Level& below = levels.back();
        const bool aboveLeaves = levels.size() == 1;
        const size_t count = aboveLeaves ? below.pages.size() - 1 : below.pages.size();
        std::vector<IndexEntry> up;
        for (size_t i = 0; i < count; ++i) up.push_back(below.pages[i].back());
        levels.push_back(packEntries(up, false, layout));
    }

    // Page numbers top down, left to right, as Access numbers a built index.
    std::vector<std::vector<uint32_t>> numbers(levels.size());
    for (size_t l = levels.size(); l-- > 0;)
        for (size_t i = 0; i < levels[l].pages.size(); ++i) numbers[l].push_back(allocate());

    BuiltIndex built;
    built.root = numbers.back().front();
    for (size_t i = 0; i < sorted.size(); ++i)
        if (i == 0 || sorted[i].key != sorted[i - 1].key) ++built.distinctKeys;
    const uint32_t tailLeaf = numbers[0].back();
    for (size_t l = levels.size(); l-- > 0;) {
        const Level& level = levels[l];
        size_t child = 0;  // the first page below this page's first entry
        for (size_t i = 0; i < level.pages.size(); ++i) {
            IndexPage page;
            page.layout = &layout;
            page.type = l == 0 ? Leaf : Intermediate;
            page.owner = owner;
            page.prev = i > 0 ? numbers[l][i - 1] : 0;
            page.next = i + 1 < level.pages.size() ? numbers[l][i + 1] : 0;
            // The rightmost intermediate page of each level leads to the tail.
            page.tail = (l > 0 && i + 1 == level.pages.size()) ? tailLeaf : 0;
            page.flags = l > 0 ? kIntermediateFlags : 0;
            page.prefixLength = level.prefixes[i];
            page.entries = level.pages[i];
            if (l > 0)
                for (IndexEntry& e : page.entries) e.child = numbers[l - 1][child++];
            else
                for (IndexEntry& e : page.entries) e.child = 0;
            built.pages.emplace_back(numbers[l][i], page.encode());
        }
    }
    return built;
}

}  // namespace jet::file
