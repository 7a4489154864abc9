#include "jet/file/SafeReplace.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

namespace jet::file {

// The one way in to SessionLock's hand-over.
struct SessionAccess {
    static void adopt(SessionLock& session, UniqueFd fd) { session.adopt(std::move(fd)); }
};

namespace {

namespace fs = std::filesystem;
using Reason = ReplaceError::Reason;

// Files of our own beside the database are named .NAME + this + six letters or
// digits; nothing else is ever removed.
constexpr std::string_view kStrayMarker = ".parabase-write-";
constexpr std::size_t kStrayRandom = 6;
constexpr std::size_t kStreamChunk = std::size_t{1} << 20;
constexpr std::size_t kRangeChunk = std::size_t{8} << 20;
constexpr int kMaxBackupNames = 1000;

std::string reasonOf(int error) { return std::generic_category().message(error); }

// A system call of a step failed with `error`.
struct StepFailure {
    ReplaceStep step;
    int error;
};

// Every system call that a test may make fail goes through here.
class Calls {
public:
    explicit Calls(const ReplaceHooks& hooks) : hooks_(hooks) {}

    // The call's result, or -1 with errno set when the hook fails it.
    template <class F>
    long run(ReplaceStep step, F&& call) const {
        if (hooks_.fault) {
            if (const int error = hooks_.fault(step); error != 0) {
                errno = error;
                return -1;
            }
        }
        return static_cast<long>(call());
    }

