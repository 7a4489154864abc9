#pragma once
// Index pages: leaves (type 4) hold one entry per row, intermediate pages
// (type 3) one entry per child page, repeating the child's last entry.
//
// A Jet 4 page: type, 0x01, free space (16 bits), the table's definition
// page, four unknown bytes, previous and next page of the same level, the
// tail leaf, the length of the prefix every entry shares with the page's
// first entry, one unknown byte, then a bitmask of 453 bytes whose set bits
// mark where each entry ends (entries start at byte 480; the first entry is
// whole, the others are stored without the shared prefix). An Access 97 page
// (2048 bytes) has no bytes 8-11: the prefix length is one byte at 20, the
// unknown byte at 21, the mask of 226 bytes at 22 and the entries from 248. Header numbers are
// little-endian; an entry's row pointer (3-byte page, 1-byte row) and child
// page (4 bytes) are big-endian, so entries sort as byte strings.
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "jet/file/PageFile.h"
#include "jet/format/Layout.h"

namespace jet::file {

namespace indexpage {
inline constexpr uint8_t Intermediate = 0x03;
inline constexpr uint8_t Leaf = 0x04;
inline constexpr size_t kPageSize = format::kJet4.pageSize;
inline constexpr size_t kMaskOffset = format::kJet4.indexMaskOffset;
inline constexpr size_t kMaskSize = format::kJet4.indexMaskSize;
inline constexpr size_t kEntriesOffset = kMaskOffset + kMaskSize;  // 480
// Room for entries on one page.
inline constexpr size_t kEntrySpace = kPageSize - kEntriesOffset;  // 3616
inline constexpr size_t kRowPointerSize = 4;
inline constexpr size_t kChildPointerSize = 4;
// The same for a version's layout.
[[nodiscard]] constexpr size_t entriesOffset(const format::Layout& layout) {
    return layout.indexMaskOffset + layout.indexMaskSize;
}
[[nodiscard]] constexpr size_t entrySpace(const format::Layout& layout) {
    return layout.pageSize - entriesOffset(layout);
}
// The longest shared prefix a page's header can state.
[[nodiscard]] constexpr size_t maxPrefix(const format::Layout& layout) {
    return layout.pageSize == format::kJet3.pageSize ? 0xFF : 0xFFFF;
}
// The layout of an index page of `pageSize` bytes; null for a size no Jet
// version the codec reads has.
[[nodiscard]] constexpr const format::Layout* layoutOfPage(size_t pageSize) {
    if (pageSize == format::kJet4.pageSize) return &format::kJet4;
    if (pageSize == format::kJet3.pageSize) return &format::kJet3;
    return nullptr;
}
}  // namespace indexpage

struct IndexEntry {
    std::vector<uint8_t> key;  // the columns' key bytes (IndexKey)
    uint32_t dataPage = 0;     // the row's page (24 bits)
    uint8_t dataRow = 0;       // the row's number on that page
    uint32_t child = 0;        // intermediate pages: the child page

    // The entry as a leaf stores it (key and row pointer), and with the child
    // pointer as an intermediate page stores it.
    [[nodiscard]] std::vector<uint8_t> leafBytes() const;
    [[nodiscard]] std::vector<uint8_t> nodeBytes() const;
    friend bool operator==(const IndexEntry&, const IndexEntry&) = default;
};

// Entries compare as Jet orders them: by their leaf bytes.
[[nodiscard]] bool entryLess(const IndexEntry& a, const IndexEntry& b);

struct IndexPage {
    uint8_t type = indexpage::Leaf;
    uint8_t marker = 0x01;   // byte 1: 0x01 on every page
    uint16_t freeSpace = 0;  // bytes after the last entry
    uint32_t owner = 0;      // the table's definition page
    uint32_t reserved = 0;   // Jet 4's bytes 8-11, zero on the pages measured
    uint32_t prev = 0;
    uint32_t next = 0;
    uint32_t tail = 0;          // intermediate pages: the index's last leaf
    uint16_t prefixLength = 0;  // at most 255 on an Access 97 page
    uint8_t flags = 0;          // 1 on intermediate pages measured, 0 on leaves
    std::vector<IndexEntry> entries;
    // The page's version; Jet 4 unless decoded from an Access 97 page.
    const format::Layout* layout = &format::kJet4;

    [[nodiscard]] bool leaf() const { return type == indexpage::Leaf; }

    // Decodes a page, of the version its size gives; throws FormatError
    // (naming `pageNumber`) when it is not an index page of either size or its
    // mask, prefix or entries do not fit the page.
    [[nodiscard]] static IndexPage decode(std::span<const uint8_t> bytes, uint32_t pageNumber);

    // The bytes of the entries as stored: the whole first entry, then each
    // other one without the prefix.
    [[nodiscard]] size_t storedSize() const;

    // The page's bytes in its layout: mask and free space computed,
    // everything after the last entry zero. Throws FormatError when the prefix is not shared by
    // every entry or the entries do not fit.
    [[nodiscard]] std::vector<uint8_t> encode() const;
};

// Reads one page of the file; throws FormatError for a page it does not have.
using PageSource = std::function<std::vector<uint8_t>(uint32_t page)>;
// The pages of `file` as the writer sees them (its overlay included); the
// file must outlive the source.
[[nodiscard]] PageSource pageSource(const PageFile& file);

// An index's pages from its first page down: the leaf entries in order and
// the pages met, each page read once.
struct IndexTree {
    std::vector<IndexEntry> entries;      // every leaf entry, in order
    std::vector<uint32_t> leaves;         // leaf pages in order
    std::vector<uint32_t> intermediates;  // intermediate pages, parents before children
    uint32_t depth = 0;                   // levels of intermediate pages above the leaves
};

// Walks the tree from `root` through the intermediate entries' children, then
// along next links from the last leaf reached (Jet adds leaves at the end of
// an index without entries above them: the tail). Throws FormatError for a
// page that is not an index page, a page met twice, a tree deeper than any
// Jet writes, or a child of the wrong kind.
[[nodiscard]] IndexTree walkIndex(const PageSource& pages, uint32_t root);

}  // namespace jet::file
