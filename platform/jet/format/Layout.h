#pragma once
// The sizes and offsets of a Jet file's structures that differ between Jet
// versions, in one descriptor per version the page codec writes: each codec
// module takes its sizes from here instead of declaring its own.
#include <cstddef>

namespace jet::format {

struct Layout {
    std::size_t pageSize;
    // Data pages: the header before the row offsets.
    std::size_t dataPageHeaderSize;
    // Table definitions: the header of each page after the first, the
    // definition's own header, the slot of each real index after it, and the
    // entries of a column, a real index, a logical index and a long-value
    // column's usage maps.
    std::size_t definitionPageHeaderSize;
    std::size_t definitionHeaderSize;
    std::size_t realIndexSlotSize;
    std::size_t columnEntrySize;
    std::size_t realIndexEntrySize;
    std::size_t logicalIndexEntrySize;
    std::size_t longValueMapEntrySize;
    // Index pages: where the mask of entry ends starts, and its length.
    std::size_t indexMaskOffset;
    std::size_t indexMaskSize;
    // A usage map's row as Access makes it: type, start page and a bitmap.
    std::size_t usageMapRowLength;
    // The most a long-value row holds (a chain's rows lose four of them to the
    // next pointer; Access fills them to exactly that).
    std::size_t maxLongValueRow;
};

inline constexpr Layout kJet4{
    .pageSize = 4096,
    .dataPageHeaderSize = 14,
    .definitionPageHeaderSize = 8,
    .definitionHeaderSize = 63,
    .realIndexSlotSize = 12,
    .columnEntrySize = 25,
    .realIndexEntrySize = 52,
    .logicalIndexEntrySize = 28,
    .longValueMapEntrySize = 10,
    .indexMaskOffset = 27,
    .indexMaskSize = 453,
    .usageMapRowLength = 69,
    .maxLongValueRow = 4076,
};

// Access 97's files. Measured on Access-made files; the long-value row's
// limit follows from the page as Jet 4's does.
inline constexpr Layout kJet3{
    .pageSize = 2048,
    .dataPageHeaderSize = 10,
    .definitionPageHeaderSize = 8,
    .definitionHeaderSize = 43,
    .realIndexSlotSize = 8,
    .columnEntrySize = 18,
    .realIndexEntrySize = 39,
    .logicalIndexEntrySize = 20,
    .longValueMapEntrySize = 10,
    .indexMaskOffset = 0x16,
    .indexMaskSize = 226,
    .usageMapRowLength = 133,
    .maxLongValueRow = 2032,
};

inline constexpr std::size_t kJet3PageSize = kJet3.pageSize;

// The layout of a header's version (0 Jet 3, 1 Jet 4); null for the versions
// the codec has no layout of.
[[nodiscard]] constexpr const Layout* layoutFor(int version) {
    if (version == 0) return &kJet3;
    if (version == 1) return &kJet4;
    return nullptr;
}

}  // namespace jet::format
