#include "jet/file/TableDefinition.h"

#include <algorithm>
#include <set>
#include <string>

#include "jet/file/Text.h"
#include "jet/format/Layout.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

using format::kAbsent;
constexpr uint16_t kEndMarker = 0xFFFF;
// Far more than any definition needs (255 columns and 32 indexes take a few
// pages); a longer chain is damage.
constexpr size_t kMaxPages = 64;
constexpr size_t kMaxColumns = 255;
constexpr size_t kMaxIndexes = 32;

size_t pageCapacity(const format::Layout& layout, size_t pages) {
    return pages == 0 ? 0
                      : layout.pageSize +
                            (pages - 1) * (layout.pageSize - layout.definitionPageHeaderSize);
}

std::string readName(ByteReader& in, const format::Layout& layout, const TextCodec& text) {
    const size_t len = layout.nameLengthSize == 1 ? in.u8() : in.u16();
    return text.decodeName(in.bytes(len));
}

void writeName(ByteWriter& out, const std::string& name, const format::Layout& layout,
               const TextCodec& text) {
    const Bytes b = text.encodeName(name);
    if (b.size() >= (size_t{1} << (8 * layout.nameLengthSize)))
        throw FormatError("the name " + name + " is too long");
    if (layout.nameLengthSize == 1)
        out.u8(static_cast<uint8_t>(b.size()));
    else
        out.u16(static_cast<uint16_t>(b.size()));
    out.bytes(b);
}

// Fields of one entry at the layout's offsets; a field the layout does not
// have reads as zero and is not written.
class EntryIn {
public:
    explicit EntryIn(ByteSpan b) : b_(b) {}
    [[nodiscard]] uint8_t u8(size_t at) const { return at == kAbsent ? 0 : b_[at]; }
    [[nodiscard]] uint16_t u16(size_t at) const { return at == kAbsent ? 0 : le16(&b_[at]); }
    [[nodiscard]] uint32_t u32(size_t at) const { return at == kAbsent ? 0 : le32(&b_[at]); }
    [[nodiscard]] UsageMapRef map(size_t at) const { return {b_[at], le24(&b_[at + 1])}; }
    template <size_t N>
    void array(size_t at, std::array<uint8_t, N>& a, size_t n = N) const {
        if (at == kAbsent) return;
        std::copy(b_.begin() + static_cast<ptrdiff_t>(at),
                  b_.begin() + static_cast<ptrdiff_t>(at + n), a.begin());
    }

private:
    ByteSpan b_;
};

class EntryOut {
public:
    explicit EntryOut(size_t size) : b_(size, 0) {}
    void u8(size_t at, uint8_t v) {
        if (at != kAbsent) b_[at] = v;
    }
    void u16(size_t at, uint16_t v) {
        if (at != kAbsent) putLe16(&b_[at], v);
    }
    void u32(size_t at, uint32_t v) {
        if (at != kAbsent) putLe32(&b_[at], v);
    }
    void map(size_t at, UsageMapRef ref) {
        b_[at] = ref.row;
        putLe24(&b_[at + 1], ref.page);
    }
    template <size_t N>
    void array(size_t at, const std::array<uint8_t, N>& a, size_t n = N) {
        if (at != kAbsent)
            std::copy(a.begin(), a.begin() + static_cast<ptrdiff_t>(n),
                      b_.begin() + static_cast<ptrdiff_t>(at));
    }
    [[nodiscard]] const Bytes& bytes() const { return b_; }

private:
    Bytes b_;
};

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
        throw FormatError("the codec reads only Jet 3 and Jet 4 files");
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
        if (page->size() < file.layout().definitionHeaderSize ||
            (*page)[0] != kTableDefinitionPageType)
            throw FormatError("not a table definition page", next);
        refs.push_back(page);
        numbers.push_back(next);
        next = le32(page->data() + 4);
    } while (next != 0);
    std::vector<ByteSpan> spans;
    for (const auto& r : refs) spans.emplace_back(*r);
    return decode(spans, numbers, file.layout(), TextCodec::of(file));
}

