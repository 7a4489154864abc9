#pragma once
// The hold a write session keeps on the user's database from the first change
// to the end: the file opened read-only (it is never written through this
// session), an exclusive lock on it, and its identity as it was when the
// session began, so that a change by anyone else is noticed before the
// database is replaced.
//
// The lock is flock(2) on the read-only descriptor. It belongs to the open file
// description, so closing some other descriptor of the same file in this
// process does not drop it (as it would a classic fcntl lock); it is released
// when the process ends, killed or not, so a killed run never leaves the
// database locked; and, unlike a write lock through fcntl, it needs no
// descriptor opened for writing. It keeps out other runs of this program only:
// Access announces itself through NAME.ldb, which is checked instead.
#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "jet/file/UniqueFd.h"

namespace jet::file {

// What tells one version of a file from another without reading it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    [[nodiscard]] static FileIdentity of(const struct stat& st);
    [[nodiscard]] bool sameFile(const FileIdentity& other) const {
        return device == other.device && inode == other.inode;
    }
    [[nodiscard]] bool operator==(const FileIdentity& other) const;
};

class SessionLock {
public:
    // Begins a session on the database at `path` (a symbolic link is followed:
    // the file it names is the one changed). Throws ReplaceError, having created
    // and changed nothing, when NAME.ldb is beside it (InUse, naming that file),
    // another run holds the lock (InUse), the file or its folder cannot be
    // written (NotWritable), or the file cannot be opened or is not a regular
    // file (Failed).
    explicit SessionLock(const std::string& path);
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;

    // The database's own path, links resolved: where the new file goes.
    [[nodiscard]] const std::string& path() const { return path_; }
    // The read-only descriptor of the locked file.
    [[nodiscard]] int fd() const { return fd_.get(); }
    [[nodiscard]] const FileIdentity& identity() const { return identity_; }

    // Throws ReplaceError when the file at path() is no longer the locked one
    // as it was (Changed), or NAME.ldb has appeared beside it (InUse).
    void checkUnchanged() const;

private:
    // The replacement (SafeReplace.cpp) hands the session its new file.
    friend struct SessionAccess;
    // After this session replaced the file at path(): `fd`, read-only and
    // already locked, is the replacement's; the old file's lock goes with the
    // old descriptor.
    void adopt(UniqueFd fd);
    void refuseIfOpenInAccess() const;

    std::string path_;
    // The databases' names a lock file is looked for beside: the path as given
    // and as resolved, since Access names NAME.ldb after the path it opened.
    std::vector<std::string> lockFileBases_;
    UniqueFd fd_;
    FileIdentity identity_;
};

}  // namespace jet::file
