#pragma once
// The sizes and offsets of a Jet file's structures that differ between Jet
// versions, in one descriptor per version the page codec writes: each codec
// module takes its sizes from here instead of declaring its own.
#include <array>
#include <cstddef>
#include <cstdint>

namespace jet::format {

// The offset of a field a version's structure does not have.
inline constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);

// How text (names, values, property strings) is stored.
enum class TextForm : uint8_t {
    Ucs2,        // UCS-2 little-endian, values optionally compressed (FF FE)
    SingleByte,  // one byte per character in the file's code page
};

// Where the fields of a table definition's entries lie (kAbsent: not stored).
// Every byte of an entry that no field here names is kept as read.
struct DefinitionHeaderFields {
    std::size_t unknown12, rowCount, nextCounter, unknown24, tableType, maxColumns, variableColumns,
        columnCount, logicalCount, realCount, ownedMap, freeMap;
};
struct ColumnFields {
    std::size_t unknown1, unknown1Size, number, variableIndex, index, misc, flags, extraFlags,
        unknown2, fixedOffset, length;
};
struct RealIndexFields {
    std::size_t unknown1, columns, map, firstPage, unknown2, flags, unknown3;
};
struct LogicalIndexFields {
    std::size_t unknown1, number, realIndex, relatedTableType, relatedIndex, relatedTablePage,
        cascadeUpdates, cascadeDeletes, indexType, unknown2;
};

struct Layout {
    std::size_t pageSize;
    // Data pages: the header before the row offsets, where its row count lies,
    // and what a page holds at most.
    std::size_t dataPageHeaderSize;
    std::size_t dataPageRowCountOffset;
    std::size_t maxRowsPerPage;
    // The most bytes one table row may take.
    std::size_t maxRowSize;
    // Rows: the size of the column count, the variable offsets, their count
    // and the end of the variable data (1 byte in Jet 3, with a jump table of
    // the 256-byte boundaries the row passes).
    std::size_t rowFieldSize;
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
    DefinitionHeaderFields header;
    ColumnFields column;
    RealIndexFields realIndex;
    LogicalIndexFields logicalIndex;
    // Bytes 2–3 of every definition page: the page's free space when
    // definitionPageTag is 0, else that fixed value ("VC" in Jet 3).
    uint16_t definitionPageTag;
    // The length before a name in a definition: 2 or 1 bytes.
    std::size_t nameLengthSize;
    TextForm textForm;
    // The first four bytes of a property blob.
    std::array<uint8_t, 4> propertyBlobMagic;
    // Index pages: where the mask of entry ends starts, and its length.
    std::size_t indexMaskOffset;
    std::size_t indexMaskSize;
    // A usage map's row as Access makes it: type, start page and a bitmap.
    std::size_t usageMapRowLength;
    // Whether the global map's row on page 1 grows with the file (Jet 3:
    // a bitmap byte per 8 pages, from 128 on) before it becomes type 1.
    bool globalMapGrowsInline;
    // The most a long-value row holds (a chain's rows lose four of them to the
    // next pointer; Access fills them to exactly that).
    std::size_t maxLongValueRow;
};

inline constexpr Layout kJet4{
    .pageSize = 4096,
    .dataPageHeaderSize = 14,
    .dataPageRowCountOffset = 12,
    .maxRowsPerPage = 255,
    .maxRowSize = 4060,
    .rowFieldSize = 2,
    .definitionPageHeaderSize = 8,
    .definitionHeaderSize = 63,
    .realIndexSlotSize = 12,
    .columnEntrySize = 25,
    .realIndexEntrySize = 52,
    .logicalIndexEntrySize = 28,
    .longValueMapEntrySize = 10,
    .header = {.unknown12 = 12,
               .rowCount = 16,
               .nextCounter = 20,
               .unknown24 = 24,
               .tableType = 40,
               .maxColumns = 41,
               .variableColumns = 43,
               .columnCount = 45,
               .logicalCount = 47,
               .realCount = 51,
               .ownedMap = 55,
               .freeMap = 59},
    .column = {.unknown1 = 1,
               .unknown1Size = 4,
               .number = 5,
               .variableIndex = 7,
               .index = 9,
               .misc = 11,
               .flags = 15,
               .extraFlags = 16,
               .unknown2 = 17,
               .fixedOffset = 21,
               .length = 23},
    .realIndex = {.unknown1 = 0,
                  .columns = 4,
                  .map = 34,
                  .firstPage = 38,
                  .unknown2 = 42,
                  .flags = 46,
                  .unknown3 = 47},
    .logicalIndex = {.unknown1 = 0,
                     .number = 4,
                     .realIndex = 8,
                     .relatedTableType = 12,
                     .relatedIndex = 13,
                     .relatedTablePage = 17,
                     .cascadeUpdates = 21,
                     .cascadeDeletes = 22,
                     .indexType = 23,
                     .unknown2 = 24},
    .definitionPageTag = 0,
    .nameLengthSize = 2,
    .textForm = TextForm::Ucs2,
    .propertyBlobMagic = {'M', 'R', '2', '\0'},
    .indexMaskOffset = 27,
    .indexMaskSize = 453,
    .usageMapRowLength = 69,
    .globalMapGrowsInline = false,
    .maxLongValueRow = 4076,
};

