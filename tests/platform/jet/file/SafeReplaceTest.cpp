#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ReplaceTestSupport.h"
#include "TestSupport.h"
#include "jet/file/SafeReplace.h"

namespace {

namespace fs = std::filesystem;
using jet::file::PageWrite;
using jet::file::ReplaceError;
using jet::file::ReplaceHooks;
using jet::file::ReplaceStep;
using jet::file::SessionLock;
using Reason = ReplaceError::Reason;
using replacetest::fileChecksum;
using replacetest::listFolder;
using replacetest::makeDatabase;
using replacetest::pageOf;
using replacetest::permissionBits;

// 2024-03-05 07:08:09 in UTC, the zone the tests run in.
constexpr std::time_t kNow = 1709622489;
constexpr const char* kBackupName = "db-backup-20240305-070809.mdb";

// Pages to write, owned, with the file they must make.
struct Changes {
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> pages;

    [[nodiscard]] std::vector<PageWrite> writes() const {
        std::vector<PageWrite> out;
        for (const auto& [number, bytes] : pages) out.push_back({number, bytes});
        return out;
    }
    [[nodiscard]] std::string applyTo(std::string file) const {
        for (const auto& [number, bytes] : pages) {
            const std::size_t offset = std::size_t{number} * replacetest::kPage;
            if (file.size() < offset + bytes.size()) file.resize(offset + bytes.size());
            std::memcpy(file.data() + offset, bytes.data(), bytes.size());
        }
        return file;
    }
};

// Over a file of 16 pages: the first, one inside, two appended.
Changes typicalChanges() {
    return {{{5, pageOf(0xA5)}, {0, pageOf(0xA0)}, {16, pageOf(0xB0)}, {17, pageOf(0xB1)}}};
}

struct Fault {
    ReplaceStep step;
    int error;
    int nth = 0;  // only the nth call of the step (from 1); 0: every call
};

ReplaceHooks hooksWith(std::vector<Fault> faults) {
    auto calls = std::make_shared<std::map<ReplaceStep, int>>();
    ReplaceHooks hooks;
    hooks.clock = [] { return kNow; };
    hooks.fault = [faults, calls](ReplaceStep step) {
        const int n = ++(*calls)[step];
        for (const Fault& f : faults) {
            if (f.step == step && (f.nth == 0 || f.nth == n)) return f.error;
        }
        return 0;
    };
    return hooks;
}

std::vector<std::string> accept(const std::string&) { return {}; }

class SafeReplaceTest : public testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC0", 1);
        ::tzset();
        db_ = dir_.file("db.mdb");
        old_ = makeDatabase(db_, 16, 0640);
    }

    testsupport::TempDir dir_;
    std::string db_;
    std::string old_;
};

// ---- A failure at any step leaves the original as it was and nothing behind.

struct FailureCase {
    const char* name;
    std::vector<Fault> faults;
    // What happens while the verification runs: another program's doing.
    void (*duringVerify)(const std::string& db) = nullptr;
    std::vector<std::string> findings = {};
    bool verifyThrows = false;
    Reason reason = Reason::Failed;
};

class SafeReplaceFailure : public SafeReplaceTest,
                           public testing::WithParamInterface<FailureCase> {};

