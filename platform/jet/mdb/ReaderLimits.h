#pragma once
// Limits the reader process puts on itself before libmdb reads a file: no core
// files when libmdb crashes on a damaged file, and a ceiling on memory so that
// a looping read fails instead of exhausting the machine. Only calls that are
// safe in a freshly forked child.
namespace jet::mdb {

void limitReaderProcess() noexcept;

}  // namespace jet::mdb