    template <class F>
    long must(ReplaceStep step, F&& call) const {
        long rc;
        do {
            rc = run(step, call);
        } while (rc < 0 && errno == EINTR);
        if (rc < 0) throw StepFailure{step, errno};
        return rc;
    }

private:
    const ReplaceHooks& hooks_;
};

std::string strayPrefix(const fs::path& database) {
    return "." + database.filename().string() + std::string(kStrayMarker);
}

bool isStrayName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + kStrayRandom || !name.starts_with(prefix)) return false;
    return std::all_of(
        name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        });
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Removes what a killed run left beside this database: regular files of our
// own pattern that no live process holds locked. Failing to remove one harms
// nothing, so it is not an error.
void removeStrayFiles(const fs::path& database) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(database.parent_path().c_str()));
    if (!dir) return;
    const std::string prefix = strayPrefix(database);
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (isStrayName(entry->d_name, prefix)) names.emplace_back(entry->d_name);
    }
    const int folder = ::dirfd(dir.get());
    for (const std::string& name : names) {
        UniqueFd fd(::openat(folder, name.c_str(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {};
        if (!fd.valid() || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) continue;
        // A run that is still going holds its file locked.
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        struct stat named {};
        if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)
            continue;
        (void)::unlinkat(folder, name.c_str(), 0);
    }
}

// A file of our own beside the database, removed with this object unless it
// was put in place.
class OwnFile {
public:
    OwnFile(const fs::path& database, const Calls& calls, ReplaceStep step) {
        std::string pattern =
            (database.parent_path() / (strayPrefix(database) + "XXXXXX")).string();
        fd_.reset(static_cast<int>(
            calls.must(step, [&] { return ::mkostemp(pattern.data(), O_CLOEXEC); })));
        path_ = std::move(pattern);
    }
    ~OwnFile() { (void)discard(); }
    OwnFile(const OwnFile&) = delete;
    OwnFile& operator=(const OwnFile&) = delete;

    [[nodiscard]] int fd() const { return fd_.get(); }
    [[nodiscard]] const std::string& path() const { return path_; }
    [[nodiscard]] bool closeFd() { return fd_.close(); }
    // It has been renamed: it is no longer ours to remove.
    void placed() { path_.clear(); }

    // Removes it now: empty, or a sentence for the user when it stays behind.
    [[nodiscard]] std::string discard() {
        fd_.reset();
        if (path_.empty()) return {};
        const std::string path = std::exchange(path_, {});
        if (::unlink(path.c_str()) == 0 || errno == ENOENT) return {};
        return " The unfinished file " + path + " could not be removed (" + reasonOf(errno) +
               "); the next change of this database removes it.";
    }

private:
    UniqueFd fd_;
    std::string path_;
};

void writeAll(int fd, const uint8_t* data, std::size_t size, off_t offset, const Calls& calls,
              ReplaceStep step) {
    while (size > 0) {
        const long n = calls.must(step, [&] { return ::pwrite(fd, data, size, offset); });
        if (n == 0) throw StepFailure{step, ENOSPC};
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
}

bool cannotCopyInKernel(int error) {
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL ||
           error == EBADF;
}

bool cannotHardLink(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK ||
           error == EXDEV;
}

struct CopySteps {
    ReplaceStep reflink, range, stream;
};

// All of `from` into the empty file `to`: the file system's shared blocks if
// it has them, else a copy in the kernel, else a streamed copy.
void copyContents(int from, int to, const Calls& calls, CopySteps steps) {
    // Whatever refused the sharing of blocks (most file systems cannot), the
    // copies below start from the beginning; a real fault of the disk shows there.
    if (calls.run(steps.reflink, [&] { return ::ioctl(to, FICLONE, from); }) == 0) return;

    off_t in = 0;
    off_t out = 0;
    for (;;) {
        const long n = calls.run(
            steps.range, [&] { return ::copy_file_range(from, &in, to, &out, kRangeChunk, 0); });
        if (n == 0) return;
        if (n > 0) {
            // Start writing this part to disk now, so that most of it is there
            // by the time the sync waits for the rest.
            (void)::sync_file_range(to, out - n, n, SYNC_FILE_RANGE_WRITE);
            continue;
        }
        if (errno == EINTR) continue;
        if (!cannotCopyInKernel(errno)) throw StepFailure{steps.range, errno};
        break;
    }

    std::vector<uint8_t> buffer(kStreamChunk);
    for (;;) {
        const long n = calls.must(steps.stream,
                                  [&] { return ::pread(from, buffer.data(), buffer.size(), in); });
        if (n == 0) return;
        writeAll(to, buffer.data(), static_cast<std::size_t>(n), out, calls, steps.stream);
        (void)::sync_file_range(to, out, n, SYNC_FILE_RANGE_WRITE);
        in += n;
        out += n;
    }
}

// The original's owner and permission bits, before any byte is written, so
// that the new file is never readable by more people than the database is.
void matchOwnerAndMode(int fd, const struct stat& original, const Calls& calls, ReplaceStep step) {
    // The owner first: a change of owner clears the set-id bits the mode restores.
    // Only a privileged run can give the file to another user; otherwise it is
    // ours, which the permission bits cannot undo, so that is no error.
    if (::fchown(fd, original.st_uid, original.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), original.st_gid);
    calls.must(step, [&] { return ::fchmod(fd, original.st_mode & 07777); });
}

void syncAndClose(OwnFile& file, const Calls& calls, ReplaceStep step) {
    calls.must(step, [&] { return ::fsync(file.fd()); });
    if (!file.closeFd()) throw StepFailure{step, errno};
}

std::string backupPathFor(const fs::path& database, std::time_t when, int n) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string name = database.stem().string() + "-backup-" + stamp;
    if (n > 1) name += "-" + std::to_string(n);
    return (database.parent_path() / (name + database.extension().string())).string();
}

struct Backup {
    std::string path;
    bool copied = false;
};

// The backup as a copy, for file systems without hard links. It is made under
// our own pattern and renamed to its name only when complete, so a killed run
// leaves no half backup under a backup's name.
Backup copyBackup(const SessionLock& session, const struct stat& original, const Calls& calls,
                  std::time_t when, int firstName) {
    const fs::path database(session.path());
    constexpr ReplaceStep step = ReplaceStep::BackupCopy;
    OwnFile copy(database, calls, step);
    matchOwnerAndMode(copy.fd(), original, calls, step);
    copyContents(session.fd(), copy.fd(), calls, {step, step, step});
    syncAndClose(copy, calls, step);
    for (int n = firstName; n <= kMaxBackupNames; ++n) {
        const std::string candidate = backupPathFor(database, when, n);
        long rc = calls.run(ReplaceStep::BackupName, [&] {
            return ::renameat2(AT_FDCWD, copy.path().c_str(), AT_FDCWD, candidate.c_str(),
                               RENAME_NOREPLACE);
        });
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // No exclusive rename here: look first, then rename.
            struct stat st {};
            if (::lstat(candidate.c_str(), &st) == 0) continue;
            rc = calls.run(ReplaceStep::BackupName,
                           [&] { return ::rename(copy.path().c_str(), candidate.c_str()); });
        }
        if (rc == 0) {
            copy.placed();
            return {candidate, true};
        }
        if (errno != EEXIST) throw StepFailure{ReplaceStep::BackupName, errno};
    }
    throw StepFailure{ReplaceStep::BackupName, EEXIST};
}

