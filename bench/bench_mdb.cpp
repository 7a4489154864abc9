// Reading the whole catalog of nwind.mdb through the Jet file provider (every
// member the comparison engine reads), against mdb-schema reading the same file,
// each the same number of times in one run; prints both and their ratio.
//   bench/bench_mdb [runs]        (default 30; needs the fixtures and mdbtools)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "jet/Catalog.h"
#include "jet/Error.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

size_t readCatalog(const std::string& file) {
    jet::Catalog c;
    c.ActiveConnection("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
    size_t n = 0;
    auto tables = c.Tables();
    for (int32_t i = 0; i < tables.Count(); ++i) {
        auto t = tables.Item(i);
        n += t.Name().size() + t.Type().size();
        auto cols = t.Columns();
        for (int32_t k = 0; k < cols.Count(); ++k) {
            auto col = cols.Item(k);
            n += col.Name().size() +
                 static_cast<size_t>(col.Type() + col.DefinedSize() + col.Attributes() +
                                     col.Precision() + col.NumericScale());
            auto props = col.Properties();
            for (int p : {0, 1, 2, 5, 6, 12, 13}) n += jet::toText(props.Item(p).Value()).size();
        }
        auto idx = t.Indexes();
        for (int32_t k = 0; k < idx.Count(); ++k) {
            auto x = idx.Item(k);
            n +=
                x.Name().size() + static_cast<size_t>(x.Unique() + x.PrimaryKey() + x.IndexNulls());
            auto xc = x.Columns();
            for (int32_t m = 0; m < xc.Count(); ++m)
                n += xc.Item(m).Name().size() + static_cast<size_t>(xc.Item(m).SortOrder());
        }
        auto keys = t.Keys();
        for (int32_t k = 0; k < keys.Count(); ++k) {
            auto key = keys.Item(k);
            n += key.Name().size() + key.RelatedTable().size() +
                 static_cast<size_t>(key.Type() + key.UpdateRule() + key.DeleteRule());
            auto kc = key.Columns();
            for (int32_t m = 0; m < kc.Count(); ++m)
                n += kc.Item(m).Name().size() + kc.Item(m).RelatedColumn().size();
        }
    }
    auto views = c.Views();
    for (int32_t i = 0; i < views.Count(); ++i) n += views.Item(i).Command().CommandText().size();
    auto procs = c.Procedures();
    for (int32_t i = 0; i < procs.Count(); ++i) {
        auto cmd = procs.Item(i).Command();
        n += cmd.CommandText().size();
        auto ps = cmd.Parameters();
        for (int32_t k = 0; k < ps.Count(); ++k)
            n += ps.Item(k).Name().size() +
                 static_cast<size_t>(ps.Item(k).Type() + ps.Item(k).Size());
    }
    return n;
}

bool runMdbSchema(const std::string& file) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string prog = "mdb-schema", arg = file;
    char* argv[] = {prog.data(), arg.data(), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, "mdb-schema", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const std::string file = std::string(JET_FIXTURES) + "/mdbtestdata/nwind.mdb";
    if (!std::filesystem::exists(file)) {
        std::fprintf(stderr, "fixture %s not found\n", file.c_str());
        return 2;
    }
    try {
        size_t check = readCatalog(file);  // warm the page cache for both
        if (!runMdbSchema(file)) {
            std::fprintf(stderr, "mdb-schema cannot run\n");
            return 2;
        }
        auto t0 = Clock::now();
        for (int i = 0; i < runs; ++i) check += readCatalog(file);
        const double ours = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        t0 = Clock::now();
        for (int i = 0; i < runs; ++i) runMdbSchema(file);
        const double theirs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        std::printf("nwind.mdb, %d runs each\n", runs);
        std::printf("  catalog read whole : %8.2f ms per run\n", ours / runs);
        std::printf("  mdb-schema         : %8.2f ms per run\n", theirs / runs);
        std::printf("  ratio (ours / mdb-schema): %.2f  (target <= 1.00)   [%zu]\n", ours / theirs,
                    check % 10);
        return 0;
    } catch (const jet::Error& e) {
        std::fprintf(stderr, "%s\n", e.description().c_str());
        return 1;
    }
}
