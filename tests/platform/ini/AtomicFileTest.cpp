#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <vector>

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

// A file readable by its owner alone (a configuration with passwords) keeps
// its new text from others even while that text is in the temporary file:
// the temporary file gets the permissions before the bytes.
TEST(AtomicFile, APrivateFilesNewTextIsNeverReadableByOthers) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.pcf");
    testsupport::writeFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0) GTEST_SKIP() << "inotify is not available here";
    ASSERT_GE(::inotify_add_watch(watch, dir.path().c_str(), IN_MODIFY | IN_ATTRIB), 0);
    ASSERT_TRUE(ini::writeFileAtomically(path, "Password=secret"));

    // What happened to the temporary file, in order.
    std::vector<uint32_t> events;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if (e->len > 0 && std::string(e->name) != "a.pcf")
                events.push_back(e->mask & (IN_MODIFY | IN_ATTRIB));
            p += sizeof(inotify_event) + e->len;
        }
    }
    ::close(watch);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), static_cast<uint32_t>(IN_ATTRIB));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(testsupport::readFile(path), "Password=secret");
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
