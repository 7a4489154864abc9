// Damaged, truncated and foreign files fail with a clear error and never
// crash or hang the test process; so does a reader process that misbehaves.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "MdbTestSupport.h"
#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Error.h"

namespace {

using jet::Err;
using Clock = std::chrono::steady_clock;

std::string textOf(Err e, std::initializer_list<std::string_view> args = {}) {
    return jet::makeError(e, args).description();
}

// Reads every member the comparison engine reads.
size_t readEverything(jet::Catalog& c) {
    size_t n = 0;
    auto tables = c.Tables();
    for (int32_t i = 0; i < tables.Count(); ++i) {
        auto t = tables.Item(i);
        n += t.Name().size() + t.Type().size();
        auto cols = t.Columns();
        for (int32_t k = 0; k < cols.Count(); ++k) {
            auto col = cols.Item(k);
            n += static_cast<size_t>(col.Type() + col.DefinedSize() + col.Attributes() +
                                     col.Precision() + col.NumericScale());
            auto p = col.Properties();
            for (int32_t q = 0; q < p.Count(); ++q) n += jet::toText(p.Item(q).Value()).size();
        }
        auto idx = t.Indexes();
        for (int32_t k = 0; k < idx.Count(); ++k)
            n += static_cast<size_t>(idx.Item(k).Columns().Count());
        auto keys = t.Keys();
        for (int32_t k = 0; k < keys.Count(); ++k) n += keys.Item(k).RelatedTable().size();
    }
    auto views = c.Views();
    for (int32_t i = 0; i < views.Count(); ++i) n += views.Item(i).Command().CommandText().size();
    auto procs = c.Procedures();
    for (int32_t i = 0; i < procs.Count(); ++i)
        n += static_cast<size_t>(procs.Item(i).Command().Parameters().Count());
    return n;
}

// The description of the error opening and reading `file` gives; "" when none.
std::string outcome(const std::string& file, const std::string& workgroup = "") {
    try {
        jet::Catalog c;
        c.ActiveConnection(mdbtest::connectionString(file, workgroup));
        (void)readEverything(c);
        if (!workgroup.empty()) (void)c.Users().Count();
        return "";
    } catch (const jet::Error& e) {
        return e.description();
    }
}

struct DamageCase {
    const char* name;  // the copy is named for its damage
    const char* fixture;
    std::function<void(std::string&)> damage;
    Err expected;
};

class MdbDamagedFile : public ::testing::TestWithParam<DamageCase> {};

TEST_P(MdbDamagedFile, FailsWithAClearError) {
    REQUIRE_FIXTURES();
    const auto& k = GetParam();
    std::string bytes = testsupport::readFile(testsupport::fixture(k.fixture));
    k.damage(bytes);
    testsupport::TempDir dir;
    const auto file = dir.file(k.name);
    testsupport::writeFile(file, bytes);
    const auto want =
        k.expected == Err::UnknownFormat ? textOf(k.expected, {file}) : textOf(k.expected);
    EXPECT_EQ(outcome(file), want);
}

const DamageCase kDamageCases[] = {
    {"empty.mdb", "jackcess/adox_jet4.mdb", [](std::string& b) { b.clear(); }, Err::UnknownFormat},
    {"text-file.mdb", "jackcess/adox_jet4.mdb", [](std::string& b) { b = "not a database\n"; },
     Err::UnknownFormat},
    {"truncated-header.mdb", "jackcess/adox_jet4.mdb", [](std::string& b) { b.resize(100); },
     Err::Damaged},
    {"truncated-mid-page.mdb", "jackcess/indexTestV2000.mdb",
     [](std::string& b) { b.resize(b.size() / 2 + 77); }, Err::Damaged},
    {"truncated-before-catalog.mdb", "jackcess/indexTestV2000.mdb",
     [](std::string& b) { b.resize(2 * 4096); }, Err::Damaged},
    {"truncated-jet3.mdb", "mdbtestdata/nwind.mdb", [](std::string& b) { b.resize(40 * 2048); },
     Err::Damaged},
    {"unknown-version.mdb", "jackcess/adox_jet4.mdb", [](std::string& b) { b[0x14] = 0x7F; },
     Err::Damaged},
    {"catalog-page-zeroed.mdb", "jackcess/queryTestV2000.mdb",
     [](std::string& b) { std::fill(b.begin() + 2 * 4096, b.begin() + 3 * 4096, '\0'); },
     Err::Damaged},
    {"catalog-page-garbage.mdb", "mdbtestdata/nwind.mdb",
     [](std::string& b) {
         std::mt19937 r(7);
         for (size_t i = 2 * 2048; i < 3 * 2048; ++i) b[i] = static_cast<char>(r());
     },
     Err::Damaged},
    {"table-definition-zeroed.mdb", "jackcess/testUnicodeCompV2003.mdb",
     [](std::string& b) { std::fill(b.begin() + 53 * 4096, b.begin() + 54 * 4096, '\0'); },
     Err::Damaged},
};

INSTANTIATE_TEST_SUITE_P(Copies, MdbDamagedFile, ::testing::ValuesIn(kDamageCases),
                         [](const auto& p) {
                             std::string n = p.param.name;
                             n = n.substr(0, n.find('.'));
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

TEST(MdbDamagedFile, MissingFileAndFolder) {
    testsupport::TempDir dir;
    const auto missing = dir.file("missing.mdb");
    EXPECT_EQ(outcome(missing), textOf(Err::FileNotFound, {missing}));
    EXPECT_EQ(outcome(dir.path().string()),
              textOf(Err::FileNotReadable, {dir.path().string(), "it is not a readable file"}));
}

TEST(MdbDamagedFile, DamagedWorkgroupIsNoWorkgroup) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    std::string bytes = testsupport::readFile(testsupport::fixture("workgroup/system.mdw"));
    bytes.resize(bytes.size() / 3 + 5);
    const auto wg = dir.file("truncated.mdw");
    testsupport::writeFile(wg, bytes);
    EXPECT_EQ(outcome(testsupport::fixture("jackcess/adox_jet4.mdb"), wg),
              textOf(Err::WorkgroupInvalid, {wg}));
}

// A few hundred copies of the fixtures, each damaged at random (seeded, so a
// failure repeats): bytes flipped, pages zeroed or overwritten, the file cut.
// Each must open and read whole, or fail with Damaged; libmdb's crashes and
// loops stay in the reader process.
TEST(MdbDamagedFile, HundredsOfRandomDamagesNeverEscapeTheReader) {
    REQUIRE_FIXTURES();
    mdbtest::ReaderOptionsScope limit({"", std::chrono::milliseconds(3000), false, true});
    struct Source {
        std::string bytes;
        size_t page;
    };
    std::vector<Source> sources;
    for (const char* f : {"jackcess/indexTestV2000.mdb", "jackcess/queryTestV2000.mdb",
                          "jackcess/testUnicodeCompV2003.mdb", "jackcess/queryTestV1997.mdb",
                          "mdbtestdata/nwind.mdb"}) {
        auto b = testsupport::readFile(testsupport::fixture(f));
        const size_t page = b[0x14] == 0 ? 2048 : 4096;
        sources.push_back({std::move(b), page});
    }
    constexpr int kCopies = 320;
    testsupport::TempDir dir;
    std::vector<std::string> files(kCopies);
    std::mt19937 rng(20240501);
    for (int i = 0; i < kCopies; ++i) {
        const auto& src = sources[static_cast<size_t>(i) % sources.size()];
        std::string b = src.bytes;
        // Damage falls mostly on the first pages, where the catalog and the
        // table definitions are.
        const size_t span = std::min(b.size(), src.page * 80);
        switch (i % 4) {
            case 0: {
                const int flips = 1 + static_cast<int>(rng() % 24);
                for (int k = 0; k < flips; ++k)
                    b[rng() % span] ^= static_cast<char>(1 + rng() % 255);
                break;
            }
            case 1: {
                const size_t p = 1 + rng() % (span / src.page - 1);
                std::fill(b.begin() + static_cast<long>(p * src.page),
                          b.begin() + static_cast<long>((p + 1) * src.page), '\0');
                break;
            }
            case 2: {
                const size_t p = 1 + rng() % (span / src.page - 1);
                for (size_t k = p * src.page; k < (p + 1) * src.page; ++k)
                    b[k] = static_cast<char>(rng());
                break;
            }
            default:
                b.resize(rng() % 2 ? (rng() % (b.size() / src.page)) * src.page : rng() % b.size());
                break;
        }
        files[static_cast<size_t>(i)] = dir.file("damaged-" + std::to_string(i) + ".mdb");
        testsupport::writeFile(files[static_cast<size_t>(i)], b);
    }

    std::vector<std::string> results(kCopies);
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    const auto started = Clock::now();
    for (unsigned w = 0; w < std::max(2u, std::thread::hardware_concurrency()); ++w) {
        workers.emplace_back([&] {
            for (int i = next++; i < kCopies; i = next++)
                results[static_cast<size_t>(i)] = outcome(files[static_cast<size_t>(i)]);
        });
    }
    for (auto& t : workers) t.join();
    const auto seconds = std::chrono::duration<double>(Clock::now() - started).count();

    const auto damaged = textOf(Err::Damaged);
    int opened = 0, refused = 0;
    for (int i = 0; i < kCopies; ++i) {
        const auto& r = results[static_cast<size_t>(i)];
        if (r.empty()) {
            ++opened;
        } else {
            ++refused;
            // A cut before the signature reads as a file of no known kind; a
            // damaged password field as a password that does not match.
            if (r != damaged && r != textOf(Err::BadDatabasePassword)) {
                EXPECT_EQ(r, textOf(Err::UnknownFormat, {files[static_cast<size_t>(i)]})) << i;
            }
        }
    }
    EXPECT_GT(refused, kCopies / 4);
    EXPECT_GT(opened, 0);
    RecordProperty("opened", opened);
    RecordProperty("refused", refused);
    RecordProperty("seconds", std::to_string(seconds));
}

// --- The reader process itself misbehaving ----------------------------------------------

struct ReaderCase {
    const char* name;
    const char* body;
};

class MdbBadReader : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(MdbBadReader, BecomesDamaged) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const auto program = mdbtest::script(dir, GetParam().name, GetParam().body);
    mdbtest::ReaderOptionsScope options({program, std::chrono::milliseconds(700), false, false});
    const auto started = Clock::now();
    EXPECT_EQ(outcome(testsupport::fixture("jackcess/adox_jet4.mdb")), textOf(Err::Damaged));
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));
}

