#include "IndexOracle.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "CodecTestSupport.h"
#include "jet/file/Checker.h"
#include "jet/file/FormatError.h"
#include "jet/file/IndexBuilder.h"
#include "jet/file/IndexPage.h"
#include "jet/file/TableReader.h"

namespace jet::file::testing {

namespace {

struct Table {
    std::string name;
    TableDefinition def;
    std::vector<std::pair<uint32_t, std::vector<FieldValue>>> rows;
};

std::vector<Table> tablesOf(const PageFile& file) {
    std::vector<Table> out;
    for (const codectest::CatalogEntry& t : codectest::tables(file)) {
        Table table;
        table.name = t.name;
        table.def = TableDefinition::read(file, static_cast<uint32_t>(t.id) & 0x00FFFFFFu);
        table.rows = TableReader(file, table.def).readAll();
        out.push_back(std::move(table));
    }
    return out;
}

std::string namesOf(const TableDefinition& def, size_t position) {
    std::string out;
    for (const LogicalIndex& l : def.logicalIndexes)
        if (l.realIndex == position) out += (out.empty() ? "" : "+") + l.name;
    return out;
}

size_t placeOf(const TableDefinition& def, uint16_t number) {
    for (size_t i = 0; i < def.columns.size(); ++i)
        if (def.columns[i].number == number) return i;
    throw FormatError("an index names a column the table does not have");
}

// The key columns of an index. An Access 97 column has no sort order version
// (those bytes hold its code page), and its sort order codes text as Access
// 97 does.
std::vector<KeyColumn> columnsOf(const TableDefinition& def, const RealIndex& index) {
    std::vector<KeyColumn> columns = keyColumns(def, index);
    if (def.layout().pageSize != format::kJet3.pageSize) return columns;
    const std::vector<IndexColumn> used = index.keyColumns();
    for (size_t c = 0; c < columns.size(); ++c)
        columns[c].sortOrder =
            jet3SortOrder(def.columns.at(placeOf(def, used[c].number)).sortOrder());
    return columns;
}

// The entries of real index `position` rebuilt from every row.
std::vector<IndexEntry> rebuild(const Table& table, size_t position,
                                const std::vector<KeyColumn>& columns) {
    const RealIndex& index = table.def.realIndexes.at(position);
    bool primaryKey = false;
    for (const LogicalIndex& l : table.def.logicalIndexes)
        if (l.realIndex == position && l.indexType == idxtype::PrimaryKey) primaryKey = true;
    const std::vector<IndexColumn> used = index.keyColumns();
    std::vector<IndexRow> rows;
    for (const auto& [id, values] : table.rows) {
        IndexRow row;
        row.page = id >> 8;
        row.row = static_cast<uint8_t>(id & 0xFF);
        for (const IndexColumn& c : used)
            row.values.push_back(values.at(placeOf(table.def, c.number)));
        rows.push_back(std::move(row));
    }
    return IndexBuilder::entries(columns, rows, IndexRules::fromFlags(index.flags, primaryKey));
}

}  // namespace

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
    }
    return out;
}

std::string describe(const FieldValue& value) {
    if (isNull(value)) return "null";
    if (const auto* s = std::get_if<std::string>(&value)) {
        std::string out = "\"";
        for (char16_t c : IndexKey::keyText(*s)) {
            if (c >= 0x20 && c < 0x7F) {
                out.push_back(static_cast<char>(c));
            } else {
                char buf[12];
                std::snprintf(buf, sizeof buf, "<U+%04X>", static_cast<unsigned>(c));
                out += buf;
            }
        }
        return out + "\"";
    }
    return "(value of kind " + std::to_string(value.index()) + ")";
}