Backup makeBackup(const SessionLock& session, const struct stat& original, const Calls& calls,
                  std::time_t when) {
    const fs::path database(session.path());
    for (int n = 1; n <= kMaxBackupNames; ++n) {
        const std::string candidate = backupPathFor(database, when, n);
        const long rc = calls.run(ReplaceStep::BackupLink,
                                  [&] { return ::link(database.c_str(), candidate.c_str()); });
        if (rc == 0) return {candidate, false};
        if (errno == EEXIST) continue;
        if (!cannotHardLink(errno)) throw StepFailure{ReplaceStep::BackupLink, errno};
        return copyBackup(session, original, calls, when, n);
    }
    throw StepFailure{ReplaceStep::BackupLink, EEXIST};
}

std::string hintFor(int error) {
    if (error == ENOSPC || error == EDQUOT) return " Free some space on the disk and try again.";
    if (error == EACCES || error == EPERM || error == EROFS)
        return " Make the folder writable and try again.";
    return {};
}

std::string describe(const StepFailure& failure, const std::string& folder,
                     const std::string& newFile) {
    const std::string why = " (" + reasonOf(failure.error) + ").";
    switch (failure.step) {
        case ReplaceStep::Create:
            return "the new file could not be made in its folder " + folder + why;
        case ReplaceStep::Reflink:
        case ReplaceStep::CopyRange:
        case ReplaceStep::StreamCopy:
            return "copying it into the new file " + newFile + " failed" + why;
        case ReplaceStep::WritePages:
            return "writing the changed pages into the new file " + newFile + " failed" + why;
        case ReplaceStep::Sync:
            return "the new file " + newFile + " could not be written to disk" + why;
        case ReplaceStep::BackupLink:
        case ReplaceStep::BackupCopy:
        case ReplaceStep::BackupName:
            return "its backup could not be made in " + folder + why;
        case ReplaceStep::Rename:
            return "the new file " + newFile + " could not take its place" + why;
        case ReplaceStep::SyncFolder:
            break;
    }
    return "a step failed" + why;
}

Reason reasonFor(const StepFailure& failure) {
    const bool denied = failure.error == EACCES || failure.error == EPERM || failure.error == EROFS;
    return denied && failure.step == ReplaceStep::Create ? Reason::NotWritable : Reason::Failed;
}

// The page size of a call: its first page's when that is a Jet page size (the
// others are checked against it), else Jet 4's, which it then fails.
std::size_t pageSizeOf(std::span<const PageWrite> pages) {
    if (!pages.empty()) {
        const std::size_t first = pages.front().bytes.size();
        if (first == format::kJet3.pageSize || first == format::kJet4.pageSize) return first;
    }
    return kPageSize;
}

