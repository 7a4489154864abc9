// CompareDatabases on two databases of N tables x 20 columns (a primary key, a
// foreign key to the previous table, and a further index on each) that differ
// in 10% of their tables. Reports the time per comparison and the peak of heap
// bytes in use during it (counted by the global operator new below), above
// what was in use before it.
//
// BM_CompareStores: two store databases built from Jet SQL (once per run, in
// a temporary folder), bound by connection string as the program does; the
// time includes opening both and reading their catalogs.
// BM_CompareMemoryCatalogs: the same schemas as memory catalogs, already
// read: the engine's own share.
//
//   build-engine/bench/bench_engine [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <string>

#include "engine/CCAccess.h"
#include "jet/CatalogData.h"
#include "jet/Types.h"
#include "jet/testing/MemoryCatalog.h"
#include "jet/testing/StoreBuilder.h"
#include "HeapCounter.h"

using bench::gInUse;
using bench::gPeak;

namespace {

using namespace jet;

ColumnData column(std::string name, int32_t type, int32_t size = 0) {
    ColumnData c;
    c.name = std::move(name);
    c.type = type;
    const TypeFacts f = typeFacts(type);
    c.definedSize = size ? size : f.definedSize;
    c.precision = f.precision;
    c.numericScale = f.numericScale;
    c.properties[prop::Autoincrement] = false;
    c.properties[prop::Default] = std::string();
    c.properties[prop::Description] = std::string("column ") + c.name;
    c.properties[prop::Seed] = 1;
    c.properties[prop::Increment] = 1;
    c.properties[prop::CompressedUnicode] = type == adtype::VarWChar;
    c.properties[prop::AllowZeroLength] = false;
    return c;
}

std::string tableName(int i) { return "Table" + std::to_string(10000 + i); }

// One database; with `changed`, every tenth table differs (a column type, an
// extra column, an index option or a key rule, in turn).
CatalogData database(int tables, bool changed) {
    CatalogData d;
    d.tables.reserve(static_cast<size_t>(tables));
    for (int i = 0; i < tables; ++i) {
        TableData t;
        t.name = tableName(i);
        t.columns.push_back(column("ID", adtype::Integer));
        t.columns[0].properties[prop::Autoincrement] = true;
        t.columns[0].attributes = kColumnFixed;
        t.columns.push_back(column("ParentID", adtype::Integer));
        for (int c = 2; c < 20; ++c)
            t.columns.push_back(c % 3 == 0
                                    ? column("Amount" + std::to_string(c), adtype::Double)
                                    : column("Text" + std::to_string(c), adtype::VarWChar, 50));
        t.indexes.push_back(
            {"PrimaryKey", true, true, indexnulls::Disallow, {{"ID", kSortAscending}}});
        t.indexes.push_back({"ByText",
                             false,
                             false,
                             indexnulls::Allow,
                             {{"Text2", kSortAscending}, {"Text4", kSortDescending}}});
        t.keys.push_back(
            {"PrimaryKey", keytype::Primary, "", rule::None, rule::None, {{"ID", ""}}});
        if (i > 0) {
            const std::string fk = "FK" + std::to_string(i);
            t.indexes.push_back(
                {fk, false, false, indexnulls::Allow, {{"ParentID", kSortAscending}}});
            t.keys.push_back({fk,
                              keytype::Foreign,
                              tableName(i - 1),
                              rule::Cascade,
                              rule::None,
                              {{"ParentID", "ID"}}});
        }
        if (changed && i % 10 == 0) {
            switch ((i / 10) % 4) {
                case 0:
                    t.columns[5].type = adtype::LongVarWChar;
                    break;
                case 1:
                    t.columns.push_back(column("Added", adtype::Integer));
                    break;
                case 2:
                    t.indexes[1].unique = true;
                    break;
                case 3:
                    if (t.keys.size() > 1) t.keys[1].deleteRule = rule::Cascade;
                    break;
            }
        }
        d.tables.push_back(std::move(t));
    }
    return d;
}

// The same two schemas in Jet SQL.
std::string databaseSql(int tables, bool changed) {
    std::string sql;
    for (int i = 0; i < tables; ++i) {
        const std::string name = tableName(i);
        const int variant = changed && i % 10 == 0 ? (i / 10) % 4 : -1;
        sql += "CREATE TABLE " + name +
               " (ID COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, ParentID LONG";
        if (i > 0)
            sql += " CONSTRAINT FK" + std::to_string(i) + " REFERENCES " + tableName(i - 1) +
                   " (ID) ON UPDATE CASCADE" + (variant == 3 ? " ON DELETE CASCADE" : "");
        for (int c = 2; c < 20; ++c) {
            if (c % 3 == 0)
                sql += ", Amount" + std::to_string(c) + " DOUBLE";
            else
                sql +=
                    ", Text" + std::to_string(c) + (variant == 0 && c == 5 ? " MEMO" : " TEXT(50)");
        }
        if (variant == 1) sql += ", Added LONG";
        sql += ");\n";
        sql += std::string("CREATE ") + (variant == 2 ? "UNIQUE " : "") + "INDEX ByText ON " +
               name + " (Text2, Text4 DESC);\n";
    }
    return sql;
}

// Store files made once per run and size, removed at exit. Building them takes
// minutes: with BENCH_ENGINE_DIR set, they are kept in that folder and reused.
struct StoreFiles {
    std::filesystem::path dir;
    bool keep = false;
    std::map<int, std::pair<std::string, std::string>> made;