std::vector<IndexCheck> checkIndexes(const PageFile& file) {
    std::vector<IndexCheck> out;
    for (const Table& table : tablesOf(file)) {
        for (size_t i = 0; i < table.def.realIndexes.size(); ++i) {
            const RealIndex& index = table.def.realIndexes[i];
            IndexCheck check;
            check.table = table.name;
            check.index = namesOf(table.def, i);
            const std::vector<KeyColumn> columns = columnsOf(table.def, index);
            const std::vector<IndexColumn> used = index.keyColumns();
            for (size_t c = 0; c < columns.size() && !check.skipped; ++c) {
                for (const auto& row : table.rows) {
                    const FieldValue& v = row.second.at(placeOf(table.def, used[c].number));
                    if (!IndexKey::canProve(columns[c], v)) {
                        check.skipped = true;
                        check.reason = "unproven key " + describe(v) + " (type " +
                                       std::to_string(columns[c].type) + ", sort order " +
                                       std::to_string(columns[c].sortOrder.id) +
                                       (columns[c].ascending ? "" : ", descending") + ")";
                        break;
                    }
                }
            }
            if (check.skipped) {
                out.push_back(check);
                continue;
            }
            std::vector<IndexEntry> rebuilt;
            try {
                rebuilt = rebuild(table, i, columns);
            } catch (const std::exception& e) {
                check.reason = std::string("rebuilding failed: ") + e.what();
                out.push_back(check);
                continue;
            }
            const IndexTree tree = walkIndex(pageSource(file), index.firstPage);
            check.entries = tree.entries.size();
            check.matched = rebuilt == tree.entries;
            if (!check.matched) {
                const size_t n = std::min(rebuilt.size(), tree.entries.size());
                size_t k = 0;
                while (k < n && rebuilt[k] == tree.entries[k]) ++k;
                check.reason = "rebuilt " + std::to_string(rebuilt.size()) + " entries, file has " +
                               std::to_string(tree.entries.size()) + "; first difference at " +
                               std::to_string(k);
                if (k < n)
                    check.reason += ": ours " + hex(rebuilt[k].leafBytes()) + " file " +
                                    hex(tree.entries[k].leafBytes());
            }
            out.push_back(check);
        }
    }
    return out;
}

std::vector<EntryCheck> checkEntries(const PageFile& file) {
    std::vector<EntryCheck> out;
    for (const Table& table : tablesOf(file)) {
        for (const RealIndex& index : table.def.realIndexes) {
            const std::vector<KeyColumn> columns = columnsOf(table.def, index);
            if (!std::all_of(columns.begin(), columns.end(),
                             [](const KeyColumn& c) { return IndexKey::indexable(c.type); }))
                continue;
            const std::vector<IndexColumn> used = index.keyColumns();
            std::map<uint32_t, std::vector<uint8_t>> stored;  // row id to the file's leaf bytes
            for (const IndexEntry& e : walkIndex(pageSource(file), index.firstPage).entries)
                stored[e.dataPage << 8 | e.dataRow] = e.leafBytes();
            for (const auto& [id, values] : table.rows) {
                const auto found = stored.find(id);
                if (found == stored.end()) continue;  // a row an ignore-nulls index leaves out
                EntryCheck check;
                check.table = table.name;
                std::vector<FieldValue> key;
                for (size_t c = 0; c < columns.size(); ++c) {
                    key.push_back(values.at(placeOf(table.def, used[c].number)));
                    if (const auto* s = std::get_if<std::string>(&key.back())) {
                        check.texts.emplace_back(columns[c].sortOrder, IndexKey::keyText(*s));
                        check.descending = check.descending || !columns[c].ascending;
                    }
                }
                IndexEntry mine;
                try {
                    mine.key = IndexKey::encode(columns, key);
                } catch (const FormatError&) {
                    continue;  // characters without codes
                }
                mine.dataPage = id >> 8;
                mine.dataRow = static_cast<uint8_t>(id & 0xFF);
                check.matched = mine.leafBytes() == found->second;
                if (!check.matched)
                    check.difference =
                        "ours " + hex(mine.leafBytes()) + " file " + hex(found->second);
                out.push_back(std::move(check));
            }
        }
    }
    return out;
}

}  // namespace jet::file::testing
