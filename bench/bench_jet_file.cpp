// The writable Jet 4 provider's page codec on a file of about 100 MB: a real
// table (fixedTextTestV2000's "users") grown to some 900,000 rows on new data
// pages by the codec itself (built once per run, in a temporary folder, or kept
// in BENCH_JET_FILE_DIR). Then every row is read and decoded through the
// codec, as the writer reads a table it must rewrite: prints the time per full
// read and the peak of heap bytes in use during it (counted by the global
// operator new below; target: well under 64 MiB, the file is never held whole).
//   bench/bench_jet_file [reads]        (default 3; needs the fixtures)
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "jet/file/DataPage.h"
#include "jet/file/PageFile.h"
#include "jet/file/Row.h"
#include "jet/file/TableDefinition.h"
#include "jet/file/TableReader.h"
#include "jet/file/UsageMap.h"

namespace {
std::atomic<long long> gInUse{0};
std::atomic<long long> gPeak{0};
void noteAllocated(long long n) {
    const long long now = gInUse.fetch_add(n) + n;
    long long peak = gPeak.load();
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
}
}  // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
void* operator new(std::size_t n) {
    void* p = std::malloc(n == 0 ? 1 : n);
    if (!p) throw std::bad_alloc();
    noteAllocated(static_cast<long long>(malloc_usable_size(p)));
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    gInUse.fetch_sub(static_cast<long long>(malloc_usable_size(p)));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
#pragma GCC diagnostic pop

namespace {

using namespace jet::file;
using Clock = std::chrono::steady_clock;
constexpr uint32_t kTargetPages = 25600;  // 100 MiB of 4096-byte pages

uint32_t usersTable(const PageFile& file) {
    const auto catalog = TableDefinition::read(file, 2);
    uint32_t found = 0;
    TableReader(file, catalog).forEachValues([&](uint32_t, const std::vector<jet::FieldValue>& r) {
        std::string name;
        int32_t id = 0;
        int16_t type = 0;
        for (size_t i = 0; i < catalog.columns.size(); ++i) {
            const auto& c = catalog.columns[i].name;
            if (c == "Name") name = std::get<std::string>(r[i]);
            if (c == "Id") id = std::get<int32_t>(r[i]);
            if (c == "Type") type = std::get<int16_t>(r[i]);
        }
        if (type == 1 && name == "users") found = static_cast<uint32_t>(id);
    });
    if (found == 0) throw std::runtime_error("no table users");
    return found;
}

// The fixture with its table grown until the file holds kTargetPages pages.
void build(const std::string& fixture, const std::string& out) {
    PageFile file(fixture);
    auto def = TableDefinition::read(file, usersTable(file));
    auto owned = UsageMap::read(file, def.ownedPages);
    GlobalUsageMap global(file);
    std::vector<PageRow> rows;
    std::vector<size_t> lengths;
    uint32_t added = 0;
    for (int i = 0; file.pageCount() < kTargetPages; ++i) {
        const std::string n = std::to_string(i);
        Bytes row = encodeRow(
            def,
            {int32_t{1000 + i}, std::string("login" + n), std::string("pwd"), std::string("-1"),
             std::string("User number " + n), int32_t{i % 7}, int32_t{16408}, int32_t{-1},
             std::string("N"), jet::DateTime{40000.0 + i / 1440.0}},
            nullptr);
        lengths.push_back(row.size());
        if (!rowsFit(file.pageSize(), lengths)) {
            const uint32_t p = file.append();
            const Bytes page = buildDataPage(file.pageSize(), def.firstPage(), rows);
            auto dst = file.writable(p);
            std::copy(page.begin(), page.end(), dst.begin());
            owned.add(p);
            global.markUsed(p);
            rows.clear();
            lengths.assign(1, row.size());
        }
        rows.push_back({std::move(row), 0});
        ++added;
    }
    added -= static_cast<uint32_t>(rows.size());  // the last, unfinished page is left out
    owned.write(file);
    for (uint32_t p : owned.newMapPages()) global.markUsed(p);
    def.rowCount += added;
    (void)def.write(file);
    global.write(file);
    std::ofstream o(out, std::ios::binary);
    for (uint32_t p = 0; p < file.pageCount(); ++p) {
        const auto page = file.page(p);
        o.write(reinterpret_cast<const char*>(page->data()),
                static_cast<std::streamsize>(page->size()));
    }
    if (!o) throw std::runtime_error("cannot write " + out);
}

}  // namespace

int main(int argc, char** argv) {
    const int reads = argc > 1 ? std::atoi(argv[1]) : 3;
    const std::string fixture = std::string(JET_FIXTURES) + "/jackcess/fixedTextTestV2000.mdb";
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
        build(fixture, big);
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
            const auto def = TableDefinition::read(file, usersTable(file));
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
