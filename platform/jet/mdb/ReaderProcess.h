#pragma once
// Runs the Jet file reader in a child process with a time limit and takes its
// reply. The child is the reader program (parabase-mdb-reader), found in this
// order: ReaderOptions::program, beside the running program, where the build
// made it. When none is there the provider forks itself instead and reads in
// the forked copy: that is safe for a single-threaded program, but a program
// with other threads risks a child that blocks on a lock one of them held
// (it then overruns and reads as damaged), so programs ship the reader.
#include <chrono>
#include <string>

#include "jet/mdb/Snapshot.h"

namespace jet::mdb {

struct ReaderOptions {
    std::string program;  // reader program to run; empty: search as above
    std::chrono::milliseconds timeLimit{30000};
    bool forkOnly = false;  // read in a forked copy even when the program exists
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

}  // namespace jet::mdb
