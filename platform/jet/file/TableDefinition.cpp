#include "jet/file/TableDefinition.h"

#include <algorithm>
#include <set>
#include <string>

#include "jet/file/Text.h"
#include "jet/format/Layout.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

constexpr size_t kPageHeader = format::kJet4.definitionPageHeaderSize;
constexpr size_t kHeaderSize = format::kJet4.definitionHeaderSize;
constexpr size_t kSlotSize = format::kJet4.realIndexSlotSize;
constexpr size_t kColumnSize = format::kJet4.columnEntrySize;
constexpr size_t kRealIndexSize = format::kJet4.realIndexEntrySize;
constexpr size_t kLogicalIndexSize = format::kJet4.logicalIndexEntrySize;
constexpr size_t kLongValueMapSize = format::kJet4.longValueMapEntrySize;
constexpr uint16_t kEndMarker = 0xFFFF;
// Far more than any definition needs (255 columns and 32 indexes take a few
// pages); a longer chain is damage.
constexpr size_t kMaxPages = 64;
constexpr size_t kMaxColumns = 255;
constexpr size_t kMaxIndexes = 32;

size_t pageCapacity(size_t pageSize, size_t pages) {
    return pages == 0 ? 0 : pageSize + (pages - 1) * (pageSize - kPageHeader);
}

std::string readName(ByteReader& in) {
    const uint16_t len = in.u16();
    return decodeUcs2(in.bytes(len));
}

void writeName(ByteWriter& out, const std::string& name) {
    const Bytes b = encodeUcs2(name);
    if (b.size() > 0xFFFF) throw FormatError("a name is too long");
    out.u16(static_cast<uint16_t>(b.size()));
    out.bytes(b);
}

template <size_t N>
void put(ByteWriter& out, const std::array<uint8_t, N>& a) {
    out.bytes(ByteSpan(a.data(), a.size()));
}

bool usesStorage(const ColumnDef& c) { return c.fixed() && c.type != coltype::Boolean; }

size_t storageSize(const ColumnDef& c) {
    const size_t typed = fixedTypeSize(c.type);
    return typed != 0 ? typed : c.length;
}

}  // namespace

size_t fixedTypeSize(uint8_t type) {
    switch (type) {
        case coltype::Byte:
            return 1;
        case coltype::Int:
            return 2;
        case coltype::Long:
            return 4;
        case coltype::Money:
            return 8;
        case coltype::Float:
            return 4;
        case coltype::Double:
            return 8;
        case coltype::DateTime:
            return 8;
        case coltype::Guid:
            return 16;
        case coltype::Numeric:
            return 17;
        default:
            return 0;
    }
}

std::vector<IndexColumn> RealIndex::keyColumns() const {
    std::vector<IndexColumn> out;
    for (const auto& c : columns)
        if (c.number != kNoIndexColumn) out.push_back(c);
    return out;
}

TableDefinition TableDefinition::read(const PageFile& file, uint32_t firstPage) {
    if (!file.facts().codecSupported())
        throw FormatError("the codec reads only Jet 4 files");
    std::vector<PageFile::PageRef> refs;
    std::vector<uint32_t> numbers;
    std::set<uint32_t> seen;
    uint32_t next = firstPage;
    do {
        if (!seen.insert(next).second)
            throw FormatError("the definition's pages loop back to page " + std::to_string(next),
                              firstPage);
        if (numbers.size() >= kMaxPages)
            throw FormatError("the definition runs over too many pages", firstPage);
        auto page = file.page(next);
        if (page->size() < kHeaderSize || (*page)[0] != kTableDefinitionPageType)
            throw FormatError("not a table definition page", next);
        refs.push_back(page);
        numbers.push_back(next);
        next = le32(page->data() + 4);
    } while (next != 0);
    std::vector<ByteSpan> spans;
    for (const auto& r : refs) spans.emplace_back(*r);
    return decode(spans, numbers);
}

