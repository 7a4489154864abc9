#pragma once
// A table definition (pages of type 0x02) decoded into typed fields and
// encoded back. The definition starts on its first page and continues on
// linked pages, each with an 8-byte header (type, a byte, free space, next
// page); the continuation pages' content follows the first page's as one run
// of bytes. That run holds a 63-byte header, 12 bytes per real index, 25 bytes
// per column, the column names, 52 bytes per real index, 28 bytes per logical
// index, the logical index names, then per long-value column its two usage
// maps, ended by 0xFFFF. Every byte whose meaning is unknown is kept as it
// was, and so are the bytes after the definition's end on its last page, so an
// unchanged definition encodes to exactly the pages it was read from.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/file/Bytes.h"
#include "jet/file/PageFile.h"
#include "jet/file/Text.h"
#include "jet/file/UsageMap.h"
#include "jet/format/Layout.h"

namespace jet::file {

inline constexpr uint8_t kTableDefinitionPageType = 0x02;

// Column types as definitions store them.
namespace coltype {
inline constexpr uint8_t Boolean = 0x01;
inline constexpr uint8_t Byte = 0x02;
inline constexpr uint8_t Int = 0x03;
inline constexpr uint8_t Long = 0x04;
inline constexpr uint8_t Money = 0x05;
inline constexpr uint8_t Float = 0x06;
inline constexpr uint8_t Double = 0x07;
inline constexpr uint8_t DateTime = 0x08;
inline constexpr uint8_t Binary = 0x09;
inline constexpr uint8_t Text = 0x0A;
inline constexpr uint8_t Ole = 0x0B;
inline constexpr uint8_t Memo = 0x0C;
inline constexpr uint8_t Guid = 0x0F;
inline constexpr uint8_t Numeric = 0x10;
}  // namespace coltype

// Column flag bits.
namespace colflag {
inline constexpr uint8_t Fixed = 0x01;
inline constexpr uint8_t Updatable = 0x02;  // set on every column Access makes
inline constexpr uint8_t AutoLong = 0x04;   // a COUNTER
inline constexpr uint8_t Replication = 0x10;
inline constexpr uint8_t AutoGuid = 0x40;
inline constexpr uint8_t Hyperlink = 0x80;
}  // namespace colflag
inline constexpr uint8_t kCompressedUnicodeFlag = 0x01;  // in the extra flags

// The size a fixed column of `type` takes in a row (0: not a fixed type;
// booleans take no room, they live in the null mask).
[[nodiscard]] size_t fixedTypeSize(uint8_t type);
[[nodiscard]] inline bool isLongValueType(uint8_t type) {
    return type == coltype::Memo || type == coltype::Ole;
}
[[nodiscard]] inline bool isTextType(uint8_t type) {
    return type == coltype::Text || type == coltype::Memo;
}

struct ColumnDef {
    uint8_t type = 0;
    // Jet 4: the same four bytes as the header's at 12; Jet 3: the first two
    // are the entry's bytes 7–8 (0 or 1), the others stay zero.
    std::array<uint8_t, 4> unknown1{};
    uint16_t number = 0;         // stable: rows and indexes refer to it
    uint16_t variableIndex = 0;  // the slot in a row's variable offsets
    uint16_t index = 0;          // Access numbers a user table's columns 0, 1, … here
    // Bytes 11–14: precision and scale of NUMERIC; for text, the sort order
    // (16 bits), a byte of unknown meaning and the sort order's version. Jet 3
    // (bytes 9–12): the sort order and the code page, 16 bits each.
    std::array<uint8_t, 4> misc{};
    uint8_t flags = 0;
    uint8_t extraFlags = 0;
    std::array<uint8_t, 4> unknown2{};
    uint16_t fixedOffset = 0;  // from the start of a row's fixed area
    uint16_t length = 0;       // bytes; 0 for MEMO and OLE
    std::string name;

