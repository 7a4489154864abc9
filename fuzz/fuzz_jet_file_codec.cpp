// Any bytes opened as a Jet file and decoded through the page codec as far as
// it reaches: catalog, definitions, usage maps, index trees, rows, long
// values, property blobs; the structural checker over every table the catalog
// names; every index page decoded, and what a tree walked from it holds built
// into new pages and read back. Damage may only ever end in FormatError (or a
// checker's finding); a rebuilt index that does not read back as its entries
// is a fault.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "CodecWalk.h"
#include "jet/file/Checker.h"
#include "jet/file/FormatError.h"
#include "jet/file/IndexBuilder.h"
#include "jet/file/IndexPage.h"
#include "jet/file/PageFile.h"

namespace {

using namespace jet::file;

// Walks from this many index pages at most, so one input stays quick.
constexpr int kMaxWalks = 32;

void rebuild(const std::vector<IndexEntry>& found) {
    std::vector<IndexEntry> entries = found;
    std::sort(entries.begin(), entries.end(), entryLess);
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const IndexEntry& a, const IndexEntry& b) {
                                  return a.leafBytes() == b.leafBytes();
                              }),
                  entries.end());
    for (IndexEntry& e : entries) e.child = 0;
    std::map<uint32_t, std::vector<uint8_t>> pages;
    uint32_t next = 1;
    BuiltIndex built;
    try {
        built = IndexBuilder::build(entries, 7, [&] { return next++; });
    } catch (const FormatError&) {
        return;  // an entry longer than a page holds
    }
    for (const auto& [n, bytes] : built.pages) pages[n] = bytes;
    const IndexTree tree = walkIndex([&](uint32_t n) { return pages.at(n); }, built.root);
    if (tree.entries != entries) std::abort();
}

void indexPages(const PageFile& file) {
    const PageSource source = pageSource(file);
    int walks = 0;
    for (uint32_t n = 0; n < file.pageCount(); ++n) {
        const std::vector<uint8_t> bytes = source(n);
        if (bytes[0] != indexpage::Leaf && bytes[0] != indexpage::Intermediate) continue;
        try {
            (void)IndexPage::decode(bytes, n).encode();
        } catch (const FormatError&) {
        }
        if (walks++ >= kMaxWalks) continue;
        try {
            rebuild(walkIndex(source, n).entries);
        } catch (const FormatError&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The codec reads files: the bytes become one in memory.
    const int fd = ::memfd_create("fuzz.mdb", MFD_CLOEXEC);
    if (fd < 0) std::abort();
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
    try {
        jet::file::PageFile file("/proc/self/fd/" + std::to_string(fd), 16);
        const codecwalk::Counts counts = codecwalk::walk(file, false);
        if (file.facts().codecSupported()) {
            std::vector<CheckedTable> tables;
            for (uint32_t page : counts.tables) tables.push_back({"", page & 0x00FFFFFFu});
            (void)Checker(file).check(tables);
            indexPages(file);
        }
    } catch (const jet::file::FormatError&) {
        // A file the codec refuses: the expected outcome for most inputs.
    }
    ::close(fd);
    return 0;
}
