#pragma once
// The mdbtools programs as an independent oracle of what a Jet file holds, and
// CSV as mdb-export writes it.
#include <optional>
#include <string>
#include <vector>

namespace mdbtest {

// Standard output of a shell command; throws when it cannot run or fails.
std::string run(const std::string& command);
// The argument quoted for the shell.
std::string shellQuote(const std::string& arg);
[[nodiscard]] bool haveMdbTools();

// Rows of CSV: fields split on ",", double-quoted fields may hold "," "\"\""
// and line breaks.
std::vector<std::vector<std::string>> parseCsv(const std::string& text);
// The same keeping Null apart: mdb-export writes Null as a bare empty field
// (an empty text comes quoted). Throws when a quoted field does not end.
std::vector<std::vector<std::optional<std::string>>> parseCsvCells(const std::string& text);
// mdb-export of a table as rows (first row: the column names).
std::vector<std::vector<std::string>> exportTable(const std::string& file, const std::string& table,
                                                  bool hexBinary = false);

}  // namespace mdbtest

#define REQUIRE_MDBTOOLS()                                                          \
    do {                                                                            \
        if (!::mdbtest::haveMdbTools())                                             \
            GTEST_SKIP() << "mdbtools programs not installed; oracle test skipped"; \
    } while (0)
