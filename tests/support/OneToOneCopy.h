#pragma once
// Real Jet files with a one-to-one relationship, made from the fixtures.
#include <string>

#include "TestSupport.h"

namespace testsupport {

// A copy of jackcess/indexTestV1997.mdb (Jet 3) or indexTestV2000.mdb (Jet 4)
// laid out as Jet lays out a relationship made on a column that already
// carries a unique index: in Table1, the index [id] is moved onto the
// physical index of the relationship [Table2Table1] (column otherfk1) and
// that physical index is made unique. Returns the copy's path in `dir`;
// throws when the fixture is not the expected file. Call REQUIRE_FIXTURES()
// first.
std::string oneToOneCopy(const TempDir& dir, bool jet4);

}  // namespace testsupport
