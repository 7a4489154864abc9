#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ReplaceTestSupport.h"
#include "TestSupport.h"
#include "jet/file/ReplaceError.h"
#include "jet/file/SessionLock.h"

namespace {

namespace fs = std::filesystem;
using jet::file::ReplaceError;
using jet::file::SessionLock;
using Reason = ReplaceError::Reason;
using replacetest::listFolder;
using replacetest::makeDatabase;

// The reason a session on `path` is refused for, with its text; fails the
// test when it is not refused.
ReplaceError refusal(const std::string& path) {
    try {
        SessionLock lock(path);
    } catch (const ReplaceError& e) {
        return e;
    }
    ADD_FAILURE() << "a session on " << path << " was not refused";
    return ReplaceError(Reason::Failed, "");
}

struct LockFileCase {
    const char* name;
    const char* lockFile;
    bool refused;
};

class SessionLockFile : public testing::TestWithParam<LockFileCase> {};

TEST_P(SessionLockFile, RefusedOnlyForTheDatabasesOwnLockFile) {
    testsupport::TempDir dir;
    const std::string db = dir.file("db.mdb");
    makeDatabase(db, 4);
    testsupport::writeFile(dir.file(GetParam().lockFile), "");
    const auto before = listFolder(dir.path());

    if (GetParam().refused) {
        const ReplaceError e = refusal(db);
        EXPECT_EQ(e.reason(), Reason::InUse);
        EXPECT_NE(std::string(e.what()).find(dir.file(GetParam().lockFile)), std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find("The database was not changed."), std::string::npos);
    } else {
        EXPECT_NO_THROW(SessionLock lock(db));
    }
    EXPECT_EQ(listFolder(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Names, SessionLockFile,
                         testing::Values(LockFileCase{"same_case", "db.ldb", true},
                                         LockFileCase{"upper_case", "DB.LDB", true},
                                         LockFileCase{"mixed_case", "Db.lDb", true},
                                         LockFileCase{"newer_lock_file", "db.laccdb", false},
                                         LockFileCase{"longer_name", "db.ldb.old", false},
                                         LockFileCase{"with_extension", "db.mdb.ldb", false},
                                         LockFileCase{"other_database", "other.ldb", false}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(SessionLock, LockFileBesideTheLinkOpenedIsRefusedToo) {
    testsupport::TempDir dir;
    fs::create_directory(dir.path() / "real");
    const std::string real = (dir.path() / "real" / "db.mdb").string();
    makeDatabase(real, 4);
    fs::create_symlink(real, dir.path() / "shared.mdb");
    testsupport::writeFile(dir.file("shared.ldb"), "");

    const ReplaceError e = refusal(dir.file("shared.mdb"));
    EXPECT_EQ(e.reason(), Reason::InUse);
    EXPECT_NE(std::string(e.what()).find(dir.file("shared.ldb")), std::string::npos) << e.what();
}

TEST(SessionLock, SecondSessionIsRefusedUntilTheFirstEnds) {
    testsupport::TempDir dir;
    const std::string db = dir.file("db.mdb");
    makeDatabase(db, 4);
    {
        SessionLock first(db);
        const ReplaceError e = refusal(db);
        EXPECT_EQ(e.reason(), Reason::InUse);
        EXPECT_NE(std::string(e.what()).find("another run"), std::string::npos) << e.what();
    }
    EXPECT_NO_THROW(SessionLock again(db));
}

TEST(SessionLock, LockHeldByAnotherProcessIsRefused) {
    testsupport::TempDir dir;
    const std::string db = dir.file("db.mdb");
    makeDatabase(db, 4);
    {
        replacetest::HeldByChild child([&](const std::function<void()>& held) {
            SessionLock lock(db);
            held();
        });
        ASSERT_TRUE(child.holding());
        EXPECT_EQ(refusal(db).reason(), Reason::InUse);
    }
    // The child has ended, and its lock with it.
    EXPECT_NO_THROW(SessionLock lock(db));
}

TEST(SessionLock, ReadOnlyFileIsRefusedEvenForRoot) {
    testsupport::TempDir dir;
    const std::string db = dir.file("db.mdb");
    const std::string bytes = makeDatabase(db, 4, 0444);
    const auto before = listFolder(dir.path());

    const ReplaceError e = refusal(db);
    EXPECT_EQ(e.reason(), Reason::NotWritable);
    EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
    EXPECT_EQ(listFolder(dir.path()), before);
    EXPECT_EQ(testsupport::readFile(db), bytes);
}

struct UnusableCase {
    const char* name;
    // Makes `path` into something no session can be held on.
    void (*make)(const std::string& path);
    const char* text;
};

class SessionLockUnusable : public testing::TestWithParam<UnusableCase> {};

TEST_P(SessionLockUnusable, RefusedWithAClearText) {
    testsupport::TempDir dir;
    const std::string path = dir.file("db.mdb");
    GetParam().make(path);
    const ReplaceError e = refusal(path);
    EXPECT_EQ(e.reason(), Reason::Failed);
    EXPECT_NE(std::string(e.what()).find(GetParam().text), std::string::npos) << e.what();
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SessionLockUnusable,
    testing::Values(
        UnusableCase{"missing", [](const std::string&) {}, "cannot be opened"},
        UnusableCase{"folder", [](const std::string& p) { fs::create_directory(p); },
                     "not a regular file"},
        UnusableCase{"fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0666), 0); },
                     "not a regular file"}),
    [](const auto& p) { return std::string(p.param.name); });

struct ChangeCase {
    const char* name;
    // What another program does to the database while the session holds it.
    void (*change)(const std::string& db);
    Reason reason;
};

class SessionLockChange : public testing::TestWithParam<ChangeCase> {};

TEST_P(SessionLockChange, IsNoticed) {
    testsupport::TempDir dir;
    const std::string db = dir.file("db.mdb");
    makeDatabase(db, 4);
    SessionLock lock(db);
    EXPECT_NO_THROW(lock.checkUnchanged());

    GetParam().change(db);
    struct stat st {};
    if (GetParam().reason == Reason::Changed && ::stat(db.c_str(), &st) == 0 &&
        jet::file::FileIdentity::of(st) == lock.identity())
        GTEST_SKIP() << "this file system's timestamps are too coarse to show the change";
    try {
        lock.checkUnchanged();
        ADD_FAILURE() << "the change was not noticed";
    } catch (const ReplaceError& e) {
        EXPECT_EQ(e.reason(), GetParam().reason);
    }
}

void rewriteOneByte(const std::string& db) {
    const int fd = ::open(db.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "x", 1, 100), 1);
    ::close(fd);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, SessionLockChange,
    testing::Values(ChangeCase{"grown",
                               [](const std::string& db) {
                                   FILE* f = std::fopen(db.c_str(), "ab");
                                   std::fputc('x', f);
                                   std::fclose(f);
                               },
                               Reason::Changed},
                    ChangeCase{"rewritten_in_place", rewriteOneByte, Reason::Changed},
                    ChangeCase{"modification_time_set_back",
                               [](const std::string& db) {
                                   struct stat st {};
                                   ::stat(db.c_str(), &st);
                                   rewriteOneByte(db);
                                   const timespec times[2] = {st.st_atim, st.st_mtim};
                                   ::utimensat(AT_FDCWD, db.c_str(), times, 0);
                               },
                               Reason::Changed},
                    ChangeCase{"replaced",
                               [](const std::string& db) {
                                   makeDatabase(db + ".new", 4);
                                   fs::rename(db + ".new", db);
                               },
                               Reason::Changed},
                    ChangeCase{"removed", [](const std::string& db) { fs::remove(db); },
                               Reason::Changed},
                    ChangeCase{"opened_in_access",
                               [](const std::string& db) {
                                   testsupport::writeFile(
                                       fs::path(db).replace_extension(".ldb").string(), "");
                               },
                               Reason::InUse}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
