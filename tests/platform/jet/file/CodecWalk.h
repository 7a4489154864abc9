#pragma once
// Decodes everything the codec can reach in a file: the catalog, every table's
// definition (and its encoding), usage maps, index trees, rows, long values
// and property blobs. The damaged-file tests and the codec's fuzz target both use it; it
// needs nothing but the codec.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "jet/file/PageFile.h"

namespace codecwalk {

struct Counts {
    size_t definitions = 0;
    size_t maps = 0;
    size_t rows = 0;
    size_t longValues = 0;
    size_t blobs = 0;
    size_t indexes = 0;
    size_t failures = 0;           // structures that threw FormatError (when not strict)
    std::vector<uint32_t> tables;  // the definition pages the catalog names
};

// With `strict`, the first FormatError ends the walk and propagates; without,
// each failing structure is counted and the walk goes on. Any other exception
// is a fault of the codec and always propagates. A property blob that decodes
// must encode back to its own bytes: a blob that does not is reported as
// std::logic_error.
Counts walk(const jet::file::PageFile& file, bool strict);

}  // namespace codecwalk
