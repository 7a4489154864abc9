#include "jet/file/Checker.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "jet/file/Digest.h"
#include "jet/file/FormatError.h"
#include "jet/file/IndexPage.h"
#include "jet/file/Row.h"
#include "jet/file/TableReader.h"
#include "jet/file/UsageMap.h"

namespace jet::file {

namespace {

constexpr uint8_t kDataPageType = 0x01;
constexpr uint8_t kAscendingOrder = 0x01;

std::string rowName(uint32_t rowId) {
    return "row " + std::to_string(rowId >> 8) + ":" + std::to_string(rowId & 0xFF);
}

bool longValuePage(const Bytes& page) {
    return page.size() >= 8 && page[4] == 'L' && page[5] == 'V' && page[6] == 'A' && page[7] == 'L';
}

// Two 64-bit hashes of an index entry (its key bytes and the row it points
// at), with different seeds.
std::pair<uint64_t, uint64_t> entryHash(std::span<const uint8_t> key, uint32_t rowId) {
    Digest d(0x9E3779B97F4A7C15ull ^ key.size(), 0xC2B2AE3D27D4EB4Full ^ key.size());
    size_t i = 0;
    for (; i + 8 <= key.size(); i += 8) {
        uint64_t w = 0;
        for (size_t k = 0; k < 8; ++k) w |= static_cast<uint64_t>(key[i + k]) << (8 * k);
        d.word(w);
    }
    uint64_t w = static_cast<uint64_t>(rowId) << 32 | 0x80;
    for (size_t k = 0; i + k < key.size(); ++k)
        w ^= static_cast<uint64_t>(key[i + k]) << (8 * (k + 1));
    d.word(w);
    return d.value();
}

// The entries of an index as a multiset, in constant memory: equal multisets
// give equal digests, and different ones the same digest by a chance too
// small to matter (two sums of 64-bit hashes), so the rows' entries can be
// compared with the index's without holding either.
class EntryDigest {
public:
    void add(std::span<const uint8_t> key, uint32_t rowId) {
        const auto [a, b] = entryHash(key, rowId);
        a_ += a;
        b_ += b;
        ++count_;
    }
    [[nodiscard]] uint64_t count() const { return count_; }
    friend bool operator==(const EntryDigest&, const EntryDigest&) = default;

private:
    uint64_t count_ = 0;
    uint64_t a_ = 0;
    uint64_t b_ = 0;
};

uint32_t rowIdOf(const IndexEntry& e) { return e.dataPage << 8 | e.dataRow; }

// Data pages marked used in the global map, by the definition page they name
// (long-value pages aside: they name no table).
using PagesByOwner = std::map<uint32_t, std::vector<uint32_t>>;

// What a baseline says of the whole file, worked out once: which pages
// changed, whose data pages they were, the original's global map.
struct Before {
    const PageFile& original;
    const std::vector<uint32_t>& changed;
    GlobalUsageMap global;
    std::set<uint32_t> changedOwners;  // tables an original data page of which changed
    bool longValuesChanged = false;    // an original long-value page changed

