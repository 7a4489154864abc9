#include "jet/file/LongValue.h"

#include <set>
#include <string>

namespace jet::file {

namespace {

// The bytes of the row a long-value pointer names.
ByteSpan rowAt(const PageFile& file, RowPointer p, PageFile::PageRef& hold) {
    hold = file.page(p.page);
    const DataPage page(*hold, p.page);
    if (p.row >= page.rowCount())
        throw FormatError(
            "a long value points to row " + std::to_string(p.row) + ", which is not on its page",
            p.page);
    return page.row(p.row);
}

}  // namespace

LongValueHeader readLongValueHeader(ByteSpan field) {
    if (field.size() < kLongValueHeaderSize)
        throw FormatError("a long value's header is cut short");
    LongValueHeader h;
    const uint32_t word = le32(field.data());
    h.length = word & kLongValueLengthMask;
    h.kind = static_cast<uint8_t>((word >> 24) & 0xC0);
    h.first = readRowPointer(field.subspan(4, 4));
    h.unknown = le32(field.data() + 8);
    return h;
}

Bytes readLongValue(const PageFile& file, ByteSpan field) {
    const LongValueHeader h = readLongValueHeader(field);
    if (h.kind == kLongValueInline) {
        if (field.size() - kLongValueHeaderSize < h.length)
            throw FormatError("a long value is shorter than its length");
        const auto data = field.subspan(kLongValueHeaderSize, h.length);
        return Bytes(data.begin(), data.end());
    }
    PageFile::PageRef hold;
    if (h.kind == kLongValueOneRow) {
        const ByteSpan row = rowAt(file, h.first, hold);
        if (row.size() < h.length)
            throw FormatError("a long value is shorter than its length", h.first.page);
        return Bytes(row.begin(), row.begin() + h.length);
    }
    if (h.kind != kLongValueChain) throw FormatError("unknown kind of long value");
    // No value is longer than the file that holds it.
    if (h.length > static_cast<uint64_t>(file.pageCount()) * file.pageSize())
        throw FormatError("a long value is longer than its file");
    Bytes out;
    out.reserve(h.length);
    std::set<uint32_t> seen;
    RowPointer at = h.first;
    while (out.size() < h.length) {
        if (at.page == 0) throw FormatError("a long value's chain ends before its length");
        if (!seen.insert(at.rowId()).second)
            throw FormatError("a long value's chain loops", at.page);
        const ByteSpan row = rowAt(file, at, hold);
        if (row.size() < 4) throw FormatError("a long value's row is cut short", at.page);
        const RowPointer next = readRowPointer(row.first(4));
        const ByteSpan chunk = row.subspan(4);
        if (chunk.empty()) throw FormatError("a long value's row holds nothing", at.page);
        const size_t take = std::min(chunk.size(), h.length - out.size());
        out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<ptrdiff_t>(take));
        at = next;
    }
    return out;
}

RowPointer LongValueWriter::place(size_t size) {
    if (!pages_.empty()) {
        auto& rows = rows_[pages_.back()];
        std::vector<size_t> lengths;
        for (const auto& r : rows) lengths.push_back(r.bytes.size());
        lengths.push_back(size);
        if (rowsFit(file_.pageSize(), lengths)) {
            rows.push_back(PageRow{Bytes(size, 0), 0});
            return {pages_.back(), static_cast<uint8_t>(rows.size() - 1)};
        }
    }
    const uint32_t page = file_.append();
    pages_.push_back(page);
    rows_[page].push_back(PageRow{Bytes(size, 0), 0});
    return {page, 0};
}

void LongValueWriter::fill(RowPointer at, Bytes bytes) {
    auto& rows = rows_.at(at.page);
    rows.at(at.row).bytes = std::move(bytes);
    const Bytes page = buildDataPage(file_.pageSize(), kLongValueOwner, rows);
    auto out = file_.writable(at.page);
    std::copy(page.begin(), page.end(), out.begin());
}

Bytes LongValueWriter::write(ByteSpan value, size_t rowRoom) {
    if (value.size() > kLongValueLengthMask) throw FormatError("a long value is too long");
    ByteWriter w;
    const auto length = static_cast<uint32_t>(value.size());
    if (value.size() <= kMaxInlineLongValue && kLongValueHeaderSize + value.size() <= rowRoom) {
        w.u32(length | static_cast<uint32_t>(kLongValueInline) << 24);
        w.u32(0);
        w.u32(0);
        w.bytes(value);
        return w.take();
    }
    const size_t maxRow = file_.layout().maxLongValueRow;
    if (value.size() <= maxRow) {
        const RowPointer at = place(value.size());
        fill(at, Bytes(value.begin(), value.end()));
        w.u32(length | static_cast<uint32_t>(kLongValueOneRow) << 24);
        w.u8(at.row);
        w.u24(at.page);
        w.u32(0);
        return w.take();
    }
    // A chain: every row but the last is full; rows are placed first so that
    // each can name the next.
    const size_t chunk = maxRow - 4;
    const size_t chunks = (value.size() + chunk - 1) / chunk;
    std::vector<RowPointer> at;
    for (size_t k = 0; k < chunks; ++k)
        at.push_back(place(4 + std::min(chunk, value.size() - k * chunk)));
    for (size_t k = 0; k < chunks; ++k) {
        const size_t from = k * chunk;
        const size_t n = std::min(chunk, value.size() - from);
        Bytes row(4 + n);
        writeRowPointer(row.data(), k + 1 < chunks ? at[k + 1] : RowPointer{0, 0});
        std::copy(value.begin() + static_cast<ptrdiff_t>(from),
                  value.begin() + static_cast<ptrdiff_t>(from + n), row.begin() + 4);
        fill(at[k], std::move(row));
    }
    const RowPointer next = at.front();
    w.u32(length | static_cast<uint32_t>(kLongValueChain) << 24);
    w.u8(next.row);
    w.u24(next.page);
    w.u32(0);
    return w.take();
}

}  // namespace jet::file
