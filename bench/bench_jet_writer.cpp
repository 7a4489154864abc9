// The writer, whole runs of the script runner on copies of real Jet 4 and
// Jet 3 files (open, statements, close with its plan, the new file, its
// verification, the backup and the replacement), each against its baseline:
//   1. Comptoir2000.mdb synced with a copy of itself, every object selected
//      (the comparison engine's script, which drops and re-creates every
//      index and key); target under 1 s. The script ends as the file began,
//      so it is run again with one more column, which the close must write.
//   2. ADD COLUMN on a file of about 100 MB (a real table grown by the codec
//      to 640,000 rows, GrownTable.h), against two yardsticks taken in the
//      same run: `cp` of the same file, and `cp` followed by a sync of the
//      copy, which is what a safe replacement must at least do (the new file
//      made durable before it replaces the original); target at most 1.5
//      times the second; memory: the peak of heap bytes
//      in use during the run above those in use before it (counted by the
//      global operator new below), and the peak resident set during the run
//      above the resident set before it (VmHWM, reset through clear_refs);
//      target under 64 MiB. The reader (libmdb, in a service process of its
//      own that forks for each file and reads the schema alone) is not counted.
//   3. ALTER COLUMN LONG to DOUBLE on a table of 100,000 rows; target under 2 s.
//   4. As 1, on nwind.mdb (Jet 3); target under 1 s.
//   5. ADD COLUMN on a Jet 3 file of about 50 MB (nwind's Customers grown by
//      the codec to 320,000 rows), measured as 2; targets: at most 3 times
//      `cp`, under 64 MiB.
//   bench/bench_jet_writer [runs [parts]]   (default 3 runs of parts 12345;
//                                           needs the fixtures)
// The files go to $BENCH_JET_WRITER_DIR (kept between runs, so the grown files
// are built once), else a temporary folder removed at the end.
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "GrownTable.h"
#include "engine/CCAccess.h"
#include "jet/ConnectionString.h"
#include "jet/Error.h"
#include "runner/CScriptRunner.h"
#include "script/Script.h"
#include "script/ScriptFile.h"
#include "wizard/OptionRules.h"
#include "HeapCounter.h"

extern char** environ;

using bench::gInUse;
using bench::gPeak;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr double kMiB = 1024.0 * 1024.0;

double secondsSince(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

std::string connectionFor(const std::string& path) {
    jet::ConnectionProperties p;
    p.provider = std::string(jet::kJetProvider);
    p.dataSource = path;
    return jet::buildConnectionString(p);
}

// A kB figure of /proc/self/status ("VmRSS", "VmHWM").
long long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::atoll(line.c_str() + key.size());
    return -1;
}

// Starts the peak resident set afresh at the current one (Linux 4.0 and later).
bool resetPeakRss() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return static_cast<bool>(out);
}

// Makes a file's data durable, as a safe replacement syncs its new file.
bool syncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool runCp(const std::string& from, const std::string& to) {
    std::string prog = "cp", a = from, b = to;
    char* argv[] = {prog.data(), a.data(), b.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Logs every failed statement and lets the run go on.
class Failures : public runner::ScriptRunnerEvents {
public:
    void OnError(int32_t ErrNo, std::string ErrDesc, bool& Continue) override {
        lines.push_back(std::to_string(ErrNo) + ": " + ErrDesc);
        Continue = true;
    }
    std::vector<std::string> lines;
};

struct Run {
    double seconds = 0;
    long long heapPeak = 0;  // bytes above those in use before
    long long rssPeak = -1;  // bytes above the resident set before; -1 unknown
    std::string problem;     // empty when every statement ran and the close succeeded
    bool written = false;    // the close wrote a new file (and kept a backup)
};

// One run of the script runner on `database`, measured.
Run runScript(const std::string& scriptFile, const std::string& database) {
    Run r;
    Failures failures;
    runner::CScriptRunner runner;
    runner.ConnectionString(connectionFor(database));
    runner.ScriptFile(scriptFile);
    runner.Events(&failures);
    // Memory freed before the run goes back to the system, so the run's own
    // shows in the resident set.
    ::malloc_trim(0);
    const long long rssBefore = statusKb("VmRSS");
    const bool rssReset = resetPeakRss();
    const long long heapBefore = gInUse.load();
    gPeak.store(heapBefore);
    const auto t0 = Clock::now();
    bool finished = false;
    try {
        finished = runner.RunScript();
    } catch (const jet::Error& e) {
        r.problem = "the run stopped: " + e.description();
    } catch (const std::exception& e) {
        r.problem = std::string("the run stopped: ") + e.what();
    }
    r.seconds = secondsSince(t0);
    r.heapPeak = gPeak.load() - heapBefore;
    if (rssReset && rssBefore >= 0) r.rssPeak = (statusKb("VmHWM") - rssBefore) * 1024;
    if (!runner.CloseFailure().empty()) r.problem += "the close failed: " + runner.CloseFailure();
    r.written = !runner.CloseReport().empty();
    for (const auto& f : failures.lines) r.problem += "failed " + f + "; ";
    if (!finished && r.problem.empty()) r.problem = "the run did not reach the end";
    return r;
}

void removeBackups(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find("-backup-") != std::string::npos)
            fs::remove(entry.path());
}

std::string fresh(const std::string& from, const fs::path& folder, const std::string& name) {
    const fs::path to = folder / name;
    fs::remove(to);
    removeBackups(folder);
    fs::copy_file(from, to);
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    return to.string();
}

// 1. The script of a file against a copy of itself, every object selected.
std::string selfSyncScript(const std::string& file, const fs::path& folder, size_t* statements) {
    const std::string source = fresh(file, folder, "source.mdb");
    const std::string destination = fresh(file, folder, "destination.mdb");
    const wizard::OptionRules options;
    const auto e = engine::CCAccess::create();
    wizard::ApplyCompareOptions(*e, options);
    e->SourceDatabaseConnectionString(connectionFor(source));
    e->DestinationDatabaseConnnectionString(connectionFor(destination));
    e->CompareDatabases();
    wizard::ApplyScriptOptions(*e, options);
    engine::TComparisonResult all = e->Differences();
    for (auto& t : all.Tables) t.Selected = true;
    for (auto& v : all.Views) v.Selected = true;
    for (auto& q : all.Procedures) q.Selected = true;
    for (auto& u : all.Users) u.Selected = true;
    for (auto& g : all.Groups) g.Selected = true;
    e->Differences(all);
    const script::TScript s = script::GenerateScript(*e, script::sdSourceToDestination,
                                                     options.IsOn(wizard::OptionBox::CMatch));
    const std::string text = script::ScriptFileText(s);
    *statements = 0;
    for (size_t at = 0; (at = text.find("\nRUN", at)) != std::string::npos; ++at) ++*statements;
    const std::string path = (folder / "self-sync.psx").string();
    script::WriteScriptFile(path, text);
    return path;
}

std::string scriptOf(const fs::path& folder, const std::string& name, const std::string& sql) {
    const std::string path = (folder / name).string();
    script::WriteScriptFile(path, sql + "\nRUN\n");
    return path;
}

std::string megabytes(const std::string& path) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f MB", static_cast<double>(fs::file_size(path)) / 1e6);
    return buf;
}

