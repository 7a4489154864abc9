#pragma once
// Data pages (type 0x01): the rows of tables, usage maps and long values.
// Header: type, a byte that is always 1, the free space, the owning table
// definition's page (or "LVAL" on a long-value page), in Jet 4 four bytes of
// unknown meaning, the row count, then one 16-bit offset per row (the layout
// of the page's size says where). Rows lie from the
// end of the page towards the offsets: row 0 ends at the page's end, row i at
// row i-1's start. An offset's top bits flag a deleted row (0x8000) and a row
// that holds only a pointer to the row's data elsewhere (0x4000).
#include <cstdint>
#include <string>
#include <vector>

#include "jet/file/Bytes.h"
#include "jet/format/Layout.h"

namespace jet::file {

inline constexpr uint8_t kDataPageType = 0x01;
// Jet 4's header; a page's own is that of its layout.
inline constexpr size_t kDataPageHeaderSize = format::kJet4.dataPageHeaderSize;
inline constexpr uint16_t kRowDeletedFlag = 0x8000;
inline constexpr uint16_t kRowOverflowFlag = 0x4000;
inline constexpr uint16_t kRowOffsetMask = 0x1FFF;
// The owner field of a long-value page: the bytes "LVAL".
inline constexpr uint32_t kLongValueOwner = 0x4C41564C;

struct RowSlot {
    uint16_t raw = 0;  // the offset as stored, flags included
    [[nodiscard]] uint16_t offset() const { return raw & kRowOffsetMask; }
    [[nodiscard]] bool deleted() const { return (raw & kRowDeletedFlag) != 0; }
    [[nodiscard]] bool overflow() const { return (raw & kRowOverflowFlag) != 0; }
};

// A row as it goes into a new page: its bytes and the flags of its offset.
struct PageRow {
    Bytes bytes;
    uint16_t flags = 0;  // kRowDeletedFlag, kRowOverflowFlag
};

// A view of one data page; every offset is checked when the view is made, so
// the accessors cannot fail. The page's bytes must outlive the view.
class DataPage {
public:
    // Throws FormatError unless `page` is a data page whose offsets and rows
    // lie within it.
    DataPage(ByteSpan page, uint32_t pageNumber);

    // The layout of the page's version (told by its size).
    [[nodiscard]] const format::Layout& layout() const { return *layout_; }
    [[nodiscard]] uint32_t pageNumber() const { return number_; }
    [[nodiscard]] uint16_t freeSpace() const { return le16(page_.data() + 2); }
    [[nodiscard]] uint32_t owner() const { return le32(page_.data() + 4); }
    [[nodiscard]] bool longValuePage() const { return owner() == kLongValueOwner; }
    // Jet 4 only (0 in Jet 3, whose row count lies there).
    [[nodiscard]] uint32_t unknown8() const {
        return layout_->dataPageRowCountOffset > 8 ? le32(page_.data() + 8) : 0;
    }
    [[nodiscard]] uint16_t rowCount() const {
        return le16(page_.data() + layout_->dataPageRowCountOffset);
    }
    [[nodiscard]] RowSlot slot(uint16_t row) const {
        return {le16(page_.data() + layout_->dataPageHeaderSize + 2 * row)};
    }
    // Row `row`'s bytes (for an overflow row: the 4-byte pointer).
    [[nodiscard]] ByteSpan row(uint16_t row) const;
    // Where row `row` starts and ends on the page.
    [[nodiscard]] uint16_t rowStart(uint16_t row) const { return slot(row).offset(); }
    [[nodiscard]] uint16_t rowEnd(uint16_t row) const;

private:
    ByteSpan page_;
    uint32_t number_;
    const format::Layout* layout_;
};

// The functions below take the layout of `pageSize`'s version.
// Free space of a page holding rows of these lengths, as the header keeps it.
[[nodiscard]] size_t dataPageFreeSpace(size_t pageSize, const std::vector<size_t>& rowLengths);

// A new data page holding `rows` in order, laid out as Access lays them: rows
// packed from the end of the page, the offset table after the header, zeros
// between. `owner` is the table definition's page (kLongValueOwner for a
// long-value page). The four bytes at 8 are of unknown meaning: zero on most
// Access-made pages measured, some other value on a few; new pages get zero.
// Throws FormatError when the rows do not fit.
[[nodiscard]] Bytes buildDataPage(size_t pageSize, uint32_t owner,
                                  const std::vector<PageRow>& rows);

// Whether rows of these lengths fit on one page.
[[nodiscard]] bool rowsFit(size_t pageSize, const std::vector<size_t>& rowLengths);

// The 4-byte pointer to a row elsewhere: its row number, then the page's
// number in three bytes.
struct RowPointer {
    uint32_t page = 0;
    uint8_t row = 0;
    [[nodiscard]] uint32_t rowId() const { return page << 8 | row; }
    friend bool operator==(const RowPointer&, const RowPointer&) = default;
};
[[nodiscard]] RowPointer readRowPointer(ByteSpan fourBytes);
void writeRowPointer(uint8_t* out, RowPointer p);

}  // namespace jet::file
