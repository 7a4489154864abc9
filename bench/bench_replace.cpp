// Replacing a database of 100 MB that has a handful of changed pages, the whole
// way (session, copy, pages, sync, verification (empty here), backup link,
// rename, folder sync), against cp copying the same file, in one run; prints
// both and their ratio (target: under 3).
//   bench/bench_replace [benchmark options]
// The files go to $BENCH_REPLACE_DIR, else the system's temporary folder: put
// it on the file system whose behaviour you want to see.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "jet/file/SafeReplace.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
constexpr std::size_t kFileBytes = std::size_t{100} << 20;
constexpr uint32_t kChangedPages = 8;

struct Files {
    fs::path folder;
    std::string database;
    std::string copy;

    Files() {
        const char* base = std::getenv("BENCH_REPLACE_DIR");
        folder = fs::path(base && *base ? base : fs::temp_directory_path().string()) /
                 ("bench-replace-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        database = (folder / "db.mdb").string();
        copy = (folder / "copy.mdb").string();
        std::vector<uint8_t> chunk(1 << 20);
        std::mt19937 random(7);
        const int fd = ::open(database.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (std::size_t done = 0; done < kFileBytes; done += chunk.size()) {
            for (auto& b : chunk) b = static_cast<uint8_t>(random());
            if (::write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size()))
                std::abort();
        }
        ::fsync(fd);
        ::close(fd);
    }
    ~Files() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

Files& files() {
    static Files f;
    return f;
}

void removeBackups() {
    for (const auto& entry : fs::directory_iterator(files().folder)) {
        if (entry.path().filename().string().find("-backup-") != std::string::npos)
            fs::remove(entry.path());
    }
}

void BM_SafeReplace(benchmark::State& state) {
    const uint32_t pageCount = static_cast<uint32_t>(kFileBytes / jet::file::kPageSize);
    std::vector<std::vector<uint8_t>> bytes;
    std::vector<jet::file::PageWrite> pages;
    for (uint32_t i = 0; i < kChangedPages; ++i)
        bytes.emplace_back(jet::file::kPageSize, static_cast<uint8_t>(i));
    for (uint32_t i = 0; i < kChangedPages; ++i)
        pages.push_back({i * (pageCount / kChangedPages), bytes[i]});
    const jet::file::Verify verify = [](const std::string&) { return std::vector<std::string>{}; };
    for (auto _ : state) {
        jet::file::SessionLock session(files().database);
        benchmark::DoNotOptimize(jet::file::safeReplace(session, pages, verify));
        state.PauseTiming();
        removeBackups();
        state.ResumeTiming();
    }
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

void BM_Cp(benchmark::State& state) {
    for (auto _ : state) {
        if (!runCp(files().database, files().copy)) {
            state.SkipWithError("cp cannot run");
            return;
        }
        state.PauseTiming();
        fs::remove(files().copy);
        state.ResumeTiming();
    }
}

// cp followed by syncing its copy, which the replacement must do and cp does not.
void BM_CpAndSync(benchmark::State& state) {
    for (auto _ : state) {
        if (!runCp(files().database, files().copy)) {
            state.SkipWithError("cp cannot run");
            return;
        }
        const int fd = ::open(files().copy.c_str(), O_RDONLY);
        ::fsync(fd);
        ::close(fd);
        state.PauseTiming();
        fs::remove(files().copy);
        state.ResumeTiming();
    }
}

BENCHMARK(BM_SafeReplace)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Cp)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CpAndSync)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Keeps each benchmark's real time per iteration for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> perIteration;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                perIteration[run.run_name.function_name] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    files();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto& t = reporter.perIteration;
    if (t.count("BM_SafeReplace") && t.count("BM_Cp") && t.count("BM_CpAndSync")) {
        const double ours = t.at("BM_SafeReplace") * 1e3;
        const double cp = t.at("BM_Cp") * 1e3;
        const double cpSync = t.at("BM_CpAndSync") * 1e3;
        std::printf("\n100 MB file, %u changed pages, in %s\n", kChangedPages,
                    files().folder.parent_path().c_str());
        std::printf("  replacement, the whole way : %8.1f ms\n", ours);
        std::printf("  cp                         : %8.1f ms\n", cp);
        std::printf("  cp, then fsync of the copy : %8.1f ms\n", cpSync);
        std::printf("  ratio (replacement / cp)   : %.2f  (target < 3)\n", ours / cp);
    }
    benchmark::Shutdown();
    return 0;
}
