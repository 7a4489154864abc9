#pragma once
// Helpers of the Jet file provider's tests: the mdbtools oracle (MdbTools.h),
// connection strings, and a scope that restores the reader options.
#include <string>
#include <vector>

#include "MdbTools.h"
#include "TestSupport.h"
#include "jet/mdb/ReaderProcess.h"

namespace mdbtest {

std::string connectionString(const std::string& database, const std::string& workgroup = "");

// An executable shell script `name` in `dir` running `body`: a stand-in for the
// reader program. Returns its path.
std::string script(const testsupport::TempDir& dir, const std::string& name,
                   const std::string& body);

class ReaderOptionsScope {
public:
    explicit ReaderOptionsScope(const jet::mdb::ReaderOptions& options)
        : saved_(jet::mdb::readerOptions()) {
        jet::mdb::setReaderOptions(options);
    }
    ~ReaderOptionsScope() { jet::mdb::setReaderOptions(saved_); }
    ReaderOptionsScope(const ReaderOptionsScope&) = delete;
    ReaderOptionsScope& operator=(const ReaderOptionsScope&) = delete;

private:
    jet::mdb::ReaderOptions saved_;
};

}  // namespace mdbtest