    Before(const PageFile& o, const std::vector<uint32_t>& c) : original(o), changed(c), global(o) {
        for (uint32_t n : changed) {
            if (n >= original.pageCount()) continue;
            const PageFile::PageRef page = original.page(n);
            if ((*page)[0] != kDataPageType) continue;
            if (longValuePage(*page))
                longValuesChanged = true;
            else
                changedOwners.insert(le32(page->data() + 4));
        }
    }
    [[nodiscard]] bool isChanged(uint32_t n) const {
        return std::binary_search(changed.begin(), changed.end(), n);
    }
    [[nodiscard]] bool wasUsed(uint32_t n) const {
        return n < original.pageCount() && !global.isFree(n, original);
    }
};

// With a baseline, only the pages that changed or came into use are read:
// every other page is the original's, with the owner it had.
PagesByOwner usedDataPages(const PageFile& file, const GlobalUsageMap& global,
                           const Before* before) {
    PagesByOwner out;
    const auto visit = [&](uint32_t n) {
        const PageFile::PageRef page = file.page(n);
        if ((*page)[0] != kDataPageType || longValuePage(*page) || global.isFree(n, file)) return;
        out[le32(page->data() + 4)].push_back(n);
    };
    if (!before) {
        for (uint32_t n = 0; n < file.pageCount(); ++n) visit(n);
        return out;
    }
    std::set<uint32_t> pages;
    for (uint32_t n : before->changed)
        if (n < file.pageCount()) pages.insert(n);
    for (uint32_t n = 0; n < file.pageCount(); ++n)
        if (!before->wasUsed(n) && !global.isFree(n, file)) pages.insert(n);
    for (uint32_t n : pages) visit(n);
    return out;
}

// Whether rows written under `was` read the same under `now`: every column
// both hold lies and decodes as it did, and every column `now` adds has a
// number no stored row holds (so it reads as null, or No).
bool readAlike(const TableDefinition& was, const TableDefinition& now) {
    if ((was.variableColumns == 0) != (now.variableColumns == 0)) return false;
    for (const ColumnDef& c : now.columns) {
        const ColumnDef* o = was.column(c.number);
        if (!o) {
            if (c.number < was.maxColumns) return false;
            continue;
        }
        if (o->type != c.type || o->flags != c.flags || o->extraFlags != c.extraFlags ||
            o->fixedOffset != c.fixedOffset || o->variableIndex != c.variableIndex ||
            o->length != c.length || o->misc != c.misc)
            return false;
    }
    return true;
}

bool primaryKeyOver(const TableDefinition& def, size_t position) {
    for (const LogicalIndex& l : def.logicalIndexes)
        if (l.realIndex == position && l.indexType == idxtype::PrimaryKey) return true;
    return false;
}

class TableCheck {
public:
    TableCheck(const PageFile& file, const CheckedTable& table, const GlobalUsageMap* global,
               const PagesByOwner* used, const Before* before, std::vector<Finding>& out)
        : file_(file), table_(table), global_(global), used_(used), before_(before), out_(out) {}

    void run();

private:
    void add(int64_t page, std::string what) {
        out_.push_back({table_.name, page, std::move(what)});
    }
    bool usedPage(uint32_t n) const { return !global_ || !global_->isFree(n, file_); }
    // One real index's part of the pass over the rows.
    struct RowsOfIndex {
        std::vector<KeyColumn> columns;
        std::vector<size_t> places;  // each key column's place in a row's values
        IndexRules rules;
        bool provable = true;
        EntryDigest rebuilt;  // the entries of the rows whose keys can be coded
        EntryDigest held;     // the rows the index holds, by id alone
        // Unique indexes: rows whose key has a null, which share no key.
        std::vector<uint32_t> nullKeyRows;
        std::string broken;  // the first rule the rows break
    };

    // The table as the baseline's original holds it.
    struct Original {
        TableDefinition def;
        std::vector<uint32_t> owned;
        bool rowsAlike = false;  // every row of the written file is the original's, read alike
    };

    void readOriginal(const TableReader& reader);
    [[nodiscard]] std::optional<std::vector<uint32_t>> keptIndexPages(size_t position) const;
    void checkKeptIndex(size_t position);
    void checkPages(const TableReader& reader);
    void readRows(const TableReader& reader);
    void addRow(RowsOfIndex& index, uint32_t rowId, const std::vector<FieldValue>& values);
    void checkIndex(size_t position);
    // Unique indexes whose keys cannot be proven: the rows' own keys are
    // searched for duplicates (a second pass, holding a hash per row).
    void findDuplicateKeys(const TableReader& reader);
    std::vector<uint8_t> pageBytes(uint32_t n) const {
        const PageFile::PageRef p = file_.page(n);
        return {p->begin(), p->end()};
    }