TableDefinition TableDefinition::decode(const std::vector<ByteSpan>& pages,
                                        const std::vector<uint32_t>& pageNumbers) {
    if (pages.empty() || pages.size() != pageNumbers.size())
        throw FormatError("a definition needs its pages");
    const int64_t first = pageNumbers.front();
    const size_t pageSize = pages.front().size();
    Bytes flat;
    TableDefinition def;
    for (size_t i = 0; i < pages.size(); ++i) {
        const ByteSpan p = pages[i];
        if (p.size() != pageSize || p.size() < kHeaderSize || p[0] != kTableDefinitionPageType)
            throw FormatError("not a table definition page", pageNumbers[i]);
        def.pageFlags_.push_back(p[1]);
        flat.insert(flat.end(), p.begin() + (i == 0 ? 0 : kPageHeader), p.end());
    }
    def.pages_ = pageNumbers;
    const size_t len = le32(flat.data() + 8);
    if (len < kHeaderSize || len > flat.size())
        throw FormatError("the definition's length runs past its pages", first);

    ByteReader in(ByteSpan(flat.data(), len), "the table definition", first);
    in.seek(12);
    def.unknown12 = in.u32();
    def.rowCount = in.u32();
    def.nextCounterValue = in.u32();
    def.unknown24 = in.array<std::array<uint8_t, 16>>();
    def.tableType = in.u8();
    def.maxColumns = in.u16();
    def.variableColumns = in.u16();
    const uint16_t columnCount = in.u16();
    const uint32_t logicalCount = in.u32();
    const uint32_t realCount = in.u32();
    def.ownedPages = readUsageMapRef(in);
    def.freeSpacePages = readUsageMapRef(in);
    // Counts are checked against the bytes before anything is kept for them.
    auto require = [&](uint64_t count, size_t each) {
        if (count * each > in.remaining())
            throw FormatError("the definition's counts run past its length", first);
    };
    require(realCount, kSlotSize);
    def.realIndexes.resize(realCount);
    for (auto& r : def.realIndexes) {
        r.slotUnknown1 = in.u32();
        r.slotRowCount = in.u32();
        r.slotUnknown2 = in.u32();
    }
    require(columnCount, kColumnSize);
    def.columns.resize(columnCount);
    for (auto& c : def.columns) {
        c.type = in.u8();
        c.unknown1 = in.array<std::array<uint8_t, 4>>();
        c.number = in.u16();
        c.variableIndex = in.u16();
        c.index = in.u16();
        c.misc = in.array<std::array<uint8_t, 4>>();
        c.flags = in.u8();
        c.extraFlags = in.u8();
        c.unknown2 = in.array<std::array<uint8_t, 4>>();
        c.fixedOffset = in.u16();
        c.length = in.u16();
    }
    for (auto& c : def.columns) c.name = readName(in);
    require(realCount, kRealIndexSize);
    for (auto& r : def.realIndexes) {
        r.unknown1 = in.array<std::array<uint8_t, 4>>();
        for (auto& col : r.columns) {
            col.number = in.u16();
            col.order = in.u8();
        }
        r.map = readUsageMapRef(in);
        r.firstPage = in.u32();
        r.unknown2 = in.array<std::array<uint8_t, 4>>();
        r.flags = in.u8();
        r.unknown3 = in.array<std::array<uint8_t, 5>>();
    }
    require(logicalCount, kLogicalIndexSize);
    def.logicalIndexes.resize(logicalCount);
    for (auto& l : def.logicalIndexes) {
        l.unknown1 = in.array<std::array<uint8_t, 4>>();
        l.number = in.u32();
        l.realIndex = in.u32();
        l.relatedTableType = in.u8();
        l.relatedIndex = in.i32();
        l.relatedTablePage = in.u32();
        l.cascadeUpdates = in.u8();
        l.cascadeDeletes = in.u8();
        l.indexType = in.u8();
        l.unknown2 = in.array<std::array<uint8_t, 4>>();
    }
    for (auto& l : def.logicalIndexes) l.name = readName(in);
    while (true) {
        const uint16_t column = in.u16();
        if (column == kEndMarker) break;
        LongValueMap m;
        m.column = column;
        m.owned = readUsageMapRef(in);
        m.free = readUsageMapRef(in);
        def.longValueMaps.push_back(m);
    }
    def.trailing = in.copy(in.remaining());
    def.slack_.assign(flat.begin() + static_cast<ptrdiff_t>(len), flat.end());
    return def;
}

size_t TableDefinition::length() const {
    size_t len = kHeaderSize + realIndexes.size() * (kSlotSize + kRealIndexSize) +
                 columns.size() * kColumnSize + logicalIndexes.size() * kLogicalIndexSize +
                 longValueMaps.size() * kLongValueMapSize + 2 + trailing.size();
    for (const auto& c : columns) len += 2 + encodeUcs2(c.name).size();
    for (const auto& l : logicalIndexes) len += 2 + encodeUcs2(l.name).size();
    return len;
}