TEST_P(SafeReplaceFailure, LeavesTheOriginalAndNoFileBehind) {
    const FailureCase& c = GetParam();
    const auto folderBefore = listFolder(dir_.path());
    SessionLock session(db_);
    struct stat before {};
    ::stat(db_.c_str(), &before);

    std::string expected = old_;
    auto expectedFolder = folderBefore;
    bool verified = false;
    const jet::file::Verify verify = [&](const std::string& newFile) -> std::vector<std::string> {
        verified = true;
        if (c.duringVerify) {
            c.duringVerify(db_);
            expected = testsupport::readFile(db_);
            expectedFolder = listFolder(dir_.path());
            std::erase(expectedFolder, fs::path(newFile).filename().string());
        }
        if (c.verifyThrows) throw std::runtime_error("the reader stopped");
        return c.findings;
    };
    const Changes changes = typicalChanges();
    try {
        (void)jet::file::safeReplace(session, changes.writes(), verify, hooksWith(c.faults));
        FAIL() << "the replacement did not fail";
    } catch (const ReplaceError& e) {
        const std::string text = e.what();
        EXPECT_EQ(e.reason(), c.reason) << text;
        EXPECT_FALSE(e.databaseChanged());
        const bool saysUnchanged =
            text.find("The database was not changed.") != std::string::npos ||
            text.find("This run wrote nothing to it.") != std::string::npos;
        EXPECT_TRUE(saysUnchanged) << text;
        if (!c.findings.empty()) {
            EXPECT_EQ(e.findings(), c.findings);
        }
    }
    EXPECT_EQ(fileChecksum(db_), replacetest::checksum(expected));
    EXPECT_EQ(listFolder(dir_.path()), expectedFolder);
    if (!c.duringVerify) {
        struct stat after {};
        ::stat(db_.c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    }
    const bool reachesVerify = c.duringVerify || c.verifyThrows || !c.findings.empty() ||
                               c.faults.front().step >= ReplaceStep::BackupLink;
    EXPECT_EQ(verified, reachesVerify);
}

void rewriteOneByte(const std::string& db) {
    const int fd = ::open(db.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "x", 1, 4096 * 3 + 17), 1);
    ::close(fd);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SafeReplaceFailure,
    testing::Values(
        FailureCase{
            "create_denied", {{ReplaceStep::Create, EACCES}}, {}, {}, false, Reason::NotWritable},
        FailureCase{"copy_in_kernel_fails",
                    {{ReplaceStep::Reflink, EOPNOTSUPP}, {ReplaceStep::CopyRange, EIO}}},
        FailureCase{"streamed_copy_disk_full",
                    {{ReplaceStep::Reflink, EOPNOTSUPP},
                     {ReplaceStep::CopyRange, ENOSYS},
                     {ReplaceStep::StreamCopy, ENOSPC, 2}}},
        FailureCase{"second_page_write_fails", {{ReplaceStep::WritePages, ENOSPC, 2}}},
        FailureCase{"sync_fails", {{ReplaceStep::Sync, EIO}}},
        FailureCase{
            "verify_findings",
            {},
            nullptr,
            {"table Orders: 3 rows read, 4 expected", "index PrimaryKey: entry out of order"},
            false,
            Reason::Rejected},
        FailureCase{"verify_throws", {}, nullptr, {}, true, Reason::Rejected},
        FailureCase{"original_rewritten_meanwhile", {}, rewriteOneByte, {}, false, Reason::Changed},
        FailureCase{"original_replaced_meanwhile",
                    {},
                    [](const std::string& db) {
                        makeDatabase(db + ".other", 16);
                        fs::rename(db + ".other", db);
                    },
                    {},
                    false,
                    Reason::Changed},
        FailureCase{"opened_in_access_meanwhile",
                    {},
                    [](const std::string& db) {
                        testsupport::writeFile(fs::path(db).replace_extension(".ldb").string(), "");
                    },
                    {},
                    false,
                    Reason::InUse},
        FailureCase{"backup_link_fails", {{ReplaceStep::BackupLink, EIO}}},
        FailureCase{"backup_copy_disk_full",
                    {{ReplaceStep::BackupLink, EPERM}, {ReplaceStep::BackupCopy, ENOSPC, 4}}},
        FailureCase{"backup_copy_cannot_be_named",
                    {{ReplaceStep::BackupLink, EPERM}, {ReplaceStep::BackupName, EACCES}}},
        FailureCase{"rename_fails", {{ReplaceStep::Rename, EACCES}}}),
    [](const auto& p) { return std::string(p.param.name); });

// ---- Success.

struct CopyCase {
    const char* name;
    std::vector<Fault> faults;
    bool backupCopied;
};

class SafeReplaceSuccess : public SafeReplaceTest, public testing::WithParamInterface<CopyCase> {};

