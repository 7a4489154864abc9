// Bytes as the pages of a Jet 4 file: every index page decoded, index trees
// walked from them, and what a walk finds built into new pages and walked
// again. Damage may only ever be a FormatError; a rebuilt index that does not
// read back as its entries is a fault.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "jet/file/FormatError.h"
#include "jet/file/IndexBuilder.h"
#include "jet/file/IndexKey.h"
#include "jet/file/IndexPage.h"

using namespace jet::file;

namespace {

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t count = size / indexpage::kPageSize;
    auto page = [&](uint32_t n) {
        if (n >= count) throw FormatError("page past the end", n);
        const uint8_t* p = data + static_cast<size_t>(n) * indexpage::kPageSize;
        return std::vector<uint8_t>(p, p + indexpage::kPageSize);
    };
    int walks = 0;
    for (uint32_t n = 0; n < count; ++n) {
        const uint8_t type = data[static_cast<size_t>(n) * indexpage::kPageSize];
        if (type != indexpage::Leaf && type != indexpage::Intermediate) continue;
        try {
            (void)IndexPage::decode(page(n), n).encode();
        } catch (const FormatError&) {
        }
        if (walks++ >= kMaxWalks) continue;
        try {
            rebuild(walkIndex(page, n).entries);
        } catch (const FormatError&) {
        }
    }
    // The tail of the input as a text value in each sort order.
    const std::string text(reinterpret_cast<const char*>(data) + count * indexpage::kPageSize,
                           size - count * indexpage::kPageSize);
    for (const SortOrder order : {kGeneralLegacy, kFrench}) {
        for (const bool ascending : {true, false}) {
            try {
                std::vector<uint8_t> key;
                IndexKey::append(key, {jettype::Text, ascending, order}, text);
                (void)IndexKey::canProve({jettype::Text, ascending, order}, text);
            } catch (const FormatError&) {
            }
        }
    }
    return 0;
}