size_t TableDefinition::pagesNeeded() const {
    const size_t len = length();
    const size_t pageSize = PageFile::kPageSize;
    if (len <= pageSize) return 1;
    return 1 + (len - pageSize + (pageSize - kPageHeader) - 1) / (pageSize - kPageHeader);
}

std::vector<Bytes> TableDefinition::encode() const {
    const size_t pageSize = PageFile::kPageSize;
    if (columns.size() > 0xFFFF) throw FormatError("too many columns");
    ByteWriter w;
    w.u8(kTableDefinitionPageType);
    w.u8(pageFlags_.empty() ? 0x01 : pageFlags_.front());
    w.u16(0);  // free space, set per page below
    w.u32(0);  // next page, likewise
    w.u32(0);  // length, once known
    w.u32(unknown12);
    w.u32(rowCount);
    w.u32(nextCounterValue);
    put(w, unknown24);
    w.u8(tableType);
    w.u16(maxColumns);
    w.u16(variableColumns);
    w.u16(static_cast<uint16_t>(columns.size()));
    w.u32(static_cast<uint32_t>(logicalIndexes.size()));
    w.u32(static_cast<uint32_t>(realIndexes.size()));
    writeUsageMapRef(w, ownedPages);
    writeUsageMapRef(w, freeSpacePages);
    for (const auto& r : realIndexes) {
        w.u32(r.slotUnknown1);
        w.u32(r.slotRowCount);
        w.u32(r.slotUnknown2);
    }
    for (const auto& c : columns) {
        w.u8(c.type);
        put(w, c.unknown1);
        w.u16(c.number);
        w.u16(c.variableIndex);
        w.u16(c.index);
        put(w, c.misc);
        w.u8(c.flags);
        w.u8(c.extraFlags);
        put(w, c.unknown2);
        w.u16(c.fixedOffset);
        w.u16(c.length);
    }
    for (const auto& c : columns) writeName(w, c.name);
    for (const auto& r : realIndexes) {
        put(w, r.unknown1);
        for (const auto& col : r.columns) {
            w.u16(col.number);
            w.u8(col.order);
        }
        writeUsageMapRef(w, r.map);
        w.u32(r.firstPage);
        put(w, r.unknown2);
        w.u8(r.flags);
        put(w, r.unknown3);
    }
    for (const auto& l : logicalIndexes) {
        put(w, l.unknown1);
        w.u32(l.number);
        w.u32(l.realIndex);
        w.u8(l.relatedTableType);
        w.i32(l.relatedIndex);
        w.u32(l.relatedTablePage);
        w.u8(l.cascadeUpdates);
        w.u8(l.cascadeDeletes);
        w.u8(l.indexType);
        put(w, l.unknown2);
    }
    for (const auto& l : logicalIndexes) writeName(w, l.name);
    for (const auto& m : longValueMaps) {
        w.u16(m.column);
        writeUsageMapRef(w, m.owned);
        writeUsageMapRef(w, m.free);
    }
    w.u16(kEndMarker);
    w.bytes(trailing);
    const size_t len = w.size();
    w.patch32(8, static_cast<uint32_t>(len));

    const size_t needed = pagesNeeded();
    if (needed > pages_.size())
        throw FormatError("the definition needs " + std::to_string(needed) + " pages, it has " +
                              std::to_string(pages_.size()),
                          firstPage());
    Bytes flat = w.take();
    const size_t capacity = pageCapacity(pageSize, pages_.size());
    const size_t fromSlack = std::min(slack_.size(), capacity - flat.size());
    flat.insert(flat.end(), slack_.begin(), slack_.begin() + static_cast<ptrdiff_t>(fromSlack));
    flat.resize(capacity, 0);

    std::vector<Bytes> out;
    out.reserve(pages_.size());
    size_t at = 0;
    for (size_t i = 0; i < pages_.size(); ++i) {
        Bytes page(pageSize, 0);
        size_t contentStart = 0;
        if (i == 0) {
            std::copy(flat.begin(), flat.begin() + static_cast<ptrdiff_t>(pageSize), page.begin());
            at = pageSize;
        } else {
            std::copy(flat.begin() + static_cast<ptrdiff_t>(at),
                      flat.begin() + static_cast<ptrdiff_t>(at + pageSize - kPageHeader),
                      page.begin() + kPageHeader);
            contentStart = at;
            at += pageSize - kPageHeader;
        }
        page[0] = kTableDefinitionPageType;
        page[1] = i < pageFlags_.size() ? pageFlags_[i] : 0x01;
        // The free space counts what the definition leaves of the page, less
        // 8 (as Access keeps it).
        const size_t pageEnd = i == 0 ? pageSize : at;
        const size_t content = len <= contentStart ? 0 : std::min(len, pageEnd) - contentStart;
        const size_t used = (i == 0 ? 0 : kPageHeader) + content;
        putLe16(page.data() + 2, static_cast<uint16_t>(used + kPageHeader >= pageSize
                                                           ? 0
                                                           : pageSize - used - kPageHeader));
        putLe32(page.data() + 4, i + 1 < pages_.size() ? pages_[i + 1] : 0);
        out.push_back(std::move(page));
    }
    return out;
}