TEST_P(SafeReplaceSuccess, ReplacesTheOriginalAndKeepsItAsBackup) {
    struct stat before {};
    ::stat(db_.c_str(), &before);
    const Changes changes = typicalChanges();
    const std::string wanted = changes.applyTo(old_);
    SessionLock session(db_);

    const jet::file::Verify verify = [&](const std::string& newFile) -> std::vector<std::string> {
        // The finished new file is checked while the original is still in place.
        EXPECT_EQ(fs::path(newFile).parent_path(), dir_.path());
        EXPECT_EQ(fileChecksum(newFile), replacetest::checksum(wanted));
        EXPECT_EQ(permissionBits(newFile), 0640u);
        EXPECT_EQ(fileChecksum(db_), replacetest::checksum(old_));
        return {};
    };
    const std::string backup =
        jet::file::safeReplace(session, changes.writes(), verify, hooksWith(GetParam().faults));

    EXPECT_EQ(backup, dir_.file(kBackupName));
    EXPECT_EQ(fileChecksum(db_), replacetest::checksum(wanted));
    EXPECT_EQ(permissionBits(db_), 0640u);
    EXPECT_EQ(fileChecksum(backup), replacetest::checksum(old_));
    EXPECT_EQ(permissionBits(backup), 0640u);
    struct stat kept {};
    ::stat(backup.c_str(), &kept);
    EXPECT_EQ(kept.st_ino != before.st_ino, GetParam().backupCopied);
    EXPECT_EQ(listFolder(dir_.path()), (std::vector<std::string>{kBackupName, "db.mdb"}));
    EXPECT_NO_THROW(session.checkUnchanged());
}

