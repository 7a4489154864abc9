#pragma once
// Helpers of the Jet file provider's tests: the mdbtools programs as an
// independent oracle, CSV as mdb-export writes it, connection strings, and a
// scope that restores the reader options.
#include <string>
#include <vector>

#include "TestSupport.h"
#include "jet/mdb/ReaderProcess.h"

namespace mdbtest {

// Standard output of a shell command; throws when it cannot run or fails.
std::string run(const std::string& command);
// The argument quoted for the shell.
std::string shellQuote(const std::string& arg);
[[nodiscard]] bool haveMdbTools();

// Rows of CSV: fields split on ",", double-quoted fields may hold "," "\"\""
// and line breaks.
std::vector<std::vector<std::string>> parseCsv(const std::string& text);
// mdb-export of a table as rows (first row: the column names).
std::vector<std::vector<std::string>> exportTable(const std::string& file, const std::string& table,
                                                  bool hexBinary = false);

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

#define REQUIRE_MDBTOOLS()                                                          \
    do {                                                                            \
        if (!::mdbtest::haveMdbTools())                                             \
            GTEST_SKIP() << "mdbtools programs not installed; oracle test skipped"; \
    } while (0)
