// Splitting saved queries' texts into their MSysQueries rows: the 60 queries a
// large database holds (the fixtures' own texts, as the Jet file provider
// reads them, repeated to 60) per run; and statements of Jet's full length
// (64,000 characters) shaped to make a splitter recurse or rescan, with a
// chain of joins of growing length to show the work grows with the text alone.
//   build/bench/bench_query_rows     (the typical run needs the fixtures)
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "jet/Catalog.h"
#include "jet/format/QueryDecompose.h"

namespace {

std::vector<std::string> fixtureTexts() {
    std::vector<std::string> out;
    const std::filesystem::path dir = JET_FIXTURES;
    for (const char* f :
         {"jackcess/queryTestV2000.mdb", "teaching/ADVWORKS.mdb", "teaching/Gymnase2000.mdb",
          "teaching/ProductSales-student.mdb", "mdbtestdata/nwind.mdb"}) {
        const auto file = dir / f;
        if (!std::filesystem::exists(file)) continue;
        jet::Catalog c;
        c.ActiveConnection("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string());
        auto views = c.Views();
        for (int32_t i = 0; i < views.Count(); ++i)
            out.push_back(views.Item(i).Command().CommandText());
        auto procs = c.Procedures();
        for (int32_t i = 0; i < procs.Count(); ++i)
            out.push_back(procs.Item(i).Command().CommandText());
    }
    return out;
}

void BM_TypicalQueries(benchmark::State& state) {
    const auto texts = fixtureTexts();
    if (texts.empty()) {
        state.SkipWithError("fixtures (JET_FIXTURES) not found");
        return;
    }
    std::vector<std::string> run;
    for (size_t i = 0; run.size() < 60; ++i) run.push_back(texts[i % texts.size()]);
    size_t rows = 0, refused = 0;
    for (auto _ : state) {
        rows = refused = 0;
        for (const auto& sql : run) {
            try {
                rows += jet::format::decomposeQuery(sql).rows.size();
            } catch (const jet::format::QueryDecomposeError&) {
                ++refused;
            }
        }
        benchmark::DoNotOptimize(rows);
    }
    state.counters["queries"] = static_cast<double>(run.size());
    state.counters["distinct"] = static_cast<double>(texts.size());
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["refused"] = static_cast<double>(refused);
}
BENCHMARK(BM_TypicalQueries)->Unit(benchmark::kMicrosecond);

std::string repeat(const std::string& s, size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (size_t i = 0; i < n; ++i) out += s;
    return out;
}

std::string joinChain(size_t n) {
    std::string s = "SELECT T0.a FROM T0";
    for (size_t i = 1; i < n; ++i)
        s += " INNER JOIN T" + std::to_string(i) + " ON T" + std::to_string(i - 1) + ".k = T" +
             std::to_string(i) + ".k";
    return s;
}

// Argument: the number of tables joined in one chain (1,600 fill Jet's limit).
void BM_JoinChain(benchmark::State& state) {
    const std::string sql = joinChain(static_cast<size_t>(state.range(0)));
    // A chain longer than Jet's 32 tables is split, then refused, since the
    // reader would build it nested deeper than a query may be: the time of
    // both is measured.
    bool refused = false;
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(jet::format::decomposeQuery(sql).rows.size());
        } catch (const jet::format::QueryDecomposeError&) {
            refused = true;
        }
    }
    state.counters["refused"] = refused ? 1 : 0;
    state.SetComplexityN(state.range(0));
    state.counters["chars"] = static_cast<double>(sql.size());
}
BENCHMARK(BM_JoinChain)
    ->RangeMultiplier(2)
    ->Range(100, 1600)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// Argument: the shape, each close to 64,000 characters.
const std::vector<std::string>& hostile() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        t.push_back("SELECT " + repeat("a,", 31900) + "a FROM T");
        t.push_back("SELECT " + repeat("(", 31000) + "a" + repeat(")", 31000));
        t.push_back("SELECT a FROM " + repeat("(", 31000) + "T" + repeat(")", 31000));
        t.push_back("SELECT a FROM A INNER JOIN B ON " + repeat("(A.x = B.x) AND ", 3900) +
                    "(A.y = B.y)");
        t.push_back("SELECT a FROM T" + repeat(" UNION SELECT a FROM T", 2900));
        t.push_back(repeat("(", 1999) + "SELECT a FROM T" +
                    repeat(" UNION SELECT a FROM T)", 1999) + " UNION SELECT a FROM T");
        t.push_back("SELECT a FROM T WHERE d IN (" + repeat("#1/1/95#,", 7000) + "#1/1/95#)");
        return t;
    }();
    return texts;
}

void BM_HostileAtJetsLimit(benchmark::State& state) {
    const auto& sql = hostile()[static_cast<size_t>(state.range(0))];
    bool refused = false;
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(jet::format::decomposeQuery(sql).rows.size());
        } catch (const jet::format::QueryDecomposeError&) {
            refused = true;
        }
    }
    state.counters["chars"] = static_cast<double>(sql.size());
    state.counters["refused"] = refused ? 1 : 0;
}
BENCHMARK(BM_HostileAtJetsLimit)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