    const PageFile& file_;
    const CheckedTable& table_;
    const GlobalUsageMap* global_;
    const PagesByOwner* used_;
    const Before* before_;
    std::vector<Finding>& out_;
    TableDefinition def_;
    std::optional<Original> original_;
    std::vector<bool> kept_;              // parallel to def_.realIndexes: the original's index
    std::vector<RowsOfIndex> indexRows_;  // parallel to def_.realIndexes
    std::vector<uint8_t> key_;            // a key being coded
    bool allRowsRead_ = true;
};

void TableCheck::run() {
    try {
        def_ = TableDefinition::read(file_, table_.definitionPage);
    } catch (const FormatError& e) {
        add(e.page() >= 0 ? e.page() : table_.definitionPage,
            std::string("the definition cannot be read: ") + e.what());
        return;
    }
    std::optional<TableReader> reader;
    try {
        reader.emplace(file_, def_);
    } catch (const FormatError& e) {
        add(e.page(), std::string("the owned-pages map cannot be read: ") + e.what());
        return;
    }
    if (before_) readOriginal(*reader);
    kept_.assign(def_.realIndexes.size(), false);
    for (size_t i = 0; i < kept_.size(); ++i) kept_[i] = keptIndexPages(i).has_value();
    checkPages(*reader);
    readRows(*reader);
    for (size_t i = 0; i < def_.realIndexes.size(); ++i) {
        if (kept_[i])
            checkKeptIndex(i);
        else
            checkIndex(i);
    }
}

void TableCheck::readOriginal(const TableReader& reader) {
    const uint32_t page = table_.definitionPage;
    if (page >= before_->original.pageCount()) return;  // a table the writing made
    Original o;
    try {
        o.def = TableDefinition::read(before_->original, page);
        o.owned = UsageMap::read(before_->original, o.def.ownedPages).pages();
    } catch (const FormatError&) {
        return;
    }
    bool alike = reader.ownedPages() == o.owned && !before_->changedOwners.count(page) &&
                 readAlike(o.def, def_);
    for (uint32_t n : o.owned) alike = alike && !before_->isChanged(n);
    if (alike && before_->longValuesChanged)
        for (const ColumnDef& c : def_.columns) alike = alike && !isLongValueType(c.type);
    o.rowsAlike = alike;
    original_ = std::move(o);
}

// The pages of real index `position` when it is the original's: the same
// definition and rules over rows and key columns that read alike, on pages
// that did not change.
std::optional<std::vector<uint32_t>> TableCheck::keptIndexPages(size_t position) const {
    if (!original_ || !original_->rowsAlike) return std::nullopt;
    const RealIndex& index = def_.realIndexes[position];
    const TableDefinition& was = original_->def;
    for (size_t j = 0; j < was.realIndexes.size(); ++j) {
        const RealIndex& o = was.realIndexes[j];
        if (o.firstPage != index.firstPage || !(o.map == index.map) || o.columns != index.columns ||
            o.flags != index.flags)
            continue;
        const IndexRules a = IndexRules::fromFlags(index.flags, primaryKeyOver(def_, position));
        const IndexRules b = IndexRules::fromFlags(o.flags, primaryKeyOver(was, j));
        if (a.unique != b.unique || a.ignoreNulls != b.ignoreNulls || a.required != b.required)
            return std::nullopt;
        for (const IndexColumn& c : index.keyColumns())
            if (!def_.column(c.number)) return std::nullopt;
        try {
            std::vector<uint32_t> pages = UsageMap::read(file_, index.map).pages();
            if (pages != UsageMap::read(before_->original, o.map).pages()) return std::nullopt;
            for (uint32_t n : pages)
                if (before_->isChanged(n)) return std::nullopt;
            return pages;
        } catch (const FormatError&) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The original's index: its pages must still be in use.
void TableCheck::checkKeptIndex(size_t position) {
    const std::string name = "index " + std::to_string(position);
    const std::optional<std::vector<uint32_t>> pages = keptIndexPages(position);
    for (uint32_t n : pages.value_or(std::vector<uint32_t>{}))
        if (!usedPage(n)) add(n, name + ": a page is marked free in the global map");
}

void TableCheck::addRow(RowsOfIndex& index, uint32_t rowId, const std::vector<FieldValue>& values) {
    bool allNull = true, anyNull = false, codable = true;
    key_.clear();
    for (size_t c = 0; c < index.columns.size(); ++c) {
        const FieldValue& v = values.at(index.places[c]);
        allNull = allNull && isNull(v);
        anyNull = anyNull || isNull(v);
        if (!IndexKey::canProve(index.columns[c], v)) index.provable = false;
        if (!codable) continue;
        try {
            IndexKey::append(key_, index.columns[c], v);
        } catch (const FormatError&) {
            codable = false;
        }
    }
    if (!(allNull && index.rules.ignoreNulls)) index.held.add({}, rowId);
    // As IndexBuilder takes the rows whose keys it can code.
    if (!codable || (allNull && index.rules.ignoreNulls)) return;
    if (index.rules.required && anyNull && index.broken.empty())
        index.broken = "index: a key column of a row is null";
    if (index.rules.unique && anyNull) index.nullKeyRows.push_back(rowId);
    index.rebuilt.add(key_, rowId);
}

void TableCheck::checkPages(const TableReader& reader) {
    const std::vector<uint32_t>& owned = reader.ownedPages();
    for (uint32_t n : owned) {
        if (n >= file_.pageCount()) {
            add(n, "the owned-pages map names a page past the end of the file");
            continue;
        }
        // The original's own data pages, unchanged, are still the table's.
        const bool original =
            original_ && std::binary_search(original_->owned.begin(), original_->owned.end(), n) &&
            !before_->isChanged(n);
        if (!original) {
            const PageFile::PageRef page = file_.page(n);
            if ((*page)[0] != kDataPageType || le32(page->data() + 4) != table_.definitionPage)
                add(n, "a page of the owned-pages map is not a data page of the table");
        }
        if (!usedPage(n)) add(n, "a page the table owns is marked free in the global map");
    }
    // Pages a baseline's scan does not read: the original's data pages of the
    // table, unchanged and used in both files.
    if (original_)
        for (uint32_t n : original_->owned)
            if (n < file_.pageCount() && !before_->isChanged(n) && before_->wasUsed(n) &&
                usedPage(n) && !std::binary_search(owned.begin(), owned.end(), n))
                add(n, "a used data page of the table is missing from its owned-pages map");
    if (used_) {
        const auto found = used_->find(table_.definitionPage);
        if (found != used_->end())
            for (uint32_t n : found->second)
                if (!std::binary_search(owned.begin(), owned.end(), n))
                    add(n, "a used data page of the table is missing from its owned-pages map");
    }
    try {
        const UsageMap free = UsageMap::read(file_, def_.freeSpacePages);
        for (uint32_t n : free.pages())
            if (!std::binary_search(owned.begin(), owned.end(), n))
                add(n, "the free-space map names a page the table does not own");
    } catch (const FormatError& e) {
        add(e.page(), std::string("the free-space map cannot be read: ") + e.what());
    }
}

void TableCheck::readRows(const TableReader& reader) {
    // The original's rows with the original's indexes: nothing to decode.
    if (original_ && original_->rowsAlike &&
        std::find(kept_.begin(), kept_.end(), false) == kept_.end()) {
        // A count the writing changed is the number of rows: the original's
        // own can lag behind them.
        if (def_.tableType == kUserTable && def_.rowCount != original_->def.rowCount) {
            size_t rows = 0;
            try {
                rows = reader.countRows();
            } catch (const FormatError& e) {
                add(e.page(), std::string("the rows cannot be counted: ") + e.what());
                return;
            }
            if (def_.rowCount != rows)
                add(table_.definitionPage, "the definition counts " +
                                               std::to_string(def_.rowCount) +
                                               " rows, the table holds " + std::to_string(rows));
        }
        return;
    }
    indexRows_.clear();
    for (size_t i = 0; i < def_.realIndexes.size(); ++i) {
        const RealIndex& index = def_.realIndexes[i];
        RowsOfIndex r;
        if (kept_[i]) {  // judged without the rows
            indexRows_.push_back(std::move(r));
            continue;
        }
        r.rules = IndexRules::fromFlags(index.flags, primaryKeyOver(def_, i));
        try {
            r.columns = keyColumns(def_, index);
            for (const IndexColumn& c : index.keyColumns()) {
                size_t place = 0;
                while (place < def_.columns.size() && def_.columns[place].number != c.number)
                    ++place;
                if (place == def_.columns.size())
                    throw FormatError("an index names a column the table does not have");
                r.places.push_back(place);
            }
        } catch (const FormatError& e) {
            r.broken = std::string("its keys cannot be rebuilt: ") + e.what();
            r.columns.clear();
        }
        indexRows_.push_back(std::move(r));
    }
    size_t rows = 0, unreadable = 0;
    // Each row is decoded once and handed to every index, never kept.
    try {
        reader.forEachRow([&](const TableRow& row) {
            std::vector<FieldValue> values;
            try {
                values = decodeRow(def_, row.bytes, file_);
            } catch (const FormatError& e) {
                ++unreadable;
                add(row.rowId >> 8, rowName(row.rowId) + " cannot be read: " + e.what());
                return;
            }
            ++rows;
            for (RowsOfIndex& index : indexRows_)
                if (!index.columns.empty()) addRow(index, row.rowId, values);
        });
    } catch (const FormatError& e) {
        allRowsRead_ = false;
        add(e.page(), std::string("the rows cannot be read: ") + e.what());
        return;
    }
    allRowsRead_ = unreadable == 0;
    // Access keeps a user table's count; the counts of system tables lag
    // behind their rows in some of its own files, and so does a user table's
    // in a few. Against the original, a count the writing left as it was is
    // the original's, not the writing's fault.
    const bool countLeft = original_ && def_.rowCount == original_->def.rowCount;
    if (def_.tableType == kUserTable && def_.rowCount != rows + unreadable && !countLeft)
        add(table_.definitionPage, "the definition counts " + std::to_string(def_.rowCount) +
                                       " rows, the table holds " +
                                       std::to_string(rows + unreadable));
    if (allRowsRead_) findDuplicateKeys(reader);
}

void TableCheck::findDuplicateKeys(const TableReader& reader) {
    std::vector<size_t> which;
    for (size_t i = 0; i < indexRows_.size(); ++i)
        if (indexRows_[i].rules.unique && !indexRows_[i].provable &&
            !indexRows_[i].columns.empty() && indexRows_[i].broken.empty())
            which.push_back(i);
    if (which.empty()) return;
    std::vector<std::vector<std::pair<uint64_t, uint64_t>>> keys(which.size());
    reader.forEachRow([&](const TableRow& row) {
        const std::vector<FieldValue> values = decodeRow(def_, row.bytes, file_);
        for (size_t w = 0; w < which.size(); ++w) {
            const RowsOfIndex& index = indexRows_[which[w]];
            bool allNull = true, anyNull = false;
            key_.clear();
            try {
                for (size_t c = 0; c < index.columns.size(); ++c) {
                    const FieldValue& v = values.at(index.places[c]);
                    allNull = allNull && isNull(v);
                    anyNull = anyNull || isNull(v);
                    IndexKey::append(key_, index.columns[c], v);
                }
            } catch (const FormatError&) {
                continue;
            }
            if (!anyNull) keys[w].push_back(entryHash(key_, 0));
        }
    });
    for (size_t w = 0; w < which.size(); ++w) {
        std::sort(keys[w].begin(), keys[w].end());
        if (std::adjacent_find(keys[w].begin(), keys[w].end()) != keys[w].end())
            indexRows_[which[w]].broken = "index: two rows have the same key";
    }
}

void TableCheck::checkIndex(size_t position) {
    const RealIndex& index = def_.realIndexes[position];
    const std::string name = "index " + std::to_string(position);
    IndexTree tree;
    try {
        tree = walkIndex([this](uint32_t n) { return pageBytes(n); }, index.firstPage);
    } catch (const FormatError& e) {
        add(e.page(), name + " cannot be read: " + e.what());
        return;
    }

    // Its pages: the table's, used, and exactly those of its usage map. Of
    // each page, what the links need (the entries are the tree's).
    struct Facts {
        uint32_t prev = 0, next = 0, tail = 0;
        std::optional<IndexEntry> first, last;
        std::vector<IndexEntry> children;  // intermediate pages' entries
    };
    std::set<uint32_t> pages(tree.leaves.begin(), tree.leaves.end());
    pages.insert(tree.intermediates.begin(), tree.intermediates.end());
    std::map<uint32_t, Facts> facts;
    for (uint32_t n : pages) {
        IndexPage page = IndexPage::decode(pageBytes(n), n);
        if (page.owner != table_.definitionPage) add(n, name + ": a page names another table");
        if (!usedPage(n)) add(n, name + ": a page is marked free in the global map");
        Facts f{page.prev, page.next, page.tail, std::nullopt, std::nullopt, {}};
        if (!page.entries.empty()) {
            f.first = page.entries.front();
            f.last = page.entries.back();
        }
        if (!page.leaf()) f.children = std::move(page.entries);
        facts.emplace(n, std::move(f));
    }
    try {
        const UsageMap map = UsageMap::read(file_, index.map);
        const std::set<uint32_t> mapped(map.pages().begin(), map.pages().end());
        for (uint32_t n : mapped)
            if (!pages.count(n)) add(n, name + ": its usage map names a page outside the index");
        for (uint32_t n : pages)
            if (!mapped.count(n))
                add(n, name + ": a page of the index is missing from its usage map");
    } catch (const FormatError& e) {
        add(e.page(), name + ": its usage map cannot be read: " + e.what());
    }

    // Links: leaves both ways in order, intermediate entries at or above their
    // children's last entries and below the next child's first, the first page
    // naming the tail. Our builder repeats the child's last entry; Access
    // leaves an entry as it was when the child's last entry goes (the Access
    // 97 workgroups' MSysGroups show it), and lookups stay right.
    for (size_t i = 0; i < tree.leaves.size(); ++i) {
        const Facts& leaf = facts.at(tree.leaves[i]);
        if (leaf.prev != (i == 0 ? 0 : tree.leaves[i - 1]))
            add(tree.leaves[i], name + ": a leaf's previous page is not the leaf before it");
        if (leaf.next != (i + 1 == tree.leaves.size() ? 0 : tree.leaves[i + 1]))
            add(tree.leaves[i], name + ": a leaf's next page is not the leaf after it");
    }
    for (uint32_t n : tree.intermediates) {
        const std::vector<IndexEntry>& children = facts.at(n).children;
        for (size_t k = 0; k < children.size(); ++k) {
            const IndexEntry& e = children[k];
            const auto child = facts.find(e.child);
            if (child == facts.end() || !child->second.last) {
                add(n, name + ": an intermediate entry points at an empty page");
                continue;
            }
            if (entryLess(e, *child->second.last)) {
                add(n, name + ": an intermediate entry is below its child's last entry");
                continue;
            }
            if (k + 1 == children.size()) continue;
            const auto after = facts.find(children[k + 1].child);
            if (after != facts.end() && after->second.first && !entryLess(e, *after->second.first))
                add(n, name + ": an intermediate entry reaches into the next child's entries");
        }
    }
    if (!tree.intermediates.empty() && !tree.leaves.empty() &&
        facts.at(index.firstPage).tail != tree.leaves.back())
        add(index.firstPage, name + ": its first page does not name the last leaf as the tail");
    std::vector<uint8_t> previous, current;
    for (size_t i = 0; i < tree.entries.size(); ++i) {
        current = tree.entries[i].leafBytes();
        if (i > 0 && !(previous < current)) {
            add(index.firstPage, name + ": its entries are out of order");
            break;
        }
        previous.swap(current);
    }
    if (!allRowsRead_) return;  // the rows to compare with are not all known

    // Entries against the rows: one per row the index holds, pointing at it,
    // and, where the keys can be proven, the very bytes rebuilt from the rows.
    const RowsOfIndex& rows = indexRows_.at(position);
    if (!rows.broken.empty()) {
        add(index.firstPage, rows.columns.empty()
                                 ? name + ": " + rows.broken
                                 : name + ": the rows break its rules: " + rows.broken);
        return;
    }
    if (rows.provable) {
        EntryDigest found;
        for (const IndexEntry& e : tree.entries) found.add(e.key, rowIdOf(e));
        if (found != rows.rebuilt) {
            add(index.firstPage, name + ": its entries differ from those rebuilt from the rows (" +
                                     std::to_string(tree.entries.size()) + " in the index, " +
                                     std::to_string(rows.rebuilt.count()) + " rebuilt)");
            return;
        }
        // The entries are the rows' own, in order: equal neighbours are rows
        // with the same key.
        if (rows.rules.unique) {
            std::vector<uint32_t> nulls = rows.nullKeyRows;
            std::sort(nulls.begin(), nulls.end());
            for (size_t i = 1; i < tree.entries.size(); ++i)
                if (tree.entries[i].key == tree.entries[i - 1].key &&
                    !std::binary_search(nulls.begin(), nulls.end(), rowIdOf(tree.entries[i]))) {
                    add(index.firstPage,
                        name + ": the rows break its rules: index: two rows have the same key");
                    break;
                }
        }
        return;
    }
    EntryDigest found;
    for (const IndexEntry& e : tree.entries) found.add({}, rowIdOf(e));
    if (found != rows.held)
        add(index.firstPage, name + ": its entries do not point at the table's rows one for one (" +
                                 std::to_string(found.count()) + " entries, " +
                                 std::to_string(rows.held.count()) + " rows)");
}

}  // namespace

std::vector<KeyColumn> keyColumns(const TableDefinition& def, const RealIndex& index) {
    std::vector<KeyColumn> out;
    for (const IndexColumn& c : index.keyColumns()) {
        const ColumnDef* column = def.column(c.number);
        if (!column) throw FormatError("an index names a column the table does not have");
        KeyColumn k;
        k.type = column->type;
        k.ascending = c.order == kAscendingOrder;
        k.sortOrder = {column->sortOrder(), column->sortOrderVersion()};
        k.scale = column->scale();
        out.push_back(k);
    }
    return out;
}

std::vector<IndexEntry> rebuildEntries(
    const TableDefinition& def, size_t position,
    const std::vector<std::pair<uint32_t, std::vector<FieldValue>>>& rows, bool* provable) {
    const RealIndex& index = def.realIndexes.at(position);
    const std::vector<KeyColumn> columns = keyColumns(def, index);
    std::vector<size_t> places;
    for (const IndexColumn& c : index.keyColumns()) {
        size_t place = 0;
        while (place < def.columns.size() && def.columns[place].number != c.number) ++place;
        places.push_back(place);
    }
    bool primaryKey = false;
    for (const LogicalIndex& l : def.logicalIndexes)
        if (l.realIndex == position && l.indexType == idxtype::PrimaryKey) primaryKey = true;

    bool all = true;
    std::vector<IndexRow> keyRows;
    keyRows.reserve(rows.size());
    for (const auto& [id, values] : rows) {
        IndexRow row;
        row.page = id >> 8;
        row.row = static_cast<uint8_t>(id & 0xFF);
        bool codable = true;
        for (size_t c = 0; c < columns.size(); ++c) {
            const FieldValue& v = values.at(places[c]);
            if (!IndexKey::canProve(columns[c], v)) all = false;
            row.values.push_back(v);
        }
        try {
            (void)IndexKey::encode(columns, row.values);
        } catch (const FormatError&) {
            codable = false;
        }
        if (codable) keyRows.push_back(std::move(row));
    }
    if (provable) *provable = all;
    return IndexBuilder::entries(columns, keyRows, IndexRules::fromFlags(index.flags, primaryKey));
}

std::vector<Finding> Checker::check(const CheckedTable& table) const {
    return check(std::vector<CheckedTable>{table});
}

std::vector<Finding> Checker::check(const std::vector<CheckedTable>& tables) const {
    std::vector<Finding> out;
    // A baseline whose original cannot be read judges nothing: the file is
    // then judged in full.
    std::optional<Before> before;
    if (baseline_ && baseline_->original) {
        try {
            before.emplace(*baseline_->original, baseline_->changedPages);
        } catch (const FormatError&) {
            before.reset();
        }
    }
    std::optional<GlobalUsageMap> global;
    PagesByOwner used;
    try {
        global.emplace(file_);
        used = usedDataPages(file_, *global, before ? &*before : nullptr);
    } catch (const FormatError& e) {
        out.push_back(
            {"", e.page(), std::string("the global usage map cannot be read: ") + e.what()});
    }
    for (const CheckedTable& t : tables)
        TableCheck(file_, t, global ? &*global : nullptr, global ? &used : nullptr,
                   before ? &*before : nullptr, out)
            .run();
    return out;
}

}  // namespace jet::file
