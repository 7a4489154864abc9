#pragma once
// Tells apart two readings of one database's tables, field by field, in words
// a person can follow: the writer compares its model with the reader's view
// of the file before it changes anything, and the reader's view of the file
// it wrote with the model it planned.
#include <string>
#include <vector>

#include "jet/CatalogData.h"

namespace jet::file {

// Every field of the tables (name, type, columns with every property,
// indexes, keys) in which `expected` and `actual` differ, one line each;
// empty when they agree. Tables are matched by name; the order of indexes and
// keys does not count (the catalog sorts them), the order of columns does.
[[nodiscard]] std::vector<std::string> tableDifferences(const std::vector<TableData>& expected,
                                                        const std::vector<TableData>& actual);

}  // namespace jet::file
