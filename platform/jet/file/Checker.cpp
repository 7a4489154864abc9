#include "jet/file/Checker.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

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

// Data pages marked used in the global map, by the definition page they name
// (long-value pages aside: they name no table).
using PagesByOwner = std::map<uint32_t, std::vector<uint32_t>>;

PagesByOwner usedDataPages(const PageFile& file, const GlobalUsageMap& global) {
    PagesByOwner out;
    for (uint32_t n = 0; n < file.pageCount(); ++n) {
        const PageFile::PageRef page = file.page(n);
        if ((*page)[0] != kDataPageType || longValuePage(*page) || global.isFree(n, file)) continue;
        out[le32(page->data() + 4)].push_back(n);
    }
    return out;
}

class TableCheck {
public:
    TableCheck(const PageFile& file, const CheckedTable& table, const GlobalUsageMap* global,
               const PagesByOwner* used, std::vector<Finding>& out)
        : file_(file), table_(table), global_(global), used_(used), out_(out) {}

    void run();

private:
    void add(int64_t page, std::string what) {
        out_.push_back({table_.name, page, std::move(what)});
    }
    bool usedPage(uint32_t n) const { return !global_ || !global_->isFree(n, file_); }
    void checkPages(const TableReader& reader);
    void readRows(const TableReader& reader);
    void checkIndex(size_t position);
    std::vector<uint8_t> pageBytes(uint32_t n) const {
        const PageFile::PageRef p = file_.page(n);
        return {p->begin(), p->end()};
    }

    const PageFile& file_;
    const CheckedTable& table_;
    const GlobalUsageMap* global_;
    const PagesByOwner* used_;
    std::vector<Finding>& out_;
    TableDefinition def_;
    std::vector<std::pair<uint32_t, std::vector<FieldValue>>> rows_;
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
    checkPages(*reader);
    readRows(*reader);
    for (size_t i = 0; i < def_.realIndexes.size(); ++i) checkIndex(i);
}