std::vector<uint32_t> TableDefinition::write(PageFile& file) {
    const size_t needed = pagesNeeded();
    std::vector<uint32_t> dropped;
    while (pages_.size() < needed) {
        pages_.push_back(file.append());
        pageFlags_.push_back(0x01);
    }
    if (pages_.size() > needed) {
        dropped.assign(pages_.begin() + static_cast<ptrdiff_t>(needed), pages_.end());
        pages_.resize(needed);
        pageFlags_.resize(needed);
        slack_.clear();
    }
    const auto images = encode();
    for (size_t i = 0; i < images.size(); ++i) {
        const auto current = file.page(pages_[i]);
        if (*current != images[i]) {
            auto out = file.writable(pages_[i]);
            std::copy(images[i].begin(), images[i].end(), out.begin());
        }
    }
    return dropped;
}

const ColumnDef* TableDefinition::column(uint16_t number) const {
    for (const auto& c : columns)
        if (c.number == number) return &c;
    return nullptr;
}

const ColumnDef* TableDefinition::columnNamed(const std::string& name) const {
    for (const auto& c : columns)
        if (text::equalNoCase(c.name, name)) return &c;
    return nullptr;
}

namespace {

// The first byte after the fixed area of the columns other than `except`.
uint16_t fixedAreaEnd(const std::vector<ColumnDef>& columns, const ColumnDef* except) {
    size_t end = 0;
    for (const auto& c : columns)
        if (&c != except && usesStorage(c)) end = std::max(end, c.fixedOffset + storageSize(c));
    if (end > 0xFFFF) throw FormatError("the fixed area of a row is too large");
    return static_cast<uint16_t>(end);
}

// The next variable slot after those of the columns other than `except`.
uint16_t nextVariableIndex(const std::vector<ColumnDef>& columns, const ColumnDef* except) {
    int next = 0;
    for (const auto& c : columns)
        if (&c != except && !c.fixed()) next = std::max(next, c.variableIndex + 1);
    return static_cast<uint16_t>(next);
}

}  // namespace

uint16_t TableDefinition::addColumn(ColumnDef c, std::optional<LongValueMap> maps) {
    if (columns.size() >= kMaxColumns) throw FormatError("a table holds at most 255 columns");
    if (isLongValueType(c.type) && !maps)
        throw FormatError("a long-value column needs its usage maps");
    uint32_t number = maxColumns;
    for (const auto& existing : columns) number = std::max<uint32_t>(number, existing.number + 1u);
    if (number >= 0xFFFF) throw FormatError("no column number is left");
    c.number = static_cast<uint16_t>(number);
    maxColumns = static_cast<uint16_t>(number + 1);
    c.unknown1 = {};
    putLe32(c.unknown1.data(), unknown12);
    // Access numbers user tables' columns here in the order they were made
    // (what it means beyond that is a guess); a new column comes after all.
    uint32_t index = 0;
    for (const auto& existing : columns) index = std::max<uint32_t>(index, existing.index + 1u);
    c.index = static_cast<uint16_t>(std::min<uint32_t>(index, 0xFFFF));
    c.unknown2 = {};
    if (c.fixed()) {
        c.fixedOffset = usesStorage(c) ? fixedAreaEnd(columns, nullptr) : 0;
        // A fixed column records the variable slot that comes next.
        c.variableIndex = nextVariableIndex(columns, nullptr);
    } else {
        c.fixedOffset = 0;
        c.variableIndex = nextVariableIndex(columns, nullptr);
        variableColumns = std::max<uint16_t>(variableColumns, c.variableIndex + 1);
    }
    columns.push_back(c);
    if (isLongValueType(c.type)) {
        LongValueMap m = *maps;
        m.column = c.number;
        longValueMaps.push_back(m);
    }
    return c.number;
}