    [[nodiscard]] bool fixed() const { return (flags & colflag::Fixed) != 0; }
    [[nodiscard]] bool compressedUnicode() const {
        return (extraFlags & kCompressedUnicodeFlag) != 0;
    }
    [[nodiscard]] uint8_t precision() const { return misc[0]; }
    [[nodiscard]] uint8_t scale() const { return misc[1]; }
    [[nodiscard]] uint16_t sortOrder() const {
        return static_cast<uint16_t>(misc[0] | misc[1] << 8);
    }
    [[nodiscard]] uint8_t sortOrderVersion() const { return misc[3]; }
    friend bool operator==(const ColumnDef&, const ColumnDef&) = default;
};

inline constexpr uint16_t kNoIndexColumn = 0xFFFF;
inline constexpr size_t kIndexColumnSlots = 10;

struct IndexColumn {
    uint16_t number = kNoIndexColumn;  // a column number, or kNoIndexColumn
    uint8_t order = 0;                 // 0x01 ascending
    friend bool operator==(const IndexColumn&, const IndexColumn&) = default;
};

// Real index flags.
namespace idxflag {
inline constexpr uint8_t Unique = 0x01;
inline constexpr uint8_t IgnoreNulls = 0x02;
inline constexpr uint8_t Required = 0x08;
// The flags that are an index's rules: two real indexes on the same key mean
// the same when these agree (Access keeps other bits beside them).
inline constexpr uint8_t Rules = Unique | IgnoreNulls | Required;
}  // namespace idxflag

// A real (physical) index: its 12-byte slot after the header and its 52-byte
// definition.
struct RealIndex {
    uint32_t slotUnknown1 = 0;
    uint32_t slotRowCount = 0;  // Access keeps a count of index rows here
    uint32_t slotUnknown2 = 0;
    std::array<uint8_t, 4> unknown1{};
    std::array<IndexColumn, kIndexColumnSlots> columns{};
    UsageMapRef map;
    uint32_t firstPage = 0;
    std::array<uint8_t, 4> unknown2{};
    uint8_t flags = 0;
    std::array<uint8_t, 5> unknown3{};

    // The used column slots, in key order.
    [[nodiscard]] std::vector<IndexColumn> keyColumns() const;
    friend bool operator==(const RealIndex&, const RealIndex&) = default;
};

// Logical index types.
namespace idxtype {
inline constexpr uint8_t Normal = 0x00;
inline constexpr uint8_t PrimaryKey = 0x01;
inline constexpr uint8_t ForeignKey = 0x02;
}  // namespace idxtype

// A logical index: a name over a real index, with a relationship's fields.
struct LogicalIndex {
    std::array<uint8_t, 4> unknown1{};
    uint32_t number = 0;     // referred to by the other table of a relationship
    uint32_t realIndex = 0;  // position in realIndexes()
    uint8_t relatedTableType = 0;
    int32_t relatedIndex = -1;  // the other table's logical index number, -1 if none
    uint32_t relatedTablePage = 0;
    uint8_t cascadeUpdates = 0;
    uint8_t cascadeDeletes = 0;
    uint8_t indexType = idxtype::Normal;
    std::array<uint8_t, 4> unknown2{};
    std::string name;
    friend bool operator==(const LogicalIndex&, const LogicalIndex&) = default;
};

// The usage maps of a long-value column's pages.
struct LongValueMap {
    uint16_t column = 0;
    UsageMapRef owned;
    UsageMapRef free;
    friend bool operator==(const LongValueMap&, const LongValueMap&) = default;
};

// Table types.
inline constexpr uint8_t kUserTable = 0x4E;
inline constexpr uint8_t kSystemTable = 0x53;

class TableDefinition {
public:
    // An empty definition of Jet 4, or of `layout`'s version with names in
    // `text`'s form (a new table's, made in memory: write() gives it pages).
    TableDefinition() = default;
    TableDefinition(const format::Layout& layout, TextCodec text)
        : layout_(&layout), text_(std::move(text)) {}

    // Decodes the definition starting on page `firstPage`. Throws FormatError
    // on a page of another type, a chain of pages that loops, a length that
    // runs past the chain, counts or names that run past the definition.
    static TableDefinition read(const PageFile& file, uint32_t firstPage);
    // The same from the pages' bytes, in chain order, in the structures of
    // `layout` and with names in `text`'s form.
    static TableDefinition decode(const std::vector<ByteSpan>& pages,
                                  const std::vector<uint32_t>& pageNumbers,
                                  const format::Layout& layout = format::kJet4,
                                  TextCodec text = {});

