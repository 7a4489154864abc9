#include "CodecWalk.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "jet/file/FormatError.h"
#include "jet/file/IndexPage.h"
#include "jet/file/PropertyBlob.h"
#include "jet/file/Row.h"
#include "jet/file/TableDefinition.h"
#include "jet/file/TableReader.h"
#include "jet/file/UsageMap.h"

namespace codecwalk {

namespace {

using namespace jet::file;

// Runs `step`, counting a FormatError as a failure unless strict.
void attempt(Counts& counts, bool strict, const std::function<void()>& step) {
    try {
        step();
    } catch (const FormatError&) {
        if (strict) throw;
        ++counts.failures;
    }
}

void walkMap(const PageFile& file, Counts& counts, bool strict, UsageMapRef ref) {
    if (ref.page == 0) return;
    attempt(counts, strict, [&] {
        (void)UsageMap::read(file, ref);
        ++counts.maps;
    });
}

void walkBlob(const PageFile& file, Counts& counts, bool strict, const std::string& bytes) {
    attempt(counts, strict, [&] {
        const Bytes raw(bytes.begin(), bytes.end());
        const auto blob = PropertyBlob::decode(raw, file.layout(), TextCodec::of(file));
        if (blob.encode() != raw) throw std::logic_error("a property blob does not re-encode");
        for (const auto& chunk : blob.chunks)
            for (const auto& p : chunk.properties) {
                (void)blob.nameOf(chunk, p);
                (void)p.text(blob.text());
                (void)p.integer();
            }
        ++counts.blobs;
    });
}

void walkTable(const PageFile& file, Counts& counts, bool strict, uint32_t page) {
    const auto def = TableDefinition::read(file, page);
    (void)def.encode();
    ++counts.definitions;
    walkMap(file, counts, strict, def.ownedPages);
    walkMap(file, counts, strict, def.freeSpacePages);
    for (const auto& r : def.realIndexes) {
        walkMap(file, counts, strict, r.map);
        attempt(counts, strict, [&] {
            (void)walkIndex(pageSource(file), r.firstPage);
            ++counts.indexes;
        });
    }
    for (const auto& m : def.longValueMaps) {
        walkMap(file, counts, strict, m.owned);
        walkMap(file, counts, strict, m.free);
    }
    TableReader reader(file, def);
    reader.forEachRow([&](const TableRow& row) {
        attempt(counts, strict, [&] {
            const auto values = decodeRow(def, row.bytes, file);
            ++counts.rows;
            for (size_t i = 0; i < values.size(); ++i)
                if (isLongValueType(def.columns[i].type) && !jet::isNull(values[i]))
                    ++counts.longValues;
        });
    });
}

}  // namespace

Counts walk(const PageFile& file, bool strict) {
    Counts counts;
    if (!file.facts().codecSupported()) return counts;
    attempt(counts, strict, [&] { (void)GlobalUsageMap(file); });
    std::vector<uint32_t> tables;
    attempt(counts, strict, [&] {
        const auto catalog = TableDefinition::read(file, 2);
        const ColumnDef* id = catalog.columnNamed("Id");
        const ColumnDef* type = catalog.columnNamed("Type");
        const ColumnDef* prop = catalog.columnNamed("LvProp");
        if (!id || !type) throw FormatError("the catalog lacks its Id and Type columns");
        auto indexOf = [&](const ColumnDef* c) {
            return static_cast<size_t>(c - catalog.columns.data());
        };
        TableReader(file, catalog).forEachRow([&](const TableRow& row) {
            attempt(counts, strict, [&] {
                const auto values = decodeRow(catalog, row.bytes, file);
                const auto& t = values[indexOf(type)];
                const auto& i = values[indexOf(id)];
                if (std::holds_alternative<int16_t>(t) && std::get<int16_t>(t) == 1 &&
                    std::holds_alternative<int32_t>(i) && std::get<int32_t>(i) > 0)
                    tables.push_back(static_cast<uint32_t>(std::get<int32_t>(i)));
                if (prop && std::holds_alternative<jet::Binary>(values[indexOf(prop)]))
                    walkBlob(file, counts, strict,
                             std::get<jet::Binary>(values[indexOf(prop)]).bytes);
            });
        });
    });
    for (uint32_t page : tables)
        attempt(counts, strict, [&] { walkTable(file, counts, strict, page); });
    counts.tables = tables;
    return counts;
}

}  // namespace codecwalk
