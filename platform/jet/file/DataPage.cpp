#include "jet/file/DataPage.h"

namespace jet::file {

DataPage::DataPage(ByteSpan page, uint32_t pageNumber)
    : page_(page), number_(pageNumber), layout_(&format::layoutForPageSize(page.size())) {
    if (page_.size() < layout_->dataPageHeaderSize || page_[0] != kDataPageType)
        throw FormatError("not a data page", pageNumber);
    const size_t rows = rowCount();
    const size_t tableEnd = layout_->dataPageHeaderSize + 2 * rows;
    if (tableEnd > page_.size()) throw FormatError("the row offsets run past the page", pageNumber);
    size_t end = page_.size();
    for (size_t i = 0; i < rows; ++i) {
        const size_t start = slot(static_cast<uint16_t>(i)).offset();
        // Each row ends where the one before it starts; an offset into the
        // header or the offset table, or past the row before, is damage.
        if (start < tableEnd || start > end)
            throw FormatError("row " + std::to_string(i) + " has an offset outside the page",
                              pageNumber);
        end = start;
    }
}

uint16_t DataPage::rowEnd(uint16_t row) const {
    return row == 0 ? static_cast<uint16_t>(page_.size()) : slot(row - 1).offset();
}

ByteSpan DataPage::row(uint16_t row) const {
    if (row >= rowCount())
        throw FormatError("row " + std::to_string(row) + " is not on the page", number_);
    const size_t start = rowStart(row);
    return page_.subspan(start, rowEnd(row) - start);
}

size_t dataPageFreeSpace(size_t pageSize, const std::vector<size_t>& rowLengths) {
    size_t used = format::layoutForPageSize(pageSize).dataPageHeaderSize + 2 * rowLengths.size();
    for (size_t len : rowLengths) used += len;
    return used > pageSize ? 0 : pageSize - used;
}

bool rowsFit(size_t pageSize, const std::vector<size_t>& rowLengths) {
    const auto& layout = format::layoutForPageSize(pageSize);
    size_t used = layout.dataPageHeaderSize + 2 * rowLengths.size();
    for (size_t len : rowLengths) used += len;
    // Offsets keep 13 bits; a page cannot hold more rows than a row number's byte.
    return used <= pageSize && rowLengths.size() <= layout.maxRowsPerPage &&
           pageSize <= kRowOffsetMask + 1;
}

Bytes buildDataPage(size_t pageSize, uint32_t owner, const std::vector<PageRow>& rows) {
    std::vector<size_t> lengths;
    lengths.reserve(rows.size());
    for (const auto& r : rows) lengths.push_back(r.bytes.size());
    if (!rowsFit(pageSize, lengths)) throw FormatError("the rows do not fit on one page");
    Bytes page(pageSize, 0);
    page[0] = kDataPageType;
    page[1] = 0x01;
    putLe16(page.data() + 2, static_cast<uint16_t>(dataPageFreeSpace(pageSize, lengths)));
    putLe32(page.data() + 4, owner);
    const auto& layout = format::layoutForPageSize(pageSize);
    putLe16(page.data() + layout.dataPageRowCountOffset, static_cast<uint16_t>(rows.size()));
    size_t end = pageSize;
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        const size_t start = end - r.bytes.size();
        std::copy(r.bytes.begin(), r.bytes.end(), page.begin() + static_cast<ptrdiff_t>(start));
        putLe16(page.data() + layout.dataPageHeaderSize + 2 * i,
                static_cast<uint16_t>(start | (r.flags & (kRowDeletedFlag | kRowOverflowFlag))));
        end = start;
    }
    return page;
}

RowPointer readRowPointer(ByteSpan fourBytes) {
    if (fourBytes.size() < 4) throw FormatError("a row pointer is cut short");
    return {le24(fourBytes.data() + 1), fourBytes[0]};
}

void writeRowPointer(uint8_t* out, RowPointer p) {
    out[0] = p.row;
    putLe24(out + 1, p.page);
}

}  // namespace jet::file
