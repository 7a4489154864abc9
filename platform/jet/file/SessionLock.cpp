#include "jet/file/SessionLock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "jet/file/ReplaceError.h"

namespace jet::file {

namespace fs = std::filesystem;

namespace {

std::string reasonOf(int error) { return std::generic_category().message(error); }

[[noreturn]] void refuse(ReplaceError::Reason reason, const std::string& database,
                         const std::string& why) {
    throw ReplaceError(reason, "Cannot change the database " + database + ": " + why +
                                   " The database was not changed.");
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The lock file Access keeps beside a database it has open: NAME.ldb in the
// same folder. Matched without regard to case, since the clients of a shared
// folder may spell the database's name either way.
std::optional<std::string> findLockFile(const fs::path& database) {
    const fs::path folder = database.parent_path();
    const std::string wanted = database.stem().string() + ".ldb";
    struct stat st {};
    if (::lstat((folder / wanted).c_str(), &st) == 0) return (folder / wanted).string();
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return std::nullopt;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (equalsIgnoringAsciiCase(entry->d_name, wanted))
            return (folder / entry->d_name).string();
    }
    return std::nullopt;
}

bool timesEqual(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

FileIdentity FileIdentity::of(const struct stat& st) {
    FileIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.modified = st.st_mtim;
    id.changed = st.st_ctim;
    return id;
}

bool FileIdentity::operator==(const FileIdentity& other) const {
    return sameFile(other) && size == other.size && timesEqual(modified, other.modified) &&
           timesEqual(changed, other.changed);
}

SessionLock::SessionLock(const std::string& path) {
    using Reason = ReplaceError::Reason;
    if (path.empty()) refuse(Reason::Failed, "\"\"", "no file name was given.");
    std::error_code ec;
    const fs::path resolved = fs::canonical(path, ec);
    if (ec) refuse(Reason::Failed, path, "it cannot be opened (" + ec.message() + ").");
    path_ = resolved.string();
    const fs::path given = fs::absolute(path, ec).lexically_normal();
    if (!ec && given != resolved) lockFileBases_.push_back(given.string());
    lockFileBases_.push_back(path_);

    refuseIfOpenInAccess();

    // Non-blocking, so that a FIFO put where the database was cannot hang the open.
    fd_.reset(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd_.valid())
        refuse(Reason::Failed, path_, "it cannot be opened (" + reasonOf(errno) + ").");
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0)
        refuse(Reason::Failed, path_, "it cannot be read (" + reasonOf(errno) + ").");
    if (!S_ISREG(st.st_mode)) refuse(Reason::Failed, path_, "it is not a regular file.");

    // Without write permission bits the file is read-only for everyone, even
    // for a user such as root whom the system would let write it.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path_.c_str(), W_OK) != 0)
        refuse(Reason::NotWritable, path_,
               "the file is read-only. Make it writable and try again.");
    const std::string folder = resolved.parent_path().string();
    if (::access(folder.c_str(), W_OK) != 0) {
        refuse(Reason::NotWritable, path_,
               "its folder " + folder + " cannot be written (" + reasonOf(errno) +
                   "), and the changed database is built there before it takes the "
                   "original's place. Make the folder writable and try again.");
    }

    if (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            refuse(Reason::InUse, path_,
                   "another run of this program is changing it. Wait until that run has "
                   "ended and try again.");
        refuse(Reason::Failed, path_, "it cannot be locked (" + reasonOf(errno) + ").");
    }
    identity_ = FileIdentity::of(st);

    // The name may have been given to another file between the open and the lock.
    struct stat now {};
    if (::stat(path_.c_str(), &now) != 0 || !FileIdentity::of(now).sameFile(identity_))
        refuse(Reason::Changed, path_,
               "another program replaced it while it was being opened. Try again.");
}

void SessionLock::refuseIfOpenInAccess() const {
    for (const std::string& base : lockFileBases_) {
        if (const auto lockFile = findLockFile(base)) {
            refuse(ReplaceError::Reason::InUse, path_,
                   "it is open in Access (its lock file " + *lockFile +
                       " exists). Close it in Access and try again; if nobody has it open, "
                       "the lock file is left over from a crash and may be deleted.");
        }
    }
}

void SessionLock::checkUnchanged() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        throw ReplaceError(ReplaceError::Reason::Changed,
                           "Cannot change the database " + path_ + ": it is no longer there (" +
                               reasonOf(errno) + "). This run wrote nothing to it.");
    }
    if (!(FileIdentity::of(st) == identity_)) {
        throw ReplaceError(ReplaceError::Reason::Changed,
                           "Cannot change the database " + path_ +
                               ": another program changed or replaced it after this run had "
                               "read it, so the changes made from its earlier contents were "
                               "not applied. Run again on its current contents. This run "
                               "wrote nothing to it.");
    }
    refuseIfOpenInAccess();
}

void SessionLock::adopt(UniqueFd fd) {
    fd_ = std::move(fd);
    struct stat st {};
    // A descriptor that cannot be read back leaves an identity no file has,
    // so the next check reports a change rather than trusting a guess.
    identity_ = ::fstat(fd_.get(), &st) == 0 ? FileIdentity::of(st) : FileIdentity{};
}

}  // namespace jet::file
