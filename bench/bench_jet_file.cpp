// The writable Jet 4 provider's page codec on a file of about 100 MB: a real
// table (fixedTextTestV2000's "users") grown to 640,000 rows, indexes
// included, by the codec itself (GrownTable.h; built once per run, in a
// temporary folder, or kept in BENCH_JET_FILE_DIR). Then every row is read and
// decoded through the codec, as the writer reads a table it must rewrite:
// prints the time per full read and the peak of heap bytes in use during it
// (counted by the global operator new below; target: well under 64 MiB, the
// file is never held whole).
//   bench/bench_jet_file [reads]        (default 3; needs the fixtures)
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "GrownTable.h"
#include "HeapCounter.h"

using bench::gInUse;
using bench::gPeak;

namespace {

using namespace jet::file;
using Clock = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv) {
    const int reads = argc > 1 ? std::atoi(argv[1]) : 3;
    const std::string fixture = std::string(JET_FIXTURES) + "/" + bench::kUsers.fixture;
    if (!std::filesystem::exists(fixture)) {
        std::printf("fixtures not found (%s); nothing measured\n", fixture.c_str());
        return 0;
    }
    const char* keep = std::getenv("BENCH_JET_FILE_DIR");
    const auto dir = keep ? std::filesystem::path(keep)
                          : std::filesystem::temp_directory_path() / "bench_jet_file";
    std::filesystem::create_directories(dir);
    const std::string big = (dir / "grown.mdb").string();
    if (!std::filesystem::exists(big)) {
        const auto t0 = Clock::now();
        (void)bench::growTable(fixture, bench::kUsers, big, {.rows = bench::kHundredMegabyteRows});
        std::printf("built %s (%.0f MB) in %.1f s\n", big.c_str(),
                    static_cast<double>(std::filesystem::file_size(big)) / 1e6,
                    std::chrono::duration<double>(Clock::now() - t0).count());
    }
    for (int r = 0; r < reads; ++r) {
        const long long base = gInUse.load();
        gPeak.store(base);
        const auto t0 = Clock::now();
        size_t rows = 0, chars = 0;
        {
            PageFile file(big);
            const auto def =
                TableDefinition::read(file, bench::tablePage(file, bench::kUsers.table));
            TableReader(file, def).forEachValues(
                [&](uint32_t, const std::vector<jet::FieldValue>& values) {
                    ++rows;
                    chars += std::get<std::string>(values[4]).size();
                });
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        std::printf(
            "read %zu rows (%zu characters) in %.2f s; peak heap above the start %.1f MiB\n", rows,
            chars, seconds, static_cast<double>(gPeak.load() - base) / (1024.0 * 1024.0));
    }
    if (!keep) std::filesystem::remove_all(dir);
    return 0;
}
