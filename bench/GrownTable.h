#pragma once
// A real table grown by the page codec itself on new data pages, for the
// benchmarks of the writer: until the file holds a number of pages, or until
// the table holds a number of rows. Its indexes are then built again from
// every row, so that the file is one a structural check accepts. Two tables:
// fixedTextTestV2000's "users" (Jet 4: ten required columns, text, long and
// date, six indexes) and nwind's "Customers" (Jet 3: eleven text columns,
// five indexes, the primary side of a relationship).
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/file/Checker.h"
#include "jet/file/DataPage.h"
#include "jet/file/IndexBuilder.h"
#include "jet/file/PageFile.h"
#include "jet/file/Row.h"
#include "jet/file/TableDefinition.h"
#include "jet/file/TableReader.h"
#include "jet/file/UsageMap.h"

namespace bench {

// A table to grow: its fixture (relative to the fixtures folder), its name,
// and the values of its n-th new row (one per column, in the definition's
// order; unique where an index asks for it).
struct GrownSource {
    const char* fixture;
    const char* table;
    std::vector<jet::FieldValue> (*row)(int n);
};

inline std::vector<jet::FieldValue> usersRow(int i) {
    const std::string n = std::to_string(i);
    return {int32_t{1000 + i},
            std::string("login" + n),
            std::string("pwd"),
            std::string("-1"),
            std::string("User number " + n),
            int32_t{i % 7},
            int32_t{16408},
            int32_t{-1},
            std::string("N"),
            jet::DateTime{40000.0 + i / 1440.0}};
}

// The key is a digit and four base-36 digits: unique (case aside, as the
// index compares) and apart from the fixture's own keys, which are letters.
inline std::vector<jet::FieldValue> customersRow(int i) {
    static constexpr const char* kCities[] = {"Berlin", "London", "Madrid", "Paris",
                                              "Lyon",   "Graz",   "Bern",   "Sevilla"};
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string key = "0";
    for (int d = 36 * 36 * 36, v = i % (36 * 36 * 36 * 36); d > 0; v %= d, d /= 36)
        key += kDigits[v / d];
    const std::string n = std::to_string(i);
    return {
        key,
        std::string("Company " + n),
        std::string("Contact " + n),
        std::string("Owner"),
        std::string(n + " Main Street"),
        std::string(kCities[i % 8]),
        i % 3 == 0 ? jet::FieldValue{} : jet::FieldValue{std::string("Region " + n.substr(0, 2))},
        std::to_string(10000 + i % 90000),
        std::string("Germany"),
        std::string("030-" + n),
        i % 2 == 0 ? jet::FieldValue{} : jet::FieldValue{std::string("030-9" + n)}};
}

inline constexpr GrownSource kUsers{"jackcess/fixedTextTestV2000.mdb", "users", usersRow};
inline constexpr GrownSource kCustomers{"mdbtestdata/nwind.mdb", "Customers", customersRow};
// Rows that make a file of about 100 MB (users) or 50 MB (Customers), indexes
// included.
inline constexpr uint32_t kHundredMegabyteRows = 640000;
inline constexpr uint32_t kFiftyMegabyteJet3Rows = 320000;

// The definition page of table `name`, read from MSysObjects.
inline uint32_t tablePage(const jet::file::PageFile& file, const std::string& name) {
    using namespace jet::file;
    const auto catalog = TableDefinition::read(file, 2);
    uint32_t found = 0;
    TableReader(file, catalog).forEachValues([&](uint32_t, const std::vector<jet::FieldValue>& r) {
        std::string n;
        int32_t id = 0;
        int16_t type = 0;
        for (size_t i = 0; i < catalog.columns.size(); ++i) {
            const auto& c = catalog.columns[i].name;
            if (c == "Name") n = std::get<std::string>(r[i]);
            if (c == "Id") id = std::get<int32_t>(r[i]);
            if (c == "Type") type = std::get<int16_t>(r[i]);
        }
        if (type == 1 && n == name) found = static_cast<uint32_t>(id);
    });
    if (found == 0) throw std::runtime_error("no table " + name);
    return found;
}

// When growing stops: the file holds `pages` pages (whole pages of rows only;
// the last, unfinished one is left out), or the table gained `rows` rows.
struct Growth {
    uint32_t pages = 0;
    uint32_t rows = 0;
};

// Every real index of `def` built again from the table's rows on new pages;
// the old pages are marked free.
inline void rebuildIndexes(jet::file::PageFile& file, jet::file::TableDefinition& def,
                           jet::file::GlobalUsageMap& global) {
    using namespace jet::file;
    for (size_t i = 0; i < def.realIndexes.size(); ++i) {
        RealIndex& ri = def.realIndexes[i];
        std::vector<size_t> at;
        for (const IndexColumn& c : ri.keyColumns())
            for (size_t k = 0; k < def.columns.size(); ++k)
                if (def.columns[k].number == c.number) at.push_back(k);
        std::vector<IndexRow> rows;
        TableReader(file, def).forEachValues(
            [&](uint32_t id, const std::vector<jet::FieldValue>& values) {
                IndexRow r;
                r.page = id >> 8;
                r.row = static_cast<uint8_t>(id & 0xFF);
                for (size_t k : at) r.values.push_back(values[k]);
                rows.push_back(std::move(r));
            });
        bool primary = false;
        for (const auto& li : def.logicalIndexes)
            if (li.realIndex == i && li.indexType == idxtype::PrimaryKey) primary = true;
        const auto entries = IndexBuilder::entries(keyColumns(def, ri), rows,
                                                   IndexRules::fromFlags(ri.flags, primary));
        const BuiltIndex built = IndexBuilder::build(
            entries, def.firstPage(),
            [&] {
                const uint32_t p = file.append();
                global.markUsed(p);
                return p;
            },
            file.layout());
        auto map = UsageMap::read(file, ri.map);
        for (uint32_t p : map.pages()) global.markFree(p);
        std::vector<uint32_t> pages;
        for (const auto& [p, bytes] : built.pages) {
            auto dst = file.writable(p);
            std::copy(bytes.begin(), bytes.end(), dst.begin());
            pages.push_back(p);
        }
        std::sort(pages.begin(), pages.end());
        map.assign(pages);
        map.write(file);
        for (uint32_t p : map.newMapPages()) global.markUsed(p);
        ri.firstPage = built.root;
        ri.slotRowCount = built.distinctKeys;
        ri.slotUnknown1 = def.rowCount;
    }
}

// Writes `fixture` (the path of source's fixture) with source's table grown to
// `out`; returns the rows added.
inline uint32_t growTable(const std::string& fixture, const GrownSource& source,
                          const std::string& out, Growth growth) {
    using namespace jet::file;
    PageFile file(fixture);
    auto def = TableDefinition::read(file, tablePage(file, source.table));
    auto owned = UsageMap::read(file, def.ownedPages);
    GlobalUsageMap global(file);
    std::vector<PageRow> rows;
    std::vector<size_t> lengths;
    uint32_t added = 0;
    const auto flush = [&] {
        const uint32_t p = file.append();
        const Bytes page = buildDataPage(file.pageSize(), def.firstPage(), rows);
        auto dst = file.writable(p);
        std::copy(page.begin(), page.end(), dst.begin());
        owned.add(p);
        global.markUsed(p);
        rows.clear();
    };
    const auto more = [&] {
        return growth.rows ? added < growth.rows : file.pageCount() < growth.pages;
    };
    for (int i = 0; more(); ++i) {
        Bytes row = encodeRow(def, source.row(i), nullptr);
        lengths.push_back(row.size());
        if (!rowsFit(file.pageSize(), lengths)) {
            flush();
            lengths.assign(1, row.size());
        }
        rows.push_back({std::move(row), 0});
        ++added;
    }
    if (growth.rows)
        flush();
    else
        added -= static_cast<uint32_t>(rows.size());  // the unfinished page is left out
    owned.write(file);
    for (uint32_t p : owned.newMapPages()) global.markUsed(p);
    def.rowCount += added;
    rebuildIndexes(file, def, global);
    (void)def.write(file);
    global.write(file);
    std::ofstream o(out, std::ios::binary);
    for (uint32_t p = 0; p < file.pageCount(); ++p) {
        const auto page = file.page(p);
        o.write(reinterpret_cast<const char*>(page->data()),
                static_cast<std::streamsize>(page->size()));
    }
    if (!o) throw std::runtime_error("cannot write " + out);
    return added;
}

}  // namespace bench