INSTANTIATE_TEST_SUITE_P(
    CopyPaths, SafeReplaceSuccess,
    testing::Values(
        CopyCase{"cheapest_available", {}, false},
        CopyCase{"copy_in_kernel", {{ReplaceStep::Reflink, EOPNOTSUPP}}, false},
        CopyCase{
            "streamed", {{ReplaceStep::Reflink, ENOTTY}, {ReplaceStep::CopyRange, EXDEV}}, false},
        CopyCase{"backup_copied_without_hard_links", {{ReplaceStep::BackupLink, EPERM}}, true},
        CopyCase{"everything_streamed",
                 {{ReplaceStep::Reflink, EOPNOTSUPP},
                  {ReplaceStep::CopyRange, ENOSYS},
                  {ReplaceStep::BackupLink, EPERM}},
                 true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SafeReplaceTest, RunsInTheSameSecondGetNumberedBackups) {
    SessionLock session(db_);
    std::string current = old_;
    const std::vector<std::string> names = {kBackupName, "db-backup-20240305-070809-2.mdb",
                                            "db-backup-20240305-070809-3.mdb"};
    for (std::size_t run = 0; run < names.size(); ++run) {
        const Changes changes{{{2, pageOf(static_cast<uint8_t>(0xC0 + run))}}};
        const std::string backup =
            jet::file::safeReplace(session, changes.writes(), accept, hooksWith({}));
        EXPECT_EQ(backup, dir_.file(names[run]));
        EXPECT_EQ(fileChecksum(backup), replacetest::checksum(current));
        current = changes.applyTo(current);
        EXPECT_EQ(fileChecksum(db_), replacetest::checksum(current));
    }
    // Copied backups are numbered the same way.
    const Changes last{{{3, pageOf(0xD0)}}};
    EXPECT_EQ(jet::file::safeReplace(session, last.writes(), accept,
                                     hooksWith({{ReplaceStep::BackupLink, EPERM}})),
              dir_.file("db-backup-20240305-070809-4.mdb"));
}

TEST_F(SafeReplaceTest, TheSessionsLockFollowsTheReplacedFile) {
    const auto lockFromChild = [&] {
        return replacetest::runInChild([&]() -> std::string {
            try {
                SessionLock other(db_);
                return "locked";
            } catch (const ReplaceError& e) {
                return e.reason() == Reason::InUse ? "in use" : e.what();
            }
        });
    };
    {
        SessionLock session(db_);
        const Changes changes = typicalChanges();
        (void)jet::file::safeReplace(session, changes.writes(), accept, hooksWith({}));
        EXPECT_EQ(lockFromChild().output, "in use");
    }
    EXPECT_EQ(lockFromChild().output, "locked");
}

TEST_F(SafeReplaceTest, FolderSyncFailureSaysTheDatabaseWasChanged) {
    SessionLock session(db_);
    const Changes changes = typicalChanges();
    try {
        (void)jet::file::safeReplace(session, changes.writes(), accept,
                                     hooksWith({{ReplaceStep::SyncFolder, EIO}}));
        FAIL() << "the failure was not reported";
    } catch (const ReplaceError& e) {
        EXPECT_TRUE(e.databaseChanged());
        EXPECT_EQ(e.backupPath(), dir_.file(kBackupName));
        EXPECT_NE(std::string(e.what()).find("was changed"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(dir_.file(kBackupName)), std::string::npos);
    }
    EXPECT_EQ(fileChecksum(db_), replacetest::checksum(changes.applyTo(old_)));
    EXPECT_EQ(fileChecksum(dir_.file(kBackupName)), replacetest::checksum(old_));
}

TEST_F(SafeReplaceTest, NoPagesCreateNothing) {
    const auto before = listFolder(dir_.path());
    SessionLock session(db_);
    bool verified = false;
    EXPECT_EQ(jet::file::safeReplace(
                  session, {},
                  [&](const std::string&) {
                      verified = true;
                      return std::vector<std::string>{};
                  },
                  hooksWith({})),
              "");
    EXPECT_FALSE(verified);
    EXPECT_EQ(listFolder(dir_.path()), before);
}

struct InvalidCase {
    const char* name;
    std::vector<std::pair<uint32_t, std::size_t>> pages;  // number, size
    const char* text;
};

class SafeReplaceInvalid : public SafeReplaceTest,
                           public testing::WithParamInterface<InvalidCase> {};

TEST_P(SafeReplaceInvalid, IsRefusedBeforeAnythingIsCreated) {
    const auto before = listFolder(dir_.path());
    SessionLock session(db_);
    std::vector<std::vector<uint8_t>> storage;
    std::vector<PageWrite> writes;
    for (const auto& [number, size] : GetParam().pages) storage.emplace_back(size, 0x55);
    for (std::size_t i = 0; i < storage.size(); ++i)
        writes.push_back({GetParam().pages[i].first, storage[i]});
    try {
        (void)jet::file::safeReplace(session, writes, accept, hooksWith({}));
        FAIL() << "not refused";
    } catch (const ReplaceError& e) {
        EXPECT_EQ(e.reason(), Reason::Failed);
        EXPECT_NE(std::string(e.what()).find(GetParam().text), std::string::npos) << e.what();
    }
    EXPECT_EQ(listFolder(dir_.path()), before);
    EXPECT_EQ(fileChecksum(db_), replacetest::checksum(old_));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, SafeReplaceInvalid,
    testing::Values(
        InvalidCase{"short_page", {{1, 4096}, {2, 4095}}, "page 2 has 4095 bytes"},
        InvalidCase{"long_page", {{3, 8192}}, "page 3 has 8192 bytes"},
        InvalidCase{"twice", {{4, 4096}, {4, 4096}}, "page 4 is given twice"},
        InvalidCase{"gap_after_the_end", {{16, 4096}, {18, 4096}}, "page 18 would leave a gap"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SafeReplaceTest, WithoutAVerificationNothingIsReplaced) {
    const auto before = listFolder(dir_.path());
    SessionLock session(db_);
    const Changes changes = typicalChanges();
    EXPECT_THROW((void)jet::file::safeReplace(session, changes.writes(), {}, hooksWith({})),
                 ReplaceError);
    EXPECT_EQ(listFolder(dir_.path()), before);
    EXPECT_EQ(fileChecksum(db_), replacetest::checksum(old_));
}

TEST_F(SafeReplaceTest, KeepsTheOwnerWhenRunByRoot) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    ASSERT_EQ(::chown(db_.c_str(), 4242, 4343), 0);
    ASSERT_EQ(::chmod(db_.c_str(), 02660), 0);
    SessionLock session(db_);
    const Changes changes = typicalChanges();
    (void)jet::file::safeReplace(session, changes.writes(), accept, hooksWith({}));
    struct stat st {};
    ASSERT_EQ(::stat(db_.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4343u);
    EXPECT_EQ(st.st_mode & 07777, 02660u);
}

TEST_F(SafeReplaceTest, ALinkedDatabaseIsReplacedWhereItLies) {
    fs::create_directory(dir_.path() / "links");
    const fs::path link = dir_.path() / "links" / "shared.mdb";
    fs::create_symlink(db_, link);
    SessionLock session(link.string());
    EXPECT_EQ(session.path(), db_);
    const Changes changes = typicalChanges();
    EXPECT_EQ(jet::file::safeReplace(session, changes.writes(), accept, hooksWith({})),
              dir_.file(kBackupName));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fileChecksum(link.string()), replacetest::checksum(changes.applyTo(old_)));
    EXPECT_EQ(listFolder(dir_.path() / "links"), std::vector<std::string>{"shared.mdb"});
}

// ---- A read-only folder, which root could write: the run drops to an
// unprivileged user in a child process.

struct ReadOnlyCase {
    const char* name;
    bool beforeSession;  // else the folder turns read-only during the session
};

class SafeReplaceReadOnlyFolder : public SafeReplaceTest,
                                  public testing::WithParamInterface<ReadOnlyCase> {};

TEST_P(SafeReplaceReadOnlyFolder, IsRefusedBeforeAnythingIsWritten) {
    constexpr uid_t kNobody = 65534;
    const fs::path folder = dir_.path() / "ro";
    fs::create_directory(folder);
    const std::string db = (folder / "db.mdb").string();
    const std::string bytes = makeDatabase(db, 16, 0666);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
        ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown(db.c_str(), kNobody, kNobody), 0);
    }
    if (GetParam().beforeSession) {
        ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    }

    const replacetest::ChildResult child = replacetest::runInChild([&]() -> std::string {
        if (root &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            return "skip: cannot drop root";
        try {
            SessionLock session(db);
            if (::chmod(folder.c_str(), 0555) != 0) return "cannot make the folder read-only";
            if (::access(folder.c_str(), W_OK) == 0) return "skip: the folder stays writable";
            const Changes changes = typicalChanges();
            (void)jet::file::safeReplace(session, changes.writes(), accept, hooksWith({}));
            return "replaced";
        } catch (const ReplaceError& e) {
            return (e.reason() == Reason::NotWritable ? "refused: " : "other: ") +
                   std::string(e.what());
        }
    });
    ::chmod(folder.c_str(), 0755);
    if (child.output.starts_with("skip:")) GTEST_SKIP() << child.output;
    ASSERT_TRUE(child.exitedNormally()) << child.output;
    EXPECT_TRUE(child.output.starts_with("refused: ")) << child.output;
    EXPECT_NE(child.output.find("folder " + folder.string()), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("Make the folder writable"), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("The database was not changed."), std::string::npos);
    EXPECT_EQ(testsupport::readFile(db), bytes);
    EXPECT_EQ(listFolder(folder), std::vector<std::string>{"db.mdb"});
}

INSTANTIATE_TEST_SUITE_P(When, SafeReplaceReadOnlyFolder,
                         testing::Values(ReadOnlyCase{"at_session_start", true},
                                         ReadOnlyCase{"during_session", false}),
                         [](const auto& p) { return std::string(p.param.name); });

// ---- A run killed part-way: the original stays, and the next run removes
// only what the killed one left.

struct KillCase {
    const char* name;
    ReplaceStep step;
    int nth;
    std::vector<Fault> faults;  // how the killed run copies
    int strays;                 // unfinished files of our own it leaves
    bool leavesBackup;
};

class SafeReplaceKilled : public SafeReplaceTest, public testing::WithParamInterface<KillCase> {};

TEST_P(SafeReplaceKilled, NextRunRemovesOnlyWhatItLeft) {
    const KillCase& c = GetParam();
    // Large enough for the streamed copy to take several rounds.
    old_ = makeDatabase(db_, 2048, 0640);
    const std::vector<std::string> others = {
        "notes.txt",
        ".db.mdb.parabase-write-abc",        // too short
        ".db.mdb.parabase-write-ABCDEFG",    // too long
        ".db.mdb.parabase-write-AB-DEF",     // not letters and digits
        "db.mdb.parabase-write-ABCDEF",      // no leading dot
        ".other.mdb.parabase-write-ABCDEF",  // another database's
        ".db.mdb.parabase-write-DIR001",     // a folder
        ".db.mdb.parabase-write-LINK01",     // a link to another file
    };
    for (const std::string& name : others) {
        if (name.ends_with("DIR001"))
            fs::create_directory(dir_.path() / name);
        else if (name.ends_with("LINK01"))
            fs::create_symlink(dir_.file("notes.txt"), dir_.path() / name);
        else
            testsupport::writeFile(dir_.file(name), "keep me");
    }
    const auto before = listFolder(dir_.path());
    const Changes changes = typicalChanges();

    const replacetest::ChildResult child = replacetest::runInChild([&]() -> std::string {
        SessionLock session(db_);
        ReplaceHooks hooks = hooksWith(c.faults);
        int calls = 0;
        const auto fault = hooks.fault;
        hooks.fault = [&](ReplaceStep step) {
            if (step == c.step && ++calls == c.nth) ::raise(SIGKILL);
            return fault(step);
        };
        (void)jet::file::safeReplace(session, changes.writes(), accept, hooks);
        return "not killed";
    });
    ASSERT_TRUE(child.killed()) << child.output;
    EXPECT_EQ(fileChecksum(db_), replacetest::checksum(old_));
    auto left = listFolder(dir_.path());
    EXPECT_EQ(left.size(), before.size() + c.strays + (c.leavesBackup ? 1 : 0));

    SessionLock session(db_);
    EXPECT_EQ(jet::file::safeReplace(session, changes.writes(), accept, hooksWith({})),
              dir_.file(c.leavesBackup ? "db-backup-20240305-070809-2.mdb" : kBackupName));
    EXPECT_EQ(fileChecksum(db_), replacetest::checksum(changes.applyTo(old_)));
    auto expected = before;
    expected.push_back(kBackupName);
    if (c.leavesBackup) expected.push_back("db-backup-20240305-070809-2.mdb");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listFolder(dir_.path()), expected);
    for (const std::string& name : others) {
        if (!name.ends_with("DIR001") && !name.ends_with("LINK01")) {
            EXPECT_EQ(testsupport::readFile(dir_.file(name)), "keep me") << name;
        }
    }
    EXPECT_TRUE(fs::is_symlink(dir_.path() / ".db.mdb.parabase-write-LINK01"));
}

const std::vector<Fault> kStreamed = {{ReplaceStep::Reflink, EOPNOTSUPP},
                                      {ReplaceStep::CopyRange, ENOSYS}};

INSTANTIATE_TEST_SUITE_P(
    Points, SafeReplaceKilled,
    testing::Values(KillCase{"while_streaming_the_copy", ReplaceStep::StreamCopy, 7, kStreamed, 1,
                             false},
                    KillCase{"at_the_copy_in_kernel",
                             ReplaceStep::CopyRange,
                             1,
                             {{ReplaceStep::Reflink, EOPNOTSUPP}},
                             1,
                             false},
                    KillCase{"while_writing_pages", ReplaceStep::WritePages, 3, {}, 1, false},
                    KillCase{"before_the_sync", ReplaceStep::Sync, 1, {}, 1, false},
                    KillCase{"while_making_the_backup_copy",
                             ReplaceStep::BackupCopy,
                             2,
                             {{ReplaceStep::BackupLink, EPERM}},
                             2,
                             false},
                    KillCase{"before_the_rename", ReplaceStep::Rename, 1, {}, 1, true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SafeReplaceTest, AFileHeldByALiveRunIsLeftAlone) {
    const std::string live = dir_.file(".db.mdb.parabase-write-LIVE01");
    testsupport::writeFile(live, "in use");
    {
        replacetest::HeldByChild child([&](const std::function<void()>& held) {
            const int fd = ::open(live.c_str(), O_RDONLY);
            if (fd >= 0 && ::flock(fd, LOCK_EX) == 0) held();
        });
        ASSERT_TRUE(child.holding());
        SessionLock session(db_);
        const Changes changes = typicalChanges();
        (void)jet::file::safeReplace(session, changes.writes(), accept, hooksWith({}));
        EXPECT_TRUE(fs::exists(live));
    }
    // Once nobody holds it, it is a leftover like any other.
    SessionLock session(db_);
    const Changes changes{{{1, pageOf(0x11)}}};
    (void)jet::file::safeReplace(session, changes.writes(), accept, hooksWith({}));
    EXPECT_FALSE(fs::exists(live));
}

}  // namespace
