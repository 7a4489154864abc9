// Saved queries written into a real Access file: a whole write session on a
// copy of teaching/Comptoir2000.mdb (open, the statements, the end of the
// session: plan, write beside the original, verify with the reader, replace)
// that adds a column, with 0, 20 or 60 CREATE PROCEDURE statements besides
// (the fixtures' own query texts, as the Jet file provider reads them,
// repeated under new names). The difference between the runs is what the
// queries add to a run.
//   build/bench/bench_write_queries     (needs the fixtures)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "jet/Catalog.h"
#include "jet/Command.h"
#include "jet/Connection.h"

namespace {

namespace fs = std::filesystem;

std::string connection(const fs::path& file) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string();
}

std::vector<std::string> fixtureTexts() {
    std::vector<std::string> out;
    const fs::path dir = JET_FIXTURES;
    for (const char* f : {"jackcess/queryTestV2000.mdb", "teaching/ADVWORKS.mdb",
                          "teaching/Gymnase2000.mdb", "teaching/ProductSales-student.mdb"}) {
        const auto file = dir / f;
        if (!fs::exists(file)) continue;
        jet::Catalog c;
        c.ActiveConnection(connection(file));
        auto views = c.Views();
        for (int32_t i = 0; i < views.Count(); ++i)
            out.push_back(views.Item(i).Command().CommandText());
        auto procs = c.Procedures();
        for (int32_t i = 0; i < procs.Count(); ++i)
            out.push_back(procs.Item(i).Command().CommandText());
    }
    return out;
}

// A folder of its own for the copies, removed at the end.
struct Scratch {
    fs::path dir;
    Scratch() {
        dir = fs::temp_directory_path() / ("bench_write_queries." + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

void BM_WriteSession(benchmark::State& state) {
    const fs::path fixture = fs::path(JET_FIXTURES) / "teaching/Comptoir2000.mdb";
    const auto texts = fixtureTexts();
    if (!fs::exists(fixture) || texts.empty()) {
        state.SkipWithError("fixtures (JET_FIXTURES) not found");
        return;
    }
    const auto count = static_cast<size_t>(state.range(0));
    std::vector<std::string> statements = {"ALTER TABLE [Client] ADD COLUMN [Note] TEXT(40)"};
    for (size_t i = 0; i < count; ++i)
        statements.push_back("CREATE PROCEDURE [Query " + std::to_string(i) + "] AS \r\n" +
                             texts[i % texts.size()]);
    Scratch scratch;
    const fs::path db = scratch.dir / "Comptoir2000.mdb";
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& e : fs::directory_iterator(scratch.dir)) fs::remove(e.path());
        fs::copy_file(fixture, db);
        fs::permissions(db, fs::perms::owner_write, fs::perm_options::add);
        state.ResumeTiming();
        jet::Connection c;
        c.Mode(jet::ConnectMode::ReadWrite);
        c.Open(connection(db));
        for (const auto& s : statements) c.Execute(s);
        c.Close();
    }
    state.counters["queries"] = static_cast<double>(count);
}
BENCHMARK(BM_WriteSession)->Arg(0)->Arg(20)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