std::vector<const PageWrite*> checkedPages(const std::string& database,
                                           std::span<const PageWrite> pages, off_t size) {
    const auto invalid = [&](const std::string& why) {
        return ReplaceError(Reason::Failed, "Cannot change the database " + database +
                                                ": the changes to write are not valid (" + why +
                                                "). The database was not changed.");
    };
    std::vector<const PageWrite*> ordered;
    ordered.reserve(pages.size());
    for (const PageWrite& page : pages) ordered.push_back(&page);
    std::sort(ordered.begin(), ordered.end(),
              [](const PageWrite* a, const PageWrite* b) { return a->number < b->number; });
    uint64_t end = static_cast<uint64_t>(size);
    const std::size_t pageSize = pageSizeOf(pages);
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        const PageWrite& page = *ordered[i];
        const std::string number = std::to_string(page.number);
        if (page.bytes.size() != pageSize)
            throw invalid("page " + number + " has " + std::to_string(page.bytes.size()) +
                          " bytes, not " + std::to_string(pageSize));
        if (i > 0 && ordered[i - 1]->number == page.number)
            throw invalid("page " + number + " is given twice");
        const uint64_t offset = uint64_t{page.number} * pageSize;
        if (offset > end)
            throw invalid("page " + number + " would leave a gap after the end of the file");
        end = std::max(end, offset + pageSize);
    }
    return ordered;
}

}  // namespace

const char* toString(ReplaceStep step) {
    switch (step) {
        case ReplaceStep::Create:
            return "Create";
        case ReplaceStep::Reflink:
            return "Reflink";
        case ReplaceStep::CopyRange:
            return "CopyRange";
        case ReplaceStep::StreamCopy:
            return "StreamCopy";
        case ReplaceStep::WritePages:
            return "WritePages";
        case ReplaceStep::Sync:
            return "Sync";
        case ReplaceStep::BackupLink:
            return "BackupLink";
        case ReplaceStep::BackupCopy:
            return "BackupCopy";
        case ReplaceStep::BackupName:
            return "BackupName";
        case ReplaceStep::Rename:
            return "Rename";
        case ReplaceStep::SyncFolder:
            return "SyncFolder";
    }
    return "?";
}