// Access 97's files, measured on Access-made files: every definition page
// carries "VC" where Jet 4 keeps the free space; a column's two bytes at 7
// are 0 or 1 (kept as unknown1's first two); long-value maps take 10 bytes
// each and end with 0xFFFF as in Jet 4; a chain's rows fill a page's only row
// (2036 bytes); the global map's row grows with the file (nwind.mdb's maps
// its 1,466 pages in 184 bytes).
inline constexpr Layout kJet3{
    .pageSize = 2048,
    .dataPageHeaderSize = 10,
    .dataPageRowCountOffset = 8,
    .maxRowsPerPage = 255,
    .maxRowSize = 2012,
    .rowFieldSize = 1,
    .definitionPageHeaderSize = 8,
    .definitionHeaderSize = 43,
    .realIndexSlotSize = 8,
    .columnEntrySize = 18,
    .realIndexEntrySize = 39,
    .logicalIndexEntrySize = 20,
    .longValueMapEntrySize = 10,
    .header = {.unknown12 = kAbsent,
               .rowCount = 12,
               .nextCounter = 16,
               .unknown24 = kAbsent,
               .tableType = 20,
               .maxColumns = 21,
               .variableColumns = 23,
               .columnCount = 25,
               .logicalCount = 27,
               .realCount = 31,
               .ownedMap = 35,
               .freeMap = 39},
    .column = {.unknown1 = 7,
               .unknown1Size = 2,
               .number = 1,
               .variableIndex = 3,
               .index = 5,
               .misc = 9,
               .flags = 13,
               .extraFlags = kAbsent,
               .unknown2 = kAbsent,
               .fixedOffset = 14,
               .length = 16},
    .realIndex = {.unknown1 = kAbsent,
                  .columns = 0,
                  .map = 30,
                  .firstPage = 34,
                  .unknown2 = kAbsent,
                  .flags = 38,
                  .unknown3 = kAbsent},
    .logicalIndex = {.unknown1 = kAbsent,
                     .number = 0,
                     .realIndex = 4,
                     .relatedTableType = 8,
                     .relatedIndex = 9,
                     .relatedTablePage = 13,
                     .cascadeUpdates = 17,
                     .cascadeDeletes = 18,
                     .indexType = 19,
                     .unknown2 = kAbsent},
    .definitionPageTag = 0x4356,  // "VC"
    .nameLengthSize = 1,
    .textForm = TextForm::SingleByte,
    .propertyBlobMagic = {'K', 'K', 'D', '\0'},
    .indexMaskOffset = 0x16,
    .indexMaskSize = 226,
    .usageMapRowLength = 133,
    .globalMapGrowsInline = true,
    .maxLongValueRow = 2036,
};

inline constexpr std::size_t kJet3PageSize = kJet3.pageSize;

// The layout of a header's version (0 Jet 3, 1 Jet 4); null for the versions
// the codec has no layout of.
[[nodiscard]] constexpr const Layout* layoutFor(int version) {
    if (version == 0) return &kJet3;
    if (version == 1) return &kJet4;
    return nullptr;
}

// The layout of a version's pages by their size (each version has its own);
// Jet 4's for any other size.
[[nodiscard]] constexpr const Layout& layoutForPageSize(std::size_t pageSize) {
    return pageSize == kJet3.pageSize ? kJet3 : kJet4;
}

}  // namespace jet::format