    // The pages' bytes for the current fields, one per page of pages(). An
    // unchanged definition gives exactly the bytes it was read from. Throws
    // FormatError when the definition needs more pages than pages() lists
    // (write() adds them).
    [[nodiscard]] std::vector<Bytes> encode() const;
    // The number of pages the current fields take.
    [[nodiscard]] size_t pagesNeeded() const;
    // Encodes into `file`'s overlay: pages are appended to the chain as
    // needed, and pages it no longer needs are dropped from it and returned
    // (the caller frees them).
    std::vector<uint32_t> write(PageFile& file);

    // The version's structures and text form the definition was read in.
    [[nodiscard]] const format::Layout& layout() const { return *layout_; }
    [[nodiscard]] const TextCodec& text() const { return text_; }

    // The chain of pages, first page first.
    [[nodiscard]] const std::vector<uint32_t>& pages() const { return pages_; }
    [[nodiscard]] uint32_t firstPage() const { return pages_.empty() ? 0 : pages_.front(); }
    // The definition's length in bytes, its header included.
    [[nodiscard]] size_t length() const;

    // Header fields (Jet 3 has neither unknown12 nor unknown24: they stay 0).
    uint32_t unknown12 = 0;  // 1625 in every file measured
    uint32_t rowCount = 0;
    uint32_t nextCounterValue = 0;        // the next COUNTER value, 0 when none
    std::array<uint8_t, 16> unknown24{};  // byte 24 is 1 in files Access made
    uint8_t tableType = kUserTable;
    uint16_t maxColumns = 0;       // never decreases: rows hold that many columns
    uint16_t variableColumns = 0;  // the slots in a new row's variable offsets
    UsageMapRef ownedPages;
    UsageMapRef freeSpacePages;

    std::vector<RealIndex> realIndexes;
    std::vector<ColumnDef> columns;  // in the definition's order
    std::vector<LogicalIndex> logicalIndexes;
    std::vector<LongValueMap> longValueMaps;
    // Bytes between the 0xFFFF end marker and the definition's length (none
    // in the files measured).
    Bytes trailing;

    [[nodiscard]] const ColumnDef* column(uint16_t number) const;
    [[nodiscard]] const ColumnDef* columnNamed(const std::string& name) const;

    // Changes. They keep what rows and indexes rely on: column numbers are
    // never reused and max columns never decreases. Throws FormatError when a
    // change is not possible (no such column, a column still in an index, a
    // real index still used by a logical one, limits).

    // Adds a column with the next number (max columns, then max columns grows),
    // a fixed offset at the end of the fixed area or the next variable slot,
    // as Jet assigns them; type, length, flags, extra flags, misc and name are
    // taken from `column`. A long-value column needs `maps` (its usage maps).
    // Returns the new column's number.
    uint16_t addColumn(ColumnDef column, std::optional<LongValueMap> maps = {});
    void dropColumn(uint16_t number);
    // A new type, length and flags for a column (same number). A column whose
    // room in a row changes moves to the end of the fixed area or to a new
    // variable slot; the rows must then be written again for the new layout.
    // A column that becomes a long-value column needs `maps`; one that stops
    // being one loses its maps (the caller frees their rows).
    void changeColumn(uint16_t number, uint8_t type, uint16_t length, uint8_t flags,
                      uint8_t extraFlags, std::array<uint8_t, 4> misc,
                      std::optional<LongValueMap> maps = {});
    // Appends a real index; returns its position.
    size_t addRealIndex(RealIndex index);
    // Removes a real index no logical index uses; logical indexes over later
    // real indexes follow the new positions.
    void removeRealIndex(size_t position);
    // Inserts a logical index at `position` (default: the end).
    void addLogicalIndex(LogicalIndex index, std::optional<size_t> position = {});
    void removeLogicalIndex(size_t position);

private:
    const format::Layout* layout_ = &format::kJet4;
    TextCodec text_;
    std::vector<uint32_t> pages_;
    std::vector<uint8_t> pageFlags_;  // byte 1 of each page's header
    // Everything after the definition's end on the last page, and any whole
    // pages beyond, as read; zeros for what a change adds.
    Bytes slack_;
};

}  // namespace jet::file