// Built in a child process, so that what building takes is no part of this
// process's resident set.
std::string grown(const std::string& fixtures, const bench::GrownSource& source,
                  const fs::path& folder, const std::string& name, bench::Growth growth) {
    const std::string path = (folder / name).string();
    if (fs::exists(path)) return path;
    const auto t0 = Clock::now();
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            const uint32_t rows =
                bench::growTable(fixtures + "/" + source.fixture, source, path + ".part", growth);
            fs::rename(path + ".part", path);
            std::printf("built %s (%s, %u rows added)", path.c_str(), megabytes(path).c_str(),
                        rows);
            std::fflush(stdout);
            ::_exit(0);
        } catch (const std::exception& e) {
            std::printf("cannot build %s: %s\n", path.c_str(), e.what());
            std::fflush(stdout);
            ::_exit(1);
        }
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        throw std::runtime_error("the file could not be built");
    std::printf(" in %.1f s\n", secondsSince(t0));
    return path;
}

bool report(const char* what, const Run& r) {
    if (!r.problem.empty()) {
        std::printf("  %s: %s\n", what, r.problem.c_str());
        return false;
    }
    return true;
}

// `column` adds one column to one of the file's tables.
bool selfSyncRuns(const char* title, const std::string& database, const std::string& column,
                  const fs::path& dir, int runs) {
    std::printf("%s synced with a copy of itself, every object selected\n", title);
    size_t statements = 0;
    const auto t0 = Clock::now();
    const std::string selfSync = selfSyncScript(database, dir, &statements);
    std::printf("  compare and script: %.3f s, %zu statements\n", secondsSince(t0), statements);
    // The script ends as the file began, so the close has nothing to write;
    // with one more column the plan, the new file, its verification and the
    // replacement run too.
    std::string text;
    {
        std::ifstream in(selfSync, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::string withColumn = scriptOf(dir, "self-sync-and-column.psx", text + "\n" + column);
    bool clean = true;
    for (const auto& [script, what] :
         {std::pair{selfSync, "the script"}, std::pair{withColumn, "with one more column"}}) {
        for (int i = 0; i < runs; ++i) {
            const std::string target = fresh(database, dir, "synced.mdb");
            const Run r = runScript(script, target);
            clean = report("run", r) && clean;
            std::printf("  %s, run %d: %.3f s (target < 1 s), %s; heap peak %.1f MiB\n", what,
                        i + 1, r.seconds, r.written ? "written" : "nothing to write",
                        static_cast<double>(r.heapPeak) / kMiB);
        }
    }
    return clean;
}

// An ADD COLUMN on source's table grown by `rows`; the targets go into the
// figures as they are printed ("" for none).
struct AddColumn {
    const char* title;
    bench::GrownSource source;
    uint32_t rows;
    const char* file;  // the grown file's name in the folder
    const char* sql;
    const char* cpTarget;
    const char* syncTarget;
};

bool addColumnRuns(const std::string& fixtures, const AddColumn& a, const fs::path& dir, int runs) {
    std::printf("%s\n", a.title);
    const std::string big = grown(fixtures, a.source, dir, a.file, {.rows = a.rows});
    const std::string addColumn = scriptOf(dir, "add-column.psx", a.sql);
    const std::string copy = (dir / "copy.mdb").string();
    const std::string durable = (dir / "durable-copy.mdb").string();
    bool clean = true;
    for (int i = 0; i < runs; ++i) {
        // The second yardstick: cp, then the copy synced to disk.
        fs::remove(durable);
        ::sync();
        const auto s0 = Clock::now();
        if (!runCp(big, durable) || !syncFile(durable)) {
            std::printf("  cp and sync cannot run\n");
            return false;
        }
        const double cpSync = secondsSince(s0);
        fs::remove(durable);
        fs::remove(copy);
        removeBackups(dir);
        ::sync();
        const auto t0 = Clock::now();
        if (!runCp(big, copy)) {
            std::printf("  cp cannot run\n");
            return false;
        }
        const double cp = secondsSince(t0);
        ::sync();
        const Run r = runScript(addColumn, copy);
        clean = report("run", r) && clean;
        std::printf(
            "  run %d: %.3f s; cp %.3f s (ratio %.2f%s); cp + sync of the copy %.3f s (ratio "
            "%.2f%s); heap peak %.1f MiB, peak RSS %.1f MiB above the start (target < "
            "64 MiB)\n",
            i + 1, r.seconds, cp, r.seconds / cp, a.cpTarget, cpSync, r.seconds / cpSync,
            a.syncTarget, static_cast<double>(r.heapPeak) / kMiB,
            static_cast<double>(r.rssPeak) / kMiB);
    }
    return clean;
}

bool alterColumnRuns(const std::string& fixtures, const fs::path& dir, int runs) {
    std::printf("3. ALTER COLUMN LONG to DOUBLE on a table of 100,000 rows\n");
    const std::string rows = grown(fixtures, bench::kUsers, dir, "rows100k.mdb", {.rows = 100000});
    const std::string alter = scriptOf(dir, "alter-column.psx",
                                       "ALTER TABLE [users] ALTER COLUMN [i_user_flags] DOUBLE;");
    bool clean = true;
    for (int i = 0; i < runs; ++i) {
        const std::string target = fresh(rows, dir, "altered.mdb");
        const Run r = runScript(alter, target);
        clean = report("run", r) && clean;
        std::printf("  run %d: %.3f s (target < 2 s); heap peak %.1f MiB\n", i + 1, r.seconds,
                    static_cast<double>(r.heapPeak) / kMiB);
    }
    return clean;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string parts = argc > 2 ? argv[2] : "12345";
    const auto part = [&](char n) { return parts.find(n) != std::string::npos; };
    const std::string fixtures = JET_FIXTURES;
    const std::string comptoir = fixtures + "/teaching/Comptoir2000.mdb";
    const std::string nwind = fixtures + "/" + bench::kCustomers.fixture;
    if (!fs::exists(comptoir) || !fs::exists(fixtures + "/" + bench::kUsers.fixture) ||
        !fs::exists(nwind)) {
        std::printf("fixtures not found (%s); nothing measured\n", fixtures.c_str());
        return 0;
    }
    const char* keep = std::getenv("BENCH_JET_WRITER_DIR");
    const fs::path dir = keep && *keep ? fs::path(keep)
                                       : fs::temp_directory_path() /
                                             ("bench_jet_writer-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const AddColumn jet4{"2. ADD COLUMN on a file of about 100 MB",
                         bench::kUsers,
                         bench::kHundredMegabyteRows,
                         "grown.mdb",
                         "ALTER TABLE [users] ADD COLUMN [i_user_extra] LONG;",
                         "",
                         ", target <= 1.5"};
    const AddColumn jet3{"5. ADD COLUMN on a Jet 3 file of about 50 MB",
                         bench::kCustomers,
                         bench::kFiftyMegabyteJet3Rows,
                         "grown97.mdb",
                         "ALTER TABLE [Customers] ADD COLUMN [Remark] LONG;",
                         ", target <= 3",
                         ""};
    bool clean = true;
    if (part('1'))
        clean = selfSyncRuns("1. Comptoir2000.mdb", comptoir,
                             "ALTER TABLE [Client] ADD COLUMN [Remarque] TEXT(50);", dir, runs) &&
                clean;
    if (part('2')) clean = addColumnRuns(fixtures, jet4, dir, runs) && clean;
    if (part('3')) clean = alterColumnRuns(fixtures, dir, runs) && clean;
    if (part('4'))
        clean = selfSyncRuns("4. nwind.mdb (Jet 3)", nwind,
                             "ALTER TABLE [Customers] ADD COLUMN [Remark] TEXT(50);", dir, runs) &&
                clean;
    if (part('5')) clean = addColumnRuns(fixtures, jet3, dir, runs) && clean;
    if (!keep || !*keep) fs::remove_all(dir);
    return clean ? 0 : 1;
}
