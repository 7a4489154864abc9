// The readings kept between test processes: only unchanged fixtures are taken
// from the cache; every other file is read afresh, and a reading that failed
// is never kept. The npm reader's service goes on after a file it cannot read.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "JetOracles.h"
#include "OracleCache.h"
#include "TestSupport.h"

namespace {

// A key no earlier run has used, so that the counts below start from nothing.
std::string freshKey() {
    return "cache-test\0" +
           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}

TEST(OracleCache, KeepsReadingsOfFixturesAndReadsEveryOtherFileAfresh) {
    REQUIRE_FIXTURES();
    const std::string fixture = testsupport::fixture("jackcess/test2V2000.mdb");
    testsupport::TempDir dir;
    const std::string copy = dir.file("copy.mdb");
    std::filesystem::copy_file(fixture, copy);

    int reads = 0;
    const auto read = [&] {
        ++reads;
        return std::string("reading ") + std::to_string(reads);
    };
    const std::string key = freshKey();
    EXPECT_EQ(oraclecache::reading(key, {fixture}, read), "reading 1");
    EXPECT_EQ(oraclecache::reading(key, {fixture}, read), "reading 1");
    EXPECT_EQ(reads, 1);

    // The same bytes outside the fixtures folder: a file a test may write.
    EXPECT_EQ(oraclecache::reading(key, {copy}, read), "reading 2");
    EXPECT_EQ(oraclecache::reading(key, {copy}, read), "reading 3");
    // One file that is not a fixture is enough to read afresh.
    EXPECT_EQ(oraclecache::reading(key, {fixture, copy}, read), "reading 4");
    EXPECT_EQ(reads, 4);

    EXPECT_TRUE(oraclecache::fixtureDigest(fixture).has_value());
    EXPECT_FALSE(oraclecache::fixtureDigest(copy).has_value());
    EXPECT_FALSE(oraclecache::fixtureDigest(testsupport::fixture("no-such-file.mdb")).has_value());
}

TEST(OracleCache, AReadingThatFailedIsNotKept) {
    REQUIRE_FIXTURES();
    const std::string fixture = testsupport::fixture("jackcess/test2V2000.mdb");
    const std::string key = freshKey();
    EXPECT_THROW((void)oraclecache::reading(key, {fixture},
                                            []() -> std::string {
                                                throw std::runtime_error("reader failed");
                                            }),
                 std::runtime_error);
    EXPECT_EQ(oraclecache::reading(key, {fixture}, [] { return std::string("read"); }), "read");
}

TEST(NpmReaderService, GoesOnAfterAFileItCannotRead) {
    REQUIRE_FIXTURES();
    REQUIRE_MDB_READER();
    testsupport::TempDir dir;
    const std::string junk = dir.file("junk.mdb");
    testsupport::writeFile(junk, std::string(8192, 'x'));
    EXPECT_THROW((void)oracles::mdbReaderDump(junk), std::runtime_error);
    const std::string copy = dir.file("copy.mdb");
    std::filesystem::copy_file(testsupport::fixture("jackcess/test2V2000.mdb"), copy);
    const auto dump = oracles::mdbReaderDump(copy);
    EXPECT_NE(dump.table("MSP_PROJECTS"), nullptr);
}

}  // namespace
