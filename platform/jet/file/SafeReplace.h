#pragma once
// Replacing the user's database without ever writing it in place. The new
// contents are built in a new file beside the original: a copy of it (shared
// blocks where the file system can, else copied in the kernel, else streamed)
// with the changed pages written over it, synced to disk, then handed to the
// caller's verification. Only a verified file, and only while the original is
// still as the session found it, takes the original's place: the original is
// hard-linked as NAME-backup-YYYYMMDD-HHMMSS.ext, the new file renamed over it,
// the folder synced.
//
// Any failure before the rename removes the new file and leaves the original
// byte for byte as it was. A run killed part-way leaves at most a file named
// .NAME.parabase-write-XXXXXX beside the database, which the next replacement
// of that database removes; nothing else in the folder is ever removed.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "jet/file/ReplaceError.h"
#include "jet/file/SessionLock.h"
#include "jet/format/Layout.h"

namespace jet::file {

inline constexpr std::size_t kPageSize = format::kJet4.pageSize;

// One page of the new file: its number (0 is the file's first page) and its
// bytes, a whole page of the file's version (kPageSize in Jet 4, 2048 in Jet 3;
// every page of one call the same), which the caller keeps alive for the call.
struct PageWrite {
    uint32_t number = 0;
    std::span<const uint8_t> bytes;
};

// Checks the new file at the path it is given and returns what it found
// wrong; an empty list accepts it. It may throw: the file is rejected then.
// It is required: without one, nothing is replaced.
using Verify = std::function<std::vector<std::string>(const std::string& newFile)>;

// The steps whose system calls a test can make fail (ReplaceHooks::fault).
enum class ReplaceStep {
    Create,      // making the new file and giving it the original's permissions
    Reflink,     // sharing the original's blocks (a failure falls back to CopyRange)
    CopyRange,   // copying in the kernel (unsupported falls back to StreamCopy)
    StreamCopy,  // reading and writing the bytes
    WritePages,  // one call per page
    Sync,        // the new file to disk
    BackupLink,  // the backup as a hard link (unsupported falls back to BackupCopy)
    BackupCopy,  // every call that makes the backup as a copy
    BackupName,  // giving the finished copy its backup's name
    Rename,      // the new file over the original
    SyncFolder,  // the folder to disk, after the rename
};

[[nodiscard]] const char* toString(ReplaceStep step);

// Seams for tests; production leaves both empty.
struct ReplaceHooks {
    // Called before each system call of a step: a non-zero errno makes that
    // call fail as if the system had returned it.
    std::function<int(ReplaceStep)> fault;
    // The time the backup's name is made from (local time); the clock if empty.
    std::function<std::time_t()> clock;
};

// Writes `pages` into a new copy of the session's database, verifies it and
// puts it in the original's place; returns the backup's path. Pages past the
// end of the file are appended, and must follow on without a gap. No pages:
// nothing is created or written, and the result is empty.
//
// Throws ReplaceError. Before the rename (databaseChanged() false) the original
// is untouched and the new file removed: for a page list that is not whole
// pages or leaves a gap, or no `verify` (Failed), NAME.ldb beside the database
// (InUse), the original changed since the session began (Changed), findings or
// a failure of `verify` (Rejected), or a failed system call (NotWritable for a
// folder that cannot be written, else Failed). After the rename only syncing
// the folder can fail (databaseChanged() true, backupPath() set).
//
// On success the session holds the lock on the new file, now at its path, and
// its identity, so that it can go on and replace the database again.
[[nodiscard]] std::string safeReplace(SessionLock& session, std::span<const PageWrite> pages,
                                      const Verify& verify, const ReplaceHooks& hooks = {});

}  // namespace jet::file