void TableCheck::checkPages(const TableReader& reader) {
    const std::vector<uint32_t>& owned = reader.ownedPages();
    for (uint32_t n : owned) {
        if (n >= file_.pageCount()) {
            add(n, "the owned-pages map names a page past the end of the file");
            continue;
        }
        const PageFile::PageRef page = file_.page(n);
        if ((*page)[0] != kDataPageType || le32(page->data() + 4) != table_.definitionPage)
            add(n, "a page of the owned-pages map is not a data page of the table");
        if (!usedPage(n)) add(n, "a page the table owns is marked free in the global map");
    }
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
    size_t unreadable = 0;
    try {
        reader.forEachRow([&](const TableRow& row) {
            try {
                rows_.emplace_back(row.rowId, decodeRow(def_, row.bytes, file_));
            } catch (const FormatError& e) {
                ++unreadable;
                add(row.rowId >> 8, rowName(row.rowId) + " cannot be read: " + e.what());
            }
        });
    } catch (const FormatError& e) {
        allRowsRead_ = false;
        add(e.page(), std::string("the rows cannot be read: ") + e.what());
        return;
    }
    allRowsRead_ = unreadable == 0;
    // Access keeps a user table's count; the counts of system tables lag
    // behind their rows in some of its own files.
    if (def_.tableType == kUserTable && def_.rowCount != rows_.size() + unreadable)
        add(table_.definitionPage, "the definition counts " + std::to_string(def_.rowCount) +
                                       " rows, the table holds " +
                                       std::to_string(rows_.size() + unreadable));
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

    // Its pages: the table's, used, and exactly those of its usage map.
    std::set<uint32_t> pages(tree.leaves.begin(), tree.leaves.end());
    pages.insert(tree.intermediates.begin(), tree.intermediates.end());
    std::map<uint32_t, IndexPage> decoded;
    for (uint32_t n : pages) {
        IndexPage page = IndexPage::decode(pageBytes(n), n);
        if (page.owner != table_.definitionPage) add(n, name + ": a page names another table");
        if (!usedPage(n)) add(n, name + ": a page is marked free in the global map");
        decoded.emplace(n, std::move(page));
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

    // Links: leaves both ways in order, intermediate entries repeating their
    // children's last entries, the first page naming the tail.
    for (size_t i = 0; i < tree.leaves.size(); ++i) {
        const IndexPage& leaf = decoded.at(tree.leaves[i]);
        if (leaf.prev != (i == 0 ? 0 : tree.leaves[i - 1]))
            add(tree.leaves[i], name + ": a leaf's previous page is not the leaf before it");
        if (leaf.next != (i + 1 == tree.leaves.size() ? 0 : tree.leaves[i + 1]))
            add(tree.leaves[i], name + ": a leaf's next page is not the leaf after it");
    }
    for (uint32_t n : tree.intermediates) {
        for (const IndexEntry& e : decoded.at(n).entries) {
            const auto child = decoded.find(e.child);
            if (child == decoded.end() || child->second.entries.empty()) {
                add(n, name + ": an intermediate entry points at an empty page");
                continue;
            }
            const IndexEntry& last = child->second.entries.back();
            if (e.key != last.key || e.dataPage != last.dataPage || e.dataRow != last.dataRow)
                add(n, name + ": an intermediate entry is not its child's last entry");
        }
    }
    if (!tree.intermediates.empty() && !tree.leaves.empty() &&
        decoded.at(index.firstPage).tail != tree.leaves.back())
        add(index.firstPage, name + ": its first page does not name the last leaf as the tail");
    for (size_t i = 1; i < tree.entries.size(); ++i) {
        if (!entryLess(tree.entries[i - 1], tree.entries[i])) {
            add(index.firstPage, name + ": its entries are out of order");
            break;
        }
    }
    if (!allRowsRead_) return;  // the rows to compare with are not all known

    // Entries against the rows: one per row the index holds, pointing at it,
    // and, where the keys can be proven, the very bytes rebuilt from the rows.
    bool provable = true;
    std::vector<IndexEntry> rebuilt;
    try {
        rebuilt = rebuildEntries(def_, position, rows_, &provable);
    } catch (const KeyViolation& e) {
        add(index.firstPage, name + ": the rows break its rules: " + e.what());
        return;
    } catch (const FormatError& e) {
        add(index.firstPage, name + ": its keys cannot be rebuilt: " + e.what());
        return;
    }
    if (provable) {
        if (rebuilt != tree.entries) {
            size_t i = 0;
            while (i < rebuilt.size() && i < tree.entries.size() && rebuilt[i] == tree.entries[i])
                ++i;
            add(index.firstPage, name + ": its entries differ from those rebuilt from the rows (" +
                                     std::to_string(tree.entries.size()) + " in the index, " +
                                     std::to_string(rebuilt.size()) +
                                     " rebuilt; first difference at entry " + std::to_string(i) +
                                     ")");
        }
        return;
    }
    const IndexRules rules = IndexRules::fromFlags(index.flags, false);
    std::map<uint16_t, size_t> at;  // column number to its place in a row's values
    for (size_t c = 0; c < def_.columns.size(); ++c) at[def_.columns[c].number] = c;
    std::vector<uint32_t> expected, found;
    for (const auto& [id, values] : rows_) {
        bool allNull = true;
        for (const IndexColumn& c : index.keyColumns())
            allNull = allNull && isNull(values.at(at.at(c.number)));
        if (!(allNull && rules.ignoreNulls)) expected.push_back(id);
    }
    for (const IndexEntry& e : tree.entries) found.push_back(e.dataPage << 8 | e.dataRow);
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    if (expected != found)
        add(index.firstPage, name + ": its entries do not point at the table's rows one for one (" +
                                 std::to_string(found.size()) + " entries, " +
                                 std::to_string(expected.size()) + " rows)");
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
    std::optional<GlobalUsageMap> global;
    PagesByOwner used;
    try {
        global.emplace(file_);
        used = usedDataPages(file_, *global);
    } catch (const FormatError& e) {
        out.push_back(
            {"", e.page(), std::string("the global usage map cannot be read: ") + e.what()});
    }
    for (const CheckedTable& t : tables)
        TableCheck(file_, t, global ? &*global : nullptr, global ? &used : nullptr, out).run();
    return out;
}

}  // namespace jet::file
