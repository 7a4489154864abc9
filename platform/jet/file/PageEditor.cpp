#include "jet/file/PageEditor.h"

#include <algorithm>

namespace jet::file {

namespace {

Bytes pointerBytes(RowPointer p) {
    Bytes b(4);
    writeRowPointer(b.data(), p);
    return b;
}

}  // namespace

PageEditor::PageEditor(PageFile& file) : file_(file), global_(file) {}

uint32_t PageEditor::allocate() {
    const uint32_t p = file_.append();
    global_.markUsed(p);
    return p;
}

void PageEditor::markUsed(uint32_t page) { global_.markUsed(page); }

void PageEditor::release(uint32_t page) {
    if (page < 2) throw FormatError("the writer never frees the header or the global map", page);
    released_.insert(page);
    global_.markFree(page);
}

PageEditor::Rows& PageEditor::rows(uint32_t page) {
    dirty_.insert(page);
    return const_cast<Rows&>(peek(page));
}

const PageEditor::Rows& PageEditor::peek(uint32_t page) {
    auto it = pages_.find(page);
    if (it != pages_.end()) return it->second;
    const auto bytes = file_.page(page);
    const DataPage dp(*bytes, page);
    Rows r;
    r.owner = dp.owner();
    for (uint16_t i = 0; i < dp.rowCount(); ++i) {
        const RowSlot slot = dp.slot(i);
        const uint16_t start = dp.rowStart(i), end = dp.rowEnd(i);
        PageRow row;
        row.flags = static_cast<uint16_t>(slot.raw & (kRowDeletedFlag | kRowOverflowFlag));
        if (end > start) row.bytes.assign(bytes->begin() + start, bytes->begin() + end);
        r.rows.push_back(std::move(row));
    }
    return pages_.emplace(page, std::move(r)).first->second;
}

uint32_t PageEditor::newDataPage(uint32_t owner) {
    const uint32_t p = allocate();
    Rows r;
    r.owner = owner;
    pages_.emplace(p, std::move(r));
    dirty_.insert(p);
    return p;
}

bool PageEditor::fits(uint32_t page, size_t length) {
    const Rows& r = peek(page);
    // A row id keeps the row number in one byte.
    if (r.rows.size() >= file_.layout().maxRowsPerPage) return false;
    std::vector<size_t> lengths;
    for (const auto& row : r.rows) lengths.push_back(row.bytes.size());
    lengths.push_back(length);
    return rowsFit(file_.pageSize(), lengths);
}

bool PageEditor::holds(uint32_t page) {
    const Rows& r = peek(page);
    std::vector<size_t> lengths;
    for (const auto& row : r.rows) lengths.push_back(row.bytes.size());
    return rowsFit(file_.pageSize(), lengths);
}

UsageMapRef PageEditor::newUsageMap(std::optional<uint32_t> near) {
    uint32_t page = 0;
    const bool dataPage = near && (pages_.count(*near) != 0 ||
                                   (*near < file_.pageCount() &&
                                    (*file_.page(*near))[0] == kDataPageType));
    const size_t rowLength = file_.layout().usageMapRowLength;
    if (dataPage && fits(*near, rowLength))
        page = *near;
    else
        page = newDataPage(0);
    Rows& r = rows(page);
    PageRow row;
    row.bytes.assign(rowLength, 0);
    r.rows.push_back(std::move(row));
    return UsageMapRef{static_cast<uint8_t>(r.rows.size() - 1), page};
}

void PageEditor::writeUsageMap(UsageMapRef where, const std::vector<uint32_t>& pages) {
    Rows& r = rows(where.page);
    if (where.row >= r.rows.size())
        throw FormatError("a usage map names a row its page does not hold", where.page);
    PageRow& row = r.rows[where.row];
    UsageMap map = UsageMap::decode(row.bytes, file_, where.page);
    map.assign(pages);
    Bytes encoded = map.encode(file_);
    for (uint32_t p : map.newMapPages()) global_.markUsed(p);
    row.bytes = std::move(encoded);
}

void PageEditor::finish() {
    for (uint32_t page : dirty_) {
        const Rows& r = pages_.at(page);
        const Bytes image = buildDataPage(file_.pageSize(), r.owner, r.rows);
        const auto current = file_.page(page);
        if (*current != image) {
            auto out = file_.writable(page);
            std::copy(image.begin(), image.end(), out.begin());
        }
    }
    global_.write(file_);
}

RowEditor::RowEditor(PageEditor& pages, uint32_t definitionPage, UsageMapRef owned,
                     UsageMapRef freeSpace)
    : pages_(pages),
      owner_(definitionPage),
      ownedRef_(owned),
      freeRef_(freeSpace),
      owned_(UsageMap::decode(pages.peek(owned.page).rows.at(owned.row).bytes, pages.file(),
                              owned.page)),
      free_(UsageMap::decode(pages.peek(freeSpace.page).rows.at(freeSpace.row).bytes,
                             pages.file(), freeSpace.page)) {}

RowPointer RowEditor::place(Bytes bytes, uint16_t flags, std::optional<uint32_t> avoid,
                            uint32_t notBefore) {
    uint32_t page = 0;
    const auto candidates = free_.pages();
    for (auto it = candidates.rbegin(); it != candidates.rend() && page == 0; ++it)
        if (*it != avoid && *it >= notBefore && owned_.contains(*it) && !pages_.released(*it) &&
            pages_.peek(*it).owner == owner_ && pages_.fits(*it, bytes.size()))
            page = *it;
    for (auto it = added_.rbegin(); it != added_.rend() && page == 0; ++it)
        if (*it != avoid && *it >= notBefore && pages_.fits(*it, bytes.size())) page = *it;
    // A new page comes at the end of the file, after every page the table has.
    if (page == 0) {
        page = pages_.newDataPage(owner_);
        added_.push_back(page);
        owned_.add(page);
        free_.add(page);
        mapsChanged_ = true;
    }
    auto& rows = pages_.rows(page).rows;
    PageRow row;
    row.bytes = std::move(bytes);
    row.flags = flags;
    rows.push_back(std::move(row));
    return RowPointer{page, static_cast<uint8_t>(rows.size() - 1)};
}

void RowEditor::update(uint32_t rowId, Bytes bytes) {
    const uint32_t page = rowId >> 8;
    const uint8_t number = static_cast<uint8_t>(rowId & 0xFF);
    {
        auto& rows = pages_.rows(page).rows;
        if (number >= rows.size() || (rows[number].flags & kRowDeletedFlag))
            throw FormatError("no live row " + std::to_string(number), page);
    }
    const auto replace = [&](uint32_t where, uint8_t row, Bytes& value) {
        Bytes old = std::move(pages_.rows(where).rows[row].bytes);
        pages_.rows(where).rows[row].bytes = value;
        if (pages_.holds(where)) return true;
        pages_.rows(where).rows[row].bytes = std::move(old);
        return false;
    };
    if (pages_.rows(page).rows[number].flags & kRowOverflowFlag) {
        // The row's data lies elsewhere: change it there, or move it on.
        const RowPointer at = readRowPointer(pages_.rows(page).rows[number].bytes);
        if (at.row >= pages_.peek(at.page).rows.size())
            throw FormatError("an overflow pointer names no row", page);
        if (replace(at.page, at.row, bytes)) return;
        // The row's old place empties, as Jet leaves a deleted row.
        pages_.rows(at.page).rows[at.row] = PageRow{{}, kRowDeletedFlag | kRowOverflowFlag};
        const RowPointer moved = place(std::move(bytes), kRowDeletedFlag, at.page);
        pages_.rows(page).rows[number].bytes = pointerBytes(moved);
        return;
    }
    if (replace(page, number, bytes)) return;
    // Jet keeps the row's place and id: the slot points to the row's new page,
    // whose slot for it is marked deleted so that a scan meets the row once.
    const RowPointer moved = place(std::move(bytes), kRowDeletedFlag, page);
    PageRow& slot = pages_.rows(page).rows[number];
    slot.bytes = pointerBytes(moved);
    slot.flags = kRowOverflowFlag;
    if (!pages_.holds(page)) throw FormatError("a row's page cannot hold its pointer", page);
}

void RowEditor::remove(uint32_t rowId) {
    const uint32_t page = rowId >> 8;
    const uint8_t number = static_cast<uint8_t>(rowId & 0xFF);
    auto& rows = pages_.rows(page).rows;
    if (number >= rows.size() || (rows[number].flags & kRowDeletedFlag))
        throw FormatError("no live row " + std::to_string(number), page);
    // As Jet deletes a row: both flags, no bytes (libmdb skips a row by the
    // overflow flag or by its length; a row flagged deleted alone is an
    // overflow row's data, which a scan reads where it lies).
    if (rows[number].flags & kRowOverflowFlag) {
        const RowPointer at = readRowPointer(rows[number].bytes);
        auto& target = pages_.rows(at.page).rows;
        if (at.row < target.size()) target[at.row] = PageRow{{}, kRowDeletedFlag | kRowOverflowFlag};
    }
    pages_.rows(page).rows[number] = PageRow{{}, kRowDeletedFlag | kRowOverflowFlag};
}

uint32_t RowEditor::insert(Bytes bytes) {
    // A row appended to the page of the last one comes after it.
    const RowPointer at = place(std::move(bytes), 0, {}, lastInserted_);
    lastInserted_ = at.page;
    return at.rowId();
}

void RowEditor::finish() {
    if (!mapsChanged_) return;
    pages_.writeUsageMap(ownedRef_, owned_.pages());
    pages_.writeUsageMap(freeRef_, free_.pages());
}

}  // namespace jet::file
