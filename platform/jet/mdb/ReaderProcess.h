#pragma once
// Runs the Jet file reader in a child process with a time limit and takes its
// reply. The reader program (parabase-mdb-reader) is found in this order:
// ReaderOptions::program, beside the running program, where the build made it.
// It normally runs as a service (ReaderProtocol.h): started once, it forks a
// fresh child for every file, so each file is read in a process of its own
// without paying the program's start-up each time. When no reader program is
// there the provider forks itself instead and reads in the forked copy: safe
// for a single-threaded program, but in a program with other threads the
// child risks blocking on a lock one of them held (it then overruns and reads
// as damaged), so programs ship the reader.
#include <sys/types.h>

#include <chrono>
#include <string>

#include "jet/mdb/Snapshot.h"

namespace jet::mdb {

struct ReaderOptions {
    std::string program;  // reader program to run; empty: search as above
    std::chrono::milliseconds timeLimit{30000};
    bool forkOnly = false;  // read in a forked copy even when the program exists
    bool service = true;    // false: start the program once for every file
};

// Process-wide; safe to call from any thread. Tests shorten the limit or name
// stand-in programs.
[[nodiscard]] ReaderOptions readerOptions();
void setReaderOptions(const ReaderOptions& options);

// The child's reply. A child that dies, overruns the limit, exits with a
// failure or answers with anything but one well-formed reply gives status
// Damaged. Throws jet::Error (Err::ReaderFailed) only when no child can be
// started at all.
[[nodiscard]] ReadReply readInChild(const std::string& path, ReadMode mode);

// For tests: the process id of the running reader service, or -1.
[[nodiscard]] pid_t readerServiceProcess();

}  // namespace jet::mdb