std::string safeReplace(SessionLock& session, std::span<const PageWrite> pages,
                        const Verify& verify, const ReplaceHooks& hooks) {
    const std::string& database = session.path();
    const fs::path databasePath(database);
    const std::string folder = databasePath.parent_path().string();
    const auto ordered = checkedPages(database, pages, session.identity().size);
    if (ordered.empty()) return {};
    // Nothing unverified ever takes the place of the user's file.
    if (!verify)
        throw ReplaceError(Reason::Failed, "Cannot change the database " + database +
                                               ": the changed copy has no check to pass. The "
                                               "database was not changed.");

    // A session whose file was changed meanwhile must not even tidy up.
    session.checkUnchanged();
    removeStrayFiles(databasePath);

    const Calls calls(hooks);
    const auto fail = [&](const StepFailure& failure, const std::string& newFile,
                          const std::string& note) {
        return ReplaceError(reasonFor(failure), "Cannot change the database " + database + ": " +
                                                    describe(failure, folder, newFile) +
                                                    hintFor(failure.error) + note +
                                                    " The database was not changed.");
    };

    struct stat original {};
    if (::fstat(session.fd(), &original) != 0) throw fail({ReplaceStep::Create, errno}, {}, {});

    std::optional<OwnFile> newFile;
    // The new file's read-only descriptor, locked from the start: it becomes
    // the session's descriptor once the file is in place.
    UniqueFd newLock;
    try {
        newFile.emplace(databasePath, calls, ReplaceStep::Create);
        newLock.reset(static_cast<int>(calls.must(ReplaceStep::Create, [&] {
            return ::open(newFile->path().c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        })));
        calls.must(ReplaceStep::Create, [&] { return ::flock(newLock.get(), LOCK_EX | LOCK_NB); });
        matchOwnerAndMode(newFile->fd(), original, calls, ReplaceStep::Create);
        copyContents(session.fd(), newFile->fd(), calls,
                     {ReplaceStep::Reflink, ReplaceStep::CopyRange, ReplaceStep::StreamCopy});
        for (const PageWrite* page : ordered) {
            writeAll(newFile->fd(), page->bytes.data(), page->bytes.size(),
                     static_cast<off_t>(uint64_t{page->number} * page->bytes.size()), calls,
                     ReplaceStep::WritePages);
        }
        syncAndClose(*newFile, calls, ReplaceStep::Sync);
    } catch (const StepFailure& failure) {
        const std::string path = newFile ? newFile->path() : std::string();
        const std::string note = newFile ? newFile->discard() : std::string();
        throw fail(failure, path, note);
    }
    const std::string newPath = newFile->path();

    std::vector<std::string> findings;
    try {
        findings = verify(newPath);
    } catch (const std::exception& e) {
        findings = {std::string("it could not be checked: ") + e.what()};
    } catch (...) {
        findings = {"it could not be checked"};
    }
    if (!findings.empty()) {
        std::string list;
        for (const std::string& finding : findings) list += (list.empty() ? "" : "; ") + finding;
        const std::string note = newFile->discard();
        throw ReplaceError::rejected("Cannot change the database " + database +
                                         ": its changed copy failed the check made before it "
                                         "replaces the original (" +
                                         list + ")." + note + " The database was not changed.",
                                     std::move(findings));
    }

    try {
        session.checkUnchanged();
    } catch (const ReplaceError& e) {
        const std::string note = newFile->discard();
        if (note.empty()) throw;
        throw ReplaceError(e.reason(), e.what() + note);
    }

    const std::time_t when = hooks.clock ? hooks.clock() : std::time(nullptr);
    Backup backup;
    try {
        backup = makeBackup(session, original, calls, when);
    } catch (const StepFailure& failure) {
        const std::string note = newFile->discard();
        throw fail(failure, newPath, note);
    }
    const auto removeBackup = [&] {
        if (::unlink(backup.path.c_str()) == 0) return std::string();
        return " The backup " + backup.path + " could not be removed (" + reasonOf(errno) +
               "); it holds the database as it is.";
    };
    if (!backup.copied) {
        // The link was made by name: it must be the very file the session checked.
        struct stat linked {};
        if (::stat(backup.path.c_str(), &linked) != 0 ||
            !FileIdentity::of(linked).sameFile(session.identity())) {
            const std::string note = removeBackup() + newFile->discard();
            throw ReplaceError(Reason::Changed,
                               "Cannot change the database " + database +
                                   ": another program replaced it while this run was changing "
                                   "it. Run again on its current contents." +
                                   note + " This run wrote nothing to it.");
        }
    }

    if (calls.run(ReplaceStep::Rename,
                  [&] { return ::rename(newPath.c_str(), database.c_str()); }) != 0) {
        const StepFailure failure{ReplaceStep::Rename, errno};
        const std::string note = removeBackup() + newFile->discard();
        throw fail(failure, newPath, note);
    }
    newFile->placed();
    SessionAccess::adopt(session, std::move(newLock));

    UniqueFd dir(static_cast<int>(calls.run(ReplaceStep::SyncFolder, [&] {
        return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    })));
    if (!dir.valid() ||
        calls.run(ReplaceStep::SyncFolder, [&] { return ::fsync(dir.get()); }) != 0) {
        const int error = errno;
        throw ReplaceError::afterReplace(
            "The database " + database + " was changed and its previous version kept as " +
                backup.path + ", but the folder " + folder + " could not be written to disk (" +
                reasonOf(error) +
                "): should the system stop before it writes its buffers, the database may show "
                "its previous version again, which the backup holds either way.",
            backup.path);
    }
    return backup.path;
}

}  // namespace jet::file