TableDefinition TableDefinition::decode(const std::vector<ByteSpan>& pages,
                                        const std::vector<uint32_t>& pageNumbers,
                                        const format::Layout& layout, TextCodec text) {
    if (pages.empty() || pages.size() != pageNumbers.size())
        throw FormatError("a definition needs its pages");
    const int64_t first = pageNumbers.front();
    const size_t pageSize = pages.front().size();
    const size_t pageHeader = layout.definitionPageHeaderSize;
    const size_t headerSize = layout.definitionHeaderSize;
    Bytes flat;
    TableDefinition def;
    def.layout_ = &layout;
    def.text_ = std::move(text);
    for (size_t i = 0; i < pages.size(); ++i) {
        const ByteSpan p = pages[i];
        if (p.size() != pageSize || p.size() != layout.pageSize || p.size() < headerSize ||
            p[0] != kTableDefinitionPageType)
            throw FormatError("not a table definition page", pageNumbers[i]);
        def.pageFlags_.push_back(p[1]);
        flat.insert(flat.end(), p.begin() + static_cast<ptrdiff_t>(i == 0 ? 0 : pageHeader),
                    p.end());
    }
    def.pages_ = pageNumbers;
    const size_t len = le32(flat.data() + 8);
    if (len < headerSize || len > flat.size())
        throw FormatError("the definition's length runs past its pages", first);

    const auto& h = layout.header;
    const EntryIn head(ByteSpan(flat.data(), headerSize));
    def.unknown12 = head.u32(h.unknown12);
    def.rowCount = head.u32(h.rowCount);
    def.nextCounterValue = head.u32(h.nextCounter);
    head.array(h.unknown24, def.unknown24);
    def.tableType = head.u8(h.tableType);
    def.maxColumns = head.u16(h.maxColumns);
    def.variableColumns = head.u16(h.variableColumns);
    const uint16_t columnCount = head.u16(h.columnCount);
    const uint32_t logicalCount = head.u32(h.logicalCount);
    const uint32_t realCount = head.u32(h.realCount);
    def.ownedPages = head.map(h.ownedMap);
    def.freeSpacePages = head.map(h.freeMap);

    ByteReader in(ByteSpan(flat.data(), len), "the table definition", first);
    in.seek(headerSize);
    // Counts are checked against the bytes before anything is kept for them.
    auto require = [&](uint64_t count, size_t each) {
        if (count * each > in.remaining())
            throw FormatError("the definition's counts run past its length", first);
    };
    require(realCount, layout.realIndexSlotSize);
    def.realIndexes.resize(realCount);
    for (auto& r : def.realIndexes) {
        const EntryIn e(in.bytes(layout.realIndexSlotSize));
        r.slotUnknown1 = e.u32(0);
        r.slotRowCount = e.u32(4);
        r.slotUnknown2 = layout.realIndexSlotSize >= 12 ? e.u32(8) : 0;
    }
    require(columnCount, layout.columnEntrySize);
    def.columns.resize(columnCount);
    const auto& cf = layout.column;
    for (auto& c : def.columns) {
        const EntryIn e(in.bytes(layout.columnEntrySize));
        c.type = e.u8(0);
        e.array(cf.unknown1, c.unknown1, cf.unknown1Size);
        c.number = e.u16(cf.number);
        c.variableIndex = e.u16(cf.variableIndex);
        c.index = e.u16(cf.index);
        e.array(cf.misc, c.misc);
        c.flags = e.u8(cf.flags);
        c.extraFlags = e.u8(cf.extraFlags);
        e.array(cf.unknown2, c.unknown2);
        c.fixedOffset = e.u16(cf.fixedOffset);
        c.length = e.u16(cf.length);
    }
    for (auto& c : def.columns) c.name = readName(in, layout, def.text_);
    require(realCount, layout.realIndexEntrySize);
    const auto& rf = layout.realIndex;
    for (auto& r : def.realIndexes) {
        const EntryIn e(in.bytes(layout.realIndexEntrySize));
        e.array(rf.unknown1, r.unknown1);
        for (size_t k = 0; k < r.columns.size(); ++k) {
            r.columns[k].number = e.u16(rf.columns + 3 * k);
            r.columns[k].order = e.u8(rf.columns + 3 * k + 2);
        }
        r.map = e.map(rf.map);
        r.firstPage = e.u32(rf.firstPage);
        e.array(rf.unknown2, r.unknown2);
        r.flags = e.u8(rf.flags);
        e.array(rf.unknown3, r.unknown3);
    }
    require(logicalCount, layout.logicalIndexEntrySize);
    def.logicalIndexes.resize(logicalCount);
    const auto& lf = layout.logicalIndex;
    for (auto& l : def.logicalIndexes) {
        const EntryIn e(in.bytes(layout.logicalIndexEntrySize));
        e.array(lf.unknown1, l.unknown1);
        l.number = e.u32(lf.number);
        l.realIndex = e.u32(lf.realIndex);
        l.relatedTableType = e.u8(lf.relatedTableType);
        l.relatedIndex = static_cast<int32_t>(e.u32(lf.relatedIndex));
        l.relatedTablePage = e.u32(lf.relatedTablePage);
        l.cascadeUpdates = e.u8(lf.cascadeUpdates);
        l.cascadeDeletes = e.u8(lf.cascadeDeletes);
        l.indexType = e.u8(lf.indexType);
        e.array(lf.unknown2, l.unknown2);
    }
    for (auto& l : def.logicalIndexes) l.name = readName(in, layout, def.text_);
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
    const auto& l = *layout_;
    size_t len =
        l.definitionHeaderSize + realIndexes.size() * (l.realIndexSlotSize + l.realIndexEntrySize) +
        columns.size() * l.columnEntrySize + logicalIndexes.size() * l.logicalIndexEntrySize +
        longValueMaps.size() * l.longValueMapEntrySize + 2 + trailing.size();
    for (const auto& c : columns) len += l.nameLengthSize + text_.encodeName(c.name).size();
    for (const auto& x : logicalIndexes) len += l.nameLengthSize + text_.encodeName(x.name).size();
    return len;
}