    StoreFiles() {
        if (const char* kept = std::getenv("BENCH_ENGINE_DIR")) {
            dir = kept;
            keep = true;
        } else {
            dir = std::filesystem::temp_directory_path() /
                  ("bench_engine_" + std::to_string(static_cast<long>(::getpid())));
        }
        std::filesystem::create_directories(dir);
    }
    ~StoreFiles() {
        std::error_code ec;
        if (!keep) std::filesystem::remove_all(dir, ec);
    }
    const std::pair<std::string, std::string>& pair(int tables) {
        auto it = made.find(tables);
        if (it != made.end()) return it->second;
        const std::string s = (dir / ("source" + std::to_string(tables) + ".sdb")).string();
        const std::string d = (dir / ("destination" + std::to_string(tables) + ".sdb")).string();
        for (const auto& [path, changed] : {std::pair{s, false}, std::pair{d, true}}) {
            if (keep && std::filesystem::exists(path)) continue;
            std::filesystem::remove(path);
            testing::buildStore(path, databaseSql(tables, changed));
        }
        return made[tables] = {s, d};
    }
};

StoreFiles& storeFiles() {
    static StoreFiles files;
    return files;
}

void BM_CompareStores(benchmark::State& state) {
    const int tables = static_cast<int>(state.range(0));
    const auto& [source, destination] = storeFiles().pair(tables);
    long long peak = 0;
    int32_t different = 0;
    for (auto _ : state) {
        auto engine = engine::CCAccess::create();
        engine->SourceDatabaseConnectionString(testing::storeConnectionString(source));
        engine->DestinationDatabaseConnnectionString(testing::storeConnectionString(destination));
        const long long before = gInUse.load();
        gPeak.store(before);
        benchmark::DoNotOptimize(engine->CompareDatabases());
        peak = std::max(peak, gPeak.load() - before);
        state.PauseTiming();
        different = 0;
        for (const auto& t : engine->Result().Tables) different += t.Action != engine::acEqual;
        engine.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    state.counters["tables_different"] = different;
}

BENCHMARK(BM_CompareStores)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);

void BM_CompareMemoryCatalogs(benchmark::State& state) {
    const int tables = static_cast<int>(state.range(0));
    const auto source = testing::memoryBackend(database(tables, false));
    const auto destination = testing::memoryBackend(database(tables, true));
    long long peak = 0;
    int32_t different = 0;
    for (auto _ : state) {
        auto engine = engine::CCAccess::create();
        engine->setCatalogFactory([&](engine::CompareSide side, const std::string&) {
            Catalog c;
            c.bindBackend(side == engine::csSource ? source : destination);
            return c;
        });
        const long long before = gInUse.load();
        gPeak.store(before);
        benchmark::DoNotOptimize(engine->CompareDatabases());
        peak = std::max(peak, gPeak.load() - before);
        state.PauseTiming();
        different = 0;
        for (const auto& t : engine->Result().Tables) different += t.Action != engine::acEqual;
        engine.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    state.counters["tables_different"] = different;
}

BENCHMARK(BM_CompareMemoryCatalogs)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
