#pragma once
// Memory catalogs of N tables x 20 columns (an ID primary key, then 19 text
// columns) for the comparison benchmarks, and an engine that reads them.
#include <memory>
#include <string>

#include "engine/CCAccess.h"
#include "jet/CatalogData.h"
#include "jet/Types.h"
#include "jet/testing/MemoryCatalog.h"

namespace bench {

inline jet::ColumnData column(std::string name, int32_t type, int32_t size = 0) {
    using namespace jet;
    ColumnData c;
    c.name = std::move(name);
    c.type = type;
    const TypeFacts f = typeFacts(type);
    c.definedSize = size ? size : f.definedSize;
    c.precision = f.precision;
    c.numericScale = f.numericScale;
    c.properties[prop::Autoincrement] = false;
    c.properties[prop::Default] = std::string();
    c.properties[prop::Description] = std::string();
    c.properties[prop::Seed] = 1;
    c.properties[prop::Increment] = 1;
    c.properties[prop::CompressedUnicode] = false;
    c.properties[prop::AllowZeroLength] = false;
    return c;
}

inline jet::TableData wideTable(std::string name) {
    using namespace jet;
    TableData t;
    t.name = std::move(name);
    t.columns.push_back(column("ID", adtype::Integer));
    for (int c = 1; c < 20; ++c)
        t.columns.push_back(column("Text" + std::to_string(c), adtype::VarWChar, 50));
    t.indexes.push_back({"PrimaryKey", true, true, indexnulls::Disallow, {{"ID", kSortAscending}}});
    t.keys.push_back({"PrimaryKey", keytype::Primary, "", rule::None, rule::None, {{"ID", ""}}});
    return t;
}

// Tables "Table10000" on; with `changed`, every tenth has a column of another type.
inline jet::CatalogData wideDatabase(int tables, bool changed) {
    jet::CatalogData d;
    for (int i = 0; i < tables; ++i) {
        jet::TableData t = wideTable("Table" + std::to_string(10000 + i));
        if (changed && i % 10 == 0) t.columns[5].type = jet::adtype::LongVarWChar;
        d.tables.push_back(std::move(t));
    }
    return d;
}

struct Pair {
    jet::CatalogData source;
    jet::CatalogData destination;
};

// An engine that reads the pair, which must outlive it.
inline std::shared_ptr<engine::CCAccess> engineOver(const Pair& p) {
    auto e = engine::CCAccess::create();
    e->setCatalogFactory([&p](engine::CompareSide side, const std::string&) {
        return jet::testing::memoryCatalog(side == engine::csSource ? p.source : p.destination);
    });
    return e;
}

// The engine alone: one comparison of the pair, as the wizard's engine makes it.
inline bool compareAlone(const Pair& p) {
    auto e = engineOver(p);
    e->SourceDatabaseConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=s");
    e->DestinationDatabaseConnnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=d");
    return e->CompareDatabases();
}

}  // namespace bench
