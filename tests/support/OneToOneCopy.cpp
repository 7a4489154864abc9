#include "OneToOneCopy.h"

#include <stdexcept>

namespace testsupport {

namespace {

struct Edit {
    size_t offset;  // in the table definition page
    unsigned char before;
    unsigned char after;
};

struct Layout {
    const char* fixture;
    size_t pageSize;
    size_t page;  // Table1's definition
    Edit index;   // the first byte of the logical index [id]'s physical index number
    Edit flags;   // the flags of physical index 2, that of [Table2Table1]
};

// Found by reading the table definitions; flag 0x01 is "unique" (Jet 4 also
// sets 0x80 on every index of these files).
constexpr Layout kJet3{"jackcess/indexTestV1997.mdb", 2048, 37, {360, 0, 2}, {316, 0x00, 0x01}};
constexpr Layout kJet4{"jackcess/indexTestV2000.mdb", 4096, 24, {522, 0, 2}, {456, 0x80, 0x81}};

}  // namespace

std::string oneToOneCopy(const TempDir& dir, bool jet4) {
    const Layout& l = jet4 ? kJet4 : kJet3;
    std::string bytes = readFile(fixture(l.fixture));
    for (const Edit& e : {l.index, l.flags}) {
        const size_t at = l.page * l.pageSize + e.offset;
        if (at >= bytes.size() || static_cast<unsigned char>(bytes[at]) != e.before)
            throw std::runtime_error(std::string(l.fixture) + " is not the expected file");
        bytes[at] = static_cast<char>(e.after);
    }
    const std::string path = dir.file(jet4 ? "one-to-one-jet4.mdb" : "one-to-one-jet3.mdb");
    writeFile(path, bytes);
    return path;
}

}  // namespace testsupport
