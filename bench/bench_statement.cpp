// Memory one statement takes in the store provider, for statements of
// hostile size and shape: the peak of heap bytes in use during Execute
// (C++ allocations, counted by the global operator new below, and SQLite's
// own, from its high-water mark) above what was in use before, and that peak
// as a multiple of the statement's size. The statement's text itself is
// made before and not counted. Also the time Execute takes.
//
// Run by hand: build/bench/bench_statement
#include <malloc.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <string>

#include "jet/Connection.h"
#include "jet/Error.h"
#include "jet/testing/StoreBuilder.h"
#include "HeapCounter.h"

using bench::gInUse;
using bench::gPeak;

namespace {

std::string repeat(std::string_view s, size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (size_t i = 0; i < n; ++i) out += s;
    return out;
}

// `head` + as many `unit`s as fit + `tail`, `chars` characters in all (ASCII).
std::string fill(const std::string& head, std::string_view unit, const std::string& tail,
                 size_t chars) {
    std::string s = head + repeat(unit, (chars - head.size() - tail.size()) / unit.size());
    return s + std::string(chars - s.size() - tail.size(), ' ') + tail;
}

struct Case {
    const char* what;
    std::string statement;
};

}  // namespace

int main() {
    const auto dir = std::filesystem::temp_directory_path() / "parabase-bench-statement";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "s.sdb").string();
    try {
        jet::testing::buildStore(path, R"(
CREATE TABLE [T] ([A] LONG, [B] TEXT(10), [M] MEMO);
INSERT INTO [T] VALUES (1, 'a', NULL);
INSERT INTO [T] VALUES (2, 'b', NULL);
)");
        jet::Connection conn;
        conn.Open(jet::testing::storeConnectionString(path));
        const size_t limit = jet::limit::StatementLength;
        const Case cases[] = {
            {"10 MB UPDATE with one text (refused)",
             fill("UPDATE [T] SET [M] = '", "x", "'", 10'000'000)},
            {"10 MB of ';' (refused)", fill("DROP TABLE [T]", ";", "", 10'000'000)},
            {"64,000 chars: UPDATE with one text", fill("UPDATE [T] SET [M] = '", "x", "'", limit)},
            {"64,000 chars: IN list of numbers",
             fill("UPDATE [T] SET [M] = 'y' WHERE [A] IN (0", ",1", ")", limit)},
            {"64,000 chars: IN list of texts",
             fill("UPDATE [T] SET [M] = 'y' WHERE [B] IN ('0'", ",'1'", ")", limit)},
            {"64,000 chars: INSERT of a long expression",
             fill("INSERT INTO [T] ([M]) VALUES ('a'", "&'b'", ")", limit)},
            {"64,000 chars of ';' (refused)", fill("DROP TABLE [T]", ";", "", limit)},
        };
        std::printf("%-45s %12s %12s %12s %10s %10s\n", "statement", "bytes", "C++ peak",
                    "SQLite peak", "multiple", "time");
        for (const auto& c : cases) {
            const long long before = gInUse.load();
            gPeak.store(before);
            const sqlite3_int64 sqliteBefore = sqlite3_memory_used();
            (void)sqlite3_memory_highwater(1);
            const auto start = std::chrono::steady_clock::now();
            std::string outcome = "ran";
            try {
                (void)conn.Execute(c.statement);
            } catch (const jet::Error& e) {
                outcome = e.description().substr(0, 40);
            }
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            const long long cpp = gPeak.load() - before;
            const long long lite = sqlite3_memory_highwater(0) - sqliteBefore;
            const double multiple =
                static_cast<double>(cpp + lite) / static_cast<double>(c.statement.size());
            std::printf("%-45s %12zu %12lld %12lld %9.2fx %8.2f ms  [%s]\n", c.what,
                        c.statement.size(), cpp, lite, multiple, ms, outcome.c_str());
        }
    } catch (const jet::Error& e) {
        std::fprintf(stderr, "failed: %s\n", e.description().c_str());
        return 1;
    }
    std::filesystem::remove_all(dir);
    return 0;
}