size_t TableDefinition::pagesNeeded() const {
    const size_t len = length();
    const size_t pageSize = layout_->pageSize;
    const size_t each = pageSize - layout_->definitionPageHeaderSize;
    if (len <= pageSize) return 1;
    return 1 + (len - pageSize + each - 1) / each;
}

std::vector<Bytes> TableDefinition::encode() const {
    const auto& layout = *layout_;
    const size_t pageSize = layout.pageSize;
    const size_t pageHeader = layout.definitionPageHeaderSize;
    if (columns.size() > 0xFFFF) throw FormatError("too many columns");
    const auto& h = layout.header;
    EntryOut head(layout.definitionHeaderSize);
    head.u8(0, kTableDefinitionPageType);
    head.u8(1, pageFlags_.empty() ? 0x01 : pageFlags_.front());
    // Free space and next page are set per page below, the length once known.
    head.u32(h.unknown12, unknown12);
    head.u32(h.rowCount, rowCount);
    head.u32(h.nextCounter, nextCounterValue);
    head.array(h.unknown24, unknown24);
    head.u8(h.tableType, tableType);
    head.u16(h.maxColumns, maxColumns);
    head.u16(h.variableColumns, variableColumns);
    head.u16(h.columnCount, static_cast<uint16_t>(columns.size()));
    head.u32(h.logicalCount, static_cast<uint32_t>(logicalIndexes.size()));
    head.u32(h.realCount, static_cast<uint32_t>(realIndexes.size()));
    head.map(h.ownedMap, ownedPages);
    head.map(h.freeMap, freeSpacePages);
    ByteWriter w(head.bytes());
    for (const auto& r : realIndexes) {
        EntryOut e(layout.realIndexSlotSize);
        e.u32(0, r.slotUnknown1);
        e.u32(4, r.slotRowCount);
        if (layout.realIndexSlotSize >= 12) e.u32(8, r.slotUnknown2);
        w.bytes(e.bytes());
    }
    const auto& cf = layout.column;
    for (const auto& c : columns) {
        EntryOut e(layout.columnEntrySize);
        e.u8(0, c.type);
        e.array(cf.unknown1, c.unknown1, cf.unknown1Size);
        e.u16(cf.number, c.number);
        e.u16(cf.variableIndex, c.variableIndex);
        e.u16(cf.index, c.index);
        e.array(cf.misc, c.misc);
        e.u8(cf.flags, c.flags);
        e.u8(cf.extraFlags, c.extraFlags);
        e.array(cf.unknown2, c.unknown2);
        e.u16(cf.fixedOffset, c.fixedOffset);
        e.u16(cf.length, c.length);
        w.bytes(e.bytes());
    }
    for (const auto& c : columns) writeName(w, c.name, layout, text_);
    const auto& rf = layout.realIndex;
    for (const auto& r : realIndexes) {
        EntryOut e(layout.realIndexEntrySize);
        e.array(rf.unknown1, r.unknown1);
        for (size_t k = 0; k < r.columns.size(); ++k) {
            e.u16(rf.columns + 3 * k, r.columns[k].number);
            e.u8(rf.columns + 3 * k + 2, r.columns[k].order);
        }
        e.map(rf.map, r.map);
        e.u32(rf.firstPage, r.firstPage);
        e.array(rf.unknown2, r.unknown2);
        e.u8(rf.flags, r.flags);
        e.array(rf.unknown3, r.unknown3);
        w.bytes(e.bytes());
    }
    const auto& lf = layout.logicalIndex;
    for (const auto& l : logicalIndexes) {
        EntryOut e(layout.logicalIndexEntrySize);
        e.array(lf.unknown1, l.unknown1);
        e.u32(lf.number, l.number);
        e.u32(lf.realIndex, l.realIndex);
        e.u8(lf.relatedTableType, l.relatedTableType);
        e.u32(lf.relatedIndex, static_cast<uint32_t>(l.relatedIndex));
        e.u32(lf.relatedTablePage, l.relatedTablePage);
        e.u8(lf.cascadeUpdates, l.cascadeUpdates);
        e.u8(lf.cascadeDeletes, l.cascadeDeletes);
        e.u8(lf.indexType, l.indexType);
        e.array(lf.unknown2, l.unknown2);
        w.bytes(e.bytes());
    }
    for (const auto& l : logicalIndexes) writeName(w, l.name, layout, text_);
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
    const size_t capacity = pageCapacity(layout, pages_.size());
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
                      flat.begin() + static_cast<ptrdiff_t>(at + pageSize - pageHeader),
                      page.begin() + static_cast<ptrdiff_t>(pageHeader));
            contentStart = at;
            at += pageSize - pageHeader;
        }
        page[0] = kTableDefinitionPageType;
        page[1] = i < pageFlags_.size() ? pageFlags_[i] : 0x01;
        // The free space counts what the definition leaves of the page, less
        // 8 (as Access keeps it); Jet 3 keeps a fixed tag there instead.
        const size_t pageEnd = i == 0 ? pageSize : at;
        const size_t content = len <= contentStart ? 0 : std::min(len, pageEnd) - contentStart;
        const size_t used = (i == 0 ? 0 : pageHeader) + content;
        putLe16(page.data() + 2, layout.definitionPageTag != 0
                                     ? layout.definitionPageTag
                                     : static_cast<uint16_t>(used + pageHeader >= pageSize
                                                                 ? 0
                                                                 : pageSize - used - pageHeader));
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
    // A definition of another version's structures would overrun the pages.
    if (layout_->pageSize != file.pageSize())
        throw FormatError("a definition of " + std::to_string(layout_->pageSize) +
                          "-byte pages cannot be written into a file of " +
                          std::to_string(file.pageSize()) + "-byte pages");
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
