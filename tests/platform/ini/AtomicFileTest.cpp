#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "TestSupport.h"
#include "ini/AtomicFile.h"

namespace {

namespace fs = std::filesystem;

size_t filesIn(const fs::path& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

TEST(AtomicFile, ReplacesTheWholeFile) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.ini");
    ASSERT_TRUE(ini::writeFileAtomically(path, "first"));
    ASSERT_TRUE(ini::writeFileAtomically(path, "second, longer"));
    EXPECT_EQ(testsupport::readFile(path), "second, longer");
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(AtomicFile, WritesThroughALinkToItsTarget) {
    testsupport::TempDir dir;
    const std::string target = dir.file("real.ini");
    const std::string link = dir.file("link.ini");
    testsupport::writeFile(target, "old");
    fs::create_symlink(target, link);
    ASSERT_TRUE(ini::writeFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(testsupport::readFile(target), "new");
}

// A write that the system stops halfway (here: the file size limit) leaves
// the old file whole and no temporary file behind.
TEST(AtomicFile, AWriteThatFailsHalfwayLeavesTheOldFile) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.ini");
    testsupport::writeFile(path, "old and whole");
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = ini::writeFileAtomically(path, std::string(4096, 'x'));
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(testsupport::readFile(path), "old and whole");
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(AtomicFile, RefusesWhatIsNoWritableFile) {
    testsupport::TempDir dir;
    EXPECT_FALSE(ini::writeFileAtomically("", "x"));
    EXPECT_FALSE(ini::writeFileAtomically(dir.path().string(), "x"));
    EXPECT_FALSE(ini::writeFileAtomically(dir.file("missing/a.ini"), "x"));
    EXPECT_FALSE(ini::writeFileAtomically("/dev/null", "x"));
    EXPECT_EQ(filesIn(dir.path()), 0u);
}

}  // namespace
