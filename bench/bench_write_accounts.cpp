// Accounts and permissions written into a real secured pair: a whole write
// session on copies of secured/kontener.mdb and its workgroup
// kontener-security.mdw (open with the workgroup, the statements, the end of
// the session: the workgroup's new file written, checked by the codec's
// checker and read back by the reader, then the database's, each backed up
// and renamed into place). The run makes 10 users and a group, and gives 20
// memberships; with 200 permission lines (GRANT and REVOKE on the database's
// tables to those accounts) besides, the database is written too. A run
// whose permission lines the writer refuses is reported as skipped.
//   build/bench/bench_write_accounts     (needs the fixtures)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsers = 10;
const std::vector<std::string> kTables = {"60", "Foydalanuvchi", "Hisobot", "Kontener"};
const std::vector<std::string> kRights = {"SELECT", "UPDATE", "INSERT", "DELETE", "DROP"};

std::string connection(const fs::path& db, const fs::path& workgroup) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db.string() +
           ";Jet OLEDB:System database=" + workgroup.string();
}

std::vector<std::string> statements(size_t permissions) {
    std::vector<std::string> out;
    for (int i = 0; i < kUsers; ++i) out.push_back("CREATE USER [Bench" + std::to_string(i) + "]");
    out.push_back("CREATE GROUP [BenchGroup]");
    // 20 memberships: every new user in the new group and in Admins.
    for (int i = 0; i < kUsers; ++i) {
        out.push_back("ADD USER [Bench" + std::to_string(i) + "] TO [BenchGroup]");
        out.push_back("ADD USER [Bench" + std::to_string(i) + "] TO [Admins]");
    }
    for (size_t i = 0; i < permissions; ++i) {
        const std::string& right = kRights[i % kRights.size()];
        const std::string& table = kTables[(i / kRights.size()) % kTables.size()];
        const std::string who = "[Bench" + std::to_string(i % kUsers) + "]";
        out.push_back(i % 2 == 0 ? "GRANT " + right + " ON TABLE [" + table + "] TO " + who
                                 : "REVOKE " + right + " ON TABLE [" + table + "] FROM " + who);
    }
    return out;
}

// A folder of its own for the copies, removed at the end.
struct Scratch {
    fs::path dir;
    Scratch() {
        dir = fs::temp_directory_path() / ("bench_write_accounts." + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

void BM_AccountsSession(benchmark::State& state) {
    const fs::path fixtures = fs::path(JET_FIXTURES) / "secured";
    if (!fs::exists(fixtures / "kontener.mdb") || !fs::exists(fixtures / "kontener-security.mdw")) {
        state.SkipWithError("fixtures (JET_FIXTURES) not found");
        return;
    }
    const auto permissions = static_cast<size_t>(state.range(0));
    const auto lines = statements(permissions);
    Scratch scratch;
    const fs::path db = scratch.dir / "kontener.mdb";
    const fs::path wg = scratch.dir / "kontener-security.mdw";
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& e : fs::directory_iterator(scratch.dir)) fs::remove(e.path());
        for (const auto& f : {db, wg}) {
            fs::copy_file(fixtures / f.filename(), f);
            fs::permissions(f, fs::perms::owner_write, fs::perm_options::add);
        }
        state.ResumeTiming();
        jet::Connection c;
        c.Mode(jet::ConnectMode::ReadWrite);
        c.Open(connection(db, wg));
        try {
            for (const auto& s : lines) c.Execute(s);
        } catch (const jet::Error& e) {
            state.SkipWithError(("a statement was refused: " + e.description()).c_str());
            c.Close();
            return;
        }
        c.Close();
    }
    state.counters["permissions"] = static_cast<double>(permissions);
    state.counters["memberships"] = 2.0 * kUsers;
}
BENCHMARK(BM_AccountsSession)->Arg(0)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