const ReaderCase kReaderCases[] = {
    {"hangs", "exec sleep 30"},
    {"hangs-after-closing-its-output", "exec >&-; exec sleep 30"},
    {"crashes", "kill -SEGV $$"},
    {"answers-garbage", "echo garbage"},
    {"answers-nothing", "exit 0"},
    {"fails", "exit 3"},
    {"answers-zeros", "exec head -c 200000 /dev/zero"},
};

INSTANTIATE_TEST_SUITE_P(Programs, MdbBadReader, ::testing::ValuesIn(kReaderCases),
                         [](const auto& p) {
                             std::string n = p.param.name;
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

TEST(MdbReader, AMissingReaderProgramIsReported) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    mdbtest::ReaderOptionsScope options(
        {dir.file("no-such-reader"), std::chrono::milliseconds(2000), false, false});
    const auto file = testsupport::fixture("jackcess/adox_jet4.mdb");
    const auto got = outcome(file);
    EXPECT_EQ(got.rfind("Cannot read the file '" + file + "'", 0), 0u) << got;
    // Likewise when the program cannot serve.
    mdbtest::ReaderOptionsScope serving(
        {dir.file("no-such-reader"), std::chrono::milliseconds(2000), false, true});
    const auto again = outcome(file);
    EXPECT_EQ(again.rfind("Cannot read the file '" + file + "'", 0), 0u) << again;
}

// The reader service forks a child per file; a child that overruns is killed
// and the read is Damaged; a service that has gone is started again.
TEST(MdbReader, TheServiceOutlivesOverrunsAndItsOwnEnd) {
    REQUIRE_FIXTURES();
    const auto file = testsupport::fixture("mdbtestdata/nwind.mdb");
    {
        mdbtest::ReaderOptionsScope hurry({"", std::chrono::milliseconds(1), false, true});
        EXPECT_EQ(outcome(file), textOf(Err::Damaged));
    }
    EXPECT_EQ(outcome(file), "");
    const pid_t first = jet::mdb::readerServiceProcess();
    ASSERT_GT(first, 0);
    ::kill(first, SIGKILL);
    EXPECT_EQ(outcome(file), "");
    const pid_t second = jet::mdb::readerServiceProcess();
    EXPECT_GT(second, 0);
    EXPECT_NE(second, first);
    // Reading the same file in a child of its own each time gives the same catalog.
    jet::Catalog a, b;
    a.ActiveConnection(mdbtest::connectionString(file));
    b.ActiveConnection(mdbtest::connectionString(file));
    EXPECT_EQ(readEverything(a), readEverything(b));
}

// Without the reader program the provider reads in a forked copy of itself,
// with the same result.
TEST(MdbReader, AForkedReaderGivesTheSameCatalog) {
    REQUIRE_FIXTURES();
    const auto file = testsupport::fixture("mdbtestdata/nwind.mdb");
    jet::Catalog spawned;
    spawned.ActiveConnection(mdbtest::connectionString(file));
    const size_t viaProgram = readEverything(spawned);
    mdbtest::ReaderOptionsScope options({"", std::chrono::milliseconds(10000), true, true});
    jet::Catalog forked;
    forked.ActiveConnection(mdbtest::connectionString(file));
    EXPECT_EQ(readEverything(forked), viaProgram);
    EXPECT_EQ(forked.Tables().Count(), spawned.Tables().Count());
}

}  // namespace
