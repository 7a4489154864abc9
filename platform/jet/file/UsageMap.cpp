#include "jet/file/UsageMap.h"

#include <algorithm>
#include <string>

#include "jet/file/DataPage.h"

namespace jet::file {

namespace {

constexpr uint32_t kNoPage = 0;

// Access leaves slots it never used with values whose top bit is set.
bool pointsToPage(uint32_t pointer) { return pointer != kNoPage && pointer < 0x80000000u; }

// A Jet 4 file holds at most 2 GB (a Jet 3 file 1 GB): no map needs pages
// past that many.
uint64_t mostPages(const PageFile& file) { return (uint64_t{2} << 30) / file.pageSize(); }

void setBit(uint8_t* bitmap, uint64_t bit) {
    bitmap[bit / 8] = static_cast<uint8_t>(bitmap[bit / 8] | (1u << (bit % 8)));
}

}  // namespace

UsageMapRef readUsageMapRef(ByteReader& in) {
    UsageMapRef ref;
    ref.row = in.u8();
    ref.page = in.u24();
    return ref;
}

void writeUsageMapRef(ByteWriter& out, UsageMapRef ref) {
    out.u8(ref.row);
    out.u24(ref.page);
}

UsageMap UsageMap::decode(ByteSpan row, const PageFile& file, int64_t page) {
    UsageMap map;
    if (row.empty()) throw FormatError("a usage map row is empty", page);
    map.row_.assign(row.begin(), row.end());
    if (row[0] == static_cast<uint8_t>(Type::Inline)) {
        map.type_ = Type::Inline;
        if (row.size() < 5) throw FormatError("an inline usage map is cut short", page);
        const uint64_t start = le32(row.data() + 1);
        for (size_t k = 5; k < row.size(); ++k) {
            const uint8_t b = row[k];
            if (b == 0) continue;
            for (int i = 0; i < 8; ++i) {
                if ((b & (1u << i)) == 0) continue;
                const uint64_t p = start + (k - 5) * 8 + static_cast<uint64_t>(i);
                if (p > 0xFFFFFFFFu) throw FormatError("a usage map maps pages past 2^32", page);
                map.pages_.push_back(static_cast<uint32_t>(p));
            }
        }
    } else if (row[0] == static_cast<uint8_t>(Type::Reference)) {
        map.type_ = Type::Reference;
        const uint32_t perPage = pagesPerMapPage(file.pageSize());
        const size_t slots = map.pointerSlots();
        for (size_t s = 0; s < slots; ++s) {
            const uint32_t pointer = le32(row.data() + 1 + 4 * s);
            if (!pointsToPage(pointer)) continue;
            if (static_cast<uint64_t>(s) * perPage >= mostPages(file))
                throw FormatError("a usage map maps pages past the largest file", page);
            const auto mapPage = file.page(pointer);
            if ((*mapPage)[0] != kUsageMapPageType)
                throw FormatError("a usage map points to page " + std::to_string(pointer) +
                                      ", which is not a usage map page",
                                  page);
            const uint64_t base = static_cast<uint64_t>(s) * perPage;
            for (size_t k = kUsageMapPageHeader; k < mapPage->size(); ++k) {
                const uint8_t b = (*mapPage)[k];
                if (b == 0) continue;
                for (int i = 0; i < 8; ++i)
                    if ((b & (1u << i)) != 0)
                        map.pages_.push_back(static_cast<uint32_t>(
                            base + (k - kUsageMapPageHeader) * 8 + static_cast<uint64_t>(i)));
            }
        }
    } else {
        throw FormatError("unknown usage map type " + std::to_string(row[0]), page);
    }
    return map;
}

UsageMap UsageMap::read(const PageFile& file, UsageMapRef where) {
    const auto bytes = file.page(where.page);
    const DataPage page(*bytes, where.page);
    if (where.row >= page.rowCount())
        throw FormatError("usage map row " + std::to_string(where.row) + " is not on its page",
                          where.page);
    UsageMap map = decode(page.row(where.row), file, where.page);
    map.location_ = where;
    return map;
}

std::vector<uint32_t> UsageMap::mapPagePointers() const {
    std::vector<uint32_t> out;
    if (type_ != Type::Reference) return out;
    for (size_t s = 0; s < pointerSlots(); ++s) out.push_back(le32(row_.data() + 1 + 4 * s));
    return out;
}

bool UsageMap::contains(uint32_t page) const {
    return std::binary_search(pages_.begin(), pages_.end(), page);
}

void UsageMap::add(uint32_t page) {
    auto it = std::lower_bound(pages_.begin(), pages_.end(), page);
    if (it == pages_.end() || *it != page) pages_.insert(it, page);
}

void UsageMap::remove(uint32_t page) {
    auto it = std::lower_bound(pages_.begin(), pages_.end(), page);
    if (it != pages_.end() && *it == page) pages_.erase(it);
}

void UsageMap::assign(std::vector<uint32_t> pages) {
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    pages_ = std::move(pages);
}

Bytes UsageMap::encode(PageFile& file, std::optional<std::pair<uint32_t, uint32_t>> cover) {
    newMapPages_.clear();
    Bytes row = row_;
    if (type_ == Type::Inline) {
        const uint64_t capacity = inlineCapacity();
        uint64_t lo = pages_.empty() ? UINT64_MAX : pages_.front();
        uint64_t hi = pages_.empty() ? 0 : static_cast<uint64_t>(pages_.back()) + 1;
        if (cover && cover->first < cover->second) {
            lo = std::min<uint64_t>(lo, cover->first);
            hi = std::max<uint64_t>(hi, cover->second);
        }
        uint64_t start = startPage();
        bool fits = lo > hi || (lo >= start && hi <= start + capacity);
        if (!fits) {
            // Start pages are multiples of 8, so the bitmap's bytes line up.
            start = lo / 8 * 8;
            fits = hi - start <= capacity;
        }
        if (fits) {
            std::fill(row.begin() + 1, row.end(), 0);
            putLe32(row.data() + 1, static_cast<uint32_t>(start));
            for (uint32_t p : pages_) setBit(row.data() + 5, p - start);
            row_ = row;
            return row;
        }
        // Promotion: the same row, now pointing to pages of its own.
        type_ = Type::Reference;
        std::fill(row.begin(), row.end(), 0);
        row[0] = static_cast<uint8_t>(Type::Reference);
    }
    const uint32_t perPage = pagesPerMapPage(file.pageSize());
    const size_t slots = (row.size() - 1) / 4;
    if (!pages_.empty() && pages_.back() / perPage >= slots)
        throw FormatError("a usage map cannot map page " + std::to_string(pages_.back()));
    auto next = pages_.begin();
    for (size_t s = 0; s < slots; ++s) {
        const uint64_t first = static_cast<uint64_t>(s) * perPage;
        const uint64_t last = first + perPage;
        auto end = next;
        while (end != pages_.end() && *end < last) ++end;
        uint32_t pointer = le32(row.data() + 1 + 4 * s);
        if (!pointsToPage(pointer) && next == end) continue;
        Bytes bitmap(file.pageSize() - kUsageMapPageHeader, 0);
        for (auto it = next; it != end; ++it) setBit(bitmap.data(), *it - first);
        if (pointsToPage(pointer)) {
            const auto current = file.page(pointer);
            if ((*current)[0] != kUsageMapPageType)
                throw FormatError("a usage map points to page " + std::to_string(pointer) +
                                  ", which is not a usage map page");
            if (!std::equal(bitmap.begin(), bitmap.end(),
                            current->begin() + static_cast<ptrdiff_t>(kUsageMapPageHeader))) {
                auto out = file.writable(pointer);
                std::copy(bitmap.begin(), bitmap.end(), out.begin() + kUsageMapPageHeader);
            }
        } else {
            pointer = file.append();
            newMapPages_.push_back(pointer);
            auto out = file.writable(pointer);
            out[0] = kUsageMapPageType;
            out[1] = 0x01;
            std::copy(bitmap.begin(), bitmap.end(), out.begin() + kUsageMapPageHeader);
            putLe32(row.data() + 1 + 4 * s, pointer);
        }
        next = end;
    }
    row_ = row;
    return row;
}

void UsageMap::resizeInline(size_t rowLength) {
    if (type_ != Type::Inline || rowLength < 5)
        throw FormatError("only an inline usage map's row can change its length");
    row_.resize(rowLength, 0);
}

void UsageMap::write(PageFile& file, std::optional<std::pair<uint32_t, uint32_t>> cover) {
    if (!location_) throw FormatError("a usage map made in memory has no row to write to");
    const Bytes row = encode(file, cover);
    const auto where = *location_;
    uint16_t start = 0;
    {
        const auto bytes = file.page(where.page);
        const DataPage page(*bytes, where.page);
        if (where.row >= page.rowCount() || page.row(where.row).size() != row.size())
            throw FormatError("the usage map's row changed under it", where.page);
        const auto current = page.row(where.row);
        if (std::equal(current.begin(), current.end(), row.begin())) return;
        start = page.rowStart(where.row);
    }
    auto out = file.writable(where.page);
    std::copy(row.begin(), row.end(), out.begin() + start);
}

GlobalUsageMap::GlobalUsageMap(const PageFile& file) : map_(UsageMap::read(file, {0, 1})) {}

bool GlobalUsageMap::isFree(uint32_t page, const PageFile& file) const {
    if (page >= file.pageCount()) return true;
    if (map_.type() == UsageMap::Type::Inline) {
        const uint64_t start = map_.startPage();
        if (page < start || page >= start + map_.inlineCapacity()) return true;
    }
    return map_.contains(page);
}

namespace {

// Page 1 with its row 0 replaced by `row`; false when the page cannot hold it.
bool rewriteFirstRow(PageFile& file, const Bytes& row) {
    std::vector<PageRow> rows;
    uint32_t owner = 0;
    {
        const auto bytes = file.page(1);
        const DataPage page(*bytes, 1);
        owner = page.owner();
        for (uint16_t i = 0; i < page.rowCount(); ++i) {
            const auto r = page.row(i);
            rows.push_back(
                {Bytes(r.begin(), r.end()),
                 static_cast<uint16_t>(page.slot(i).raw & (kRowDeletedFlag | kRowOverflowFlag))});
        }
    }
    if (rows.empty()) return false;
    rows[0].bytes = row;
    std::vector<size_t> lengths;
    for (const auto& r : rows) lengths.push_back(r.bytes.size());
    if (!rowsFit(file.pageSize(), lengths)) return false;
    const Bytes page = buildDataPage(file.pageSize(), owner, rows);
    auto out = file.writable(1);
    std::copy(page.begin(), page.end(), out.begin());
    return true;
}

}  // namespace

void GlobalUsageMap::write(PageFile& file) {
    if (file.layout().globalMapGrowsInline && map_.type() == UsageMap::Type::Inline &&
        map_.startPage() == 0) {
        const size_t wanted = 5 + (static_cast<size_t>(file.pageCount()) + 7) / 8;
        const uint64_t capacity = (static_cast<uint64_t>(wanted) - 5) * 8;
        if (wanted > map_.rowLength() && (map_.pages().empty() || map_.pages().back() < capacity)) {
            // Starting at 0 and mapping the whole file, the grown map stays
            // inline: encoding it appends no page.
            UsageMap grown = map_;
            grown.resizeInline(wanted);
            const Bytes row = grown.encode(file, std::make_pair(0u, file.pageCount()));
            if (rewriteFirstRow(file, row)) {
                map_ = std::move(grown);
                return;
            }
            // Too long for page 1: the map becomes type 1 in its row.
        }
    }
    map_.write(file, std::make_pair(0u, file.pageCount()));
    // Map pages added by a promotion are in use themselves.
    const auto added = map_.newMapPages();
    if (added.empty()) return;
    for (uint32_t p : added) map_.remove(p);
    map_.write(file, std::make_pair(0u, file.pageCount()));
}

}  // namespace jet::file