void TableDefinition::dropColumn(uint16_t number) {
    auto it = std::find_if(columns.begin(), columns.end(),
                           [&](const ColumnDef& c) { return c.number == number; });
    if (it == columns.end()) throw FormatError("no column " + std::to_string(number));
    for (const auto& r : realIndexes)
        for (const auto& k : r.keyColumns())
            if (k.number == number)
                throw FormatError("column " + it->name + " is still in an index");
    columns.erase(it);
    std::erase_if(longValueMaps, [&](const LongValueMap& m) { return m.column == number; });
}

void TableDefinition::changeColumn(uint16_t number, uint8_t type, uint16_t length, uint8_t flags,
                                   uint8_t extraFlags, std::array<uint8_t, 4> misc,
                                   std::optional<LongValueMap> maps) {
    auto it = std::find_if(columns.begin(), columns.end(),
                           [&](const ColumnDef& c) { return c.number == number; });
    if (it == columns.end()) throw FormatError("no column " + std::to_string(number));
    if (isLongValueType(type) && !isLongValueType(it->type) && !maps)
        throw FormatError("a long-value column needs its usage maps");
    ColumnDef next = *it;
    next.type = type;
    next.length = length;
    next.flags = flags;
    next.extraFlags = extraFlags;
    next.misc = misc;
    if (usesStorage(next)) {
        if (!usesStorage(*it) || storageSize(*it) != storageSize(next))
            next.fixedOffset = fixedAreaEnd(columns, &*it);
    } else {
        next.fixedOffset = 0;
    }
    if (!next.fixed() && it->fixed()) {
        next.variableIndex = nextVariableIndex(columns, &*it);
        variableColumns = std::max<uint16_t>(variableColumns, next.variableIndex + 1);
    }
    if (isLongValueType(it->type) && !isLongValueType(type))
        std::erase_if(longValueMaps, [&](const LongValueMap& m) { return m.column == number; });
    if (!isLongValueType(it->type) && isLongValueType(type)) {
        LongValueMap m = *maps;
        m.column = number;
        longValueMaps.push_back(m);
    }
    *it = next;
}

size_t TableDefinition::addRealIndex(RealIndex index) {
    if (realIndexes.size() >= kMaxIndexes) throw FormatError("a table holds at most 32 indexes");
    for (const auto& k : index.keyColumns())
        if (!column(k.number))
            throw FormatError("an index names column " + std::to_string(k.number) +
                              ", which the table does not have");
    realIndexes.push_back(index);
    return realIndexes.size() - 1;
}

void TableDefinition::removeRealIndex(size_t position) {
    if (position >= realIndexes.size()) throw FormatError("no such real index");
    for (const auto& l : logicalIndexes)
        if (l.realIndex == position)
            throw FormatError("index " + l.name + " still uses the real index");
    realIndexes.erase(realIndexes.begin() + static_cast<ptrdiff_t>(position));
    for (auto& l : logicalIndexes)
        if (l.realIndex > position) --l.realIndex;
}

void TableDefinition::addLogicalIndex(LogicalIndex index, std::optional<size_t> position) {
    if (logicalIndexes.size() >= kMaxIndexes) throw FormatError("a table holds at most 32 indexes");
    if (index.realIndex >= realIndexes.size())
        throw FormatError("index " + index.name + " names a real index the table does not have");
    const size_t at = position ? *position : logicalIndexes.size();
    if (at > logicalIndexes.size()) throw FormatError("no such index position");
    logicalIndexes.insert(logicalIndexes.begin() + static_cast<ptrdiff_t>(at), std::move(index));
}

void TableDefinition::removeLogicalIndex(size_t position) {
    if (position >= logicalIndexes.size()) throw FormatError("no such logical index");
    logicalIndexes.erase(logicalIndexes.begin() + static_cast<ptrdiff_t>(position));
}

}  // namespace jet::file
