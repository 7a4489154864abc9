#pragma once
// Long values (MEMO, OLE, property blobs): a row holds a 12-byte header, the
// value's length in 30 bits with its kind in the top two (0x80 the value
// follows the header in the row, 0x40 it is one row on a long-value page,
// 0x00 it is a chain of such rows, each starting with a 4-byte pointer to the
// next), the pointer to the first long-value row, and four bytes of unknown
// meaning (zero on inline and one-row values in the files measured; Access's
// chains hold other values there; new values get zero).
#include <cstdint>
#include <map>
#include <vector>

#include "jet/file/Bytes.h"
#include "jet/file/DataPage.h"
#include "jet/file/PageFile.h"
#include "jet/format/Layout.h"

namespace jet::file {

inline constexpr size_t kLongValueHeaderSize = 12;
inline constexpr uint8_t kLongValueInline = 0x80;
inline constexpr uint8_t kLongValueOneRow = 0x40;
inline constexpr uint8_t kLongValueChain = 0x00;
inline constexpr uint32_t kLongValueLengthMask = 0x3FFFFFFF;
// The longest value written in the row itself (Access kept values of up to 52
// bytes inline in the files measured and none from 65 on; between, this
// bound is a guess), and the most a Jet 4 long-value row holds (a chain's rows
// lose four of them to the next pointer; Access fills them to exactly that;
// the file's layout has its own).
inline constexpr size_t kMaxInlineLongValue = 64;
inline constexpr size_t kMaxLongValueRow = format::kJet4.maxLongValueRow;

struct LongValueHeader {
    uint32_t length = 0;
    uint8_t kind = 0;  // kLongValueInline, kLongValueOneRow, kLongValueChain
    RowPointer first;
    uint32_t unknown = 0;
};

[[nodiscard]] LongValueHeader readLongValueHeader(ByteSpan field);

// The bytes of a long value from a row's field (header and, when inline, the
// value). Throws FormatError on an unknown kind, a row pointer to no row, a
// chain that loops or ends early, or lengths that disagree.
[[nodiscard]] Bytes readLongValue(const PageFile& file, ByteSpan field);

// Writes long values on new long-value pages appended to a file's overlay.
class LongValueWriter {
public:
    explicit LongValueWriter(PageFile& file) : file_(file) {}

    // The field for `value` in a row that still has `rowRoom` bytes for it:
    // the value inline after the header when it is at most 64 bytes and fits,
    // else the header of one long-value row (up to the layout's
    // maxLongValueRow bytes) or a chain.
    [[nodiscard]] Bytes write(ByteSpan value, size_t rowRoom);

    // The long-value pages made so far (the column's usage map takes them).
    [[nodiscard]] const std::vector<uint32_t>& pages() const { return pages_; }

private:
    // Reserves a row of `size` bytes on the last page made, or a new one.
    RowPointer place(size_t size);
    // Sets a reserved row's bytes and writes its page.
    void fill(RowPointer at, Bytes bytes);

    PageFile& file_;
    std::vector<uint32_t> pages_;
    // The rows of each page made so far.
    std::map<uint32_t, std::vector<PageRow>> rows_;
};

}  // namespace jet::file
