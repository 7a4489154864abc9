#include "IndexOracle.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

#include "TestSupport.h"
#include "jet/file/FormatError.h"

namespace jet::file::testing {

std::vector<KeyColumn> keyColumns(const FixtureTable& table, const FixtureIndex& index) {
    std::vector<KeyColumn> out;
    for (const auto& [number, ascending] : index.columns) {
        const FixtureColumn* c = table.column(number);
        if (!c) throw FormatError("index names a column the table does not have");
        out.push_back({c->type, ascending, c->sortOrder, c->scale});
    }
    return out;
}

std::vector<IndexRow> indexRows(const FixtureTable& table, const FixtureIndex& index) {
    std::vector<IndexRow> rows;
    for (const FixtureRow& r : table.rows) {
        IndexRow row;
        row.page = r.page;
        row.row = r.row;
        for (const auto& col : index.columns) {
            const auto v = r.values.find(col.first);
            row.values.push_back(v == r.values.end() ? FieldValue{} : v->second);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

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

std::vector<IndexCheck> checkIndexes(const FixtureFile& file) {
    std::vector<IndexCheck> out;
    for (const FixtureTable& table : file.tables()) {
        for (const FixtureIndex& index : table.indexes) {
            IndexCheck check;
            check.table = table.name;
            for (const std::string& n : index.names)
                check.index += (check.index.empty() ? "" : "+") + n;
            const std::vector<KeyColumn> columns = keyColumns(table, index);
            const std::vector<IndexRow> rows = indexRows(table, index);
            for (size_t c = 0; c < columns.size() && !check.skipped; ++c) {
                if (!IndexKey::indexable(columns[c].type)) {
                    check.skipped = true;
                    check.reason =
                        "column type " + std::to_string(columns[c].type) + " not indexable";
                    break;
                }
                for (const IndexRow& row : rows) {
                    if (!IndexKey::canProve(columns[c], row.values[c])) {
                        check.skipped = true;
                        check.reason = "unproven key " + describe(row.values[c]) + " (type " +
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
                rebuilt = IndexBuilder::entries(
                    columns, rows, IndexRules::fromFlags(index.flags, index.primaryKey));
            } catch (const std::exception& e) {
                check.reason = std::string("rebuilding failed: ") + e.what();
                out.push_back(check);
                continue;
            }
            const IndexTree tree = walkIndex(file.pages(), index.firstPage);
            check.entries = tree.entries.size();
            check.matched = rebuilt == tree.entries;
            if (!check.matched) {
                const size_t n = std::min(rebuilt.size(), tree.entries.size());
                size_t i = 0;
                while (i < n && rebuilt[i] == tree.entries[i]) ++i;
                check.reason = "rebuilt " + std::to_string(rebuilt.size()) + " entries, file has " +
                               std::to_string(tree.entries.size()) + "; first difference at " +
                               std::to_string(i);
                if (i < n) {
                    check.reason += ": ours " + hex(rebuilt[i].leafBytes()) + " file " +
                                    hex(tree.entries[i].leafBytes());
                    // The row behind the file's entry, to tell which value was coded differently.
                    for (const IndexRow& row : rows)
                        if (row.page == tree.entries[i].dataPage &&
                            row.row == tree.entries[i].dataRow)
                            for (const FieldValue& v : row.values)
                                check.reason += " " + describe(v);
                }
            }
            out.push_back(check);
        }
    }
    return out;
}

std::vector<EntryCheck> checkEntries(const FixtureFile& file) {
    std::vector<EntryCheck> out;
    for (const FixtureTable& table : file.tables()) {
        for (const FixtureIndex& index : table.indexes) {
            const std::vector<KeyColumn> columns = keyColumns(table, index);
            if (!std::all_of(columns.begin(), columns.end(),
                             [](const KeyColumn& c) { return IndexKey::indexable(c.type); }))
                continue;
            std::map<uint32_t, std::vector<uint8_t>> stored;  // row id to the file's leaf bytes
            for (const IndexEntry& e : walkIndex(file.pages(), index.firstPage).entries)
                stored[e.dataPage << 8 | e.dataRow] = e.leafBytes();
            for (const IndexRow& row : indexRows(table, index)) {
                const auto found = stored.find(row.page << 8 | row.row);
                if (found == stored.end()) continue;  // a row an ignore-nulls index leaves out
                EntryCheck check;
                check.table = table.name;
                for (size_t c = 0; c < columns.size(); ++c) {
                    if (const auto* s = std::get_if<std::string>(&row.values[c])) {
                        check.texts.emplace_back(columns[c].sortOrder, IndexKey::keyText(*s));
                        check.descending = check.descending || !columns[c].ascending;
                    }
                }
                IndexEntry mine;
                try {
                    mine.key = IndexKey::encode(columns, row.values);
                } catch (const FormatError&) {
                    continue;  // characters without codes
                }
                mine.dataPage = row.page;
                mine.dataRow = row.row;
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

std::vector<std::filesystem::path> jet4Fixtures() {
    std::vector<std::filesystem::path> out;
    const std::filesystem::path dir = testsupport::fixturesDir();
    if (dir.empty()) return out;
    for (const char* sub : {"jackcess", "teaching"}) {
        if (!std::filesystem::is_directory(dir / sub)) continue;
        for (const auto& e : std::filesystem::directory_iterator(dir / sub)) {
            if (e.path().extension() != ".mdb") continue;
            std::ifstream in(e.path(), std::ios::binary);
            char head[0x15] = {};
            in.read(head, sizeof head);
            if (in && head[0x14] == 1) out.push_back(e.path());  // version byte: 1 is Jet 4
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace jet::file::testing
